#include "DupeRemover.h"

#include "ContentComparer.h"
#include "DupeFinderOptions.h"

#include <HeldItem.h>
#include <LiteralPath.h>
#include <Paths.h>

#include <shlwapi.h>

#include <set>
#include <string>

namespace {

// One group: records [first, end) of the duplicates list.
struct GroupRange {
    size_t first = 0;
    size_t end = 0;
};

// The groups of the all-files duplicates list, which holds each group's records together; a
// record outside any group stands alone (and so has no copy to keep).
std::vector<GroupRange> SplitGroups(const std::vector<CDupeFile*>& files) {
    std::vector<GroupRange> groups;
    for (size_t first = 0, end; first < files.size(); first = end) {
        const int number = files[first]->m_nFirstGroup;
        for (end = first + 1;
             number != -1 && end < files.size() && files[end]->m_nFirstGroup == number; ++end) {
        }
        groups.push_back(GroupRange{first, end});
    }
    return groups;
}

int CheckedIn(const std::vector<CDupeFile*>& files, const GroupRange& group) {
    int checked = 0;
    for (size_t i = group.first; i < group.end; ++i)
        checked += files[i]->m_bRemovalMark ? 1 : 0;
    return checked;
}

// A checked file that stays, and why.
void NoteKept(DupeRemovalOutcome& outcome, ItemOutcome why) {
    ++outcome.kept;
    if (why == ItemOutcome::kChangedSinceScan || why == ItemOutcome::kGone)
        outcome.changedSinceScan = true;
    else
        outcome.fileInUse = true;
}

void NoteRemoved(DupeRemovalOutcome& outcome, ULONGLONG size, DupeRemovalObserver* observer) {
    ++outcome.removed;
    outcome.bytesFreed += size;
    if (observer)
        observer->OnFileRemoved(outcome.removed);
}

void NoteStarted(const CDupeFile& file, DupeRemovalObserver* observer) {
    if (observer)
        observer->OnFileStarted(file.GetFullPath());
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

// The checks of one group, shared by both ways of removal.
class CGroupCheck {
public:
    CGroupCheck(const std::vector<CDupeFile*>& files, const GroupRange& group, bool compareContent)
        : files_(files), group_(group), compareContent_(compareContent) {}

    // Holds the first copy the user kept that still matches what the scan recorded; nobody can
    // write, rename or delete it while it is held. What kept every copy from being held when
    // none is.
    [[nodiscard]] ItemOutcome HoldKeptCopy() {
        bool inUse = false;
        for (size_t i = group_.first; i < group_.end; ++i) {
            const CDupeFile& file = *files_[i];
            if (file.m_bRemovalMark || !file.m_identity.known)
                continue;
            const ItemOutcome held = kept_.OpenAsRecorded(file.GetFullPath(), file.m_identity.item,
                                                          CHeldItem::Purpose::kRead);
            if (held == ItemOutcome::kDone)
                return held;
            inUse = inUse || held == ItemOutcome::kInUse || held == ItemOutcome::kFailed;
        }
        return inUse ? ItemOutcome::kInUse : ItemOutcome::kChangedSinceScan;
    }

    // Opens a checked file for `purpose` and checks it: it matches its record, is not the kept
    // copy itself, and (with contents compared) holds the kept copy's bytes.
    [[nodiscard]] ItemOutcome HoldCheckedFile(const CDupeFile& file, CHeldItem::Purpose purpose,
                                              CHeldItem& member) {
        if (!file.m_identity.known)
            return ItemOutcome::kChangedSinceScan;
        const ItemOutcome held =
            member.OpenAsRecorded(file.GetFullPath(), file.m_identity.item, purpose);
        if (held != ItemOutcome::kDone)
            return held;
        if (member.Identity().IsSameItem(kept_.Identity()) ||
            (compareContent_ && !comparer_.SameContent(member.Handle(), kept_.Handle()))) {
            member.Release();
            return ItemOutcome::kChangedSinceScan;
        }
        return ItemOutcome::kDone;
    }

private:
    const std::vector<CDupeFile*>& files_;
    GroupRange group_;
    bool compareContent_;
    CHeldItem kept_;
    CContentComparer comparer_;
};

// Runs `act` on each checked file of each group that can keep a copy, while that copy is held,
// until `cancel` is set. A group with every copy checked, or whose kept copy cannot be held,
// keeps all its files.
template <class Act>
void ForEachCheckedFile(const std::vector<CDupeFile*>& files, bool compareContent,
                        const std::atomic<bool>& cancel, DupeRemovalObserver* observer,
                        DupeRemovalOutcome& outcome, Act act) {
    for (const GroupRange& group : SplitGroups(files)) {
        if (cancel)
            return;
        const int checked = CheckedIn(files, group);
        if (checked == 0)
            continue;
        if (checked == static_cast<int>(group.end - group.first)) {
            if (outcome.groupWithoutCopy == 0)
                outcome.groupWithoutCopy = files[group.first]->m_nFirstGroup;
            outcome.kept += checked;
            continue;
        }
        CGroupCheck check(files, group, compareContent);
        const ItemOutcome kept = check.HoldKeptCopy();
        for (size_t i = group.first; i < group.end && !cancel; ++i) {
            const CDupeFile& file = *files[i];
            if (!file.m_bRemovalMark)
                continue;
            NoteStarted(file, observer);
            if (kept != ItemOutcome::kDone)
                NoteKept(outcome, kept);
            else
                act(check, file);
        }
    }
}

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

int FindGroupKeepingNoCopy(const std::vector<CDupeFile*>& files, const CDupeFile** first) {
    for (const GroupRange& group : SplitGroups(files)) {
        if (CheckedIn(files, group) == static_cast<int>(group.end - group.first)) {
            if (first)
                *first = files[group.first];
            return files[group.first]->m_nFirstGroup;
        }
    }
    if (first)
        *first = nullptr;
    return 0;
}

BackupPreparation PrepareBackupArchive(const CString& folder, ULONGLONG neededBytes,
                                       const SYSTEMTIME& now, HZIP& archive, CString& archivePath) {
    archive = nullptr;
    archivePath.Empty();
    // Taken literally, so that a drive's root ("X:\") stays a root.
    const CString literal = ToLiteralPath(folder);
    const DWORD attributes =
        literal.IsEmpty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(literal);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return BackupPreparation::kFolderMissing;
    if (!PathIsNetworkPathW(folder)) {
        ULARGE_INTEGER available;
        if (!GetDiskFreeSpaceExW(folder, &available, nullptr, nullptr) ||
            available.QuadPart < neededBytes)
            return BackupPreparation::kNotEnoughSpace;
    }
    CString path(folder);
    AppendPath(path, MakeBackupArchiveName(now));
    archive = ZipCreate(ToLiteralPath(path));
    if (!archive)
        return BackupPreparation::kCannotCreate;
    archivePath = path;
    return BackupPreparation::kReady;
}

DupeRemovalOutcome RemoveToRecycleBin(const std::vector<CDupeFile*>& files, bool compareContent,
                                      const std::atomic<bool>& cancel,
                                      DupeRemovalObserver* observer) {
    DupeRemovalOutcome outcome;
    ForEachCheckedFile(files, compareContent, cancel, observer, outcome,
                       [&](CGroupCheck& check, const CDupeFile& file) {
                           CHeldItem member;
                           ItemOutcome result =
                               check.HoldCheckedFile(file, CHeldItem::Purpose::kRecycle, member);
                           if (result == ItemOutcome::kDone)
                               result = member.MoveToRecycleBin(nullptr);
                           if (result == ItemOutcome::kDone)
                               NoteRemoved(outcome, file.m_nSize, observer);
                           else
                               NoteKept(outcome, result);
                       });
    return outcome;
}

DupeRemovalOutcome RemoveWithBackup(const std::vector<CDupeFile*>& files, bool compareContent,
                                    HZIP archive, const std::atomic<bool>& cancel,
                                    DupeRemovalObserver* observer) {
    DupeRemovalOutcome outcome;
    // First every checked file that passes the checks goes into the archive, read through the
    // handle that was checked.
    std::set<const CDupeFile*> backedUp;
    std::set<std::wstring> folderEntries;
    ForEachCheckedFile(
        files, compareContent, cancel, observer, outcome,
        [&](CGroupCheck& check, const CDupeFile& file) {
            CHeldItem member;
            const ItemOutcome held = check.HoldCheckedFile(file, CHeldItem::Purpose::kRead, member);
            if (held != ItemOutcome::kDone) {
                NoteKept(outcome, held);
                return;
            }
            // The archive keeps the folder tree without the drive; each folder is entered once.
            const CString entryName = EntryNameOf(file.GetFullPath());
            const int separator = entryName.ReverseFind(L'\\');
            if (separator > 0) {
                const CString folderName = entryName.Left(separator + 1);
                if (folderEntries.insert(std::wstring(folderName.GetString())).second)
                    static_cast<void>(ZipAdd(archive, nullptr, folderName, kZipAddFolder));
            }
            if (ZipAddOpenFile(archive, member.Handle(), entryName) == kZipOk)
                backedUp.insert(&file);
            else
                NoteKept(outcome, ItemOutcome::kFailed);
        });
    outcome.archiveResult = archive ? ZipClose(archive) : kZipBadArgument;
    ZipFree(archive);
    if (outcome.archiveResult != kZipOk || cancel) {
        // Without a finished archive no backup can be restored: every file stays.
        outcome.kept += static_cast<int>(backedUp.size());
        return outcome;
    }
    // Then, with the archive complete, each backed-up file goes after the same checks again: a
    // file changed since its addition would lose the change.
    for (const GroupRange& group : SplitGroups(files)) {
        bool any = false;
        for (size_t i = group.first; i < group.end; ++i)
            any = any || backedUp.count(files[i]) != 0;
        if (!any)
            continue;
        CGroupCheck check(files, group, compareContent);
        const ItemOutcome kept = check.HoldKeptCopy();
        for (size_t i = group.first; i < group.end; ++i) {
            const CDupeFile& file = *files[i];
            if (!backedUp.count(&file))
                continue;
            if (cancel) {
                ++outcome.kept;
                continue;
            }
            CHeldItem member;
            ItemOutcome result =
                kept == ItemOutcome::kDone
                    ? check.HoldCheckedFile(file, CHeldItem::Purpose::kDelete, member)
                    : kept;
            if (result == ItemOutcome::kDone)
                result = member.DeleteForGood();
            if (result == ItemOutcome::kDone)
                NoteRemoved(outcome, file.m_nSize, observer);
            else
                NoteKept(outcome, result);
        }
    }
    return outcome;
}
