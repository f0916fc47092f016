#include <kiln/util/create_folder.h>

#include <kiln/platform/runtime/system.h>
#include <kiln/util/file_io.h>
#include <kiln/util/path_string.h>

int CreateDirectoryStair(const char* path, SECURITY_ATTRIBUTES* sa) {
    CString parent;
    if (strRemoveOneDir(path, parent) && parent.Find('\\') >= 0 && !stdFileExist(parent)) {
        if (!CreateDirectoryStair(parent, sa)) return 0;
    }
    return CreateDirectoryA(path, sa);
}
