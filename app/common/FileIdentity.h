// Which item a scan found, and as what: taken from an open handle (or from a listing made
// through one) when the item is found, and compared with the item found at the path later.
#pragma once

#include <windows.h>

#include <classlib/String.h>

struct FileIdentity {
    DWORD volumeSerial = 0;
    ULONGLONG fileId = 0;
    ULONGLONG size = 0;          // bytes of a file's data
    ULONGLONG lastWriteTime = 0; // FILETIME ticks
    ULONGLONG changeTime = 0;    // FILETIME ticks of the last change of data or attributes
    bool folder = false;
    // As read; not part of the comparisons.
    DWORD attributes = 0;
    ULONGLONG creationTime = 0; // FILETIME ticks

    // The same file-system item (volume and file number), whatever became of it.
    bool IsSameItem(const FileIdentity& other) const {
        return volumeSerial == other.volumeSerial && fileId == other.fileId;
    }
    // The same item, unchanged: size, times and kind as recorded.
    bool Matches(const FileIdentity& recorded) const {
        return IsSameItem(recorded) && size == recorded.size &&
               lastWriteTime == recorded.lastWriteTime && changeTime == recorded.changeTime &&
               folder == recorded.folder;
    }
};

// FILETIME as ticks, and back.
inline ULONGLONG TicksOf(const FILETIME& time) {
    return (ULONGLONG{time.dwHighDateTime} << 32) | time.dwLowDateTime;
}

// Reads the identity of the item an open handle holds (any access serves), opened by
// `literalPath`. The volume's serial number is asked of the system once per folder and kept
// for the process: the question costs a round trip to the volume manager (milliseconds under
// Wine), and a folder's volume changes only when a volume is mounted in its place.
[[nodiscard]] bool ReadFileIdentity(HANDLE item, const CString& literalPath,
                                    FileIdentity& identity);
