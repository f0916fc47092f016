// Maps keyed by strings (see CMap): CMapStringToPtr and CMapStringToString. Keys are compared
// byte for byte (case matters). CMapStringToString stores the count and each key and value with
// their length prefixes.
#pragma once

#include <kiln/platform/collections/map.h>

class CMapStringToPtr : public CMap<CString, LPCSTR, void*, void*> {
    DECLARE_DYNAMIC(CMapStringToPtr)
public:
    explicit CMapStringToPtr(INT_PTR nBlockSize = 10) : CMap(nBlockSize) {}
};

class CMapStringToString : public CMap<CString, LPCSTR, CString, LPCSTR> {
    DECLARE_SERIAL(CMapStringToString)
public:
    explicit CMapStringToString(INT_PTR nBlockSize = 10) : CMap(nBlockSize) {}
};
