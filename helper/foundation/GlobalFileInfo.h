// One file as a folder listing sees it, with two resumable content checks.
#pragma once

#include <windows.h>

#include <classlib/Array.h>
#include <classlib/String.h>
#include <classlib/Time.h>

class CGlobalFileInfo {
public:
    CGlobalFileInfo() = default;
    CGlobalFileInfo(const CGlobalFileInfo& other) = default;
    CGlobalFileInfo& operator=(const CGlobalFileInfo& other) = default;

    // The sum and CRC fields are left as they are.
    void FillFromFindData(const WIN32_FIND_DATAW& found, const CString& folder, int tag);
    // Leaves the record unchanged when nothing is found.
    void FillFromPath(const CString& path);

    ULONGLONG GetSize() const { return size; }
    DWORD GetSize32() const { return static_cast<DWORD>(size); }
    CTime& GetCreationTime() { return creationTime; }
    CTime& GetLastAccessTime() { return lastAccessTime; }
    CTime& GetLastWriteTime() { return lastWriteTime; }

    DWORD IsDirectory() const { return attributes & FILE_ATTRIBUTE_DIRECTORY; }
    DWORD IsArchive() const { return attributes & FILE_ATTRIBUTE_ARCHIVE; }
    DWORD IsReadOnly() const { return attributes & FILE_ATTRIBUTE_READONLY; }
    DWORD IsCompressed() const { return attributes & FILE_ATTRIBUTE_COMPRESSED; }
    DWORD IsSystem() const { return attributes & FILE_ATTRIBUTE_SYSTEM; }
    DWORD IsHidden() const { return attributes & FILE_ATTRIBUTE_HIDDEN; }
    DWORD IsTemporary() const { return attributes & FILE_ATTRIBUTE_TEMPORARY; }
    bool IsNormal() const { return attributes == 0; }

    CString GetDrive() const;
    CString GetDirectory() const;
    CString GetTitle() const;
    CString GetExtension() const;
    CString GetFolder() const { return GetDrive() + GetDirectory(); }
    CString GetFileName() const { return GetTitle() + GetExtension(); }

    // Feed the file's first `limit` bytes (0: all) in steps that a later call continues;
    // `reset` starts over. The progress counter grows by the bytes consumed.
    DWORD ComputeContentSum(ULONGLONG limit, bool reset, const volatile LONG* cancel,
                            volatile LONG* progress);
    // A CRC-32 step per little-endian 32-bit word; the final (inverted) value once the whole
    // file is consumed, the running state before that.
    DWORD ComputeContentCrc(ULONGLONG limit, bool reset, const volatile LONG* cancel,
                            volatile LONG* progress);

    int tag = 0;
    CString path;
    DWORD attributes = 0xFFFFFFFF;
    ULONGLONG size = 0;
    CTime creationTime;
    CTime lastAccessTime;
    CTime lastWriteTime;
    DWORD contentSum = 0;
    DWORD contentCrc = 0xFFFFFFFF;
    DWORD crcBytesConsumed = 0;
    DWORD sumBytesConsumed = 0;
};

// File records hold texts and are not stored in archives.
inline void SerializeElements(CArchive&, CGlobalFileInfo*, INT_PTR) {
    AfxThrowArchiveException(CArchiveException::badClass);
}
