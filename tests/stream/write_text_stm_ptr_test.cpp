#include <kiln/stream/write_text_stm_ptr.h>

#include <gtest/gtest.h>

#include <string>

#include "stream/test_heap.h"
#include "support/box_recorder.h"

namespace {

using kiln::test::VectorHeap;

TEST(WriteTextStmPtr, TextLinesAndTerminators) {
    kiln::test::BoxRecorder boxes;
    VectorHeap heap;
    CWriteTextStmPtr out(&heap);
    EXPECT_EQ(out.DecodeLine("ab"), 1);
    EXPECT_EQ(out.GetPosition(), 4u);
    EXPECT_EQ(out.Decode("漢字"), 1);
    EXPECT_EQ(out.DecodeWithNull("z"), 1);
    EXPECT_EQ(out.DecodeLine(""), 1);
    EXPECT_EQ(out.Decode((unsigned char)'.'), 1) << "the byte forms stay reachable";
    out.FitChankSize();
    out.Close();
    EXPECT_EQ(heap.Bytes(), std::string("ab\r\n漢字z\0\r\n.", 13));
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST(WriteTextStmPtr, LineThatCannotGrowKeepsWhatWasWritten) {
    VectorHeap heap("0123456");
    heap.refuseGrowth = true;
    CWriteTextStmPtr out(&heap);
    out.SeekFromTop(3);
    EXPECT_EQ(out.DecodeLine("abc"), 0) << "the text and CR fit, the LF does not";
    EXPECT_EQ(out.GetPosition(), 7u);
    EXPECT_EQ(out.Decode("xyz"), 0);
    EXPECT_EQ(out.GetPosition(), 7u);
    out.SeekFromTop(6);
    EXPECT_EQ(out.DecodeWithNull(""), 1);
    EXPECT_EQ(out.DecodeWithNull(""), 0);
    out.Close();
    EXPECT_EQ(heap.Bytes(), std::string("012abc\0", 7));
}

}  // namespace
