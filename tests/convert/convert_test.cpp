#include <kiln/convert/convert.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/box_recorder.h"
#include "support/temp_dir.h"

namespace {

// Records the order of the hooks and the lock state each one finds.
class Tracing : public CConvert {
public:
    struct Step {
        std::string hook;
        bool sourceLocked;
        bool outLocked;
    };
    std::vector<Step> steps;
    int result = 42;
    int seenOption = 0;
    CDecode* seenOut = nullptr;
    CError* seenErrors = nullptr;
    unsigned int preLength = 0;
    std::string preText;  // what DoPreConvert emits

    using CConvert::m_nConverter;
    using CConvert::m_nPrepare;
    using CConvert::m_PreConvert;

protected:
    void Trace(const char* hook) {
        steps.push_back({hook, IsLocked() != 0 && (void*)*this != nullptr,
                         m_pDecode != nullptr && m_pDecode->IsLocked() != 0});
    }
    int PrepareConvert() override {
        m_nPrepare = 5;  // the default's effect is overridden here
        Trace("Prepare");
        return 0;
    }
    int DoConvert() override {
        Trace("Do");
        seenOption = m_nOption;
        seenOut = m_pDecode;
        seenErrors = m_pError;
        return result;
    }
    int DestroyConvert() override {
        Trace("Destroy");
        return 0;
    }
    int DoPreConvert(CDecode* pre) override {
        steps.push_back({"Pre", IsLocked() != 0 && (void*)*this != nullptr, pre->IsLocked() != 0});
        preLength = pre->GetLength();
        // Reads the source from its PC and emits it upper-cased, after preText.
        pre->DecodeText(preText.c_str());
        while (!IsFinished()) {
            unsigned char c = FetchByte();
            if (IsFinished()) break;
            pre->Decode((unsigned char)(c >= 'a' && c <= 'z' ? c - 32 : c));
        }
        return 0;
    }
};

class Driver : public ::testing::Test {
protected:
    void Load(const std::string& text, const char* path = "src.txt") {
        ASSERT_NE(conv.Attach(text.c_str(), path), nullptr);
    }
    std::string Source() {
        conv.InterLock();
        std::string s(static_cast<const char*>((void*)conv), conv.GetLength());
        conv.InterUnlock();
        return s;
    }

    kiln::test::BoxRecorder boxes;
    Tracing conv;
};

TEST_F(Driver, ConvertRunsTheHooksInOrderWithTheLocks) {
    Load("abc");
    CDecode out;
    out.Alloc(16);
    CError errors;
    conv.AttachError(&errors);
    conv.SetPC(1);
    EXPECT_EQ(conv.Convert(&out, -7), 42);
    ASSERT_EQ(conv.steps.size(), 3u);
    EXPECT_EQ(conv.steps[0].hook, "Prepare");
    EXPECT_FALSE(conv.steps[0].sourceLocked);
    EXPECT_FALSE(conv.steps[0].outLocked);
    EXPECT_EQ(conv.steps[1].hook, "Do");
    EXPECT_TRUE(conv.steps[1].sourceLocked);
    EXPECT_TRUE(conv.steps[1].outLocked);
    EXPECT_EQ(conv.steps[2].hook, "Destroy");
    EXPECT_FALSE(conv.steps[2].sourceLocked);
    EXPECT_FALSE(conv.steps[2].outLocked);
    EXPECT_EQ(conv.seenOption, -7);
    EXPECT_EQ(conv.seenOut, &out);
    EXPECT_EQ(conv.seenErrors, &errors);
    EXPECT_EQ(conv.m_nPrepare, 5);
    EXPECT_EQ(conv.GetPC(), 1u);  // the driver does not reset the PC
    EXPECT_EQ(conv.IsLocked(), 0u);
    EXPECT_EQ(out.IsLocked(), 0u);

    conv.result = 0;
    conv.steps.clear();
    EXPECT_EQ(conv.Convert(nullptr, 0), 0);  // without an output buffer the source alone is locked
    ASSERT_EQ(conv.steps.size(), 3u);
    EXPECT_TRUE(conv.steps[1].sourceLocked);
}

TEST(DriverDefaults, DefaultHooksLeaveTheOutputAlone) {
    CConvert conv;
    conv.Attach("xyz", "a.src");
    CDecode out;
    out.Alloc(8);
    out.InterLock();
    out.Decode((unsigned char)9);
    out.InterUnlock();
    EXPECT_EQ(conv.Convert(&out, 3), 1);
    EXPECT_EQ(out.GetPC(), 1u);
    EXPECT_EQ(out.GetLength(), 8u);
    EXPECT_EQ(out.IsLocked(), 0u);

    const CRuntimeClass* rc = RUNTIME_CLASS(CConvert);
    EXPECT_STREQ(rc->m_lpszClassName, "CConvert");
    EXPECT_EQ(rc->m_wSchema, 0xFFFFu);
    EXPECT_EQ(rc->m_pBaseClass, RUNTIME_CLASS(CReadStm));
    CObject* made = rc->CreateObject();
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(CTextAlloc)));
    delete made;
}

TEST(DriverDefaults, PreConvertWithNothingEmittedEmptiesTheSource) {
    kiln::test::BoxRecorder boxes;
    CConvert conv;
    conv.Attach("some text", "dir\\a.src");
    EXPECT_EQ(conv.PreConvert(nullptr), 1);
    EXPECT_EQ(conv.GetLength(), 0u);
    EXPECT_EQ(conv.IsAttached(), 1);
    EXPECT_STREQ(conv.GetPathName(), "");
    EXPECT_EQ(conv.GetPC(), 0u);
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(Driver, PreConvertBufferStartsAtHalfTheSourceButAtLeast1024) {
    Load(std::string(600, 'a'));
    conv.PreConvert(nullptr);
    EXPECT_EQ(conv.preLength, 1024u);

    Tracing big;
    big.Attach(std::string(10000, 'b').c_str(), "big.src");
    big.PreConvert(nullptr);
    EXPECT_EQ(big.preLength, 5000u);
    // It grew as DoPreConvert emitted, and was trimmed to the text.
    EXPECT_EQ(big.GetLength(), 9999u);
}

TEST_F(Driver, PreConvertReplacesTheSourceAndSavesItBesideIt) {
    kiln::test::TempDir dir;
    std::string path = dir.win("prog.src");
    Load("ab\r\ncd!", path.c_str());
    conv.preText = ">";
    conv.SetPC(0);
    EXPECT_EQ(conv.PreConvert(".pre"), 1);
    ASSERT_EQ(conv.steps.size(), 1u);
    EXPECT_TRUE(conv.steps[0].sourceLocked);
    EXPECT_TRUE(conv.steps[0].outLocked);  // the pre-conversion buffer
    EXPECT_EQ(Source(), ">AB\r\nCD");       // the last byte is never fetched
    EXPECT_EQ(conv.GetPC(), 0u);
    EXPECT_STREQ(conv.GetPathName(), "");
    EXPECT_STREQ(conv.m_PreConvert.GetPathName(), path.c_str());
    EXPECT_EQ(conv.m_PreConvert.IsAttached(), 0);
    EXPECT_EQ(dir.Read("prog.pre"), ">AB\r\nCD");
    EXPECT_FALSE(dir.Exists("prog.src"));  // the source's own file is not written
    EXPECT_EQ(boxes.Count(), 0u);

    // A second run starts its new buffer from the beginning.
    conv.preText = "";
    EXPECT_EQ(conv.PreConvert(nullptr), 1);
    EXPECT_EQ(Source(), ">AB\r\nC");
}

TEST_F(Driver, PreConvertWithEmptyExtensionOverwritesTheSourceFile) {
    kiln::test::TempDir dir;
    dir.Write("a.src", "hello");
    std::string path = dir.win("a.src");
    ASSERT_EQ(conv.TryRead(path.c_str()), 1);
    EXPECT_EQ(conv.PreConvert(""), 1);
    EXPECT_EQ(dir.Read("a.src"), "HELL");
}

TEST_F(Driver, PreConvertThatCannotSaveKeepsTheSource) {
    kiln::test::TempDir dir;
    std::string path = dir.win("missing\\x.src");
    Load("text", path.c_str());
    EXPECT_EQ(conv.PreConvert(".out"), 0);
    EXPECT_GE(boxes.Count(), 1u);  // the file layer says why
    EXPECT_EQ(Source(), "text");
    EXPECT_STREQ(conv.GetPathName(), path.c_str());
    EXPECT_EQ(conv.GetPC(), 4u);  // where DoPreConvert left it
    // The pre-converted text stays in its buffer.
    EXPECT_EQ(conv.m_PreConvert.GetLength(), 3u);
    EXPECT_EQ(conv.m_PreConvert.IsAttached(), 1);
}

TEST_F(Driver, CopyTakesTheFields) {
    Load("abc");
    CError errors;
    conv.AttachError(&errors);
    conv.m_nConverter = 11;
    conv.SetPC(2);
    Tracing copy(conv);
    EXPECT_EQ(copy.GetPC(), 2u);
    EXPECT_EQ(copy.m_nConverter, 11);
    EXPECT_EQ(copy.GetID(), conv.GetID());
    copy.DetachWithoutFree();
    CDecode out;
    out.Alloc(4);
    EXPECT_EQ(copy.Convert(&out, 0), 42);
    EXPECT_EQ(copy.seenErrors, &errors);
}

}  // namespace
