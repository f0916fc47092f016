#include <kiln/convert/error.h>
#include <kiln/convert/symbol_table.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/seq.h"
#include "support/box_recorder.h"

namespace {

using kiln::test::Seq;

const std::string kPrefix = "t.src (\?\?\?) ";

// Opens the table's protected parts to the tests.
class Table : public CSymbolTable {
public:
    using CSymbol::Hash;
    unsigned short LastHash() const { return m_wLastHash; }
    std::string Record(unsigned int n) { return {(const char*)(void*)m_Records + n * 24, 24}; }
    unsigned int RecordBytes() { return m_Records.GetPC(); }
    bool HasWorkAreas() { return m_Records.IsAttached() && m_Buckets.IsAttached() && m_pBucket != nullptr; }
    // What the getters read of record n: "text id length scope memory value param".
    std::string Label(unsigned int n) {
        const char* text = GetLabelText(n);
        std::string s = text ? text : "(null)";
        for (long v : {(long)GetLabelID(n), GetLabelLength(n), GetLabelScope(n), GetLabelMemory(n),
                       GetLabelValue(n), GetLabelParam(n)})
            s += " " + std::to_string(v);
        return s;
    }
};

std::string Written(CDecode& d) { return {static_cast<const char*>((void*)d), d.GetPC()}; }

class Symbols : public ::testing::Test {
protected:
    void SetUp() override {
        errors.Alloc(0);
        errors.AttachText("t.src");
        errors.m_nMaxError = 1000000;
        errors.InterLock();
        table.m_pError = &errors;
        ASSERT_NE(table.InterLock(), nullptr);
    }
    void TearDown() override {
        if (table.IsLocked()) table.InterUnlock();
        errors.InterUnlock();
    }
    unsigned int Entry(const std::string& text, long value = 0) {
        return table.Entry(text.c_str(), 0, 0, value, nullptr);
    }
    unsigned int Find(const std::string& text) { return table.Find(text.c_str(), 0); }
    // The indexes that Find gives for the texts, each followed by a space.
    std::string Finds(std::initializer_list<std::string> texts) {
        std::string found;
        for (const std::string& text : texts) found += std::to_string(Find(text)) + " ";
        return found;
    }

    kiln::test::BoxRecorder boxes;
    CError errors;
    Table table;
};

// Index 0 is the null index until a placeholder takes it; the hash sums signed bytes to 12 bits.
TEST_F(Symbols, IndexZeroAndTheHash) {
    EXPECT_EQ(Seq({Entry("A"), Entry("B")}), "0 1");
    EXPECT_EQ(Finds({"A", "B"}), "0 1 ");
    EXPECT_EQ(Written(table), std::string("A\0B\0", 4));
    EXPECT_EQ(Seq({table.EntryPlaceholder(), table.GetLastSymbol()}), "1 1") << "index 0 is taken already";
    EXPECT_EQ(Written(errors), "");

    auto hash = [&](const std::string& s) { return table.Hash(s.data(), s.data() + s.size()); };
    EXPECT_EQ(Seq({hash("\x82\xA0"), table.LastHash(), hash(std::string(100, '\x7F'))}), "3874 3874 412");
    Find("AB");
    EXPECT_EQ(table.LastHash(), 131);
}

TEST_F(Symbols, ChainsKeepEqualHashesApartAndDuplicatesAreReportedWhileEnabled) {
    unsigned int line = 40;
    errors.AttachLine(&line);
    table.EntryPlaceholder();
    EXPECT_EQ(Seq({table.Entry("AB", 1, 0, 0, nullptr), table.Entry("BA", 2, 0, 0, nullptr),
                   table.Entry("ab", 3, 0, 0, nullptr)}),
              "1 2 3");
    EXPECT_EQ(Finds({"AB", "BA", "ab", "Ab", "A", "ABC"}), "1 2 3 0 0 0 ");
    EXPECT_EQ(table.Find("BA", 99), 2u);  // the scope takes no part
    const char text[] = "xBAy";           // the range form finds a label inside a longer text
    EXPECT_EQ(table.Find(text + 1, text + 3, 0), 2u);
    EXPECT_EQ(table.Record(2).substr(6, 2) + table.Record(1).substr(6, 2), std::string("\x01\0\0\0", 4))
        << "newest first: BA links to AB, AB ends the chain";
    unsigned int pc = table.GetPC();
    EXPECT_EQ(Entry("BA"), 0u);
    EXPECT_EQ(Written(errors), "t.src (40) シンボル BA はすでに定義されています\r\n");
    EXPECT_EQ(errors.IsRewind(), 0);
    table.Disable();
    EXPECT_EQ(Seq({Entry("BA"), table.GetPC() - pc, table.GetLastSymbol()}), "2 0 3") << "nothing appended";
}

// Thousands of labels in one chain (n + seven digits summing to 31 all hash alike): each is found,
// labels never entered are not, and a text entered again is found at its newest record.
TEST_F(Symbols, OneLongChainAndTextsEnteredAgain) {
    EXPECT_EQ(Entry("A"), 0u);
    EXPECT_EQ(Entry("A"), 1u) << "the record at index 0 is not found, so A goes in again";
    std::vector<std::string> labels;
    for (unsigned int i = 0; labels.size() < 3100; ++i) {
        std::string digits = std::to_string(10000000 + i).substr(1);
        int sum = 0;
        for (char c : digits) sum += c - '0';
        if (sum == 31) labels.push_back("n" + digits);
    }
    for (unsigned int i = 0; i < 3000; ++i) ASSERT_EQ(Entry(labels[i]), i + 2);
    const unsigned short hash = table.LastHash();
    for (unsigned int i = 0; i < 3100; ++i) {
        ASSERT_EQ(Find(labels[i]), i < 3000 ? i + 2 : 0) << labels[i];
        ASSERT_EQ(table.LastHash(), hash);
    }
    EXPECT_EQ(table.Record(3001).substr(6, 2), std::string("\xB8\x0B", 2)) << "linked to record 3000";
    EXPECT_EQ(Finds({"A", std::string(300, 'n')}), "1 0 ");

    // A derived lookup that misses lets a text in twice; the table's own lookup gives the newer.
    struct Forgetful : CSymbolTable {
        unsigned int Find(const char* begin, const char* end, long) override {
            Hash(begin, end);
            return 0;
        }
    } forgetful;
    forgetful.InterLock();
    forgetful.EntryPlaceholder();
    EXPECT_EQ(forgetful.Entry("X", 0, 0, 0, nullptr) + forgetful.Entry("X", 0, 0, 0, nullptr), 3u);
    const char x[] = "X";
    EXPECT_EQ(forgetful.CSymbol::Find(x, x + 1, 0), 2u);
    forgetful.InterUnlock();
}

TEST_F(Symbols, RecordLayoutAndRewrites) {
    table.EntryPlaceholder();
    tagSYMPRM prm = {3, 4, 5, 6, -2};
    ASSERT_EQ(table.Entry("LBL", -1, 7, 0x12345678, &prm), 1u);
    std::string record("\x07\x03\x04\x05\x03\0\0\0\xFF\xFF\xFF\xFF\x78\x56\x34\x12\xFE\xFF\xFF\xFF\x01\0\0\0",
                       24);
    EXPECT_EQ(table.Record(1), record);
    EXPECT_EQ(Seq({table.RecordBytes(), table.Label(1)}), "48 LBL 7 3 -1 3 305419896 -2");
    tagSYMPRM keep = {(LONG)0x80000000u, 9, (LONG)0x80000000u, 0, (LONG)0x80000000u};
    EXPECT_EQ(table.ReEntryPrm(1, &keep), 1);
    record[2] = 9;
    EXPECT_EQ(table.Record(1), record) << "0x80000000 leaves an attribute unchanged";
    EXPECT_EQ(Seq({table.ReEntryID(1, 0xAA), table.ReEntryMemory(1, 0xF0), table.ReEntryValue(1, -5),
                   table.ReEntryParam(1, 77)}),
              "1 1 1 1");
    EXPECT_EQ(table.Label(1), "LBL 170 3 -1 240 -5 77");  // the memory byte is zero-extended
    tagSYMPRM other = {1, (LONG)0x80000000u, 3, 4, 0x10000};
    table.ReEntryPrm(1, &other);
    EXPECT_EQ(table.Record(1).substr(0, 4), "\xAA\x01\x09\x03");
    EXPECT_EQ(table.GetLabelParam(1), 0x10000);
    EXPECT_EQ(Entry("B"), 2u);  // without a parameter record every stored attribute is 0
    EXPECT_EQ(table.Record(2).substr(1, 3) + table.Record(2).substr(16, 4), std::string(7, '\0'));
}

TEST_F(Symbols, IndexZeroAndIndexesBeyondTheRecords) {
    table.EntryPlaceholder();
    Entry("A", 9);
    int pass = 1;
    table.m_pPass = &pass;
    EXPECT_EQ(Seq({table.ReEntryValue(0, 5), table.ReEntryID(0, 5), table.ReEntryPrm(0, nullptr),
                   table.GetLabelValue(0)}),
              "0 0 0 0");
    EXPECT_EQ(Written(errors), "") << "reported from pass 2 on";
    pass = 2;
    EXPECT_EQ(table.Label(0), "(null) 0 0 0 0 0 0");
    EXPECT_EQ(table.GetLabelExUser(0), 0u);
    const std::string undefined = kPrefix + "未定義シンボル操作が発生しました\r\n";
    std::string eight;
    for (int i = 0; i < 8; ++i) eight += undefined;
    EXPECT_EQ(Written(errors), eight);
    EXPECT_EQ(errors.IsRewind(), 1);
    EXPECT_EQ(table.Label(60000), "(null) 0 0 0 0 0 0");
    EXPECT_EQ(table.GetLabelText(0xFFFFFFFFu), nullptr);
    EXPECT_EQ(Seq({table.ReEntryValue(60000, 1), table.GetLabelValue(1)}), "0 9");
}

TEST_F(Symbols, LabelLengthLimit) {
    table.EntryPlaceholder();
    std::string max(255, 'M'), longer(300, 'L');
    EXPECT_EQ(Seq({Entry(max), Find(max), table.GetLabelLength(1)}), "1 1 255");
    unsigned int pc = table.GetPC();
    EXPECT_EQ(Seq({Entry(longer), table.GetPC() - pc, Find(longer)}), "0 301 0")
        << "its text stays in the pool";
    const std::string tooLong = kPrefix + "長すぎるシンボル " + longer + " が宣言されました\r\n";
    EXPECT_EQ(Written(errors), tooLong);
    table.Disable();
    EXPECT_EQ(Seq({Entry(std::string(256, 'O')), table.GetLastSymbol()}), "0 1");
    EXPECT_EQ(Written(errors), tooLong) << "not reported while disabled";
}

TEST_F(Symbols, RecordLimitAndPoolGrowth) {
    table.EntryPlaceholder();
    auto label = [](unsigned int i) { return "L" + std::to_string(i) + "_x"; };
    for (unsigned int i = 1; i < 65536; ++i) ASSERT_EQ(Entry(label(i), i), i);
    EXPECT_TRUE(table.HasWorkAreas());  // the pool grew many times without losing them
    for (unsigned int i = 65536; i < 70000; ++i) EXPECT_EQ(Entry(label(i), i), 0u);
    const std::string tooMany = kPrefix + "シンボル数が６５５３６を超えました\r\n";
    EXPECT_EQ(Written(errors).substr(0, tooMany.size()), tooMany);
    EXPECT_EQ(Written(errors).size(), tooMany.size() * (70000 - 65536));
    EXPECT_EQ(Seq({errors.IsRewind(), table.GetLastSymbol()}), "1 65535");
    for (unsigned int i = 1; i < 65536; i += 97) {
        ASSERT_EQ(Find(label(i)), i);
        ASSERT_EQ(table.Label(i),
                  label(i) + " 0 " + std::to_string(label(i).size()) + " 0 0 " + std::to_string(i) + " 0");
    }
    EXPECT_EQ(Finds({label(65535), label(65536), label(69999)}), "65535 0 0 ");
    EXPECT_EQ(boxes.Count(), 0u);
    table.InterUnlock();
    EXPECT_FALSE(table.HasWorkAreas());
}

TEST_F(Symbols, OpcodeParametersAndTypesBehindALabel) {
    table.EntryPlaceholder();
    tagSYMPRM prm = {0, 0, 0, 0, 1};
    unsigned int n = table.Entry("MOV", 0, 0, 0, &prm);
    table.OPCodeEntry(0x12);
    // A DWORD is the 32-bit form.
    EXPECT_EQ(Seq({table.DecodeEx(7ul), table.DecodeEx((DWORD)8), table.DecodeEx((unsigned short)0x0102),
                   table.DecodeEx((unsigned char)0x33)}),
              "1 1 1 1");
    const char* ex = static_cast<const char*>(table.GetLabelParamEx(n));
    ASSERT_EQ(ex, table.GetLabelText(n) + 4);
    EXPECT_EQ(std::string(ex, 12), std::string("\x12\x07\0\0\0\x08\0\0\0\x02\x01\x33", 12));
    EXPECT_EQ(table.GetLabelExUser(n), 0x00000800u) << "32 bits at ParamEx + 4 * |param|";
    table.ReEntryParam(n, -2);
    EXPECT_EQ(table.GetLabelExUser(n), 0x33010200u);
    table.ReEntryParam(n, 0x40000000);
    EXPECT_EQ(table.GetLabelExUser(n), 0u) << "past the pool";

    // An opcode alone leaves the pool NUL-terminated; the next emission overwrites that NUL.
    const char* nop = table.GetLabelText(Entry("NOP"));
    table.OPCodeEntry(0x90);
    EXPECT_EQ(std::string(nop, 6), std::string("NOP\0\x90\0", 6));
    EXPECT_EQ(table.GetPC(), (unsigned int)(nop - static_cast<const char*>((void*)table)) + 5);
    table.Disable();
    unsigned int pc = table.GetPC();
    table.OPCodeEntry(0x55);
    EXPECT_EQ(Seq({table.DecodeEx(9ul), table.GetPC() - pc}), "1 0");
    // User-defined types emit their index, enabled or not, and unknown ones are reported.
    EXPECT_EQ(Seq({table.DecodeExUserDefined("MOV", 0), table.DecodeExUserDefined("BYTE", 0)}),
              std::to_string(n) + " 0");
    EXPECT_EQ(Written(table).substr(pc), std::string("\x01\0\0\0\0\0\0\0", 8));
    EXPECT_EQ(Written(errors), kPrefix + "不正な型が使用されました\r\n");
    EXPECT_EQ(errors.IsRewind(), 0);
}

TEST_F(Symbols, TextsWithNulBytesMatchByTheByteRule) {
    table.EntryPlaceholder();
    // A key matches where its bytes equal the pool's and the pool has a NUL right behind them.
    unsigned int a = Entry("A");
    for (unsigned char c : {0x01, 0xFF, 0x00}) table.DecodeEx(c);
    const char key[] = {'A', 0, 0x01, (char)0xFF};  // same hash as A
    EXPECT_EQ(table.Find(key, key + 4, 0), a);
    EXPECT_EQ(table.Find(key, key + 3, 0), 0u);
    const char inner[] = {'N', 0, 'L'}, other[] = {'N', 0, 'M'};
    unsigned int n = table.Entry(inner, inner + 3, 0, 0, 0, nullptr);
    ASSERT_NE(n, 0u);
    EXPECT_EQ(Seq({table.GetLabelLength(n), table.Find(inner, inner + 3, 0) - n, Find("N"),
                   table.Find(other, other + 3, 0), Find("A") - a}),
              "3 0 0 0 0");
}

TEST_F(Symbols, UnlockReleasesRecordsClearStartsAgainAndDetachLeavesNoPool) {
    int pass = 1;
    table.m_pPass = &pass;
    table.EntryPlaceholder();
    Entry("ONE", 1);
    Entry("TWO", 2);
    EXPECT_EQ(table.ClearTable(), 0) << "refused while locked";
    table.InterUnlock();
    EXPECT_FALSE(table.HasWorkAreas());
    // The count and the pool survive, but nothing is found.
    EXPECT_EQ(Seq({table.GetLastSymbol(), Find("ONE")}), "2 0");
    EXPECT_EQ(Written(table), std::string("\0ONE\0TWO\0", 9));
    table.Disable();
    EXPECT_EQ(Seq({table.ClearTable(), table.GetPC(), table.GetLength() == CSymbolTable::kInitialPool}),
              "1 0 1");
    EXPECT_TRUE(table.m_pError == &errors && table.m_pPass == &pass);
    ASSERT_NE(table.InterLock(), nullptr);
    EXPECT_TRUE(table.HasWorkAreas());
    EXPECT_EQ(Seq({table.EntryPlaceholder(), table.GetLastSymbol(), Entry("TWO", 2)}), "1 0 1");
    EXPECT_EQ(Finds({"TWO", "ONE", ""}), "1 0 0 ") << "the placeholder is never found";
    EXPECT_EQ(boxes.Count(), 0u);

    table.InterUnlock();  // a table without a pool reports and refuses
    table.Detach();
    EXPECT_EQ(table.m_pError, nullptr) << "Detach forgets the owner's settings";
    table.m_pError = &errors;
    EXPECT_EQ(table.InterLock(), nullptr);
    ASSERT_GE(boxes.Count(), 1u);
    EXPECT_EQ(boxes.calls()[0].text, "ヒープ管理に失敗しました");
    EXPECT_EQ(Seq({Entry("A"), errors.IsRewind()}), "0 1");
    EXPECT_EQ(Written(errors), kPrefix + "ヒープが不足しています（シンボルを管理しきれません）\r\n");
    table.InterUnlock();
}

TEST(SymbolTable, SilentWithoutErrorListAndCopies) {
    kiln::test::BoxRecorder boxes;
    Table table;
    ASSERT_NE(table.InterLock(), nullptr);
    table.EntryPlaceholder();
    EXPECT_EQ(Seq({table.Entry("A", 0, 0, 0, nullptr), table.Entry("A", 0, 0, 0, nullptr),
                   table.Entry(std::string(300, 'x').c_str(), 0, 0, 0, nullptr),
                   table.DecodeExUserDefined("none", 0)}),
              "1 0 0 0");
    table.InterUnlock();
    EXPECT_EQ(boxes.Count(), 0u);
    int pass = 3;
    table.m_pPass = &pass;
    table.m_dwOwner = (DWORD_PTR)&table;
    Table copy(table);
    EXPECT_EQ(copy.GetID(), table.GetID());
    EXPECT_EQ(Seq({copy.GetPC() - table.GetPC(), copy.GetLastSymbol()}), "0 1");
    EXPECT_TRUE(copy.m_pPass == &pass && copy.m_dwOwner == (DWORD_PTR)&table);
    copy.DetachWithoutFree();
}

}  // namespace
