#include <kiln/stream/read_text_stm_ptr.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "stream/test_heap.h"
#include "support/box_recorder.h"

namespace {

using kiln::test::VectorHeap;

TEST(ReadTextStmPtr, FetchTakesOneStringAtATime) {
    kiln::test::BoxRecorder boxes;
    VectorHeap heap(std::string("ab\0cd\0", 6));
    CReadTextStmPtr in(&heap);
    char out[8];
    EXPECT_EQ(in.Fetch(out), 1);
    EXPECT_STREQ(out, "ab");
    EXPECT_EQ(in.GetPosition(), 3u);
    EXPECT_EQ(in.Fetch(out), 1);
    EXPECT_STREQ(out, "cd");
    EXPECT_EQ(in.GetPosition(), 6u);
    std::memset(out, '-', sizeof out);
    EXPECT_EQ(in.Fetch(out), 0);
    EXPECT_EQ(out[0], '-');
    EXPECT_EQ(in.GetPosition(), 6u);

    in.SeekFromTop(4);
    EXPECT_EQ(in.Fetch(out, 2), 1) << "the byte Fetch stays reachable";
    EXPECT_EQ(std::memcmp(out, "d", 2), 0);
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST(ReadTextStmPtr, StringCutByTheEndCopiesWhatThereIsWithoutTerminator) {
    kiln::test::BoxRecorder boxes;
    VectorHeap cut("xyz");
    CReadTextStmPtr in(&cut);
    char out[8];
    std::memset(out, '-', sizeof out);
    EXPECT_EQ(in.Fetch(out), 0);
    EXPECT_EQ(std::string(out, 4), "xyz-");
    EXPECT_EQ(in.GetPosition(), 3u);
    EXPECT_EQ(in.IsFinished(), 1);

    EXPECT_EQ(in.SeekFromTop(7), 0);  // beyond the end: nothing is copied
    EXPECT_EQ(boxes.Last().text, "CChankPtr:Seek Out of Chank!");
    std::memset(out, '-', sizeof out);
    EXPECT_EQ(in.Fetch(out), 0);
    EXPECT_EQ(out[0], '-');
    EXPECT_EQ(in.GetPosition(), 7u);
}

TEST(ReadTextStmPtr, ReadToSztextTerminatesAndChecksItsBounds) {
    VectorHeap heap("hello, world");
    CReadTextStmPtr in(&heap);
    in.SeekFromTop(2);
    char out[16];
    EXPECT_EQ(in.ReadToSztext(7, out, 5), 1);
    EXPECT_STREQ(out, "world");
    EXPECT_EQ(in.ReadToSztext(0, out, 0), 1);
    EXPECT_STREQ(out, "");
    std::memset(out, '-', sizeof out);
    EXPECT_EQ(in.ReadToSztext(8, out, 5), 0);
    EXPECT_EQ(in.ReadToSztext(0xFFFFFFFFu, out, 2), 0);
    EXPECT_EQ(out[0], '-') << "a refused read leaves the buffer alone";
    EXPECT_EQ(in.GetPosition(), 2u);
}

}  // namespace
