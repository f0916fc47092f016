#include <kiln/platform/runtime/resources.h>

#include <cstring>
#include <tuple>

#include <gtest/gtest.h>

#include <kiln/platform/text/cstring.h>

#include "support/expect_error.h"

namespace {

// The chain is process-wide: these tests use ids of their own.
const kiln::StringResource kModule[] = {{61001, "module one"}, {61002, "module two"}, {61002, "shadowed"}};
const kiln::StringResource kApp[] = {{61002, "app two"}, {61003, "漢字AB"}, {61004, "%d-%s"}};

TEST(StringResources, LaterTablesFirstLoadStringCutsBetweenCharactersAndCStringLoads) {
    kiln::AddStringTable(kModule, std::size(kModule));
    kiln::AddStringTable(kApp, std::size(kApp));
    EXPECT_STREQ(kiln::FindStringResource(61002), "app two");
    EXPECT_STREQ(kiln::FindStringResource(61001), "module one");
    EXPECT_EQ(kiln::FindStringResource(61099), nullptr);
    static const kiln::StringResource later[] = {{61001, "extension"}};
    kiln::AddStringTable(later, 1);
    kiln::AddStringTable(nullptr, 5);  // nothing to add
    EXPECT_STREQ(kiln::FindStringResource(61001), "extension");
    EXPECT_STREQ(kiln::FindStringResource(61002), "app two");

    // Room for 3 bytes holds one double-byte character.
    char buffer[16];
    const std::tuple<int, int, const char*> cases[] = {
        {16, 6, "漢字AB"}, {4, 2, "漢"}, {5, 4, "漢字"}, {1, 0, ""}};
    for (auto [size, length, text] : cases) {
        std::memset(buffer, 'x', sizeof buffer);
        EXPECT_EQ(LoadStringA(nullptr, 61003, buffer, size), length);
        EXPECT_STREQ(buffer, text);
    }
    std::strcpy(buffer, "old");
    EXPECT_LAST_ERROR(LoadStringA(nullptr, 61099, buffer, sizeof buffer), 0, ERROR_RESOURCE_NAME_NOT_FOUND);
    EXPECT_STREQ(buffer, "");
    EXPECT_LAST_ERROR(LoadStringA(nullptr, 61001, nullptr, 10), 0, ERROR_INVALID_PARAMETER);

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

TEST(ResourceModules, LookupsSearchTheLastAddedModuleFirst) {
    static const char first[] = "first", second[] = "second!";
    static const kiln::ResourceEntry older[] = {{RT_DIALOG, "SHARED", first, sizeof first},
                                                {RT_DIALOG, MAKEINTRESOURCE(62001), first, sizeof first}};
    static const kiln::ResourceEntry newer[] = {{RT_DIALOG, "Shared", second, sizeof second}};
    HINSTANCE olderModule = kiln::AddResourceModule(older, std::size(older));
    HINSTANCE newerModule = kiln::AddResourceModule(newer, std::size(newer));

    HRSRC found = FindResourceA(nullptr, "shared", RT_DIALOG);
    ASSERT_NE(found, nullptr) << "names ignore case";
    EXPECT_STREQ((const char*)LockResource(LoadResource(nullptr, found)), "second!");
    EXPECT_EQ(SizeofResource(nullptr, found), sizeof second);
    EXPECT_EQ(AfxFindResourceHandle("SHARED", RT_DIALOG), newerModule);
    HRSRC own = FindResourceA(olderModule, "SHARED", RT_DIALOG);
    EXPECT_STREQ((const char*)LockResource(LoadResource(olderModule, own)), "first") << "a module's own";
    EXPECT_EQ(FindResourceA(AfxGetResourceHandle(), "#62001", RT_DIALOG),
              FindResourceA(nullptr, MAKEINTRESOURCE(62001), RT_DIALOG))
        << "\"#62001\" names resource 62001";
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCE(62001), RT_DIALOG), olderModule);
    EXPECT_EQ(AfxFindResourceHandle("NONE", RT_DIALOG), AfxGetResourceHandle());
    EXPECT_LAST_ERROR(FindResourceA(newerModule, MAKEINTRESOURCE(62001), RT_DIALOG), nullptr,
                      ERROR_RESOURCE_NAME_NOT_FOUND);
    EXPECT_LAST_ERROR(FindResourceA(nullptr, "SHARED", RT_MENU), nullptr, ERROR_RESOURCE_NAME_NOT_FOUND);
}

}  // namespace
