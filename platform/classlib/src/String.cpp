#include "classlib/String.h"

#include <cstdlib>
#include <cwchar>
#include <cwctype>
#include <cstdio>

namespace {

// Header and terminator of the empty string; capacity 0 marks it as shared. It is never
// written (every write needs a capacity), so it can live in read-only memory.
struct EmptyBlock {
    int nDataLength = 0;
    int nAllocLength = 0;
    wchar_t terminator = 0;
};
constexpr EmptyBlock g_empty;

LPWSTR EmptyData() {
    return const_cast<LPWSTR>(&g_empty.terminator);
}

int ClampedLength(LPCWSTR psz) {
    return psz ? static_cast<int>(wcslen(psz)) : 0;
}

bool IsIn(wchar_t ch, LPCWSTR pszSet) {
    return pszSet && wcschr(pszSet, ch) && ch != 0;
}

} // namespace

CString::CString() : m_pszData(EmptyData()) {}

CString::CString(const CString& other) : m_pszData(EmptyData()) {
    SetString(other.m_pszData, other.GetLength());
}

CString::CString(CString&& other) noexcept : m_pszData(other.m_pszData) {
    other.m_pszData = EmptyData();
}

CString::CString(LPCWSTR psz) : m_pszData(EmptyData()) {
    SetString(psz);
}

CString::CString(LPCWSTR pch, int nLength) : m_pszData(EmptyData()) {
    SetString(pch, nLength);
}

CString::CString(wchar_t ch, int nRepeat) : m_pszData(EmptyData()) {
    if (nRepeat > 0) {
        SetLengthAndReserve(nRepeat);
        wmemset(m_pszData, ch, nRepeat);
    }
}

CString::CString(LPCSTR psz) : m_pszData(EmptyData()) {
    if (psz)
        *this = CString(psz, static_cast<int>(strlen(psz)));
}

CString::CString(LPCSTR pch, int nLength) : m_pszData(EmptyData()) {
    if (!pch || nLength <= 0)
        return;
    const int nWide = MultiByteToWideChar(CP_THREAD_ACP, 0, pch, nLength, nullptr, 0);
    if (nWide <= 0)
        return;
    SetLengthAndReserve(nWide);
    MultiByteToWideChar(CP_THREAD_ACP, 0, pch, nLength, m_pszData, nWide);
}

CString::~CString() {
    Release();
}

CString& CString::operator=(const CString& other) {
    if (this != &other)
        SetString(other.m_pszData, other.GetLength());
    return *this;
}

CString& CString::operator=(CString&& other) noexcept {
    if (this != &other) {
        Release();
        m_pszData = other.m_pszData;
        other.m_pszData = EmptyData();
    }
    return *this;
}

CString& CString::operator=(LPCWSTR psz) {
    SetString(psz);
    return *this;
}

CString& CString::operator=(LPCSTR psz) {
    *this = CString(psz);
    return *this;
}

CString& CString::operator=(wchar_t ch) {
    SetString(&ch, 1);
    return *this;
}

void CString::Release() {
    if (Header()->nAllocLength != 0)
        free(Header());
    m_pszData = EmptyData();
}

void CString::Empty() {
    Release();
}

void CString::SetLengthAndReserve(int nLength) {
    if (nLength > Header()->nAllocLength) {
        // Grow by half again so repeated appends stay linear.
        const int nOld = Header()->nAllocLength;
        const int nAlloc = nLength > nOld + nOld / 2 ? nLength : nOld + nOld / 2;
        const size_t bytes = sizeof(Data) + (static_cast<size_t>(nAlloc) + 1) * sizeof(wchar_t);
        Data* pNew;
        if (nOld != 0) {
            pNew = static_cast<Data*>(realloc(Header(), bytes));
        } else {
            pNew = static_cast<Data*>(malloc(bytes));
            if (pNew)
                pNew->nDataLength = 0;
        }
        if (!pNew)
            abort(); // out of memory for a text: nothing sensible can go on
        pNew->nAllocLength = nAlloc;
        m_pszData = reinterpret_cast<LPWSTR>(pNew + 1);
        m_pszData[pNew->nDataLength] = 0;
    }
    if (Header()->nAllocLength != 0) {
        Header()->nDataLength = nLength;
        m_pszData[nLength] = 0;
    }
}

void CString::SetString(LPCWSTR psz) {
    SetString(psz, ClampedLength(psz));
}

void CString::SetString(LPCWSTR pch, int nLength) {
    if (!pch || nLength <= 0) {
        Empty();
        return;
    }
    // The source may lie inside this string's own buffer.
    if (pch >= m_pszData && pch <= m_pszData + GetLength()) {
        CString copy(pch, nLength);
        *this = static_cast<CString&&>(copy);
        return;
    }
    SetLengthAndReserve(nLength);
    wmemcpy(m_pszData, pch, nLength);
}

void CString::Append(LPCWSTR psz) {
    Append(psz, ClampedLength(psz));
}

void CString::Append(LPCWSTR pch, int nLength) {
    if (!pch || nLength <= 0)
        return;
    const int nOld = GetLength();
    if (pch >= m_pszData && pch <= m_pszData + nOld) {
        CString copy(pch, nLength);
        Append(copy.m_pszData, nLength);
        return;
    }
    SetLengthAndReserve(nOld + nLength);
    wmemcpy(m_pszData + nOld, pch, nLength);
}

int CString::Compare(LPCWSTR psz) const {
    return wcscmp(m_pszData, psz ? psz : L"");
}

int CString::CompareNoCase(LPCWSTR psz) const {
    const int result = CompareStringOrdinal(m_pszData, -1, psz ? psz : L"", -1, TRUE);
    return result - CSTR_EQUAL;
}

CString CString::Mid(int nFirst) const {
    return Mid(nFirst, GetLength());
}

CString CString::Mid(int nFirst, int nCount) const {
    const int nLength = GetLength();
    if (nFirst < 0)
        nFirst = 0;
    if (nCount < 0)
        nCount = 0;
    if (nFirst > nLength)
        nFirst = nLength;
    if (nCount > nLength - nFirst)
        nCount = nLength - nFirst;
    return CString(m_pszData + nFirst, nCount);
}

CString CString::Left(int nCount) const {
    return Mid(0, nCount);
}

CString CString::Right(int nCount) const {
    const int nLength = GetLength();
    if (nCount < 0)
        nCount = 0;
    if (nCount > nLength)
        nCount = nLength;
    return CString(m_pszData + nLength - nCount, nCount);
}

int CString::Find(wchar_t ch, int nStart) const {
    if (nStart < 0 || nStart >= GetLength() || ch == 0)
        return -1;
    const wchar_t* p = wcschr(m_pszData + nStart, ch);
    return p ? static_cast<int>(p - m_pszData) : -1;
}

int CString::Find(LPCWSTR pszSub, int nStart) const {
    if (!pszSub || nStart < 0 || nStart > GetLength())
        return -1;
    const wchar_t* p = wcsstr(m_pszData + nStart, pszSub);
    return p ? static_cast<int>(p - m_pszData) : -1;
}

int CString::ReverseFind(wchar_t ch) const {
    if (ch == 0)
        return -1;
    const wchar_t* p = wcsrchr(m_pszData, ch);
    return p ? static_cast<int>(p - m_pszData) : -1;
}

int CString::FindOneOf(LPCWSTR pszCharSet) const {
    if (!pszCharSet || !*pszCharSet)
        return -1;
    const size_t n = wcscspn(m_pszData, pszCharSet);
    return n < static_cast<size_t>(GetLength()) ? static_cast<int>(n) : -1;
}

CString CString::Tokenize(LPCWSTR pszTokens, int& iStart) const {
    const int nLength = GetLength();
    if (iStart < 0 || iStart >= nLength) {
        iStart = -1;
        return CString();
    }
    int first = iStart;
    while (first < nLength && IsIn(m_pszData[first], pszTokens))
        ++first;
    if (first == nLength) {
        iStart = -1;
        return CString();
    }
    int last = first;
    while (last < nLength && !IsIn(m_pszData[last], pszTokens))
        ++last;
    iStart = last + 1;
    return CString(m_pszData + first, last - first);
}

CString& CString::MakeUpper() {
    if (!IsEmpty())
        CharUpperBuffW(m_pszData, static_cast<DWORD>(GetLength()));
    return *this;
}

CString& CString::MakeLower() {
    if (!IsEmpty())
        CharLowerBuffW(m_pszData, static_cast<DWORD>(GetLength()));
    return *this;
}

CString& CString::Trim() {
    return TrimRight().TrimLeft();
}

CString& CString::Trim(wchar_t chTarget) {
    return TrimRight(chTarget).TrimLeft(chTarget);
}

CString& CString::Trim(LPCWSTR pszTargets) {
    return TrimRight(pszTargets).TrimLeft(pszTargets);
}

namespace {

template <typename Pred> int LeadingCount(LPCWSTR p, int n, Pred matches) {
    int i = 0;
    while (i < n && matches(p[i]))
        ++i;
    return i;
}

template <typename Pred> int TrailingCount(LPCWSTR p, int n, Pred matches) {
    int i = n;
    while (i > 0 && matches(p[i - 1]))
        --i;
    return n - i;
}

} // namespace

CString& CString::TrimLeft() {
    Delete(0, LeadingCount(m_pszData, GetLength(), [](wchar_t c) { return iswspace(c) != 0; }));
    return *this;
}

CString& CString::TrimLeft(wchar_t chTarget) {
    Delete(0, LeadingCount(m_pszData, GetLength(), [=](wchar_t c) { return c == chTarget; }));
    return *this;
}

CString& CString::TrimLeft(LPCWSTR pszTargets) {
    Delete(0, LeadingCount(m_pszData, GetLength(), [=](wchar_t c) { return IsIn(c, pszTargets); }));
    return *this;
}

CString& CString::TrimRight() {
    const int n = TrailingCount(m_pszData, GetLength(), [](wchar_t c) { return iswspace(c) != 0; });
    Delete(GetLength() - n, n);
    return *this;
}

CString& CString::TrimRight(wchar_t chTarget) {
    const int n = TrailingCount(m_pszData, GetLength(), [=](wchar_t c) { return c == chTarget; });
    Delete(GetLength() - n, n);
    return *this;
}

CString& CString::TrimRight(LPCWSTR pszTargets) {
    const int n =
        TrailingCount(m_pszData, GetLength(), [=](wchar_t c) { return IsIn(c, pszTargets); });
    Delete(GetLength() - n, n);
    return *this;
}

int CString::Replace(wchar_t chOld, wchar_t chNew) {
    int count = 0;
    if (chOld == chNew || chOld == 0)
        return 0;
    for (int i = 0; i < GetLength(); ++i) {
        if (m_pszData[i] == chOld) {
            m_pszData[i] = chNew;
            ++count;
        }
    }
    return count;
}

int CString::Replace(LPCWSTR pszOld, LPCWSTR pszNew) {
    const int nOld = ClampedLength(pszOld);
    if (nOld == 0)
        return 0;
    const int nNew = ClampedLength(pszNew);
    CString result;
    int count = 0;
    int pos = 0;
    for (int hit = Find(pszOld); hit >= 0; hit = Find(pszOld, pos)) {
        result.Append(m_pszData + pos, hit - pos);
        result.Append(pszNew, nNew);
        pos = hit + nOld;
        ++count;
    }
    if (count != 0) {
        result.Append(m_pszData + pos, GetLength() - pos);
        *this = static_cast<CString&&>(result);
    }
    return count;
}

int CString::Remove(wchar_t chRemove) {
    const int nLength = GetLength();
    int kept = 0;
    for (int i = 0; i < nLength; ++i) {
        if (m_pszData[i] != chRemove)
            m_pszData[kept++] = m_pszData[i];
    }
    if (kept != nLength)
        SetLengthAndReserve(kept);
    return nLength - kept;
}

int CString::Insert(int nIndex, wchar_t ch) {
    const wchar_t text[2] = {ch, 0};
    return Insert(nIndex, text);
}

int CString::Insert(int nIndex, LPCWSTR psz) {
    const int nLength = GetLength();
    if (nIndex < 0)
        nIndex = 0;
    if (nIndex > nLength)
        nIndex = nLength;
    const int nInsert = ClampedLength(psz);
    if (nInsert > 0) {
        CString text(psz, nInsert); // psz may point into this string
        SetLengthAndReserve(nLength + nInsert);
        wmemmove(m_pszData + nIndex + nInsert, m_pszData + nIndex, nLength - nIndex);
        wmemcpy(m_pszData + nIndex, text.m_pszData, nInsert);
    }
    return GetLength();
}

int CString::Delete(int nIndex, int nCount) {
    const int nLength = GetLength();
    if (nIndex < 0)
        nIndex = 0;
    if (nCount > nLength - nIndex)
        nCount = nLength - nIndex;
    if (nCount > 0) {
        wmemmove(m_pszData + nIndex, m_pszData + nIndex + nCount, nLength - nIndex - nCount);
        SetLengthAndReserve(nLength - nCount);
    }
    return GetLength();
}

void CString::Format(LPCWSTR pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    FormatV(pszFormat, args);
    va_end(args);
}

void CString::FormatV(LPCWSTR pszFormat, va_list args) {
    // Arguments may point into this string, so the text is built apart first.
    CString result;
    result.AppendFormatV(pszFormat, args);
    *this = static_cast<CString&&>(result);
}

void CString::AppendFormat(LPCWSTR pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    AppendFormatV(pszFormat, args);
    va_end(args);
}

void CString::AppendFormatV(LPCWSTR pszFormat, va_list args) {
    if (!pszFormat)
        return;
    // The runtime's own _vscwprintf/_vsnwprintf, not mingw's replacements: they follow the
    // platform's wide-format rules (%s wide, %I64u).
    va_list measure;
    va_copy(measure, args);
    const int nAdd = _vscwprintf(pszFormat, measure);
    va_end(measure);
    if (nAdd <= 0)
        return;
    CString piece; // built apart: arguments may point into this string
    piece.SetLengthAndReserve(nAdd);
    _vsnwprintf(piece.m_pszData, static_cast<size_t>(nAdd) + 1, pszFormat, args);
    piece.m_pszData[nAdd] = 0;
    Append(piece);
}

BOOL CString::LoadString(HINSTANCE hInstance, UINT nID) {
    // With a zero buffer size the call answers a read-only pointer to the resource text.
    const wchar_t* pText = nullptr;
    const int nLength = ::LoadStringW(hInstance, nID, reinterpret_cast<LPWSTR>(&pText), 0);
    if (nLength <= 0 || !pText)
        return FALSE;
    SetString(pText, nLength);
    return TRUE;
}

LPWSTR CString::GetBuffer() {
    return GetBuffer(0);
}

LPWSTR CString::GetBuffer(int nMinBufLength) {
    const int nLength = GetLength();
    if (nMinBufLength < nLength)
        nMinBufLength = nLength;
    Preallocate(nMinBufLength < 1 ? 1 : nMinBufLength);
    return m_pszData;
}

LPWSTR CString::GetBufferSetLength(int nLength) {
    if (nLength < 0)
        nLength = 0;
    GetBuffer(nLength);
    SetLengthAndReserve(nLength);
    return m_pszData;
}

void CString::ReleaseBuffer(int nNewLength) {
    if (Header()->nAllocLength == 0)
        return;
    if (nNewLength < 0 || nNewLength > Header()->nAllocLength)
        nNewLength = static_cast<int>(wcsnlen(m_pszData, Header()->nAllocLength));
    SetLengthAndReserve(nNewLength);
}

void CString::Preallocate(int nLength) {
    const int nOld = GetLength();
    if (nLength > Header()->nAllocLength) {
        SetLengthAndReserve(nLength);
        SetLengthAndReserve(nOld);
    }
}

void CString::FreeExtra() {
    if (Header()->nAllocLength > GetLength())
        *this = CString(*this);
}
