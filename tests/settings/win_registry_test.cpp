#include <kiln/settings/win_registry.h>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "support/child_process.h"
#include "support/temp_dir.h"

namespace {

// Opens the protected parts for the tests.
class TestRegistry : public CWinRegistry {
public:
    using CWinRegistry::CWinRegistry;
    using CWinRegistry::GetSectionKey2;
    int Param() const { return m_nParam; }
    CString Key() const { return m_strRegistryKey; }
    CString Profile() const { return m_strProfileName; }
};

class WinRegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("KILN_REGISTRY_DIR", dir.host().c_str(), 1);
        reg.OpenUnderSoftwere("Company");
        reg.Construct("App");
    }

    // The raw value under hive\Software\Company\App\<section>, or "<missing>".
    static std::string Raw(HKEY hive, const char* section, const char* entry, DWORD* type = nullptr) {
        std::string path = std::string("Software\\Company\\App\\") + section;
        HKEY key = nullptr;
        if (RegOpenKeyExA(hive, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return "<missing>";
        char data[1024];
        DWORD size = sizeof data;
        LONG rc = RegQueryValueExA(key, entry, nullptr, type, (BYTE*)data, &size);
        RegCloseKey(key);
        return rc == ERROR_SUCCESS ? std::string(data, size) : "<missing>";
    }
    static bool KeyExists(HKEY hive, const char* path) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(hive, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
        RegCloseKey(key);
        return true;
    }

    kiln::test::TempDir dir;
    TestRegistry reg;
};

TEST_F(WinRegistryTest, IniModeUsesTheFileWhateverTheSelector) {
    TestRegistry ini(7, dir.win("app.ini").c_str());
    EXPECT_TRUE(ini.WriteProfileInt("Sec", "n", -42, 1));
    EXPECT_TRUE(ini.WriteProfileString("Sec", "s", "text", 0));
    BYTE bytes[] = {0x12, 0xAF};
    EXPECT_TRUE(ini.WriteProfileBinary("Sec", "b", bytes, sizeof bytes, 1));
    EXPECT_EQ("[Sec]\r\nn=-42\r\ns=text\r\nb=CBPK\r\n", dir.Read("app.ini"));

    EXPECT_EQ(-42, (int)ini.GetProfileInt("Sec", "n", 5, 0));
    EXPECT_EQ(5u, ini.GetProfileInt("Sec", "none", 5, 1));
    EXPECT_EQ(CString("text"), ini.GetProfileString("Sec", "s", "def", 1));
    EXPECT_EQ(CString("def"), ini.GetProfileString("Sec", "none", "def", 0));
    EXPECT_EQ(CString(""), ini.GetProfileString("Sec", "none", nullptr, 0));
    BYTE* data = (BYTE*)1;
    UINT size = 99;
    ASSERT_TRUE(ini.GetProfileBinary("Sec", "b", &data, &size, 0));
    ASSERT_EQ(2u, size);
    EXPECT_EQ(0x12, data[0]);
    EXPECT_EQ(0xAF, data[1]);
    delete[] data;
    EXPECT_FALSE(dir.Exists("user.db"));  // the registry was never touched
    EXPECT_FALSE(dir.Exists("machine.db"));
    EXPECT_TRUE(ini.Unregister());

    EXPECT_TRUE(ini.WriteProfileString("Sec", "s", nullptr, 1));
    EXPECT_TRUE(ini.WriteProfileString("Other", "x", "1", 1));
    EXPECT_TRUE(ini.WriteProfileString("Sec", nullptr, nullptr, 1));
    EXPECT_EQ("[Other]\r\nx=1\r\n", dir.Read("app.ini"));
}

TEST_F(WinRegistryTest, IniBinaryTextOfOddLengthOrEmpty) {
    dir.Write("app.ini", "[b]\r\nodd=CBP\r\none=A\r\nempty=\r\nlow=pp\r\n");
    TestRegistry ini(0, dir.win("app.ini").c_str());
    BYTE* data = nullptr;
    UINT size = 0;
    ASSERT_TRUE(ini.GetProfileBinary("b", "odd", &data, &size, 1));  // the unpaired letter is dropped
    ASSERT_EQ(1u, size);
    EXPECT_EQ(0x12, data[0]);
    delete[] data;
    ASSERT_TRUE(ini.GetProfileBinary("b", "one", &data, &size, 1));
    EXPECT_EQ(0u, size);
    delete[] data;
    // Letters past "P" give values past 15; the byte keeps the low eight bits.
    ASSERT_TRUE(ini.GetProfileBinary("b", "low", &data, &size, 1));
    ASSERT_EQ(1u, size);
    EXPECT_EQ((BYTE)(('p' - 'A') * 16 + ('p' - 'A')), data[0]);
    delete[] data;
    EXPECT_FALSE(ini.GetProfileBinary("b", "empty", &data, &size, 1));
    EXPECT_EQ(nullptr, data);
    EXPECT_EQ(0u, size);
    EXPECT_FALSE(ini.GetProfileBinary("b", "missing", &data, &size, 1));
    EXPECT_EQ(nullptr, data);
}

TEST_F(WinRegistryTest, RegistryModeStoresTypedValuesUnderSoftware) {
    EXPECT_TRUE(reg.WriteProfileInt("Sec", "n", 0x01020304, 1));
    EXPECT_TRUE(reg.WriteProfileString("Sec", "s", "text", 1));
    BYTE bytes[] = {0, 1, 2};
    EXPECT_TRUE(reg.WriteProfileBinary("Sec", "b", bytes, sizeof bytes, 1));

    DWORD type = 0;
    EXPECT_EQ(std::string("\4\3\2\1", 4), Raw(HKEY_CURRENT_USER, "Sec", "n", &type));
    EXPECT_EQ(REG_DWORD, type);
    EXPECT_EQ(std::string("text\0", 5), Raw(HKEY_CURRENT_USER, "Sec", "s", &type));
    EXPECT_EQ(REG_SZ, type);
    EXPECT_EQ(std::string("\0\1\2", 3), Raw(HKEY_CURRENT_USER, "Sec", "b", &type));
    EXPECT_EQ(REG_BINARY, type);
    EXPECT_EQ("<missing>", Raw(HKEY_LOCAL_MACHINE, "Sec", "n"));  // writes never go elsewhere

    EXPECT_EQ(0x01020304u, reg.GetProfileInt("Sec", "n", 0, 1));
    EXPECT_EQ(CString("text"), reg.GetProfileString("Sec", "s", nullptr, 1));
    // Strings come from any type's data, up to its first zero byte.
    EXPECT_EQ(CString("\4\3\2\1"), reg.GetProfileString("Sec", "n", nullptr, 1));
    EXPECT_EQ(CString(""), reg.GetProfileString("Sec", "b", "def", 1));
    BYTE* data = nullptr;
    UINT size = 0;
    ASSERT_TRUE(reg.GetProfileBinary("Sec", "b", &data, &size, 1));
    EXPECT_EQ(3u, size);
    EXPECT_EQ(0, memcmp(data, bytes, 3));
    delete[] data;

    // Copies write to the same place; the integer travels with them.
    TestRegistry copy(reg);
    TestRegistry assigned(3, "other");
    assigned = copy;
    EXPECT_EQ(CString("Company"), assigned.Key());
    EXPECT_EQ(CString("App"), assigned.Profile());
    EXPECT_EQ(0, assigned.Param());
    copy.Construct2(9);
    TestRegistry second(copy);
    EXPECT_EQ(9, second.Param());
    EXPECT_TRUE(assigned.WriteProfileInt("Sec", "n", 7, 1));
    EXPECT_EQ(7u, reg.GetProfileInt("Sec", "n", 0, 1));
}

TEST_F(WinRegistryTest, ReadsFallBackToTheMachineHiveWritesNever) {
    EXPECT_TRUE(reg.WriteProfileInt("Sec", "n", 11, 0));
    EXPECT_TRUE(reg.WriteProfileString("Sec", "s", "machine", 0));
    BYTE bytes[] = {9, 8};
    EXPECT_TRUE(reg.WriteProfileBinary("Sec", "b", bytes, sizeof bytes, 0));
    EXPECT_EQ(11u, reg.GetProfileInt("Sec", "n", 0, 1));
    EXPECT_EQ(CString("machine"), reg.GetProfileString("Sec", "s", "def", 1));
    BYTE* data = nullptr;
    UINT size = 0;
    ASSERT_TRUE(reg.GetProfileBinary("Sec", "b", &data, &size, 1));
    EXPECT_EQ(2u, size);
    delete[] data;

    // A per-user value hides the machine's; the machine selector never sees per-user values.
    EXPECT_TRUE(reg.WriteProfileInt("Sec", "n", 22, 1));
    EXPECT_TRUE(reg.WriteProfileInt("Sec", "userOnly", 33, 1));
    EXPECT_EQ(22u, reg.GetProfileInt("Sec", "n", 0, 1));
    EXPECT_EQ(11u, reg.GetProfileInt("Sec", "n", 0, 0));
    EXPECT_EQ(5u, reg.GetProfileInt("Sec", "userOnly", 5, 0));
    EXPECT_EQ(std::string("\x0B\0\0\0", 4), Raw(HKEY_LOCAL_MACHINE, "Sec", "n"));

    // A machine hive the user may not write: its values still read, writes to it give 0.
    ASSERT_EQ(0, chmod(dir.host().c_str(), 0555));
    ASSERT_EQ(0, chmod(dir.host("machine.db").c_str(), 0444));
    CWinRegistry r = reg;
    std::string report = kiln::test::RunInChildForReport(
        [r]() mutable {
            std::string problems;
            if (r.GetProfileInt("Sec", "n", 0, 0) != 11) problems += "machine value unread; ";
            if (r.GetProfileString("Sec", "s", "def", 1) != CString("machine")) problems += "no fallback; ";
            if (r.WriteProfileInt("Sec", "n", 1, 0)) problems += "machine hive written; ";
            if (r.WriteProfileString("Sec", nullptr, nullptr, 0)) problems += "machine section deleted; ";
            return problems;
        },
        true);
    EXPECT_EQ("", report);
    ASSERT_EQ(0, chmod(dir.host().c_str(), 0755));
}

TEST_F(WinRegistryTest, DeletingEntriesAndSections) {
    EXPECT_FALSE(reg.WriteProfileString("Sec", nullptr, nullptr, 1));  // no application key yet
    EXPECT_TRUE(reg.WriteProfileString("Sec", "a", "1", 1));
    EXPECT_TRUE(reg.WriteProfileString("Sec", "b", "2", 1));
    EXPECT_TRUE(reg.WriteProfileString("Keep", "c", "3", 1));
    EXPECT_TRUE(reg.WriteProfileString("Sec", "a", nullptr, 1));
    EXPECT_EQ("<missing>", Raw(HKEY_CURRENT_USER, "Sec", "a"));
    EXPECT_EQ(std::string("2\0", 2), Raw(HKEY_CURRENT_USER, "Sec", "b"));
    EXPECT_FALSE(reg.WriteProfileString("Sec", "a", nullptr, 1));  // already gone

    EXPECT_TRUE(reg.WriteProfileString("Sec", nullptr, "ignored", 1));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Company\\App\\Sec"));
    EXPECT_EQ(std::string("3\0", 2), Raw(HKEY_CURRENT_USER, "Keep", "c"));
    EXPECT_EQ(CString("def"), reg.GetProfileString("Sec", "b", "def", 1));
}

TEST_F(WinRegistryTest, UnregisterRemovesTheCompanyKeyOnlyWhenItIsEmpty) {
    TestRegistry other;
    other.OpenUnderSoftwere("Company");
    other.Construct("Other");
    for (int user = 0; user <= 1; ++user) {
        EXPECT_TRUE(reg.WriteProfileInt("Deep", "n", 1, user));
        EXPECT_TRUE(reg.WriteProfileInt("Second", "n", 1, user));
        EXPECT_TRUE(other.WriteProfileInt("Sec", "n", 2, user));
    }
    HKEY deeper = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Company\\App\\Deep\\Er\\Est", 0,
                                             nullptr, 0, KEY_ALL_ACCESS, nullptr, &deeper, nullptr));
    RegCloseKey(deeper);

    EXPECT_TRUE(reg.Unregister());
    for (HKEY hive : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        EXPECT_FALSE(KeyExists(hive, "Software\\Company\\App"));
        EXPECT_TRUE(KeyExists(hive, "Software\\Company\\Other"));
    }
    EXPECT_EQ(2u, other.GetProfileInt("Sec", "n", 0, 1));

    EXPECT_TRUE(other.Unregister());
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Company"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Company"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software"));
    EXPECT_TRUE(other.Unregister());  // nothing left to do is no failure

    EXPECT_EQ(ERROR_FILE_NOT_FOUND, reg.DelRegTree(HKEY_CURRENT_USER, "Software\\Nothing"));
}

TEST_F(WinRegistryTest, EnumValueStrReturnsWholeValues) {
    std::string longText(1000, 'L');
    std::string exact(256, 'E');  // fills the first buffer, with no zero in it
    EXPECT_TRUE(reg.WriteProfileString("Sec", "short", "s", 1));
    EXPECT_TRUE(reg.WriteProfileString("Sec", "long", longText.c_str(), 1));
    EXPECT_TRUE(reg.WriteProfileBinary("Sec", "exact", (BYTE*)exact.data(), 256, 1));
    EXPECT_TRUE(reg.WriteProfileInt("Sec", "number", 0x00004241, 1));

    HKEY key = reg.GetSectionKey2("Sec", 1, 0);
    ASSERT_NE(nullptr, key);
    CString name, value;
    ASSERT_TRUE(reg.EnumValueStr(key, 0, name, value));
    EXPECT_EQ(CString("short"), name);
    EXPECT_EQ(CString("s"), value);
    ASSERT_TRUE(reg.EnumValueStr(key, 1, name, value));
    EXPECT_EQ(CString("long"), name);
    EXPECT_EQ(CString(longText.c_str()), value);
    ASSERT_TRUE(reg.EnumValueStr(key, 2, name, value));
    EXPECT_EQ(CString("exact"), name);
    EXPECT_EQ(256, value.GetLength());
    ASSERT_TRUE(reg.EnumValueStr(key, 3, name, value));
    EXPECT_EQ(CString("AB"), value);  // raw bytes up to the first zero
    EXPECT_FALSE(reg.EnumValueStr(key, 4, name, value));
    RegCloseKey(key);
    EXPECT_FALSE(reg.EnumValueStr(key, 0, name, value));  // a closed key
    EXPECT_EQ(nullptr, reg.GetSectionKey2("Missing", 1, 0));
}

}  // namespace
