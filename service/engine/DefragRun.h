// One run of the engine over one volume: reads the geometry and the bitmap, keeps the run list
// and the cluster map, walks the directory tree and analyses, defragments or consolidates every
// item, publishing statistics and reports in the engine state as it goes.
//
// Everything runs on the calling (worker) thread. Every platform call on the volume goes
// through the CVolumeApi it is given, so the same code runs on a real drive and on a simulated
// volume.
#pragma once

#include "ClusterMap.h"
#include "DefragEngineState.h"
#include "ExtentList.h"
#include "LinkedFileSet.h"
#include "RunList.h"
#include "RunOutcome.h"
#include "VolumeApi.h"

#include <cstdint>
#include <string>
#include <vector>

// Runs the engine once: mode non-zero also consolidates contiguous items; without
// analyseAndDefragment nothing is moved. The state's cells must have been allocated for the
// command's block count. Returns 1 when the walk ran (an aborted walk too: the aborted flag
// tells the client), 0 when the volume could not be read or memory ran out.
[[nodiscard]] int RunDefrag(DefragEngineState& state, CVolumeApi& volume, int32_t mode,
                            wchar_t drive, bool analyseAndDefragment);

class CDefragRun {
public:
    CDefragRun(DefragEngineState& state, CVolumeApi& volume, int32_t mode, bool analyseOnly);
    CDefragRun(const CDefragRun&) = delete;
    CDefragRun& operator=(const CDefragRun&) = delete;
    ~CDefragRun();

    // The run over drive (a letter): open, map, walk, close. Failed when the volume could not
    // be read; otherwise the walk's outcome.
    [[nodiscard]] RunOutcome DefragVolume(wchar_t drive);

    // Volume geometry and maps.
    [[nodiscard]] bool QueryVolumeInfo(wchar_t drive);
    void BuildRunList();
    void ReloadVolumeBitmap();
    void MapRunListIntoClusterMap();
    void ReserveMftZone();

    // One item's extents and the strategies over them.
    [[nodiscard]] bool ReadFileExtents(ExtentList& list, HANDLE item);
    void MapFileExtents(const ExtentList& list);
    // Waits while the run is paused; Aborted (with the aborted flag set) once an abort is asked
    // for, else Done.
    [[nodiscard]] RunOutcome CheckPauseAbort();
    [[nodiscard]] RunOutcome MoveExtents(const ExtentList& list, HANDLE item, uint32_t& index,
                                         uint64_t targetLcn, uint64_t clusters);
    // The item strategies: each reports the item as it stands afterwards. Failed when the last
    // move failed (the item's report says so) and Aborted when an abort came.
    [[nodiscard]] RunOutcome DefragmentFile(ExtentList& list, HANDLE item);
    [[nodiscard]] RunOutcome ConsolidateContiguousFile(ExtentList& list, HANDLE item);
    void AnalyseFile(const ExtentList& list);
    void ReportContiguousFile(const ExtentList& list);

    // The walk.
    [[nodiscard]] RunOutcome WalkDirectory(const std::wstring& root);
    // Failed when the item's extents cannot be read; else its strategy's outcome.
    [[nodiscard]] RunOutcome ProcessFile(HANDLE item, bool unmovable, ItemStream stream);
    // ProcessFile, then closes the item whatever happens.
    [[nodiscard]] RunOutcome ProcessOpenItem(HANDLE item, bool unmovable, ItemStream stream);
    // Aborted when an abort came while a stream was processed, else Done.
    [[nodiscard]] RunOutcome MoveDirectoryStreams(bool unmovable);

private:
    ClusterMapView Map() const;
    // Any failure leaves the run list empty, so that nothing is moved.
    void ReadVolumeBitmap();
    [[nodiscard]] bool QueryNtfsVolumeData(NTFS_VOLUME_DATA_BUFFER& data);
    void AccountMovedClusters(const Extent& extent, uint64_t moved, uint64_t targetLcn,
                              bool fragmented);
    // Whether moving a contiguous item of clusters at itemLcn into a free run of targetLength
    // below it is worth its writes.
    bool ConsolidationImprovesFreeSpace(uint64_t itemLcn, uint64_t clusters,
                                        uint64_t targetLength) const;
    void TransferJoinedExtents(const ExtentList& list, MapTransfer transfer);
    FileReport PrepareReport(const ExtentList& list, uint32_t fragmentsBefore,
                             uint32_t fragmentsAfter) const;
    bool IsNonNtfsDirectory() const { return isDirectory_ && !ntfs_; }
    // Whether the item's extents still have to enter the map: not when another name of the
    // same hard-linked file has put this stream there already. Moves made under a later name
    // still transfer their clusters, since they do change the volume.
    bool IsFirstMapping(HANDLE item, ItemStream stream);
    void ReportItem(uint32_t status);
    [[nodiscard]] RunOutcome ProcessEntry(const WIN32_FIND_DATAW& entry, bool& descend);
    // path + suffix in the long-path form, valid until the next call.
    const wchar_t* LongPath(const std::wstring& path, const wchar_t* suffix = L"");

    DefragEngineState& state_;
    DefragStatistics& statistics_;
    CVolumeApi& volume_;
    const int32_t mode_;
    const bool analyseOnly_;

    VolumeItemHandle volumeHandle_;
    bool ntfs_ = false;
    CRunList runList_;
    CLinkedFileSet mappedLinkedFiles_;

    std::wstring currentPath_; // the item being processed: one heap buffer for the whole walk
    std::wstring openPath_;
    // Whether an unmovable-item pattern lies in the walked directory's path and its backslash:
    // an entry's test then looks only at what follows them.
    bool directoryUnmovable_ = false;
    bool isDirectory_ = false;
    std::vector<uint8_t> ioBuffer_; // retrieval pointers
    ExtentList itemExtents_;        // the item in ProcessFile; its array serves every item
};
