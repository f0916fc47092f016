// How much a loading archive can still deliver, so that a length read from it is checked before
// memory is claimed for it.
#pragma once

#include <kiln/platform/files/archive.h>

namespace kiln {

// Stands for "the file cannot tell" (a pipe, a terminal, a device).
constexpr ULONGLONG kArchiveLengthUnknown = ~(ULONGLONG)0;

// The bytes the archive has buffered plus those its file holds past its position, or
// kArchiveLengthUnknown when the file is not a regular or memory file.
ULONGLONG ArchiveBytesLeft(const CArchive& ar);

// Whether a record of nLength bytes read from the archive may be believed: the archive holds that
// many bytes, or nearly (a record cut short by up to 1 MiB still loads as far as it goes). A longer
// claim is garbage, refused before memory is claimed for it.
bool ArchiveMayHold(const CArchive& ar, ULONGLONG nLength);

}  // namespace kiln
