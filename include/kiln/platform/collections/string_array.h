// CStringArray: an array of CStrings (see CArray); stored as the count and each string with its
// length prefix.
#pragma once

#include <kiln/platform/collections/array.h>

class CStringArray : public CArray<CString, const CString&> {
    DECLARE_SERIAL(CStringArray)
};
