#include <kiln/convert/convert.h>

#include <gtest/gtest.h>

#include <string>

#include "support/seq.h"
#include "support/block_text.h"
#include "support/box_recorder.h"
#include "support/temp_dir.h"

namespace {

using kiln::test::BlockText;
using kiln::test::Seq;

// Records the order of the hooks and the lock states each one finds ("Hook:SO": source and output
// buffer locked, lower case when not).
class Tracing : public CConvert {
public:
    std::string steps;
    int result = 42, seenOption = 0;
    CDecode* seenOut = nullptr;
    CError* seenErrors = nullptr;
    unsigned int preLength = 0;
    std::string preText;  // what DoPreConvert emits first
    using CConvert::m_nConverter;
    using CConvert::m_PreConvert;

protected:
    void Trace(const char* hook, CDecode* out) {
        steps += std::string(hook) + ":" + (IsLocked() && (void*)*this ? "S" : "s") +
                 (out && out->IsLocked() ? "O " : "o ");
    }
    int PrepareConvert() override {
        Trace("Prepare", m_pDecode);
        return 0;
    }
    int DoConvert() override {
        Trace("Do", m_pDecode);
        seenOption = m_nOption;
        seenOut = m_pDecode;
        seenErrors = m_pError;
        return result;
    }
    int DestroyConvert() override {
        Trace("Destroy", m_pDecode);
        return 0;
    }
    // Emits preText, then the source from its PC upper-cased.
    int DoPreConvert(CDecode* pre) override {
        Trace("Pre", pre);
        preLength = pre->GetLength();
        pre->DecodeText(preText.c_str());
        for (unsigned char c = FetchByte(); !IsFinished(); c = FetchByte())
            pre->Decode((unsigned char)(c >= 'a' && c <= 'z' ? c - 32 : c));
        return 0;
    }
};

class Driver : public ::testing::Test {
protected:
    kiln::test::BoxRecorder boxes;
    kiln::test::TempDir dir;
    Tracing conv;
};

TEST_F(Driver, ConvertRunsTheHooksInOrderWithTheLocks) {
    conv.Attach("abc", "src.txt");
    CDecode out;
    out.Alloc(16);
    CError errors;
    conv.AttachError(&errors);
    conv.SetPC(1);
    // The driver does not reset the PC and leaves nothing locked.
    EXPECT_EQ(Seq({conv.Convert(&out, -7), conv.seenOption, conv.GetPC(), conv.IsLocked(), out.IsLocked()}),
              "42 -7 1 0 0");
    EXPECT_EQ(conv.steps, "Prepare:so Do:SO Destroy:so ");
    EXPECT_TRUE(conv.seenOut == &out && conv.seenErrors == &errors);
    conv.m_nConverter = 11;  // a copy takes the fields
    Tracing copy(conv);
    EXPECT_EQ(Seq({copy.GetPC(), copy.m_nConverter}), "1 11");
    EXPECT_EQ(copy.GetID(), conv.GetID());
    copy.DetachWithoutFree();
    copy.seenErrors = nullptr;
    EXPECT_EQ(copy.Convert(&out, 0), 42);
    EXPECT_EQ(copy.seenErrors, &errors);

    conv.result = 0;
    conv.steps.clear();
    EXPECT_EQ(conv.Convert(nullptr, 0), 0);
    EXPECT_EQ(conv.steps, "Prepare:so Do:So Destroy:so ") << "without an output the source alone is locked";

    CConvert plain;  // the default hooks leave the output alone
    plain.Attach("xyz", "a.src");
    out.InterLock();
    out.Decode((unsigned char)9);
    out.InterUnlock();
    EXPECT_EQ(Seq({plain.Convert(&out, 3), out.GetPC(), out.GetLength(), out.IsLocked()}), "1 1 16 0");
}

TEST_F(Driver, PreConvertReplacesTheSourceAndSavesItBesideIt) {
    std::string path = dir.win("prog.src");
    conv.Attach("ab\r\ncd!", path.c_str());
    conv.preText = ">";
    // O: the pre-conversion buffer, of half the source but at least 1024 bytes.
    EXPECT_EQ(Seq({conv.PreConvert(".pre"), conv.steps, conv.preLength}), "1 Pre:SO  1024");
    EXPECT_EQ(BlockText(conv), ">AB\r\nCD") << "the last byte is never fetched";
    EXPECT_EQ(Seq({conv.GetPC(), conv.m_PreConvert.IsAttached(), conv.GetPathName()}), "0 0 ");
    EXPECT_STREQ(conv.m_PreConvert.GetPathName(), path.c_str());
    EXPECT_EQ(dir.Read("prog.pre"), ">AB\r\nCD");
    EXPECT_FALSE(dir.Exists("prog.src")) << "the source's own file is not written";
    conv.preText = "";
    EXPECT_EQ(conv.PreConvert(nullptr), 1);
    EXPECT_EQ(BlockText(conv), ">AB\r\nC") << "a second run starts its new buffer from the beginning";

    Tracing big;
    big.Attach(std::string(10000, 'b').c_str(), "big.src");
    big.PreConvert(nullptr);
    EXPECT_EQ(Seq({big.preLength, big.GetLength()}), "5000 9999")
        << "grown as emitted, then trimmed to the text";

    Tracing unread;  // no source block at all: the PC still starts over on the new text
    unread.preText = "xy";
    unread.SetPC(7);
    EXPECT_EQ(Seq({unread.PreConvert(nullptr), unread.GetPC(), unread.GetLength()}), "1 0 2");

    CConvert plain;  // nothing emitted: the source becomes empty
    plain.Attach("some text", "dir\\a.src");
    EXPECT_EQ(Seq({plain.PreConvert(nullptr), plain.GetLength(), plain.IsAttached()}), "1 0 1");
    EXPECT_STREQ(plain.GetPathName(), "");
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(Driver, PreConvertSavingOverOrFailingToSave) {
    dir.Write("a.src", "hello");
    ASSERT_EQ(conv.TryRead(dir.win("a.src").c_str()), 1);
    EXPECT_EQ(conv.PreConvert(""), 1);
    EXPECT_EQ(dir.Read("a.src"), "HELL") << "an empty extension overwrites the source file";

    Tracing failing;
    std::string path = dir.win("missing\\x.src");
    failing.Attach("text", path.c_str());
    // The file layer says why; the PC stays where DoPreConvert left it.
    EXPECT_EQ(Seq({failing.PreConvert(".out"), boxes.Count(), failing.GetPC()}), "0 1 4");
    EXPECT_EQ(BlockText(failing), "text");
    EXPECT_STREQ(failing.GetPathName(), path.c_str());
    EXPECT_EQ(BlockText(failing.m_PreConvert), "TEX") << "the pre-converted text stays in its buffer";
}

}  // namespace
