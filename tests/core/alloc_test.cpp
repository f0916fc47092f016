#include <kiln/core/alloc.h>
#include <kiln/diag/report.h>
#include <kiln/platform/runtime/global_memory.h>
#include <kiln/platform/files/mem_file.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/archive_bytes.h"
#include "support/block_text.h"
#include "support/box_recorder.h"

namespace {

using kiln::test::BlockText;
using kiln::test::Le32;
using kiln::test::LoadBytes;

const char kNoMemory[] = "メモリ確保例外が発生しました。メモリーが不足しています:CAlloc";

// "attached length flags", and " locked" while it is.
std::string State(CAlloc& a) {
    char flags[8];
    std::snprintf(flags, sizeof flags, "%x", a.GetFlag());
    return std::to_string(a.IsAttached()) + " " + std::to_string(a.GetLength()) + " " + flags +
           (a.IsLocked() ? " locked" : "");
}

// A box as "text/style".
std::string Box(const kiln::test::RecordedBox& box) { return box.text + "/" + std::to_string(box.style); }

class Alloc : public ::testing::Test {
protected:
    void TearDown() override { KfxSetErrorLevel(64); }
    kiln::test::BoxRecorder boxes;
};

TEST_F(Alloc, SecondAllocationIsRefusedAndEmptyObjectsDetachNothing) {
    CAlloc a, other(10), empty;
    EXPECT_EQ(State(a), "0 0 42");
    void* h = a.Alloc(0);  // a zero-length block is a block
    ASSERT_NE(h, nullptr);
    a.SetFlag(0);
    EXPECT_EQ(a.Alloc(100), nullptr);
    EXPECT_EQ(a.Attach(5u, (void*)&a), nullptr);
    EXPECT_EQ(a.AttachThrough(other), nullptr);
    EXPECT_EQ(State(other), "1 10 42") << "the refused source keeps its block";
    EXPECT_EQ(a.GetID(), h);
    EXPECT_EQ(State(a), "1 0 0");
    ASSERT_EQ(boxes.Count(), 3u);
    for (const auto& call : boxes.calls())
        EXPECT_EQ(Box(call), "Warning! : 二重確保されました、無視します。:CAlloc/0");
    EXPECT_EQ(empty.Detach(), 0);
    EXPECT_EQ(empty.DetachWithoutFree(), nullptr);
    a.Free();
    EXPECT_EQ(State(a), "0 0 42");
    EXPECT_EQ(boxes.Count(), 3u);
}

TEST_F(Alloc, ReleasingALockedBlockWarnsAtLevel32AndUnlocksEveryLock) {
    KfxSetErrorLevel(32);
    {
        CAlloc a(16);
        a.Lock();
        a.Lock();
        EXPECT_EQ(GlobalFlags(a.GetID()) & GMEM_LOCKCOUNT, 2u);
        EXPECT_EQ(State(a), "1 16 42 locked");
        boxes.Answer(IDIGNORE);
    }
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(Box(boxes.Last()), "CAlloc or Later Object Destroyed With Lock./514");
    KfxSetErrorLevel(64);  // at the initial level the warning is silent; the locks go all the same
    CAlloc b(8);
    b.Lock();
    HGLOBAL h = b.DetachWithoutFree();
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(GlobalFlags(h) & GMEM_LOCKCOUNT, 0u);
    EXPECT_EQ(State(b), "0 0 42");
    EXPECT_EQ(boxes.Count(), 1u);
    GlobalFree(h);
}

TEST_F(Alloc, ReAllocKeepsBytesZeroFillsAndFailsCleanly) {
    CAlloc a, big;
    EXPECT_EQ(a.ReAlloc(10), nullptr);
    EXPECT_EQ(boxes.Last().text, "確保されていないのに、再確保が行われました。:CAlloc");
    ASSERT_NE(a.Attach((void*)"abc", 3), nullptr);
    ASSERT_NE(a.ReAlloc(5000), nullptr);
    EXPECT_EQ(BlockText(a), "abc" + std::string(4997, '\0'));
    EXPECT_EQ(big.Alloc(0xFFFFFFFFu), nullptr);
    EXPECT_EQ(boxes.Last().text, kNoMemory);
    EXPECT_EQ(State(big), "0 0 42");
    boxes.Clear();
    EXPECT_EQ(a.ReAlloc(0xFFFFFFFFu), nullptr);
    ASSERT_EQ(boxes.Count(), 2u);
    EXPECT_EQ(boxes.calls()[0].text + "|" + boxes.calls()[1].text,
              "メモリ確保例外が発生しました。メモリーを再確保できません:CAlloc|"
              "Not enough memory resources are available to process this command.\r\n");
    EXPECT_EQ(a.GetID(), nullptr);
    EXPECT_EQ(State(a), "0 5000 42");
}

TEST_F(Alloc, AttachHandOverAndSharedCopies) {
    CAlloc a, b, c, empty, d;
    EXPECT_NE(a.Attach((void*)"hello", 5), nullptr);
    void* h = a.GetID();
    EXPECT_EQ(b.AttachThrough(a), h);
    EXPECT_EQ(BlockText(b), "hello");
    EXPECT_EQ(a.GetID(), nullptr);
    EXPECT_EQ(State(a), "0 0 42");
    EXPECT_EQ(c.AttachThrough(empty), nullptr);
    EXPECT_EQ(State(c), "0 0 42");
    HGLOBAL own = GlobalAlloc(GHND, 12);  // adopted: the object's to release
    EXPECT_EQ(d.Attach(12u, own), own);
    EXPECT_EQ(State(d), "1 12 42");
    b.SetFlag(GMEM_MOVEABLE);
    CAlloc copy(b);
    EXPECT_EQ(copy.GetID(), b.GetID());
    EXPECT_EQ(State(copy), "1 5 2");
    static_cast<char*>(copy.Lock())[0] = 'j';
    copy.Unlock();
    EXPECT_EQ(BlockText(b), "jello");
    EXPECT_NE(copy.DetachWithoutFree(), nullptr);  // only one holder releases it
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(Alloc, RecordBytes) {
    CAlloc empty, a, loaded;
    EXPECT_EQ(kiln::test::StoreBytes(empty), std::string(5, '\0'));
    a.Attach((void*)"abc", 3);
    const std::string record = "\x01" + Le32(3) + "abc";
    EXPECT_EQ(kiln::test::StoreBytes(a), record);
    loaded.SetFlag(0);
    LoadBytes(loaded, record);
    EXPECT_EQ(BlockText(loaded), "abc");
    LoadBytes(loaded, std::string(5, '\0'));  // the block held is released first
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(Box(boxes.Last()),
              "既に確保されているｵﾌﾞｼﾞｪｸﾄが LoadSerialize されました。直前のﾁｬﾝｸを開放します。:CAlloc/48");
    EXPECT_EQ(State(loaded), "0 0 42");

    // Cut records: the content, the header, and a length far beyond the archive (refused before any
    // block is claimed for it).
    const struct {
        std::string bytes;
        BOOL attached;
    } kCut[] = {
        {"\x01" + Le32(8) + "abc", 1}, {std::string("\x01\x03\x00", 3), 0}, {"\x01" + Le32(~0u) + "abc", 0}};
    for (const auto& cut : kCut) {
        CAlloc b;
        try {
            LoadBytes(b, cut.bytes);
            ADD_FAILURE() << "no exception";
        } catch (CArchiveException* e) {
            EXPECT_EQ(e->m_cause, CArchiveException::endOfFile);
            e->Delete();
        }
        EXPECT_EQ(b.IsAttached(), cut.attached);
    }
    EXPECT_EQ(boxes.Count(), 1u);
}

TEST_F(Alloc, StoredByPointerThroughTheObjectMechanism) {
    CAlloc a;
    a.Attach((void*)"xy", 2);
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        ar << &a;
    }
    file.SeekToBegin();
    CArchive ar(&file, CArchive::load);
    CAlloc* loaded = nullptr;
    ar >> loaded;
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->GetRuntimeClass(), RUNTIME_CLASS(CAlloc));
    EXPECT_EQ(BlockText(*loaded), "xy");
    delete loaded;
}

}  // namespace
