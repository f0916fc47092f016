// The arrays of integers (see CArray): CByteArray, CWordArray, CDWordArray and CUIntArray.
// Serialize stores the count and then the values as raw little-endian bytes of their width, as MFC
// does. CUIntArray, like MFC's, cannot be stored by pointer (its width differs between builds).
#pragma once

#include <kiln/platform/collections/array.h>

class CByteArray : public CArray<BYTE, BYTE> {
    DECLARE_SERIAL(CByteArray)
};

class CWordArray : public CArray<WORD, WORD> {
    DECLARE_SERIAL(CWordArray)
};

class CDWordArray : public CArray<DWORD, DWORD> {
    DECLARE_SERIAL(CDWordArray)
};

class CUIntArray : public CArray<UINT, UINT> {
    DECLARE_DYNAMIC(CUIntArray)
};
