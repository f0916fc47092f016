#include <kiln/core/alloc.h>
#include <kiln/diag/report.h>
#include <kiln/platform/global_memory.h>
#include <kiln/platform/mem_file.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/box_recorder.h"

namespace {

const char kDouble[] = "Warning! : 二重確保されました、無視します。:CAlloc";
const char kLocked[] = "CAlloc or Later Object Destroyed With Lock.";

// The bytes an archive writes for a stored object, and an archive loading from given bytes.
std::string Store(CObject& object) {
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        object.Serialize(ar);
    }
    std::string bytes(file.GetLength(), '\0');
    file.SeekToBegin();
    file.Read(bytes.data(), (UINT)bytes.size());
    return bytes;
}

void Load(CObject& object, const std::string& bytes) {
    CMemFile file;
    file.Write(bytes.data(), (UINT)bytes.size());
    file.SeekToBegin();
    CArchive ar(&file, CArchive::load);
    object.Serialize(ar);
}

class Alloc : public ::testing::Test {
protected:
    void TearDown() override { KfxSetErrorLevel(64); }
    kiln::test::BoxRecorder boxes;
};

TEST_F(Alloc, EmptyStateAndRunTimeClass) {
    CAlloc a;
    EXPECT_EQ(a.GetID(), nullptr);
    EXPECT_EQ(a.GetLength(), 0u);
    EXPECT_EQ(a.IsAttached(), 0);
    EXPECT_EQ(a.GetFlag(), 0x42);
    EXPECT_EQ(a.IsLocked(), 0u);
    EXPECT_STREQ(a.GetRuntimeClass()->m_lpszClassName, "CAlloc");
    EXPECT_EQ(RUNTIME_CLASS(CAlloc)->m_wSchema, 0u);
    CObject* made = RUNTIME_CLASS(CAlloc)->CreateObject();
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(CAlloc)));
    delete made;
}

TEST_F(Alloc, SecondAllocationIsRefusedAndChangesNothing) {
    CAlloc a;
    void* h = a.Alloc(100);
    ASSERT_NE(h, nullptr);
    a.SetFlag(0);
    EXPECT_EQ(a.Alloc(100), nullptr);
    EXPECT_EQ(a.Attach(5u, (void*)&a), nullptr);
    CAlloc other(10);
    EXPECT_EQ(a.AttachThrough(other), nullptr);
    EXPECT_EQ(other.IsAttached(), 1);  // the refused source keeps its block
    ASSERT_EQ(boxes.Count(), 3u);
    for (const auto& call : boxes.calls()) {
        EXPECT_EQ(call.text, kDouble);
        EXPECT_EQ(call.style, 0u);
    }
    EXPECT_EQ(a.GetID(), h);
    EXPECT_EQ(a.GetLength(), 100u);
    EXPECT_EQ(a.GetFlag(), 0);
}

TEST_F(Alloc, ZeroLengthBlocksAndDetachingEmptyObjects) {
    CAlloc a;
    EXPECT_NE(a.Alloc(0), nullptr);
    EXPECT_EQ(a.IsAttached(), 1);
    EXPECT_EQ(a.GetLength(), 0u);
    CAlloc empty;
    EXPECT_EQ(empty.Detach(), 0);
    EXPECT_EQ(empty.DetachWithoutFree(), nullptr);
    EXPECT_EQ(boxes.Count(), 0u);
    empty.SetFlag(0);
    EXPECT_TRUE(a.Detach());
    a.SetFlag(0);
    a.Free();
    EXPECT_EQ(a.GetFlag(), 0x42);
}

TEST_F(Alloc, ReleasingALockedBlockWarnsAtLevel32AndUnlocksEveryLock) {
    KfxSetErrorLevel(32);
    HGLOBAL h;
    {
        CAlloc a(16);
        h = a.GetID();
        a.Lock();
        a.Lock();
        EXPECT_EQ(GlobalFlags(h) & GMEM_LOCKCOUNT, 2u);
        boxes.Answer(IDIGNORE);
    }
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Last().text, kLocked);
    EXPECT_EQ(boxes.Last().style, 514u);

    // At the initial level the warning is silent, and the locks are removed all the same.
    KfxSetErrorLevel(64);
    CAlloc b(8);
    b.Lock();
    h = b.DetachWithoutFree();
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(GlobalFlags(h) & GMEM_LOCKCOUNT, 0u);
    EXPECT_EQ(b.IsAttached(), 0);
    EXPECT_EQ(b.GetFlag(), 0x42);
    EXPECT_EQ(boxes.Count(), 1u);
    GlobalFree(h);
}

TEST_F(Alloc, LockState) {
    CAlloc a(4);
    EXPECT_EQ(a.IsLocked(), 0u);
    a.Lock();
    EXPECT_EQ(a.IsLocked(), 1u);
    a.Unlock();
    EXPECT_EQ(a.IsLocked(), 0u);
    a.Unlock();  // unlocking an unlocked block changes nothing
    EXPECT_EQ(a.IsLocked(), 0u);
}

TEST_F(Alloc, ReAllocKeepsBytesAndZeroFillsGrowth) {
    CAlloc a;
    EXPECT_EQ(a.ReAlloc(10), nullptr);
    EXPECT_EQ(boxes.Last().text, "確保されていないのに、再確保が行われました。:CAlloc");
    ASSERT_NE(a.Attach((void*)"abc", 3), nullptr);
    ASSERT_NE(a.ReAlloc(5000), nullptr);
    EXPECT_EQ(a.GetLength(), 5000u);
    auto* p = static_cast<const unsigned char*>(a.Lock());
    EXPECT_EQ(std::memcmp(p, "abc", 3), 0);
    for (int i = 3; i < 5000; ++i) ASSERT_EQ(p[i], 0) << i;
    a.Unlock();
}

TEST_F(Alloc, FailedAllocationAndResize) {
    CAlloc a;
    EXPECT_EQ(a.Alloc(0xFFFFFFFFu), nullptr);
    EXPECT_EQ(boxes.Last().text, "メモリ確保例外が発生しました。メモリーが不足しています:CAlloc");
    EXPECT_EQ(a.IsAttached(), 0);
    ASSERT_NE(a.Alloc(10), nullptr);
    boxes.Clear();
    EXPECT_EQ(a.ReAlloc(0xFFFFFFFFu), nullptr);
    ASSERT_EQ(boxes.Count(), 2u);
    EXPECT_EQ(boxes.calls()[0].text, "メモリ確保例外が発生しました。メモリーを再確保できません:CAlloc");
    EXPECT_EQ(boxes.calls()[1].text,
              "Not enough memory resources are available to process this command.\r\n");
    EXPECT_EQ(a.GetID(), nullptr);
    EXPECT_EQ(a.IsAttached(), 0);
    EXPECT_EQ(a.GetLength(), 10u);
}

TEST_F(Alloc, AttachFormsAndHandOver) {
    CAlloc a;
    EXPECT_NE(a.Attach((void*)"hello", 5), nullptr);
    EXPECT_EQ(a.GetLength(), 5u);
    EXPECT_EQ(std::memcmp(a.Lock(), "hello", 5), 0);
    a.Unlock();

    CAlloc b;
    void* h = a.GetID();
    EXPECT_EQ(b.AttachThrough(a), h);
    EXPECT_EQ(b.GetLength(), 5u);
    EXPECT_EQ(a.IsAttached(), 0);
    EXPECT_EQ(a.GetID(), nullptr);

    CAlloc c, emptySource;
    CAlloc sized(7);
    sized.Detach();
    EXPECT_EQ(c.AttachThrough(emptySource), nullptr);
    EXPECT_EQ(c.IsAttached(), 0);

    // A handle adopted with Attach(size, handle) is the object's to release.
    HGLOBAL own = GlobalAlloc(GHND, 12);
    CAlloc d;
    EXPECT_EQ(d.Attach(12u, own), own);
    EXPECT_EQ(d.GetLength(), 12u);
}

TEST_F(Alloc, CopiesShareTheBlock) {
    CAlloc a(8);
    a.SetFlag(GMEM_MOVEABLE);
    CAlloc copy(a);
    EXPECT_EQ(copy.GetID(), a.GetID());
    EXPECT_EQ(copy.GetLength(), 8u);
    EXPECT_EQ(copy.IsAttached(), 1);
    EXPECT_EQ(copy.GetFlag(), GMEM_MOVEABLE);
    static_cast<char*>(copy.Lock())[0] = 'q';
    copy.Unlock();
    EXPECT_EQ(static_cast<const char*>(a.Lock())[0], 'q');
    a.Unlock();
    EXPECT_NE(copy.DetachWithoutFree(), nullptr);  // only one holder releases it
}

TEST_F(Alloc, RecordBytes) {
    CAlloc empty;
    EXPECT_EQ(Store(empty), std::string(5, '\0'));

    CAlloc a;
    a.Attach((void*)"abc", 3);
    EXPECT_EQ(Store(a), std::string("\x01\x03\x00\x00\x00" "abc", 8));

    CAlloc loaded;
    loaded.SetFlag(0);
    Load(loaded, std::string("\x01\x03\x00\x00\x00" "abc", 8));
    EXPECT_EQ(loaded.IsAttached(), 1);
    EXPECT_EQ(loaded.GetLength(), 3u);
    EXPECT_EQ(std::memcmp(loaded.Lock(), "abc", 3), 0);
    loaded.Unlock();
    EXPECT_EQ(boxes.Count(), 0u);

    Load(loaded, std::string(5, '\0'));
    EXPECT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Last().text,
              "既に確保されているｵﾌﾞｼﾞｪｸﾄが LoadSerialize されました。直前のﾁｬﾝｸを開放します。:CAlloc");
    EXPECT_EQ(boxes.Last().style, 48u);
    EXPECT_EQ(loaded.IsAttached(), 0);
    EXPECT_EQ(loaded.GetFlag(), 0x42);
}

TEST_F(Alloc, TruncatedRecordsRaiseTheArchiveException) {
    CAlloc a;
    try {
        Load(a, std::string("\x01\x08\x00\x00\x00" "abc", 8));
        FAIL() << "no exception";
    } catch (CArchiveException* e) {
        EXPECT_EQ(e->m_cause, CArchiveException::endOfFile);
        e->Delete();
    }
    CAlloc b;
    try {
        Load(b, std::string("\x01\x03\x00", 3));
        FAIL() << "no exception";
    } catch (CArchiveException* e) {
        EXPECT_EQ(e->m_cause, CArchiveException::endOfFile);
        e->Delete();
    }
}

TEST_F(Alloc, ALoadWhoseAllocationFailsPassesOverTheContent) {
    // The stored length is too large for a block: the content bytes (here 3, then the archive
    // ends) are passed over, and the object stays empty.
    CAlloc a;
    try {
        Load(a, std::string("\x01\xFF\xFF\xFF\xFF" "abc", 8));
        FAIL() << "no exception";
    } catch (CArchiveException* e) {
        EXPECT_EQ(e->m_cause, CArchiveException::endOfFile);
        e->Delete();
    }
    EXPECT_EQ(a.IsAttached(), 0);
    EXPECT_EQ(boxes.Last().text, "メモリ確保例外が発生しました。メモリーが不足しています:CAlloc");
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
    EXPECT_EQ(loaded->GetLength(), 2u);
    EXPECT_EQ(std::memcmp(loaded->Lock(), "xy", 2), 0);
    loaded->Unlock();
    delete loaded;
}

}  // namespace
