#include <kiln/util/create_folder.h>

#include <kiln/platform/runtime/last_error.h>
#include <kiln/platform/runtime/system.h>
#include <kiln/util/file_io.h>
#include <kiln/util/path_string.h>

#include <climits>
#include <cstring>
#include <vector>

// Walks up from path to the first folder that exists, then makes the missing ones from the top down.
// Each parent is a prefix of path, so only its length is kept; a loop, so any depth costs no stack.
int CreateDirectoryStair(const char* path, SECURITY_ATTRIBUTES* sa) {
    // Longer than any path the system takes: fail at once rather than walk up thousands of levels.
    if (std::strlen(path) >= PATH_MAX) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return 0;
    }
    std::vector<int> missing;
    CString dir(path);
    CString parent;
    while (strRemoveOneDir(dir, parent) && parent.Find('\\') >= 0 && !stdFileExist(parent)) {
        missing.push_back(parent.GetLength());
        dir = parent;
    }
    for (auto length = missing.rbegin(); length != missing.rend(); ++length)
        if (!CreateDirectoryA(CString(path, *length), sa)) return 0;
    return CreateDirectoryA(path, sa);
}
