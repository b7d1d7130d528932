// One item's extents, the free-space decisions and the moves, with the run list, the cluster
// map, the counters and the reports kept in step.
#include "DefragRun.h"

#include <algorithm>

namespace {

constexpr DWORD kRetrievalBufferBytes = 16'396;
constexpr uint64_t kClustersPerMove = 16; // keeps pause and abort prompt
constexpr DWORD kPausePollMilliseconds = 100;
constexpr int kMoveRetries = 2;

// The fragments from entry first on: where the second one starts (0 when there is none) and
// the allocated clusters up to the end of the second one, the least worth a move.
struct LeadingFragments {
    uint32_t secondStart = 0;
    uint64_t clustersOfFirstTwo = 0;
};

LeadingFragments FindLeadingFragments(const ExtentList& list, uint32_t first) {
    LeadingFragments found;
    uint32_t end = list.ExtentCount();
    for (uint32_t i = first + 1; i < list.ExtentCount(); ++i) {
        if (list.StartsFragment(i)) {
            if (found.secondStart != 0) {
                end = i;
                break;
            }
            found.secondStart = i;
        }
    }
    for (uint32_t i = first; found.secondStart != 0 && i < end; ++i) {
        found.clustersOfFirstTwo += list.extents[i].allocatedClusters;
    }
    return found;
}

// Clusters of the next move call from entry index, of which moved are done: up to
// kClustersPerMove, on into the following entries while each continues the one before in VCN
// order (no sparse run between them) and clusters remain to be moved after the entry.
uint64_t NextMoveClusters(const ExtentList& list, uint32_t index, uint64_t moved,
                          uint64_t clusters) {
    uint64_t chunk = 0;
    for (uint32_t i = index; i < list.ExtentCount(); ++i) {
        const Extent& extent = list.extents[i];
        chunk += std::min(kClustersPerMove - chunk, extent.allocatedClusters - moved);
        moved = 0;
        if (chunk == kClustersPerMove || extent.span != extent.allocatedClusters ||
            clusters <= chunk) {
            break;
        }
    }
    return chunk;
}

// The entries from first on that fit, in order, into a free run of room clusters.
struct FittingEntries {
    uint32_t count = 0;
    uint32_t fragments = 0;
    uint64_t clusters = 0;
};

FittingEntries FindFittingEntries(const ExtentList& list, uint32_t first, uint64_t room) {
    FittingEntries fitting;
    for (uint32_t i = first;
         i < list.ExtentCount() && list.extents[i].allocatedClusters <= room - fitting.clusters;
         ++i) {
        fitting.clusters += list.extents[i].allocatedClusters;
        fitting.fragments += i == first || list.StartsFragment(i) ? 1 : 0;
        ++fitting.count;
    }
    return fitting;
}

} // namespace

bool CDefragRun::ReadFileExtents(ExtentList& list, HANDLE item) {
    list.Clear();
    ioBuffer_.resize(kRetrievalBufferBytes);
    STARTING_VCN_INPUT_BUFFER start{};
    for (;;) {
        DWORD returned = 0;
        const BOOL done =
            volume_.DeviceIoControl(item, FSCTL_GET_RETRIEVAL_POINTERS, &start, sizeof start,
                                    ioBuffer_.data(), kRetrievalBufferBytes, &returned);
        const DWORD error = done ? ERROR_SUCCESS : ::GetLastError();
        if (error == ERROR_HANDLE_EOF) {
            return true; // resident or empty: no extents
        }
        if (error != ERROR_SUCCESS && error != ERROR_MORE_DATA) {
            list.Clear();
            return false;
        }
        const auto* pointers = reinterpret_cast<const RETRIEVAL_POINTERS_BUFFER*>(ioBuffer_.data());
        const uint64_t header = offsetof(RETRIEVAL_POINTERS_BUFFER, Extents);
        const uint64_t fitting =
            returned >= header ? (returned - header) / sizeof(pointers->Extents[0]) : 0;
        const uint64_t count = std::min<uint64_t>(pointers->ExtentCount, fitting);
        if (count == 0) {
            return true;
        }
        LONGLONG vcn = start.StartingVcn.QuadPart;
        for (uint64_t i = 0; i < count; ++i) {
            const LONGLONG next = pointers->Extents[i].NextVcn.QuadPart;
            if (next <= vcn) {
                list.Clear(); // a layout that goes backwards cannot be trusted
                return false;
            }
            const LONGLONG lcn = pointers->Extents[i].Lcn.QuadPart;
            list.Append(lcn < 0 ? -1 : lcn, static_cast<uint64_t>(next - vcn));
            vcn = next;
        }
        if (error == ERROR_SUCCESS) {
            return true;
        }
        start.StartingVcn.QuadPart = vcn;
    }
}

void CDefragRun::MapFileExtents(const ExtentList& list) {
    const ClusterMapView map = Map();
    const bool fragmented = list.fragmentCount > 1;
    for (const Extent& extent : list.extents) {
        if (!extent.IsSparse()) {
            UpdateClusterMap(map, static_cast<uint64_t>(extent.lcn), extent.NextLcn() - 1,
                             MapTransfer::FileExtent, fragmented);
        }
    }
}

// Physically adjacent extents are joined first, so each stretch of clusters is moved between
// counts once.
void CDefragRun::TransferJoinedExtents(const ExtentList& list, MapTransfer transfer) {
    const ClusterMapView map = Map();
    bool open = false;
    uint64_t first = 0;
    uint64_t next = 0;
    for (const Extent& extent : list.extents) {
        if (extent.IsSparse()) {
            continue;
        }
        if (open && static_cast<uint64_t>(extent.lcn) == next) {
            next = extent.NextLcn();
            continue;
        }
        if (open) {
            UpdateClusterMap(map, first, next - 1, transfer, false);
        }
        open = true;
        first = static_cast<uint64_t>(extent.lcn);
        next = extent.NextLcn();
    }
    if (open) {
        UpdateClusterMap(map, first, next - 1, transfer, false);
    }
}

// Called for every directory entry and every move chunk, so it reads the events' atomic twins
// and makes a system call only while paused.
RunOutcome CDefragRun::CheckPauseAbort() {
    for (;;) {
        if (state_.AbortRequested()) {
            statistics_.aborted = 1;
            return RunOutcome::Aborted;
        }
        if (!state_.PauseRequested()) {
            return RunOutcome::Done;
        }
        // Paused: wake at once when an abort comes, else look again after the poll interval.
        ::WaitForSingleObject(state_.AbortEvent(), kPausePollMilliseconds);
    }
}

// The clusters of an extent that did move, whether all of them or the chunks moved before an
// abort or a failure: their old place becomes free and the new place used.
void CDefragRun::AccountMovedClusters(const Extent& extent, uint64_t moved, uint64_t targetLcn,
                                      bool fragmented) {
    if (moved == 0) {
        return;
    }
    const uint64_t from = static_cast<uint64_t>(extent.lcn);
    // Only an empty list (a bitmap that could not be read) fails to locate a range of the
    // volume, and an empty list places nothing, so a failed relabel needs no answer.
    static_cast<void>(runList_.SetRunRangeState(from, from + moved - 1, false));
    static_cast<void>(runList_.SetRunRangeState(targetLcn, targetLcn + moved - 1, true));
    const ClusterMapView map = Map();
    UpdateClusterMap(map, from, from + moved - 1, MapTransfer::MovedFrom, fragmented);
    UpdateClusterMap(map, targetLcn, targetLcn + moved - 1, MapTransfer::MovedTo, fragmented);
}

// Moves entries from index on to targetLcn, one after another, until clusters have been moved
// (whole entries: the sparse virtual clusters after an entry have no clusters to move). A call
// moves up to kClustersPerMove clusters of consecutive VCNs, so an item of many small extents
// takes few calls. An entry's clusters are accounted once it is done, or as far as it got when
// an abort or a failure ends the moves. A failed move reloads the bitmap before it returns
// Failed.
RunOutcome CDefragRun::MoveExtents(const ExtentList& list, HANDLE item, uint32_t& index,
                                   uint64_t targetLcn, uint64_t clusters) {
    const bool fragmented = list.fragmentCount > 1;
    uint64_t moved = 0; // of the entry at index
    while (index < list.ExtentCount() && (clusters > 0 || moved > 0)) {
        const Extent& extent = list.extents[index];
        if (extent.IsSparse()) {
            ++index;
            continue;
        }
        if (CheckPauseAbort() == RunOutcome::Aborted) {
            AccountMovedClusters(extent, moved, targetLcn, fragmented);
            return RunOutcome::Aborted;
        }
        const uint64_t chunk = NextMoveClusters(list, index, moved, clusters);
        MOVE_FILE_DATA move{};
        move.FileHandle = item;
        move.StartingVcn.QuadPart = static_cast<LONGLONG>(extent.startVcn + moved);
        move.StartingLcn.QuadPart = static_cast<LONGLONG>(targetLcn + moved);
        move.ClusterCount = static_cast<DWORD>(chunk);
        DWORD returned = 0;
        if (!volume_.DeviceIoControl(volumeHandle_.Get(), FSCTL_MOVE_FILE, &move, sizeof move,
                                     nullptr, 0, &returned)) {
            AccountMovedClusters(extent, moved, targetLcn, fragmented);
            ReloadVolumeBitmap();
            return RunOutcome::Failed;
        }
        statistics_.currentItemPosition += chunk;
        state_.PublishStatistics(); // a large file's progress, chunk by chunk
        clusters -= std::min(clusters, chunk);
        // The chunk over the entries it covered: each one it finished is done.
        for (uint64_t left = chunk; left > 0;) {
            const Extent& covered = list.extents[index];
            const uint64_t part = std::min(left, covered.allocatedClusters - moved);
            moved += part;
            left -= part;
            if (moved == covered.allocatedClusters) {
                AccountMovedClusters(covered, moved, targetLcn, fragmented);
                targetLcn += covered.allocatedClusters;
                ++index;
                moved = 0;
            }
        }
    }
    return RunOutcome::Done;
}

FileReport CDefragRun::PrepareReport(const ExtentList& list, uint32_t fragmentsBefore,
                                     uint32_t fragmentsAfter) const {
    FileReport report;
    report.path = currentPath_;
    report.isDirectory = isDirectory_ ? 1 : 0;
    report.fragmentsBefore = fragmentsBefore;
    report.fragmentsAfter = fragmentsAfter;
    report.allocatedClusters = list.allocatedClusters;
    report.totalClusters = list.totalClusters;
    report.size = statistics_.currentItemSize;
    report.status = kReportContiguous;
    return report;
}

RunOutcome CDefragRun::DefragmentFile(ExtentList& list, HANDLE item) {
    if (list.fragmentCount < 2) {
        return ConsolidateContiguousFile(list, item);
    }
    if (IsNonNtfsDirectory()) {
        AnalyseFile(list); // only reported, with status 5, as the analysis does
        return RunOutcome::Done;
    }
    FileReport report = PrepareReport(list, list.fragmentCount, list.fragmentCount);
    RunOutcome outcome = RunOutcome::Done;
    int retriesLeft = kMoveRetries;
    bool moving = true;
    while (moving) {
        moving = false;
        uint32_t d = list.FirstRealIndex();
        while (d + 1 < list.ExtentCount()) {
            if (CheckPauseAbort() == RunOutcome::Aborted) {
                outcome = RunOutcome::Aborted;
                report.status = kReportAborted;
                break;
            }
            const LeadingFragments leading = FindLeadingFragments(list, d);
            if (leading.secondStart == 0) {
                break; // one fragment left
            }
            uint64_t runLcn = 0;
            uint64_t runLength = 0;
            FittingEntries fitting;
            if (runList_.FindFreeRun(leading.clustersOfFirstTwo, list.AllocatedFrom(d), runLcn,
                                     runLength)) {
                fitting = FindFittingEntries(list, d, runLength);
            }
            if (fitting.count == 0) {
                d = leading.secondStart; // no room for these fragments: try from the next one
                continue;
            }
            if (fitting.fragments < 2) {
                d += fitting.count; // already one piece; moving it gains nothing
                continue;
            }
            statistics_.currentItemClusters = list.totalClusters;
            statistics_.currentItemPosition = list.extents[d].startVcn;
            uint32_t index = d;
            outcome = MoveExtents(list, item, index, runLcn, fitting.clusters);
            if (outcome == RunOutcome::Aborted) {
                report.status = kReportAborted;
                break;
            }
            if (outcome == RunOutcome::Failed) {
                if (retriesLeft == 0) {
                    report.status = kReportMoveFailed;
                    break;
                }
                --retriesLeft;
                if (!ReadFileExtents(list, item)) {
                    report.status = kReportMoveFailed;
                    state_.AddReport(std::move(report));
                    return outcome;
                }
                moving = true; // again from the re-read layout
                break;
            }
            d += fitting.count;
        }
    }

    const uint32_t fragmentsBefore = report.fragmentsBefore;
    if (!ReadFileExtents(list, item)) {
        // The item's layout is unknown now: report it as failed and leave the counters alone.
        report.status = kReportMoveFailed;
        state_.AddReport(std::move(report));
        return outcome == RunOutcome::Aborted ? outcome : RunOutcome::Failed;
    }
    statistics_.fragmentsRemaining -=
        std::min<uint64_t>(statistics_.fragmentsRemaining, fragmentsBefore);
    const bool keepStatus = report.status == kReportMoveFailed || report.status == kReportAborted;
    if (list.fragmentCount < 2) {
        ++statistics_.filesMadeContiguous;
        TransferJoinedExtents(list, MapTransfer::MadeContiguous);
        if (!keepStatus) {
            report.status = kReportContiguous;
        }
    } else {
        statistics_.fragmentsRemaining += list.fragmentCount;
        ++statistics_.itemsNotDefragmented;
        if (!keepStatus) {
            report.status = kReportFragmented;
        }
    }
    report.fragmentsAfter = list.fragmentCount;
    state_.AddReport(std::move(report));
    return outcome;
}

// A contiguous item moved into a hole below it leaves a hole of its own size behind: most such
// moves trade one hole for another, and each costs a write of the whole item. A move pays only
// when the free space ends in better shape: the item fills its new free run exactly while its
// old place joins the free runs on both its sides (two pieces of free space fewer), or its old
// place and the free runs beside it make a free run longer than any there is now.
bool CDefragRun::ConsolidationImprovesFreeSpace(uint64_t itemLcn, uint64_t clusters,
                                                uint64_t targetLength) const {
    const uint64_t freeBefore = itemLcn > 0 ? runList_.FreeRunLengthAt(itemLcn - 1) : 0;
    const uint64_t freeAfter = runList_.FreeRunLengthAt(itemLcn + clusters);
    const bool joinsBothSides = freeBefore > 0 && freeAfter > 0;
    return (targetLength == clusters && joinsBothSides) ||
           freeBefore + clusters + freeAfter > runList_.FindLargestFreeRun();
}

RunOutcome CDefragRun::ConsolidateContiguousFile(ExtentList& list, HANDLE item) {
    if (mode_ == 0 || list.fragmentCount != 1 || IsNonNtfsDirectory()) {
        return RunOutcome::Done;
    }
    FileReport report = PrepareReport(list, 1, 1);
    RunOutcome outcome = RunOutcome::Done;
    const uint32_t first = list.FirstRealIndex();
    if (first < list.ExtentCount()) {
        uint64_t targetLcn = 0;
        uint64_t targetLength = 0;
        const uint64_t itemLcn = static_cast<uint64_t>(list.extents[first].lcn);
        const uint64_t clusters = list.AllocatedFrom(first);
        outcome = CheckPauseAbort();
        if (outcome == RunOutcome::Aborted) {
            report.status = kReportAborted;
        } else if (runList_.FindFreeRunBelow(itemLcn, clusters, targetLcn, targetLength) &&
                   ConsolidationImprovesFreeSpace(itemLcn, clusters, targetLength)) {
            statistics_.currentItemClusters = list.totalClusters;
            statistics_.currentItemPosition = list.extents[first].startVcn;
            uint32_t index = first;
            outcome = MoveExtents(list, item, index, targetLcn, clusters);
            if (outcome == RunOutcome::Failed) {
                ++statistics_.itemsNotDefragmented;
                report.status = kReportMoveFailed;
            } else if (outcome == RunOutcome::Aborted) {
                report.status = kReportAborted;
            }
        }
    }
    if (!ReadFileExtents(list, item)) {
        report.status = kReportMoveFailed;
        state_.AddReport(std::move(report));
        return outcome == RunOutcome::Aborted ? outcome : RunOutcome::Failed;
    }
    if (list.fragmentCount > 1) {
        statistics_.fragmentsRemaining += list.fragmentCount;
        // A failed move has counted the item already; its report keeps the failure.
        if (report.status != kReportMoveFailed)
            ++statistics_.itemsNotDefragmented;
        if (report.status == kReportContiguous)
            report.status = kReportFragmented;
        TransferJoinedExtents(list, MapTransfer::MadeFragmented);
        report.fragmentsAfter = list.fragmentCount;
        state_.AddReport(std::move(report));
    }
    return outcome;
}

void CDefragRun::AnalyseFile(const ExtentList& list) {
    if (list.fragmentCount < 2) {
        ReportContiguousFile(list);
        return;
    }
    FileReport report = PrepareReport(list, list.fragmentCount, list.fragmentCount);
    if (IsNonNtfsDirectory()) {
        ++statistics_.itemsNotDefragmented;
        report.status = kReportNonNtfsDirectory;
    }
    state_.AddReport(std::move(report));
}

void CDefragRun::ReportContiguousFile(const ExtentList& list) {
    if (mode_ != 0 && list.fragmentCount == 1 && !IsNonNtfsDirectory()) {
        state_.AddReport(PrepareReport(list, 1, 0));
    }
}
