// The registry store given a damaged database file. The input is the hive's file: its key tree is
// walked (a few levels, a few entries each), every value read, then a key is made, a value set and
// read back, and a tree deleted. SQLite finds the damage; the store must turn it into error codes.
#include <kiln/platform/store/registry.h>
#include <kiln/settings/win_registry.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "fuzz_support.h"

namespace {

void Walk(HKEY key, int depth) {
    char name[300];
    BYTE value[300];
    for (DWORD i = 0; i < 16; ++i) {
        DWORD cch = sizeof name, type = 0, size = sizeof value;
        if (RegEnumValueA(key, i, name, &cch, nullptr, &type, value, &size) == ERROR_NO_MORE_ITEMS) break;
        size = sizeof value;
        RegQueryValueExA(key, name, nullptr, &type, value, &size);
    }
    if (depth == 4) return;
    for (DWORD i = 0; i < 16; ++i) {
        if (RegEnumKeyA(key, i, name, sizeof name) != ERROR_SUCCESS) break;
        HKEY sub = nullptr;
        if (RegOpenKeyExA(key, name, 0, KEY_READ, &sub) != ERROR_SUCCESS) continue;
        Walk(sub, depth + 1);
        RegCloseKey(sub);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    kiln::fuzz::QuietBoxes();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Two folders in turn: the store follows the environment, so each run opens its file afresh.
    static int run = 0;
    std::string dir = kiln::fuzz::ScratchDir() + (++run % 2 ? "/a" : "/b");
    mkdir(dir.c_str(), 0700);
    for (const char* extra : {"-journal", "-wal", "-shm"}) unlink((dir + "/user.db" + extra).c_str());
    kiln::fuzz::WriteWhole(dir + "/user.db", data, size);
    setenv("KILN_REGISTRY_DIR", dir.c_str(), 1);

    Walk(HKEY_CURRENT_USER, 0);
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Fuzz\\Key", 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_READ | KEY_WRITE, nullptr, &key, nullptr) == ERROR_SUCCESS) {
        const BYTE written[] = "value";
        if (RegSetValueExA(key, "name", 0, REG_SZ, written, sizeof written) == ERROR_SUCCESS) {
            BYTE back[16] = {};
            DWORD type = 0, length = sizeof back;
            KILN_FUZZ_CHECK(RegQueryValueExA(key, "name", nullptr, &type, back, &length) == ERROR_SUCCESS);
            KILN_FUZZ_CHECK(type == REG_SZ && length == sizeof written &&
                            std::memcmp(back, written, length) == 0);
        }
        RegCloseKey(key);
    }
    CWinRegistry registry;
    registry.DelRegTree(HKEY_CURRENT_USER, "Software");
    return 0;
}
