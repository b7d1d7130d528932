// CMapStringToString: a hash table from text to text, with case-sensitive keys.
//
// Header-only, like the other collections.
#pragma once

#include <vector>

#include "List.h"
#include "Object.h"
#include "String.h"

class CMapStringToString : public CObject {
    DECLARE_DYNAMIC_INLINE(CMapStringToString, CObject)

    struct Assoc {
        Assoc* pNext;
        UINT nHash;
        CString key;
        CString value;
    };

public:
    explicit CMapStringToString(INT_PTR nBlockSize = 10) { (void)nBlockSize; }
    ~CMapStringToString() override { RemoveAll(); }

    INT_PTR GetCount() const { return m_nCount; }
    INT_PTR GetSize() const { return m_nCount; }
    BOOL IsEmpty() const { return m_nCount == 0; }

    // Sizes the table for about nHashSize keys; existing entries are kept.
    void InitHashTable(UINT nHashSize) { Rehash(nHashSize < 17 ? 17 : nHashSize); }

    BOOL Lookup(LPCWSTR key, CString& rValue) const {
        const Assoc* pAssoc = Find(key, Hash(key));
        if (!pAssoc)
            return FALSE;
        rValue = pAssoc->value;
        return TRUE;
    }
    // The value for the key, added empty when the key is new.
    CString& operator[](LPCWSTR key) {
        const UINT nHash = Hash(key);
        if (Assoc* pAssoc = Find(key, nHash))
            return pAssoc->value;
        if (m_buckets.empty() || static_cast<size_t>(m_nCount) >= m_buckets.size())
            Rehash(m_buckets.empty() ? 17 : m_buckets.size() * 2 + 1);
        Assoc*& head = m_buckets[nHash % m_buckets.size()];
        head = new Assoc{head, nHash, CString(key), CString()};
        ++m_nCount;
        return head->value;
    }
    void SetAt(LPCWSTR key, LPCWSTR newValue) {
        CString value(newValue); // newValue may point into the map
        (*this)[key] = static_cast<CString&&>(value);
    }
    BOOL RemoveKey(LPCWSTR key) {
        if (m_buckets.empty())
            return FALSE;
        const UINT nHash = Hash(key);
        for (Assoc** ppAssoc = &m_buckets[nHash % m_buckets.size()]; *ppAssoc;
             ppAssoc = &(*ppAssoc)->pNext) {
            Assoc* pAssoc = *ppAssoc;
            if (pAssoc->nHash == nHash && pAssoc->key == key) {
                *ppAssoc = pAssoc->pNext;
                delete pAssoc;
                --m_nCount;
                return TRUE;
            }
        }
        return FALSE;
    }
    void RemoveAll() {
        for (Assoc*& head : m_buckets) {
            while (head) {
                Assoc* pNext = head->pNext;
                delete head;
                head = pNext;
            }
        }
        m_nCount = 0;
    }

    // Walks every entry in no particular order: GetNextAssoc sets the position to null after
    // the last one.
    POSITION GetStartPosition() const { return AsPosition(FirstFrom(0)); }
    void GetNextAssoc(POSITION& rNextPosition, CString& rKey, CString& rValue) const {
        if (!rNextPosition)
            AfxThrowInvalidArgException();
        const Assoc* pAssoc = reinterpret_cast<const Assoc*>(rNextPosition);
        rKey = pAssoc->key;
        rValue = pAssoc->value;
        const Assoc* pNext = pAssoc->pNext;
        if (!pNext)
            pNext = FirstFrom(pAssoc->nHash % m_buckets.size() + 1);
        rNextPosition = AsPosition(pNext);
    }

private:
    static UINT Hash(LPCWSTR key) {
        UINT nHash = 0;
        for (; key && *key; ++key)
            nHash = (nHash << 5) + nHash + *key;
        return nHash;
    }
    static POSITION AsPosition(const Assoc* pAssoc) {
        return reinterpret_cast<POSITION>(const_cast<Assoc*>(pAssoc));
    }
    Assoc* Find(LPCWSTR key, UINT nHash) const {
        if (m_buckets.empty())
            return nullptr;
        for (Assoc* pAssoc = m_buckets[nHash % m_buckets.size()]; pAssoc; pAssoc = pAssoc->pNext) {
            if (pAssoc->nHash == nHash && pAssoc->key == (key ? key : L""))
                return pAssoc;
        }
        return nullptr;
    }
    const Assoc* FirstFrom(size_t nBucket) const {
        for (; nBucket < m_buckets.size(); ++nBucket) {
            if (m_buckets[nBucket])
                return m_buckets[nBucket];
        }
        return nullptr;
    }
    void Rehash(size_t nBuckets) {
        std::vector<Assoc*> buckets(nBuckets, nullptr);
        for (Assoc* head : m_buckets) {
            while (head) {
                Assoc* pNext = head->pNext;
                Assoc*& target = buckets[head->nHash % nBuckets];
                head->pNext = target;
                target = head;
                head = pNext;
            }
        }
        m_buckets.swap(buckets);
    }

    std::vector<Assoc*> m_buckets;
    INT_PTR m_nCount = 0;
};
