// Replacing a file's contents so that no reader and no crash ever sees it half written.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

namespace kiln {

// Writes bytes to a new temporary file in the folder of hostPath, syncs it, gives it the mode and
// owner of the file it replaces (or the usual mode for a new file) and renames it over hostPath, then
// syncs the folder. A symbolic link is followed: the file it names is replaced. Returns 0 or the
// errno value of the step that failed; the old file is then untouched and no temporary file remains.
// A device, pipe or FIFO is written to as it is.
int ReplaceFileContents(const std::string& hostPath, std::string_view bytes);

// Creates a folder and its missing parents with the given mode. Returns 0 or an errno value.
int MakeFolders(const std::string& dir, mode_t mode);

// For tests that prove a replacement survives a failure or a kill at any point: the hook is called
// before each system call that changes the file system (making the temporary file, every write,
// giving it its mode, syncing it, closing it, renaming it, syncing the folder). A non-zero result
// makes that call fail with it as its errno value; the hook may also end the process there. Null
// (the default) for none. Not for use outside tests.
enum class ReplaceStep { Create, Write, Mode, Sync, Close, Rename, SyncFolder };
using ReplaceFaultHook = int (*)(ReplaceStep step);
void SetReplaceFaultHook(ReplaceFaultHook hook);

}  // namespace kiln
