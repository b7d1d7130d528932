// CFile (a Windows file handle) and CMemFile (a file in memory).
//
// Header-only: reads, writes and seeks throw CFileException on failure, in the caller's module.
#pragma once

#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "Exceptions.h"
#include "Object.h"
#include "String.h"
#include "Time.h"

// What CFile::GetStatus reports of a file: times in local time (0 when not recorded),
// size, attribute bits (FILE_ATTRIBUTE_*, low byte) and the full path.
struct CFileStatus {
    CTime m_ctime;
    CTime m_mtime;
    CTime m_atime;
    ULONGLONG m_size = 0;
    BYTE m_attribute = 0;
    wchar_t m_szFullName[MAX_PATH] = {};
};

class CFile : public CObject {
    DECLARE_DYNAMIC_INLINE(CFile, CObject)
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000,
        osNoBuffer = 0x10000,
        osWriteThrough = 0x20000,
        osRandomAccess = 0x40000,
        osSequentialScan = 0x80000,
    };
    enum SeekPosition : UINT { begin = 0, current = 1, end = 2 };

    static inline const HANDLE hFileNull = INVALID_HANDLE_VALUE;

    CFile() = default;
    explicit CFile(HANDLE hFile) : m_hFile(hFile) {}
    // Opens the file or throws CFileException.
    CFile(LPCWSTR lpszFileName, UINT nOpenFlags) {
        CFileException error;
        if (!Open(lpszFileName, nOpenFlags, &error))
            AfxThrowFileException(error.m_cause, error.m_lOsError, error.m_strFileName);
    }
    ~CFile() override {
        if (m_hFile != hFileNull && m_bCloseOnDelete)
            Abort();
    }

    operator HANDLE() const { return m_hFile; }

    // FALSE when the file cannot be opened; the reason goes into *pError when given.
    virtual BOOL Open(LPCWSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr) {
        if (!lpszFileName)
            AfxThrowInvalidArgException();
        Abort();
        static constexpr DWORD kAccess[] = {GENERIC_READ, GENERIC_WRITE,
                                            GENERIC_READ | GENERIC_WRITE, GENERIC_READ};
        static constexpr DWORD kShare[] = {
            0, 0, FILE_SHARE_READ, FILE_SHARE_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, 0, 0, 0};
        DWORD creation = OPEN_EXISTING;
        if (nOpenFlags & modeCreate)
            creation = (nOpenFlags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;
        DWORD flags = FILE_ATTRIBUTE_NORMAL;
        if (nOpenFlags & osNoBuffer)
            flags |= FILE_FLAG_NO_BUFFERING;
        if (nOpenFlags & osWriteThrough)
            flags |= FILE_FLAG_WRITE_THROUGH;
        if (nOpenFlags & osRandomAccess)
            flags |= FILE_FLAG_RANDOM_ACCESS;
        if (nOpenFlags & osSequentialScan)
            flags |= FILE_FLAG_SEQUENTIAL_SCAN;
        SECURITY_ATTRIBUTES security = {sizeof(security), nullptr,
                                        (nOpenFlags & modeNoInherit) ? FALSE : TRUE};
        const HANDLE hFile =
            CreateFileW(lpszFileName, kAccess[nOpenFlags & 3], kShare[(nOpenFlags >> 4) & 7],
                        &security, creation, flags, nullptr);
        if (hFile == INVALID_HANDLE_VALUE) {
            if (pError) {
                const LONG osError = static_cast<LONG>(GetLastError());
                pError->m_lOsError = osError;
                pError->m_cause = CFileException::OsErrorToException(osError);
                pError->m_strFileName = lpszFileName;
            }
            return FALSE;
        }
        m_hFile = hFile;
        m_bCloseOnDelete = TRUE;
        SetFilePath(lpszFileName);
        return TRUE;
    }

    // The number of bytes read; 0 at the end of the file.
    virtual UINT Read(void* lpBuf, UINT nCount) {
        if (nCount == 0)
            return 0;
        DWORD done = 0;
        if (!ReadFile(m_hFile, lpBuf, nCount, &done, nullptr))
            ThrowLastError();
        return done;
    }
    virtual void Write(const void* lpBuf, UINT nCount) {
        if (nCount == 0)
            return;
        DWORD done = 0;
        if (!WriteFile(m_hFile, lpBuf, nCount, &done, nullptr))
            ThrowLastError();
        if (done != nCount)
            AfxThrowFileException(CFileException::diskFull, ERROR_DISK_FULL, m_strFileName);
    }
    virtual ULONGLONG Seek(LONGLONG lOff, UINT nFrom) {
        LARGE_INTEGER distance, position;
        distance.QuadPart = lOff;
        if (nFrom > end || !SetFilePointerEx(m_hFile, distance, &position, nFrom))
            ThrowLastError();
        return static_cast<ULONGLONG>(position.QuadPart);
    }
    void SeekToBegin() { Seek(0, begin); }
    ULONGLONG SeekToEnd() { return Seek(0, end); }
    virtual ULONGLONG GetPosition() const {
        LARGE_INTEGER distance = {}, position;
        if (!SetFilePointerEx(m_hFile, distance, &position, FILE_CURRENT))
            ThrowLastError();
        return static_cast<ULONGLONG>(position.QuadPart);
    }
    virtual ULONGLONG GetLength() const {
        LARGE_INTEGER size;
        if (!GetFileSizeEx(m_hFile, &size))
            ThrowLastError();
        return static_cast<ULONGLONG>(size.QuadPart);
    }
    virtual void SetLength(ULONGLONG dwNewLen) {
        Seek(static_cast<LONGLONG>(dwNewLen), begin);
        if (!SetEndOfFile(m_hFile))
            ThrowLastError();
    }
    virtual void Flush() {
        if (m_hFile != hFileNull && !FlushFileBuffers(m_hFile))
            ThrowLastError();
    }
    // Closes the file; a failing close throws.
    virtual void Close() {
        const bool failed = m_hFile != hFileNull && !CloseHandle(m_hFile);
        const LONG osError = failed ? static_cast<LONG>(GetLastError()) : 0;
        m_hFile = hFileNull;
        m_bCloseOnDelete = FALSE;
        m_strFileName.Empty();
        if (failed)
            CFileException::ThrowOsError(osError);
    }
    // Closes the file and ignores any failure.
    virtual void Abort() {
        if (m_hFile != hFileNull)
            CloseHandle(m_hFile);
        m_hFile = hFileNull;
        m_bCloseOnDelete = FALSE;
        m_strFileName.Empty();
    }

    virtual CString GetFilePath() const { return m_strFileName; }
    virtual CString GetFileName() const { return m_strFileName.Mid(LastSeparator() + 1); }
    virtual void SetFilePath(LPCWSTR lpszNewName) {
        if (!lpszNewName)
            AfxThrowInvalidArgException();
        m_strFileName = lpszNewName;
    }

    // The status of the open file; FALSE when Windows cannot tell it. A time that cannot be
    // converted to local time throws CInvalidArgException.
    BOOL GetStatus(CFileStatus& rStatus) const {
        BY_HANDLE_FILE_INFORMATION info;
        if (m_hFile == hFileNull || !GetFileInformationByHandle(m_hFile, &info))
            return FALSE;
        FillStatus(rStatus, info.dwFileAttributes, info.ftCreationTime, info.ftLastAccessTime,
                   info.ftLastWriteTime, info.nFileSizeHigh, info.nFileSizeLow);
        lstrcpynW(rStatus.m_szFullName, m_strFileName, MAX_PATH);
        return TRUE;
    }
    // The status of a file or folder by name; FALSE when it does not exist or the name is bad.
    static BOOL GetStatus(LPCWSTR lpszFileName, CFileStatus& rStatus) {
        if (!lpszFileName || !*lpszFileName)
            return FALSE;
        WIN32_FILE_ATTRIBUTE_DATA data;
        wchar_t fullName[MAX_PATH];
        const DWORD n = GetFullPathNameW(lpszFileName, MAX_PATH, fullName, nullptr);
        if (n == 0 || n >= MAX_PATH ||
            !GetFileAttributesExW(lpszFileName, GetFileExInfoStandard, &data))
            return FALSE;
        FillStatus(rStatus, data.dwFileAttributes, data.ftCreationTime, data.ftLastAccessTime,
                   data.ftLastWriteTime, data.nFileSizeHigh, data.nFileSizeLow);
        lstrcpynW(rStatus.m_szFullName, fullName, MAX_PATH);
        return TRUE;
    }

    static void Remove(LPCWSTR lpszFileName) {
        if (!DeleteFileW(lpszFileName))
            CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), lpszFileName);
    }
    static void Rename(LPCWSTR lpszOldName, LPCWSTR lpszNewName) {
        if (!MoveFileW(lpszOldName, lpszNewName))
            CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), lpszOldName);
    }

    HANDLE m_hFile = hFileNull;

protected:
    [[noreturn]] void ThrowLastError() const {
        CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), m_strFileName);
    }

    BOOL m_bCloseOnDelete = FALSE;
    CString m_strFileName;

private:
    static CTime TimeOrZero(const FILETIME& ft) {
        return ft.dwLowDateTime == 0 && ft.dwHighDateTime == 0 ? CTime() : CTime(ft);
    }
    static void FillStatus(CFileStatus& rStatus, DWORD attributes, const FILETIME& created,
                           const FILETIME& accessed, const FILETIME& written, DWORD sizeHigh,
                           DWORD sizeLow) {
        rStatus.m_ctime = TimeOrZero(created);
        rStatus.m_atime = TimeOrZero(accessed);
        rStatus.m_mtime = TimeOrZero(written);
        rStatus.m_size = (static_cast<ULONGLONG>(sizeHigh) << 32) | sizeLow;
        rStatus.m_attribute = static_cast<BYTE>(attributes);
    }
    int LastSeparator() const {
        const int back = m_strFileName.ReverseFind(L'\\');
        const int forward = m_strFileName.ReverseFind(L'/');
        return back > forward ? back : forward;
    }
};

// A file in a heap block. A block handed in with a grow step is taken over (it must come from
// malloc: it is grown with realloc and freed on Close) and counts as empty; without a grow
// step it is a fixed file of exactly that size that is never freed.
class CMemFile : public CFile {
    DECLARE_DYNAMIC_INLINE(CMemFile, CFile)
public:
    explicit CMemFile(UINT nGrowBytes = 1024) : m_nGrowBytes(nGrowBytes) {}
    CMemFile(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes = 0) {
        Attach(lpBuffer, nBufferSize, nGrowBytes);
    }
    ~CMemFile() override { FreeBuffer(); }

    void Attach(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes = 0) {
        FreeBuffer();
        m_lpBuffer = lpBuffer;
        m_nBufferSize = lpBuffer ? nBufferSize : 0;
        m_nFileSize = nGrowBytes == 0 ? m_nBufferSize : 0;
        m_nPosition = 0;
        m_nGrowBytes = nGrowBytes;
        m_bAutoDelete = nGrowBytes != 0;
    }
    // Hands the block to the caller (who frees it with free()) and leaves the file empty.
    BYTE* Detach() {
        BYTE* lpBuffer = m_lpBuffer;
        m_lpBuffer = nullptr;
        m_nBufferSize = m_nFileSize = m_nPosition = 0;
        return lpBuffer;
    }

    UINT Read(void* lpBuf, UINT nCount) override {
        if (m_nPosition >= m_nFileSize || nCount == 0)
            return 0;
        const SIZE_T available = m_nFileSize - m_nPosition;
        const UINT n = nCount < available ? nCount : static_cast<UINT>(available);
        memcpy(lpBuf, m_lpBuffer + m_nPosition, n);
        m_nPosition += n;
        return n;
    }
    void Write(const void* lpBuf, UINT nCount) override {
        if (nCount == 0)
            return;
        const SIZE_T newEnd = m_nPosition + nCount;
        if (newEnd < m_nPosition)
            AfxThrowFileException(CFileException::diskFull);
        if (newEnd > m_nBufferSize)
            GrowBuffer(newEnd);
        if (m_nPosition > m_nFileSize) // a write after a seek past the end leaves zeros between
            memset(m_lpBuffer + m_nFileSize, 0, m_nPosition - m_nFileSize);
        memcpy(m_lpBuffer + m_nPosition, lpBuf, nCount);
        m_nPosition = newEnd;
        if (m_nPosition > m_nFileSize)
            m_nFileSize = m_nPosition;
    }
    ULONGLONG Seek(LONGLONG lOff, UINT nFrom) override {
        LONGLONG base = 0;
        if (nFrom == current)
            base = static_cast<LONGLONG>(m_nPosition);
        else if (nFrom == end)
            base = static_cast<LONGLONG>(m_nFileSize);
        else if (nFrom != begin)
            AfxThrowFileException(CFileException::badSeek);
        const LONGLONG target = base + lOff;
        if (target < 0 || static_cast<ULONGLONG>(target) > static_cast<SIZE_T>(-1))
            AfxThrowFileException(CFileException::badSeek);
        m_nPosition = static_cast<SIZE_T>(target);
        return static_cast<ULONGLONG>(target);
    }
    ULONGLONG GetPosition() const override { return m_nPosition; }
    ULONGLONG GetLength() const override { return m_nFileSize; }
    void SetLength(ULONGLONG dwNewLen) override {
        if (dwNewLen > static_cast<SIZE_T>(-1))
            AfxThrowFileException(CFileException::diskFull);
        const SIZE_T newLen = static_cast<SIZE_T>(dwNewLen);
        if (newLen > m_nBufferSize)
            GrowBuffer(newLen);
        if (newLen > m_nFileSize)
            memset(m_lpBuffer + m_nFileSize, 0, newLen - m_nFileSize);
        m_nFileSize = newLen;
        if (m_nPosition > newLen)
            m_nPosition = newLen;
    }
    void Flush() override {}
    void Close() override { FreeBuffer(); }
    void Abort() override { FreeBuffer(); }

private:
    void GrowBuffer(SIZE_T nNeeded) {
        if (m_nGrowBytes == 0)
            AfxThrowFileException(CFileException::diskFull);
        // Whole grow steps, and at least half again the old size so long writes stay linear.
        SIZE_T size = (nNeeded + m_nGrowBytes - 1) / m_nGrowBytes * m_nGrowBytes;
        const SIZE_T half = m_nBufferSize + m_nBufferSize / 2;
        if (size < half)
            size = half;
        BYTE* lpNew = static_cast<BYTE*>(realloc(m_lpBuffer, size));
        if (!lpNew)
            AfxThrowFileException(CFileException::diskFull, ERROR_NOT_ENOUGH_MEMORY);
        m_lpBuffer = lpNew;
        m_nBufferSize = size;
        m_bAutoDelete = TRUE;
    }
    void FreeBuffer() {
        if (m_lpBuffer && m_bAutoDelete)
            free(m_lpBuffer);
        m_lpBuffer = nullptr;
        m_nBufferSize = m_nFileSize = m_nPosition = 0;
    }

    UINT m_nGrowBytes = 1024;
    SIZE_T m_nPosition = 0;
    SIZE_T m_nBufferSize = 0;
    SIZE_T m_nFileSize = 0;
    BYTE* m_lpBuffer = nullptr;
    BOOL m_bAutoDelete = TRUE;
};
