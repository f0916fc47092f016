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
#include "support/virtual_slot.h"

namespace {

using kiln::test::VectorHeap;
using kiln::test::VirtualSlot;

const char kSeekOut[] = "CChankPtr:Seek Out of Chank!";

class ChankPtr : public ::testing::Test {
protected:
    // The texts of the boxes shown so far, each checked to be a library notice.
    std::vector<std::string> Reports() {
        std::vector<std::string> texts;
        for (const auto& box : boxes.calls()) {
            EXPECT_EQ(box.caption, "Vantor");
            EXPECT_EQ(box.style, (unsigned)(MB_OK | MB_ICONEXCLAMATION));
            texts.push_back(box.text);
        }
        boxes.Clear();
        return texts;
    }
    using Texts = std::vector<std::string>;
    kiln::test::BoxRecorder boxes;
};

// Opens the protected parts for the tests.
struct Probe : CReadStmPtr {
    using CChankPtr::CheckPC;
    using CChankPtr::TryReAlloc;
    void DropInterface() { m_pInterface = nullptr; }
    static constexpr auto kTryReAlloc = &Probe::TryReAlloc;
};

TEST_F(ChankPtr, RunTimeClassesNameTheirBases) {
    struct Expected {
        const CRuntimeClass* cls;
        const char* name;
        const CRuntimeClass* base;
    };
    const Expected expected[] = {
        {RUNTIME_CLASS(CChankPtr), "CChankPtr", RUNTIME_CLASS(CObject)},
        {RUNTIME_CLASS(CReadStmPtr), "CReadStmPtr", RUNTIME_CLASS(CChankPtr)},
        {RUNTIME_CLASS(CReadTextStmPtr), "CReadTextStmPtr", RUNTIME_CLASS(CReadStmPtr)},
        {RUNTIME_CLASS(CWriteStmPtr), "CWriteStmPtr", RUNTIME_CLASS(CChankPtr)},
        {RUNTIME_CLASS(CWriteTextStmPtr), "CWriteTextStmPtr", RUNTIME_CLASS(CWriteStmPtr)},
        {RUNTIME_CLASS(CReadBitStmPtr), "CReadBitStmPtr", RUNTIME_CLASS(CReadStmPtr)},
        {RUNTIME_CLASS(CWriteBitStmPtr), "CWriteBitStmPtr", RUNTIME_CLASS(CWriteStmPtr)},
        {RUNTIME_CLASS(CWriteWordBitStmPtr), "CWriteWordBitStmPtr", RUNTIME_CLASS(CWriteBitStmPtr)},
        {RUNTIME_CLASS(CWriteLEBitStmPtr), "CWriteLEBitStmPtr", RUNTIME_CLASS(CWriteBitStmPtr)},
    };
    for (const auto& e : expected) {
        EXPECT_STREQ(e.cls->m_lpszClassName, e.name);
        EXPECT_EQ(e.cls->m_pBaseClass, e.base) << e.name;
        EXPECT_EQ(e.cls->CreateObject(), nullptr) << e.name << " has no dynamic creation";
        EXPECT_EQ(e.cls->m_wSchema, 0xFFFFu) << e.name;
    }
    CWriteLEBitStmPtr le;
    EXPECT_EQ(le.GetRuntimeClass(), RUNTIME_CLASS(CWriteLEBitStmPtr));
    EXPECT_TRUE(le.IsKindOf(RUNTIME_CLASS(CWriteStmPtr)));
    EXPECT_FALSE(le.IsKindOf(RUNTIME_CLASS(CReadStmPtr)));
}

TEST_F(ChankPtr, VirtualOperationsKeepTheirSlotOrder) {
    using Align2 = int (CChankPtr::*)(unsigned int, unsigned int);
    using Align1 = int (CChankPtr::*)(unsigned int);
    long base = VirtualSlot(&CObject::Dump);
    const long cursor[] = {
        VirtualSlot(&CChankPtr::Open),
        VirtualSlot(&CChankPtr::Close),
        VirtualSlot(&CChankPtr::Lock),
        VirtualSlot(&CChankPtr::Unlock),
        VirtualSlot(&CChankPtr::GetLength),
        VirtualSlot(&CChankPtr::GetPosition),
        VirtualSlot(&CChankPtr::Seek),
        VirtualSlot(&CChankPtr::SeekFromTop),
        VirtualSlot(&CChankPtr::SeekFromEnd),
        VirtualSlot(&CChankPtr::SeekToTop),
        VirtualSlot(&CChankPtr::SeekToEnd),
        VirtualSlot((Align2)&CChankPtr::Alignment),
        VirtualSlot((Align1)&CChankPtr::Alignment),
        VirtualSlot(Probe::kTryReAlloc),
    };
    for (long i = 0; i < (long)std::size(cursor); ++i)
        EXPECT_EQ(cursor[i], base + 1 + i) << "operation " << i;

    const long writer[] = {
        VirtualSlot(&CWriteStmPtr::FitChankSize),
        VirtualSlot((int(CWriteStmPtr::*)(unsigned long)) & CWriteStmPtr::Decode),
        VirtualSlot((int(CWriteStmPtr::*)(unsigned short)) & CWriteStmPtr::Decode),
        VirtualSlot((int(CWriteStmPtr::*)(unsigned char)) & CWriteStmPtr::Decode),
        VirtualSlot((int(CWriteStmPtr::*)(const void*, unsigned int)) & CWriteStmPtr::Decode),
        VirtualSlot((int(CWriteStmPtr::*)(unsigned int, const void*, unsigned int)) & CWriteStmPtr::Write),
        VirtualSlot((int(CWriteStmPtr::*)(unsigned int, unsigned long)) & CWriteStmPtr::Write),
        VirtualSlot((int(CWriteStmPtr::*)(unsigned int, unsigned short)) & CWriteStmPtr::Write),
        VirtualSlot((int(CWriteStmPtr::*)(unsigned int, unsigned char)) & CWriteStmPtr::Write),
    };
    long last = cursor[std::size(cursor) - 1];
    for (long i = 0; i < (long)std::size(writer); ++i) EXPECT_EQ(writer[i], last + 1 + i) << "writer " << i;

    const long bits[] = {
        VirtualSlot(&CWriteBitStmPtr::AlignmentBit),
        VirtualSlot(&CWriteBitStmPtr::SeekBitFromTop),
        VirtualSlot((int(CWriteBitStmPtr::*)(unsigned long, int)) & CWriteBitStmPtr::DecodeBit),
        VirtualSlot((int(CWriteBitStmPtr::*)(int)) & CWriteBitStmPtr::DecodeBit),
        VirtualSlot(&CWriteBitStmPtr::SetBPC),
    };
    last = writer[std::size(writer) - 1];
    for (long i = 0; i < (long)std::size(bits); ++i) EXPECT_EQ(bits[i], last + 1 + i) << "bit writer " << i;
    // The derived writers replace these operations in the same slots.
    EXPECT_EQ(VirtualSlot(&CWriteLEBitStmPtr::SetBPC), bits[4]);
    EXPECT_EQ(VirtualSlot(&CWriteWordBitStmPtr::AlignmentBit), bits[0]);
}

TEST_F(ChankPtr, OpenCloseLockUnlockAndTheirMisuseReports) {
    VectorHeap first("abcdef"), second("xy");
    {
        CChankPtr cursor(&first);
        EXPECT_EQ(first.locks, 1);
        EXPECT_EQ(cursor.GetLength(), 6u);
        EXPECT_EQ(cursor.GetPosition(), 0u);
        cursor.SeekFromTop(4);

        cursor.Open(&second);  // the old chunk is closed first
        EXPECT_EQ(Reports(), Texts{"CChankPtr:Double Opened! Close Old Chank."});
        EXPECT_EQ(first.locks, 0);
        EXPECT_EQ(second.locks, 1);
        EXPECT_EQ(cursor.GetLength(), 2u);
        EXPECT_EQ(cursor.GetPosition(), 0u);

        cursor.Unlock();
        EXPECT_EQ(second.locks, 0);
        EXPECT_EQ(cursor.GetLength(), 2u) << "an unlocked cursor keeps its chunk";
        cursor.Unlock();
        EXPECT_EQ(Reports(), Texts{"CChankPtr:Unlock without Locking. You can Ignore or Continue."});
        EXPECT_EQ(second.locks, 0);
        cursor.Lock();
        EXPECT_EQ(second.locks, 1);
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

        cursor.Open(nullptr);
        EXPECT_EQ(cursor.GetLength(), 0u);
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
    probe.Close();
    EXPECT_EQ(Reports(), Texts{"CChankPtr:Close without Open! I Ignore."});
}

TEST_F(ChankPtr, SeeksReportBeyondTheEndAndKeepTheNewPosition) {
    VectorHeap heap("0123456789");
    CReadStmPtr cursor(&heap);
    EXPECT_STREQ(CChankPtr::szSeekOutOfChank, kSeekOut);

    EXPECT_EQ(cursor.SeekFromTop(10), 1);
    EXPECT_EQ(cursor.SeekFromTop(11), 0);
    EXPECT_EQ(cursor.GetPosition(), 11u);
    EXPECT_EQ(Reports(), Texts{kSeekOut});

    EXPECT_EQ(cursor.SeekToTop(), 0u);
    EXPECT_EQ(cursor.Seek(-1), 0);
    EXPECT_EQ(cursor.GetPosition(), 4294967295u);
    EXPECT_EQ(Reports(), Texts{kSeekOut});
    EXPECT_EQ(cursor.Seek(4), 1) << "the position wraps back into the chunk";
    EXPECT_EQ(cursor.GetPosition(), 3u);
    EXPECT_EQ(cursor.Seek(7), 1);
    EXPECT_EQ(cursor.Seek(1), 0);
    EXPECT_EQ(Reports(), Texts{kSeekOut});

    EXPECT_EQ(cursor.SeekFromEnd(3), 1);
    EXPECT_EQ(cursor.GetPosition(), 7u);
    EXPECT_EQ(cursor.SeekFromEnd(0), 1);
    EXPECT_EQ(cursor.SeekFromEnd(11), 0);
    EXPECT_EQ(cursor.GetPosition(), 4294967295u);
    EXPECT_EQ(Reports(), Texts{kSeekOut});

    EXPECT_EQ(cursor.SeekToEnd(), 10u);
    EXPECT_EQ(cursor.SeekToTop(), 0u);
    EXPECT_TRUE(Reports().empty()) << "SeekToTop and SeekToEnd never report";

    Probe probe;
    probe.Open(&heap);
    probe.SeekFromTop(10);
    EXPECT_EQ(probe.CheckPC(), 1);
    probe.SeekFromTop(12);
    Reports();
    EXPECT_EQ(probe.CheckPC(), 0);
    EXPECT_EQ(probe.GetPosition(), 12u);
    EXPECT_EQ(Reports(), Texts{kSeekOut});
}

TEST_F(ChankPtr, ReaderAlignmentStaysInsideTheChunk) {
    VectorHeap heap(std::string(10, 'x'));
    CReadStmPtr cursor(&heap);
    cursor.SeekFromTop(5);
    EXPECT_EQ(cursor.Alignment(4), 1);
    EXPECT_EQ(cursor.GetPosition(), 8u);
    EXPECT_EQ(cursor.Alignment(4), 1);
    EXPECT_EQ(cursor.GetPosition(), 8u);
    EXPECT_EQ(cursor.Alignment(0), 1);
    EXPECT_EQ(cursor.Alignment(0, 3), 1);
    EXPECT_EQ(cursor.GetPosition(), 8u);

    cursor.SeekFromTop(5);
    EXPECT_EQ(cursor.Alignment(4, 1), 1) << "5 + 1 is aligned by moving on 2";
    EXPECT_EQ(cursor.GetPosition(), 7u);

    cursor.SeekFromTop(9);
    EXPECT_EQ(cursor.Alignment(4), 0) << "the 3 bytes skipped are not all in the chunk";
    EXPECT_EQ(cursor.GetPosition(), 9u);
    EXPECT_EQ(cursor.Alignment(2, 1), 1);
    EXPECT_EQ(cursor.GetPosition(), 9u);
    EXPECT_EQ(heap.reallocs, 0) << "a reader never resizes";
    EXPECT_TRUE(Reports().empty());
}

}  // namespace
