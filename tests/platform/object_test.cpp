#include <kiln/platform/archive.h>
#include <kiln/platform/exception.h>
#include <kiln/platform/object.h>

#include <gtest/gtest.h>

#include "support/box_recorder.h"

namespace {

class Shape : public CObject {
    DECLARE_DYNAMIC(Shape)
};
IMPLEMENT_DYNAMIC(Shape, CObject)

class Circle : public Shape {
    DECLARE_DYNCREATE(Circle)
};
IMPLEMENT_DYNCREATE(Circle, Shape)

class Tile : public CObject {
    DECLARE_SERIAL(Tile)
};
IMPLEMENT_SERIAL(Tile, CObject, 3)

TEST(RuntimeClass, NamesBasesAndKinds) {
    Circle c;
    EXPECT_STREQ(c.GetRuntimeClass()->m_lpszClassName, "Circle");
    EXPECT_TRUE(c.IsKindOf(RUNTIME_CLASS(Circle)));
    EXPECT_TRUE(c.IsKindOf(RUNTIME_CLASS(Shape)));
    EXPECT_TRUE(c.IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(c.IsKindOf(RUNTIME_CLASS(Tile)));
    EXPECT_FALSE(c.IsSerializable());
    EXPECT_EQ(RUNTIME_CLASS(Circle)->m_nObjectSize, (int)sizeof(Circle));
    EXPECT_EQ(RUNTIME_CLASS(Tile)->m_wSchema, 3u);
}

TEST(RuntimeClass, DynamicCreation) {
    CObject* made = RUNTIME_CLASS(Circle)->CreateObject();
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(Circle)));
    delete made;
    EXPECT_EQ(RUNTIME_CLASS(Shape)->CreateObject(), nullptr);  // DYNAMIC only: no factory
}

TEST(RuntimeClass, OnlySerializableClassesAreFoundByName) {
    EXPECT_EQ(CRuntimeClass::FromName("Tile"), RUNTIME_CLASS(Tile));
    EXPECT_EQ(CRuntimeClass::FromName("Circle"), nullptr);
    EXPECT_EQ(CRuntimeClass::FromName(nullptr), nullptr);
    CObject* t = CRuntimeClass::CreateObject("Tile");
    ASSERT_NE(t, nullptr);
    EXPECT_TRUE(t->IsSerializable());
    delete t;
}

int g_thrown = 0;
void ThrowFile() {
    ++g_thrown;
    AfxThrowFileException(CFileException::diskFull, 112, "Z:\\f");
}

TEST(Exceptions, MacrosCatchByClassAndDeleteTheException) {
    int caught = 0;
    TRY { ThrowFile(); }
    CATCH(CArchiveException, e) { ADD_FAILURE() << "wrong handler " << e->m_cause; }
    AND_CATCH(CFileException, e) {
        EXPECT_EQ(e->m_cause, CFileException::diskFull);
        EXPECT_EQ(e->m_lOsError, 112);
        EXPECT_STREQ(e->m_strFileName, "Z:\\f");
        e->Delete();  // harmless inside the macros: the TRY block deletes it once
        caught = 1;
    }
    END_CATCH
    EXPECT_EQ(caught, 1);
}

TEST(Exceptions, ThrowLastPassesTheExceptionOnWithItsType) {
    int outer = 0;
    try {
        TRY { AfxThrowArchiveException(CArchiveException::badClass); }
        CATCH(CException, e) {
            EXPECT_TRUE(e->IsKindOf(RUNTIME_CLASS(CArchiveException)));
            THROW_LAST();
        }
        END_CATCH
    } catch (CArchiveException* e) {
        outer = e->m_cause;
        e->Delete();
    }
    EXPECT_EQ(outer, CArchiveException::badClass);
}

TEST(Exceptions, MemoryExceptionIsStaticAndMessagesExist) {
    CMemoryException* first = nullptr;
    try {
        AfxThrowMemoryException();
    } catch (CMemoryException* e) {
        first = e;
        e->Delete();  // a static exception survives Delete
    }
    try {
        AfxThrowMemoryException();
    } catch (CMemoryException* e) {
        EXPECT_EQ(e, first);
        char text[64];
        EXPECT_TRUE(e->GetErrorMessage(text, sizeof text));
        EXPECT_STRNE(text, "");
    }
    kiln::test::BoxRecorder boxes;
    CNotSupportedException unsupported;
    unsupported.ReportError(MB_ICONHAND);
    EXPECT_EQ(boxes.Last().text, "An unsupported operation was attempted.");
    EXPECT_EQ(boxes.Last().style, (unsigned)MB_ICONHAND);
    CArchiveException a(CArchiveException::endOfFile, "Z:\\a.dat");
    char text[8];
    EXPECT_TRUE(a.GetErrorMessage(text, sizeof text));
    EXPECT_EQ(std::strlen(text), 7u);  // truncated to the buffer, terminated
}

}  // namespace
