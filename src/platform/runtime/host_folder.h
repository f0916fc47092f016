// The folder of a host path, the one rule for every piece that needs it.
#pragma once

#include <string>
#include <string_view>

namespace kiln::detail {

// The folder that holds path: "/a/b" and "/a/b/" give "/a", "/a" gives "/", "/" stays "/", and a
// name without a slash ("a", or "") lies in the working directory, ".".
std::string HostFolderOf(std::string_view path);

}  // namespace kiln::detail
