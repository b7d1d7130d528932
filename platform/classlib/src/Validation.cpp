#include "classlib/Validation.h"

namespace {

bool Allows(DWORD protect, bool write) {
    if (protect & (PAGE_GUARD | PAGE_NOACCESS))
        return false;
    constexpr DWORD kWritable =
        PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    constexpr DWORD kReadable = kWritable | PAGE_READONLY | PAGE_EXECUTE_READ;
    return (protect & (write ? kWritable : kReadable)) != 0;
}

// The end of the accessible region that holds p, or p itself when p is not accessible.
const BYTE* AccessibleEnd(const BYTE* p, bool write) {
    MEMORY_BASIC_INFORMATION info;
    if (VirtualQuery(p, &info, sizeof(info)) != sizeof(info) || info.State != MEM_COMMIT ||
        !Allows(info.Protect, write))
        return p;
    return static_cast<const BYTE*>(info.BaseAddress) + info.RegionSize;
}

} // namespace

BOOL AfxIsValidAddress(const void* p, UINT_PTR nBytes, BOOL bReadWrite) {
    if (!p)
        return FALSE;
    const BYTE* pos = static_cast<const BYTE*>(p);
    const UINT_PTR start = reinterpret_cast<UINT_PTR>(pos);
    if (nBytes > static_cast<UINT_PTR>(-1) - start)
        return FALSE;
    const BYTE* end = pos + nBytes;
    while (pos < end) {
        const BYTE* regionEnd = AccessibleEnd(pos, bReadWrite != FALSE);
        if (regionEnd == pos)
            return FALSE;
        pos = regionEnd;
    }
    return TRUE;
}

BOOL AfxIsValidString(LPCWSTR psz, int nLength) {
    if (!psz)
        return FALSE;
    if (nLength >= 0)
        return AfxIsValidAddress(psz, static_cast<UINT_PTR>(nLength) * sizeof(wchar_t), FALSE);
    // Extend the readable span region by region until the terminator.
    const BYTE* readableEnd = reinterpret_cast<const BYTE*>(psz);
    for (const wchar_t* p = psz;; ++p) {
        const BYTE* charEnd = reinterpret_cast<const BYTE*>(p + 1);
        while (readableEnd < charEnd) {
            const BYTE* next = AccessibleEnd(readableEnd, false);
            if (next == readableEnd)
                return FALSE;
            readableEnd = next;
        }
        if (*p == 0)
            return TRUE;
    }
}
