// Removal of the duplicates the user checked: to the Recycle Bin, or into a zip backup and
// then for good. Group by group, a copy the user kept is first held and checked against what
// the scan recorded; every checked file is then opened by its literal path, checked against its
// own record and (when contents were compared) byte for byte against that kept copy, and
// removed through the same handle. A file that no longer matches stays and is reported as
// changed since the scan; a group with no copy left to keep loses nothing. With a backup, the
// archive is finished before any file goes, and a file goes only when it still matches.
#pragma once

#include <windows.h>

#include <classlib/String.h>

#include "DupeFile.h"
#include "ZipWriter.h"

#include <atomic>
#include <vector>

struct DupeRemovalOutcome {
    int removed = 0;               // checked files that are gone
    int kept = 0;                  // checked files still there
    ULONGLONG bytesFreed = 0;      // sizes of the removed files
    bool fileInUse = false;        // a checked file (or its group's kept copy) was in use or
                                   // could not be removed
    bool changedSinceScan = false; // a checked file, or every copy its group could keep, was
                                   // changed, replaced or gone since the scan
    int groupWithoutCopy = 0;      // the first group whose every copy was checked (untouched)
    DWORD archiveResult = kZipOk;  // backup: what closing the archive gave
};

// What the cleaning page is told while the removal runs (on the removal's thread).
class DupeRemovalObserver {
public:
    virtual ~DupeRemovalObserver() = default;
    virtual void OnFileStarted(const CString& path) = 0;
    virtual void OnFileRemoved(int removedSoFar) = 0;
};

// The checked records of a list and their total size.
int CountCheckedFiles(const std::vector<CDupeFile*>& files);
ULONGLONG SumCheckedBytes(const std::vector<CDupeFile*>& files);

// The number (in the all-files grouping) of the first group of `files` (the all-files
// duplicates list, in group order) whose every copy is checked, and that group's first record;
// 0 (and null) when every group keeps a copy.
int FindGroupKeepingNoCopy(const std::vector<CDupeFile*>& files, const CDupeFile** first);

enum class BackupPreparation { kReady, kNotEnoughSpace, kFolderMissing, kCannotCreate };
// Checks the backup folder (it exists, a drive's root included; unless it is on the network,
// its drive has at least `neededBytes` free) and creates the archive there, named after the
// local time `now`.
[[nodiscard]] BackupPreparation PrepareBackupArchive(const CString& folder, ULONGLONG neededBytes,
                                                     const SYSTEMTIME& now, HZIP& archive,
                                                     CString& archivePath);

// Moves each checked file of `files` (the all-files duplicates list, in group order) to the
// Recycle Bin until `cancel` is set. `compareContent`: the groups were made by content, so a
// file goes only while its bytes equal the kept copy's.
DupeRemovalOutcome RemoveToRecycleBin(const std::vector<CDupeFile*>& files, bool compareContent,
                                      const std::atomic<bool>& cancel,
                                      DupeRemovalObserver* observer);
// Adds each checked file that passes the checks (under its path without the drive, its name's
// letter case kept) to `archive`, finishes and frees the archive, and then deletes, after the
// same checks again, the files whose addition succeeded. A failed archive deletes nothing.
DupeRemovalOutcome RemoveWithBackup(const std::vector<CDupeFile*>& files, bool compareContent,
                                    HZIP archive, const std::atomic<bool>& cancel,
                                    DupeRemovalObserver* observer);
