// CString: the wide, growable text value of the class library.
//
// One pointer to the characters, preceded by a small header (length, capacity). The empty
// string points at a shared empty block with capacity 0, so an empty CString allocates
// nothing and any module can destroy it. Text from 8-bit sources is widened with the
// thread's ANSI code page. Positions and counts are clamped rather than rejected (Find
// answers -1 when nothing is found); only GetAt/SetAt/operator[] check their index.
#pragma once

#include <windows.h>

#include <cstdarg>

#include "Export.h"

class XARN_CLASSLIB_API CString {
public:
    CString();
    CString(const CString& other);
    CString(CString&& other) noexcept;
    CString(LPCWSTR psz);
    CString(LPCWSTR pch, int nLength);
    CString(wchar_t ch, int nRepeat = 1);
    // 8-bit text in the thread's ANSI code page.
    CString(LPCSTR psz);
    CString(LPCSTR pch, int nLength);
    ~CString();

    CString& operator=(const CString& other);
    CString& operator=(CString&& other) noexcept;
    CString& operator=(LPCWSTR psz);
    CString& operator=(LPCSTR psz);
    CString& operator=(wchar_t ch);

    int GetLength() const { return Header()->nDataLength; }
    bool IsEmpty() const { return GetLength() == 0; }
    void Empty();
    LPCWSTR GetString() const { return m_pszData; }
    operator LPCWSTR() const { return m_pszData; }

    // Index checks throw CInvalidArgException (inline, so in the caller's module).
    inline wchar_t GetAt(int nIndex) const;
    inline void SetAt(int nIndex, wchar_t ch);
    wchar_t operator[](int nIndex) const { return GetAt(nIndex); }

    void SetString(LPCWSTR psz);
    void SetString(LPCWSTR pch, int nLength);
    void Append(LPCWSTR psz);
    void Append(LPCWSTR pch, int nLength);
    void Append(const CString& str) { Append(str.m_pszData, str.GetLength()); }
    void AppendChar(wchar_t ch) { Append(&ch, 1); }
    CString& operator+=(const CString& str) {
        Append(str);
        return *this;
    }
    CString& operator+=(LPCWSTR psz) {
        Append(psz);
        return *this;
    }
    CString& operator+=(wchar_t ch) {
        AppendChar(ch);
        return *this;
    }

    // Ordinal comparisons: <0, 0, >0. CompareNoCase folds case over all of Unicode.
    int Compare(LPCWSTR psz) const;
    int CompareNoCase(LPCWSTR psz) const;

    // Extraction; every position and count is clamped into the text.
    CString Mid(int nFirst) const;
    CString Mid(int nFirst, int nCount) const;
    CString Left(int nCount) const;
    CString Right(int nCount) const;

    // Search: the index of the first match at or after nStart, or -1.
    int Find(wchar_t ch, int nStart = 0) const;
    int Find(LPCWSTR pszSub, int nStart = 0) const;
    int ReverseFind(wchar_t ch) const;
    int FindOneOf(LPCWSTR pszCharSet) const;
    // The next token after iStart delimited by any of pszTokens; iStart becomes -1 at the end.
    CString Tokenize(LPCWSTR pszTokens, int& iStart) const;

    CString& MakeUpper();
    CString& MakeLower();
    CString& Trim();
    CString& Trim(wchar_t chTarget);
    CString& Trim(LPCWSTR pszTargets);
    CString& TrimLeft();
    CString& TrimLeft(wchar_t chTarget);
    CString& TrimLeft(LPCWSTR pszTargets);
    CString& TrimRight();
    CString& TrimRight(wchar_t chTarget);
    CString& TrimRight(LPCWSTR pszTargets);

    // Each returns the number of replacements, removals or the new length.
    int Replace(wchar_t chOld, wchar_t chNew);
    int Replace(LPCWSTR pszOld, LPCWSTR pszNew);
    int Remove(wchar_t chRemove);
    int Insert(int nIndex, wchar_t ch);
    int Insert(int nIndex, LPCWSTR psz);
    int Delete(int nIndex, int nCount = 1);

    // printf-style formatting with the platform's wide-format rules: %s and %c take wide
    // arguments, %hs/%S narrow ones, %I64d/%I64u 64-bit integers.
    void Format(LPCWSTR pszFormat, ...);
    void FormatV(LPCWSTR pszFormat, va_list args);
    void AppendFormat(LPCWSTR pszFormat, ...);
    void AppendFormatV(LPCWSTR pszFormat, va_list args);

    // A string-table entry of the given module; FALSE (and the text unchanged) when missing.
    BOOL LoadString(HINSTANCE hInstance, UINT nID);

    // Direct access: GetBuffer gives room for at least nMinBufLength characters plus the
    // terminator; ReleaseBuffer ends the text at nNewLength (-1: at the first zero).
    LPWSTR GetBuffer();
    LPWSTR GetBuffer(int nMinBufLength);
    LPWSTR GetBufferSetLength(int nLength);
    void ReleaseBuffer(int nNewLength = -1);
    void Preallocate(int nLength);
    void FreeExtra();

private:
    struct Data {
        int nDataLength;
        int nAllocLength; // 0: the shared empty block, never freed
    };

    const Data* Header() const { return reinterpret_cast<const Data*>(m_pszData) - 1; }
    Data* Header() { return reinterpret_cast<Data*>(m_pszData) - 1; }
    // Makes room for nLength characters (keeping the current ones) and sets the length.
    void SetLengthAndReserve(int nLength);
    void Release();

    LPWSTR m_pszData;
};

inline CString operator+(const CString& a, const CString& b) {
    CString r(a);
    r += b;
    return r;
}
inline CString operator+(const CString& a, LPCWSTR b) {
    CString r(a);
    r += b;
    return r;
}
inline CString operator+(LPCWSTR a, const CString& b) {
    CString r(a);
    r += b;
    return r;
}
inline CString operator+(const CString& a, wchar_t b) {
    CString r(a);
    r += b;
    return r;
}
inline CString operator+(wchar_t a, const CString& b) {
    CString r(a);
    r += b;
    return r;
}

inline bool operator==(const CString& a, const CString& b) {
    return a.GetLength() == b.GetLength() && a.Compare(b) == 0;
}
inline bool operator==(const CString& a, LPCWSTR b) {
    return a.Compare(b) == 0;
}
inline bool operator==(LPCWSTR a, const CString& b) {
    return b.Compare(a) == 0;
}
inline bool operator!=(const CString& a, const CString& b) {
    return !(a == b);
}
inline bool operator!=(const CString& a, LPCWSTR b) {
    return !(a == b);
}
inline bool operator!=(LPCWSTR a, const CString& b) {
    return !(a == b);
}
inline bool operator<(const CString& a, const CString& b) {
    return a.Compare(b) < 0;
}
inline bool operator>(const CString& a, const CString& b) {
    return a.Compare(b) > 0;
}
inline bool operator<=(const CString& a, const CString& b) {
    return a.Compare(b) <= 0;
}
inline bool operator>=(const CString& a, const CString& b) {
    return a.Compare(b) >= 0;
}

// The checked accessors are defined with the exceptions they throw.
#include "Exceptions.h"
