#include <kiln/platform/global_memory.h>
#include <kiln/platform/last_error.h>

#include <gtest/gtest.h>

#include <cstring>

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
    EXPECT_FALSE(GlobalUnlock(h));  // already 0: stays 0
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_NOT_LOCKED);
    EXPECT_EQ(GlobalFlags(h) & GMEM_LOCKCOUNT, 0u);
    for (int i = 0; i < 257; ++i) GlobalLock(h);
    EXPECT_EQ(GlobalFlags(h) & GMEM_LOCKCOUNT, 1u);
    EXPECT_EQ(GlobalFree(h), nullptr);
}

TEST(GlobalMemory, ZeroFillOnAllocationAndEveryGrowth) {
    HGLOBAL h = GlobalAlloc(GHND, 8);
    auto* p = static_cast<unsigned char*>(GlobalLock(h));
    for (int i = 0; i < 8; ++i) EXPECT_EQ(p[i], 0);
    std::memset(p, 0xAB, 8);
    GlobalUnlock(h);
    // Shrink, then grow again inside the kept capacity: the bytes that come back are zero.
    ASSERT_EQ(GlobalReAlloc(h, 4, GHND), h);
    ASSERT_EQ(GlobalReAlloc(h, 8, GHND), h);
    p = static_cast<unsigned char*>(GlobalLock(h));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(p[i], 0xAB);
    for (int i = 4; i < 8; ++i) EXPECT_EQ(p[i], 0) << i;
    GlobalUnlock(h);
    ASSERT_EQ(GlobalReAlloc(h, 100000, GHND), h);
    EXPECT_EQ(GlobalSize(h), 100000u);
    p = static_cast<unsigned char*>(GlobalLock(h));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(p[i], 0xAB);
    for (int i = 4; i < 100000; ++i) ASSERT_EQ(p[i], 0) << i;
    GlobalUnlock(h);
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
        if (now != last) ++moves;
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
    SetLastError(0);
    EXPECT_EQ(GlobalReAlloc(h, 0x80000000u, GHND), nullptr);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(GlobalSize(h), 0u);  // a failed resize keeps the block
    GlobalFree(h);
    EXPECT_EQ(GlobalAlloc(GHND, 0xFFFFFFFFu), nullptr);
    EXPECT_EQ(GlobalLock(nullptr), nullptr);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_HANDLE);
    EXPECT_EQ(GlobalFree(nullptr), nullptr);
    EXPECT_EQ(GlobalFlags(nullptr), GMEM_INVALID_HANDLE);
}

TEST(GlobalMemory, WithoutZeroInitGrowthKeepsContents) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 3);
    std::memcpy(GlobalLock(h), "abc", 3);
    GlobalUnlock(h);
    ASSERT_EQ(GlobalReAlloc(h, 1 << 20, GMEM_MOVEABLE), h);
    EXPECT_EQ(std::memcmp(GlobalLock(h), "abc", 3), 0);
    GlobalUnlock(h);
    GlobalFree(h);
}

}  // namespace
