#include <kiln/core/heap_interface.h>
#include <kiln/diag/report.h>
#include <kiln/platform/ui/message_box.h>
#include <kiln/stream/read_stm_ptr.h>

#include <gtest/gtest.h>

#include <cstring>
#include <new>

#include "support/box_recorder.h"

namespace {

const char kDouble[] = "Warning! : 二重確保されました、無視します。:CAlloc";
const char kReAllocEmpty[] = "確保されていないのに、再確保が行われました。:CAlloc";
const char kLocked[] = "CAlloc or Later Object Destroyed With Lock.";

class HeapInterface : public ::testing::Test {
protected:
    void TearDown() override { KfxSetErrorLevel(64); }
    kiln::test::BoxRecorder boxes;
};

TEST_F(HeapInterface, AllocOnceReAllocKeepsContentsFreeEmpties) {
    CAllocInterface heap;
    IPmHeapInterface& chunk = heap;
    EXPECT_EQ(chunk.GetLength(), 0u);
    ASSERT_EQ(chunk.Alloc(64), 1);
    EXPECT_EQ(chunk.GetLength(), 64u);
    unsigned char* p = chunk.Lock();
    ASSERT_NE(p, nullptr);
    for (int i = 0; i < 64; ++i) EXPECT_EQ(p[i], 0) << "a new chunk is zero-filled";
    std::memcpy(p, "chunk", 5);
    chunk.Unlock();

    EXPECT_EQ(chunk.Alloc(64), 0);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Last().text, kDouble);
    EXPECT_EQ(chunk.GetLength(), 64u);

    ASSERT_EQ(chunk.ReAlloc(10000), 1);
    EXPECT_EQ(chunk.GetLength(), 10000u);
    p = chunk.Lock();
    EXPECT_EQ(std::memcmp(p, "chunk", 5), 0);
    EXPECT_EQ(p[9999], 0);
    chunk.Unlock();

    chunk.Free();
    EXPECT_EQ(chunk.GetLength(), 0u);
    EXPECT_EQ(chunk.Alloc(8), 1);
    EXPECT_EQ(chunk.GetLength(), 8u);
    EXPECT_EQ(boxes.Count(), 1u);
}

TEST_F(HeapInterface, ReAllocWithoutBlockIsRefusedWithTheBlocksReport) {
    CAllocInterface heap;
    EXPECT_EQ(heap.ReAlloc(128), 0);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Last().text, kReAllocEmpty);
    EXPECT_EQ(heap.GetLength(), 0u);
}

TEST_F(HeapInterface, FromCAllocSharesTheSourcesMemory) {
    CAlloc source(16);
    unsigned char* s = static_cast<unsigned char*>(source.Lock());
    std::memcpy(s, "0123456789abcdef", 16);
    source.Unlock();

    CAllocInterface heap;
    ASSERT_EQ(heap.FromCAlloc(source), 1);
    EXPECT_EQ(heap.GetLength(), 16u);
    EXPECT_NE(source.GetID(), nullptr) << "the source keeps its handle until it is detached";
    unsigned char* p = heap.Lock();
    EXPECT_EQ(std::memcmp(p, "0123456789abcdef", 16), 0);
    p[0] = 'X';
    heap.Unlock();
    s = static_cast<unsigned char*>(source.Lock());
    EXPECT_EQ(s[0], 'X');
    source.Unlock();

    CAlloc other(4);
    EXPECT_EQ(heap.FromCAlloc(other), 0);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Last().text, kDouble);
    EXPECT_EQ(heap.GetLength(), 16u);

    EXPECT_NE(source.DetachWithoutFree(), nullptr);  // the adapter alone releases it now
}

TEST_F(HeapInterface, CopySharesTheBlock) {
    CAllocInterface heap;
    ASSERT_EQ(heap.Alloc(32), 1);
    heap.Lock()[31] = 0x5A;
    heap.Unlock();
    // Only one holder may release shared memory: the copy is never destroyed, the original frees it.
    alignas(CAllocInterface) unsigned char storage[sizeof(CAllocInterface)];
    auto* copy = new (storage) CAllocInterface(heap);
    EXPECT_EQ(copy->GetLength(), 32u);
    unsigned char* p = copy->Lock();
    EXPECT_EQ(p[31], 0x5A);
    p[0] = 0x11;
    copy->Unlock();
    EXPECT_EQ(heap.Lock()[0], 0x11);
    heap.Unlock();
}

TEST_F(HeapInterface, DestroyedWhileAStreamHoldsItLockedWarnsAndReleases) {
    KfxSetErrorLevel(32);
    auto* heap = new CAllocInterface;
    ASSERT_EQ(heap->Alloc(64), 1);
    // The cursor is never destroyed: its chunk is gone, so closing it would reach freed memory.
    alignas(CReadStmPtr) unsigned char storage[sizeof(CReadStmPtr)];
    auto* cursor = new (storage) CReadStmPtr(heap);
    EXPECT_EQ(cursor->GetLength(), 64u);
    delete heap;
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Last().text, kLocked);
}

}  // namespace
