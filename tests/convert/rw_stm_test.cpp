#include <kiln/convert/rw_stm.h>

#include <gtest/gtest.h>

#include <string>

#include "convert/reading_script.h"
#include "support/seq.h"
#include "support/box_recorder.h"

namespace {

using kiln::test::Seq;

TEST(RwStm, ReadsWhatWasWrittenUpToThePcCopiesAndDetaches) {
    kiln::test::BoxRecorder boxes;
    CRwStm rw;
    ASSERT_NE(rw.Alloc(0), nullptr);
    rw.InterLock();
    const std::string& bytes = kiln::test::kScriptBytes;
    ASSERT_EQ(rw.Decode(bytes.data(), (unsigned)bytes.size()), 1);
    EXPECT_GT(rw.GetLength(), 13u);  // the bound is the PC, not the block
    EXPECT_EQ(
        kiln::test::ReadingScript(rw),
        "white=1@4#1 letters=1@6 plain=1@6 null=1@6 toLetter=1@a atB=7@5#2 whiteAtB=7@5#3 blackAtB=7@5#4 "
        "skip3=1@3#5 skip0=0@d#6 letters=0@d 4LA=78563412@c 4BA=12345678@c 3LA=563412@b 3BA=123456@b "
        "2LA=3412@a 2BA=1234@a word=3412@a dword=78563412@c 4BA=34567899@d byte=99@d byte=0@e "
        "byte=0@0 2LA=0@80000002 4BA=0@2 n3=1@b n1=1@d wrap=0@0 dst=\x12"
        "4V\x99 "
        "sz=1@8 sz=0@d dst=4Vx\x99\xEE seek2=1 seek-2=1 seek-1=0 seek1=0 seek13=1 seek1=0 @14 "
        "align4=1@8 align4=1@8 align4+2=1@6 align0=1@5 align13=0@d peeks=99,0,9978,0,99785634,0,0,100 "
        "toDecode=0001@13:8,ab1");
    // Reading never moves the write PC; writing more makes it readable.
    EXPECT_EQ(Seq({rw.GetPC(), rw[12], rw[13]}), Seq({13, 0x99, 0}));
    rw.Decode((unsigned char)0xAB);
    rw.SetRPC(13);
    EXPECT_EQ(rw.FetchByte(), 0xAB);

    rw.SetRPC(1);
    CRwStm copy(rw);
    EXPECT_EQ(Seq({copy.GetPC(), copy.FetchByte()}), "14 9");
    rw.InterUnlock();
    copy.DetachWithoutFree();
    EXPECT_EQ(Seq({rw.Detach(), rw.GetPC(), rw.GetRPC(), rw.Detach()}), "1 0 0 0");

    CRwStm idle;  // never inter-locked
    idle.Alloc(4);
    idle.SetPC(4);
    unsigned lines = 0;
    EXPECT_EQ(Seq({idle.FetchByte(), idle.GetByte(0), idle.Skip(1, lines)}), "0 0 0");
    EXPECT_EQ(boxes.Count(), 0u);
}

}  // namespace
