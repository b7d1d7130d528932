// A simulated volume mounted at T: with an engine state of its own, for the engine's tests:
// lays out files cluster by cluster, runs the engine, and reads back reports and cells.
#pragma once

#include "DefragEngineState.h"
#include "DefragRun.h"
#include "SimVolume.h"
#include "SimVolumeBuilder.h"
#include "SimVolumeApi.h"
#include "SimVolumeChecker.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

// A run of a layout: count clusters at lcn, or sparse when lcn is -1.
struct LayoutRun {
    int64_t lcn;
    uint64_t count;
    bool operator==(const LayoutRun&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const LayoutRun& run) {
    return out << "{" << run.lcn << ", " << run.count << "}";
}

using Layout = std::vector<LayoutRun>;

class EngineTestVolume {
public:
    static constexpr wchar_t kDrive = L'T';
    static constexpr uint32_t kCells = 248;

    explicit EngineTestVolume(uint64_t totalClusters, const std::wstring& fileSystem = L"NTFS",
                              uint64_t mftZoneStart = 0, uint64_t mftZoneEnd = 0);
    // A volume built from a seed.
    explicit EngineTestVolume(const SimBuildSpec& spec);

    CSimVolume& Volume() { return *volume_; }
    CSimVolumeApi& Api() { return api_; }
    DefragEngineState& State() { return state_; }
    const DefragStatistics& Statistics() const { return state_.statistics; }

    void AddDirectory(const std::wstring& path, DWORD attributes = 0);
    // Adds a file (or sets a stream of an existing item) whose bytes are a pattern of its own.
    void AddFile(const std::wstring& path, const std::vector<LayoutRun>& layout);
    void SetStream(const std::wstring& path, const std::wstring& streamKey,
                   const std::vector<LayoutRun>& layout);
    // Marks clusters used by a hidden system file, so free space has a chosen shape.
    void Occupy(const std::vector<LayoutRun>& runs);

    // Runs the engine as the worker does, through the volume's own calls or through api (which
    // must reach this volume); counts the moves per item path.
    int Run(int32_t mode, bool analyseAndDefragment);
    int RunThrough(CVolumeApi& api, int32_t mode, bool analyseAndDefragment);

    std::vector<LayoutRun> LayoutOf(const std::wstring& path, const std::wstring& streamKey = L"");
    std::vector<FileReport> Reports();
    // The first report of path, if any.
    std::optional<FileReport> ReportFor(const std::wstring& path);
    int MovesOf(const std::wstring& path) const;
    int TotalMoves() const;
    // Aborts the run just before the move with this number (1 = the first) reaches the volume.
    void AbortAtMove(int moveNumber) { abortAtMove_ = moveNumber; }

    // No handle left open, every stream's bytes as before the run, the checker green, the cells
    // adding up to the clusters they cover, and (with exactFreeCount) their free counts matching
    // the volume's bitmap.
    void ExpectSound(bool exactFreeCount = true);
    uint64_t CellTotal(uint64_t ClusterMapBlock::*count);

private:
    std::shared_ptr<CSimVolume> volume_;
    CSimVolumeApi api_;
    DefragEngineState state_;
    void Mount();

    SimDigests digests_; // taken when the run starts
    std::map<std::wstring, int> moves_;
    int abortAtMove_ = 0;
    int occupiedFiles_ = 0;
    int movesSeen_ = 0;
};
