// The element helpers of the collection templates, which a client may specialise for its own types
// as it does with MFC: SerializeElements, CompareElements and HashKey.
//
// SerializeElements stores and loads elements of a trivially copyable type as their raw bytes (so a
// CDWordArray holds 4 little-endian bytes per value) and any other type with the archive's << and >>
// (a CString with its length prefix). CObject pointers go through the archive's object format.
// CompareElements is ==. HashKey of an integer or pointer is its value shifted right by 4; of a
// string, h = h * 33 + c over its (signed) chars, the order MFC's maps enumerate strings in.
#pragma once

#include <type_traits>

#include <kiln/platform/files/archive.h>

#ifndef AFXAPI
#define AFXAPI
#endif

template <class TYPE>
void AFXAPI SerializeElements(CArchive& ar, TYPE* pElements, INT_PTR nCount) {
    if constexpr (std::is_pointer_v<TYPE> && std::is_base_of_v<CObject, std::remove_pointer_t<TYPE>>) {
        for (INT_PTR i = 0; i < nCount; ++i) {
            if (ar.IsStoring()) {
                ar << static_cast<const CObject*>(pElements[i]);
            } else {
                CObject* pOb = nullptr;
                ar >> pOb;
                pElements[i] = static_cast<TYPE>(pOb);
            }
        }
    } else if constexpr (std::is_trivially_copyable_v<TYPE>) {
        UINT nBytes = (UINT)(nCount * (INT_PTR)sizeof(TYPE));
        if (ar.IsStoring())
            ar.Write(pElements, nBytes);
        else if (ar.Read(pElements, nBytes) != nBytes)
            AfxThrowArchiveException(CArchiveException::endOfFile, ar.m_strFileName);
    } else {
        for (INT_PTR i = 0; i < nCount; ++i) {
            if (ar.IsStoring())
                ar << pElements[i];
            else
                ar >> pElements[i];
        }
    }
}

template <class TYPE, class ARG_TYPE>
BOOL AFXAPI CompareElements(const TYPE* pElement1, const ARG_TYPE* pElement2) {
    return *pElement1 == *pElement2;
}

template <class ARG_KEY>
inline UINT AFXAPI HashKey(ARG_KEY key) {
    return (UINT)(((UINT_PTR)key) >> 4);
}

template <>
inline UINT AFXAPI HashKey<LPCSTR>(LPCSTR key) {
    UINT nHash = 0;
    if (key != nullptr)
        while (*key) nHash = (nHash << 5) + nHash + (UINT)(int)*key++;
    return nHash;
}

template <>
inline UINT AFXAPI HashKey<const CString&>(const CString& key) {
    return HashKey<LPCSTR>(key.GetString());
}
