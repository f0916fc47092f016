#include <kiln/settings/win_registry.h>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "support/child_process.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace {

// Opens the protected parts for the tests.
class TestRegistry : public CWinRegistry {
public:
    using CWinRegistry::CWinRegistry;
    using CWinRegistry::GetSectionKey2;
    // "key\profile param": where the object reads and writes.
    std::string Where() const {
        return std::string(m_strRegistryKey) + "\\" + m_strProfileName.GetString() + " " +
               std::to_string(m_nParam);
    }
};

// The raw value under hive\Software\Company\App\<section> and its type, or "<missing>".
std::string Raw(HKEY hive, const char* section, const char* entry, DWORD* type = nullptr) {
    HKEY key = nullptr;
    const std::string path = std::string("Software\\Company\\App\\") + section;
    if (RegOpenKeyExA(hive, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return "<missing>";
    char data[1024];
    DWORD size = sizeof data;
    const LONG rc = RegQueryValueExA(key, entry, nullptr, type, (BYTE*)data, &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS ? std::string(data, size) : "<missing>";
}

bool KeyExists(HKEY hive, const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(hive, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// A binary value as text, and its size; "<none>" when the read fails (with null data and size 0).
std::string Binary(CWinRegistry& reg, const char* section, const char* entry, int user = 1) {
    BYTE* data = (BYTE*)1;
    UINT size = 99;
    if (!reg.GetProfileBinary(section, entry, &data, &size, user))
        return data == nullptr && size == 0 ? "<none>" : "<failed, but data or size set>";
    std::string bytes((const char*)data, size);
    delete[] data;
    return bytes;
}

class WinRegistry : public ::testing::Test {
protected:
    void SetUp() override {
        reg.OpenUnderSoftwere("Company");
        reg.Construct("App");
    }

    kiln::test::TempDir dir;
    kiln::test::ScopedEnv store{"KILN_REGISTRY_DIR", dir.host().c_str()};
    TestRegistry reg;
};

TEST_F(WinRegistry, IniModeUsesTheFileWhateverTheSelector) {
    TestRegistry ini(7, dir.win("app.ini").c_str());
    BYTE bytes[] = {0x12, 0xAF};
    EXPECT_TRUE(ini.WriteProfileInt("Sec", "n", -42, 1) && ini.WriteProfileString("Sec", "s", "text", 0) &&
                ini.WriteProfileBinary("Sec", "b", bytes, sizeof bytes, 1));
    EXPECT_EQ("[Sec]\r\nn=-42\r\ns=text\r\nb=CBPK\r\n", dir.Read("app.ini"));
    EXPECT_EQ(-42, (int)ini.GetProfileInt("Sec", "n", 5, 0));
    EXPECT_EQ(5u, ini.GetProfileInt("Sec", "none", 5, 1));
    EXPECT_EQ(ini.GetProfileString("Sec", "s", "def", 1), "text");
    EXPECT_EQ(ini.GetProfileString("Sec", "none", "def", 0), "def");
    EXPECT_EQ(ini.GetProfileString("Sec", "none", nullptr, 0), "");
    EXPECT_EQ("\x12\xAF", Binary(ini, "Sec", "b", 0));
    EXPECT_FALSE(dir.Exists("user.db") || dir.Exists("machine.db"));  // the registry was never touched
    EXPECT_TRUE(ini.Unregister());
    EXPECT_TRUE(ini.WriteProfileString("Sec", "s", nullptr, 1) &&
                ini.WriteProfileString("Other", "x", "1", 0) &&
                ini.WriteProfileString("Sec", nullptr, nullptr, 1));
    EXPECT_EQ("[Other]\r\nx=1\r\n", dir.Read("app.ini"));

    // Two letters a byte: an unpaired last letter is dropped, letters past "P" keep the low eight bits.
    dir.Write("app.ini", "[b]\r\nodd=CBP\r\none=A\r\nempty=\r\nlow=pp\r\n");
    EXPECT_EQ("\x12", Binary(ini, "b", "odd"));
    EXPECT_EQ("", Binary(ini, "b", "one"));
    EXPECT_EQ(std::string(1, (char)(('p' - 'A') * 17)), Binary(ini, "b", "low"));
    EXPECT_EQ("<none>", Binary(ini, "b", "empty"));
    EXPECT_EQ("<none>", Binary(ini, "b", "missing"));
}

TEST_F(WinRegistry, RegistryModeStoresTypedValuesUnderSoftware) {
    BYTE bytes[] = {0, 1, 2};
    EXPECT_TRUE(reg.WriteProfileInt("Sec", "n", 0x01020304, 1));
    EXPECT_TRUE(reg.WriteProfileString("Sec", "s", "text", 1));
    EXPECT_TRUE(reg.WriteProfileBinary("Sec", "b", bytes, 3, 1));
    DWORD type = 0;
    EXPECT_EQ(std::string("\4\3\2\1", 4), Raw(HKEY_CURRENT_USER, "Sec", "n", &type));
    EXPECT_EQ(REG_DWORD, type);
    EXPECT_EQ(std::string("text\0", 5), Raw(HKEY_CURRENT_USER, "Sec", "s", &type));
    EXPECT_EQ(REG_SZ, type);
    EXPECT_EQ(std::string("\0\1\2", 3), Raw(HKEY_CURRENT_USER, "Sec", "b", &type));
    EXPECT_EQ(REG_BINARY, type);
    EXPECT_EQ("<missing>", Raw(HKEY_LOCAL_MACHINE, "Sec", "n"));  // writes never go elsewhere

    EXPECT_EQ(0x01020304u, reg.GetProfileInt("Sec", "n", 0, 1));
    EXPECT_EQ(reg.GetProfileString("Sec", "s", nullptr, 1), "text");
    // Strings come from any type's data, up to its first zero.
    EXPECT_EQ(reg.GetProfileString("Sec", "n", nullptr, 1), "\4\3\2\1");
    EXPECT_EQ(reg.GetProfileString("Sec", "b", "def", 1), "");
    EXPECT_EQ(std::string("\0\1\2", 3), Binary(reg, "Sec", "b"));

    // Copies write to the same place; the integer travels with them.
    TestRegistry copy(reg), assigned(3, "other");
    assigned = copy;
    EXPECT_EQ(assigned.Where(), "Company\\App 0");
    copy.Construct2(9);
    EXPECT_EQ(TestRegistry(copy).Where(), "Company\\App 9");
    EXPECT_TRUE(assigned.WriteProfileInt("Sec", "n", 7, 1));
    EXPECT_EQ(7u, reg.GetProfileInt("Sec", "n", 0, 1));
}

TEST_F(WinRegistry, ReadsFallBackToTheMachineHiveWritesNever) {
    BYTE bytes[] = {9, 8};
    EXPECT_TRUE(reg.WriteProfileInt("Sec", "n", 11, 0) && reg.WriteProfileString("Sec", "s", "machine", 0) &&
                reg.WriteProfileBinary("Sec", "b", bytes, sizeof bytes, 0));
    EXPECT_EQ(11u, reg.GetProfileInt("Sec", "n", 0, 1));
    EXPECT_EQ(reg.GetProfileString("Sec", "s", "def", 1), "machine");
    EXPECT_EQ("\x09\x08", Binary(reg, "Sec", "b"));

    // A per-user value hides the machine's; the machine selector never sees per-user values.
    EXPECT_TRUE(reg.WriteProfileInt("Sec", "n", 22, 1) && reg.WriteProfileInt("Sec", "userOnly", 33, 1));
    EXPECT_EQ(22u, reg.GetProfileInt("Sec", "n", 0, 1));
    EXPECT_EQ(11u, reg.GetProfileInt("Sec", "n", 0, 0));
    EXPECT_EQ(5u, reg.GetProfileInt("Sec", "userOnly", 5, 0));
    EXPECT_EQ(std::string("\x0B\0\0\0", 4), Raw(HKEY_LOCAL_MACHINE, "Sec", "n"));

    // A machine hive the user may not write: its values still read, writes to it give 0.
    ASSERT_EQ(0, chmod(dir.host().c_str(), 0555));
    ASSERT_EQ(0, chmod(dir.host("machine.db").c_str(), 0444));
    CWinRegistry r = reg;
    auto asUser = [r]() mutable {
        std::string problems;
        if (r.GetProfileInt("Sec", "n", 0, 0) != 11) problems += "machine value unread; ";
        if (r.GetProfileString("Sec", "s", "def", 1) != CString("machine")) problems += "no fallback; ";
        if (r.WriteProfileInt("Sec", "n", 1, 0)) problems += "machine hive written; ";
        if (r.WriteProfileString("Sec", nullptr, nullptr, 0)) problems += "machine section deleted; ";
        return problems;
    };
    EXPECT_EQ("", kiln::test::RunInChildForReport(asUser, true));
}

TEST_F(WinRegistry, DeletingEntriesSectionsAndTheApplication) {
    EXPECT_FALSE(reg.WriteProfileString("Sec", nullptr, nullptr, 1));  // no application key yet
    EXPECT_TRUE(reg.WriteProfileString("Sec", "a", "1", 1) && reg.WriteProfileString("Sec", "b", "2", 1) &&
                reg.WriteProfileString("Keep", "c", "3", 1));
    EXPECT_TRUE(reg.WriteProfileString("Sec", "a", nullptr, 1));
    EXPECT_EQ("<missing>", Raw(HKEY_CURRENT_USER, "Sec", "a"));
    EXPECT_EQ(std::string("2\0", 2), Raw(HKEY_CURRENT_USER, "Sec", "b"));
    EXPECT_FALSE(reg.WriteProfileString("Sec", "a", nullptr, 1));  // already gone
    EXPECT_TRUE(reg.WriteProfileString("Sec", nullptr, "ignored", 1));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Company\\App\\Sec"));
    EXPECT_EQ(std::string("3\0", 2), Raw(HKEY_CURRENT_USER, "Keep", "c"));
    EXPECT_EQ(reg.GetProfileString("Sec", "b", "def", 1), "def");

    // Unregister removes the company's key too once no other application's key is left below it.
    TestRegistry other;
    other.OpenUnderSoftwere("Company");
    other.Construct("Other");
    for (int user = 0; user <= 1; ++user)
        EXPECT_TRUE(reg.WriteProfileInt("Second", "n", 1, user) && other.WriteProfileInt("S", "n", 2, user));
    HKEY deeper = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Company\\App\\Keep\\Er\\Est", 0,
                                             nullptr, 0, KEY_ALL_ACCESS, nullptr, &deeper, nullptr));
    RegCloseKey(deeper);
    EXPECT_TRUE(reg.Unregister());
    for (HKEY hive : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        EXPECT_FALSE(KeyExists(hive, "Software\\Company\\App"));
        EXPECT_TRUE(KeyExists(hive, "Software\\Company\\Other"));
    }
    EXPECT_EQ(2u, other.GetProfileInt("S", "n", 0, 1));
    EXPECT_TRUE(other.Unregister());
    for (HKEY h : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) EXPECT_FALSE(KeyExists(h, "Software\\Company"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software"));
    EXPECT_TRUE(other.Unregister());  // nothing left to do is no failure
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, reg.DelRegTree(HKEY_CURRENT_USER, "Software\\Nothing"));
}

TEST_F(WinRegistry, EnumValueStrReturnsWholeValues) {
    // "exact" fills the first buffer, with no zero in it; a number reads as its bytes up to the first zero.
    const std::string longText(1000, 'L'), exact(256, 'E');
    EXPECT_TRUE(reg.WriteProfileString("Sec", "short", "s", 1) &&
                reg.WriteProfileString("Sec", "long", longText.c_str(), 1) &&
                reg.WriteProfileBinary("Sec", "exact", (BYTE*)exact.data(), 256, 1) &&
                reg.WriteProfileInt("Sec", "number", 0x00004241, 1));
    HKEY key = reg.GetSectionKey2("Sec", 1, 0);
    ASSERT_NE(nullptr, key);
    const std::pair<std::string, std::string> values[] = {
        {"short", "s"}, {"long", longText}, {"exact", exact}, {"number", "AB"}};
    CString name, value;
    for (DWORD i = 0; i < 4; ++i) {
        ASSERT_TRUE(reg.EnumValueStr(key, i, name, value));
        EXPECT_EQ(name, values[i].first.c_str());
        EXPECT_EQ(value, values[i].second.c_str());
    }
    EXPECT_FALSE(reg.EnumValueStr(key, 4, name, value));
    RegCloseKey(key);
    EXPECT_FALSE(reg.EnumValueStr(key, 0, name, value));  // a closed key
    EXPECT_EQ(nullptr, reg.GetSectionKey2("Missing", 1, 0));
}

}  // namespace
