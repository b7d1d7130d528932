#include "EngineTestVolume.h"

#include <algorithm>

namespace {

std::vector<uint8_t> PatternBytes(const std::wstring& seedText, size_t bytes) {
    uint32_t state = 2166136261u;
    for (const wchar_t unit : seedText) {
        state = (state ^ static_cast<uint32_t>(unit)) * 16777619u;
    }
    std::vector<uint8_t> data(bytes);
    for (uint8_t& byte : data) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<uint8_t>(state >> 24);
    }
    return data;
}

std::vector<SimExtent> ToExtents(const std::vector<LayoutRun>& layout) {
    std::vector<SimExtent> extents;
    uint64_t vcn = 0;
    for (const LayoutRun& run : layout) {
        extents.push_back({vcn, run.lcn < 0 ? kSimSparseLcn : run.lcn, run.count});
        vcn += run.count;
    }
    return extents;
}

} // namespace

EngineTestVolume::EngineTestVolume(uint64_t totalClusters, const std::wstring& fileSystem,
                                   uint64_t mftZoneStart, uint64_t mftZoneEnd) {
    SimGeometry geometry;
    geometry.fileSystemName = fileSystem;
    geometry.bytesPerCluster = 512;
    geometry.totalClusters = totalClusters;
    geometry.mftZoneStart = mftZoneStart;
    geometry.mftZoneEnd = mftZoneEnd;
    DWORD error = ERROR_SUCCESS;
    volume_ = CSimVolume::Create(L"", geometry, &error);
    EXPECT_NE(nullptr, volume_) << "error " << error;
    Mount();
}

EngineTestVolume::EngineTestVolume(const SimBuildSpec& spec) {
    DWORD error = ERROR_SUCCESS;
    volume_ = BuildSimVolume(L"", spec, &error);
    EXPECT_NE(nullptr, volume_) << "error " << error;
    Mount();
}

void EngineTestVolume::Mount() {
    api_.Mount(kDrive, volume_);
    volume_->SetBeforeMoveHook([this](const SimMoveEvent& move) {
        ++moves_[move.path];
        if (++movesSeen_ == abortAtMove_) {
            state_.RequestAbort();
        }
    });
}

void EngineTestVolume::AddDirectory(const std::wstring& path, DWORD attributes) {
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), volume_->AddDirectory(path, attributes));
}

void EngineTestVolume::AddFile(const std::wstring& path, const std::vector<LayoutRun>& layout) {
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), volume_->AddFile(path));
    SetStream(path, L"", layout);
}

void EngineTestVolume::SetStream(const std::wstring& path, const std::wstring& streamKey,
                                 const std::vector<LayoutRun>& layout) {
    uint64_t clusters = 0;
    for (const LayoutRun& run : layout) {
        clusters += run.count;
    }
    const size_t bytes = static_cast<size_t>(clusters * volume_->Geometry().bytesPerCluster);
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS),
              volume_->SetStream(path, streamKey, bytes, ToExtents(layout),
                                 PatternBytes(path + streamKey, bytes)));
}

void EngineTestVolume::Occupy(const std::vector<LayoutRun>& runs) {
    const std::wstring name = L"$Occupied" + std::to_wstring(++occupiedFiles_);
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), volume_->AddSystemFile(name, ToExtents(runs)));
}

int EngineTestVolume::Run(int32_t mode, bool analyseAndDefragment) {
    return RunThrough(api_, mode, analyseAndDefragment);
}

int EngineTestVolume::RunThrough(CVolumeApi& api, int32_t mode, bool analyseAndDefragment) {
    digests_ = DigestSimVolume(*volume_);
    if (!state_.AllocateCells(kCells)) {
        ADD_FAILURE() << "no cells";
        return 0;
    }
    return RunDefrag(state_, api, mode, kDrive, analyseAndDefragment);
}

std::vector<LayoutRun> EngineTestVolume::LayoutOf(const std::wstring& path,
                                                  const std::wstring& streamKey) {
    std::vector<LayoutRun> layout;
    const SimVolumeContent content = volume_->CopyContent();
    for (const auto& [id, record] : content.records) {
        if (volume_->PathOf(id) != path) {
            continue;
        }
        if (const SimStream* stream = record.FindStream(streamKey)) {
            for (const SimExtent& extent : stream->extents) {
                // Adjacent pieces read as one run, as the file system reports them.
                if (!layout.empty() && layout.back().lcn >= 0 && extent.lcn >= 0 &&
                    layout.back().lcn + static_cast<int64_t>(layout.back().count) == extent.lcn) {
                    layout.back().count += extent.count;
                } else {
                    layout.push_back({extent.lcn < 0 ? -1 : extent.lcn, extent.count});
                }
            }
        }
    }
    return layout;
}

std::vector<FileReport> EngineTestVolume::Reports() {
    std::vector<FileReport> reports;
    auto record = std::make_unique<FileReportRecord>();
    for (uint32_t i = 0; i < state_.ReportCount(); ++i) {
        EXPECT_TRUE(state_.GetReportItem(i, *record));
        FileReport report;
        report.path = record->path;
        report.isDirectory = record->isDirectory;
        report.fragmentsBefore = record->fragmentsBefore;
        report.fragmentsAfter = record->fragmentsAfter;
        report.allocatedClusters = record->allocatedClusters;
        report.totalClusters = record->totalClusters;
        report.size = record->size;
        report.status = record->status;
        reports.push_back(report);
    }
    return reports;
}

std::optional<FileReport> EngineTestVolume::ReportFor(const std::wstring& path) {
    for (const FileReport& report : Reports()) {
        if (report.path == path) {
            return report;
        }
    }
    return std::nullopt;
}

int EngineTestVolume::MovesOf(const std::wstring& path) const {
    const auto found = moves_.find(path);
    return found == moves_.end() ? 0 : found->second;
}

int EngineTestVolume::TotalMoves() const {
    return movesSeen_;
}

uint64_t EngineTestVolume::CellTotal(uint64_t ClusterMapBlock::*count) {
    uint64_t sum = 0;
    const ClusterMapBlock* cells = state_.Cells();
    for (uint32_t i = 0; cells != nullptr && i < state_.cellCount; ++i) {
        sum += cells[i].*count;
    }
    return sum;
}

void EngineTestVolume::ExpectSound(bool exactFreeCount) {
    EXPECT_EQ(0u, api_.OpenHandleCount()) << "handles left open by the run";
    for (const std::wstring& problem : CheckSimVolume(*volume_, &digests_)) {
        ADD_FAILURE() << "volume: " << std::string(problem.begin(), problem.end());
    }
    const uint64_t total = volume_->Geometry().totalClusters;
    const uint64_t perCell = state_.clustersPerCell;
    const ClusterMapBlock* cells = state_.Cells();
    ASSERT_NE(nullptr, cells);
    for (uint32_t i = 0; i < state_.cellCount; ++i) {
        const uint64_t first = i * perCell;
        const uint64_t covered = first >= total ? 0 : std::min(total, first + perCell) - first;
        const ClusterMapBlock& cell = cells[i];
        EXPECT_EQ(covered, cell.freeClusters + cell.otherUsedClusters + cell.contiguousClusters +
                               cell.fragmentedClusters)
            << "cell " << i;
    }
    if (exactFreeCount) {
        EXPECT_EQ(total - volume_->UsedClusters(), CellTotal(&ClusterMapBlock::freeClusters));
    }
}
