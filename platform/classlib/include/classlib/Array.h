// CArray and the named arrays built on it.
//
// Header-only: element access outside 0 .. size - 1, a negative size and a negative insert
// count throw CInvalidArgException, and that throw has to happen in the caller's module.
#pragma once

#include <cstdint>
#include <type_traits>
#include <utility>
#include <vector>

#include "Archive.h"
#include "Object.h"
#include "String.h"

// How CArray::Serialize writes and reads its elements: plain values as their raw bytes
// (little-endian on this platform), strings as archive strings.
template <class TYPE> void SerializeElements(CArchive& ar, TYPE* pElements, INT_PTR nCount) {
    static_assert(std::is_trivially_copyable_v<TYPE>, "elements need their own SerializeElements");
    const size_t bytes = static_cast<size_t>(nCount) * sizeof(TYPE);
    if (ar.IsStoring())
        ar.Write(pElements, bytes);
    else if (ar.Read(pElements, bytes) != bytes)
        AfxThrowArchiveException(CArchiveException::endOfFile);
}

inline void SerializeElements(CArchive& ar, CString* pElements, INT_PTR nCount) {
    for (INT_PTR i = 0; i < nCount; ++i) {
        if (ar.IsStoring())
            ar << pElements[i];
        else
            ar >> pElements[i];
    }
}

template <class TYPE, class ARG_TYPE = const TYPE&> class CArray : public CObject {
public:
    CArray() = default;

    INT_PTR GetSize() const { return static_cast<INT_PTR>(m_data.size()); }
    INT_PTR GetCount() const { return GetSize(); }
    BOOL IsEmpty() const { return m_data.empty(); }
    INT_PTR GetUpperBound() const { return GetSize() - 1; }

    // New elements are value-initialised (numbers 0, strings empty). nGrowBy, when not -1,
    // is how many elements the storage grows by at a time.
    void SetSize(INT_PTR nNewSize, INT_PTR nGrowBy = -1) {
        if (nNewSize < 0)
            AfxThrowInvalidArgException();
        if (nGrowBy >= 0)
            m_nGrowBy = nGrowBy;
        Reserve(nNewSize);
        m_data.resize(static_cast<size_t>(nNewSize));
    }
    void FreeExtra() { m_data.shrink_to_fit(); }
    void RemoveAll() { m_data.clear(); }

    const TYPE& GetAt(INT_PTR nIndex) const { return m_data[CheckedIndex(nIndex)]; }
    TYPE& GetAt(INT_PTR nIndex) { return m_data[CheckedIndex(nIndex)]; }
    void SetAt(INT_PTR nIndex, ARG_TYPE newElement) { m_data[CheckedIndex(nIndex)] = newElement; }
    TYPE& ElementAt(INT_PTR nIndex) { return m_data[CheckedIndex(nIndex)]; }
    const TYPE& ElementAt(INT_PTR nIndex) const { return m_data[CheckedIndex(nIndex)]; }
    const TYPE& operator[](INT_PTR nIndex) const { return GetAt(nIndex); }
    TYPE& operator[](INT_PTR nIndex) { return ElementAt(nIndex); }
    const TYPE* GetData() const { return m_data.data(); }
    TYPE* GetData() { return m_data.data(); }

    // Sets the element, growing the array first when the index lies beyond its end.
    void SetAtGrow(INT_PTR nIndex, ARG_TYPE newElement) {
        if (nIndex < 0)
            AfxThrowInvalidArgException();
        if (nIndex >= GetSize()) {
            TYPE copy(newElement); // newElement may refer into the array
            SetSize(nIndex + 1);
            m_data[static_cast<size_t>(nIndex)] = std::move(copy);
            return;
        }
        m_data[static_cast<size_t>(nIndex)] = newElement;
    }
    INT_PTR Add(ARG_TYPE newElement) {
        const INT_PTR nIndex = GetSize();
        SetAtGrow(nIndex, newElement);
        return nIndex;
    }
    INT_PTR Append(const CArray& src) {
        const INT_PTR nOldSize = GetSize();
        Reserve(nOldSize + src.GetSize());
        if (&src == this) {
            for (INT_PTR i = 0; i < nOldSize; ++i)
                m_data.push_back(m_data[static_cast<size_t>(i)]);
        } else {
            m_data.insert(m_data.end(), src.m_data.begin(), src.m_data.end());
        }
        return nOldSize;
    }
    void Copy(const CArray& src) {
        if (&src != this)
            m_data = src.m_data;
    }

    // Inserting at or beyond the end grows the array to hold the new elements there.
    void InsertAt(INT_PTR nIndex, ARG_TYPE newElement, INT_PTR nCount = 1) {
        if (nIndex < 0 || nCount < 0)
            AfxThrowInvalidArgException();
        TYPE copy(newElement);
        if (nIndex >= GetSize())
            SetSize(nIndex + nCount);
        else {
            Reserve(GetSize() + nCount);
            m_data.insert(m_data.begin() + nIndex, static_cast<size_t>(nCount), copy);
            return;
        }
        for (INT_PTR i = 0; i < nCount; ++i)
            m_data[static_cast<size_t>(nIndex + i)] = copy;
    }
    void InsertAt(INT_PTR nStartIndex, const CArray* pNewArray) {
        if (!pNewArray || nStartIndex < 0)
            AfxThrowInvalidArgException();
        const std::vector<TYPE> items(pNewArray->m_data);
        if (items.empty())
            return;
        if (nStartIndex > GetSize())
            SetSize(nStartIndex);
        Reserve(GetSize() + static_cast<INT_PTR>(items.size()));
        m_data.insert(m_data.begin() + nStartIndex, items.begin(), items.end());
    }
    void RemoveAt(INT_PTR nIndex, INT_PTR nCount = 1) {
        if (nIndex < 0 || nCount < 0 || nIndex + nCount > GetSize())
            AfxThrowInvalidArgException();
        m_data.erase(m_data.begin() + nIndex, m_data.begin() + nIndex + nCount);
    }

    // The element count as the archive writes counts, then the elements.
    void Serialize(CArchive& ar) override {
        if (ar.IsStoring()) {
            ar.WriteCount(static_cast<DWORD_PTR>(GetSize()));
            SerializeElements(ar, m_data.data(), GetSize());
            return;
        }
        const DWORD_PTR nCount = ar.ReadCount();
        // Grow with the data actually read, so a damaged count cannot claim memory, and a count
        // beyond the data ends at the end of the data on every architecture (even where no
        // array could be that large).
        RemoveAll();
        for (DWORD_PTR done = 0; done < nCount;) {
            const DWORD_PTR chunk = nCount - done < kLoadChunk ? nCount - done : kLoadChunk;
            if (done + chunk > static_cast<DWORD_PTR>(INTPTR_MAX) / sizeof(TYPE))
                AfxThrowArchiveException(CArchiveException::badIndex);
            SetSize(static_cast<INT_PTR>(done + chunk));
            SerializeElements(ar, m_data.data() + done, static_cast<INT_PTR>(chunk));
            done += chunk;
        }
    }

private:
    static constexpr DWORD_PTR kLoadChunk = 4096;

    size_t CheckedIndex(INT_PTR nIndex) const {
        if (nIndex < 0 || nIndex >= GetSize())
            AfxThrowInvalidArgException();
        return static_cast<size_t>(nIndex);
    }
    void Reserve(INT_PTR nSize) {
        const size_t wanted = static_cast<size_t>(nSize);
        if (wanted <= m_data.capacity())
            return;
        size_t step = m_nGrowBy > 0 ? static_cast<size_t>(m_nGrowBy) : m_data.size() / 8;
        if (step < 4)
            step = 4;
        const size_t grown = m_data.size() + step;
        m_data.reserve(wanted > grown ? wanted : grown);
    }

    std::vector<TYPE> m_data;
    INT_PTR m_nGrowBy = -1;
};

#define XARN_NAMED_ARRAY(class_name, element_type, arg_type)                                       \
    class class_name : public CArray<element_type, arg_type> {                                     \
        DECLARE_DYNAMIC_INLINE(class_name, CObject)                                                \
    };

XARN_NAMED_ARRAY(CByteArray, BYTE, BYTE)
XARN_NAMED_ARRAY(CWordArray, WORD, WORD)
XARN_NAMED_ARRAY(CDWordArray, DWORD, DWORD)
XARN_NAMED_ARRAY(CUIntArray, UINT, UINT)
XARN_NAMED_ARRAY(CStringArray, CString, LPCWSTR)

#undef XARN_NAMED_ARRAY

// Pointer arrays hold pointers that do not survive a process, so they are not serialised.
template <class TYPE> class CPointerArrayBase : public CArray<TYPE, TYPE> {
public:
    void Serialize(CArchive&) override { AfxThrowArchiveException(CArchiveException::badClass); }
};

class CPtrArray : public CPointerArrayBase<void*> {
    DECLARE_DYNAMIC_INLINE(CPtrArray, CObject)
};

class CObArray : public CPointerArrayBase<CObject*> {
    DECLARE_DYNAMIC_INLINE(CObArray, CObject)
};

// A CPtrArray or CObArray whose elements are pointers of one type.
template <class BASE_CLASS, class TYPE> class CTypedPtrArray : public BASE_CLASS {
    using Base = BASE_CLASS;

public:
    TYPE GetAt(INT_PTR nIndex) const { return static_cast<TYPE>(Base::GetAt(nIndex)); }
    TYPE& ElementAt(INT_PTR nIndex) { return reinterpret_cast<TYPE&>(Base::ElementAt(nIndex)); }
    TYPE operator[](INT_PTR nIndex) const { return GetAt(nIndex); }
    TYPE& operator[](INT_PTR nIndex) { return ElementAt(nIndex); }
    TYPE* GetData() { return reinterpret_cast<TYPE*>(Base::GetData()); }
    const TYPE* GetData() const { return reinterpret_cast<const TYPE*>(Base::GetData()); }
    void SetAt(INT_PTR nIndex, TYPE ptr) { Base::SetAt(nIndex, ptr); }
    void SetAtGrow(INT_PTR nIndex, TYPE ptr) { Base::SetAtGrow(nIndex, ptr); }
    INT_PTR Add(TYPE ptr) { return Base::Add(ptr); }
    void InsertAt(INT_PTR nIndex, TYPE ptr, INT_PTR nCount = 1) {
        Base::InsertAt(nIndex, ptr, nCount);
    }
};
