// Removal of the duplicates the user checked: to the Recycle Bin, or into a zip backup and
// then for good. A file counts as removed only once it is gone, and a file is deleted only
// when the archive that holds its backup was finished.
#pragma once

#include <windows.h>

#include <classlib/String.h>

#include "DupeFile.h"
#include "ZipWriter.h"

#include <atomic>
#include <vector>

struct DupeRemovalOutcome {
    int removed = 0;          // checked files that are gone
    int kept = 0;             // checked files still there
    ULONGLONG bytesFreed = 0; // sizes of the removed files
    bool fileInUse = false;   // a checked file was locked, missing or could not be made writable
    DWORD archiveResult = kZipOk; // backup: what closing the archive gave
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

enum class BackupPreparation { kReady, kNotEnoughSpace, kFolderMissing, kCannotCreate };
// Checks the backup folder (it exists; unless it is on the network, its drive has at least
// `neededBytes` free) and creates the archive there, named after the local time `now`.
[[nodiscard]] BackupPreparation PrepareBackupArchive(const CString& folder, ULONGLONG neededBytes,
                                                     const SYSTEMTIME& now, HZIP& archive,
                                                     CString& archivePath);

// Moves each checked file of `files` to the Recycle Bin until `cancel` is set.
DupeRemovalOutcome RemoveToRecycleBin(const std::vector<CDupeFile*>& files,
                                      const std::atomic<bool>& cancel,
                                      DupeRemovalObserver* observer);
// Adds each checked file (under its path without the drive, its name's letter case kept) to
// `archive`, finishes and frees the archive, and then deletes the files whose addition
// succeeded and that did not change since. A failed archive deletes nothing.
DupeRemovalOutcome RemoveWithBackup(const std::vector<CDupeFile*>& files, HZIP archive,
                                    const std::atomic<bool>& cancel, DupeRemovalObserver* observer);
