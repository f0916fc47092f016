#include <kiln/platform/runtime/global_memory.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

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

TEST(GlobalMemory, ZeroFillOnAllocationAndEveryGrowth) {
    auto bytes = [](HGLOBAL h, size_t from, size_t to, int value) {
        auto* p = static_cast<unsigned char*>(GlobalLock(h));
        bool all = std::all_of(p + from, p + to, [&](unsigned char c) { return c == value; });
        GlobalUnlock(h);
        return all;
    };
    HGLOBAL h = GlobalAlloc(GHND, 8);
    EXPECT_TRUE(bytes(h, 0, 8, 0));
    std::memset(GlobalLock(h), 0xAB, 8);
    GlobalUnlock(h);
    // Shrink, then grow again inside the kept capacity: the bytes that come back are zero.
    ASSERT_EQ(GlobalReAlloc(h, 4, GHND), h);
    ASSERT_EQ(GlobalReAlloc(h, 8, GHND), h);
    EXPECT_TRUE(bytes(h, 0, 4, 0xAB));
    EXPECT_TRUE(bytes(h, 4, 8, 0));
    ASSERT_EQ(GlobalReAlloc(h, 100000, GHND), h);
    EXPECT_EQ(GlobalSize(h), 100000u);
    EXPECT_TRUE(bytes(h, 0, 4, 0xAB));
    EXPECT_TRUE(bytes(h, 4, 100000, 0));
    GlobalFree(h);
}

TEST(GlobalMemory, GrowthInSmallStepsMovesTheDataRarely) {
    HGLOBAL h = GlobalAlloc(GHND, 2048);
    int moves = 0;
    void* last = GlobalLock(h);
    GlobalUnlock(h);
    for (SIZE_T size = 4096; size <= (SIZE_T)8 << 20; size += 2048) {
        ASSERT_NE(GlobalReAlloc(h, size, GHND), nullptr);
        void* now = GlobalLock(h);
        GlobalUnlock(h);
        moves += now != last;
        last = now;
        ASSERT_EQ(GlobalSize(h), size);
    }
    EXPECT_LT(moves, 40);
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

    // Without zero-fill growth keeps the contents too.
    h = GlobalAlloc(GMEM_MOVEABLE, 3);
    std::memcpy(GlobalLock(h), "abc", 3);
    GlobalUnlock(h);
    ASSERT_EQ(GlobalReAlloc(h, 1 << 20, GMEM_MOVEABLE), h);
    EXPECT_EQ(std::memcmp(GlobalLock(h), "abc", 3), 0);
    GlobalUnlock(h);
    GlobalFree(h);
}

}  // namespace
