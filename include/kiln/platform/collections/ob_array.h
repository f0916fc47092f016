// CObArray: an array of CObject pointers (see CArray); it never deletes its objects. Serialize
// stores each in the archive's object format.
#pragma once

#include <kiln/platform/collections/array.h>

class CObArray : public CArray<CObject*, CObject*> {
    DECLARE_SERIAL(CObArray)
};
