// Replacing a file's contents so that no reader and no crash ever sees it half written.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <string_view>

// Internal to the library: not exported from the shared library.
#pragma GCC visibility push(hidden)

namespace kiln::detail {

// Replaces the file at hostPath by a new one that fill writes through the descriptor it is given
// (returning 0 or an errno value): the new file is written beside it under a temporary name, synced,
// and renamed over it, then the folder is synced. A symbolic link is followed: the file it names is
// replaced. With noReplace an existing file is not replaced (EEXIST), atomically. Returns 0 or the
// errno value of the step that failed; the old file is then untouched and no temporary file remains.
int AtomicReplace(const std::string& hostPath, const std::function<int(int fd)>& fill,
                  bool noReplace = false);

// AtomicReplace with bytes, the new file taking the mode and owner of the file it replaces (or the
// usual mode for a new file). A device, pipe or FIFO has no contents to replace: it is written to.
int ReplaceFileContents(const std::string& hostPath, std::string_view bytes);

// Creates a folder and its missing parents with the given mode. Returns 0 or an errno value.
int MakeFolders(const std::string& dir, mode_t mode);

// For tests that prove a replacement survives a failure or a kill at any point: the hook is called
// before each system call that changes the file system (making the temporary file, writing it,
// giving it its mode, syncing it, closing it, renaming it, syncing the folder). A non-zero result
// makes that call fail with it as its errno value; the hook may also end the process there. Null
// (the default) for none. Not for use outside tests.
enum class ReplaceStep { Create, Write, Mode, Sync, Close, Rename, SyncFolder };
using ReplaceFaultHook = int (*)(ReplaceStep step);
void SetReplaceFaultHook(ReplaceFaultHook hook);

}  // namespace kiln::detail

#pragma GCC visibility pop
