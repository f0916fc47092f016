// CPtrArray: an array of untyped pointers (see CArray); it never owns what they point to.
#pragma once

#include <kiln/platform/collections/array.h>

class CPtrArray : public CArray<void*, void*> {
    DECLARE_DYNAMIC(CPtrArray)
};
