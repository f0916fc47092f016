// The resources the library carries: its dialog templates, its menu and its string.
#pragma once

#include <kiln/platform/runtime/resources.h>

namespace kiln {

// Adds the library's resources to the front of the resource chain, once per process; the module's
// instance handle.
HINSTANCE AddLibraryResources();

}  // namespace kiln
