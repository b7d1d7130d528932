// The device calls behind CSimVolumeApi: opens, sizes, identities, listings, the volume's
// data and bitmap, and retrieval pointers (moves are in SimVolumeMoves.cpp).
#include "SimVolume.h"

#include "SimLayout.h"

#include <winioctl.h>

#include <algorithm>
#include <cstring>
#include <functional>

namespace {

constexpr DWORD kFileRecordBytes = 1024;

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
