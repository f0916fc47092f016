// Replacing a file's contents so that no reader and no crash ever sees it half written.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <string_view>

namespace kiln::detail {

// Replaces the file at hostPath by a new one that fill writes through the descriptor it is given
// (returning 0 or an errno value): the new file is written beside it under a temporary name, synced,
// and renamed over it, then the folder is synced. A symbolic link is followed: the file it names is
// replaced. With noReplace an existing file is not replaced (EEXIST), atomically. Returns 0 or the
// errno value of the step that failed; the old file is then untouched and no temporary file remains.
int AtomicReplace(const std::string& hostPath, const std::function<int(int fd)>& fill, bool noReplace = false);

// AtomicReplace with bytes, the new file taking the mode and owner of the file it replaces (or the
// usual mode for a new file).
int ReplaceFileContents(const std::string& hostPath, std::string_view bytes);

// Creates a folder and its missing parents with the given mode. Returns 0 or an errno value.
int MakeFolders(const std::string& dir, mode_t mode);

}  // namespace kiln::detail
