// Copying a file and telling the user why it could not be copied.
#pragma once

// The result of CopyFileErrorReport. Only these five values occur.
enum CopyFileError : int {};

namespace kiln {
inline constexpr CopyFileError kCopyDone{0};
inline constexpr CopyFileError kCopyFailed{1};  // source missing, memory, sharing, same file, other
inline constexpr CopyFileError kCopyAccessDenied{2};
inline constexpr CopyFileError kCopyDiskFull{16};
inline constexpr CopyFileError kCopyFolderFailed{18};
}  // namespace kiln

// CopyFileErrorReport copies source to destination, replacing an existing destination. When the
// destination's folder is missing it is created (with its parents) and the copy tried once more.
// Every failure is shown to the user as a notice naming its cause (the file that could not be read,
// the destination that may not be written, a full disk, the same file on both sides, the folder
// that could not be made, or the error code of any other cause) and returned as a CopyFileError.
CopyFileError CopyFileErrorReport(const char* source, const char* destination);
