// CArray: MFC's growable array template, the base of CStringArray, CPtrArray, CObArray and the
// integer arrays.
//
// Indices run from 0 to GetUpperBound() (= GetSize() - 1). GetAt, SetAt, ElementAt and operator[]
// with an index outside that range raise CInvalidArgException, as MFC does in every build; SetAtGrow
// and InsertAt past the end grow the array, new elements being value-initialised (0, null, empty).
// Capacity grows geometrically whatever grow-by a caller asks for, which only ever decided speed.
// Serialize stores the count (CArchive::WriteCount) and the elements with SerializeElements;
// loading replaces the contents and grows as data arrives, so a forged count cannot ask for more
// memory than the archive holds.
#pragma once

#include <algorithm>
#include <vector>

#include <kiln/platform/collections/element_helpers.h>

template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray : public CObject {
public:
    CArray() = default;
    ~CArray() override = default;
    CArray(const CArray&) = delete;
    CArray& operator=(const CArray&) = delete;

    INT_PTR GetSize() const { return (INT_PTR)m_data.size(); }
    INT_PTR GetCount() const { return (INT_PTR)m_data.size(); }
    BOOL IsEmpty() const { return m_data.empty(); }
    INT_PTR GetUpperBound() const { return (INT_PTR)m_data.size() - 1; }

    void SetSize(INT_PTR nNewSize, INT_PTR nGrowBy = -1) {
        (void)nGrowBy;
        if (nNewSize < 0) AfxThrowInvalidArgException();
        m_data.resize((size_t)nNewSize);
    }
    void FreeExtra() { m_data.shrink_to_fit(); }
    void RemoveAll() { m_data.clear(); }

    const TYPE& GetAt(INT_PTR nIndex) const { return m_data[Checked(nIndex)]; }
    TYPE& GetAt(INT_PTR nIndex) { return m_data[Checked(nIndex)]; }
    void SetAt(INT_PTR nIndex, ARG_TYPE newElement) { m_data[Checked(nIndex)] = newElement; }
    TYPE& ElementAt(INT_PTR nIndex) { return m_data[Checked(nIndex)]; }
    const TYPE& ElementAt(INT_PTR nIndex) const { return m_data[Checked(nIndex)]; }
    const TYPE& operator[](INT_PTR nIndex) const { return GetAt(nIndex); }
    TYPE& operator[](INT_PTR nIndex) { return ElementAt(nIndex); }

    // The elements in one block, valid until the size changes; null when empty.
    const TYPE* GetData() const { return m_data.empty() ? nullptr : m_data.data(); }
    TYPE* GetData() { return m_data.empty() ? nullptr : m_data.data(); }

    void SetAtGrow(INT_PTR nIndex, ARG_TYPE newElement) {
        if (nIndex < 0) AfxThrowInvalidArgException();
        TYPE value = newElement;  // newElement may be one of our own elements
        if (nIndex >= GetSize()) m_data.resize((size_t)nIndex + 1);
        m_data[(size_t)nIndex] = std::move(value);
    }
    INT_PTR Add(ARG_TYPE newElement) {
        INT_PTR nIndex = GetSize();
        SetAtGrow(nIndex, newElement);
        return nIndex;
    }
    // Appends a copy of src (which may be this array); returns the index of its first element.
    INT_PTR Append(const CArray& src) {
        INT_PTR nOldSize = GetSize();
        std::vector<TYPE> copy(src.m_data);
        m_data.insert(m_data.end(), copy.begin(), copy.end());
        return nOldSize;
    }
    void Copy(const CArray& src) {
        if (&src != this) m_data = src.m_data;
    }

    // Inserts nCount copies at nIndex; an index past the end grows the array to it first.
    void InsertAt(INT_PTR nIndex, ARG_TYPE newElement, INT_PTR nCount = 1) {
        if (nIndex < 0 || nCount < 0) AfxThrowInvalidArgException();
        TYPE value = newElement;
        if (nIndex > GetSize()) m_data.resize((size_t)nIndex);
        m_data.insert(m_data.begin() + nIndex, (size_t)nCount, value);
    }
    void InsertAt(INT_PTR nStartIndex, const CArray* pNewArray) {
        if (nStartIndex < 0 || pNewArray == nullptr) AfxThrowInvalidArgException();
        std::vector<TYPE> copy(pNewArray->m_data);
        if (nStartIndex > GetSize()) m_data.resize((size_t)nStartIndex);
        m_data.insert(m_data.begin() + nStartIndex, copy.begin(), copy.end());
    }
    void RemoveAt(INT_PTR nIndex, INT_PTR nCount = 1) {
        if (nIndex < 0 || nCount < 0 || nIndex + nCount > GetSize()) AfxThrowInvalidArgException();
        m_data.erase(m_data.begin() + nIndex, m_data.begin() + nIndex + nCount);
    }

    void Serialize(CArchive& ar) override {
        if (ar.IsStoring()) {
            ar.WriteCount((DWORD_PTR)GetSize());
            SerializeElements<TYPE>(ar, GetData(), GetSize());
            return;
        }
        RemoveAll();
        const DWORD_PTR kStep = 65536;
        for (DWORD_PTR nLeft = ar.ReadCount(); nLeft > 0;) {
            DWORD_PTR n = std::min(nLeft, kStep);
            size_t at = m_data.size();
            m_data.resize(at + n);
            SerializeElements<TYPE>(ar, m_data.data() + at, (INT_PTR)n);
            nLeft -= n;
        }
    }

private:
    size_t Checked(INT_PTR nIndex) const {
        if (nIndex < 0 || nIndex >= GetSize()) AfxThrowInvalidArgException();
        return (size_t)nIndex;
    }

    std::vector<TYPE> m_data;
};
