// CStdioFile: a CFile read and written through a C runtime stream (m_pStream), line by line.
//
// Text mode goes through the runtime's text conversion (CR LF to LF, wide characters to the
// locale's 8-bit code); binary mode reads and writes UTF-16 units as they are.
// Header-only: stream errors throw CFileException in the caller's module.
#pragma once

#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <io.h>

#include "File.h"

class CStdioFile : public CFile {
    DECLARE_DYNAMIC_INLINE(CStdioFile, CFile)
public:
    CStdioFile() = default;
    explicit CStdioFile(FILE* pOpenStream) : m_pStream(pOpenStream) {
        if (!pOpenStream)
            AfxThrowInvalidArgException();
        m_hFile = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(pOpenStream)));
    }
    // Opens the file or throws CFileException.
    CStdioFile(LPCWSTR lpszFileName, UINT nOpenFlags) {
        CFileException error;
        if (!Open(lpszFileName, nOpenFlags, &error))
            AfxThrowFileException(error.m_cause, error.m_lOsError, error.m_strFileName);
    }
    ~CStdioFile() override {
        if (m_pStream && m_bCloseOnDelete)
            Abort();
    }

    // The file is opened as CFile::Open does (sharing, creation), then wrapped in a stream:
    // create gives "w" ("a" with no-truncate), write alone "a", read "r"; read-write adds "+".
    BOOL Open(LPCWSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr) override {
        Abort();
        if (!CFile::Open(lpszFileName, nOpenFlags & ~(typeText | typeBinary), pError))
            return FALSE;
        wchar_t mode[4] = {};
        int osFlags = 0;
        int n = 0;
        if (nOpenFlags & modeCreate) {
            mode[n++] = (nOpenFlags & modeNoTruncate) ? L'a' : L'w';
            osFlags |= (nOpenFlags & modeNoTruncate) ? _O_APPEND : 0;
        } else if (nOpenFlags & modeWrite) {
            mode[n++] = L'a';
            osFlags |= _O_APPEND;
        } else {
            mode[n++] = L'r';
            osFlags |= (nOpenFlags & modeReadWrite) ? 0 : _O_RDONLY;
        }
        if (nOpenFlags & modeReadWrite)
            mode[n++] = L'+';
        const bool binary = (nOpenFlags & typeBinary) != 0;
        mode[n++] = binary ? L'b' : L't';
        osFlags |= binary ? _O_BINARY : _O_TEXT;

        const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(m_hFile), osFlags);
        if (fd == -1) {
            CFile::Abort();
            return FailOpen(pError, lpszFileName);
        }
        m_pStream = _wfdopen(fd, mode);
        if (!m_pStream) {
            _close(fd); // closes the handle too
            m_hFile = hFileNull;
            CFile::Abort();
            return FailOpen(pError, lpszFileName);
        }
        return TRUE;
    }

    // One line without its line feed; FALSE at the end of the file.
    virtual BOOL ReadString(CString& rString) {
        CheckStream();
        rString.Empty();
        wchar_t chunk[128];
        bool readAny = false;
        while (fgetws(chunk, 128, m_pStream)) {
            readAny = true;
            rString += chunk;
            if (!rString.IsEmpty() && rString[rString.GetLength() - 1] == L'\n') {
                rString.Delete(rString.GetLength() - 1);
                break;
            }
        }
        if (ferror(m_pStream))
            ThrowStreamError();
        return readAny;
    }
    // Up to nMax - 1 characters of one line, keeping its line feed; null at the end.
    virtual LPWSTR ReadString(LPWSTR lpsz, UINT nMax) {
        CheckStream();
        if (!lpsz || nMax == 0)
            AfxThrowInvalidArgException();
        LPWSTR result = fgetws(lpsz, static_cast<int>(nMax), m_pStream);
        if (!result && ferror(m_pStream))
            ThrowStreamError();
        return result;
    }
    virtual void WriteString(LPCWSTR lpsz) {
        CheckStream();
        if (!lpsz)
            AfxThrowInvalidArgException();
        if (fputws(lpsz, m_pStream) == WEOF)
            ThrowStreamError();
    }

    UINT Read(void* lpBuf, UINT nCount) override {
        CheckStream();
        const size_t n = fread(lpBuf, 1, nCount, m_pStream);
        if (n < nCount && ferror(m_pStream))
            ThrowStreamError();
        return static_cast<UINT>(n);
    }
    void Write(const void* lpBuf, UINT nCount) override {
        CheckStream();
        if (fwrite(lpBuf, 1, nCount, m_pStream) != nCount)
            ThrowStreamError();
    }
    ULONGLONG Seek(LONGLONG lOff, UINT nFrom) override {
        CheckStream();
        static constexpr int kOrigin[] = {SEEK_SET, SEEK_CUR, SEEK_END};
        if (nFrom > end || _fseeki64(m_pStream, lOff, kOrigin[nFrom]) != 0)
            AfxThrowFileException(CFileException::badSeek, errno, m_strFileName);
        return GetPosition();
    }
    ULONGLONG GetPosition() const override {
        CheckStream();
        const __int64 position = _ftelli64(m_pStream);
        if (position < 0)
            ThrowStreamError();
        return static_cast<ULONGLONG>(position);
    }
    ULONGLONG GetLength() const override {
        CheckStream();
        fflush(m_pStream);
        return CFile::GetLength();
    }
    void SetLength(ULONGLONG dwNewLen) override {
        Flush();
        CFile::SetLength(dwNewLen);
        Seek(0, current); // the stream drops what it had buffered
    }
    void Flush() override {
        if (m_pStream && fflush(m_pStream) != 0)
            ThrowStreamError();
    }
    void Close() override {
        const bool failed = m_pStream && fclose(m_pStream) != 0;
        const int error = errno;
        m_pStream = nullptr;
        m_hFile = hFileNull; // closed with the stream
        CFile::Close();
        if (failed)
            AfxThrowFileException(CFileException::genericException, error);
    }
    void Abort() override {
        if (m_pStream)
            fclose(m_pStream);
        m_pStream = nullptr;
        m_hFile = hFileNull;
        CFile::Abort();
    }

    FILE* m_pStream = nullptr;

private:
    void CheckStream() const {
        if (!m_pStream)
            AfxThrowFileException(CFileException::invalidFile, ERROR_INVALID_HANDLE, m_strFileName);
    }
    [[noreturn]] void ThrowStreamError() const {
        const int error = errno;
        clearerr(m_pStream);
        AfxThrowFileException(CFileException::genericException, error, m_strFileName);
    }
    static BOOL FailOpen(CFileException* pError, LPCWSTR lpszFileName) {
        if (pError) {
            pError->m_cause = CFileException::tooManyOpenFiles;
            pError->m_lOsError = errno;
            pError->m_strFileName = lpszFileName;
        }
        return FALSE;
    }
};
