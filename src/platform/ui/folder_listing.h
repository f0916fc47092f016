// What the file and folder dialogs show of the file system: Windows paths in, entries out.
#pragma once

#include <string>
#include <vector>

// Internal to the library: not exported from the shared library.
#pragma GCC visibility push(hidden)

namespace kiln {

struct FolderEntries {
    std::vector<std::string> folders;  // names, in the order a file search gives them
    std::vector<std::string> files;
};

// The entries of folder (a Windows path) other than "." and ".." and hidden names (a leading '.');
// files only when they match one of the ';'-separated masks (all files for an empty list). False
// when folder is not a folder that can be read.
bool ListFolder(const std::string& folder, const std::string& masks, FolderEntries& entries);

bool IsFolderPath(const std::string& path);
bool IsFilePath(const std::string& path);

// path with one trailing backslash.
std::string WithBackslash(std::string path);
// The full path of name: name itself when it is rooted (a drive, a leading backslash or slash),
// else name inside folder; "." and ".." resolved. Empty for an empty name.
std::string ResolveName(const std::string& folder, const std::string& name);
// A folder without a parent, such as "Z:\".
bool IsRootFolder(const std::string& folder);

}  // namespace kiln

#pragma GCC visibility pop
