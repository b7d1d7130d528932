#include "SimVolume.h"

#include "SimLayout.h"

#include <winioctl.h>

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

constexpr uint64_t kCopyChunkClusters = 256;
constexpr DWORD kFileRecordBytes = 1024;

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

// Appends an entry of a listing: a directory has no size of its own.
void AddListed(SimListing& listing, std::wstring_view name, DWORD attributes, uint64_t dataSize) {
    SimListedEntry& entry = listing.entries.emplace_back();
    entry.attributes = attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        entry.size = dataSize;
    }
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        entry.reparseTag = IO_REPARSE_TAG_MOUNT_POINT;
    }
    const size_t length = std::min<size_t>(name.size(), MAX_PATH - 1);
    entry.nameOffset = static_cast<uint32_t>(listing.names.size());
    entry.nameLength = static_cast<uint32_t>(length);
    listing.names.append(name.substr(0, length));
}

void AddListed(SimListing& listing, std::wstring_view name, const SimRecord& record) {
    AddListed(listing, name, record.attributes,
              record.streams.empty() ? 0 : record.streams.front().size);
}

} // namespace

void SimListing::Fill(size_t at, WIN32_FIND_DATAW* data) const {
    const SimListedEntry& entry = entries[at];
    *data = WIN32_FIND_DATAW{};
    data->dwFileAttributes = entry.attributes;
    data->nFileSizeHigh = static_cast<DWORD>(entry.size >> 32);
    data->nFileSizeLow = static_cast<DWORD>(entry.size);
    data->dwReserved0 = entry.reparseTag;
    std::memcpy(data->cFileName, names.data() + entry.nameOffset,
                entry.nameLength * sizeof(wchar_t));
}

namespace {

bool PathMatches(const std::wstring& filter, const std::wstring& path) {
    return filter.empty() || SimFoldName(filter) == SimFoldName(path);
}

} // namespace

std::unique_ptr<CSimVolume> CSimVolume::Create(const std::wstring& imagePath,
                                               const SimGeometry& geometry, DWORD* error) {
    if (geometry.totalClusters == 0 || geometry.bytesPerSector == 0 ||
        geometry.bytesPerCluster % geometry.bytesPerSector != 0 ||
        geometry.mftZoneStart > geometry.mftZoneEnd ||
        geometry.mftZoneEnd > geometry.totalClusters) {
        *error = ERROR_INVALID_PARAMETER;
        return nullptr;
    }
    std::unique_ptr<CSimVolume> volume(new CSimVolume());
    SimVolumeContent& c = volume->content_;
    c.geometry = geometry;
    SimRecord root;
    root.id = c.rootId = 5; // the root directory's record number on NTFS
    root.parentId = root.id;
    root.attributes = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    root.streams.push_back(SimStream{});
    c.records.emplace(root.id, std::move(root));
    c.nextRecordId = 64;
    volume->image_ = CSimImage::Create(imagePath, c, error);
    return volume->image_ ? std::move(volume) : nullptr;
}

std::unique_ptr<CSimVolume> CSimVolume::Open(const std::wstring& imagePath, DWORD* error) {
    std::unique_ptr<CSimVolume> volume(new CSimVolume());
    auto replay = [](SimVolumeContent& content, const SimJournalMove& move) {
        std::vector<SimClusterCopy> copies;
        if (SimCheckMove(content, move, &copies) != ERROR_SUCCESS) {
            return false;
        }
        SimApplyMove(content, move, copies);
        return true;
    };
    volume->image_ = CSimImage::Open(imagePath, &volume->content_, replay, error);
    if (!volume->image_) {
        return nullptr;
    }
    volume->index_.Build(volume->content_);
    volume->content_.used.KeepBitmap(volume->content_.geometry.totalClusters);
    return volume;
}

CSimVolume::~CSimVolume() {
    std::lock_guard lock(mutex_);
    if (image_ && dirty_ && !image_->Crashed()) {
        image_->Checkpoint(content_);
    }
}

DWORD CSimVolume::CommitLocked() {
    ForgetIndexLocked();
    dirty_ = true;
    if (batchDepth_ > 0) {
        return ERROR_SUCCESS;
    }
    if (!image_->Checkpoint(content_)) {
        return image_->Crashed() ? ERROR_NOT_READY : ERROR_WRITE_FAULT;
    }
    dirty_ = false;
    return ERROR_SUCCESS;
}

void CSimVolume::BeginBatch() {
    std::lock_guard lock(mutex_);
    ++batchDepth_;
}

DWORD CSimVolume::EndBatch() {
    std::lock_guard lock(mutex_);
    if (batchDepth_ > 0) {
        --batchDepth_;
    }
    const DWORD error = dirty_ ? CommitLocked() : ERROR_SUCCESS;
    if (batchDepth_ == 0 && !index_.Built()) {
        index_.Build(content_); // a built volume is walked next
    }
    if (batchDepth_ == 0) {
        content_.used.KeepBitmap(content_.geometry.totalClusters); // and its bitmap read
    }
    return error;
}

DWORD CSimVolume::Flush() {
    std::lock_guard lock(mutex_);
    return CommitLocked();
}

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

DWORD CSimVolume::AddRecordLocked(const std::wstring& path, DWORD attributes, uint32_t flags) {
    SimRecord* parent = nullptr;
    std::wstring name;
    const DWORD error = ResolveParentLocked(path, &parent, &name);
    if (error != ERROR_SUCCESS) {
        return error;
    }
    SimRecord record;
    record.id = content_.nextRecordId++;
    record.parentId = parent->id;
    record.name = name;
    record.attributes = attributes;
    record.flags = flags;
    record.streams.push_back(SimStream{});
    parent->children.emplace(SimFoldName(name), SimDirEntry{name, record.id});
    content_.records.emplace(record.id, std::move(record));
    return CommitLocked();
}

DWORD CSimVolume::AddDirectory(const std::wstring& path, DWORD attributes, uint32_t flags) {
    std::lock_guard lock(mutex_);
    return AddRecordLocked(path, attributes | FILE_ATTRIBUTE_DIRECTORY, flags);
}

DWORD CSimVolume::AddFile(const std::wstring& path, DWORD attributes, uint32_t flags) {
    std::lock_guard lock(mutex_);
    return AddRecordLocked(path, attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY), flags);
}

DWORD CSimVolume::SetStream(const std::wstring& path, const std::wstring& streamKey, uint64_t size,
                            const std::vector<SimExtent>& extents,
                            const std::vector<uint8_t>& data) {
    std::lock_guard lock(mutex_);
    uint64_t id = 0;
    std::wstring ignored;
    DWORD error = ResolveLocked(path, &id, &ignored);
    if (error != ERROR_SUCCESS) {
        return error;
    }
    const uint32_t bytesPerCluster = content_.geometry.bytesPerCluster;
    const uint64_t total = content_.geometry.totalClusters;
    if (!data.empty() && data.size() != size) {
        return ERROR_INVALID_PARAMETER;
    }
    SimRecord& record = content_.records.at(id);
    SimStream* stream = record.FindStream(streamKey);
    if (stream == nullptr) {
        record.streams.push_back(SimStream{streamKey, 0, {}, {}});
        stream = &record.streams.back();
    }
    // The layout must run from VCN 0 without gaps and hold the size.
    uint64_t vcn = 0;
    for (const SimExtent& extent : extents) {
        if (extent.vcn != vcn || extent.count == 0 ||
            (extent.lcn != kSimSparseLcn &&
             (extent.lcn < 0 || static_cast<uint64_t>(extent.lcn) >= total ||
              extent.count > total - static_cast<uint64_t>(extent.lcn)))) {
            return ERROR_INVALID_PARAMETER;
        }
        vcn += extent.count;
    }
    if (!extents.empty() && vcn * bytesPerCluster < size) {
        return ERROR_INVALID_PARAMETER;
    }
    for (const SimExtent& extent : stream->extents) {
        if (extent.lcn != kSimSparseLcn) {
            content_.used.Remove(static_cast<uint64_t>(extent.lcn), extent.count);
        }
    }
    const std::vector<SimExtent> old = std::move(stream->extents);
    stream->extents.clear();
    for (const SimExtent& extent : extents) {
        if (extent.lcn != kSimSparseLcn &&
            !content_.used.IsFree(static_cast<uint64_t>(extent.lcn), extent.count)) {
            for (const SimExtent& back : stream->extents) { // undo: the target is taken
                if (back.lcn != kSimSparseLcn) {
                    content_.used.Remove(static_cast<uint64_t>(back.lcn), back.count);
                }
            }
            for (const SimExtent& back : old) {
                if (back.lcn != kSimSparseLcn) {
                    content_.used.Add(static_cast<uint64_t>(back.lcn), back.count);
                }
            }
            stream->extents = old;
            return ERROR_ACCESS_DENIED;
        }
        if (extent.lcn != kSimSparseLcn) {
            content_.used.Add(static_cast<uint64_t>(extent.lcn), extent.count);
        }
        stream->extents.push_back(extent); // as given: adjacent runs may stay apart
    }
    stream->size = size;
    stream->residentData.clear();
    if (extents.empty()) {
        stream->residentData = data;
        stream->residentData.resize(static_cast<size_t>(size));
    } else if (!data.empty()) {
        // One write per extent; the part of its last cluster past the size is zeros.
        std::vector<uint8_t> clusters;
        for (const SimExtent& extent : stream->extents) {
            if (extent.lcn == kSimSparseLcn) {
                continue;
            }
            const uint64_t offset = extent.vcn * bytesPerCluster;
            clusters.assign(static_cast<size_t>(extent.count * bytesPerCluster), 0);
            if (offset < size) {
                std::memcpy(
                    clusters.data(), data.data() + offset,
                    static_cast<size_t>(std::min<uint64_t>(clusters.size(), size - offset)));
            }
            if (!WriteClustersLocked(static_cast<uint64_t>(extent.lcn), extent.count,
                                     clusters.data())) {
                return ERROR_WRITE_FAULT;
            }
        }
        if (!image_->Flush()) {
            return ERROR_WRITE_FAULT;
        }
    }
    return CommitLocked();
}

void CSimVolume::SetPatternSeed(uint64_t seed) {
    std::lock_guard lock(mutex_);
    content_.patternSeed = seed;
    dirty_ = true;
}

DWORD CSimVolume::FillStreamWithPattern(const std::wstring& path, const std::wstring& streamKey) {
    std::lock_guard lock(mutex_);
    uint64_t id = 0;
    std::wstring ignored;
    const DWORD error = ResolveLocked(path, &id, &ignored);
    if (error != ERROR_SUCCESS) {
        return error;
    }
    const SimStream* stream = StreamLocked(id, streamKey);
    if (stream == nullptr) {
        return ERROR_FILE_NOT_FOUND;
    }
    for (const SimExtent& extent : stream->extents) {
        if (extent.lcn != kSimSparseLcn) {
            content_.patterned.Assign(static_cast<uint64_t>(extent.lcn), extent.count, true);
        }
    }
    return CommitLocked();
}

bool CSimVolume::ReadClustersLocked(uint64_t lcn, uint64_t count, uint8_t* out) const {
    const uint32_t bytesPerCluster = content_.geometry.bytesPerCluster;
    const CSimRunSet::Runs& runs = content_.patterned.GetRuns();
    const uint64_t end = lcn + count;
    while (lcn < end) {
        auto next = runs.upper_bound(lcn);
        if (next != runs.begin() && std::prev(next)->second > lcn) {
            const uint64_t stop = std::min(end, std::prev(next)->second);
            for (; lcn < stop; ++lcn, out += bytesPerCluster) {
                SimFillPattern(content_.patternSeed, lcn, bytesPerCluster, out);
            }
            continue;
        }
        const uint64_t stop = next != runs.end() ? std::min(end, next->first) : end;
        if (!image_->ReadClusters(lcn, stop - lcn, out)) {
            return false;
        }
        out += (stop - lcn) * bytesPerCluster;
        lcn = stop;
    }
    return true;
}

bool CSimVolume::WriteClustersLocked(uint64_t lcn, uint64_t count, const uint8_t* data) {
    if (!image_->WriteClusters(lcn, count, data)) {
        return false;
    }
    content_.patterned.Assign(lcn, count, false);
    return true;
}

DWORD CSimVolume::AddHardLink(const std::wstring& existingPath, const std::wstring& newPath) {
    std::lock_guard lock(mutex_);
    uint64_t id = 0;
    std::wstring key;
    DWORD error = ResolveLocked(existingPath, &id, &key);
    if (error != ERROR_SUCCESS) {
        return error;
    }
    if (!key.empty() || content_.records.at(id).IsDirectory()) {
        return ERROR_ACCESS_DENIED; // directories and streams take no hard links
    }
    SimRecord* parent = nullptr;
    std::wstring name;
    error = ResolveParentLocked(newPath, &parent, &name);
    if (error != ERROR_SUCCESS) {
        return error;
    }
    parent->children.emplace(SimFoldName(name), SimDirEntry{name, id});
    ++content_.records.at(id).linkCount;
    return CommitLocked();
}

DWORD CSimVolume::AddSystemFile(const std::wstring& name, const std::vector<SimExtent>& extents) {
    std::lock_guard lock(mutex_);
    const uint64_t total = content_.geometry.totalClusters;
    SimRecord record;
    record.id = content_.nextRecordId++;
    record.parentId = content_.rootId;
    record.name = name;
    record.attributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    record.flags = kSimImmovable;
    SimStream stream;
    for (const SimExtent& extent : extents) {
        if (extent.lcn < 0 || static_cast<uint64_t>(extent.lcn) >= total ||
            extent.count > total - static_cast<uint64_t>(extent.lcn) ||
            !content_.used.IsFree(static_cast<uint64_t>(extent.lcn), extent.count)) {
            return ERROR_ACCESS_DENIED;
        }
    }
    uint64_t vcn = 0;
    for (const SimExtent& extent : extents) {
        content_.used.Add(static_cast<uint64_t>(extent.lcn), extent.count);
        SimAppendExtent(stream.extents, SimExtent{vcn, extent.lcn, extent.count}, true);
        vcn += extent.count;
    }
    stream.size = vcn * content_.geometry.bytesPerCluster;
    record.streams.push_back(std::move(stream));
    content_.systemIds.push_back(record.id);
    content_.records.emplace(record.id, std::move(record));
    return CommitLocked();
}

DWORD CSimVolume::SetRecordFlags(const std::wstring& path, uint32_t flags) {
    std::lock_guard lock(mutex_);
    uint64_t id = 0;
    std::wstring key;
    const DWORD error = ResolveLocked(path, &id, &key);
    if (error != ERROR_SUCCESS) {
        return error;
    }
    content_.records.at(id).flags = flags;
    return CommitLocked();
}

void CSimVolume::FailMoves(const std::wstring& path, int count, DWORD error) {
    std::lock_guard lock(mutex_);
    moveFaults_.push_back(SimFault{path, count, error});
}

void CSimVolume::FailOpens(const std::wstring& path, int count, DWORD error) {
    std::lock_guard lock(mutex_);
    openFaults_.push_back(SimFault{path, count, error});
}

bool CSimVolume::TakeFault(std::vector<SimFault>& faults, const std::wstring& path, DWORD* error) {
    for (auto it = faults.begin(); it != faults.end(); ++it) {
        if (it->count != 0 && PathMatches(it->path, path)) {
            *error = it->error;
            if (it->count > 0 && --it->count == 0) {
                faults.erase(it);
            }
            return true;
        }
    }
    return false;
}

void CSimVolume::SetBeforeMoveHook(std::function<void(const SimMoveEvent&)> hook) {
    std::lock_guard lock(mutex_);
    beforeMove_ = std::move(hook);
}

void CSimVolume::SetAfterBitmapReadHook(std::function<void()> hook) {
    std::lock_guard lock(mutex_);
    afterBitmapRead_ = std::move(hook);
}

void CSimVolume::ArmCrash(SimCrashPoint point, int occurrence) {
    std::lock_guard lock(mutex_);
    image_->ArmCrash(point, occurrence);
}

bool CSimVolume::Crashed() const {
    std::lock_guard lock(mutex_);
    return image_->Crashed();
}

void CSimVolume::SetDurable(bool durable) {
    std::lock_guard lock(mutex_);
    image_->SetDurable(durable);
}

void CSimVolume::MarkClusters(uint64_t lcn, uint64_t count, bool used) {
    std::lock_guard lock(mutex_);
    content_.used.Assign(lcn, count, used);
    dirty_ = true;
}

DWORD CSimVolume::ReplaceExtents(const std::wstring& path, const std::wstring& streamKey,
                                 const std::vector<SimExtent>& extents) {
    std::lock_guard lock(mutex_);
    uint64_t id = 0;
    std::wstring ignored;
    const DWORD error = ResolveLocked(path, &id, &ignored);
    if (error != ERROR_SUCCESS) {
        return error;
    }
    SimStream* stream = content_.records.at(id).FindStream(streamKey);
    if (stream == nullptr) {
        return ERROR_FILE_NOT_FOUND;
    }
    stream->extents = extents;
    ForgetIndexLocked();
    dirty_ = true;
    return ERROR_SUCCESS;
}

DWORD CSimVolume::WriteClusters(uint64_t lcn, const std::vector<uint8_t>& data) {
    std::lock_guard lock(mutex_);
    const uint32_t bytesPerCluster = content_.geometry.bytesPerCluster;
    if (data.size() % bytesPerCluster != 0 || lcn >= content_.geometry.totalClusters ||
        data.size() / bytesPerCluster > content_.geometry.totalClusters - lcn) {
        return ERROR_INVALID_PARAMETER;
    }
    dirty_ = true; // the clusters' pattern ended
    return WriteClustersLocked(lcn, data.size() / bytesPerCluster, data.data()) ? ERROR_SUCCESS
                                                                                : ERROR_WRITE_FAULT;
}

SimVolumeContent CSimVolume::CopyContent() const {
    std::lock_guard lock(mutex_);
    return content_;
}

SimGeometry CSimVolume::Geometry() const {
    std::lock_guard lock(mutex_);
    return content_.geometry;
}

uint64_t CSimVolume::UsedClusters() const {
    std::lock_guard lock(mutex_);
    return content_.used.UsedClusters();
}

DWORD CSimVolume::ReadStream(uint64_t recordId, const std::wstring& streamKey,
                             std::vector<uint8_t>* data) const {
    std::lock_guard lock(mutex_);
    const SimStream* stream = StreamLocked(recordId, streamKey);
    if (stream == nullptr) {
        return ERROR_FILE_NOT_FOUND;
    }
    if (stream->extents.empty()) {
        *data = stream->residentData;
        data->resize(static_cast<size_t>(stream->size));
        return ERROR_SUCCESS;
    }
    const uint32_t bytesPerCluster = content_.geometry.bytesPerCluster;
    data->assign(static_cast<size_t>(SimSpanClusters(*stream) * bytesPerCluster), 0);
    for (const SimExtent& extent : stream->extents) {
        if (extent.lcn != kSimSparseLcn &&
            !ReadClustersLocked(static_cast<uint64_t>(extent.lcn), extent.count,
                                data->data() + extent.vcn * bytesPerCluster)) {
            return ERROR_READ_FAULT;
        }
    }
    data->resize(static_cast<size_t>(stream->size));
    return ERROR_SUCCESS;
}

const SimStream* CSimVolume::StreamLocked(uint64_t recordId, const std::wstring& key) const {
    const SimRecord* record = RecordLocked(recordId);
    return record == nullptr ? nullptr : record->FindStream(key);
}

std::wstring CSimVolume::PathOf(uint64_t recordId) const {
    std::lock_guard lock(mutex_);
    return PathOfLocked(recordId);
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

DWORD CSimVolume::OpenItem(std::wstring_view path, DWORD flagsAndAttributes, SimItemRef* item) {
    std::lock_guard lock(mutex_);
    if (image_->Crashed()) {
        return ERROR_NOT_READY;
    }
    uint64_t id = 0;
    uint32_t place = CSimVolumeIndex::kNone;
    std::wstring& key = keyScratch_;
    DWORD error = ResolveLocked(path, &id, &key, &place);
    if (error != ERROR_SUCCESS) {
        return error;
    }
    // The index answers the default stream, and that a record has no other.
    const CSimVolumeIndex::Item* indexed = IndexedLocked(id, place);
    const SimRecord* record = indexed != nullptr ? nullptr : RecordLocked(id);
    const bool isDirectory = indexed != nullptr ? indexed->IsDirectory() : record->IsDirectory();
    if (isDirectory && key.empty() && !(flagsAndAttributes & FILE_FLAG_BACKUP_SEMANTICS)) {
        return ERROR_ACCESS_DENIED;
    }
    const bool hasStream = indexed != nullptr ? key.empty() || (indexed->streamCount > 1 &&
                                                                RecordLocked(id)->FindStream(key))
                                              : record->FindStream(key) != nullptr;
    if (!hasStream) {
        return ERROR_FILE_NOT_FOUND;
    }
    if ((indexed != nullptr ? indexed->flags : record->flags) & kSimLocked) {
        return ERROR_SHARING_VIOLATION;
    }
    if (!openFaults_.empty()) {
        const std::wstring canonical = PathOfLocked(id);
        if (TakeFault(openFaults_, canonical, &error) ||
            (canonical != path && TakeFault(openFaults_, std::wstring(path), &error))) {
            return error;
        }
    }
    item->recordId = id;
    item->streamKey = key;
    item->indexPlace = indexed != nullptr ? index_.PlaceOf(*indexed) : CSimVolumeIndex::kNone;
    return ERROR_SUCCESS;
}

DWORD CSimVolume::ItemSize(const SimItemRef& item, uint64_t* size) const {
    std::lock_guard lock(mutex_);
    return ItemSizeLocked(item, size);
}

DWORD CSimVolume::ItemSizeLocked(const SimItemRef& item, uint64_t* size) const {
    const CSimVolumeIndex::Item* indexed =
        item.streamKey.empty() ? IndexedLocked(item.recordId, item.indexPlace) : nullptr;
    if (indexed != nullptr) {
        *size = indexed->IsDirectory() ? 0 : indexed->dataSize;
        return ERROR_SUCCESS;
    }
    const SimStream* stream = StreamLocked(item.recordId, item.streamKey);
    if (stream == nullptr) {
        return ERROR_INVALID_HANDLE;
    }
    *size = RecordLocked(item.recordId)->IsDirectory() && item.streamKey.empty() ? 0 : stream->size;
    return ERROR_SUCCESS;
}

// A stream answers its record's identity, as NTFS does: every name and stream of a file shares
// the volume serial number and the file index.
DWORD CSimVolume::ItemInformation(const SimItemRef& item, BY_HANDLE_FILE_INFORMATION* info) const {
    std::lock_guard lock(mutex_);
    uint64_t size = 0;
    const DWORD error = ItemSizeLocked(item, &size);
    if (error != ERROR_SUCCESS) {
        return error;
    }
    const CSimVolumeIndex::Item* indexed = IndexedLocked(item.recordId, item.indexPlace);
    const SimRecord* record = indexed != nullptr ? nullptr : RecordLocked(item.recordId);
    const DWORD attributes = indexed != nullptr ? indexed->attributes : record->attributes;
    *info = BY_HANDLE_FILE_INFORMATION{};
    info->dwFileAttributes = attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
    info->dwVolumeSerialNumber = content_.geometry.serialNumber;
    info->nFileSizeHigh = static_cast<DWORD>(size >> 32);
    info->nFileSizeLow = static_cast<DWORD>(size);
    info->nNumberOfLinks = indexed != nullptr ? indexed->linkCount : record->linkCount;
    info->nFileIndexHigh = static_cast<DWORD>(item.recordId >> 32);
    info->nFileIndexLow = static_cast<DWORD>(item.recordId);
    return ERROR_SUCCESS;
}

DWORD CSimVolume::ListDirectory(std::wstring_view path, SimListing* listing) const {
    std::lock_guard lock(mutex_);
    if (image_->Crashed()) {
        return ERROR_NOT_READY;
    }
    uint64_t id = 0;
    std::wstring key;
    const DWORD error = ResolveLocked(path, &id, &key);
    if (error != ERROR_SUCCESS) {
        return error == ERROR_FILE_NOT_FOUND ? ERROR_PATH_NOT_FOUND : error;
    }
    const SimRecord& directory = *RecordLocked(id);
    if (!directory.IsDirectory() || !key.empty()) {
        return ERROR_DIRECTORY;
    }
    listing->Clear();
    if (id != content_.rootId) {
        const SimRecord* parent = RecordLocked(directory.parentId);
        AddListed(*listing, L".", directory);
        AddListed(*listing, L"..", parent != nullptr ? *parent : directory);
    }
    if (!index_.Built()) {
        index_.Build(content_);
    }
    index_.Rewind(id);
    if (const CSimVolumeIndex::Item* indexed = index_.Find(id)) {
        for (const CSimVolumeIndex::Entry& entry : index_.EntriesOf(*indexed)) {
            const CSimVolumeIndex::Item& child = index_.ItemOf(entry);
            AddListed(*listing, index_.NameOf(entry), child.attributes, child.dataSize);
        }
    } else {
        for (const auto& [folded, entry] : directory.children) {
            if (const SimRecord* child = RecordLocked(entry.recordId)) {
                AddListed(*listing, entry.name, *child);
            }
        }
    }
    return listing->entries.empty() ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS;
}

DWORD CSimVolume::GetNtfsVolumeData(void* out, DWORD outSize, DWORD* returned) const {
    std::lock_guard lock(mutex_);
    const SimGeometry& g = content_.geometry;
    if (!g.IsNtfs()) {
        return ERROR_INVALID_FUNCTION;
    }
    if (out == nullptr || outSize < sizeof(NTFS_VOLUME_DATA_BUFFER)) {
        return ERROR_INSUFFICIENT_BUFFER;
    }
    NTFS_VOLUME_DATA_BUFFER data{};
    data.VolumeSerialNumber.QuadPart = g.serialNumber;
    data.NumberSectors.QuadPart =
        static_cast<LONGLONG>(g.totalClusters * (g.bytesPerCluster / g.bytesPerSector));
    data.TotalClusters.QuadPart = static_cast<LONGLONG>(g.totalClusters);
    data.FreeClusters.QuadPart =
        static_cast<LONGLONG>(g.totalClusters - content_.used.UsedClusters());
    data.BytesPerSector = g.bytesPerSector;
    data.BytesPerCluster = g.bytesPerCluster;
    data.BytesPerFileRecordSegment = kFileRecordBytes;
    data.ClustersPerFileRecordSegment =
        g.bytesPerCluster <= kFileRecordBytes ? kFileRecordBytes / g.bytesPerCluster : 0;
    data.MftValidDataLength.QuadPart =
        static_cast<LONGLONG>(content_.nextRecordId * kFileRecordBytes);
    data.MftStartLcn.QuadPart = static_cast<LONGLONG>(g.mftStartLcn);
    data.Mft2StartLcn.QuadPart = static_cast<LONGLONG>(g.mft2StartLcn);
    data.MftZoneStart.QuadPart = static_cast<LONGLONG>(g.mftZoneStart);
    data.MftZoneEnd.QuadPart = static_cast<LONGLONG>(g.mftZoneEnd);
    std::memcpy(out, &data, sizeof data);
    *returned = sizeof data;
    return ERROR_SUCCESS;
}

DWORD CSimVolume::GetVolumeBitmap(const void* in, DWORD inSize, void* out, DWORD outSize,
                                  DWORD* returned) {
    DWORD result = ERROR_SUCCESS;
    std::function<void()> hook;
    {
        std::lock_guard lock(mutex_);
        if (in == nullptr || inSize < sizeof(STARTING_LCN_INPUT_BUFFER)) {
            return ERROR_INVALID_PARAMETER;
        }
        if (out == nullptr || outSize < sizeof(VOLUME_BITMAP_BUFFER)) {
            return ERROR_INSUFFICIENT_BUFFER;
        }
        STARTING_LCN_INPUT_BUFFER start;
        std::memcpy(&start, in, sizeof start);
        const uint64_t total = content_.geometry.totalClusters;
        if (start.StartingLcn.QuadPart < 0 ||
            static_cast<uint64_t>(start.StartingLcn.QuadPart) >= total) {
            return ERROR_INVALID_PARAMETER;
        }
        const uint64_t first = static_cast<uint64_t>(start.StartingLcn.QuadPart) & ~7ull;
        const uint64_t clusters = total - first;
        const uint64_t room = outSize - offsetof(VOLUME_BITMAP_BUFFER, Buffer);
        const uint64_t bytes = std::min((clusters + 7) / 8, room);
        auto* buffer = static_cast<VOLUME_BITMAP_BUFFER*>(out);
        buffer->StartingLcn.QuadPart = static_cast<LONGLONG>(first);
        buffer->BitmapSize.QuadPart = static_cast<LONGLONG>(clusters);
        content_.used.KeepBitmap(total); // read again after every move of a defragmentation
        content_.used.FillBitmap(first, std::min(clusters, bytes * 8), buffer->Buffer);
        *returned = static_cast<DWORD>(offsetof(VOLUME_BITMAP_BUFFER, Buffer) + bytes);
        result = bytes * 8 < clusters ? ERROR_MORE_DATA : ERROR_SUCCESS;
        hook = afterBitmapRead_;
    }
    if (hook) {
        hook();
    }
    return result;
}

DWORD CSimVolume::GetRetrievalPointers(const SimItemRef& item, const void* in, DWORD inSize,
                                       void* out, DWORD outSize, DWORD* returned) const {
    std::lock_guard lock(mutex_);
    if (in == nullptr || inSize < sizeof(STARTING_VCN_INPUT_BUFFER)) {
        return ERROR_INVALID_PARAMETER;
    }
    if (out == nullptr || outSize < sizeof(RETRIEVAL_POINTERS_BUFFER)) {
        return ERROR_INSUFFICIENT_BUFFER;
    }
    std::span<const SimExtent> extents;
    const CSimVolumeIndex::Item* indexed =
        item.streamKey.empty() ? IndexedLocked(item.recordId, item.indexPlace) : nullptr;
    if (indexed != nullptr && !indexed->extentsStale) {
        extents = index_.ExtentsOf(*indexed);
    } else if (const SimStream* stream = StreamLocked(item.recordId, item.streamKey)) {
        extents = stream->extents;
    } else {
        return ERROR_INVALID_HANDLE;
    }
    STARTING_VCN_INPUT_BUFFER start;
    std::memcpy(&start, in, sizeof start);
    if (start.StartingVcn.QuadPart < 0) {
        return ERROR_INVALID_PARAMETER;
    }
    const uint64_t vcn = static_cast<uint64_t>(start.StartingVcn.QuadPart);
    // Resident and empty streams have no clusters at all.
    if (extents.empty() || vcn >= extents.back().vcn + extents.back().count) {
        return ERROR_HANDLE_EOF;
    }
    auto extent =
        std::upper_bound(extents.begin(), extents.end(), vcn,
                         [](uint64_t value, const SimExtent& e) { return value < e.vcn; });
    --extent; // the extent holding vcn: the answer starts at its first VCN, as NTFS rounds
    const size_t header = offsetof(RETRIEVAL_POINTERS_BUFFER, Extents);
    const size_t room = (outSize - header) / sizeof(RETRIEVAL_POINTERS_BUFFER::Extents[0]);
    const size_t remaining = static_cast<size_t>(extents.end() - extent);
    const size_t count = std::min(room, remaining);
    auto* buffer = static_cast<RETRIEVAL_POINTERS_BUFFER*>(out);
    buffer->ExtentCount = static_cast<DWORD>(count);
    buffer->StartingVcn.QuadPart = static_cast<LONGLONG>(extent->vcn);
    for (size_t i = 0; i < count; ++i, ++extent) {
        buffer->Extents[i].NextVcn.QuadPart = static_cast<LONGLONG>(extent->vcn + extent->count);
        buffer->Extents[i].Lcn.QuadPart = extent->lcn;
    }
    *returned = static_cast<DWORD>(header + count * sizeof(RETRIEVAL_POINTERS_BUFFER::Extents[0]));
    return count < remaining ? ERROR_MORE_DATA : ERROR_SUCCESS;
}

DWORD CSimVolume::MoveClusters(const SimItemRef& item, int64_t vcn, int64_t lcn, uint32_t count) {
    std::function<void(const SimMoveEvent&)> hook;
    SimMoveEvent event;
    {
        std::lock_guard lock(mutex_);
        hook = beforeMove_;
        event = SimMoveEvent{PathOfLocked(item.recordId), item.streamKey,
                             static_cast<uint64_t>(vcn), lcn, count};
    }
    if (hook) {
        hook(event);
    }
    std::lock_guard lock(mutex_);
    if (image_->Crashed()) {
        return ERROR_NOT_READY;
    }
    DWORD error = ERROR_SUCCESS;
    if (TakeFault(moveFaults_, event.path, &error)) {
        return error;
    }
    if (vcn < 0) {
        return ERROR_INVALID_PARAMETER;
    }
    const SimJournalMove move{item.recordId, item.streamKey, static_cast<uint64_t>(vcn), lcn,
                              count};
    std::vector<SimClusterCopy> copies;
    error = SimCheckMove(content_, move, &copies);
    if (error != ERROR_SUCCESS || copies.empty()) {
        return error;
    }
    // 1. Copy the data into the free target clusters and make it durable.
    const uint32_t bytesPerCluster = content_.geometry.bytesPerCluster;
    uint64_t chunk = 0;
    for (const SimClusterCopy& copy : copies) {
        chunk = std::max(chunk, std::min(copy.count, kCopyChunkClusters));
    }
    std::vector<uint8_t> buffer(static_cast<size_t>(chunk * bytesPerCluster));
    for (const SimClusterCopy& copy : copies) {
        for (uint64_t done = 0; done < copy.count; done += kCopyChunkClusters) {
            const uint64_t n = std::min(kCopyChunkClusters, copy.count - done);
            if (!ReadClustersLocked(copy.from + done, n, buffer.data()) ||
                !WriteClustersLocked(copy.to + done, n, buffer.data())) {
                return image_->Crashed() ? ERROR_NOT_READY : ERROR_WRITE_FAULT;
            }
        }
    }
    if (!image_->Flush() || image_->Reached(SimCrashPoint::AfterDataCopy)) {
        return image_->Crashed() ? ERROR_NOT_READY : ERROR_WRITE_FAULT;
    }
    // 2. Commit the new mapping; 3. only then are the old clusters free.
    if (!image_->AppendMove(move)) {
        return image_->Crashed() ? ERROR_NOT_READY : ERROR_WRITE_FAULT;
    }
    SimApplyMove(content_, move, copies);
    index_.MarkExtentsStale(item.recordId);
    dirty_ = true;
    if (image_->Crashed()) {
        return ERROR_NOT_READY; // the move is durable, but the device is gone
    }
    if (image_->JournalIsLarge() && batchDepth_ == 0 && image_->Checkpoint(content_)) {
        dirty_ = false;
    }
    return ERROR_SUCCESS;
}
