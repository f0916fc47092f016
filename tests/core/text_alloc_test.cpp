#include <kiln/core/text_alloc.h>
#include <kiln/platform/runtime/global_memory.h>
#include <kiln/platform/files/mem_file.h>
#include <kiln/platform/ui/win_app.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include <unistd.h>

#include "support/archive_bytes.h"
#include "support/block_text.h"
#include "support/box_recorder.h"
#include "support/temp_dir.h"

namespace {

using kiln::test::BlockText;
using kiln::test::Le32;
using kiln::test::LoadBytes;
using kiln::test::StoreBytes;

const std::string kDouble = "Warning! : 二重確保されました、無視します。:CAlloc";
const std::string kOpenWriteFailed = " の書き込みオープンに失敗しました";
const std::string kWriteFailed = "CTextAlloc::Serialze:書き込みに失敗しました";

// "path(length)", and " M" while modified.
std::string Named(CTextAlloc& t) {
    return std::string(t.GetPathName()) + "(" + std::to_string(t.GetPathLength()) + ")" +
           (t.IsModified() ? " M" : "");
}

// The name as above and the block's bytes: "path(length) [bytes]".
std::string Held(CTextAlloc& t) { return Named(t) + " [" + BlockText(t) + "]"; }

// A text buffer whose hooks and slots are scripted, tracing how the base operations use them.
class Scripted : public CTextAlloc {
public:
    BOOL AfterSerialRead() override { return trace += "after ", acceptRead; }
    BOOL OnCreateNewFile(const char* path) override {
        trace += "create(" + std::string(path) + ",wait " + std::to_string(kiln::GetWaitCursorCount()) + ") ";
        if (createWith != nullptr) {
            CFile made(path, CFile::modeCreate | CFile::modeWrite);
            made.Write(createWith, (UINT)std::strlen(createWith));
        }
        return createWith != nullptr || createAnswer;
    }
    void SetModifiedFlag(BOOL modified) override {
        trace += "flag" + std::to_string(modified) + " ";
        CTextAlloc::SetModifiedFlag(modified);
    }
    BOOL Write(const char* name, const char* ext, char* data, unsigned int size) override {
        trace += std::string("write(") + name + "|" + ext + "|" + std::string(data ? data : "", size) + ") ";
        return passWrites ? CTextAlloc::Write(name, ext, data, size) : 1;
    }
    using CTextAlloc::Write;

    std::string trace;
    BOOL acceptRead = 1, createAnswer = 0;
    const char* createWith = nullptr;  // the content of the file the hook makes, if any
    bool passWrites = true;
};

// A memory file whose writes fail as a full disk does.
class FullFile : public CMemFile {
public:
    void Write(const void*, UINT) override { AfxThrowFileException(CFileException::diskFull); }
};

// The cause of the archive exception that fn raises, -1 when it raises none, -2 when it names a file.
template <class Fn>
int ArchiveCause(Fn fn) {
    try {
        fn();
    } catch (CArchiveException* e) {
        int cause = e->m_strFileName.IsEmpty() ? e->m_cause : -2;
        e->Delete();
        return cause;
    }
    return -1;
}

// Runs load on an archive over a memory file holding bytes.
template <class Fn>
BOOL FromBytes(const std::string& bytes, Fn load) {
    CMemFile file;
    file.Write(bytes.data(), (UINT)bytes.size());
    file.SeekToBegin();
    CArchive ar(&file, CArchive::load);
    return load(ar);
}

class TextAlloc : public ::testing::Test {
protected:
    // "<boxes shown>: <the newest one's text>", and "/<style>" with style.
    std::string Shown(bool style = false) const {
        if (boxes.Count() == 0) return "0";
        const auto last = boxes.Last();
        const std::string shown = std::to_string(boxes.Count()) + ": " + last.text;
        return style ? shown + "/" + std::to_string(last.style) : shown;
    }
    kiln::test::BoxRecorder boxes;
    kiln::test::TempDir dir;
};

TEST_F(TextAlloc, AttachFormsNameTheContent) {
    Scripted t;
    EXPECT_EQ(Named(t), "(0)");
    t.SetModifiedFlag(1);
    ASSERT_NE(t.Attach("abc", "x.txt"), nullptr);
    EXPECT_EQ(Held(t), "x.txt(5) [abc]");  // no NUL
    EXPECT_EQ(t.trace, "flag1 flag0 ") << "through the virtual slot";
    t.SetModifiedFlag(1);
    char more[] = "defg";
    EXPECT_EQ(t.Attach(more, 4u, "y.txt"), nullptr) << "refused by the block";
    EXPECT_EQ(Shown(), "1: " + kDouble);
    EXPECT_EQ(Named(t), "x.txt(5) M");
    CTextAlloc u, v;
    u.AttachText("named.txt");
    ASSERT_NE(u.Attach(more, 4u, nullptr), nullptr);  // a null path keeps the name
    EXPECT_EQ(Held(u), "named.txt(9) [defg]");
    CAlloc owner(6);
    void* h = owner.DetachWithoutFree();
    EXPECT_EQ(v.Attach(6u, h, "z.bin"), h);  // adopts the caller's block
    EXPECT_EQ(Named(v) + " " + std::to_string(v.GetLength()), "z.bin(5) 6");
}

TEST_F(TextAlloc, HandOverCopyAndDetachMoveTheTextPartAsStated) {
    CTextAlloc source, target, other, empty, giver;
    source.Attach("hello", "src.txt");
    source.SetModifiedFlag(1);
    target.SetModifiedFlag(1);
    void* h = source.GetID();
    EXPECT_EQ(target.AttachThrough(source), h);
    EXPECT_EQ(source.IsAttached(), 0);
    EXPECT_EQ(Named(source), "src.txt(7) M") << "the giver keeps its name and flag";
    EXPECT_EQ(Named(target), "src.txt(7)");
    target.SetModifiedFlag(1);
    CTextAlloc copy(target);  // shares the block, copies the text part
    EXPECT_EQ(copy.GetID(), h);
    EXPECT_EQ(Named(copy), "src.txt(7) M");
    copy.DetachWithoutFree();
    CAlloc plain(4);  // through the CAlloc form nothing of the text part moves
    other.AttachText("keep.txt");
    other.SetModifiedFlag(1);
    EXPECT_NE(other.AttachThrough(plain), nullptr);
    EXPECT_EQ(Named(other), "keep.txt(8) M");
    EXPECT_EQ(other.Detach(), 1);
    EXPECT_EQ(Named(other), "(0)");
    empty.AttachText("name.txt");
    empty.SetModifiedFlag(1);
    EXPECT_EQ(empty.Detach(), 0);
    EXPECT_EQ(Named(empty), "name.txt(8) M");
    giver.Attach("ab", "g.txt");
    GlobalFree(giver.DetachWithoutFree());
    EXPECT_EQ(Named(giver), "g.txt(5)") << "DetachWithoutFree leaves the text part";
    EXPECT_EQ(Shown(), "0");
}

TEST_F(TextAlloc, AttachTextNamesWithoutTouchingBlockOrFlag) {
    CTextAlloc t, other;
    t.SetModifiedFlag(1);
    t.AttachText("dir\\a.txt", ".bak");
    EXPECT_EQ(Named(t), "dir\\a.bak(9) M");
    t.AttachText("dir\\a.txt", "");
    EXPECT_EQ(Named(t), "dir\\a(5) M");
    EXPECT_EQ(t.IsAttached(), 0);
    other.AttachText("o\\src.c");
    t.AttachText(&other, ".obj");
    EXPECT_STREQ(t.GetPathName(), "o\\src.obj");
    t.AttachText(&other);
    EXPECT_STREQ(t.GetPathName(), "o\\src.c");
    t.AttachText(&t, ".h");  // renamed after its own name
    EXPECT_STREQ(t.GetPathName(), "o\\src.h");
    // A name that fits only without its new extension, and one that needs no name buffer.
    std::string fits(255, 'n');
    t.AttachText((fits + ".txt").c_str(), ".txt");
    EXPECT_EQ(t.GetPathLength(), 259);
    t.AttachText((fits + ".txt").c_str(), ".text");
    EXPECT_EQ(Named(t), "(0) M");
    t.AttachText(std::string(400, 'n').c_str());
    EXPECT_EQ(t.GetPathLength(), 400);
    EXPECT_EQ(Shown(), "0");
}

TEST_F(TextAlloc, TryReadLoadsWholeFilesOnce) {
    const std::string text("line1\r\nline2\0end", 16), path = dir.win("a.txt");
    const std::string held = path + "(" + std::to_string(path.size()) + ") [" + text + "]";
    dir.Write("a.txt", text);
    Scripted t, refusing;
    ASSERT_EQ(t.TryRead(path.c_str()), 1);
    EXPECT_EQ(Held(t), held);
    EXPECT_EQ(t.trace, "after flag0 ");
    EXPECT_EQ(t.IsLocked() + kiln::GetWaitCursorCount(), 0);
    std::remove(dir.host("a.txt").c_str());
    EXPECT_EQ(t.TryRead(path.c_str()), 1) << "the same path: nothing read, even with the file gone";
    EXPECT_EQ(t.trace, "after flag0 ");
    dir.Write("b.txt", "bbb");
    EXPECT_EQ(t.TryRead(dir.win("b.txt").c_str()), 0);
    EXPECT_EQ(Shown(true), "1: " + kDouble + "/" + std::to_string(MB_ICONEXCLAMATION));
    EXPECT_EQ(Held(t), held);
    refusing.AttachText("before.txt");  // a read refused afterwards keeps the block, not the name
    refusing.acceptRead = 0;
    EXPECT_EQ(refusing.TryRead(dir.win("b.txt").c_str()), 0);
    EXPECT_EQ(Held(refusing), "before.txt(10) [bbb]");
    EXPECT_EQ(refusing.IsLocked(), 0u);
    dir.Write("empty.txt", "");
    CTextAlloc e;
    ASSERT_EQ(e.TryRead(dir.win("empty.txt").c_str()), 1);
    EXPECT_EQ(e.IsAttached() * 10 + e.GetLength(), 10u) << "an empty file gives an empty block";
    EXPECT_EQ(boxes.Count(), 1u);
}

TEST_F(TextAlloc, MissingFilesAskTheHook) {
    Scripted t, liar, creating;
    const std::string missing = dir.win("new.txt"), asked = "create(" + missing + ",wait 1) ";
    EXPECT_EQ(t.TryRead(missing.c_str()), 0);
    EXPECT_EQ(t.trace, asked) << "the wait cursor is up while the operation runs";
    EXPECT_EQ(kiln::GetWaitCursorCount() + t.IsAttached(), 0);
    EXPECT_EQ(creating.SerializeFromFile(missing.c_str(), 0), 0);
    EXPECT_EQ(creating.trace, asked);
    t.createWith = "made";  // a hook that makes the file lets the read go on
    ASSERT_EQ(t.TryRead(missing.c_str()), 1);
    EXPECT_EQ(BlockText(t), "made");
    liar.createAnswer = 1;  // one that says yes without making it: the open fails with a message
    EXPECT_EQ(liar.TryRead(dir.win("none.txt").c_str()), 0);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_NE(boxes.Last().text.find("none.txt"), std::string::npos);
    EXPECT_EQ(liar.IsAttached(), 0);
}

TEST_F(TextAlloc, WriteFamilyWritesFilesAndKeepsThePathName) {
    CTextAlloc t;
    const std::string path = dir.win("a.txt"), unopenable = dir.win("missing\\x.txt");
    t.Attach("content", path.c_str());
    t.SetModifiedFlag(1);
    char other[] = "xyz";
    ASSERT_EQ(t.Write(".bak"), 1);
    ASSERT_EQ(t.Write(dir.win("c.txt").c_str(), "", other, 2u), 1);
    EXPECT_FALSE(dir.Exists("a.txt"));
    EXPECT_EQ(dir.Read("a.bak") + dir.Read("c.txt"), "contentxy");
    EXPECT_EQ(Named(t), path + "(" + std::to_string(path.size()) + ")");
    EXPECT_EQ(t.IsLocked(), 0u);
    t.SetModifiedFlag(1);  // a file that cannot be opened: the file layer's message, 0, the flag stays
    EXPECT_EQ(t.Write(unopenable.c_str(), ""), 0);
    EXPECT_EQ(Shown(), "1: " + unopenable + kOpenWriteFailed);
    EXPECT_EQ(t.IsModified(), 1);

    Scripted s;  // every form ends in the virtual full form
    s.passWrites = false;
    s.Attach("abc", "p.txt");
    s.trace.clear();
    s.Write();
    s.Write(".x");
    s.Write(".y", other, 2u);
    s.Write("n.txt", ".z");
    EXPECT_EQ(s.trace, "write(p.txt||abc) write(p.txt|.x|abc) write(p.txt|.y|xy) write(n.txt|.z|abc) ");
    EXPECT_EQ(s.IsLocked(), 0u);
}

TEST_F(TextAlloc, NamesLongerThanTheNameBufferAreRefused) {
    CTextAlloc t;
    t.Attach("abc", nullptr);
    const std::string base = dir.win() + "\\", stem(255 - base.size(), 's'), name = base + stem + ".c";
    ASSERT_EQ(name.size(), 257u);
    EXPECT_EQ(t.Write(name.c_str(), ".hhh"), 1) << "259 bytes fit with the NUL";
    EXPECT_EQ(dir.Read(stem + ".hhh"), "abc");
    EXPECT_EQ(t.Write(name.c_str(), ".hhhh"), 0);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_NE(boxes.Last().text.find(kOpenWriteFailed), std::string::npos);
    EXPECT_FALSE(dir.Exists(stem + ".hhhh"));
    EXPECT_EQ(t.SerializeToFile(name.c_str(), ".hhhh", 0), 0);
    EXPECT_EQ(t.Write((name + "hhh").c_str(), ""), 0) << "260 bytes and the NUL do not fit";
    EXPECT_EQ(boxes.Count(), 3u);
}

TEST_F(TextAlloc, CheckWordRecord) {
    CTextAlloc t, empty, loaded, checked, held, cut;
    Scripted refusing;
    refusing.acceptRead = 0;
    t.Attach("abc", "x.txt");
    t.SetModifiedFlag(1);
    const std::string record = Le32(3) + Le32(~3u) + "abc";
    EXPECT_EQ(StoreBytes(t), record);
    EXPECT_EQ(t.IsModified() + t.IsLocked(), 0u);
    EXPECT_EQ(StoreBytes(empty), Le32(0) + Le32(~0u));
    LoadBytes(loaded, record);
    EXPECT_EQ(BlockText(loaded), "abc");
    LoadBytes(checked, Le32(4) + Le32(0x12345678) + "wxyz" + "tail");  // a wrong check word warns, loads
    EXPECT_EQ(Shown(true),
              "1: CTextAlloc:Warning!:ﾌｧｲﾙ中の長さ情報のﾁｪｯｸｻﾑが一致しません、"
              "ﾃﾞｰﾀの信頼性に問題がある可能性があります/0");
    EXPECT_EQ(BlockText(checked), "wxyz");

    // Refused loads raise the generic archive exception.
    const int generic = CArchiveException::genericException;
    held.Attach("keep", "k.txt");
    EXPECT_EQ(ArchiveCause([&] { LoadBytes(held, record); }), generic);
    EXPECT_EQ(Shown(true), "2: " + kDouble + "/0");
    EXPECT_EQ(BlockText(held), "keep");
    cut.AttachText("before");  // content cut short: the block of N bytes stays, the name does not change
    EXPECT_EQ(ArchiveCause([&] { LoadBytes(cut, Le32(10) + Le32(~10u) + "abc"); }), generic);
    EXPECT_EQ(BlockText(cut).size(), 10u);
    EXPECT_STREQ(cut.GetPathName(), "before");
    EXPECT_EQ(cut.IsLocked(), 0u);
    EXPECT_EQ(ArchiveCause([&] { LoadBytes(refusing, record); }), generic);
    EXPECT_EQ(refusing.IsAttached(), 1);
    EXPECT_EQ(boxes.Count(), 2u);
}

TEST_F(TextAlloc, FileExceptionsWhileStoringAreShownAndTurned) {
    std::string big(10000, 'q');
    CTextAlloc t;
    t.Attach(big.data(), (unsigned)big.size(), "big.txt");
    t.SetModifiedFlag(1);
    for (bool raw : {false, true}) {
        FullFile file;
        CArchive ar(&file, CArchive::store);
        if (raw) {
            EXPECT_EQ(t.SerializeRaw(ar), 0);
        } else {
            EXPECT_EQ(ArchiveCause([&] { t.Serialize(ar); }), CArchiveException::genericException);
        }
        ar.Abort();
        EXPECT_EQ(Shown(true), std::to_string(1 + raw) + ": " + kWriteFailed + "/0");
        EXPECT_EQ(t.IsLocked() + t.IsModified(), 1u);
    }
}

TEST_F(TextAlloc, RawAndLengthPrefixedRecords) {
    CTextAlloc t, loaded, again, pre, empty, shortRead, named;
    t.Attach("raw!", nullptr);
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        EXPECT_EQ(t.SerializeRaw(ar), 1);
    }
    EXPECT_EQ(file.GetLength(), 4u);
    // Loading takes the rest of the file after what the archive has read already.
    EXPECT_EQ(FromBytes("HDRpayload",
                        [&](CArchive& ar) {
                            char header[3];
                            ar.Read(header, 3);
                            EXPECT_EQ(loaded.SerializeRaw(ar), 1);
                            again.Attach("x", nullptr);
                            return again.SerializeRaw(ar);
                        }),
              0);
    EXPECT_EQ(BlockText(loaded) + BlockText(again), "payloadx");
    EXPECT_EQ(Shown(), "1: " + kDouble);

    auto read = [](CTextAlloc& into) { return [&into](CArchive& ar) { return into.ReadSerialize(ar); }; };
    EXPECT_EQ(FromBytes(Le32(3) + "abc", read(pre)), 1);
    EXPECT_EQ(FromBytes(Le32(3) + "def", read(pre)), 1) << "same file name: nothing read";
    EXPECT_EQ(BlockText(pre), "abc");
    EXPECT_EQ(FromBytes(Le32(0), read(empty)), 0);
    EXPECT_EQ(empty.IsAttached(), 1) << "allocated before the read delivered nothing";
    EXPECT_EQ(FromBytes(Le32(5) + "ab", read(shortRead)), 1);
    EXPECT_EQ(BlockText(shortRead), std::string("ab\0\0\0", 5));
    // A length far beyond the archive is garbage: refused before a block is claimed, in both records.
    CTextAlloc hostile, hostileChecked;
    EXPECT_EQ(FromBytes(Le32(0xFFFFFFF0u) + "ab", read(hostile)), 0);
    EXPECT_EQ(ArchiveCause([&] { LoadBytes(hostileChecked, Le32(0x80000000u) + Le32(~0x80000000u) + "ab"); }),
              CArchiveException::genericException);
    EXPECT_EQ(hostile.IsAttached() + hostileChecked.IsAttached(), 0);
    named.Attach("zz", "other.txt");
    EXPECT_EQ(FromBytes(Le32(1) + "q", read(named)), 0);
    EXPECT_EQ(Shown(), "2: " + kDouble);
}

TEST_F(TextAlloc, FileFormsStoreAndLoadBothRecordsAndNeverLetExceptionsOut) {
    CTextAlloc t, back, raw, cut, writer;
    const std::string path = dir.win("data.txt"), bak = dir.win("data.bak"), ten = dir.win("ten.bin");
    t.Attach("payload", path.c_str());
    t.SetModifiedFlag(1);
    ASSERT_EQ(t.SerializeToFile(".bak"), 1);
    EXPECT_EQ(dir.Read("data.bak"), Le32(7) + Le32(~7u) + "payload");
    EXPECT_EQ(Named(t), path + "(" + std::to_string(path.size()) + ")");
    ASSERT_EQ(t.SerializeRawToFile(".raw"), 1);
    ASSERT_EQ(t.SerializeRawToFile(dir.win("other.c").c_str(), ".o"), 1);
    ASSERT_EQ(t.SerializeToFile(dir.win("plain").c_str(), nullptr, 0), 1);
    EXPECT_EQ(dir.Read("data.raw") + dir.Read("other.o"), "payloadpayload");
    EXPECT_EQ(dir.Read("plain").size(), 15u);
    EXPECT_EQ(kiln::GetWaitCursorCount(), 0);
    ASSERT_EQ(back.SerializeFromFile(bak.c_str(), 0), 1);
    EXPECT_EQ(Held(back), bak + "(" + std::to_string(bak.size()) + ") [payload]");
    dir.Write("ten.bin", "0123456789");
    ASSERT_EQ(raw.SerializeRawFromFile(ten.c_str()), 1);
    EXPECT_EQ(Held(raw), ten + "(" + std::to_string(ten.size()) + ") [0123456789]");
    std::remove(dir.host("ten.bin").c_str());
    EXPECT_EQ(raw.SerializeRawFromFile(nullptr), 1) << "own name: nothing read";
    EXPECT_EQ(raw.SerializeFromFile(bak.c_str(), 0), 0);
    EXPECT_EQ(Shown(), "1: " + kDouble);

    dir.Write("cut.rec", Le32(10) + Le32(~10u) + "abc");
    cut.AttachText("unchanged");
    EXPECT_EQ(cut.SerializeFromFile(dir.win("cut.rec").c_str(), 0), 0);
    EXPECT_EQ(BlockText(cut).size(), 10u);
    EXPECT_STREQ(cut.GetPathName(), "unchanged");
    writer.Attach("ok", nullptr);  // nothing keeps the file open
    EXPECT_EQ(writer.SerializeRawToFile(dir.win("cut.rec").c_str(), ""), 1);
    EXPECT_EQ(dir.Read("cut.rec"), "ok");
    EXPECT_EQ(t.SerializeToFile(dir.win("no\\such\\dir.rec").c_str(), "", 0), 0);
    EXPECT_EQ(boxes.Count(), 2u) << "the file layer's open message";
}

// A device that refuses the bytes is a failed write in both file forms, whether the bytes reach it
// inside the record or when the file is closed; the device itself opens.
TEST_F(TextAlloc, FileFormsReportAWriteTheDeviceRefuses) {
    if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
    CTextAlloc t;
    t.Attach("payload", nullptr);
    t.SetModifiedFlag(1);
    for (BOOL raw : {0, 1}) {
        boxes.Clear();
        EXPECT_EQ(raw ? t.SerializeRawToFile("/dev/full", "") : t.SerializeToFile("/dev/full", "", 0), 0);
        EXPECT_EQ(Shown(), "1: " + kWriteFailed) << raw;
    }
}

}  // namespace
