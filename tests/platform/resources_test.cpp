#include <kiln/platform/resources.h>

#include <cstring>

#include <gtest/gtest.h>

#include <kiln/platform/cstring.h>
#include <kiln/platform/last_error.h>

namespace {

// The chain is process-wide: these tests use ids of their own.
const kiln::StringResource kModule[] = {{61001, "module one"}, {61002, "module two"}, {61002, "shadowed"}};
const kiln::StringResource kApp[] = {{61002, "app two"}, {61003, "漢字AB"}, {61004, "%d-%s"}};

class StringResources : public testing::Test {
protected:
    static void SetUpTestSuite() {
        kiln::AddStringTable(kModule, std::size(kModule));
        kiln::AddStringTable(kApp, std::size(kApp));
    }
};

TEST_F(StringResources, TablesAddedLaterAreSearchedFirst) {
    EXPECT_STREQ(kiln::FindStringResource(61002), "app two");
    EXPECT_STREQ(kiln::FindStringResource(61001), "module one");
    EXPECT_EQ(kiln::FindStringResource(61099), nullptr);

    static const kiln::StringResource later[] = {{61001, "extension"}};
    kiln::AddStringTable(later, 1);
    EXPECT_STREQ(kiln::FindStringResource(61001), "extension");
    kiln::AddStringTable(nullptr, 5);  // nothing to add
    EXPECT_STREQ(kiln::FindStringResource(61002), "app two");
}

TEST_F(StringResources, LoadStringACutsBetweenCharacters) {
    char buffer[16];
    EXPECT_EQ(LoadStringA(nullptr, 61003, buffer, sizeof buffer), 6);
    EXPECT_STREQ(buffer, "漢字AB");

    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(LoadStringA(nullptr, 61003, buffer, 4), 2) << "room for 3 bytes holds one double-byte character";
    EXPECT_STREQ(buffer, "漢");
    EXPECT_EQ(LoadStringA(nullptr, 61003, buffer, 5), 4);
    EXPECT_STREQ(buffer, "漢字");
    EXPECT_EQ(LoadStringA(nullptr, 61003, buffer, 1), 0);
    EXPECT_STREQ(buffer, "");

    std::strcpy(buffer, "old");
    SetLastError(0);
    EXPECT_EQ(LoadStringA(nullptr, 61099, buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_RESOURCE_NAME_NOT_FOUND);
    EXPECT_EQ(LoadStringA(nullptr, 61001, nullptr, 10), 0);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_PARAMETER);
}

TEST_F(StringResources, CStringLoadsAndFormatsFromIds) {
    CString s("unchanged");
    EXPECT_FALSE(s.LoadString(61099));
    EXPECT_EQ(s, "unchanged");
    EXPECT_TRUE(s.LoadString(61002));
    EXPECT_EQ(s, "app two");

    s.Format(61004, 42, "x");
    EXPECT_EQ(s, "42-x");
    s.Format(61099, 1);
    EXPECT_EQ(s, "") << "a missing format gives an empty string";
}

}  // namespace
