// CList (a doubly linked list walked by POSITION) and CStringList.
//
// Header-only: the head or tail of an empty list and a null POSITION throw
// CInvalidArgException in the caller's module.
#pragma once

#include "Archive.h"
#include "Array.h"
#include "Object.h"
#include "String.h"

// An opaque place in a list or map; null means "none" (before the first or after the last).
struct __POSITION {};
using POSITION = __POSITION*;

template <class TYPE, class ARG_TYPE = const TYPE&> class CList : public CObject {
    struct Node {
        Node* pNext;
        Node* pPrev;
        TYPE data;
    };

public:
    CList() = default;
    ~CList() override { RemoveAll(); }

    INT_PTR GetCount() const { return m_nCount; }
    INT_PTR GetSize() const { return m_nCount; }
    BOOL IsEmpty() const { return m_nCount == 0; }

    TYPE& GetHead() { return NonEmpty(m_pHead)->data; }
    const TYPE& GetHead() const { return NonEmpty(m_pHead)->data; }
    TYPE& GetTail() { return NonEmpty(m_pTail)->data; }
    const TYPE& GetTail() const { return NonEmpty(m_pTail)->data; }
    TYPE RemoveHead() {
        Node* pNode = NonEmpty(m_pHead);
        TYPE value(std::move(pNode->data));
        Unlink(pNode);
        return value;
    }
    TYPE RemoveTail() {
        Node* pNode = NonEmpty(m_pTail);
        TYPE value(std::move(pNode->data));
        Unlink(pNode);
        return value;
    }

    POSITION AddHead(ARG_TYPE newElement) { return InsertBefore(GetHeadPosition(), newElement); }
    POSITION AddTail(ARG_TYPE newElement) { return InsertAfter(GetTailPosition(), newElement); }
    void AddHead(const CList* pNewList) {
        for (POSITION pos = pNewList->GetTailPosition(); pos;)
            AddHead(pNewList->GetPrev(pos));
    }
    void AddTail(const CList* pNewList) {
        for (POSITION pos = pNewList->GetHeadPosition(); pos;)
            AddTail(pNewList->GetNext(pos));
    }
    void RemoveAll() {
        while (m_pHead)
            Unlink(m_pHead);
    }

    POSITION GetHeadPosition() const { return AsPosition(m_pHead); }
    POSITION GetTailPosition() const { return AsPosition(m_pTail); }
    // Return the element at rPosition and move rPosition on (to null past the end).
    TYPE& GetNext(POSITION& rPosition) {
        Node* pNode = AsNode(rPosition);
        rPosition = AsPosition(pNode->pNext);
        return pNode->data;
    }
    const TYPE& GetNext(POSITION& rPosition) const {
        Node* pNode = AsNode(rPosition);
        rPosition = AsPosition(pNode->pNext);
        return pNode->data;
    }
    TYPE& GetPrev(POSITION& rPosition) {
        Node* pNode = AsNode(rPosition);
        rPosition = AsPosition(pNode->pPrev);
        return pNode->data;
    }
    const TYPE& GetPrev(POSITION& rPosition) const {
        Node* pNode = AsNode(rPosition);
        rPosition = AsPosition(pNode->pPrev);
        return pNode->data;
    }
    TYPE& GetAt(POSITION position) { return AsNode(position)->data; }
    const TYPE& GetAt(POSITION position) const { return AsNode(position)->data; }
    void SetAt(POSITION pos, ARG_TYPE newElement) { AsNode(pos)->data = newElement; }
    void RemoveAt(POSITION position) { Unlink(AsNode(position)); }

    // A null position inserts at the head (InsertBefore) or the tail (InsertAfter).
    POSITION InsertBefore(POSITION position, ARG_TYPE newElement) {
        Node* pNext = position ? AsNode(position) : m_pHead;
        return Link(newElement, pNext ? pNext->pPrev : nullptr, pNext);
    }
    POSITION InsertAfter(POSITION position, ARG_TYPE newElement) {
        Node* pPrev = position ? AsNode(position) : m_pTail;
        return Link(newElement, pPrev, pPrev ? pPrev->pNext : nullptr);
    }

    // The first element equal to searchValue after startAfter (null: from the head), or null.
    POSITION Find(ARG_TYPE searchValue, POSITION startAfter = nullptr) const {
        Node* pNode = startAfter ? AsNode(startAfter)->pNext : m_pHead;
        for (; pNode; pNode = pNode->pNext) {
            if (pNode->data == searchValue)
                return AsPosition(pNode);
        }
        return nullptr;
    }
    // The nIndex-th element's position, or null when the list is shorter.
    POSITION FindIndex(INT_PTR nIndex) const {
        if (nIndex < 0 || nIndex >= m_nCount)
            return nullptr;
        Node* pNode = m_pHead;
        while (nIndex-- > 0)
            pNode = pNode->pNext;
        return AsPosition(pNode);
    }

    // The element count as the archive writes counts, then the elements; loading appends.
    void Serialize(CArchive& ar) override {
        if (ar.IsStoring()) {
            ar.WriteCount(static_cast<DWORD_PTR>(m_nCount));
            for (Node* pNode = m_pHead; pNode; pNode = pNode->pNext)
                SerializeElements(ar, &pNode->data, 1);
            return;
        }
        for (DWORD_PTR n = ar.ReadCount(); n > 0; --n) {
            TYPE value{};
            SerializeElements(ar, &value, 1);
            AddTail(value);
        }
    }

private:
    static POSITION AsPosition(Node* pNode) { return reinterpret_cast<POSITION>(pNode); }
    static Node* AsNode(POSITION position) {
        if (!position)
            AfxThrowInvalidArgException();
        return reinterpret_cast<Node*>(position);
    }
    static Node* NonEmpty(Node* pNode) {
        if (!pNode)
            AfxThrowInvalidArgException();
        return pNode;
    }
    POSITION Link(ARG_TYPE newElement, Node* pPrev, Node* pNext) {
        Node* pNode = new Node{pNext, pPrev, TYPE(newElement)};
        (pPrev ? pPrev->pNext : m_pHead) = pNode;
        (pNext ? pNext->pPrev : m_pTail) = pNode;
        ++m_nCount;
        return AsPosition(pNode);
    }
    void Unlink(Node* pNode) {
        (pNode->pPrev ? pNode->pPrev->pNext : m_pHead) = pNode->pNext;
        (pNode->pNext ? pNode->pNext->pPrev : m_pTail) = pNode->pPrev;
        --m_nCount;
        delete pNode;
    }

    Node* m_pHead = nullptr;
    Node* m_pTail = nullptr;
    INT_PTR m_nCount = 0;
};

class CStringList : public CList<CString, LPCWSTR> {
    DECLARE_DYNAMIC_INLINE(CStringList, CObject)
};
