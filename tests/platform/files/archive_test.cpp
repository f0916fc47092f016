#include <kiln/platform/files/archive.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include <kiln/platform/files/mem_file.h>

#include "support/expect_error.h"
#include "support/temp_dir.h"

using Bytes = std::vector<BYTE>;
using kiln::test::CauseOf;

// A value and a pointer to another node; live nodes are tracked so that leaks show and garbled loads
// can be cleaned up.
class CArcNode : public CObject {
    DECLARE_SERIAL(CArcNode)
public:
    explicit CArcNode(LONG n = 0) : m_n(n) { Live().insert(this); }
    ~CArcNode() override { Live().erase(this); }
    static std::set<CArcNode*>& Live() {
        static std::set<CArcNode*> live;
        return live;
    }
    void Serialize(CArchive& ar) override { ar.IsStoring() ? ar << m_n << m_pNext : ar >> m_n >> m_pNext; }
    LONG m_n;
    CArcNode* m_pNext = nullptr;
};
IMPLEMENT_SERIAL(CArcNode, CObject, 1)

class CArcLeaf : public CObject {
    DECLARE_SERIAL(CArcLeaf)
public:
    explicit CArcLeaf(LONG n = 0) : m_n(n) {}
    void Serialize(CArchive& ar) override { ar.IsStoring() ? ar << m_n : ar >> m_n; }
    LONG m_n;
};
IMPLEMENT_SERIAL(CArcLeaf, CObject, 1)

// Schema 2 added a second value; schema 1 records still load.
class CArcVersioned : public CObject {
    DECLARE_SERIAL(CArcVersioned)
public:
    explicit CArcVersioned(LONG a = 0, LONG b = -1) : m_a(a), m_b(b) {}
    void Serialize(CArchive& ar) override {
        if (ar.IsStoring()) {
            ar << m_a << m_b;
            return;
        }
        m_nSchema = ar.GetObjectSchema();
        m_nSchemaAgain = ar.GetObjectSchema();
        ar >> m_a;
        if (m_nSchema >= 2) ar >> m_b;
    }
    LONG m_a, m_b;
    UINT m_nSchema = 0, m_nSchemaAgain = 0;
};
IMPLEMENT_SERIAL(CArcVersioned, CObject, VERSIONABLE_SCHEMA | 2)

class CArcDynamic : public CObject {
    DECLARE_DYNCREATE(CArcDynamic)
};
IMPLEMENT_DYNCREATE(CArcDynamic, CObject)

namespace {

Bytes Stored(const std::function<void(CArchive&)>& store, int nBufSize = 4096) {
    CMemFile f;
    {
        CArchive ar(&f, CArchive::store, nBufSize);
        store(ar);
    }
    Bytes bytes((size_t)f.GetLength());
    f.SeekToBegin();
    f.Read(bytes.data(), (UINT)bytes.size());
    return bytes;
}

void Loaded(const Bytes& bytes, const std::function<void(CArchive&)>& load, int nBufSize = 4096) {
    CMemFile f(const_cast<BYTE*>(bytes.data()), (UINT)bytes.size());
    CArchive ar(&f, CArchive::load, nBufSize);
    load(ar);
}

int LoadCause(const Bytes& bytes, const std::function<void(CArchive&)>& load) {
    return CauseOf<CArchiveException>([&] { Loaded(bytes, load); });
}

template <class T>
T Take(CArchive& ar) {
    T value;
    ar >> value;
    return value;
}

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// FF FF, schema, name length, name: the first reference to a class.
Bytes NewClass(WORD schema, const std::string& name) {
    return Cat({{0xFF, 0xFF, LOBYTE(schema), HIBYTE(schema), (BYTE)name.size(), (BYTE)(name.size() >> 8)},
                Text(name)});
}

TEST(Archive, StoresEveryValueTypeLittleEndianInItsWindowsWidth) {
    Bytes bytes = Stored([](CArchive& ar) {
        ar << (BYTE)0x81 << (WORD)0x1234 << (LONG)-2 << (DWORD)0x89ABCDEF << (short)-3 << 'c' << true
           << false;
        ar << 1.5f << -2.0 << (LONGLONG)-0x0102030405060708LL << (ULONGLONG)0xF1F2F3F4F5F6F7F8ULL;
        // long and unsigned long keep their low 32 bits, as on Windows; a signed char promotes to int.
        ar << -5L << 0x1F2345678UL << (signed char)-1;
    });
    Bytes expected =
        Cat({{0x81, 0x34, 0x12, 0xFE, 0xFF, 0xFF, 0xFF, 0xEF, 0xCD, 0xAB, 0x89, 0xFD, 0xFF, 'c', 1, 0},
             {0x00, 0x00, 0xC0, 0x3F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0},  // 1.5f, -2.0
             {0xF8, 0xF8, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xF8, 0xF7, 0xF6, 0xF5, 0xF4, 0xF3, 0xF2, 0xF1},
             {0xFB, 0xFF, 0xFF, 0xFF, 0x78, 0x56, 0x34, 0xF2, 0xFF, 0xFF, 0xFF, 0xFF}});
    EXPECT_EQ(bytes, expected);

    Loaded(bytes, [](CArchive& ar) {
        // A braced list is evaluated in order. long is sign-extended, unsigned long zero-extended.
        std::tuple got{Take<BYTE>(ar),  Take<WORD>(ar),          Take<LONG>(ar),     Take<DWORD>(ar),
                       Take<short>(ar), Take<char>(ar),          Take<bool>(ar),     Take<bool>(ar),
                       Take<float>(ar), Take<double>(ar),        Take<LONGLONG>(ar), Take<ULONGLONG>(ar),
                       Take<long>(ar),  Take<unsigned long>(ar), Take<int>(ar)};
        EXPECT_EQ(got, std::tuple((BYTE)0x81, (WORD)0x1234, (LONG)-2, (DWORD)0x89ABCDEF, (short)-3, 'c', true,
                                  false, 1.5f, -2.0, (LONGLONG)-0x0102030405060708LL,
                                  (ULONGLONG)0xF1F2F3F4F5F6F7F8ULL, -5L, 0xF2345678UL, -1));
        EXPECT_TRUE(ar.IsBufferEmpty());
    });
}

TEST(Archive, RefusesTheWrongDirectionAndExtractionPastTheEnd) {
    auto storeCause = [](const std::function<void(CArchive&)>& f) {
        return CauseOf<CArchiveException>([&] { Stored(f); });
    };
    char c;
    EXPECT_EQ(storeCause([](CArchive& ar) { Take<WORD>(ar); }), CArchiveException::writeOnly);
    EXPECT_EQ(storeCause([&](CArchive& ar) { ar.Read(&c, 1); }), CArchiveException::writeOnly);
    EXPECT_EQ(LoadCause({1}, [](CArchive& ar) { ar << (BYTE)1; }), CArchiveException::readOnly);
    EXPECT_EQ(LoadCause({1}, [](CArchive& ar) { ar.Write("x", 1); }), CArchiveException::readOnly);

    // Three bytes do not make a DWORD, but a WORD and a BYTE are still there after the failure.
    Loaded({1, 2, 3}, [](CArchive& ar) {
        EXPECT_EQ(CauseOf<CArchiveException>([&] { Take<DWORD>(ar); }), CArchiveException::endOfFile);
        EXPECT_EQ(Take<WORD>(ar), 0x0201);
        EXPECT_EQ(Take<BYTE>(ar), 3);
        EXPECT_EQ(CauseOf<CArchiveException>([&] { Take<BYTE>(ar); }), CArchiveException::endOfFile);
    });
}

TEST(Archive, ReadReturnsWhatThereIsAndLargeBlocksSurviveEveryBufferBoundary) {
    Bytes pattern(10000);
    for (size_t i = 0; i < pattern.size(); ++i) pattern[i] = (BYTE)(i * 131 + (i >> 8));
    // Odd pieces through a minimum-size buffer: some fit, some straddle, some bypass it.
    const UINT pieces[] = {1, 127, 128, 129, 300, 1000, 7, 2500, 3};
    auto store = [&](CArchive& ar) {
        size_t at = 0;
        for (UINT n : pieces) {
            ar.Write(&pattern[at], n);
            at += n;
        }
        ar << (BYTE)0x5A;
        ar.Write(&pattern[at], (UINT)(pattern.size() - at));
    };
    auto load = [&](CArchive& ar) {
        Bytes back(pattern.size());
        size_t at = 0;
        for (UINT n : pieces) {
            EXPECT_EQ(ar.Read(&back[at], n), n);
            at += n;
        }
        EXPECT_EQ(Take<BYTE>(ar), 0x5A);
        UINT rest = (UINT)(pattern.size() - at);
        EXPECT_EQ(ar.Read(&back[at], rest + 500), rest);  // more than is left: the rest
        EXPECT_EQ(ar.Read(&back[0], 1), 0u);
        EXPECT_EQ(back, pattern);
    };
    Bytes bytes = Stored(store, 128);
    ASSERT_EQ(bytes.size(), pattern.size() + 1);
    Loaded(bytes, load, 128);
}

TEST(Archive, FlushAlignsTheFileWithTheArchiveWhoseExceptionsNameIt) {
    kiln::test::TempDir dir;
    CFile f(dir.win("data.bin").c_str(), CFile::modeCreate | CFile::modeReadWrite);
    {
        CArchive ar(&f, CArchive::store);
        ar << (DWORD)0x64636261 << CString("xyz");
        EXPECT_EQ(f.GetLength(), 0u);  // still in the buffer
        ar.Flush();
        EXPECT_EQ(f.GetLength(), 8u);
    }
    EXPECT_EQ(dir.Read("data.bin"), "abcd\x03xyz");

    f.SeekToBegin();
    CArchive ar(&f, CArchive::load);
    EXPECT_EQ(Take<WORD>(ar), 0x6261);
    EXPECT_EQ(f.GetPosition(), 8u);  // the buffer took everything
    EXPECT_FALSE(ar.IsBufferEmpty());
    ar.Flush();
    EXPECT_EQ(f.GetPosition(), 2u);
    EXPECT_TRUE(ar.IsBufferEmpty());
    BYTE next;
    EXPECT_EQ(f.Read(&next, 1), 1u);
    EXPECT_EQ(next, 'c');
    EXPECT_EQ(Take<BYTE>(ar), 'd');  // the archive goes on from the file's position
    EXPECT_EQ(Take<CString>(ar), "xyz");
    CString named;
    try {
        Take<DWORD>(ar);
    } catch (CArchiveException* e) {
        EXPECT_EQ(e->m_cause, CArchiveException::endOfFile);
        named = e->m_strFileName;
        e->Delete();
    }
    EXPECT_FALSE(named.IsEmpty());
    EXPECT_EQ(named, f.GetFilePath());
}

TEST(Archive, DestructorClosesUnlessToldNotToAndNeverThrows) {
    CMemFile f;
    { CArchive(&f, CArchive::store | CArchive::bNoFlushOnDelete) << (DWORD)1; }
    EXPECT_EQ(f.GetLength(), 0u);
    { CArchive(&f, CArchive::store) << (DWORD)1; }
    EXPECT_EQ(f.GetLength(), 4u);

    // A file that cannot take the buffer: Close raises, the destructor swallows the same failure.
    BYTE small[2] = {0, 0};
    CMemFile fixed(small, sizeof small);
    {
        CArchive ar(&fixed, CArchive::store);
        ar << (DWORD)0xFFFFFFFF;
        EXPECT_EQ(CauseOf<CFileException>([&] { ar.Close(); }), CFileException::diskFull);
    }
    { CArchive(&fixed, CArchive::store) << (DWORD)0xFFFFFFFF; }
    EXPECT_EQ(small[0], 0);

    // A closed archive has no file left to use.
    CArchive ar(&f, CArchive::store);
    ar.Close();
    EXPECT_EQ(ar.GetFile(), nullptr);
    EXPECT_EQ(CauseOf<CArchiveException>([&] { ar << (BYTE)1; }), CArchiveException::genericException);
}

TEST(Archive, TextLines) {
    Bytes bytes = Stored([](CArchive& ar) {
        ar.WriteString("one\r\ntwo\n\nthree\rfour");
        ar.WriteString(nullptr);
    });
    EXPECT_EQ(bytes, Text("one\r\ntwo\n\nthree\rfour"));
    Loaded(bytes, [](CArchive& ar) {
        std::vector<std::string> lines;
        CString line;
        while (ar.ReadString(line)) lines.push_back(line.GetString());
        EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", "", "three", "four"}));
        EXPECT_TRUE(line.IsEmpty());
    });
}

TEST(Archive, StringLengthPrefixesTakeMfcsThreeForms) {
    const std::pair<int, Bytes> cases[] = {
        {0, {0x00}},
        {254, {0xFE}},
        {255, {0xFF, 0xFF, 0x00}},
        {65533, {0xFF, 0xFD, 0xFF}},
        {65534, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
        {65535, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}},
        {70000, {0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}},
    };
    for (const auto& [length, prefix] : cases) {
        SCOPED_TRACE(length);
        std::string text(length, '\0');
        for (int i = 0; i < length; ++i) text[i] = (char)('a' + i % 26);
        CString str(text.data(), length);
        Bytes bytes = Stored([&](CArchive& ar) { ar << str; });
        EXPECT_EQ(bytes, Cat({prefix, Text(text)}));
        Loaded(bytes, [&](CArchive& ar) { EXPECT_EQ(Take<CString>(ar).str(), text); });
    }
    // A literal is a string, not a bool.
    EXPECT_EQ(Stored([](CArchive& ar) { ar << "ab"; }), (Bytes{2, 'a', 'b'}));
}

TEST(Archive, StringLoadingAcceptsLongFormsUnicodeAndRefusesTruncation) {
    // Wider prefixes than needed, as other writers may produce; a Unicode string is converted to code
    // page 932, and what it lacks becomes '?'.
    Bytes wide = Cat({{0xFF, 0xFF, 0xFF, 0x03, 0x00, 0x00, 0x00},
                      Text("abc"),
                      {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0, 0, 0, 0, 0, 0, 0},
                      Text("de")});
    // Unicode mark, 6 units: A, HIRAGANA A, U+1F600, a lone low surrogate, B.
    Bytes unicode = {0xFF, 0xFE, 0xFF, 6, 'A', 0, 0x42, 0x30, 0x3D, 0xD8, 0x00, 0xDE, 0x00, 0xDC, 'B', 0};
    Bytes longUnicode = Cat({{0xFF, 0xFE, 0xFF, 0xFF, 0x2C, 0x01}, Bytes(600, 0)});
    for (size_t i = 0; i < 600; i += 2) longUnicode[6 + i] = 'x';
    Loaded(Cat({wide, unicode, longUnicode}), [](CArchive& ar) {
        EXPECT_EQ(Take<CString>(ar), "abc");
        EXPECT_EQ(Take<CString>(ar), "de");
        EXPECT_EQ(Take<CString>(ar), "Aあ??B");
        EXPECT_EQ(Take<CString>(ar).str(), std::string(300, 'x'));
    });

    // Cut short: endOfFile, and the target keeps its value.
    for (const Bytes& cut :
         {Cat({{5}, Text("abc")}), Bytes{0xFF, 0x00}, Bytes{0xFF, 0xFE, 0xFF, 2, 'A', 0, 'B'},
          Bytes{0xFF, 0xFF, 0xFF, 0xF0, 0xFF, 0xFF, 0x7F, 'x'}}) {
        CString kept("kept");
        EXPECT_EQ(LoadCause(cut, [&](CArchive& ar) { ar >> kept; }), CArchiveException::endOfFile);
        EXPECT_EQ(kept, "kept");
    }
    // Longer than a CString can be.
    EXPECT_EQ(LoadCause({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 1, 0, 0, 0},
                        [](CArchive& ar) { Take<CString>(ar); }),
              CArchiveException::genericException);
}

TEST(ArchiveObjects, StoresClassesAndObjectsInMfcsTagFormat) {
    CArcLeaf a(0x11223344), b(0x55667788);
    Bytes bytes = Stored([&](CArchive& ar) { ar << &a << &b << &a << (CObject*)nullptr << &b; });
    Bytes expected = Cat({NewClass(1, "CArcLeaf"),   // class, index 1
                          {0x44, 0x33, 0x22, 0x11},  // a, index 2
                          {0x01, 0x80},              // class 1 again
                          {0x88, 0x77, 0x66, 0x55},  // b, index 3
                          {0x02, 0x00},              // a again
                          {0x00, 0x00},              // null
                          {0x03, 0x00}});            // b again
    EXPECT_EQ(bytes, expected);

    // Classes on their own, as SerializeClass writes and reads them.
    Bytes classes = Stored([](CArchive& ar) {
        ar.SerializeClass(RUNTIME_CLASS(CArcVersioned));
        ar.SerializeClass(RUNTIME_CLASS(CArcVersioned));
    });
    EXPECT_EQ(classes, Cat({NewClass(2, "CArcVersioned"), {0x01, 0x80}}));
    Loaded(classes, [](CArchive& ar) {
        ar.SerializeClass(RUNTIME_CLASS(CArcVersioned));
        EXPECT_EQ(ar.GetObjectSchema(), 2u);
        EXPECT_EQ(ar.ReadClass(), RUNTIME_CLASS(CArcVersioned));
    });
}

TEST(ArchiveObjects, LoadingRestoresTheGraphWithItsSharedPointers) {
    CArcNode a(1), b(2), self(3);
    a.m_pNext = &b;
    b.m_pNext = &a;  // a cycle
    self.m_pNext = &self;
    Bytes bytes = Stored([&](CArchive& ar) { ar << &a << &self << &b << (CObject*)nullptr; });

    // Through the CObject operators as well as the class's own.
    size_t liveBefore = CArcNode::Live().size();
    Loaded(bytes, [](CArchive& ar) {
        CObject* a;
        const CObject* self;
        CArcNode *b, *null = (CArcNode*)1;
        ar >> a >> self >> b >> null;
        ASSERT_TRUE(a->IsKindOf(RUNTIME_CLASS(CArcNode)));
        auto* pa = static_cast<CArcNode*>(a);
        auto* pself = static_cast<const CArcNode*>(self);
        EXPECT_EQ(std::tuple(pa->m_n, b->m_n, pself->m_n), std::tuple(1, 2, 3));
        EXPECT_EQ(std::tuple(pa->m_pNext, b->m_pNext, pself->m_pNext, null),
                  std::tuple(b, pa, pself, nullptr));
        delete pa;
        delete b;
        delete pself;
    });
    EXPECT_EQ(CArcNode::Live().size(), liveBefore);
}

TEST(ArchiveObjects, VersionableSchemaHandsTheStoredSchemaToSerialize) {
    // Version 1 records: one value, for the first object and for the next one of the class.
    Loaded(Cat({NewClass(1, "CArcVersioned"), {5, 0, 0, 0}, {0x01, 0x80}, {6, 0, 0, 0}}), [](CArchive& ar) {
        std::unique_ptr<CArcVersioned> p(Take<CArcVersioned*>(ar)), q(Take<CArcVersioned*>(ar));
        // Reading the schema resets it.
        EXPECT_EQ(std::tuple(p->m_nSchema, p->m_nSchemaAgain, p->m_a, p->m_b),
                  std::tuple(1u, (UINT)-1, 5, -1));
        EXPECT_EQ(std::tuple(q->m_nSchema, q->m_a), std::tuple(1u, 6));
    });

    CArcVersioned current(7, 8);
    Bytes v2 = Stored([&](CArchive& ar) { ar << &current; });
    EXPECT_EQ(v2, Cat({NewClass(2, "CArcVersioned"), {7, 0, 0, 0, 8, 0, 0, 0}}));
    Loaded(v2, [](CArchive& ar) {
        std::unique_ptr<CArcVersioned> p(Take<CArcVersioned*>(ar));
        EXPECT_EQ(std::tuple(p->m_nSchema, p->m_b), std::tuple(2u, 8));
    });
}

TEST(ArchiveObjects, GarbledRecordsRaiseTheirArchiveException) {
    auto readObject = [](CArchive& ar) { delete Take<CObject*>(ar); };
    auto readTwo = [](CArchive& ar) {
        std::unique_ptr<CObject> p(Take<CObject*>(ar));
        delete Take<CObject*>(ar);
    };
    Bytes leaf = Cat({NewClass(1, "CArcLeaf"), {1, 0, 0, 0}});
    struct Case {
        Bytes bytes;
        std::function<void(CArchive&)> load;
        int cause;
    };
    const Case cases[] = {
        {NewClass(1, "CArcUnknown"), readObject, CArchiveException::badClass},
        {NewClass(1, std::string(64, 'C')), readObject, CArchiveException::badClass},
        // The name length covers a NUL.
        {Cat({NewClass(1, std::string("CArcLeaf\0", 9)), {1, 0, 0, 0}}), readObject,
         CArchiveException::badClass},
        {Cat({NewClass(2, "CArcLeaf"), {1, 0, 0, 0}}), readObject, CArchiveException::badSchema},
        // Indices that name nothing, or the wrong kind of entry (object 1 is a class, class 2 an object).
        {{0x05, 0x00}, readObject, CArchiveException::badIndex},
        {{0x00, 0x80}, readObject, CArchiveException::badIndex},
        {{0x01, 0x80}, readObject, CArchiveException::badIndex},
        {Cat({leaf, {0x01, 0x00}}), readTwo, CArchiveException::badIndex},
        {Cat({leaf, {0x02, 0x80}}), readTwo, CArchiveException::badIndex},
        {{0xFF, 0x7F, 0x00, 0x00, 0x00, 0x80}, readObject, CArchiveException::badIndex},
        {{0xFF, 0x7F, 0x34, 0x12, 0x00, 0x00}, readObject, CArchiveException::badIndex},
        {{0x02, 0x00}, [](CArchive& ar) { ar.ReadClass(); }, CArchiveException::badIndex},
        // An object of another class than the one asked for, new or already loaded.
        {leaf, [](CArchive& ar) { delete Take<CArcVersioned*>(ar); }, CArchiveException::badClass},
        {Cat({leaf, {0x02, 0x00}}),
         [](CArchive& ar) {
             std::unique_ptr<CObject> owner(Take<CObject*>(ar));
             delete Take<CArcVersioned*>(ar);
         },
         CArchiveException::badClass},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(LoadCause(cases[i].bytes, cases[i].load), cases[i].cause);
    }

    // Cut short anywhere: endOfFile (or badClass inside the class name), and the half-loaded objects
    // are freed.
    CArcNode a, b;
    a.m_pNext = &b;
    b.m_pNext = &a;
    Bytes graph = Stored([&](CArchive& ar) { ar << &a; });
    size_t liveBefore = CArcNode::Live().size();
    for (size_t n = 0; n < graph.size(); ++n) {
        int cause = LoadCause(Bytes(graph.begin(), graph.begin() + n), readObject);
        EXPECT_TRUE(cause == CArchiveException::endOfFile ||
                    (cause == CArchiveException::badClass && n >= 6 && n < 14))
            << n << ": " << cause;
    }
    EXPECT_EQ(CArcNode::Live().size(), liveBefore);
}

TEST(ArchiveObjects, FlippedBytesNeverCrashTheLoader) {
    CArcNode a, b, c;
    a.m_pNext = &b;
    b.m_pNext = &c;
    c.m_pNext = &a;
    CArcLeaf leaf;
    CArcVersioned versioned;
    Bytes good = Stored([&](CArchive& ar) { ar << &a << &leaf << CString("text") << &versioned << &c; });
    std::set<CArcNode*> before = CArcNode::Live();
    for (size_t i = 0; i < good.size(); ++i) {
        for (BYTE mask : {0x01, 0x80, 0xFF, 0x7F}) {
            Bytes bad = good;
            bad[i] ^= mask;
            std::set<CObject*> others;
            try {
                Loaded(bad, [&](CArchive& ar) {
                    for (int n = 0; n < 4; ++n) {
                        if (n == 2) Take<CString>(ar);
                        others.insert(Take<CObject*>(ar));
                    }
                });
            } catch (CException* e) {
                EXPECT_TRUE(e->IsKindOf(RUNTIME_CLASS(CArchiveException))) << i;
                e->Delete();
            }
            // Whatever came back is freed; nodes through the tracker, since they point at each other.
            for (CObject* p : others)
                if (p != nullptr && !p->IsKindOf(RUNTIME_CLASS(CArcNode))) delete p;
            for (CArcNode* n : std::set<CArcNode*>(CArcNode::Live()))
                if (before.count(n) == 0) delete n;
        }
    }
}

TEST(ArchiveObjects, ClassesThatCannotBeStoredByPointerAreNotSupported) {
    CArcDynamic dynamic;
    int thrown = -1;
    EXPECT_TRUE(Stored([&](CArchive& ar) {
                    thrown = CauseOf<CNotSupportedException>([&] { ar << &dynamic; });
                }).empty());
    EXPECT_EQ(thrown, 0);
    Loaded(NewClass(1, "CArcLeaf"), [&](CArchive& ar) {
        thrown = CauseOf<CNotSupportedException>([&] { ar.ReadObject(RUNTIME_CLASS(CArcDynamic)); });
    });
    EXPECT_EQ(thrown, 0);
}

TEST(ArchiveObjects, IndicesFrom0x7FFFUseTheBigTag) {
    std::vector<CArcLeaf> filler(0x7FFE);  // indices 1 to 0x7FFE
    CArcLeaf a(1), b(2);
    Bytes bytes = Stored([&](CArchive& ar) {
        for (CArcLeaf& o : filler) ar.MapObject(&o);
        ar << &filler.back() << &a << &b << &a;
    });
    Bytes expected = Cat({{0xFE, 0x7F},  // object 0x7FFE: still a WORD
                          NewClass(1, "CArcLeaf"),
                          {1, 0, 0, 0},  // class 0x7FFF, a 0x8000
                          {0xFF, 0x7F, 0xFF, 0x7F, 0x00, 0x80},
                          {2, 0, 0, 0},                            // class 0x7FFF by big tag
                          {0xFF, 0x7F, 0x00, 0x80, 0x00, 0x00}});  // a again
    EXPECT_EQ(bytes, expected);

    Loaded(bytes, [&](CArchive& ar) {
        for (CArcLeaf& o : filler) ar.MapObject(&o);
        CArcLeaf *pLast, *pa, *pb, *pa2;
        ar >> pLast >> pa >> pb >> pa2;
        EXPECT_EQ(pLast, &filler.back());
        EXPECT_EQ(std::tuple(pa->m_n, pb->m_n, pa2), std::tuple(1, 2, pa));
        delete pa;
        delete pb;
    });
}

}  // namespace

// Objects that load objects nest on the stack: a chain a thousand deep loads, a deeper one is refused
// as garbage, whatever its depth, and nothing of it is left behind.
TEST(ArchiveObjects, NestingIsBoundedSoNoArchiveExhaustsTheStack) {
    auto chain = [](size_t length) {
        std::vector<std::unique_ptr<CArcNode>> nodes;
        for (size_t i = 0; i < length; ++i) nodes.push_back(std::make_unique<CArcNode>((LONG)i));
        for (size_t i = 0; i + 1 < length; ++i) nodes[i]->m_pNext = nodes[i + 1].get();
        return Stored([&](CArchive& ar) { ar << nodes[0].get(); });
    };
    size_t liveBefore = CArcNode::Live().size();
    Loaded(chain(1000), [](CArchive& ar) {
        CArcNode* head = Take<CArcNode*>(ar);
        LONG last = -1;
        while (head != nullptr) {
            last = head->m_n;
            std::unique_ptr<CArcNode> done(head);
            head = head->m_pNext;
        }
        EXPECT_EQ(last, 999);
    });
    EXPECT_EQ(CArcNode::Live().size(), liveBefore);
    // A hostile archive: the first node, then its class by index and a value, over and over.
    Bytes deep = Cat({NewClass(1, "CArcNode"), {0, 0, 0, 0}});
    for (int i = 0; i < 200000; ++i) deep.insert(deep.end(), {0x01, 0x80, 0, 0, 0, 0});
    for (const Bytes& bytes : {chain(1001), deep}) {
        EXPECT_EQ(LoadCause(bytes, [](CArchive& ar) { delete Take<CObject*>(ar); }),
                  CArchiveException::genericException);
        EXPECT_EQ(CArcNode::Live().size(), liveBefore);
    }
}
