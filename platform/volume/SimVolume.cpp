// Creating and opening a volume's image, committing its changes and reading its content.
#include "SimVolume.h"

#include "SimLayout.h"

#include <algorithm>

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

namespace {

// Whether the image's clusters at the copies' targets hold the data of that digest.
bool TargetsHoldData(CSimImage& image, const std::vector<SimClusterCopy>& copies,
                     uint32_t bytesPerCluster, uint64_t digest) {
    constexpr uint64_t kChunkClusters = 256;
    std::vector<uint8_t> buffer;
    uint64_t found = kSimDataDigestStart;
    for (const SimClusterCopy& copy : copies) {
        for (uint64_t done = 0; done < copy.count; done += kChunkClusters) {
            const uint64_t n = std::min(kChunkClusters, copy.count - done);
            buffer.resize(static_cast<size_t>(n * bytesPerCluster));
            if (!image.ReadClusters(copy.to + done, n, buffer.data())) {
                return false;
            }
            found = SimDataDigest(found, buffer.data(), buffer.size());
        }
    }
    return found == digest;
}

} // namespace

std::unique_ptr<CSimVolume> CSimVolume::Open(const std::wstring& imagePath, DWORD* error) {
    std::unique_ptr<CSimVolume> volume(new CSimVolume());
    auto replay = [](SimVolumeContent& content, const SimJournalMove& move, CSimImage* verify) {
        std::vector<SimClusterCopy> copies;
        if (SimCheckMove(content, move, &copies) != ERROR_SUCCESS ||
            (verify != nullptr &&
             !TargetsHoldData(*verify, copies, content.geometry.bytesPerCluster,
                              move.dataDigest))) {
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
        // No one is left to tell: the moves are in the journal already, and every building
        // change reported its own commit.
        static_cast<void>(image_->Checkpoint(content_));
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
    MovesFlushedLocked();
    return ERROR_SUCCESS;
}

void CSimVolume::MovesFlushedLocked() {
    unflushedMoveClusters_ = 0;
    freedByUnflushedMoves_.Clear();
}

DWORD CSimVolume::Flush() {
    std::lock_guard lock(mutex_);
    return CommitLocked();
}

void CSimVolume::SetDurable(bool durable) {
    std::lock_guard lock(mutex_);
    image_->SetDurable(durable);
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

uint64_t CSimVolume::MovedClusters() const {
    std::lock_guard lock(mutex_);
    return movedClusters_;
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

std::wstring CSimVolume::PathOf(uint64_t recordId) const {
    std::lock_guard lock(mutex_);
    return PathOfLocked(recordId);
}
