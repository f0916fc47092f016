#include <kiln/platform/runtime/global_memory.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "support/expect_error.h"

namespace {

TEST(GlobalMemory, LockCountIsCountedAndReadAsEightBits) {
    HGLOBAL h = GlobalAlloc(GHND, 16);
    ASSERT_NE(h, nullptr);
    EXPECT_NE(h, GlobalLock(h));  // the handle is not the data pointer
    EXPECT_EQ(GlobalFlags(h) & GMEM_LOCKCOUNT, 1u);
    GlobalLock(h);
    EXPECT_EQ(GlobalFlags(h) & GMEM_LOCKCOUNT, 2u);
    EXPECT_TRUE(GlobalUnlock(h));
    EXPECT_FALSE(GlobalUnlock(h));
    EXPECT_LAST_ERROR(GlobalUnlock(h), FALSE, ERROR_NOT_LOCKED);  // already 0: stays 0
    EXPECT_EQ(GlobalFlags(h) & GMEM_LOCKCOUNT, 0u);
    for (int i = 0; i < 257; ++i) GlobalLock(h);
    EXPECT_EQ(GlobalFlags(h) & GMEM_LOCKCOUNT, 1u);
    EXPECT_EQ(GlobalFree(h), nullptr);
}

// Whether the bytes of h from `from` to `to` all equal value.
bool All(HGLOBAL h, size_t from, size_t to, int value) {
    auto* p = static_cast<unsigned char*>(GlobalLock(h));
    bool all = std::all_of(p + from, p + to, [&](unsigned char c) { return c == value; });
    GlobalUnlock(h);
    return all;
}

TEST(GlobalMemory, GrowthKeepsTheContentsAndZeroFillsOnAllocationAndEveryGrowth) {
    HGLOBAL h = GlobalAlloc(GHND, 8);
    EXPECT_TRUE(All(h, 0, 8, 0));
    std::memset(GlobalLock(h), 0xAB, 8);
    GlobalUnlock(h);
    // Shrink, then grow again inside the kept capacity: the bytes that come back are zero.
    ASSERT_EQ(GlobalReAlloc(h, 4, GHND), h);
    ASSERT_EQ(GlobalReAlloc(h, 8, GHND), h);
    EXPECT_TRUE(All(h, 0, 4, 0xAB) && All(h, 4, 8, 0));
    ASSERT_EQ(GlobalReAlloc(h, 100000, GHND), h);
    EXPECT_EQ(GlobalSize(h), 100000u);
    EXPECT_TRUE(All(h, 0, 4, 0xAB) && All(h, 4, 100000, 0));
    // Without zero-fill growth keeps the contents too.
    ASSERT_EQ(GlobalReAlloc(h, 1 << 20, GMEM_MOVEABLE), h);
    EXPECT_TRUE(All(h, 0, 4, 0xAB));
    GlobalFree(h);
}

TEST(GlobalMemory, GrowthInSmallStepsMovesTheDataRarely) {
    // A small allocation after each step keeps the heap from growing the block where it lies. Doubling
    // the room moves the data a dozen times; growing it by the step would move it hundreds of times.
    std::vector<std::unique_ptr<char[]>> blockers;
    HGLOBAL h = GlobalAlloc(GHND, 16);
    void* last = GlobalLock(h);
    GlobalUnlock(h);
    int moves = 0;
    for (SIZE_T size = 32; size <= 65536; size += 16) {
        ASSERT_EQ(GlobalReAlloc(h, size, GHND), h);
        void* now = GlobalLock(h);
        GlobalUnlock(h);
        moves += now != last;
        last = now;
        blockers.push_back(std::make_unique<char[]>(16));
    }
    EXPECT_LE(moves, 20);
    GlobalFree(h);
}

TEST(GlobalMemory, EmptyBlocksAndFailures) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 0);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(GlobalSize(h), 0u);
    EXPECT_NE(GlobalLock(h), nullptr);
    GlobalUnlock(h);
    EXPECT_LAST_ERROR(GlobalReAlloc(h, 0x80000000u, GHND), nullptr, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(GlobalSize(h), 0u);  // a failed resize keeps the block
    GlobalFree(h);
    EXPECT_EQ(GlobalAlloc(GHND, 0xFFFFFFFFu), nullptr);
    EXPECT_LAST_ERROR(GlobalLock(nullptr), nullptr, ERROR_INVALID_HANDLE);
    EXPECT_EQ(GlobalFree(nullptr), nullptr);
    EXPECT_EQ(GlobalFlags(nullptr), GMEM_INVALID_HANDLE);
}

}  // namespace
