#include <kiln/core/text_alloc.h>
#include <kiln/platform/mem_file.h>
#include <kiln/platform/win_app.h>

#include <gtest/gtest.h>

#include <string>

#include "support/archive_bytes.h"
#include "support/box_recorder.h"
#include "support/temp_dir.h"

namespace {

using kiln::test::Le32;
using kiln::test::LoadBytes;
using kiln::test::StoreBytes;

const char kDouble[] = "Warning! : 二重確保されました、無視します。:CAlloc";
const char kWriteFailed[] = "CTextAlloc::Serialze:書き込みに失敗しました";
const char kCheckWord[] =
    "CTextAlloc:Warning!:ﾌｧｲﾙ中の長さ情報のﾁｪｯｸｻﾑが一致しません、ﾃﾞｰﾀの信頼性に問題がある可能性があります";

std::string Content(CTextAlloc& t) {
    const char* p = static_cast<const char*>(t.Lock());
    std::string s(p, t.GetLength());
    t.Unlock();
    return s;
}

// A memory file whose writes fail as a full disk does.
class FullFile : public CMemFile {
public:
    void Write(const void*, UINT) override { AfxThrowFileException(CFileException::diskFull); }
};

// The cause of the archive exception that fn raises, or -1 when it raises none.
template <class Fn>
int ArchiveCause(Fn fn) {
    try {
        fn();
    } catch (CArchiveException* e) {
        int cause = e->m_cause;
        bool named = !e->m_strFileName.IsEmpty();
        e->Delete();
        return named ? -2 : cause;
    }
    return -1;
}

class Refusing : public CTextAlloc {
public:
    BOOL AfterSerialRead() override { return 0; }
};

class Creating : public CTextAlloc {
public:
    BOOL OnCreateNewFile(const char* path) override {
        asked = path;
        return 0;
    }
    std::string asked;
};

class Persist : public ::testing::Test {
protected:
    kiln::test::BoxRecorder boxes;
    kiln::test::TempDir dir;
};

TEST_F(Persist, CheckWordRecordBytes) {
    CTextAlloc t;
    t.Attach("abc", "x.txt");
    t.SetModifiedFlag(1);
    EXPECT_EQ(StoreBytes(t), std::string("\x03\x00\x00\x00\xFC\xFF\xFF\xFF"
                                         "abc",
                                         11));
    EXPECT_EQ(t.IsModified(), 0);
    EXPECT_EQ(t.IsLocked(), 0u);
    CTextAlloc empty;
    EXPECT_EQ(StoreBytes(empty), std::string("\x00\x00\x00\x00\xFF\xFF\xFF\xFF", 8));

    CTextAlloc loaded;
    LoadBytes(loaded, StoreBytes(t));
    EXPECT_EQ(Content(loaded), "abc");
    EXPECT_EQ(loaded.IsAttached(), 1);
    EXPECT_EQ(loaded.IsModified(), 0);
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(Persist, WrongCheckWordWarnsOnceAndLoads) {
    CTextAlloc t;
    LoadBytes(t, Le32(4) + Le32(0x12345678) + "wxyz" + "tail");
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Last().text, kCheckWord);
    EXPECT_EQ(boxes.Last().style, 0u);
    EXPECT_EQ(t.GetLength(), 4u);
    EXPECT_EQ(Content(t), "wxyz");
}

TEST_F(Persist, LoadingRefusalsRaiseGenericArchiveExceptions) {
    CTextAlloc held;
    held.Attach("keep", "k.txt");
    std::string record = Le32(2) + Le32(~2u) + "ab";
    EXPECT_EQ(ArchiveCause([&] { LoadBytes(held, record); }), CArchiveException::genericException);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Last().text, kDouble);
    EXPECT_EQ(boxes.Last().style, 0u);
    EXPECT_EQ(Content(held), "keep");

    // Content cut short: the block of N bytes stays, the name does not change.
    CTextAlloc cut;
    cut.AttachText("before");
    EXPECT_EQ(ArchiveCause([&] { LoadBytes(cut, Le32(10) + Le32(~10u) + "abc"); }),
              CArchiveException::genericException);
    EXPECT_EQ(cut.IsAttached(), 1);
    EXPECT_EQ(cut.GetLength(), 10u);
    EXPECT_STREQ(cut.GetPathName(), "before");
    EXPECT_EQ(cut.IsLocked(), 0u);

    Refusing refusing;
    EXPECT_EQ(ArchiveCause([&] { LoadBytes(refusing, record); }), CArchiveException::genericException);
    EXPECT_EQ(refusing.IsAttached(), 1);
    EXPECT_EQ(boxes.Count(), 1u);
}

TEST_F(Persist, FileExceptionsWhileStoringAreShownAndTurned) {
    std::string big(10000, 'q');
    CTextAlloc t;
    t.Attach(big.data(), (unsigned)big.size(), "big.txt");
    t.SetModifiedFlag(1);
    {
        FullFile file;
        CArchive ar(&file, CArchive::store);
        EXPECT_EQ(ArchiveCause([&] { t.Serialize(ar); }), CArchiveException::genericException);
        ar.Abort();
    }
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Last().text, kWriteFailed);
    EXPECT_EQ(boxes.Last().style, 0u);
    EXPECT_EQ(t.IsLocked(), 0u);
    EXPECT_EQ(t.IsModified(), 1);

    {
        FullFile file;
        CArchive ar(&file, CArchive::store);
        EXPECT_EQ(t.SerializeRaw(ar), 0);
        ar.Abort();
    }
    EXPECT_EQ(boxes.Count(), 2u);
    EXPECT_EQ(boxes.Last().text, kWriteFailed);
    EXPECT_EQ(t.IsLocked(), 0u);
}

TEST_F(Persist, RawRecordIsTheBytesAlone) {
    CTextAlloc t;
    t.Attach("raw!", nullptr);
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        EXPECT_EQ(t.SerializeRaw(ar), 1);
    }
    EXPECT_EQ(file.GetLength(), 4u);

    // Loading takes the rest of the file after what the archive has read already.
    CMemFile in;
    in.Write("HDRpayload", 10);
    in.SeekToBegin();
    CArchive ar(&in, CArchive::load);
    char header[3];
    ar.Read(header, 3);
    CTextAlloc loaded;
    EXPECT_EQ(loaded.SerializeRaw(ar), 1);
    EXPECT_EQ(Content(loaded), "payload");
    CTextAlloc again;
    again.Attach("x", nullptr);
    EXPECT_EQ(again.SerializeRaw(ar), 0);
    EXPECT_EQ(boxes.Last().text, kDouble);
    EXPECT_EQ(Content(again), "x");
}

TEST_F(Persist, ReadSerializeTakesLengthPrefixedRecords) {
    auto load = [](CTextAlloc& t, const std::string& bytes) {
        CMemFile file;
        file.Write(bytes.data(), (UINT)bytes.size());
        file.SeekToBegin();
        CArchive ar(&file, CArchive::load);
        return t.ReadSerialize(ar);
    };
    CTextAlloc t;
    EXPECT_EQ(load(t, Le32(3) + "abc"), 1);
    EXPECT_EQ(Content(t), "abc");
    EXPECT_EQ(load(t, Le32(3) + "def"), 1) << "same file name: nothing read";
    EXPECT_EQ(Content(t), "abc");

    CTextAlloc empty;
    EXPECT_EQ(load(empty, Le32(0)), 0);
    EXPECT_EQ(empty.IsAttached(), 1);  // allocated before the read delivered nothing
    EXPECT_EQ(empty.GetLength(), 0u);

    CTextAlloc shortRead;
    EXPECT_EQ(load(shortRead, Le32(5) + "ab"), 1);
    EXPECT_EQ(Content(shortRead), std::string("ab\0\0\0", 5));
    EXPECT_EQ(boxes.Count(), 0u);

    CTextAlloc named;
    named.Attach("zz", "other.txt");
    EXPECT_EQ(load(named, Le32(1) + "q"), 0);
    EXPECT_EQ(boxes.Last().text, kDouble);
}

TEST_F(Persist, FileFormsStoreAndLoadBothRecords) {
    CTextAlloc t;
    std::string path = dir.win("data.txt");
    t.Attach("payload", path.c_str());
    t.SetModifiedFlag(1);
    ASSERT_EQ(t.SerializeToFile(".bak"), 1);
    EXPECT_EQ(dir.Read("data.bak"), Le32(7) + Le32(~7u) + "payload");
    EXPECT_STREQ(t.GetPathName(), path.c_str());
    EXPECT_EQ(t.IsModified(), 0);
    ASSERT_EQ(t.SerializeRawToFile(".raw"), 1);
    EXPECT_EQ(dir.Read("data.raw"), "payload");
    ASSERT_EQ(t.SerializeRawToFile(dir.win("other.c").c_str(), ".o"), 1);
    EXPECT_EQ(dir.Read("other.o"), "payload");
    ASSERT_EQ(t.SerializeToFile(dir.win("plain").c_str(), nullptr, 0), 1);
    EXPECT_EQ(dir.Read("plain").size(), 15u);
    EXPECT_EQ(kiln::GetWaitCursorCount(), 0);

    CTextAlloc back;
    ASSERT_EQ(back.SerializeFromFile(dir.win("data.bak").c_str(), 0), 1);
    EXPECT_EQ(Content(back), "payload");
    EXPECT_STREQ(back.GetPathName(), dir.win("data.bak").c_str());

    dir.Write("ten.bin", "0123456789");
    CTextAlloc raw;
    ASSERT_EQ(raw.SerializeRawFromFile(dir.win("ten.bin").c_str()), 1);
    EXPECT_EQ(raw.GetLength(), 10u);
    EXPECT_STREQ(raw.GetPathName(), dir.win("ten.bin").c_str());
    std::remove(dir.host("ten.bin").c_str());
    EXPECT_EQ(raw.SerializeRawFromFile(nullptr), 1) << "own name: nothing read";
    EXPECT_EQ(raw.SerializeFromFile(dir.win("data.bak").c_str(), 0), 0);
    EXPECT_EQ(boxes.Last().text, kDouble);
    EXPECT_EQ(boxes.Count(), 1u);
}

TEST_F(Persist, FileFormsNeverLetExceptionsOut) {
    dir.Write("cut.rec", Le32(10) + Le32(~10u) + "abc");
    CTextAlloc t;
    t.AttachText("unchanged");
    EXPECT_EQ(t.SerializeFromFile(dir.win("cut.rec").c_str(), 0), 0);
    EXPECT_EQ(t.IsAttached(), 1);
    EXPECT_EQ(t.GetLength(), 10u);
    EXPECT_STREQ(t.GetPathName(), "unchanged");
    EXPECT_EQ(boxes.Count(), 0u);

    // A record whose header itself is cut: the archive's own end-of-file exception is caught too.
    dir.Write("tiny.rec", "\x01\x02");
    CTextAlloc tiny;
    EXPECT_EQ(tiny.SerializeFromFile(dir.win("tiny.rec").c_str(), 0), 0);
    EXPECT_EQ(tiny.IsAttached(), 0);

    // The file can be written again afterwards: nothing keeps it open.
    CTextAlloc writer;
    writer.Attach("ok", nullptr);
    EXPECT_EQ(writer.SerializeRawToFile(dir.win("cut.rec").c_str(), ""), 1);
    EXPECT_EQ(dir.Read("cut.rec"), "ok");
}

TEST_F(Persist, MissingFilesAskTheHook) {
    Creating t;
    std::string missing = dir.win("none.rec");
    EXPECT_EQ(t.SerializeFromFile(missing.c_str(), 0), 0);
    EXPECT_EQ(t.asked, missing);
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(t.SerializeToFile(dir.win("no\\such\\dir.rec").c_str(), "", 0), 0);
    ASSERT_EQ(boxes.Count(), 1u);  // the file layer's open message
}

}  // namespace
