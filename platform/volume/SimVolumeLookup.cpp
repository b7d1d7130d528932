// Finding records by path and by id, and the paths of records.
#include "SimVolume.h"

#include <algorithm>
#include <string_view>

namespace {

// Whether a unit may stand in a name.
bool IsNameUnit(wchar_t unit) {
    switch (unit) {
    case L'*':
    case L'?':
    case L'"':
    case L'<':
    case L'>':
    case L'|':
    case L':':
    case L'/':
        return false;
    default:
        return true;
    }
}

// A path "\a\b:stream" read in place: its names and the stream text after the last name.
class PathNames {
public:
    // Splits the names from the stream text. False for a path without a leading backslash or
    // with a stream but no item's name.
    bool Split(std::wstring_view path) {
        path_ = path;
        suffix_ = {};
        if (path.empty() || path[0] != L'\\') {
            return false;
        }
        nameEnd_ = path.size();
        lastSlash_ = path.find_last_of(L'\\');
        const size_t colon = path.find(L':', lastSlash_);
        if (colon != std::wstring_view::npos) {
            if (colon == lastSlash_ + 1) {
                return false;
            }
            suffix_ = path.substr(colon);
            nameEnd_ = colon;
        }
        return true;
    }
    // False when a name from offset at on is empty, "." or "..", or holds a unit names cannot.
    bool ValidFrom(size_t at) const {
        while (at < nameEnd_) {
            const std::wstring_view name = NameAt(at);
            if (name.empty() || name == L"." || name == L".." ||
                !std::all_of(name.begin(), name.end(), IsNameUnit)) {
                return false;
            }
            at += name.size() + 1;
        }
        return true;
    }
    // The name that starts at offset at (1 for the first); the next one starts after it and
    // its backslash, until nameEnd().
    std::wstring_view NameAt(size_t at) const {
        const size_t slash = path_.find(L'\\', at);
        return path_.substr(at, std::min(slash, nameEnd_) - at);
    }
    size_t NameEnd() const { return nameEnd_; }
    // The place of the last backslash, the one before the item's own name.
    size_t LastSlash() const { return lastSlash_; }
    std::wstring_view Suffix() const { return suffix_; }

private:
    std::wstring_view path_;
    std::wstring_view suffix_;
    size_t nameEnd_ = 0;
    size_t lastSlash_ = 0;
};

} // namespace

const SimRecord* CSimVolume::RecordLocked(uint64_t id) const {
    if (id < recordIndex_.size() && recordIndex_[id] != nullptr) {
        return recordIndex_[id];
    }
    auto found = content_.records.find(id);
    if (found == content_.records.end()) {
        return nullptr;
    }
    // Records are never removed and the map never moves them, so the pointer stays good. Ids
    // are handed out in order; one far past the record count is looked up in the map each time.
    if (id < 4 * content_.records.size() + 1024) {
        if (id >= recordIndex_.size()) {
            recordIndex_.resize(
                static_cast<size_t>(std::max<uint64_t>(id + 1, 2 * recordIndex_.size())));
        }
        recordIndex_[id] = &found->second;
    }
    return &found->second;
}

SimRecord* CSimVolume::RecordLocked(uint64_t id) {
    return const_cast<SimRecord*>(static_cast<const CSimVolume*>(this)->RecordLocked(id));
}

DWORD CSimVolume::ResolveLocked(std::wstring_view path, uint64_t* recordId, std::wstring* streamKey,
                                uint32_t* indexPlace) const {
    PathNames names;
    if (!names.Split(path)) {
        return ERROR_INVALID_NAME;
    }
    // A walk opens an item and then its streams, and the items of one directory one after
    // another: the last item and the last directory are remembered. Names are never removed, so
    // what was found stays found.
    const std::wstring_view itemPath = path.substr(0, names.NameEnd());
    const size_t lastSlash = names.LastSlash();
    uint64_t id = content_.rootId;
    uint32_t place = CSimVolumeIndex::kNone;
    size_t at = 1;
    bool knownItem = false;
    bool knownDirectory = false;
    if (SimSameText(itemPath, lastItemPath_)) {
        id = lastItemId_;
        place = lastItemPlace_;
        at = names.NameEnd();
        knownItem = true;
    } else if (lastSlash > 0 && SimSameText(itemPath.substr(0, lastSlash), lastDirectoryPath_)) {
        id = lastDirectoryId_;
        at = lastSlash + 1;
        knownDirectory = true;
    }
    // What was found before was valid: only the names after it are checked.
    if (!names.ValidFrom(at)) {
        return ERROR_INVALID_NAME;
    }
    while (at < names.NameEnd()) {
        if (at == lastSlash + 1 && !knownDirectory) {
            lastDirectoryPath_.assign(itemPath.substr(0, lastSlash));
            lastDirectoryId_ = id;
        }
        const std::wstring_view name = names.NameAt(at);
        at += name.size() + 1;
        const bool last = at >= names.NameEnd();
        const CSimVolumeIndex::Entry* listed =
            index_.Built() ? index_.NextListed(id, name) : nullptr;
        place = CSimVolumeIndex::kNone;
        if (listed != nullptr) {
            id = listed->recordId;
            place = listed->item;
        } else {
            const SimRecord* directory = RecordLocked(id);
            if (directory == nullptr) {
                return ERROR_FILE_CORRUPT; // a name that leads to no record
            }
            foldScratch_.assign(name);
            SimFoldNameInPlace(foldScratch_);
            auto child = directory->children.find(foldScratch_);
            if (child == directory->children.end()) {
                return last ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
            }
            id = child->second.recordId;
        }
        bool isDirectory = false;
        if (const CSimVolumeIndex::Item* indexed = IndexedLocked(id, place)) {
            isDirectory = indexed->IsDirectory();
            place = index_.PlaceOf(*indexed);
        } else if (const SimRecord* record = RecordLocked(id)) {
            isDirectory = record->IsDirectory();
        } else {
            return ERROR_FILE_CORRUPT;
        }
        if (!last && !isDirectory) {
            return ERROR_PATH_NOT_FOUND;
        }
    }
    if (itemPath.size() > 1 && !knownItem) {
        lastItemPath_.assign(itemPath);
        lastItemId_ = id;
        lastItemPlace_ = place;
    }
    if (names.Suffix().empty()) {
        streamKey->clear();
    } else if (!content_.geometry.IsNtfs()) {
        return ERROR_INVALID_NAME; // only NTFS has attribute streams
    } else if (!SimStreamKey(names.Suffix(), streamKey)) {
        return ERROR_INVALID_NAME;
    }
    *recordId = id;
    if (indexPlace != nullptr) {
        *indexPlace = place;
    }
    return ERROR_SUCCESS;
}

DWORD CSimVolume::ResolveParentLocked(const std::wstring& path, SimRecord** parent,
                                      std::wstring* name) {
    const size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos || slash + 1 >= path.size() ||
        path.find(L':') != std::wstring::npos) {
        return ERROR_INVALID_NAME;
    }
    uint64_t parentId = content_.rootId;
    std::wstring key;
    if (slash > 0) {
        const DWORD error = ResolveLocked(path.substr(0, slash), &parentId, &key);
        if (error != ERROR_SUCCESS) {
            return error == ERROR_FILE_NOT_FOUND ? ERROR_PATH_NOT_FOUND : error;
        }
    }
    SimRecord& directory = content_.records.at(parentId);
    *name = path.substr(slash + 1);
    if (!directory.IsDirectory() || name->find_first_of(L"*?\"<>|/") != std::wstring::npos) {
        return ERROR_PATH_NOT_FOUND;
    }
    if (directory.children.count(SimFoldName(*name)) != 0) {
        return ERROR_ALREADY_EXISTS;
    }
    *parent = &directory;
    return ERROR_SUCCESS;
}

std::wstring CSimVolume::PathOfLocked(uint64_t recordId) const {
    std::wstring path;
    uint64_t id = recordId;
    // Bounded by the record count, so a damaged parent chain cannot loop.
    for (size_t depth = 0; id != content_.rootId && depth < content_.records.size(); ++depth) {
        auto found = content_.records.find(id);
        if (found == content_.records.end()) {
            break;
        }
        path = L"\\" + found->second.name + path;
        id = found->second.parentId;
    }
    return path.empty() ? L"\\" : path;
}

const SimStream* CSimVolume::StreamLocked(uint64_t recordId, const std::wstring& key) const {
    const SimRecord* record = RecordLocked(recordId);
    return record == nullptr ? nullptr : record->FindStream(key);
}
