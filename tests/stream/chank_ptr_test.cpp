#include <kiln/diag/report.h>
#include <kiln/stream/read_bit_stm_ptr.h>
#include <kiln/stream/read_text_stm_ptr.h>
#include <kiln/stream/write_le_bit_stm_ptr.h>
#include <kiln/stream/write_text_stm_ptr.h>
#include <kiln/stream/write_word_bit_stm_ptr.h>

#include <gtest/gtest.h>

#include <string>

#include "stream/test_heap.h"
#include "support/box_recorder.h"

namespace {

using kiln::test::VectorHeap;
using Texts = std::vector<std::string>;

const char kSeekOut[] = "CChankPtr:Seek Out of Chank!";

class ChankPtr : public ::testing::Test {
protected:
    // The texts of the boxes shown so far, each checked to be a library notice.
    Texts Reports() {
        Texts texts;
        for (const auto& box : boxes.calls()) {
            EXPECT_EQ(box.caption, "Vantor");
            EXPECT_EQ(box.style, (unsigned)(MB_OK | MB_ICONEXCLAMATION));
            texts.push_back(box.text);
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
        EXPECT_EQ(Reports(), Texts{"CChankPtr:Double Opened! Close Old Chank."});
        EXPECT_EQ(first.locks, 0);
        EXPECT_EQ(second.locks, 1);
        EXPECT_EQ(cursor.GetLength(), 2u);
        EXPECT_EQ(cursor.GetPosition(), 0u);

        cursor.Unlock();
        EXPECT_EQ(cursor.GetLength(), 2u) << "an unlocked cursor keeps its chunk";
        cursor.Unlock();
        EXPECT_EQ(Reports(), Texts{"CChankPtr:Unlock without Locking. You can Ignore or Continue."});
        EXPECT_EQ(second.locks, 0);
        cursor.Lock();
        cursor.Lock();
        EXPECT_EQ(Reports(), Texts{"CChankPtr:Double Lock! I Ignore."});
        EXPECT_EQ(second.locks, 1);

        cursor.SeekToEnd();
        cursor.Close();
        EXPECT_EQ(second.locks, 0);
        EXPECT_EQ(cursor.GetLength(), 0u);
        EXPECT_EQ(cursor.GetPosition(), 2u) << "Close leaves the position";
        cursor.Close();
        EXPECT_EQ(Reports(), Texts{"CChankPtr:Close without Open! I Ignore."});
        cursor.Lock();  // nothing attached: nothing to lock
        EXPECT_TRUE(Reports().empty());
        cursor.Open(&first);
    }
    EXPECT_EQ(first.locks, 0) << "the destructor closes an open cursor";
    EXPECT_TRUE(Reports().empty());

    Probe probe;
    probe.Open(&first);
    probe.DropInterface();
    probe.Close();
    EXPECT_EQ(Reports(), Texts{"CChankPtr:Close with Illegal Chank Reference. I Ignore."});
    first.Unlock();  // the cursor could not give the lock back
}

TEST_F(ChankPtr, SeeksReportBeyondTheEndAndKeepTheNewPosition) {
    VectorHeap heap("0123456789");
    Probe cursor;
    cursor.Open(&heap);
    EXPECT_STREQ(CChankPtr::szSeekOutOfChank, kSeekOut);
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
        {top, 10, 1, 10}, {top, 11, 0, 11}, {top, 0, 1, 0},        {by, -1, 0, 4294967295u},
        {by, 4, 1, 3},    {by, 7, 1, 10},   {by, 1, 0, 11},        {end, 3, 1, 7},
        {end, 0, 1, 10},  {end, 11, 0, 4294967295u},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(testing::Message() << "seek " << s.arg << " to " << s.position);
        EXPECT_EQ(s.seek(cursor, s.arg), s.result);
        EXPECT_EQ(cursor.GetPosition(), s.position);
        EXPECT_EQ(Reports(), s.result ? Texts{} : Texts{kSeekOut});
        EXPECT_EQ(cursor.CheckPC(), s.result);
        EXPECT_EQ(Reports(), s.result ? Texts{} : Texts{kSeekOut});
    }
    EXPECT_EQ(cursor.SeekToEnd(), 10u);
    EXPECT_EQ(cursor.SeekToTop(), 0u);
    EXPECT_TRUE(Reports().empty()) << "SeekToTop and SeekToEnd never report";
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
    EXPECT_TRUE(Reports().empty());
}

}  // namespace
