// Share modes between every open of a file in every process.
//
// Each open of a file marks its open file description with shared open-file-description locks on
// marker bytes far beyond any real data: "has read access", "has write access", "denies read",
// "denies write". A new open conflicts when it wants an access that another open denies, or denies an
// access that another open holds. The markers are set first and the others checked afterwards, so of
// two conflicting opens racing each other at least one fails (both may), and never both succeed.
#pragma once

#include <kiln/platform/runtime/types.h>

namespace kiln::detail {

struct ShareRequest {
    bool read;
    bool write;
    bool denyRead;
    bool denyWrite;
};

// Marks the open file description of fd (which must be open for reading) with the request. Returns 0,
// or ERROR_SHARING_VIOLATION (with no marker left behind), or another Win32 code for a failure. A file
// system that refuses these locks is not enforced: the result is then 0.
DWORD TakeShareMarkers(int fd, ShareRequest request);

}  // namespace kiln::detail
