#include <kiln/platform/store/registry.h>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "support/child_process.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace {

using namespace std::string_literals;
using Names = std::vector<std::string>;

// A key handle closed at the end of its scope.
struct Key {
    explicit Key(HKEY key) : h(key) {}
    Key(const Key&) = delete;
    ~Key() { RegCloseKey(h); }
    operator HKEY() const { return h; }
    HKEY h;
};

// The result of opening (or creating) a key, which is closed again; a failed call gives a null key.
LONG OpenResult(HKEY root, const char* path, REGSAM sam = KEY_READ) {
    HKEY key = (HKEY)&key;
    LONG rc = RegOpenKeyExA(root, path, 0, sam, &key);
    EXPECT_EQ(rc == ERROR_SUCCESS, key != nullptr) << path;
    RegCloseKey(key);
    return rc;
}
LONG CreateResult(HKEY root, const char* path, DWORD options = 0, REGSAM sam = KEY_ALL_ACCESS) {
    HKEY key = (HKEY)&key;
    LONG rc = RegCreateKeyExA(root, path, 0, nullptr, options, sam, nullptr, &key, nullptr);
    EXPECT_EQ(rc == ERROR_SUCCESS, key != nullptr) << path;
    RegCloseKey(key);
    return rc;
}
LONG SetSz(HKEY key, const char* name, const char* text) {
    return RegSetValueExA(key, name, 0, REG_SZ, (const BYTE*)text, (DWORD)strlen(text) + 1);
}
LONG SetDword(HKEY key, const char* name, DWORD v) {
    return RegSetValueExA(key, name, 0, REG_DWORD, (const BYTE*)&v, sizeof v);
}
// The value's bytes, or "<error N>".
std::string Get(HKEY key, const char* name, DWORD* type = nullptr) {
    DWORD size = 0;
    LONG rc = RegQueryValueExA(key, name, nullptr, type, nullptr, &size);
    std::string data(size, '\0');
    if (rc == ERROR_SUCCESS) rc = RegQueryValueExA(key, name, nullptr, type, (BYTE*)data.data(), &size);
    return rc == ERROR_SUCCESS ? data.substr(0, size) : "<error " + std::to_string(rc) + ">";
}
std::tuple<DWORD, std::string> Typed(HKEY key, const char* name) {
    DWORD type = 99;
    std::string data = Get(key, name, &type);
    return {type, data};
}
Names SubKeys(HKEY key) {
    Names names;
    char name[256];
    for (DWORD i = 0; RegEnumKeyA(key, i, name, sizeof name) == ERROR_SUCCESS; ++i) names.push_back(name);
    return names;
}
Names ValueNames(HKEY key) {
    Names names;
    char name[256];
    DWORD cch = sizeof name;
    for (DWORD i = 0; RegEnumValueA(key, i, name, &cch, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++i, cch = sizeof name)
        names.push_back(name);
    return names;
}

// Every test gets hives of its own in a fresh folder.
class RegistryTest : public ::testing::Test {
protected:
    static Key Create(HKEY root, const char* path, DWORD* disposition = nullptr) {
        HKEY key = nullptr;
        EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                                 KEY_ALL_ACCESS, nullptr, &key, disposition));
        return Key{key};
    }
    static Key Open(HKEY root, const char* path, REGSAM sam = KEY_READ) {
        HKEY key = nullptr;
        EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExA(root, path, 0, sam, &key)) << path;
        return Key{key};
    }
    // Closes the open hive databases (which folds their logs back into the files): the registry is
    // pointed at an empty folder for one call each, then back.
    void CloseHives() {
        kiln::test::TempDir elsewhere;
        kiln::test::ScopedEnv env("KILN_REGISTRY_DIR", elsewhere.host().c_str());
        EXPECT_EQ(ERROR_FILE_NOT_FOUND, OpenResult(HKEY_CURRENT_USER, "x"));
        EXPECT_EQ(ERROR_FILE_NOT_FOUND, OpenResult(HKEY_LOCAL_MACHINE, "x"));
    }

    kiln::test::TempDir dir;
    kiln::test::ScopedEnv env{"KILN_REGISTRY_DIR", dir.host().c_str()};
};

TEST_F(RegistryTest, CreatesAndOpensKeysAlongAPath) {
    DWORD disposition = 0;
    Create(HKEY_CURRENT_USER, "Software\\Kiln\\App\\Section", &disposition);
    EXPECT_EQ(REG_CREATED_NEW_KEY, disposition);
    Create(HKEY_CURRENT_USER, "software\\KILN\\app\\section\\", &disposition);
    EXPECT_EQ(REG_OPENED_EXISTING_KEY, disposition);

    // Every key on the way was made, and names keep the case they were created with.
    Key software = Open(HKEY_CURRENT_USER, "SOFTWARE");
    EXPECT_EQ(Names{"Kiln"}, SubKeys(software));
    EXPECT_EQ(Names{"Section"}, SubKeys(Open(software, "kiln\\APP")));

    EXPECT_EQ(ERROR_FILE_NOT_FOUND, OpenResult(software, "Kiln\\Other"));
    EXPECT_EQ(ERROR_BAD_PATHNAME, OpenResult(software, "\\Kiln"));
    EXPECT_EQ(ERROR_BAD_PATHNAME, CreateResult(software, "Kiln\\\\App"));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, CreateResult(software, std::string(256, 'k').c_str()));
    EXPECT_EQ(ERROR_NOT_SUPPORTED, CreateResult(software, "Volatile", REG_OPTION_VOLATILE));
    EXPECT_EQ(Names{"Kiln"}, SubKeys(software));  // the failed calls made nothing
}

TEST_F(RegistryTest, ValuesReportTheirSizeAndRefuseSmallBuffers) {
    Key key = Create(HKEY_CURRENT_USER, "Software\\Values");
    ASSERT_EQ(ERROR_SUCCESS, SetSz(key, "Name", "hello"));
    DWORD type = 0, size = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "name", nullptr, &type, nullptr, &size));
    EXPECT_EQ(std::tuple(REG_SZ, 6u), std::tuple(type, size));  // the terminating zero is part of the data
    char buffer[8] = "xxxxxxx";
    size = 3;
    type = 0;
    EXPECT_EQ(ERROR_MORE_DATA, RegQueryValueExA(key, "Name", nullptr, &type, (BYTE*)buffer, &size));
    EXPECT_EQ(std::tuple(REG_SZ, 6u), std::tuple(type, size));
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "Name", nullptr, nullptr, (BYTE*)buffer, &size));
    EXPECT_STREQ("hello", buffer);
    EXPECT_EQ(ERROR_INVALID_PARAMETER,
              RegQueryValueExA(key, "Name", nullptr, nullptr, (BYTE*)buffer, nullptr));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExA(key, "Nothing", nullptr, nullptr, nullptr, &size));

    const BYTE blob[] = {0, 1, 0, 0xFF, 0};
    ASSERT_EQ(ERROR_SUCCESS, SetDword(key, "Count", 0x12345678));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "Blob", 0, REG_BINARY, blob, sizeof blob));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "Empty", 0, REG_NONE, nullptr, 0));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, RegSetValueExA(key, "Bad", 0, REG_BINARY, nullptr, 4));
    EXPECT_EQ(std::tuple(REG_DWORD, "\x78\x56\x34\x12"s), Typed(key, "COUNT"));
    EXPECT_EQ(std::tuple(REG_BINARY, "\0\1\0\xFF\0"s), Typed(key, "Blob"));
    EXPECT_EQ(std::tuple(REG_NONE, ""s), Typed(key, "Empty"));

    // The unnamed value: a null and an empty name are the same.
    ASSERT_EQ(ERROR_SUCCESS, SetSz(key, nullptr, "default"));
    EXPECT_EQ("default\0"s, Get(key, ""));

    // Rewriting a value with another case changes its data and type, not its name.
    ASSERT_EQ(ERROR_SUCCESS, SetDword(key, "NAME", 7));
    EXPECT_EQ(std::tuple(REG_DWORD, "\7\0\0\0"s), Typed(key, "name"));
    EXPECT_EQ((Names{"Name", "Count", "Blob", "Empty", ""}), ValueNames(key));
}

TEST_F(RegistryTest, NamesFoldCaseButNeverSplitOrMergeDoubleByteCharacters) {
    // "ソフト" has a backslash as the second byte of its first character; "ア" and "ツ" differ only
    // in a second byte that reads as "A" and "a".
    Create(HKEY_CURRENT_USER, "ソフト\\Ｋｉｌｎ");
    EXPECT_EQ((Names{"Software", "ソフト"}), SubKeys(Open(HKEY_CURRENT_USER, nullptr)));
    EXPECT_EQ(ERROR_SUCCESS, OpenResult(HKEY_CURRENT_USER, "ソフト\\ｋｉｌｎ"));
    EXPECT_EQ(ERROR_SUCCESS, OpenResult(HKEY_CURRENT_USER, "ソフト\\ＫＩＬＮ"));

    Key key = Create(HKEY_CURRENT_USER, "Letters");
    const std::tuple<const char*, const char*, const char*> values[] = {
        {"ア", "a", "ア"}, {"ツ", "tsu", "ツ"}, {"Ωмega", "greek", "ωМEGA"}};
    for (auto [name, text, other] : values) ASSERT_EQ(ERROR_SUCCESS, SetSz(key, name, text));
    for (auto [name, text, other] : values) EXPECT_EQ(text + "\0"s, Get(key, other));
    EXPECT_EQ((Names{"ア", "ツ", "Ωмega"}), ValueNames(key));
}

TEST_F(RegistryTest, EnumerationOrderAndBufferSizes) {
    Key key = Create(HKEY_CURRENT_USER, "Software\\Enum");
    for (const char* name : {"beta", "Alpha", "_under", "Zulu", "gamma"}) Create(key, name);
    // Subkeys come in the order of their upper-cased names, as on Windows ("_" sorts after "Z").
    EXPECT_EQ((Names{"Alpha", "beta", "gamma", "Zulu", "_under"}), SubKeys(key));

    char name[6];
    EXPECT_EQ(ERROR_MORE_DATA, RegEnumKeyA(key, 2, name, 5));  // "gamma" needs 6 with its zero
    DWORD cch = sizeof name;
    FILETIME written{};
    ASSERT_EQ(ERROR_SUCCESS, RegEnumKeyExA(key, 2, name, &cch, nullptr, nullptr, nullptr, &written));
    EXPECT_STREQ("gamma", name);
    EXPECT_EQ(5u, cch);
    EXPECT_NE(0u, written.dwHighDateTime);
    EXPECT_EQ(ERROR_NO_MORE_ITEMS, RegEnumKeyA(key, 5, name, sizeof name));

    // Values come in the order they were made; a rewritten value keeps its place, a deleted and
    // remade one goes last.
    const std::pair<const char*, const char*> texts[] = {
        {"one", "1"}, {"two", "22"}, {"three", "333"}, {"ONE", "1111"}};
    for (auto [value, text] : texts) SetSz(key, value, text);
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteValueA(key, "Two"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteValueA(key, "two"));
    SetSz(key, "two", "2");
    EXPECT_EQ((Names{"one", "three", "two"}), ValueNames(key));

    BYTE data[4];
    DWORD cb = sizeof data, type = 0;
    cch = sizeof name;
    EXPECT_EQ(ERROR_MORE_DATA, RegEnumValueA(key, 0, name, &cch, nullptr, &type, data, &cb));
    EXPECT_STREQ("one", name);  // the name is given even when the data does not fit
    EXPECT_EQ(5u, cb);
    cch = 3;
    EXPECT_EQ(ERROR_MORE_DATA, RegEnumValueA(key, 1, name, &cch, nullptr, nullptr, nullptr, nullptr));
    cch = sizeof name;
    cb = sizeof data;
    ASSERT_EQ(ERROR_SUCCESS, RegEnumValueA(key, 2, name, &cch, nullptr, &type, data, &cb));
    EXPECT_EQ(std::tuple(3u, 2u, REG_SZ), std::tuple(cch, cb, type));
    cch = sizeof name;
    EXPECT_EQ(ERROR_NO_MORE_ITEMS, RegEnumValueA(key, 3, name, &cch, nullptr, nullptr, nullptr, nullptr));

    DWORD subkeys = 0, maxSubkey = 0, values = 0, maxName = 0, maxData = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, &maxSubkey, nullptr,
                                              &values, &maxName, &maxData, nullptr, nullptr));
    EXPECT_EQ(std::tuple(5u, 6u, 3u, 5u, 5u), std::tuple(subkeys, maxSubkey, values, maxName, maxData));
}

TEST_F(RegistryTest, DeletingKeys) {
    Key app = Create(HKEY_CURRENT_USER, "Software\\Co\\App");
    SetSz(app, "v", "x");
    {
        Key section = Create(app, "Section");
        SetDword(section, "n", 1);

        // A key with subkeys stays, as on Windows, and so does the hive's root.
        EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Co\\App"));
        EXPECT_EQ("x\0"s, Get(app, "v"));
        EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteKeyA(app, "Nothing"));
        EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteKeyA(HKEY_CURRENT_USER, ""));

        ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyA(app, "SECTION"));
        // The open handle now names a deleted key, also after a key of that name is made again.
        EXPECT_EQ(ERROR_KEY_DELETED, SetDword(section, "n", 2));
        EXPECT_EQ("<error 1018>", Get(section, "n"));
        EXPECT_EQ("<error 2>", Get(Create(app, "Section"), "n"));  // the values went with the key
        EXPECT_EQ(ERROR_KEY_DELETED, RegQueryInfoKeyA(section, nullptr, nullptr, nullptr, nullptr, nullptr,
                                                      nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
    }
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyA(app, "Section"));
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyA(app, ""));  // the handle's own key
    EXPECT_EQ(ERROR_KEY_DELETED, SetDword(app, "n", 2));
    EXPECT_TRUE(SubKeys(Open(HKEY_CURRENT_USER, "Software\\Co")).empty());
}

TEST_F(RegistryTest, HandlesKeepTheirAccessAndDieWhenClosed) {
    Create(HKEY_CURRENT_USER, "Software\\Access");
    HKEY reader = nullptr, sub = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Access", 0, KEY_READ, &reader));
    EXPECT_EQ(ERROR_ACCESS_DENIED, SetSz(reader, "v", "x"));
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteValueA(reader, "v"));
    EXPECT_EQ(ERROR_ACCESS_DENIED,
              RegCreateKeyExA(reader, "Sub", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr));
    EXPECT_EQ("<error 2>", Get(reader, "v"));

    Key writer = Open(HKEY_CURRENT_USER, "Software\\Access", KEY_SET_VALUE);
    EXPECT_EQ(ERROR_SUCCESS, SetSz(writer, "v", "x"));
    EXPECT_EQ("<error 5>", Get(writer, "v"));
    EXPECT_EQ("x\0"s, Get(reader, "v"));  // another handle sees the write at once

    // RegOpenKeyA with no subkey gives back the handle itself; the predefined keys never close.
    HKEY same = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyA(reader, "", &same));
    EXPECT_EQ(reader, same);
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(HKEY_CURRENT_USER));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(reader));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(reader));
    EXPECT_EQ(ERROR_INVALID_HANDLE, SetSz(reader, "v", "y"));
    int notAKey = 0;
    EXPECT_EQ("<error 6>", Get((HKEY)&notAKey, "v"));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegEnumKeyA(nullptr, 0, nullptr, 0));
}

TEST_F(RegistryTest, HivesAreSeparateFilesMadeByTheFirstWrite) {
    // A missing hive reads as one that holds only "Software", and reading it makes nothing.
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, OpenResult(HKEY_LOCAL_MACHINE, "Software\\Machine"));
    EXPECT_EQ(Names{"Software"}, SubKeys(HKEY_CURRENT_USER));
    EXPECT_FALSE(dir.Exists("user.db") || dir.Exists("machine.db"));

    SetSz(Create(HKEY_LOCAL_MACHINE, "Software\\Machine"), "where", "machine");
    EXPECT_TRUE(dir.Exists("machine.db"));
    EXPECT_FALSE(dir.Exists("user.db"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, OpenResult(HKEY_CURRENT_USER, "Software\\Machine"));

    // Another process sees what this one wrote, and this one what the other wrote.
    std::string report = kiln::test::RunInChildForReport([] {
        std::string got = Get(Open(HKEY_LOCAL_MACHINE, "Software\\Machine"), "where");
        if (got != "machine\0"s) return "read " + got;
        LONG rc = SetDword(Create(HKEY_CURRENT_USER, "Software\\FromChild"), "pid", 42);
        return rc == ERROR_SUCCESS ? ""s : "write failed " + std::to_string(rc);
    });
    EXPECT_EQ("", report);
    EXPECT_EQ("\x2A\0\0\0"s, Get(Open(HKEY_CURRENT_USER, "Software\\FromChild"), "pid"));

    EXPECT_EQ(dir.host("user.db"), kiln::RegistryHivePath(HKEY_CURRENT_USER));
    kiln::test::ScopedEnv home("HOME", nullptr);
    kiln::test::ScopedEnv config("XDG_CONFIG_HOME", "/srv/conf");
    kiln::test::ScopedEnv registry("KILN_REGISTRY_DIR", nullptr);
    EXPECT_EQ("/srv/conf/kiln/user.db", kiln::RegistryHivePath(HKEY_CURRENT_USER));
    EXPECT_EQ("/etc/kiln/machine.db", kiln::RegistryHivePath(HKEY_LOCAL_MACHINE));
    setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
    setenv("HOME", "/home/someone", 1);
    EXPECT_EQ("/home/someone/.config/kiln/user.db", kiln::RegistryHivePath(HKEY_CURRENT_USER));
    EXPECT_EQ("", kiln::RegistryHivePath((HKEY)(ULONG_PTR)0x1234));
    setenv("KILN_REGISTRY_DIR", "/x/y", 1);
    EXPECT_EQ("/x/y/machine.db", kiln::RegistryHivePath(HKEY_LOCAL_MACHINE));
}

// A damaged user hive gives ERROR_BADDB to every call and stays as it is; the other hive is not
// disturbed.
TEST_F(RegistryTest, DamagedHiveFilesGiveBadDbAndStayAsTheyAre) {
    SetSz(Create(HKEY_LOCAL_MACHINE, "Software\\Safe"), "v", "kept");
    const std::function<void(std::string&)> damages[] = {
        [](std::string& bytes) { bytes = "this is not a database\n" + std::string(5000, '\x5A'); },
        [](std::string& bytes) { bytes.replace(68, 4, "ABCD"); },  // another program's application id
        [](std::string& bytes) {                                   // one damaged page
            for (size_t i = 4096; i < 8192; ++i) bytes[i] = (char)(i * 7);
        },
    };
    for (size_t n = 0; n < std::size(damages); ++n) {
        SCOPED_TRACE(n);
        CloseHives();
        std::filesystem::remove(dir.host("user.db"));
        {
            Key key = Create(HKEY_CURRENT_USER, "Software\\Big");
            for (int i = 0; i < 40; ++i) SetSz(key, std::to_string(i).c_str(), std::string(600, 'q').c_str());
        }
        CloseHives();
        ASSERT_FALSE(dir.Exists("user.db-wal"));
        std::string bytes = dir.Read("user.db");
        ASSERT_GT(bytes.size(), 8192u);
        damages[n](bytes);
        dir.Write("user.db", bytes);

        char name[8];
        EXPECT_EQ(ERROR_BADDB, OpenResult(HKEY_CURRENT_USER, "Software\\Big"));
        EXPECT_EQ(ERROR_BADDB, CreateResult(HKEY_CURRENT_USER, "Software"));
        EXPECT_EQ(ERROR_BADDB, SetSz(HKEY_CURRENT_USER, "v", "x"));
        EXPECT_EQ(ERROR_BADDB, RegEnumKeyA(HKEY_CURRENT_USER, 0, name, sizeof name));
        EXPECT_EQ(bytes, dir.Read("user.db"));
        EXPECT_EQ("kept\0"s, Get(Open(HKEY_LOCAL_MACHINE, "Software\\Safe"), "v"));
    }
}

TEST_F(RegistryTest, HivesInFoldersTheUserMayNotWrite) {
    SetDword(Create(HKEY_LOCAL_MACHINE, "Software\\Shared"), "n", 5);
    CloseHives();  // a reader must cope without the log files
    std::string before = dir.Read("machine.db");
    ASSERT_EQ(0, chmod(dir.host("machine.db").c_str(), 0444));
    ASSERT_EQ(0, chmod(dir.host().c_str(), 0555));

    std::string report = kiln::test::RunInChildForReport(
        [] {
            HKEY k = nullptr, w = nullptr;
            // In order: the hive reads, but the most access it allows is reading; no user hive exists
            // in the folder and none can be made there.
            const std::tuple<const char*, LONG, LONG> calls[] = {
                {"open", RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Shared", 0, KEY_READ, &k), 0},
                {"read", Get(k, "n") == "\5\0\0\0"s ? 0 : -1, 0},
                {"close", RegCloseKey(k), 0},
                {"open for writing", RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Shared", 0, KEY_WRITE, &w),
                 ERROR_ACCESS_DENIED},
                {"create", CreateResult(HKEY_LOCAL_MACHINE, "Software\\New", 0, KEY_READ),
                 ERROR_ACCESS_DENIED},
                {"set", SetDword(HKEY_LOCAL_MACHINE, "n", 1), ERROR_ACCESS_DENIED},
                {"delete", RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Shared"), ERROR_ACCESS_DENIED},
                {"RegOpenKeyA", RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\Shared", &k), 0},
                {"set through it", SetDword(k, "n", 1), ERROR_ACCESS_DENIED},
                {"close it", RegCloseKey(k), 0},
                {"user open", RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\App", 0, KEY_READ, &k),
                 ERROR_FILE_NOT_FOUND},
                {"user create", CreateResult(HKEY_CURRENT_USER, "Software"), ERROR_ACCESS_DENIED},
            };
            std::string problems;
            for (auto [what, got, wanted] : calls)
                if (got != wanted) problems += std::string(what) + " gave " + std::to_string(got) + "; ";
            return problems;
        },
        true);
    EXPECT_EQ("", report);
    EXPECT_EQ(before, dir.Read("machine.db"));
    EXPECT_FALSE(dir.Exists("user.db"));

    // A registry folder that cannot be made gives an error, not a crash.
    ASSERT_EQ(0, chmod(dir.host().c_str(), 0755));
    dir.Write("file", "x");
    kiln::test::ScopedEnv notAFolder("KILN_REGISTRY_DIR", dir.host("file").c_str());
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, OpenResult(HKEY_CURRENT_USER, "Software\\App"));
    LONG rc = SetDword(HKEY_CURRENT_USER, "n", 1);
    EXPECT_TRUE(rc == ERROR_CANTOPEN || rc == ERROR_ACCESS_DENIED) << rc;
}

}  // namespace
