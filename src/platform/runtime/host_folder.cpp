#include "platform/runtime/host_folder.h"

namespace kiln::detail {

std::string HostFolderOf(std::string_view path) {
    while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
    size_t slash = path.rfind('/');
    if (slash == std::string_view::npos) return ".";
    while (slash > 0 && path[slash - 1] == '/') --slash;  // "a//b" is in "a"
    return slash == 0 ? "/" : std::string(path.substr(0, slash));
}

}  // namespace kiln::detail
