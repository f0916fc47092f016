// Removing a tree of folders that holds no files.
#pragma once

// DeleteFolderRecursive removes folder when it is empty, and with bit 0 of flags set first removes
// its subfolders the same way; files are never deleted. The entries of each folder are taken in the
// order a file search lists them; the first that is not a folder (or, without bit 0, the first
// entry at all) keeps that folder: the subfolders listed before it have been dealt with, those after
// it are left, and the result is 0 with ERROR_DIR_NOT_EMPTY. A subfolder that cannot be removed
// keeps its parent too, but its siblings are still dealt with. Otherwise the result is that of
// RemoveDirectoryA(folder), a missing folder included.
//
// A symbolic link inside the tree counts as a file, even when it names a folder: the walk never
// leaves the tree. A trailing backslash on folder is allowed.
int DeleteFolderRecursive(const char* folder, unsigned long flags);
