#include "DupeFolderWalk.h"

#include <owners/WinOwners.h>

#include <FolderListing.h>
#include <HeldItem.h>
#include <LiteralPath.h>
#include <Paths.h>

#include <unordered_map>

namespace {

bool IsDotEntry(const CString& name) {
    return name == L"." || name == L"..";
}

bool MatchesEveryName(const CString& mask) {
    return mask == L"*.*" || mask == L"*";
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

// An item the listing numbered carries its identity; the others get theirs when recorded.
DupeFoundFile FromListedItem(const ListedItem& item) {
    DupeFoundFile found;
    found.name = item.name;
    found.attributes = item.identity.attributes;
    found.creationTime = FileTimeOfTicks(item.identity.creationTime);
    found.lastWriteTime = FileTimeOfTicks(item.identity.lastWriteTime);
    found.size = item.identity.size;
    if (item.identified) {
        found.identity.item = item.identity;
        found.identity.known = true;
    }
    return found;
}

// A name in a folder, as a literal path (empty when the folder has no literal form).
CString LiteralChild(const CString& folder, const CString& name) {
    CString path = ToLiteralPath(folder);
    if (!path.IsEmpty())
        AppendPath(path, name);
    return path;
}

} // namespace

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
        if (!WalkFolder(location, ReadFolderVolumeSerial(location, serial) ? &serial : nullptr))
            unread_.push_back(locations[i]);
        if (observer_)
            observer_->OnLocationDone(static_cast<int>(i));
        if (stop_)
            return false;
    }
    return !stop_;
}

bool CDupeFolderWalk::WalkFolder(const CString& folder, const DWORD* volumeSerial) {
    std::vector<ListedItem> listed;
    if (!ListFolderItems(folder, volumeSerial, listed))
        return false; // a folder that cannot be listed holds nothing to record
    std::vector<FolderEntry> entries;
    entries.reserve(listed.size());
    for (const ListedItem& item : listed) {
        FolderEntry entry;
        entry.isFolder = item.identity.folder;
        entry.file = FromListedItem(item);
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
