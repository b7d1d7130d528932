// The class library's exceptions. They are thrown as heap pointers (throw new ...), caught as
// pointers and released with Delete().
//
// Everything here is inline on purpose: an exception must be thrown in the module that
// catches it (on i686 each module has its own unwinder), so the throwing helpers compile
// into the caller's module.
#pragma once

#include "Object.h"
#include "String.h"

class CException : public CObject {
    DECLARE_DYNAMIC_INLINE(CException, CObject)
public:
    // Releases a heap exception; one built on the stack (auto delete off) is left alone.
    void Delete() {
        if (m_bAutoDelete)
            delete this;
    }

protected:
    explicit CException(BOOL bAutoDelete = TRUE) : m_bAutoDelete(bAutoDelete) {}

public:
    BOOL m_bAutoDelete;
};

class CInvalidArgException : public CException {
    DECLARE_DYNAMIC_INLINE(CInvalidArgException, CException)
public:
    explicit CInvalidArgException(BOOL bAutoDelete = TRUE) : CException(bAutoDelete) {}
};

class CResourceException : public CException {
    DECLARE_DYNAMIC_INLINE(CResourceException, CException)
public:
    explicit CResourceException(BOOL bAutoDelete = TRUE) : CException(bAutoDelete) {}
};

class CFileException : public CException {
    DECLARE_DYNAMIC_INLINE(CFileException, CException)
public:
    enum {
        none,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile,
    };

    explicit CFileException(int cause = none, LONG lOsError = -1, LPCWSTR lpszFileName = nullptr)
        : m_cause(cause), m_lOsError(lOsError), m_strFileName(lpszFileName) {}

    [[noreturn]] static void ThrowOsError(LONG lOsError, LPCWSTR lpszFileName = nullptr) {
        throw new CFileException(OsErrorToException(lOsError), lOsError, lpszFileName);
    }

    // The cause for a Windows error code.
    static int OsErrorToException(LONG lOsError) {
        switch (lOsError) {
        case NO_ERROR:
            return none;
        case ERROR_FILE_NOT_FOUND:
            return fileNotFound;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_PATHNAME:
        case ERROR_INVALID_NAME:
        case ERROR_FILENAME_EXCED_RANGE:
            return badPath;
        case ERROR_TOO_MANY_OPEN_FILES:
            return tooManyOpenFiles;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return accessDenied;
        case ERROR_INVALID_HANDLE:
            return invalidFile;
        case ERROR_CURRENT_DIRECTORY:
            return removeCurrentDir;
        case ERROR_CANNOT_MAKE:
            return directoryFull;
        case ERROR_SEEK:
        case ERROR_NEGATIVE_SEEK:
            return badSeek;
        case ERROR_SHARING_VIOLATION:
            return sharingViolation;
        case ERROR_LOCK_VIOLATION:
            return lockViolation;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return diskFull;
        case ERROR_HANDLE_EOF:
            return endOfFile;
        case ERROR_CRC:
        case ERROR_READ_FAULT:
        case ERROR_WRITE_FAULT:
        case ERROR_GEN_FAILURE:
            return hardIO;
        default:
            return genericException;
        }
    }

    int m_cause;
    LONG m_lOsError;
    CString m_strFileName;
};

class CArchiveException : public CException {
    DECLARE_DYNAMIC_INLINE(CArchiveException, CException)
public:
    enum {
        none,
        genericException,
        readOnly,
        endOfFile,
        writeOnly,
        badIndex,
        badClass,
        badSchema,
        bufferFull,
    };

    explicit CArchiveException(int cause = none, LPCWSTR lpszArchiveName = nullptr)
        : m_cause(cause), m_strFileName(lpszArchiveName) {}

    int m_cause;
    CString m_strFileName;
};

[[noreturn]] inline void AfxThrowInvalidArgException() {
    throw new CInvalidArgException;
}

[[noreturn]] inline void AfxThrowResourceException() {
    throw new CResourceException;
}

[[noreturn]] inline void AfxThrowFileException(int cause, LONG lOsError = -1,
                                               LPCWSTR lpszFileName = nullptr) {
    throw new CFileException(cause, lOsError, lpszFileName);
}

[[noreturn]] inline void AfxThrowArchiveException(int cause, LPCWSTR lpszArchiveName = nullptr) {
    throw new CArchiveException(cause, lpszArchiveName);
}

// CString's checked accessors, here because they need the exception class complete.
inline wchar_t CString::GetAt(int nIndex) const {
    if (nIndex < 0 || nIndex >= GetLength())
        AfxThrowInvalidArgException();
    return m_pszData[nIndex];
}

inline void CString::SetAt(int nIndex, wchar_t ch) {
    if (nIndex < 0 || nIndex >= GetLength())
        AfxThrowInvalidArgException();
    m_pszData[nIndex] = ch;
}
