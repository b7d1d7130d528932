// Faults for tests: failing opens and moves, hooks, crashes and raw edits past every rule.
#include "SimVolume.h"

namespace {

bool PathMatches(const std::wstring& filter, const std::wstring& path) {
    return filter.empty() || SimFoldName(filter) == SimFoldName(path);
}

} // namespace

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
