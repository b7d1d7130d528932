#include "DupeRemover.h"

#include "DupeFinderOptions.h"

#include <Paths.h>
#include <ShellFileOperation.h>

#include <shlwapi.h>

#include <set>
#include <string>

namespace {

bool IsGone(const CString& path) {
    if (GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES)
        return false;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

struct FileStamp {
    ULONGLONG size = 0;
    FILETIME lastWrite = {};
};

bool ReadStamp(const CString& path, FileStamp& stamp) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path, GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    stamp.size = (ULONGLONG{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    stamp.lastWrite = data.ftLastWriteTime;
    return true;
}

bool SameStamp(const FileStamp& a, const FileStamp& b) {
    return a.size == b.size && CompareFileTime(&a.lastWrite, &b.lastWrite) == 0;
}

// Deletes the file for good; a read-only one is made writable first (and left read-only
// when it still cannot be deleted).
bool DeleteForGood(const CString& path) {
    if (DeleteFileW(path))
        return true;
    const DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY) ||
        !SetFileAttributesW(path, attributes & ~FILE_ATTRIBUTE_READONLY))
        return false;
    if (DeleteFileW(path))
        return true;
    SetFileAttributesW(path, attributes);
    return false;
}

// The path without its drive ("C:") or leading separators: the entry name of its backup.
CString EntryNameOf(const CString& path) {
    CString name(path);
    if (name.GetLength() >= 2 && name[1] == L':')
        name = name.Mid(2);
    while (!name.IsEmpty() && (name[0] == L'\\' || name[0] == L'/'))
        name.Delete(0);
    return name;
}

void NoteRemoved(DupeRemovalOutcome& outcome, ULONGLONG size, DupeRemovalObserver* observer) {
    ++outcome.removed;
    outcome.bytesFreed += size;
    if (observer)
        observer->OnFileRemoved(outcome.removed);
}

// Runs `remove` on each checked file, in order, until `cancel` is set. A file that is locked,
// missing, a folder or cannot be made writable is left alone and reported in use.
template <class Remove>
void ForEachUsableCheckedFile(const std::vector<CDupeFile*>& files, const std::atomic<bool>& cancel,
                              DupeRemovalObserver* observer, DupeRemovalOutcome& outcome,
                              Remove remove) {
    for (const CDupeFile* file : files) {
        if (cancel)
            break;
        if (!file->m_bRemovalMark)
            continue;
        const CString path = file->GetFullPath();
        if (observer)
            observer->OnFileStarted(path);
        FileStamp stamp;
        if (IsFileLocked(path) != 0 || !ReadStamp(path, stamp)) {
            outcome.fileInUse = true;
            ++outcome.kept;
            continue;
        }
        remove(*file, path, stamp);
    }
}

struct BackedUpFile {
    CString path;
    ULONGLONG size = 0;
    FileStamp stamp;
};

} // namespace

int CountCheckedFiles(const std::vector<CDupeFile*>& files) {
    int count = 0;
    for (const CDupeFile* file : files)
        count += file->m_bRemovalMark ? 1 : 0;
    return count;
}

ULONGLONG SumCheckedBytes(const std::vector<CDupeFile*>& files) {
    ULONGLONG total = 0;
    for (const CDupeFile* file : files) {
        if (file->m_bRemovalMark)
            total += file->m_nSize;
    }
    return total;
}

BackupPreparation PrepareBackupArchive(const CString& folder, ULONGLONG neededBytes,
                                       const SYSTEMTIME& now, HZIP& archive, CString& archivePath) {
    archive = nullptr;
    archivePath.Empty();
    if (folder.IsEmpty() || IsExistingFolder(folder) != 1)
        return BackupPreparation::kFolderMissing;
    if (!PathIsNetworkPathW(folder)) {
        ULARGE_INTEGER available;
        if (!GetDiskFreeSpaceExW(folder, &available, nullptr, nullptr) ||
            available.QuadPart < neededBytes)
            return BackupPreparation::kNotEnoughSpace;
    }
    CString path(folder);
    AppendPath(path, MakeBackupArchiveName(now));
    archive = ZipCreate(path);
    if (!archive)
        return BackupPreparation::kCannotCreate;
    archivePath = path;
    return BackupPreparation::kReady;
}

DupeRemovalOutcome RemoveToRecycleBin(const std::vector<CDupeFile*>& files,
                                      const std::atomic<bool>& cancel,
                                      DupeRemovalObserver* observer) {
    DupeRemovalOutcome outcome;
    ForEachUsableCheckedFile(files, cancel, observer, outcome,
                             [&](const CDupeFile& file, const CString& path, const FileStamp&) {
                                 CShellFileOperation operation;
                                 if (operation.DeleteToRecycleBin(path, path.GetLength()) == 0 &&
                                     IsGone(path))
                                     NoteRemoved(outcome, file.m_nSize, observer);
                                 else
                                     ++outcome.kept;
                             });
    return outcome;
}

DupeRemovalOutcome RemoveWithBackup(const std::vector<CDupeFile*>& files, HZIP archive,
                                    const std::atomic<bool>& cancel,
                                    DupeRemovalObserver* observer) {
    DupeRemovalOutcome outcome;
    std::vector<BackedUpFile> backedUp;
    std::set<std::wstring> folderEntries;
    ForEachUsableCheckedFile(
        files, cancel, observer, outcome,
        [&](const CDupeFile&, const CString& path, const FileStamp& stamp) {
            // The archive keeps the folder tree without the drive; each folder is entered once.
            const CString entryName = EntryNameOf(path);
            const int separator = entryName.ReverseFind(L'\\');
            if (separator > 0) {
                const CString folderName = entryName.Left(separator + 1);
                if (folderEntries.insert(std::wstring(folderName.GetString())).second)
                    (void)ZipAdd(archive, nullptr, folderName, kZipAddFolder);
            }
            if (ZipAdd(archive, path, entryName, kZipAddFile) == kZipOk)
                backedUp.push_back(BackedUpFile{path, stamp.size, stamp});
            else
                ++outcome.kept;
        });
    outcome.archiveResult = archive ? ZipClose(archive) : kZipBadArgument;
    ZipFree(archive);
    if (outcome.archiveResult != kZipOk) {
        // Without a finished archive no backup can be restored: every file stays.
        outcome.kept += static_cast<int>(backedUp.size());
        return outcome;
    }
    for (const BackedUpFile& file : backedUp) {
        FileStamp now;
        // A file changed since its addition would lose the change: it stays.
        if (cancel || !ReadStamp(file.path, now) || !SameStamp(now, file.stamp) ||
            !DeleteForGood(file.path) || !IsGone(file.path)) {
            ++outcome.kept;
            continue;
        }
        NoteRemoved(outcome, file.size, observer);
    }
    return outcome;
}
