// CArchive: the class library's binary serialisation over a CFile, with its byte images.
//
// Numbers are little-endian. Counts: a 16-bit value below 0xFFFF, else 0xFFFF and a 32-bit
// value (below 0xFFFFFFFF), else also 0xFFFFFFFF and a 64-bit value. Strings: 0xFF 0xFFFE
// (UTF-16 follows), the length in characters as a byte below 0xFF, else 0xFF and a 16-bit
// value below 0xFFFE, else 0xFF 0xFFFF and a 32-bit value, then the characters without a
// terminator. Strings without the 0xFFFE mark are 8-bit text in the thread's code page.
//
// Header-only: a read past the end throws CArchiveException::endOfFile in the caller's module.
#pragma once

#include <windows.h>

#include <cstring>
#include <vector>

#include "Exceptions.h"
#include "File.h"
#include "String.h"

class CArchive {
public:
    enum Mode { store = 0, load = 1, bNoFlushOnDelete = 2 };

    CArchive(CFile* pFile, UINT nMode, int nBufSize = 4096, void* lpBuf = nullptr)
        : m_pFile(pFile), m_nMode(nMode) {
        if (!pFile)
            AfxThrowInvalidArgException();
        const size_t size = nBufSize > 0 ? static_cast<size_t>(nBufSize) : 4096;
        if (lpBuf) {
            m_pBuffer = static_cast<BYTE*>(lpBuf);
        } else {
            m_ownBuffer.resize(size);
            m_pBuffer = m_ownBuffer.data();
        }
        m_nBufSize = size;
    }
    // An archive left open writes what it holds (failures are dropped: nothing may throw here).
    ~CArchive() {
        if (m_pFile && IsStoring() && !(m_nMode & bNoFlushOnDelete)) {
            try {
                Flush();
            } catch (CException* e) {
                e->Delete();
            }
        }
    }
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    BOOL IsLoading() const { return (m_nMode & load) != 0; }
    BOOL IsStoring() const { return (m_nMode & load) == 0; }
    CFile* GetFile() const { return m_pFile; }

    // Writes what is buffered (storing) or gives unread bytes back to the file (loading).
    void Flush() {
        if (IsStoring()) {
            if (m_nUsed != 0)
                m_pFile->Write(m_pBuffer, static_cast<UINT>(m_nUsed));
            m_nUsed = 0;
        } else if (m_nUsed != m_nNext) {
            m_pFile->Seek(-static_cast<LONGLONG>(m_nUsed - m_nNext), CFile::current);
            m_nUsed = m_nNext = 0;
        }
    }
    void Close() {
        Flush();
        m_pFile = nullptr;
    }
    // Detaches from the file without writing what is buffered.
    void Abort() { m_pFile = nullptr; }

    // The number of bytes read: fewer than asked only at the end of the file.
    UINT Read(void* lpBuf, UINT nMax) {
        if (!IsLoading())
            AfxThrowArchiveException(CArchiveException::writeOnly);
        BYTE* pOut = static_cast<BYTE*>(lpBuf);
        UINT done = 0;
        while (done < nMax) {
            if (m_nNext == m_nUsed && !FillBuffer())
                break;
            size_t n = m_nUsed - m_nNext;
            if (n > nMax - done)
                n = nMax - done;
            memcpy(pOut + done, m_pBuffer + m_nNext, n);
            m_nNext += n;
            done += static_cast<UINT>(n);
        }
        return done;
    }
    void Write(const void* lpBuf, UINT nMax) {
        if (!IsStoring())
            AfxThrowArchiveException(CArchiveException::readOnly);
        const BYTE* pIn = static_cast<const BYTE*>(lpBuf);
        while (nMax != 0) {
            if (m_nUsed == m_nBufSize)
                Flush();
            size_t n = m_nBufSize - m_nUsed;
            if (n > nMax)
                n = nMax;
            memcpy(m_pBuffer + m_nUsed, pIn, n);
            m_nUsed += n;
            pIn += n;
            nMax -= static_cast<UINT>(n);
        }
    }

    void WriteCount(DWORD_PTR dwCount) {
        if (dwCount < 0xFFFF) {
            *this << static_cast<WORD>(dwCount);
            return;
        }
        *this << static_cast<WORD>(0xFFFF);
        if (static_cast<ULONGLONG>(dwCount) < 0xFFFFFFFFull) {
            *this << static_cast<DWORD>(dwCount);
            return;
        }
        *this << static_cast<DWORD>(0xFFFFFFFF) << static_cast<ULONGLONG>(dwCount);
    }
    DWORD_PTR ReadCount() {
        WORD wCount;
        *this >> wCount;
        if (wCount != 0xFFFF)
            return wCount;
        DWORD dwCount;
        *this >> dwCount;
        if (dwCount != 0xFFFFFFFF)
            return dwCount;
        ULONGLONG qwCount;
        *this >> qwCount;
        if (qwCount > static_cast<ULONGLONG>(static_cast<DWORD_PTR>(-1)))
            AfxThrowArchiveException(CArchiveException::badIndex);
        return static_cast<DWORD_PTR>(qwCount);
    }

    CArchive& operator<<(BYTE by) { return Put(by); }
    CArchive& operator<<(WORD w) { return Put(w); }
    CArchive& operator<<(short n) { return Put(n); }
    CArchive& operator<<(int n) { return Put(n); }
    CArchive& operator<<(UINT n) { return Put(n); }
    CArchive& operator<<(LONG l) { return Put(l); }
    CArchive& operator<<(DWORD dw) { return Put(dw); }
    CArchive& operator<<(LONGLONG n) { return Put(n); }
    CArchive& operator<<(ULONGLONG n) { return Put(n); }
    CArchive& operator<<(float f) { return Put(f); }
    CArchive& operator<<(double d) { return Put(d); }
    CArchive& operator<<(bool b) { return Put(static_cast<BYTE>(b ? 1 : 0)); }
    CArchive& operator<<(const CString& str) {
        *this << static_cast<BYTE>(0xFF) << static_cast<WORD>(0xFFFE);
        const DWORD nLength = static_cast<DWORD>(str.GetLength());
        if (nLength < 0xFF) {
            *this << static_cast<BYTE>(nLength);
        } else if (nLength < 0xFFFE) {
            *this << static_cast<BYTE>(0xFF) << static_cast<WORD>(nLength);
        } else {
            *this << static_cast<BYTE>(0xFF) << static_cast<WORD>(0xFFFF) << nLength;
        }
        Write(str.GetString(), nLength * static_cast<UINT>(sizeof(wchar_t)));
        return *this;
    }

    CArchive& operator>>(BYTE& by) { return Get(by); }
    CArchive& operator>>(WORD& w) { return Get(w); }
    CArchive& operator>>(short& n) { return Get(n); }
    CArchive& operator>>(int& n) { return Get(n); }
    CArchive& operator>>(UINT& n) { return Get(n); }
    CArchive& operator>>(LONG& l) { return Get(l); }
    CArchive& operator>>(DWORD& dw) { return Get(dw); }
    CArchive& operator>>(LONGLONG& n) { return Get(n); }
    CArchive& operator>>(ULONGLONG& n) { return Get(n); }
    CArchive& operator>>(float& f) { return Get(f); }
    CArchive& operator>>(double& d) { return Get(d); }
    CArchive& operator>>(bool& b) {
        BYTE by;
        Get(by);
        b = by != 0;
        return *this;
    }
    CArchive& operator>>(CString& str) {
        bool wide = false;
        const ULONGLONG nLength = ReadStringLength(wide);
        if (wide)
            ReadWideChars(str, nLength);
        else
            ReadNarrowChars(str, nLength);
        return *this;
    }

private:
    // Long strings are read a piece at a time, so a damaged length fails at the end of the
    // data instead of claiming memory for characters that are not there.
    static constexpr ULONGLONG kStringChunk = 0x10000;

    template <class T> CArchive& Put(T value) {
        Write(&value, sizeof(value));
        return *this;
    }
    template <class T> CArchive& Get(T& value) {
        ReadExactly(&value, sizeof(value));
        return *this;
    }
    void ReadExactly(void* lpBuf, UINT nCount) {
        if (Read(lpBuf, nCount) != nCount)
            AfxThrowArchiveException(CArchiveException::endOfFile);
    }
    bool FillBuffer() {
        m_nNext = 0;
        m_nUsed = m_pFile->Read(m_pBuffer, static_cast<UINT>(m_nBufSize));
        return m_nUsed != 0;
    }

    ULONGLONG ReadStringLength(bool& wide) {
        BYTE by;
        *this >> by;
        if (by < 0xFF)
            return by;
        WORD w;
        *this >> w;
        if (w == 0xFFFE) {
            wide = true;
            *this >> by;
            if (by < 0xFF)
                return by;
            *this >> w;
        }
        if (w < 0xFFFF)
            return w;
        DWORD dw;
        *this >> dw;
        if (dw < 0xFFFFFFFF)
            return dw;
        ULONGLONG qw;
        *this >> qw;
        return qw;
    }
    void ReadWideChars(CString& str, ULONGLONG nLength) {
        if (nLength > 0x7FFFFFFF)
            AfxThrowArchiveException(CArchiveException::badIndex);
        CString text;
        for (ULONGLONG done = 0; done < nLength;) {
            const int n =
                static_cast<int>(nLength - done < kStringChunk ? nLength - done : kStringChunk);
            LPWSTR p = text.GetBufferSetLength(static_cast<int>(done) + n);
            ReadExactly(p + done, static_cast<UINT>(n) * static_cast<UINT>(sizeof(wchar_t)));
            done += static_cast<ULONGLONG>(n);
        }
        str = static_cast<CString&&>(text);
    }
    void ReadNarrowChars(CString& str, ULONGLONG nLength) {
        if (nLength > 0x7FFFFFFF)
            AfxThrowArchiveException(CArchiveException::badIndex);
        std::vector<char> bytes;
        for (ULONGLONG done = 0; done < nLength;) {
            const size_t n =
                static_cast<size_t>(nLength - done < kStringChunk ? nLength - done : kStringChunk);
            bytes.resize(static_cast<size_t>(done) + n);
            ReadExactly(bytes.data() + done, static_cast<UINT>(n));
            done += n;
        }
        str = CString(bytes.data(), static_cast<int>(bytes.size()));
    }

    CFile* m_pFile;
    UINT m_nMode;
    std::vector<BYTE> m_ownBuffer;
    BYTE* m_pBuffer = nullptr;
    size_t m_nBufSize = 0;
    size_t m_nUsed = 0; // bytes in the buffer (storing: written so far; loading: filled)
    size_t m_nNext = 0; // loading: the next unread byte
};
