// CMap: MFC's hashed map template, the base of CMapStringToPtr, CMapStringToString, CMapPtrToPtr
// and CMapWordToPtr.
//
// Keys hash into a fixed table of buckets (17 until InitHashTable sets another size, which is only
// allowed while the map is empty); a new key goes to the front of its bucket. GetStartPosition and
// GetNextAssoc walk the buckets in order and each bucket front to back, which is the order MFC's
// maps enumerate and store their entries in, so a program that prints a map prints the same lines.
//   for (POSITION pos = map.GetStartPosition(); pos != nullptr;) map.GetNextAssoc(pos, key, value);
// Serialize stores the count (CArchive::WriteCount) and then key and value of each entry, in that
// order; loading adds the entries to the map.
#pragma once

#include <vector>

#include <kiln/platform/collections/element_helpers.h>
#include <kiln/platform/collections/node_pool.h>

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
class CMap : public CObject {
protected:
    struct CAssoc {
        CAssoc(ARG_KEY k, UINT hash) : key(k), nHashValue(hash) {}
        CAssoc* pNext = nullptr;
        KEY key;
        VALUE value{};
        UINT nHashValue;  // the full hash; the bucket is nHashValue % table size
    };

public:
    explicit CMap(INT_PTR nBlockSize = 10) : m_pool(nBlockSize) {}
    ~CMap() override { RemoveAll(); }
    CMap(const CMap&) = delete;
    CMap& operator=(const CMap&) = delete;

    INT_PTR GetCount() const { return m_nCount; }
    INT_PTR GetSize() const { return m_nCount; }
    BOOL IsEmpty() const { return m_nCount == 0; }

    BOOL Lookup(ARG_KEY key, VALUE& rValue) const {
        CAssoc* pAssoc = Find(key, HashKey<ARG_KEY>(key));
        if (pAssoc == nullptr) return FALSE;
        rValue = pAssoc->value;
        return TRUE;
    }
    // The value stored under key, added (value-initialised) when the key is new.
    VALUE& operator[](ARG_KEY key) {
        UINT nHash = HashKey<ARG_KEY>(key);
        if (CAssoc* pAssoc = Find(key, nHash)) return pAssoc->value;
        if (m_buckets.empty()) m_buckets.assign(m_nHashTableSize, nullptr);
        CAssoc* pAssoc = m_pool.New(key, nHash);
        CAssoc*& head = m_buckets[nHash % m_nHashTableSize];
        pAssoc->pNext = head;
        head = pAssoc;
        ++m_nCount;
        return pAssoc->value;
    }
    void SetAt(ARG_KEY key, ARG_VALUE newValue) { (*this)[key] = newValue; }

    BOOL RemoveKey(ARG_KEY key) {
        if (m_buckets.empty()) return FALSE;
        UINT nHash = HashKey<ARG_KEY>(key);
        for (CAssoc** ppAssoc = &m_buckets[nHash % m_nHashTableSize]; *ppAssoc != nullptr;
             ppAssoc = &(*ppAssoc)->pNext) {
            CAssoc* pAssoc = *ppAssoc;
            if (pAssoc->nHashValue == nHash && CompareElements(&pAssoc->key, &key)) {
                *ppAssoc = pAssoc->pNext;
                m_pool.Delete(pAssoc);
                if (--m_nCount == 0) RemoveAll();
                return TRUE;
            }
        }
        return FALSE;
    }
    void RemoveAll() {
        for (CAssoc* pBucket : m_buckets)
            for (CAssoc* pAssoc = pBucket; pAssoc != nullptr;) {
                CAssoc* pNext = pAssoc->pNext;
                m_pool.Delete(pAssoc);
                pAssoc = pNext;
            }
        m_buckets.clear();
        m_nCount = 0;
        m_pool.Release();
    }

    POSITION GetStartPosition() const { return Position(FirstFrom(0)); }
    void GetNextAssoc(POSITION& rNextPosition, KEY& rKey, VALUE& rValue) const {
        CAssoc* pAssoc = reinterpret_cast<CAssoc*>(rNextPosition);
        rKey = pAssoc->key;
        rValue = pAssoc->value;
        rNextPosition = Position(
            pAssoc->pNext != nullptr ? pAssoc->pNext : FirstFrom(pAssoc->nHashValue % m_nHashTableSize + 1));
    }

    UINT GetHashTableSize() const { return m_nHashTableSize; }
    // Sets the number of buckets (MFC suggests a prime about 20% above the expected count); ignored
    // once the map holds entries, whose order depends on it.
    void InitHashTable(UINT nHashSize, BOOL bAllocNow = TRUE) {
        if (m_nCount != 0 || nHashSize == 0) return;
        m_nHashTableSize = nHashSize;
        m_buckets.clear();
        if (bAllocNow) m_buckets.assign(m_nHashTableSize, nullptr);
    }

    void Serialize(CArchive& ar) override {
        if (ar.IsStoring()) {
            ar.WriteCount((DWORD_PTR)m_nCount);
            for (CAssoc* pBucket : m_buckets)
                for (CAssoc* pAssoc = pBucket; pAssoc != nullptr; pAssoc = pAssoc->pNext) {
                    SerializeElements<KEY>(ar, &pAssoc->key, 1);
                    SerializeElements<VALUE>(ar, &pAssoc->value, 1);
                }
            return;
        }
        for (DWORD_PTR nNewCount = ar.ReadCount(); nNewCount > 0; --nNewCount) {
            KEY newKey{};
            VALUE newValue{};
            SerializeElements<KEY>(ar, &newKey, 1);
            SerializeElements<VALUE>(ar, &newValue, 1);
            SetAt(newKey, newValue);
        }
    }

private:
    static POSITION Position(CAssoc* pAssoc) { return reinterpret_cast<POSITION>(pAssoc); }
    CAssoc* FirstFrom(size_t nBucket) const {
        for (; nBucket < m_buckets.size(); ++nBucket)
            if (m_buckets[nBucket] != nullptr) return m_buckets[nBucket];
        return nullptr;
    }
    CAssoc* Find(ARG_KEY key, UINT nHash) const {
        if (m_buckets.empty()) return nullptr;
        for (CAssoc* pAssoc = m_buckets[nHash % m_nHashTableSize]; pAssoc != nullptr; pAssoc = pAssoc->pNext)
            if (pAssoc->nHashValue == nHash && CompareElements(&pAssoc->key, &key)) return pAssoc;
        return nullptr;
    }

    std::vector<CAssoc*> m_buckets;
    UINT m_nHashTableSize = 17;
    INT_PTR m_nCount = 0;
    kiln::NodePool<CAssoc> m_pool;
};
