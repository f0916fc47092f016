// CList: MFC's doubly linked list template, the base of CStringList, CPtrList and CObList.
//
// A POSITION names one node; it stays valid until that node is removed. GetNext/GetPrev return the
// element at the position and move it on (to null past the end), the usual walk being
//   for (POSITION pos = list.GetHeadPosition(); pos != nullptr;) Use(list.GetNext(pos));
// GetHead, GetTail, RemoveHead and RemoveTail need a non-empty list and every POSITION argument must
// be one of this list's, as in MFC (checked with assert in debug builds). Nodes come from blocks of
// nBlockSize (kiln::NodePool). Serialize stores the count (CArchive::WriteCount) and then each
// element with SerializeElements; loading appends to the list.
#pragma once

#include <cassert>

#include <kiln/platform/collections/element_helpers.h>
#include <kiln/platform/collections/node_pool.h>

template <class TYPE, class ARG_TYPE = const TYPE&>
class CList : public CObject {
protected:
    struct CNode {
        explicit CNode(ARG_TYPE value) : data(value) {}
        CNode* pNext = nullptr;
        CNode* pPrev = nullptr;
        TYPE data;
    };

public:
    explicit CList(INT_PTR nBlockSize = 10) : m_pool(nBlockSize) {}
    ~CList() override { RemoveAll(); }
    CList(const CList&) = delete;
    CList& operator=(const CList&) = delete;

    INT_PTR GetCount() const { return m_nCount; }
    INT_PTR GetSize() const { return m_nCount; }
    BOOL IsEmpty() const { return m_nCount == 0; }

    TYPE& GetHead() { return Node(m_pNodeHead)->data; }
    const TYPE& GetHead() const { return Node(m_pNodeHead)->data; }
    TYPE& GetTail() { return Node(m_pNodeTail)->data; }
    const TYPE& GetTail() const { return Node(m_pNodeTail)->data; }

    TYPE RemoveHead() {
        CNode* pNode = Node(m_pNodeHead);
        TYPE value = pNode->data;
        Unlink(pNode);
        return value;
    }
    TYPE RemoveTail() {
        CNode* pNode = Node(m_pNodeTail);
        TYPE value = pNode->data;
        Unlink(pNode);
        return value;
    }

    POSITION AddHead(ARG_TYPE newElement) { return InsertBefore(Position(m_pNodeHead), newElement); }
    POSITION AddTail(ARG_TYPE newElement) { return InsertAfter(Position(m_pNodeTail), newElement); }
    // Adds copies of another list's elements, in their order (a list may add itself).
    void AddHead(CList* pNewList) {
        for (POSITION pos = pNewList->GetTailPosition(), stop = GetHeadPosition(); pos != nullptr;) {
            POSITION at = pos;
            AddHead(pNewList->GetPrev(pos));
            if (at == stop) break;
        }
    }
    void AddTail(CList* pNewList) {
        for (POSITION pos = pNewList->GetHeadPosition(), stop = GetTailPosition(); pos != nullptr;) {
            POSITION at = pos;
            AddTail(pNewList->GetNext(pos));
            if (at == stop) break;
        }
    }

    void RemoveAll() {
        for (CNode* pNode = m_pNodeHead; pNode != nullptr;) {
            CNode* pNext = pNode->pNext;
            m_pool.Delete(pNode);
            pNode = pNext;
        }
        m_pNodeHead = m_pNodeTail = nullptr;
        m_nCount = 0;
        m_pool.Release();
    }

    POSITION GetHeadPosition() const { return Position(m_pNodeHead); }
    POSITION GetTailPosition() const { return Position(m_pNodeTail); }

    TYPE& GetNext(POSITION& rPosition) {
        CNode* pNode = Node(rPosition);
        rPosition = Position(pNode->pNext);
        return pNode->data;
    }
    const TYPE& GetNext(POSITION& rPosition) const { return const_cast<CList*>(this)->GetNext(rPosition); }
    TYPE& GetPrev(POSITION& rPosition) {
        CNode* pNode = Node(rPosition);
        rPosition = Position(pNode->pPrev);
        return pNode->data;
    }
    const TYPE& GetPrev(POSITION& rPosition) const { return const_cast<CList*>(this)->GetPrev(rPosition); }

    TYPE& GetAt(POSITION position) { return Node(position)->data; }
    const TYPE& GetAt(POSITION position) const { return Node(position)->data; }
    void SetAt(POSITION pos, ARG_TYPE newElement) { Node(pos)->data = newElement; }
    void RemoveAt(POSITION position) { Unlink(Node(position)); }

    // A null position inserts at the head (InsertBefore) or the tail (InsertAfter).
    POSITION InsertBefore(POSITION position, ARG_TYPE newElement) {
        CNode* pNew = m_pool.New(newElement);
        CNode* pOld = reinterpret_cast<CNode*>(position);
        if (pOld == nullptr) pOld = m_pNodeHead;
        pNew->pNext = pOld;
        pNew->pPrev = pOld != nullptr ? pOld->pPrev : nullptr;
        Link(pNew);
        return Position(pNew);
    }
    POSITION InsertAfter(POSITION position, ARG_TYPE newElement) {
        CNode* pNew = m_pool.New(newElement);
        CNode* pOld = reinterpret_cast<CNode*>(position);
        if (pOld == nullptr) pOld = m_pNodeTail;
        pNew->pPrev = pOld;
        pNew->pNext = pOld != nullptr ? pOld->pNext : nullptr;
        Link(pNew);
        return Position(pNew);
    }

    // The first element equal to searchValue after startAfter (from the head when null), or null.
    POSITION Find(ARG_TYPE searchValue, POSITION startAfter = nullptr) const {
        CNode* pNode = startAfter != nullptr ? Node(startAfter)->pNext : m_pNodeHead;
        for (; pNode != nullptr; pNode = pNode->pNext)
            if (CompareElements(&pNode->data, &searchValue)) return Position(pNode);
        return nullptr;
    }
    // The position of the nIndex-th element (from 0), or null when there is none.
    POSITION FindIndex(INT_PTR nIndex) const {
        if (nIndex < 0 || nIndex >= m_nCount) return nullptr;
        CNode* pNode = m_pNodeHead;
        while (nIndex-- > 0) pNode = pNode->pNext;
        return Position(pNode);
    }

    void Serialize(CArchive& ar) override {
        if (ar.IsStoring()) {
            ar.WriteCount((DWORD_PTR)m_nCount);
            for (CNode* pNode = m_pNodeHead; pNode != nullptr; pNode = pNode->pNext)
                SerializeElements<TYPE>(ar, &pNode->data, 1);
        } else {
            for (DWORD_PTR nNewCount = ar.ReadCount(); nNewCount > 0; --nNewCount) {
                TYPE newData{};
                SerializeElements<TYPE>(ar, &newData, 1);
                AddTail(newData);
            }
        }
    }

private:
    static POSITION Position(CNode* pNode) { return reinterpret_cast<POSITION>(pNode); }
    static CNode* Node(POSITION position) {
        assert(position != nullptr && "a CList operation needs a valid position");
        return reinterpret_cast<CNode*>(position);
    }
    static CNode* Node(CNode* pNode) { return Node(Position(pNode)); }

    // Ties a node whose pPrev and pNext are set into the chain.
    void Link(CNode* pNew) {
        (pNew->pPrev != nullptr ? pNew->pPrev->pNext : m_pNodeHead) = pNew;
        (pNew->pNext != nullptr ? pNew->pNext->pPrev : m_pNodeTail) = pNew;
        ++m_nCount;
    }
    void Unlink(CNode* pNode) {
        (pNode->pPrev != nullptr ? pNode->pPrev->pNext : m_pNodeHead) = pNode->pNext;
        (pNode->pNext != nullptr ? pNode->pNext->pPrev : m_pNodeTail) = pNode->pPrev;
        m_pool.Delete(pNode);
        if (--m_nCount == 0) RemoveAll();
    }

    CNode* m_pNodeHead = nullptr;
    CNode* m_pNodeTail = nullptr;
    INT_PTR m_nCount = 0;
    kiln::NodePool<CNode> m_pool;
};
