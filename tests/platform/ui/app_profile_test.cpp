#include <gtest/gtest.h>

#include <memory>
#include <string>

#include <kiln/kiln.h>

#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace {

using kiln::test::ScopedEnv;
using kiln::test::TempDir;

class AppProfile : public ::testing::Test {
protected:
    TempDir m_dir;
    ScopedEnv m_registry{"KILN_REGISTRY_DIR", m_dir.host().c_str()};
    CWinApp m_app{"Kiln Test"};
};

// The same calls give the same values in both places; only where they are kept differs.
void RoundTrip(CWinApp& app) {
    EXPECT_TRUE(app.WriteProfileInt("Numbers", "Count", -7));
    EXPECT_EQ((int)app.GetProfileInt("Numbers", "Count", 0), -7);
    EXPECT_EQ(app.GetProfileInt("Numbers", "Missing", 42), 42u);
    EXPECT_TRUE(app.WriteProfileString("Texts", "Name", "値"));
    EXPECT_STREQ(app.GetProfileString("Texts", "Name"), "値");
    EXPECT_STREQ(app.GetProfileString("Texts", "Missing", "def"), "def");
    BYTE bytes[] = {0x12, 0xAF, 0x00};
    EXPECT_TRUE(app.WriteProfileBinary("Blobs", "Data", bytes, sizeof bytes));
    LPBYTE data = nullptr;
    UINT size = 0;
    ASSERT_TRUE(app.GetProfileBinary("Blobs", "Data", &data, &size));
    std::unique_ptr<BYTE[]> owned(data);
    EXPECT_EQ(std::string((char*)data, size), std::string((char*)bytes, sizeof bytes));
    EXPECT_FALSE(app.GetProfileBinary("Blobs", "Missing", &data, &size));
    EXPECT_EQ(data, nullptr);
    // A null value deletes the entry, a null entry the section.
    EXPECT_TRUE(app.WriteProfileString("Texts", "Name", nullptr));
    EXPECT_STREQ(app.GetProfileString("Texts", "Name", "gone"), "gone");
    app.WriteProfileString("Numbers", nullptr, nullptr);
    EXPECT_EQ(app.GetProfileInt("Numbers", "Count", 5), 5u);
}

TEST_F(AppProfile, RegistryKeyPutsSettingsInTheUserStore) {
    m_app.SetRegistryKey("Company");
    EXPECT_STREQ(m_app.m_pszProfileName, "Kiln Test");
    RoundTrip(m_app);
    m_app.WriteProfileString("Texts", "Kept", "yes");
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Company\\Kiln Test\\Texts", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    char value[8] = {};
    DWORD size = sizeof value, type = 0;
    EXPECT_EQ(RegQueryValueExA(key, "Kept", nullptr, &type, (LPBYTE)value, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, (DWORD)REG_SZ);
    EXPECT_EQ(size, 4u);  // with the terminating zero
    RegCloseKey(key);
    EXPECT_FALSE(m_dir.Exists("kiln_platform_tests.ini"));
}

TEST_F(AppProfile, WithoutRegistryKeySettingsGoToThePrivateProfile) {
    const std::string ini = m_dir.host("app.ini");
    std::free(const_cast<char*>(m_app.m_pszProfileName));
    m_app.m_pszProfileName = strdup(ini.c_str());
    RoundTrip(m_app);
    m_app.WriteProfileInt("Numbers", "Count", 12);
    BYTE bytes[] = {0x12, 0xAF};
    m_app.WriteProfileBinary("Blobs", "Data", bytes, 2);
    const std::string text = m_dir.Read("app.ini");
    EXPECT_NE(text.find("Count=12"), std::string::npos) << text;
    EXPECT_NE(text.find("Data=CBPK"), std::string::npos) << text;
}

TEST_F(AppProfile, RecentFilesAreKeptNewestFirstAndWrittenBack) {
    m_app.SetRegistryKey("Company");
    m_app.LoadStdProfileSettings(2);
    m_app.AddToRecentFileList("Z:\\data\\a.txt");
    m_app.AddToRecentFileList("Z:\\data\\b.txt");
    m_app.AddToRecentFileList("z:\\DATA\\A.TXT");  // the same file: moves up, not listed twice
    m_app.AddToRecentFileList("Z:\\data\\c.txt");  // the oldest drops out
    m_app.SaveStdProfileSettings();
    EXPECT_STREQ(m_app.GetProfileString("Recent File List", "File1"), "Z:\\data\\c.txt");
    EXPECT_STREQ(m_app.GetProfileString("Recent File List", "File2"), "Z:\\DATA\\A.TXT");
    EXPECT_STREQ(m_app.GetProfileString("Recent File List", "File3", "none"), "none");

    CWinApp next("Kiln Test");
    next.SetRegistryKey("Company");
    next.LoadStdProfileSettings(4);
    EXPECT_STREQ((*next.m_pRecentFileList)[1], "Z:\\DATA\\A.TXT");
    EXPECT_TRUE((*next.m_pRecentFileList)[2].IsEmpty());
}

}  // namespace
