#include <kiln/stream/read_stm_ptr.h>

#include <gtest/gtest.h>

#include <string>

#include "support/seq.h"
#include "stream/test_heap.h"
#include "support/box_recorder.h"

namespace {

using kiln::test::Seq;
using kiln::test::VectorHeap;

class ChankPtr : public ::testing::Test {
protected:
    // The texts of the boxes shown since the last call, each checked to be a library notice.
    std::string Reports() {
        std::string texts;
        for (const auto& box : boxes.calls()) {
            EXPECT_EQ(box.caption, "Vantor");
            EXPECT_EQ(box.style, (unsigned)(MB_OK | MB_ICONEXCLAMATION));
            texts += (texts.empty() ? "" : "|") + box.text;
        }
        boxes.Clear();
        return texts;
    }
    kiln::test::BoxRecorder boxes;
};

struct Probe : CReadStmPtr {
    using CChankPtr::CheckPC;
    void DropInterface() { m_pInterface = nullptr; }
};

TEST_F(ChankPtr, OpenCloseLockUnlockAndTheirMisuseReports) {
    VectorHeap first("abcdef"), second("xy");
    {
        CChankPtr cursor(&first);
        EXPECT_EQ(first.locks, 1);
        cursor.SeekFromTop(4);
        cursor.Open(&second);  // the old chunk is closed first
        EXPECT_EQ(Reports(), "CChankPtr:Double Opened! Close Old Chank.");
        EXPECT_EQ(Seq({first.locks, second.locks, cursor.GetLength(), cursor.GetPosition()}), "0 1 2 0");

        cursor.Unlock();
        EXPECT_EQ(cursor.GetLength(), 2u) << "an unlocked cursor keeps its chunk";
        cursor.Unlock();
        EXPECT_EQ(Reports(), "CChankPtr:Unlock without Locking. You can Ignore or Continue.");
        EXPECT_EQ(second.locks, 0);
        cursor.Lock();
        cursor.Lock();
        EXPECT_EQ(Reports(), "CChankPtr:Double Lock! I Ignore.");
        EXPECT_EQ(second.locks, 1);

        cursor.SeekToEnd();
        cursor.Close();  // Close leaves the position
        EXPECT_EQ(Seq({second.locks, cursor.GetLength(), cursor.GetPosition()}), "0 0 2");
        cursor.Close();
        cursor.Lock();  // nothing attached: nothing to lock, nothing to report
        EXPECT_EQ(Reports(), "CChankPtr:Close without Open! I Ignore.");
        cursor.Open(&first);
    }
    EXPECT_EQ(first.locks, 0) << "the destructor closes an open cursor";
    EXPECT_EQ(Reports(), "");

    Probe probe;
    probe.Open(&first);
    probe.DropInterface();
    probe.Close();
    EXPECT_EQ(Reports(), "CChankPtr:Close with Illegal Chank Reference. I Ignore.");
    first.Unlock();  // the cursor could not give the lock back
}

TEST_F(ChankPtr, SeeksReportBeyondTheEndAndKeepTheNewPosition) {
    VectorHeap heap("0123456789");
    Probe cursor;
    cursor.Open(&heap);
    struct Step {
        int (*seek)(CChankPtr&, long);
        long arg;
        int result;
        unsigned position;
    };
    auto top = [](CChankPtr& c, long n) { return c.SeekFromTop((unsigned)n); };
    auto by = [](CChankPtr& c, long n) { return c.Seek(n); };
    auto end = [](CChankPtr& c, long n) { return c.SeekFromEnd((unsigned)n); };
    const Step steps[] = {
        {top, 10, 1, 10}, {top, 11, 0, 11},
        {top, 0, 1, 0},   {by, -1, 0, 4294967295u},
        {by, 4, 1, 3},    {by, 7, 1, 10},
        {by, 1, 0, 11},   {end, 3, 1, 7},
        {end, 0, 1, 10},  {end, 11, 0, 4294967295u},
    };
    const std::string seekOut = "CChankPtr:Seek Out of Chank!";
    for (const auto& s : steps) {
        SCOPED_TRACE(testing::Message() << "seek " << s.arg << " to " << s.position);
        EXPECT_EQ(s.seek(cursor, s.arg), s.result);
        EXPECT_EQ(cursor.GetPosition(), s.position);
        EXPECT_EQ(Reports(), s.result ? "" : seekOut);
        EXPECT_EQ(cursor.CheckPC(), s.result);
        EXPECT_EQ(Reports(), s.result ? "" : seekOut);
    }
    EXPECT_EQ(Seq({cursor.SeekToEnd(), cursor.SeekToTop()}), "10 0");
    EXPECT_EQ(Reports(), "") << "SeekToTop and SeekToEnd never report";
}

TEST_F(ChankPtr, ReaderAlignmentStaysInsideTheChunk) {
    VectorHeap heap(std::string(10, 'x'));
    CReadStmPtr cursor(&heap);
    struct Case {
        unsigned from, unit, offset;
        int result;
        unsigned position;
    };
    const Case cases[] = {{5, 4, 0, 1, 8}, {8, 4, 0, 1, 8}, {8, 0, 0, 1, 8}, {8, 0, 3, 1, 8},
                          {5, 4, 1, 1, 7}, {9, 4, 0, 0, 9}, {9, 2, 1, 1, 9}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << " by " << c.unit << "+" << c.offset);
        cursor.SeekFromTop(c.from);
        EXPECT_EQ(c.offset ? cursor.Alignment(c.unit, c.offset) : cursor.Alignment(c.unit), c.result);
        EXPECT_EQ(cursor.GetPosition(), c.position);
    }
    EXPECT_EQ(heap.reallocs, 0) << "a reader never resizes";
    EXPECT_EQ(Reports(), "");
}

}  // namespace
