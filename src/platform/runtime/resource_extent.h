// Where a resource's bytes end, for readers given only an address inside them.
#pragma once

#include <cstddef>

namespace kiln {

// The bytes from data to the end of the resource of the chain that holds it, 0 when none does.
size_t ResourceExtent(const void* data);

}  // namespace kiln
