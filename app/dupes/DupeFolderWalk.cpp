#include "DupeFolderWalk.h"

#include <owners/WinOwners.h>

#include <HeldItem.h>
#include <LiteralPath.h>
#include <Paths.h>

#include <cstring>
#include <unordered_map>

namespace {

constexpr DWORD kListingBufferBytes = 64 * 1024;

bool IsDotEntry(const CString& name) {
    return name == L"." || name == L"..";
}

bool MatchesEveryName(const CString& mask) {
    return mask == L"*.*" || mask == L"*";
}

FILETIME ToFileTime(const LARGE_INTEGER& value) {
    FILETIME time;
    time.dwLowDateTime = value.LowPart;
    time.dwHighDateTime = static_cast<DWORD>(value.HighPart);
    return time;
}

DupeFoundFile FromFindData(const WIN32_FIND_DATAW& data) {
    DupeFoundFile found;
    found.name = data.cFileName;
    found.attributes = data.dwFileAttributes;
    found.creationTime = data.ftCreationTime;
    found.lastWriteTime = data.ftLastWriteTime;
    found.size = (ULONGLONG{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    return found;
}

// A name in a folder, as a literal path (empty when the folder has no literal form).
CString LiteralChild(const CString& folder, const CString& name) {
    CString path = ToLiteralPath(folder);
    if (!path.IsEmpty())
        AppendPath(path, name);
    return path;
}

// The folder's entries through a plain find, without identities.
bool ListFolderByFind(const CString& folder, std::vector<DupeFoundFile>& entries) {
    const CString pattern = LiteralChild(folder, L"*");
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileExW(pattern, FindExInfoBasic, &data, FindExSearchNameMatch,
                                     nullptr, FIND_FIRST_EX_LARGE_FETCH));
    // An empty drive lists nothing at all; any other refusal means it cannot be listed.
    if (!find.IsValid())
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    do {
        DupeFoundFile found = FromFindData(data);
        if (!IsDotEntry(found.name))
            entries.push_back(std::move(found));
    } while (FindNextFileW(find.Get(), &data));
    return true;
}

KernelHandle OpenFolder(const CString& folder) {
    return KernelHandle(CreateFileW(ToLiteralPath(folder), FILE_LIST_DIRECTORY,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

} // namespace

bool ReadVolumeSerial(const CString& folder, DWORD& serial) {
    const KernelHandle handle = OpenFolder(folder);
    BY_HANDLE_FILE_INFORMATION info;
    if (!handle.IsValid() || !GetFileInformationByHandle(handle.Get(), &info))
        return false;
    serial = info.dwVolumeSerialNumber;
    return true;
}

bool ListFolderWithIdentities(const CString& folder, const DWORD* volumeSerial,
                              std::vector<DupeFoundFile>& entries) {
    entries.clear();
    const KernelHandle handle = OpenFolder(folder);
    if (!handle.IsValid())
        return ListFolderByFind(folder, entries);
    alignas(8) static thread_local BYTE buffer[kListingBufferBytes];
    FILE_INFO_BY_HANDLE_CLASS request = FileIdBothDirectoryRestartInfo;
    for (;;) {
        if (!GetFileInformationByHandleEx(handle.Get(), request, buffer, sizeof buffer)) {
            if (GetLastError() == ERROR_NO_MORE_FILES)
                return true;
            // A folder this call cannot list is listed by a plain find.
            entries.clear();
            return ListFolderByFind(folder, entries);
        }
        request = FileIdBothDirectoryInfo;
        for (const BYTE* next = buffer;;) {
            const auto* entry = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(next);
            DupeFoundFile found;
            found.name =
                CString(entry->FileName, static_cast<int>(entry->FileNameLength / sizeof(wchar_t)));
            found.attributes = entry->FileAttributes;
            found.creationTime = ToFileTime(entry->CreationTime);
            found.lastWriteTime = ToFileTime(entry->LastWriteTime);
            found.size = static_cast<ULONGLONG>(entry->EndOfFile.QuadPart);
            // A file system that numbers no files in its listing reports 0: the identity of such
            // a file is read from the file itself when it is recorded.
            if (volumeSerial && entry->FileId.QuadPart != 0) {
                FileIdentity& item = found.identity.item;
                item.volumeSerial = *volumeSerial;
                item.fileId = static_cast<ULONGLONG>(entry->FileId.QuadPart);
                item.folder = (entry->FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
                item.size = item.folder ? 0 : found.size;
                item.lastWriteTime = static_cast<ULONGLONG>(entry->LastWriteTime.QuadPart);
                item.changeTime = static_cast<ULONGLONG>(entry->ChangeTime.QuadPart);
                item.creationTime = static_cast<ULONGLONG>(entry->CreationTime.QuadPart);
                item.attributes = entry->FileAttributes;
                found.identity.known = true;
            }
            if (!IsDotEntry(found.name))
                entries.push_back(std::move(found));
            if (entry->NextEntryOffset == 0)
                break;
            next += entry->NextEntryOffset;
        }
    }
}

CDupeFolderWalk::CDupeFolderWalk(CDupeFinder& finder, const CStringArray& ignoreList,
                                 const CStringArray& masks, const std::atomic<bool>& stop,
                                 DupeWalkObserver* observer)
    : finder_(finder), filter_(ignoreList), stop_(stop), observer_(observer) {
    for (INT_PTR i = 0; i < masks.GetSize(); ++i)
        masks_.push_back(masks[i]);
    if (masks_.empty())
        masks_.push_back(L"*.*");
}

bool CDupeFolderWalk::Walk(const CStringArray& locations) {
    for (INT_PTR i = 0; i < locations.GetSize(); ++i) {
        CString location = locations[i];
        // The folder is kept as walked, without a final separator ("C:" for a drive's root).
        while (location.GetLength() > 1 && location[location.GetLength() - 1] == L'\\')
            location.Delete(location.GetLength() - 1);
        // What the last-scan file records: no saved record may name a file outside them.
        finder_.Locations().Add(location);
        // Below a location the volume stays the same: folders that lead elsewhere (junctions,
        // mounted volumes) are reparse points, which the walk does not enter.
        DWORD serial = 0;
        if (!WalkFolder(location, ReadVolumeSerial(location, serial) ? &serial : nullptr))
            unread_.push_back(locations[i]);
        if (observer_)
            observer_->OnLocationDone(static_cast<int>(i));
        if (stop_)
            return false;
    }
    return !stop_;
}

bool CDupeFolderWalk::WalkFolder(const CString& folder, const DWORD* volumeSerial) {
    std::vector<DupeFoundFile> listed;
    if (!ListFolderWithIdentities(folder, volumeSerial, listed))
        return false; // a folder that cannot be listed holds nothing to record
    std::vector<FolderEntry> entries;
    entries.reserve(listed.size());
    for (DupeFoundFile& found : listed) {
        FolderEntry entry;
        entry.isFolder = (found.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entry.file = std::move(found);
        entries.push_back(std::move(entry));
    }
    RecordFiles(folder, entries);
    for (const FolderEntry& entry : entries) {
        if (stop_)
            return true;
        // Junctions and symbolic links are not entered: what they lead to is walked where it
        // lies, or not at all.
        if (!entry.isFolder || (entry.file.attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            continue;
        CString path(folder);
        AppendPath(path, entry.file.name);
        if (filter_.LeavesOutFolder(path))
            continue;
        if (observer_)
            observer_->OnFolderEntered(path);
        static_cast<void>(WalkFolder(path, volumeSerial)); // a sub-folder's refusal: skipped
    }
    return true;
}

void CDupeFolderWalk::RecordFiles(const CString& folder, const std::vector<FolderEntry>& entries) {
    std::unordered_map<std::wstring, size_t> byName; // made for the first mask that needs it
    for (const CString& mask : masks_) {
        if (MatchesEveryName(mask)) {
            for (const FolderEntry& entry : entries) {
                if (stop_)
                    return;
                if (!entry.isFolder)
                    RecordFile(folder, entry.file);
            }
            continue;
        }
        if (byName.empty()) {
            for (size_t i = 0; i < entries.size(); ++i)
                byName.emplace(entries[i].file.name.GetString(), i);
        }
        // Other masks match as the system's find matches them (short names included).
        const CString pattern = LiteralChild(folder, mask);
        WIN32_FIND_DATAW data;
        FindHandle find(FindFirstFileExW(pattern, FindExInfoBasic, &data, FindExSearchNameMatch,
                                         nullptr, FIND_FIRST_EX_LARGE_FETCH));
        if (!find.IsValid())
            continue;
        do {
            if (stop_)
                return;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                continue;
            const auto listed = byName.find(data.cFileName);
            RecordFile(folder,
                       listed != byName.end() ? entries[listed->second].file : FromFindData(data));
        } while (FindNextFileW(find.Get(), &data));
    }
}

void CDupeFolderWalk::RecordFile(const CString& folder, const DupeFoundFile& found) {
    if (IsDotEntry(found.name) || (found.attributes & FILE_ATTRIBUTE_DIRECTORY))
        return;
    // A symbolic link to a file would be the file it leads to a second time.
    if (found.attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return;
    CString path(folder);
    AppendPath(path, found.name);
    if (filter_.LeavesOutFile(path, found.name))
        return;
    if (found.identity.known) {
        finder_.CreateDupeFileItem(found, folder);
        return;
    }
    // Without a number from the listing the file's own identity is read; a file that turns out
    // to be a link (or reached through one) is left out.
    DupeFoundFile identified = found;
    switch (ReadItemIdentity(path, identified.identity.item)) {
    case ItemOutcome::kDone:
        identified.identity.known = !identified.identity.item.folder;
        break;
    case ItemOutcome::kChangedSinceScan:
        return;
    default:
        break; // recorded without an identity: it can be listed, never removed
    }
    finder_.CreateDupeFileItem(identified, folder);
}
