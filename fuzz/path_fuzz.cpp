// Path mapping of Windows paths and the path helpers. The input holds a path (up to a NUL) and,
// after it, a drive table for KILN_DRIVES. Every path maps or is refused; the full path of a path
// is its own full path.
#include <kiln/platform/files/path_map.h>
#include <kiln/util/path_string.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    kiln::fuzz::QuietBoxes();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    size_t nul = input.find('\0');
    std::string path = input.substr(0, nul);
    std::string drives = nul == std::string::npos ? "C=/srv/c;D=/mnt/d" : input.substr(nul + 1);
    drives = drives.substr(0, drives.find('\0'));
    setenv("KILN_DRIVES", drives.c_str(), 1);

    std::string host;
    if (kiln::ToHostPath(path.c_str(), host)) kiln::ToWindowsPath(host);
    std::string full = kiln::FullWindowsPath(path.c_str());
    KILN_FUZZ_CHECK(kiln::FullWindowsPath(full.c_str()) == full);
    kiln::ToWindowsPath(path);

    CString parent;
    strRemoveOneDir(path.c_str(), parent);
    str2PathIndex(path.c_str());
    str2DriveName(path.c_str());
    str2FileTitle(path.c_str());
    strAddFileTitleLast(path.c_str(), "_1");
    strGetRelativePathFrom(full.c_str(), "Z:\\tmp\\a");
    IsRootedPath(path.c_str());
    return 0;
}
