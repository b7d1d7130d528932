// Building a volume: directories, files, streams and their data, hard links, system files.
#include "SimVolume.h"

#include "SimLayout.h"

#include <cstring>

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
