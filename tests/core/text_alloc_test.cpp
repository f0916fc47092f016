#include <kiln/core/text_alloc.h>
#include <kiln/platform/win_app.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/box_recorder.h"
#include "support/temp_dir.h"

namespace {

const char kDouble[] = "Warning! : 二重確保されました、無視します。:CAlloc";
const char kOpenWriteFailed[] = " の書き込みオープンに失敗しました";

std::string Content(CTextAlloc& t) {
    const char* p = static_cast<const char*>(t.Lock());
    std::string s(p, t.GetLength());
    t.Unlock();
    return s;
}

// A text buffer whose hooks and slots are scripted, recording how the base operations use them.
class Scripted : public CTextAlloc {
public:
    BOOL AfterSerialRead() override {
        ++afterReads;
        return acceptRead;
    }
    BOOL OnCreateNewFile(const char* path) override {
        asked.push_back(path);
        waitCountInHook = kiln::GetWaitCursorCount();
        if (createWith != nullptr) {
            FILE* f = std::fopen(hostToCreate.c_str(), "wb");
            std::fputs(createWith, f);
            std::fclose(f);
            return 1;
        }
        return createAnswer;
    }
    void SetModifiedFlag(BOOL modified) override {
        flagCalls.push_back(modified);
        CTextAlloc::SetModifiedFlag(modified);
    }
    BOOL Write(const char* name, const char* ext, char* data, unsigned int size) override {
        writes.push_back(std::string(name) + "|" + ext + "|" + std::string(data ? data : "", size));
        return passWrites ? CTextAlloc::Write(name, ext, data, size) : 1;
    }
    using CTextAlloc::Write;

    int afterReads = 0;
    BOOL acceptRead = 1;
    std::vector<std::string> asked;
    int waitCountInHook = -1;
    const char* createWith = nullptr;
    std::string hostToCreate;
    BOOL createAnswer = 0;
    std::vector<BOOL> flagCalls;
    std::vector<std::string> writes;
    bool passWrites = true;
};

class TextAlloc : public ::testing::Test {
protected:
    kiln::test::BoxRecorder boxes;
    kiln::test::TempDir dir;
};

TEST_F(TextAlloc, RunTimeClassAndEmptyState) {
    CTextAlloc t;
    EXPECT_STREQ(t.GetRuntimeClass()->m_lpszClassName, "CTextAlloc");
    EXPECT_EQ(RUNTIME_CLASS(CTextAlloc)->m_wSchema, 0xFFFFu);
    EXPECT_EQ(RUNTIME_CLASS(CTextAlloc)->m_pBaseClass, RUNTIME_CLASS(CAlloc));
    EXPECT_STREQ(t.GetPathName(), "");
    EXPECT_EQ(t.GetPathLength(), 0);
    EXPECT_EQ(t.IsModified(), 0);
    EXPECT_EQ(t.IsAttached(), 0);
    CObject* made = RUNTIME_CLASS(CTextAlloc)->CreateObject();
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(CTextAlloc)));
    EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(CAlloc)));
    delete made;
}

TEST_F(TextAlloc, AttachFormsSetPathAndClearModifiedFlag) {
    Scripted t;
    t.SetModifiedFlag(1);
    ASSERT_NE(t.Attach("abc", "x.txt"), nullptr);
    EXPECT_EQ(t.GetLength(), 3u);  // no NUL
    EXPECT_EQ(Content(t), "abc");
    EXPECT_STREQ(t.GetPathName(), "x.txt");
    EXPECT_EQ(t.GetPathLength(), 5);
    EXPECT_EQ(t.IsModified(), 0);
    EXPECT_EQ(t.flagCalls, (std::vector<BOOL>{1, 0}));  // through the virtual slot

    // A second attach is refused by the block and changes nothing of the text part.
    t.SetModifiedFlag(1);
    char more[] = "defg";
    EXPECT_EQ(t.Attach(more, 4u, "y.txt"), nullptr);
    EXPECT_EQ(boxes.Last().text, kDouble);
    EXPECT_STREQ(t.GetPathName(), "x.txt");
    EXPECT_EQ(t.IsModified(), 1);

    // A null path keeps the name and recomputes its length.
    CTextAlloc u;
    u.AttachText("named.txt");
    ASSERT_NE(u.Attach(more, 4u, nullptr), nullptr);
    EXPECT_STREQ(u.GetPathName(), "named.txt");
    EXPECT_EQ(u.GetPathLength(), 9);
    EXPECT_EQ(Content(u), "defg");

    // Adopting a caller's block.
    CAlloc owner(6);
    void* h = owner.DetachWithoutFree();
    CTextAlloc v;
    EXPECT_EQ(v.Attach(6u, h, "z.bin"), h);
    EXPECT_EQ(v.GetLength(), 6u);
    EXPECT_STREQ(v.GetPathName(), "z.bin");
    // The plain block forms stay reachable.
    CTextAlloc w;
    EXPECT_NE(w.Attach((void*)"xy", 2u), nullptr);
    EXPECT_STREQ(w.GetPathName(), "");
}

TEST_F(TextAlloc, AttachThroughAndDetachMoveTheTextPartAsStated) {
    CTextAlloc source;
    source.Attach("hello", "src.txt");
    source.SetModifiedFlag(1);
    Scripted target;
    target.SetModifiedFlag(1);
    void* h = source.GetID();
    EXPECT_EQ(target.AttachThrough(source), h);
    EXPECT_EQ(source.IsAttached(), 0);
    EXPECT_STREQ(source.GetPathName(), "src.txt");  // the giver keeps its name and flag
    EXPECT_EQ(source.IsModified(), 1);
    EXPECT_STREQ(target.GetPathName(), "src.txt");
    EXPECT_EQ(target.GetPathLength(), 7);
    EXPECT_EQ(target.IsModified(), 0);
    EXPECT_EQ(Content(target), "hello");

    // Through the CAlloc form nothing of the text part moves.
    CAlloc plain(4);
    CTextAlloc other;
    other.AttachText("keep.txt");
    other.SetModifiedFlag(1);
    EXPECT_NE(other.AttachThrough(plain), nullptr);
    EXPECT_STREQ(other.GetPathName(), "keep.txt");
    EXPECT_EQ(other.IsModified(), 1);

    // Detach empties the text part with the block; on an empty buffer it changes nothing.
    EXPECT_EQ(other.Detach(), 1);
    EXPECT_STREQ(other.GetPathName(), "");
    EXPECT_EQ(other.GetPathLength(), 0);
    EXPECT_EQ(other.IsModified(), 0);
    CTextAlloc empty;
    empty.AttachText("name.txt");
    empty.SetModifiedFlag(1);
    EXPECT_EQ(empty.Detach(), 0);
    EXPECT_STREQ(empty.GetPathName(), "name.txt");
    EXPECT_EQ(empty.IsModified(), 1);

    // DetachWithoutFree leaves the text part.
    CTextAlloc giver;
    giver.Attach("ab", "g.txt");
    void* given = giver.DetachWithoutFree();
    ASSERT_NE(given, nullptr);
    EXPECT_STREQ(giver.GetPathName(), "g.txt");
    CAlloc taker;
    taker.Attach(2u, given);
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(TextAlloc, CopySharesTheBlockAndCopiesTheTextPart) {
    CTextAlloc a;
    a.Attach("data", "a.txt");
    a.SetModifiedFlag(1);
    CTextAlloc b(a);
    EXPECT_EQ(b.GetID(), a.GetID());
    EXPECT_STREQ(b.GetPathName(), "a.txt");
    EXPECT_EQ(b.GetPathLength(), 5);
    EXPECT_EQ(b.IsModified(), 1);
    b.DetachWithoutFree();  // one holder only releases the block
}

TEST_F(TextAlloc, AttachTextNamesWithoutTouchingBlockOrFlag) {
    CTextAlloc t;
    t.SetModifiedFlag(1);
    t.AttachText("dir\\a.txt", ".bak");
    EXPECT_STREQ(t.GetPathName(), "dir\\a.bak");
    EXPECT_EQ(t.GetPathLength(), 9);
    t.AttachText("dir\\a.txt", "");
    EXPECT_STREQ(t.GetPathName(), "dir\\a");
    EXPECT_EQ(t.IsModified(), 1);
    EXPECT_EQ(t.IsAttached(), 0);

    CTextAlloc other;
    other.AttachText("o\\src.c");
    t.AttachText(&other, ".obj");
    EXPECT_STREQ(t.GetPathName(), "o\\src.obj");
    t.AttachText(&other);
    EXPECT_STREQ(t.GetPathName(), "o\\src.c");
    t.AttachText(&t, ".h");  // renaming after its own name
    EXPECT_STREQ(t.GetPathName(), "o\\src.h");

    // A name that fits only without its new extension, and one that does not fit at all.
    std::string fits(255, 'n');
    t.AttachText((fits + ".txt").c_str(), ".txt");
    EXPECT_EQ(t.GetPathLength(), 259);
    t.AttachText((fits + ".txt").c_str(), ".text");
    EXPECT_STREQ(t.GetPathName(), "");
    EXPECT_EQ(t.GetPathLength(), 0);
    std::string longer(400, 'n');
    t.AttachText(longer.c_str());  // no buffer is involved: the name is kept whole
    EXPECT_EQ(t.GetPathLength(), 400);
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(TextAlloc, TryReadLoadsWholeFilesOnce) {
    dir.Write("a.txt", std::string("line1\r\nline2\0end", 16));
    Scripted t;
    std::string path = dir.win("a.txt");
    ASSERT_EQ(t.TryRead(path.c_str()), 1);
    EXPECT_EQ(t.GetLength(), 16u);
    EXPECT_EQ(Content(t), std::string("line1\r\nline2\0end", 16));
    EXPECT_STREQ(t.GetPathName(), path.c_str());
    EXPECT_EQ(t.GetPathLength(), (int)path.size());
    EXPECT_EQ(t.IsModified(), 0);
    EXPECT_EQ(t.afterReads, 1);
    EXPECT_EQ(t.IsLocked(), 0u);
    EXPECT_EQ(kiln::GetWaitCursorCount(), 0);

    // The same path again: 1 without reading, even with the file gone.
    std::remove(dir.host("a.txt").c_str());
    EXPECT_EQ(t.TryRead(path.c_str()), 1);
    EXPECT_EQ(t.afterReads, 1);
    EXPECT_EQ(boxes.Count(), 0u);

    // Another path: the double-allocation notice (exclamation box), nothing changes.
    dir.Write("b.txt", "bbb");
    EXPECT_EQ(t.TryRead(dir.win("b.txt").c_str()), 0);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Last().text, kDouble);
    EXPECT_EQ(boxes.Last().style & MB_ICONMASK, (unsigned)MB_ICONEXCLAMATION);
    EXPECT_STREQ(t.GetPathName(), path.c_str());
    EXPECT_EQ(t.GetLength(), 16u);

    // An empty file gives an allocated block of length 0.
    dir.Write("empty.txt", "");
    CTextAlloc e;
    ASSERT_EQ(e.TryRead(dir.win("empty.txt").c_str()), 1);
    EXPECT_EQ(e.IsAttached(), 1);
    EXPECT_EQ(e.GetLength(), 0u);
}

TEST_F(TextAlloc, TryReadAsksTheHookForMissingFiles) {
    Scripted t;
    std::string missing = dir.win("new.txt");
    EXPECT_EQ(t.TryRead(missing.c_str()), 0);
    ASSERT_EQ(t.asked.size(), 1u);
    EXPECT_EQ(t.asked[0], missing);
    EXPECT_EQ(t.waitCountInHook, 1);  // the wait cursor is up while the operation runs
    EXPECT_EQ(kiln::GetWaitCursorCount(), 0);
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(t.IsAttached(), 0);

    // A hook that makes the file lets the read go on.
    t.createWith = "made";
    t.hostToCreate = dir.host("new.txt");
    ASSERT_EQ(t.TryRead(missing.c_str()), 1);
    EXPECT_EQ(Content(t), "made");

    // A hook that says yes without making it: the open fails with the file layer's message.
    Scripted liar;
    liar.createAnswer = 1;
    EXPECT_EQ(liar.TryRead(dir.win("none.txt").c_str()), 0);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_NE(boxes.Last().text.find("none.txt"), std::string::npos);
    EXPECT_EQ(liar.IsAttached(), 0);
}

TEST_F(TextAlloc, TryReadRefusedAfterReadingKeepsTheBlock) {
    dir.Write("r.txt", "12345");
    Scripted t;
    t.AttachText("before.txt");
    t.acceptRead = 0;
    EXPECT_EQ(t.TryRead(dir.win("r.txt").c_str()), 0);
    EXPECT_EQ(t.IsAttached(), 1);
    EXPECT_EQ(t.GetLength(), 5u);
    EXPECT_STREQ(t.GetPathName(), "before.txt");
    EXPECT_EQ(t.IsLocked(), 0u);
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(TextAlloc, WriteFamilyWritesFilesAndKeepsThePathName) {
    CTextAlloc t;
    std::string path = dir.win("a.txt");
    t.Attach("content", path.c_str());
    t.SetModifiedFlag(1);
    ASSERT_EQ(t.Write(".bak"), 1);
    EXPECT_EQ(dir.Read("a.bak"), "content");
    EXPECT_FALSE(dir.Exists("a.txt"));
    EXPECT_STREQ(t.GetPathName(), path.c_str());
    EXPECT_EQ(t.IsModified(), 0);
    EXPECT_EQ(t.IsLocked(), 0u);

    ASSERT_EQ(t.Write(), 1);
    EXPECT_EQ(dir.Read("a.txt"), "content");
    char other[] = "xyz";
    ASSERT_EQ(t.Write(".dat", other, 3u), 1);
    EXPECT_EQ(dir.Read("a.dat"), "xyz");
    ASSERT_EQ(t.Write(dir.win("b.c").c_str(), ".h"), 1);
    EXPECT_EQ(dir.Read("b.h"), "content");
    ASSERT_EQ(t.Write(dir.win("c.txt").c_str(), "", other, 2u), 1);
    EXPECT_EQ(dir.Read("c.txt"), "xy");
    EXPECT_STREQ(t.GetPathName(), path.c_str());
    EXPECT_EQ(boxes.Count(), 0u);

    // A file that cannot be opened: the file layer's message, 0, the flag stays.
    t.SetModifiedFlag(1);
    EXPECT_EQ(t.Write(dir.win("missing\\x.txt").c_str(), ""), 0);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_NE(boxes.Last().text.find(kOpenWriteFailed), std::string::npos);
    EXPECT_EQ(t.IsModified(), 1);
}

TEST_F(TextAlloc, WriteFormsEndInTheVirtualFullForm) {
    Scripted t;
    t.passWrites = false;
    t.Attach("abc", "p.txt");
    t.Write();
    t.Write(".x");
    char data[] = "zz";
    t.Write(".y", data, 2u);
    t.Write("n.txt", ".z");
    EXPECT_EQ(t.writes,
              (std::vector<std::string>{"p.txt||abc", "p.txt|.x|abc", "p.txt|.y|zz", "n.txt|.z|abc"}));
    EXPECT_EQ(t.IsLocked(), 0u);
}

TEST_F(TextAlloc, NamesLongerThanTheNameBufferAreRefused) {
    CTextAlloc t;
    t.Attach("abc", nullptr);
    // 259 bytes fit with the NUL; one more byte of extension does not.
    std::string base = dir.win() + "\\";
    std::string stem(255 - base.size(), 's');
    std::string name = base + stem + ".c";  // 257 bytes
    ASSERT_EQ(name.size(), 257u);
    EXPECT_EQ(t.Write(name.c_str(), ".hhh"), 1) << "259 bytes fit";
    EXPECT_EQ(dir.Read(stem + ".hhh"), "abc");
    EXPECT_EQ(t.Write(name.c_str(), ".hhhh"), 0);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_NE(boxes.Last().text.find(kOpenWriteFailed), std::string::npos);
    EXPECT_FALSE(dir.Exists(stem + ".hhhh"));
    EXPECT_EQ(t.SerializeToFile(name.c_str(), ".hhhh", 0), 0);
    EXPECT_EQ(boxes.Count(), 2u);
    std::string huge(1000, 'h');
    EXPECT_EQ(t.Write(huge.c_str(), ""), 0);
    EXPECT_EQ(boxes.Count(), 3u);
}

}  // namespace
