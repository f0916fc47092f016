#include <kiln/platform/ui/shell_folder.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <kiln/platform/files/path_map.h>
#include <kiln/platform/ui/controls.h>

#include "support/dialog_script.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace {

constexpr int kTree = 0x3741, kEdit = 0x3744;

std::string PathOf(LPCITEMIDLIST item) {
    char path[MAX_PATH] = "?";
    return SHGetPathFromIDListA(item, path) ? path : "";
}

// The special folder's path, or "-" when it cannot be had.
std::string Special(int csidl) {
    LPITEMIDLIST item = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &item))) return item == nullptr ? "-" : "leaked";
    std::string path = PathOf(item);
    IMalloc* allocator = nullptr;
    EXPECT_EQ(SHGetMalloc(&allocator), S_OK);
    allocator->Free(item);
    return path;
}

TEST(SpecialFolderTest, FollowsTheXdgUserAndBaseDirectories) {
    kiln::test::TempDir dir;
    kiln::test::ScopedEnv home("HOME", dir.host().c_str());
    kiln::test::ScopedEnv config("XDG_CONFIG_HOME", dir.host("conf").c_str());
    kiln::test::ScopedEnv data("XDG_DATA_HOME", dir.host("data").c_str());
    kiln::test::ScopedEnv cache("XDG_CACHE_HOME", nullptr);
    for (const char* name : {"conf", "data", "Desktop", "Bilder", "abs", "pub"})
        std::filesystem::create_directory(dir.host(name));
    dir.Write("conf/user-dirs.dirs",
              "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n"
              "XDG_MUSIC_DIR=\"" +
                  dir.host("abs") +
                  "\"\n"
                  "XDG_PUBLICSHARE_DIR=\"$HOME/pub\"\n"
                  "XDG_VIDEOS_DIR=relative/unquoted\n");
    struct Case {
        int csidl;
        std::string path;  // "-": fails
    };
    const std::string root = kiln::ToWindowsPath("/");
    const Case cases[] = {{CSIDL_DESKTOP, root},
                          {CSIDL_DESKTOPDIRECTORY, dir.win("Desktop")},
                          {CSIDL_MYPICTURES, dir.win("Bilder")},
                          {CSIDL_MYMUSIC, dir.win("abs")},
                          {CSIDL_COMMON_DOCUMENTS, dir.win("pub")},
                          {CSIDL_MYVIDEO, dir.win()},   // a line of another form: the home folder
                          {CSIDL_PERSONAL, dir.win()},  // not named: the home folder
                          {CSIDL_APPDATA, dir.win("conf")},
                          {CSIDL_LOCAL_APPDATA, dir.win("data")},
                          {CSIDL_INTERNET_CACHE, "-"},  // ~/.cache does not exist
                          {CSIDL_INTERNET_CACHE | CSIDL_FLAG_CREATE, dir.win(".cache")},
                          {0x7F, "-"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.csidl);
        EXPECT_EQ(Special(c.csidl), c.path);
    }
}

int CALLBACK Record(HWND, UINT message, LPARAM lParam, LPARAM data) {
    auto& calls = *(std::vector<std::string>*)data;
    if (message == BFFM_INITIALIZED) calls.push_back("init");
    if (message == BFFM_SELCHANGED) calls.push_back("sel " + PathOf((LPCITEMIDLIST)lParam));
    if (message == BFFM_VALIDATEFAILEDA) {
        calls.push_back(std::string("failed ") + (const char*)lParam);
        return calls.size() == 5;  // keeps the dialog open the first time only
    }
    return 0;
}

TEST(BrowseForFolderTest, CallbackMessagesInOrderAndValidation) {
    kiln::test::TempDir dir;
    std::filesystem::create_directories(dir.host("a/b"));
    const std::string root = dir.win() + "\\";
    LPITEMIDLIST rootItem = (LPITEMIDLIST)root.c_str();  // an item list is its path
    std::vector<std::string> calls;
    char name[MAX_PATH] = "";
    BROWSEINFOA info{nullptr, rootItem, name, "title", BIF_VALIDATE, Record, (LPARAM)&calls, 0};
    kiln::test::DialogScript script;
    script.OnWait([&](HWND d) {
        kiln::test::Pick(d, kTree, 0);  // "a\"
        // Above the root is refused.
        SendMessageA(d, BFFM_SETSELECTIONA, TRUE, (LPARAM)dir.host("..").c_str());
        kiln::test::Pick(d, kTree, 1);  // "b\" below "..\"
        SetDlgItemTextA(d, kEdit, "nope");
        PostMessageA(GetDlgItem(d, IDOK), BM_CLICK, 0, 0);
    });
    script.OnWait([&](HWND d) { PostMessageA(GetDlgItem(d, IDOK), BM_CLICK, 0, 0); });
    EXPECT_EQ(SHBrowseForFolderA(&info), nullptr);
    EXPECT_EQ(calls, (std::vector<std::string>{"init", "sel " + dir.win(), "sel " + dir.win("a"),
                                               "sel " + dir.win("a\\b"), "failed nope", "failed nope"}));

    calls.clear();
    info.ulFlags = 0;
    script.OnWait([&](HWND d) {
        SetDlgItemTextA(d, kEdit, "nope");  // not checked without BIF_VALIDATE: the selection is taken
        PostMessageA(GetDlgItem(d, IDOK), BM_CLICK, 0, 0);
    });
    LPITEMIDLIST chosen = SHBrowseForFolderA(&info);
    EXPECT_EQ(PathOf(chosen), dir.win());
    EXPECT_EQ(std::string(name), dir.win().substr(dir.win().rfind('\\') + 1));
    CoTaskMemFree(chosen);
}

}  // namespace
