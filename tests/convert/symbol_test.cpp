#include <kiln/convert/error.h>
#include <kiln/convert/symbol_table.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/box_recorder.h"

namespace {

// Opens the table's protected parts to the tests.
class Table : public CSymbolTable {
public:
    using CSymbol::Hash;
    unsigned short LastHash() const { return m_wLastHash; }
    const unsigned char* Record(unsigned int n) {
        return static_cast<const unsigned char*>((void*)m_Records) + n * 24;
    }
    unsigned int RecordBytes() { return m_Records.GetPC(); }
    bool HasWorkAreas() { return m_Records.IsAttached() && m_Buckets.IsAttached() && m_pBucket != nullptr; }
};

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
    std::string Errors() { return std::string(static_cast<const char*>((void*)errors), errors.GetPC()); }
    std::string Pool() { return std::string(static_cast<const char*>((void*)table), table.GetPC()); }

    kiln::test::BoxRecorder boxes;
    CError errors;
    Table table;
};

TEST_F(Symbols, IndexZeroIsTheNullIndex) {
    EXPECT_EQ(table.Entry("A", 0, 0, 0, nullptr), 0u);
    EXPECT_EQ(table.Find("A", 0), 0u);
    EXPECT_EQ(table.Entry("B", 0, 0, 0, nullptr), 1u);
    EXPECT_EQ(table.Find("B", 0), 1u);
    EXPECT_EQ(table.GetLastSymbol(), 1u);
    EXPECT_EQ(Pool(), std::string("A\0B\0", 4));
    EXPECT_EQ(Errors(), "");
}

TEST_F(Symbols, PlaceholderMakesEveryLabelFindable) {
    EXPECT_EQ(table.EntryPlaceholder(), 1);
    EXPECT_EQ(table.GetLastSymbol(), 0u);
    EXPECT_EQ(table.EntryPlaceholder(), 1);  // index 0 is taken already
    EXPECT_EQ(table.GetLastSymbol(), 0u);
    EXPECT_EQ(table.Entry("A", 0, 0, 0, nullptr), 1u);
    EXPECT_EQ(table.Find("A", 0), 1u);
    EXPECT_EQ(table.Find("", 0), 0u);
}

TEST_F(Symbols, HashSumsSignedBytesToTwelveBits) {
    const char a[] = "A", abc[] = "ABC", kana[] = "\x82\xA0";
    EXPECT_EQ(table.Hash(a, a + 1), 65);
    EXPECT_EQ(table.Hash(abc, abc + 3), 198);
    EXPECT_EQ(table.Hash(kana, kana + 2), 3874);
    EXPECT_EQ(table.LastHash(), 3874);
    std::string ff(20, '\x7F');  // 2540
    EXPECT_EQ(table.Hash(ff.data(), ff.data() + ff.size()), 2540);
    std::string big(100, '\x7F');  // 12700 & 0xFFF
    EXPECT_EQ(table.Hash(big.data(), big.data() + big.size()), 12700 & 0xFFF);
    table.Find("AB", 0);
    EXPECT_EQ(table.LastHash(), 131);
}

TEST_F(Symbols, DuplicatesAreReportedWhileEnabled) {
    unsigned int line = 40;
    errors.AttachLine(&line);
    table.EntryPlaceholder();
    ASSERT_EQ(table.Entry("LOOP", 0, 0, 0, nullptr), 1u);
    unsigned int pc = table.GetPC();
    EXPECT_EQ(table.Entry("LOOP", 0, 0, 0, nullptr), 0u);
    EXPECT_EQ(Errors(), "t.src (40) シンボル LOOP はすでに定義されています\r\n");
    EXPECT_EQ(errors.IsRewind(), 0);
    EXPECT_EQ(table.GetPC(), pc);

    table.Disable();
    EXPECT_EQ(table.Entry("LOOP", 0, 0, 0, nullptr), 1u);
    EXPECT_EQ(table.GetPC(), pc);  // nothing appended
    EXPECT_EQ(table.GetLastSymbol(), 1u);
}

TEST_F(Symbols, ChainsKeepEqualHashesApart) {
    table.EntryPlaceholder();
    unsigned int ab = table.Entry("AB", 1, 0, 0, nullptr);
    unsigned int ba = table.Entry("BA", 2, 0, 0, nullptr);
    unsigned int lower = table.Entry("ab", 3, 0, 0, nullptr);
    EXPECT_EQ(ab, 1u);
    EXPECT_EQ(ba, 2u);
    EXPECT_EQ(lower, 3u);
    EXPECT_EQ(table.Find("AB", 0), ab);
    EXPECT_EQ(table.Find("BA", 99), ba);  // the scope takes no part
    EXPECT_EQ(table.Find("ab", 0), lower);
    EXPECT_EQ(table.Find("Ab", 0), 0u);
    EXPECT_EQ(table.Find("A", 0), 0u);
    EXPECT_EQ(table.Find("ABC", 0), 0u);
    // Newest first: BA links to AB, AB ends the chain.
    EXPECT_EQ(table.Record(ba)[6] | table.Record(ba)[7] << 8, (int)ab);
    EXPECT_EQ(table.Record(ab)[6] | table.Record(ab)[7] << 8, 0);
    // The range form finds a label inside a longer text.
    const char text[] = "xBAy";
    EXPECT_EQ(table.Find(text + 1, text + 3, 0), ba);
}

TEST_F(Symbols, RecordLayoutAndRewrites) {
    table.EntryPlaceholder();
    tagSYMPRM prm = {3, 4, 5, 6, -2};
    unsigned int n = table.Entry("LBL", -1, 7, 0x12345678, &prm);
    ASSERT_EQ(n, 1u);
    const unsigned char expected[24] = {7, 3, 4, 5, 3, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0x78, 0x56, 0x34, 0x12,
                                        0xFE, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0};
    EXPECT_EQ(std::memcmp(table.Record(n), expected, 24), 0);
    EXPECT_EQ(table.RecordBytes(), 48u);
    EXPECT_STREQ(table.GetLabelText(n), "LBL");
    EXPECT_EQ(table.GetLabelID(n), 7);
    EXPECT_EQ(table.GetLabelLength(n), 3);
    EXPECT_EQ(table.GetLabelScope(n), -1);
    EXPECT_EQ(table.GetLabelMemory(n), 3);
    EXPECT_EQ(table.GetLabelValue(n), 0x12345678);
    EXPECT_EQ(table.GetLabelParam(n), -2);

    tagSYMPRM keep = {(LONG)0x80000000u, 9, (LONG)0x80000000u, 0, (LONG)0x80000000u};
    EXPECT_EQ(table.ReEntryPrm(n, &keep), 1);
    unsigned char after[24];
    std::memcpy(after, expected, 24);
    after[2] = 9;
    EXPECT_EQ(std::memcmp(table.Record(n), after, 24), 0);

    EXPECT_EQ(table.ReEntryID(n, 0xAA), 1);
    EXPECT_EQ(table.ReEntryMemory(n, 0xF0), 1);
    EXPECT_EQ(table.ReEntryValue(n, -5), 1);
    EXPECT_EQ(table.ReEntryParam(n, 77), 1);
    EXPECT_EQ(table.GetLabelID(n), 0xAA);
    EXPECT_EQ(table.GetLabelMemory(n), 0xF0);  // zero-extended
    EXPECT_EQ(table.GetLabelValue(n), -5);
    EXPECT_EQ(table.GetLabelParam(n), 77);
    tagSYMPRM all = {1, 2, 3, 4, 0x10000};
    table.ReEntryPrm(n, &all);
    EXPECT_EQ(table.Record(n)[1], 1);
    EXPECT_EQ(table.Record(n)[3], 3);
    EXPECT_EQ(table.GetLabelParam(n), 0x10000);

    // Without a parameter record every stored attribute is 0.
    unsigned int bare = table.Entry("B", 0, 0, 0, nullptr);
    EXPECT_EQ(table.GetLabelMemory(bare), 0);
    EXPECT_EQ(table.GetLabelParam(bare), 0);
    EXPECT_EQ(table.Record(bare)[2], 0);
}

TEST_F(Symbols, IndexZeroQueriesAndRewrites) {
    table.EntryPlaceholder();
    table.Entry("A", 0, 0, 9, nullptr);
    EXPECT_EQ(table.ReEntryValue(0, 5), 0);
    EXPECT_EQ(table.ReEntryID(0, 5), 0);
    EXPECT_EQ(table.ReEntryPrm(0, nullptr), 0);
    int pass = 1;
    table.m_pPass = &pass;
    EXPECT_EQ(table.GetLabelValue(0), 0);
    EXPECT_EQ(Errors(), "");
    pass = 2;
    EXPECT_EQ(table.GetLabelValue(0), 0);
    EXPECT_EQ(table.GetLabelText(0), nullptr);
    EXPECT_EQ(table.GetLabelExUser(0), 0u);
    const std::string undefined = "t.src (\?\?\?) 未定義シンボル操作が発生しました\r\n";
    EXPECT_EQ(Errors(), undefined + undefined + undefined);
    EXPECT_EQ(errors.IsRewind(), 1);
    // Indexes beyond the record area read as 0 and are not written.
    EXPECT_EQ(table.GetLabelValue(60000), 0);
    EXPECT_EQ(table.GetLabelText(0xFFFFFFFFu), nullptr);
    EXPECT_EQ(table.ReEntryValue(60000, 1), 0);
    EXPECT_EQ(table.GetLabelValue(1), 9);
}

TEST_F(Symbols, LabelLengthLimit) {
    table.EntryPlaceholder();
    std::string max(255, 'M');
    EXPECT_EQ(table.Entry(max.c_str(), 0, 0, 0, nullptr), 1u);
    EXPECT_EQ(table.Find(max.c_str(), 0), 1u);
    EXPECT_EQ(table.GetLabelLength(1), 255);

    unsigned int pc = table.GetPC();
    std::string longer(300, 'L');
    EXPECT_EQ(table.Entry(longer.c_str(), 0, 0, 0, nullptr), 0u);
    EXPECT_EQ(Errors(), "t.src (\?\?\?) 長すぎるシンボル " + longer + " が宣言されました\r\n");
    EXPECT_EQ(table.GetPC(), pc + 301);  // its text stays in the pool
    EXPECT_EQ(table.Find(longer.c_str(), 0), 0u);
    EXPECT_EQ(table.GetLastSymbol(), 1u);

    table.Disable();
    std::string over(256, 'O');
    EXPECT_EQ(table.Entry(over.c_str(), 0, 0, 0, nullptr), 0u);
    EXPECT_EQ(Errors().size(), ("t.src (\?\?\?) 長すぎるシンボル " + longer + " が宣言されました\r\n").size());
    EXPECT_EQ(table.GetLastSymbol(), 1u);
}

TEST_F(Symbols, RecordLimitAndPoolGrowth) {
    table.EntryPlaceholder();
    auto label = [](unsigned int i) { return "L" + std::to_string(i) + "_x"; };
    for (unsigned int i = 1; i < 65536; ++i) ASSERT_EQ(table.Entry(label(i).c_str(), 0, 0, i, nullptr), i);
    EXPECT_TRUE(table.HasWorkAreas());  // the pool grew many times without losing them
    EXPECT_EQ(table.GetLastSymbol(), 65535u);
    for (unsigned int i = 65536; i < 70000; ++i) EXPECT_EQ(table.Entry(label(i).c_str(), 0, 0, i, nullptr), 0u);
    const std::string tooMany = "t.src (\?\?\?) シンボル数が６５５３６を超えました\r\n";
    EXPECT_EQ(Errors().substr(0, tooMany.size()), tooMany);
    EXPECT_EQ(Errors().size(), tooMany.size() * (70000 - 65536));
    EXPECT_EQ(errors.IsRewind(), 1);
    EXPECT_EQ(table.GetLastSymbol(), 65535u);
    for (unsigned int i = 1; i < 65536; i += 97) {
        ASSERT_EQ(table.Find(label(i).c_str(), 0), i);
        ASSERT_EQ(table.GetLabelValue(i), (long)i);
        ASSERT_STREQ(table.GetLabelText(i), label(i).c_str());
    }
    EXPECT_EQ(table.Find(label(65535).c_str(), 0), 65535u);
    EXPECT_EQ(table.Find(label(65536).c_str(), 0), 0u);
    EXPECT_EQ(table.Find(label(69999).c_str(), 0), 0u);
    EXPECT_EQ(boxes.Count(), 0u);

    table.InterUnlock();
    EXPECT_EQ(table.IsLocked(), 0u);
    EXPECT_FALSE(table.HasWorkAreas());
}

TEST_F(Symbols, OpcodeAndParametersBehindALabel) {
    table.EntryPlaceholder();
    tagSYMPRM prm = {0, 0, 0, 0, 1};
    unsigned int n = table.Entry("MOV", 0, 0, 0, &prm);
    table.OPCodeEntry(0x12);
    EXPECT_EQ(table.DecodeEx(7ul), 1);
    EXPECT_EQ(table.DecodeEx(8ul), 1);
    EXPECT_EQ(table.DecodeEx((unsigned short)0x0102), 1);
    EXPECT_EQ(table.DecodeEx((unsigned char)0x33), 1);
    const unsigned char* ex = static_cast<const unsigned char*>(table.GetLabelParamEx(n));
    ASSERT_NE(ex, nullptr);
    EXPECT_EQ(ex, reinterpret_cast<const unsigned char*>(table.GetLabelText(n)) + 4);
    const unsigned char bytes[12] = {0x12, 7, 0, 0, 0, 8, 0, 0, 0, 2, 1, 0x33};
    EXPECT_EQ(std::memcmp(ex, bytes, 12), 0);
    // ExUser reads 32 bits at ParamEx + 4 * |param|: bytes 4 to 7.
    EXPECT_EQ(table.GetLabelExUser(n), 0x00000800u);
    table.ReEntryParam(n, -2);
    EXPECT_EQ(table.GetLabelExUser(n), 0x33010200u);
    // A param pointing past the pool reads as 0.
    table.ReEntryParam(n, 0x40000000);
    EXPECT_EQ(table.GetLabelExUser(n), 0u);

    // An opcode alone leaves the pool NUL-terminated; the next emission overwrites that NUL.
    unsigned int m = table.Entry("NOP", 0, 0, 0, nullptr);
    table.OPCodeEntry(0x90);
    const char* nop = table.GetLabelText(m);
    EXPECT_EQ(std::memcmp(nop, "NOP\0\x90\0", 6), 0);
    EXPECT_EQ(table.GetPC(), (unsigned int)(nop - static_cast<const char*>((void*)table)) + 5);

    table.Disable();
    unsigned int pc = table.GetPC();
    table.OPCodeEntry(0x55);
    EXPECT_EQ(table.DecodeEx(9ul), 1);
    EXPECT_EQ(table.GetPC(), pc);
}

TEST_F(Symbols, UserDefinedTypesEmitTheirIndex) {
    table.EntryPlaceholder();
    unsigned int word = table.Entry("WORD", 0, 0, 0, nullptr);
    table.Disable();
    unsigned int pc = table.GetPC();
    EXPECT_EQ(table.DecodeExUserDefined("WORD", 0), word);
    EXPECT_EQ(table.DecodeExUserDefined("BYTE", 0), 0u);
    const unsigned char* at = static_cast<const unsigned char*>((void*)table) + pc;
    const unsigned char expected[8] = {(unsigned char)word, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(at, expected, 8), 0);
    EXPECT_EQ(Errors(), "t.src (\?\?\?) 不正な型が使用されました\r\n");
    EXPECT_EQ(errors.IsRewind(), 0);
}

TEST_F(Symbols, TextsWithNulBytesMatchByTheByteRule) {
    table.EntryPlaceholder();
    // A key matches where its bytes equal the pool's and the pool has a NUL right behind them.
    unsigned int a = table.Entry("A", 0, 0, 0, nullptr);
    table.DecodeEx((unsigned char)0x01);
    table.DecodeEx((unsigned char)0xFF);
    table.DecodeEx((unsigned char)0x00);
    const char key[] = {'A', 0, 0x01, (char)0xFF};  // same hash as A
    EXPECT_EQ(table.Find(key, key + 4, 0), a);
    EXPECT_EQ(table.Find(key, key + 3, 0), 0u);

    const char inner[] = {'N', 0, 'L'};
    unsigned int n = table.Entry(inner, inner + 3, 0, 0, 0, nullptr);
    ASSERT_NE(n, 0u);
    EXPECT_EQ(table.GetLabelLength(n), 3);
    EXPECT_EQ(table.Find(inner, inner + 3, 0), n);
    EXPECT_EQ(table.Find("N", 0), 0u);  // another hash
    const char other[] = {'N', 0, 'M'};
    EXPECT_EQ(table.Find(other, other + 3, 0), 0u);
    EXPECT_EQ(table.Find("A", 0), a);
}

TEST_F(Symbols, UnlockReleasesRecordsAndClearStartsAgain) {
    int pass = 1;
    table.m_pPass = &pass;
    table.EntryPlaceholder();
    table.Entry("ONE", 0, 0, 1, nullptr);
    table.Entry("TWO", 0, 0, 2, nullptr);
    EXPECT_EQ(table.ClearTable(), 0);  // refused while locked
    table.InterUnlock();
    EXPECT_FALSE(table.HasWorkAreas());
    EXPECT_EQ(table.GetLastSymbol(), 2u);  // the count and the pool survive
    EXPECT_EQ(Pool(), std::string("\0ONE\0TWO\0", 9));
    EXPECT_EQ(table.Find("ONE", 0), 0u);

    table.Disable();
    EXPECT_EQ(table.ClearTable(), 1);
    EXPECT_EQ(table.GetPC(), 0u);
    EXPECT_EQ(table.GetLength(), (unsigned int)CSymbolTable::kInitialPool);
    EXPECT_EQ(table.m_pError, &errors);
    EXPECT_EQ(table.m_pPass, &pass);
    ASSERT_NE(table.InterLock(), nullptr);
    EXPECT_TRUE(table.HasWorkAreas());
    table.EntryPlaceholder();
    EXPECT_EQ(table.Entry("TWO", 0, 0, 2, nullptr), 1u);
    EXPECT_EQ(table.Find("TWO", 0), 1u);
    EXPECT_EQ(table.Find("ONE", 0), 0u);
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(Symbols, TableWithoutPoolReportsAndRefuses) {
    table.InterUnlock();
    table.Detach();
    EXPECT_EQ(table.m_pError, nullptr);  // Detach forgets the owner's settings
    table.m_pError = &errors;
    boxes.Clear();
    EXPECT_EQ(table.InterLock(), nullptr);
    ASSERT_GE(boxes.Count(), 1u);
    EXPECT_EQ(boxes.calls()[0].text, "ヒープ管理に失敗しました");
    EXPECT_EQ(table.Entry("A", 0, 0, 0, nullptr), 0u);
    EXPECT_EQ(Errors(), "t.src (\?\?\?) ヒープが不足しています（シンボルを管理しきれません）\r\n");
    EXPECT_EQ(errors.IsRewind(), 1);
    table.InterUnlock();
}

TEST(SymbolTable, SilentWithoutErrorListAndCopies) {
    kiln::test::BoxRecorder boxes;
    Table table;
    ASSERT_NE(table.InterLock(), nullptr);
    table.EntryPlaceholder();
    EXPECT_EQ(table.Entry("A", 0, 0, 0, nullptr), 1u);
    EXPECT_EQ(table.Entry("A", 0, 0, 0, nullptr), 0u);
    std::string longer(300, 'x');
    EXPECT_EQ(table.Entry(longer.c_str(), 0, 0, 0, nullptr), 0u);
    EXPECT_EQ(table.DecodeExUserDefined("none", 0), 0u);
    table.InterUnlock();
    EXPECT_EQ(boxes.Count(), 0u);

    int pass = 3;
    table.m_pPass = &pass;
    table.m_dwOwner = (DWORD_PTR)&table;
    Table copy(table);
    EXPECT_EQ(copy.GetID(), table.GetID());
    EXPECT_EQ(copy.GetPC(), table.GetPC());
    EXPECT_EQ(copy.GetLastSymbol(), 1u);
    EXPECT_EQ(copy.m_pPass, &pass);
    EXPECT_EQ(copy.m_dwOwner, (DWORD_PTR)&table);
    copy.DetachWithoutFree();
}

TEST(SymbolTable, RunTimeClasses) {
    const CRuntimeClass* symbol = RUNTIME_CLASS(CSymbol);
    EXPECT_STREQ(symbol->m_lpszClassName, "CSymbol");
    EXPECT_EQ(symbol->m_pfnCreateObject, nullptr);
    EXPECT_EQ(symbol->m_pBaseClass, RUNTIME_CLASS(CDecode));
    const CRuntimeClass* table = RUNTIME_CLASS(CSymbolTable);
    EXPECT_EQ(table->m_pBaseClass, RUNTIME_CLASS(CSymbol));
    CObject* made = table->CreateObject();
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(CSymbol)));
    EXPECT_EQ(static_cast<CSymbolTable*>(made)->GetLength(), (unsigned int)CSymbolTable::kInitialPool);
    delete made;
}

}  // namespace
