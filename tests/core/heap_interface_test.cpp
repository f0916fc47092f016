#include <kiln/core/heap_interface.h>
#include <kiln/platform/ui/message_box.h>

#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <string>

#include "support/box_recorder.h"

namespace {

// The chunk's bytes, read under a lock.
std::string Bytes(IPmHeapInterface& chunk) {
    const unsigned char* p = chunk.Lock();
    std::string bytes = p ? std::string((const char*)p, chunk.GetLength()) : "<no memory>";
    chunk.Unlock();
    return bytes;
}

class HeapInterface : public ::testing::Test {
protected:
    kiln::test::BoxRecorder boxes;
};

TEST_F(HeapInterface, AllocOnceReAllocKeepsContentsFreeEmpties) {
    CAllocInterface heap;
    IPmHeapInterface& chunk = heap;
    // The refusals are the block's own, with its warnings (one box each).
    EXPECT_EQ(chunk.ReAlloc(128), 0);
    EXPECT_EQ(chunk.GetLength(), 0u);
    ASSERT_EQ(chunk.Alloc(64), 1);
    EXPECT_EQ(Bytes(chunk), std::string(64, '\0')) << "a new chunk is zero-filled";
    std::memcpy(chunk.Lock(), "chunk", 5);
    chunk.Unlock();
    EXPECT_EQ(chunk.Alloc(64), 0);
    EXPECT_EQ(Bytes(chunk), "chunk" + std::string(59, '\0'));
    ASSERT_EQ(chunk.ReAlloc(10000), 1);
    EXPECT_EQ(Bytes(chunk), "chunk" + std::string(9995, '\0'));

    chunk.Free();
    EXPECT_EQ(chunk.GetLength(), 0u);
    EXPECT_EQ(chunk.Alloc(8), 1);
    EXPECT_EQ(boxes.Count(), 2u);
}

// An adapter made from a CAlloc, and a copy of it, write into the memory they were given.
TEST_F(HeapInterface, FromCAllocAndCopiesShareTheMemory) {
    CAlloc source(16);
    std::memcpy(source.Lock(), "0123456789abcdef", 16);
    source.Unlock();

    CAllocInterface heap;
    ASSERT_EQ(heap.FromCAlloc(source), 1);
    EXPECT_EQ(Bytes(heap), "0123456789abcdef");
    heap.Lock()[0] = 'X';
    heap.Unlock();
    EXPECT_EQ(static_cast<unsigned char*>(source.Lock())[0], 'X');
    source.Unlock();

    CAlloc other(4);
    EXPECT_EQ(heap.FromCAlloc(other), 0);
    EXPECT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(Bytes(heap), "X123456789abcdef");
    EXPECT_NE(source.DetachWithoutFree(), nullptr);  // the adapter alone releases it now

    // Only one holder may release shared memory: the copy is never destroyed, the original frees it.
    alignas(CAllocInterface) unsigned char storage[sizeof(CAllocInterface)];
    auto* copy = new (storage) CAllocInterface(heap);
    EXPECT_EQ(copy->GetLength(), 16u);
    copy->Lock()[1] = 'Y';
    copy->Unlock();
    EXPECT_EQ(Bytes(heap), "XY23456789abcdef");
}

}  // namespace
