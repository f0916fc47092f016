#include "platform/files/file_util.h"

#include <kiln/platform/text/mbcs.h>

namespace kiln::detail {

DWORD FileAttributes(const struct stat& st, bool writable, std::string_view name) {
    DWORD attributes = S_ISDIR(st.st_mode)   ? FILE_ATTRIBUTE_DIRECTORY
                       : S_ISREG(st.st_mode) ? FILE_ATTRIBUTE_ARCHIVE
                                             : FILE_ATTRIBUTE_SYSTEM;
    if (!writable) attributes |= FILE_ATTRIBUTE_READONLY;
    if (!name.empty() && name[0] == '.' && name != "." && name != "..") attributes |= FILE_ATTRIBUTE_HIDDEN;
    return attributes;
}

size_t FileNameOffset(std::string_view path) {
    size_t offset = 0;
    for (size_t i = 0, step; i < path.size(); i += step) {
        step = CharLength(path.data() + i, path.data() + path.size());
        if (step == 1 && (path[i] == '\\' || path[i] == '/' || path[i] == ':')) offset = i + 1;
    }
    return offset;
}

std::string_view FileTitle(std::string_view name) {
    // A period is never the trail byte of a double-byte character.
    size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? name : name.substr(0, dot);
}

}  // namespace kiln::detail
