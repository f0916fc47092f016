#include <kiln/platform/files/archive.h>
#include <kiln/platform/runtime/exception.h>
#include <kiln/platform/runtime/object.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <tuple>

#include "support/box_recorder.h"
#include "support/expect_error.h"

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

TEST(RuntimeClass, NamesKindsCreationAndLookUp) {
    Circle c;
    EXPECT_STREQ(c.GetRuntimeClass()->m_lpszClassName, "Circle");
    EXPECT_EQ(
        std::tuple(c.IsKindOf(RUNTIME_CLASS(Circle)), c.IsKindOf(RUNTIME_CLASS(Shape)),
                   c.IsKindOf(RUNTIME_CLASS(CObject)), c.IsKindOf(RUNTIME_CLASS(Tile)), c.IsSerializable()),
        std::tuple(TRUE, TRUE, TRUE, FALSE, FALSE));
    std::unique_ptr<CObject> made(RUNTIME_CLASS(Circle)->CreateObject());
    EXPECT_TRUE(made != nullptr && made->IsKindOf(RUNTIME_CLASS(Circle)));
    EXPECT_EQ(RUNTIME_CLASS(Shape)->CreateObject(), nullptr);  // DYNAMIC only: no factory

    // Only serializable classes are found by name.
    EXPECT_EQ(CRuntimeClass::FromName("Tile"), RUNTIME_CLASS(Tile));
    EXPECT_EQ(CRuntimeClass::FromName("Circle"), nullptr);
    EXPECT_EQ(CRuntimeClass::FromName(nullptr), nullptr);
    std::unique_ptr<CObject> tile(CRuntimeClass::CreateObject("Tile"));
    EXPECT_TRUE(tile != nullptr && tile->IsSerializable());
}

TEST(Exceptions, MacrosCatchByClassDeleteTheExceptionAndThrowLastPassesItOn) {
    int caught = 0;
    TRY { AfxThrowFileException(CFileException::diskFull, 112, "Z:\\f"); }
    CATCH(CArchiveException, e) { ADD_FAILURE() << "wrong handler " << e->m_cause; }
    AND_CATCH(CFileException, e) {
        EXPECT_EQ(std::tuple(e->m_cause, e->m_lOsError, CString(e->m_strFileName)),
                  std::tuple(CFileException::diskFull, 112, CString("Z:\\f")));
        e->Delete();  // harmless inside the macros: the TRY block deletes it once
        caught = 1;
    }
    END_CATCH
    EXPECT_EQ(caught, 1);

    // CATCH of a base class takes it; THROW_LAST passes on the same exception.
    auto rethrown = [] {
        TRY { AfxThrowArchiveException(CArchiveException::badClass); }
        CATCH(CException, e) { THROW_LAST(); }
        END_CATCH
    };
    EXPECT_EQ(kiln::test::CauseOf<CArchiveException>(rethrown), CArchiveException::badClass);
}

TEST(Exceptions, MemoryExceptionIsStaticAndMessagesExist) {
    CMemoryException* first = nullptr;
    for (int i = 0; i < 2; ++i) {
        try {
            AfxThrowMemoryException();
        } catch (CMemoryException* e) {
            EXPECT_TRUE(first == nullptr || e == first);
            first = e;
            e->Delete();  // a static exception survives Delete
        }
    }
    char text[64];
    EXPECT_TRUE(first->GetErrorMessage(text, sizeof text));
    EXPECT_STRNE(text, "");

    kiln::test::BoxRecorder boxes;
    CNotSupportedException().ReportError(MB_ICONHAND);
    EXPECT_EQ(boxes.Last().text, "An unsupported operation was attempted.");
    EXPECT_EQ(boxes.Last().style, (unsigned)MB_ICONHAND);
    EXPECT_TRUE(CArchiveException(CArchiveException::endOfFile, "Z:\\a.dat").GetErrorMessage(text, 8));
    EXPECT_EQ(std::strlen(text), 7u);  // truncated to the buffer, terminated
}

}  // namespace
