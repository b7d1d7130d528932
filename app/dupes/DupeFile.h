// One scanned file of the duplicate finder (CDupeFile), a run of equal files (CDupeGroup), and
// the file type a name belongs to.
#pragma once

#include <windows.h>

#include <classlib/Archive.h>
#include <classlib/Object.h>
#include <classlib/String.h>

#include <FileIdentity.h>

class CLastScanReader;

// File types of the finder; the sentinel values mark the ends of a saved, sorted array.
enum DupeCategory : int {
    kDupeMusic = 0,
    kDupeVideo = 1,
    kDupeImage = 2,
    kDupeDocument = 3,
    kDupeCompressed = 4,
    kDupeOther = 5,
    kDupeSentinelLow = -1,
    kDupeSentinelHigh = -2,
};

// The file type of a file name, by its extension (from the last "."), compared in lower case.
DupeCategory DupeCategoryOfName(const CString& fileName);

// Which file a record stands for and as what the scan found it (volume serial number, file
// number, size, times); `known` is false when the scan could not read it. A removal goes only
// to a file that still matches it.
struct DupeFileIdentity {
    FileIdentity item;
    bool known = false;
};

class CDupeFile : public CObject {
    DECLARE_DYNCREATE(CDupeFile)
public:
    static constexpr ULONGLONG kDigestSizeLimit = 134217728; // 128 MiB still gets a digest

    // Whether the content digest was tried during this run and what came of it. Loaded records
    // start as kDone (digest kept) or kNotTried, by their stored flag.
    // kDistinct: its first bytes differ from those of every other file it was compared with, so
    // it equals none of them; it has no digest.
    enum class DigestState : BYTE { kNotTried, kDone, kSkippedBySizeLimit, kUnreadable, kDistinct };

    CDupeFile() = default;

    // Writes the record in the layout of the last-scan files.
    void Store(CArchive& ar) const;
    // Reads a record of that layout; false (the record half-filled) at the first field that
    // is missing or cannot be one this program writes.
    [[nodiscard]] bool Load(CLastScanReader& reader);

    bool IsSentinel() const { return m_nCategory < 0; }
    // Folder and name as the file system reports it, joined with one backslash.
    CString GetFullPath() const;
    // The stored "digest done" flag: 1 once the digest was computed or skipped by the limit.
    BYTE DigestDoneFlag() const;
    // A digest that can tell this file's content from another's (computed or skipped by the limit).
    bool HasComparableDigest() const {
        return m_digestState == DigestState::kDone ||
               m_digestState == DigestState::kSkippedBySizeLimit;
    }

    int m_nCategory = kDupeOther;
    CString m_strName;        // lower case: the key of the name comparison
    CString m_strDisplayName; // as the file system reports it
    CString m_strFolder;      // as walked, without a final separator
    BYTE m_digest[16] = {};
    DigestState m_digestState = DigestState::kNotTried;
    BYTE m_bRemovalMark = 0;
    int m_nFirstGroup = -1;  // group in the all-files set, 1-based
    int m_nSecondGroup = -1; // group in the file type's set, 1-based
    ULONGLONG m_nSize = 0;
    __time64_t m_tCreation = 0;  // seconds since 1970
    __time64_t m_tLastWrite = 0; // seconds since 1970

    // Not stored: which file this is, and the order in which records were made (which keeps
    // the order of files that can never be equal, such as unreadable ones, consistent). A
    // loaded record learns its identity when it is resolved before its grouping.
    DupeFileIdentity m_identity;
    ULONGLONG m_nSerial = 0;
};

// Writes the record that marks each end of a saved, sorted array of two or more records.
void StoreSentinelRecord(CArchive& ar);

// A run of equal records inside a sorted files array: its first index and its length (>= 2).
struct CDupeGroup {
    size_t first = 0;
    size_t count = 0;
};
