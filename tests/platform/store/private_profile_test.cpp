#include <kiln/platform/store/private_profile.h>

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <tuple>

#include "support/child_process.h"
#include "support/expect_error.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace {

using namespace std::string_literals;

class PrivateProfileTest : public ::testing::Test {
protected:
    std::string Get(const char* section, const char* key, const char* def = "", DWORD size = 256) {
        std::string buffer(size, '\x7F');
        DWORD n = GetPrivateProfileStringA(section, key, def, buffer.data(), size, ini.c_str());
        EXPECT_LT(n, size);
        return buffer.substr(0, n);
    }
    // A name list with its zeros, up to and including the final one.
    std::string List(const char* section, DWORD size = 256) {
        std::string buffer(size, '\x7F');
        DWORD n = GetPrivateProfileStringA(section, nullptr, "unused", buffer.data(), size, ini.c_str());
        return buffer.substr(0, n + 1);
    }
    BOOL Write(const char* section, const char* key, const char* value) {
        return WritePrivateProfileStringA(section, key, value, ini.c_str());
    }

    kiln::test::TempDir dir;
    kiln::test::ScopedEnv env{"KILN_REGISTRY_DIR", dir.host("settings").c_str()};
    std::string ini = dir.win("app.ini");
};

TEST_F(PrivateProfileTest, ReadsEntriesAsWindowsDoes) {
    // "ゾ" ends in the byte of "]"; "ア" and "ツ" differ in a byte that reads as "A" or "a".
    dir.Write("app.ini",
              "; settings\r\norphan=before any section\r\n[Main]\r\n  Name = Kiln Tool  \r\n"
              "Quoted=\"  spaced  \"\r\nSingle='x'\r\nHalf=\"open\r\nname=second one is ignored\r\n"
              ";Hidden=comment\r\na line without equals\r\nEmpty=\r\n\r\n[ Other ]\nk=lf only\n"
              "[main]\r\nLate=in a repeated section\r\n[ゾ]\r\nア=a\r\nツ=tsu");
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"MAIN", "name", "Kiln Tool"},
        {"Main", "Quoted", "  spaced  "},
        {"Main", "Single", "x"},
        {"Main", "Half", "\"open"},
        {"Main", "Empty", ""},
        {"Main", "Hidden", "default"},
        {"Main", "orphan", "default"},
        {"other", "K", "lf only"},
        {"ゾ", "ア", "a"},
        {"ゾ", "ツ", "tsu"},
        {"Main", "Late", "default"},  // only the first [main] counts
    };
    for (auto [section, key, value] : cases) EXPECT_EQ(value, Get(section, key, "default")) << key;

    EXPECT_EQ("Main\0Other\0ゾ\0\0"s, List(nullptr));
    EXPECT_EQ("Name\0Quoted\0Single\0Half\0Empty\0\0"s, List("main"));
    EXPECT_EQ("\0"s, List("nothing"));
    char names[64];
    EXPECT_EQ(14u, GetPrivateProfileSectionNamesA(names, sizeof names, ini.c_str()));
}

TEST_F(PrivateProfileTest, CutsResultsToTheBufferWithWindowsReturnValues) {
    dir.Write("app.ini", "[Section]\r\nkey=0123456789\r\nsecond=2\r\n[Two]\r\n");
    EXPECT_EQ("01234", Get("Section", "key", "", 6));  // nSize - 1 bytes and a zero
    EXPECT_EQ(ERROR_MORE_DATA, (LONG)GetLastError());
    EXPECT_EQ("0123456789", Get("Section", "key", "", 11));

    // Lists are cut to nSize - 2 bytes, then two zeros.
    EXPECT_EQ("key\0se\0"s, List("Section", 8));
    EXPECT_EQ("key\0second\0\0"s, List("Section", 12));
    EXPECT_EQ("Sec\0"s, List(nullptr, 5));
    char one[1] = {'x'};
    EXPECT_EQ(0u, GetPrivateProfileStringA(nullptr, nullptr, nullptr, one, 1, ini.c_str()));
    EXPECT_EQ('\0', one[0]);
    EXPECT_EQ(0u, GetPrivateProfileStringA("Section", "key", nullptr, one, 0, ini.c_str()));

    // Defaults lose their trailing blanks; a null default is empty.
    EXPECT_EQ("def", Get("Section", "none", "def   "));
    EXPECT_EQ("", Get("Section", "none", nullptr));
    EXPECT_EQ("de", Get("Section", "none", "default", 3));
    char buffer[16];
    EXPECT_LAST_ERROR(
        GetPrivateProfileStringA("a", "b", "xyz", buffer, sizeof buffer, dir.win("no.ini").c_str()), 3u,
        ERROR_FILE_NOT_FOUND);
    EXPECT_STREQ("xyz", buffer);
}

TEST_F(PrivateProfileTest, ReadsIntegers) {
    dir.Write("app.ini",
              "[n]\r\ndec=42\r\nneg=-5\r\nhex=0x1F\r\ntail=12abc\r\nword=abc\r\nempty=\r\nspaced= 7 \r\n");
    const std::pair<const char*, UINT> cases[] = {
        {"dec", 42}, {"neg", (UINT)-5}, {"hex", 31},   {"tail", 12},
        {"word", 0}, {"empty", 9},      {"spaced", 7}, {"missing", 9},
    };
    for (auto [key, value] : cases) EXPECT_EQ(value, GetPrivateProfileIntA("n", key, 9, ini.c_str())) << key;
    EXPECT_EQ((UINT)-1, GetPrivateProfileIntA("n", "missing", -1, ini.c_str()));
    EXPECT_EQ(3u, GetPrivateProfileIntA("n", "dec", 3, dir.win("none.ini").c_str()));
}

TEST_F(PrivateProfileTest, WritesLinesInPlaceAndKeepsTheRest) {
    ASSERT_TRUE(Write("Main", "Name", "Kiln"));
    EXPECT_EQ("[Main]\r\nName=Kiln\r\n", dir.Read("app.ini"));
    ASSERT_TRUE(Write("Second", "x", "1"));
    EXPECT_EQ("[Main]\r\nName=Kiln\r\n[Second]\r\nx=1\r\n", dir.Read("app.ini"));

    dir.Write("app.ini", "; keep me\r\n[Main]\r\n  name = old\r\nodd line\r\nother=2\r\n\r\n[Last]\r\nz=9");
    ASSERT_TRUE(Write("MAIN", "NAME", "new"));  // the line keeps the key's spelling
    ASSERT_TRUE(Write("main", "added", "3"));   // after the section's last line, before the blank one
    ASSERT_TRUE(Write("Last", "y", "8"));       // the file's last line gets its line end first
    EXPECT_EQ(
        "; keep me\r\n[Main]\r\nname=new\r\nodd line\r\nother=2\r\nadded=3\r\n\r\n[Last]\r\nz=9\r\ny=8\r\n",
        dir.Read("app.ini"));
    ASSERT_TRUE(Write("Main", "other", nullptr));
    ASSERT_TRUE(Write("Main", "nothing", nullptr));
    EXPECT_EQ("; keep me\r\n[Main]\r\nname=new\r\nodd line\r\nadded=3\r\n\r\n[Last]\r\nz=9\r\ny=8\r\n",
              dir.Read("app.ini"));
    ASSERT_TRUE(Write("main", nullptr, nullptr));  // the whole section, with its odd and blank lines
    EXPECT_EQ("; keep me\r\n[Last]\r\nz=9\r\ny=8\r\n", dir.Read("app.ini"));

    // A file written with LF line ends keeps them.
    dir.Write("app.ini", "[a]\nk=1\n");
    ASSERT_TRUE(Write("a", "l", "2"));
    ASSERT_TRUE(Write("b", "m", "3"));
    EXPECT_EQ("[a]\nk=1\nl=2\n[b]\nm=3\n", dir.Read("app.ini"));

    // Deleting from a file that does not exist makes no file; a null section is refused.
    std::string none = dir.win("none.ini");
    EXPECT_TRUE(WritePrivateProfileStringA("a", "k", nullptr, none.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("a", nullptr, nullptr, none.c_str()));
    EXPECT_FALSE(dir.Exists("none.ini"));
    EXPECT_LAST_ERROR(WritePrivateProfileStringA(nullptr, "k", "v", none.c_str()), FALSE,
                      ERROR_INVALID_PARAMETER);
}

TEST_F(PrivateProfileTest, ReplacesTheFileWholeAndLeavesNothingBehind) {
    dir.Write("app.ini", "[a]\r\nk=1\r\n");
    ASSERT_EQ(0, chmod(dir.host("app.ini").c_str(), 0640));
    ASSERT_TRUE(Write("a", "k", "2"));
    struct stat st;
    ASSERT_EQ(0, stat(dir.host("app.ini").c_str(), &st));
    EXPECT_EQ(0640u, st.st_mode & 07777);

    // Through a symbolic link the file it names is replaced and the link stays.
    kiln::test::TempDir real;
    real.Write("target.ini", "[a]\r\nk=1\r\n");
    ASSERT_EQ(0, symlink(real.host("target.ini").c_str(), dir.host("link.ini").c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("a", "k", "linked", dir.win("link.ini").c_str()));
    EXPECT_EQ("[a]\r\nk=linked\r\n", real.Read("target.ini"));
    ASSERT_EQ(0, lstat(dir.host("link.ini").c_str(), &st));
    EXPECT_TRUE(S_ISLNK(st.st_mode));

    EXPECT_LAST_ERROR(WritePrivateProfileStringA("a", "k", "v", dir.win("no\\such\\app.ini").c_str()), FALSE,
                      ERROR_PATH_NOT_FOUND);
    EXPECT_FALSE(WritePrivateProfileStringA("a", "k", "v", "Q:\\unmapped\\app.ini"));

    // In a folder the user may not write, the write fails and the file stays as it was.
    ASSERT_EQ(0, chmod(dir.host("app.ini").c_str(), 0644));
    ASSERT_EQ(0, chmod(dir.host().c_str(), 0555));
    std::string report = kiln::test::RunInChildForReport(
        [this] {
            if (Write("a", "k", "3")) return "write succeeded"s;
            if (GetLastError() != ERROR_ACCESS_DENIED) return "error " + std::to_string(GetLastError());
            return Get("a", "k") == "2" ? ""s : "read " + Get("a", "k");
        },
        true);
    EXPECT_EQ("", report);
    EXPECT_EQ("[a]\r\nk=2\r\n", dir.Read("app.ini"));
}

// A device or a FIFO named as the file gets the text written to it and stays what it is.
TEST_F(PrivateProfileTest, DevicesAndFifosAreWrittenToNotReplaced) {
    ASSERT_EQ(mkfifo(dir.host("fifo").c_str(), 0600), 0);
    int reader = open(dir.host("fifo").c_str(), O_RDONLY | O_NONBLOCK);
    EXPECT_TRUE(WritePrivateProfileStringA("App", "Key", "v", dir.win("fifo").c_str()));
    char got[32] = {};
    EXPECT_EQ(std::string(got, read(reader, got, sizeof got)), "[App]\r\nKey=v\r\n");
    close(reader);
    struct stat st;
    EXPECT_TRUE(stat(dir.host("fifo").c_str(), &st) == 0 && S_ISFIFO(st.st_mode));
    EXPECT_TRUE(WritePrivateProfileStringA("App", "Key", "v", "/dev/null"));
    char value[8];
    EXPECT_EQ(GetPrivateProfileStringA("App", "Key", "none", value, sizeof value, "/dev/zero"), 4u);
    EXPECT_TRUE(stat("/dev/null", &st) == 0 && S_ISCHR(st.st_mode));
}

TEST_F(PrivateProfileTest, AFileNameWithoutFolderLivesInTheSettingsFolder) {
    ASSERT_TRUE(WritePrivateProfileStringA("s", "k", "v", "bare.ini"));
    EXPECT_EQ("[s]\r\nk=v\r\n", dir.Read("settings/bare.ini"));
    EXPECT_EQ(7u, GetPrivateProfileIntA("s", "n", 7, "bare.ini"));
    char value[4];
    EXPECT_EQ(1u, GetPrivateProfileStringA("S", "K", "", value, sizeof value, "bare.ini"));
    EXPECT_STREQ("v", value);
    struct stat st;
    ASSERT_EQ(0, stat(dir.host("settings").c_str(), &st));
    EXPECT_EQ(0700u, st.st_mode & 0777);  // made for this user only
}

TEST_F(PrivateProfileTest, BinaryGarbageIsReadSafelyAndKeptByteForByte) {
    std::string garbage = "[head]\r\n";
    unsigned seed = 12345;
    for (int i = 0; i < 20000; ++i) garbage += (char)((seed = seed * 1103515245 + 12345) >> 16);
    garbage += "\r\n[tail\r\n=\r\n[]\r\n\x83";  // an unclosed section, an empty key, a lone lead byte
    dir.Write("app.ini", garbage);

    char buffer[4096];
    GetPrivateProfileStringA(nullptr, nullptr, "", buffer, sizeof buffer, ini.c_str());
    GetPrivateProfileStringA("tail", nullptr, "", buffer, sizeof buffer, ini.c_str());
    EXPECT_EQ("\0\0"s, std::string(buffer, 2));  // "[tail" holds one entry with an empty name
    EXPECT_EQ(0u, GetPrivateProfileStringA("tail", "", "", buffer, sizeof buffer, ini.c_str()));
    EXPECT_EQ(5u, GetPrivateProfileIntA("none", "k", 5, ini.c_str()));
    ASSERT_TRUE(Write("fresh", "k", "v"));
    EXPECT_EQ(garbage + "\r\n[fresh]\r\nk=v\r\n", dir.Read("app.ini"));
    EXPECT_EQ("v", Get("fresh", "k"));
}

}  // namespace
