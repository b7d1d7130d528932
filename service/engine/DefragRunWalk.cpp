// The run over one volume: the directory walk, unmovable items, NTFS attribute streams and the
// per-item strategies.
#include "DefragRun.h"

#include "UnmovableItems.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <new>

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// The longest path an item may have: the current path and a report hold 32,767 units.
constexpr size_t kMaxPathUnits = kPathUnits - 1;
struct AttributeStream {
    const wchar_t* suffix;
    ItemStream stream;
};
constexpr AttributeStream kDirectoryStreams[] = {
    {L"::$ATTRIBUTE_LIST", ItemStream::AttributeList},
    {L"::$BITMAP", ItemStream::Bitmap},
};
// Opens and enumerations use the long-path form, so paths past MAX_PATH work too.
constexpr wchar_t kLongPathPrefix[] = L"\\\\?\\";

bool IsDotEntry(const wchar_t* name) {
    return std::wcscmp(name, L".") == 0 || std::wcscmp(name, L"..") == 0;
}

} // namespace

int RunDefrag(DefragEngineState& state, CVolumeApi& volume, int32_t mode, wchar_t drive,
              bool analyseAndDefragment) {
    CDefragRun run(state, volume, mode, !analyseAndDefragment);
    ::GetLocalTime(&state.statistics.startTime);
    state.PublishStatistics();
    RunOutcome outcome = RunOutcome::Failed;
    try {
        outcome = run.DefragVolume(drive);
    } catch (const std::bad_alloc&) {
        state.SetCurrentPath(L""); // out of memory: the run ends here, its handles closed
    }
    ::GetLocalTime(&state.statistics.endTime);
    state.PublishStatistics();
    // An aborted walk still ran: its figures and reports stand, and the aborted flag says why
    // it ended early.
    return outcome == RunOutcome::Failed ? 0 : 1;
}

CDefragRun::CDefragRun(DefragEngineState& state, CVolumeApi& volume, int32_t mode, bool analyseOnly)
    : state_(state), statistics_(state.statistics), volume_(volume), mode_(mode),
      analyseOnly_(analyseOnly) {}

CDefragRun::~CDefragRun() = default;

RunOutcome CDefragRun::DefragVolume(wchar_t drive) {
    // Zeroed before anything can fail, so a failed run shows total clusters 0, not the last
    // run's figures.
    state_.ResetStatusCounters();
    state_.SetCurrentPath(L"");
    if (state_.Cells() == nullptr || state_.cellCount == 0) {
        return RunOutcome::Failed; // the map could not be allocated
    }
    const wchar_t device[] = {L'\\', L'\\', L'.', L'\\', drive, L':', L'\0'};
    volumeHandle_ = VolumeItemHandle(
        volume_, volume_.CreateFileW(device, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, 0));
    if (!volumeHandle_) {
        return RunOutcome::Failed;
    }
    if (!QueryVolumeInfo(drive)) {
        volumeHandle_.Reset();
        return RunOutcome::Failed;
    }
    state_.clustersPerCell = ClustersPerCell(statistics_.totalClusters, state_.cellCount);
    BuildRunList();
    MapRunListIntoClusterMap();
    ReserveMftZone();

    const RunOutcome outcome = WalkDirectory(std::wstring{drive, L':'});

    statistics_.largestFreeRun = runList_.FindLargestFreeRun();
    statistics_.clustersProcessed = statistics_.usedClusters;
    state_.SetCurrentPath(L"");
    volumeHandle_.Reset();
    runList_.Clear();
    return outcome;
}

const wchar_t* CDefragRun::LongPath(const std::wstring& path, const wchar_t* suffix) {
    openPath_.assign(kLongPathPrefix, std::size(kLongPathPrefix) - 1).append(path);
    if (*suffix != L'\0') {
        openPath_.append(suffix);
    }
    return openPath_.c_str();
}

void CDefragRun::ReportItem(uint32_t status) {
    FileReport report;
    report.path = currentPath_;
    report.isDirectory = isDirectory_ ? 1 : 0;
    report.status = status;
    state_.AddReport(std::move(report));
    ++statistics_.itemsNotDefragmented;
}

// Walks the tree below root depth first, each directory's entries before the next entry of its
// parent. The open enumerations are kept on an explicit stack and the path in one string, so a
// deep tree costs heap, not the worker's stack.
RunOutcome CDefragRun::WalkDirectory(const std::wstring& root) {
    struct Level {
        VolumeFindHandle find;
        size_t pathUnits;     // the directory's own path length in currentPath_
        bool prefixUnmovable; // see directoryUnmovable_
    };
    auto prefixUnmovable = [this] {
        currentPath_ += L'\\';
        const bool found = IsUnmovablePath(currentPath_);
        currentPath_.pop_back();
        return found;
    };
    // The open enumerations, closed however the walk ends.
    std::vector<Level> levels;

    WIN32_FIND_DATAW entry{};
    currentPath_ = root;
    VolumeFindHandle find(volume_, volume_.FindFirstFileW(LongPath(currentPath_, L"\\*"), &entry));
    if (!find) {
        return RunOutcome::Failed;
    }
    levels.push_back({std::move(find), currentPath_.size(), prefixUnmovable()});
    bool haveEntry = true;
    while (!levels.empty()) {
        if (!haveEntry) {
            levels.pop_back();
            haveEntry = !levels.empty() && volume_.FindNextFileW(levels.back().find.Get(), &entry);
            continue;
        }
        currentPath_.resize(levels.back().pathUnits);
        directoryUnmovable_ = levels.back().prefixUnmovable;
        if (CheckPauseAbort() == RunOutcome::Aborted) {
            return RunOutcome::Aborted;
        }
        bool descend = false;
        if (ProcessEntry(entry, descend) == RunOutcome::Aborted) {
            return RunOutcome::Aborted;
        }
        if (descend) {
            // A directory whose enumeration cannot start is skipped; it was already counted.
            find = VolumeFindHandle(volume_,
                                    volume_.FindFirstFileW(LongPath(currentPath_, L"\\*"), &entry));
            if (find) {
                levels.push_back({std::move(find), currentPath_.size(), prefixUnmovable()});
                continue;
            }
        }
        haveEntry = volume_.FindNextFileW(levels.back().find.Get(), &entry);
    }
    return RunOutcome::Done;
}

// One directory entry: counts it, processes the item and its streams, reports it when it cannot
// be opened or is unmovable. descend says whether the walk goes into it next. Aborted when an
// abort came while the item or a stream of it was processed (its streams are still reported);
// else Done, since what one item came to is in its report and the counters.
RunOutcome CDefragRun::ProcessEntry(const WIN32_FIND_DATAW& entry, bool& descend) {
    descend = false;
    if (IsDotEntry(entry.cFileName) || (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        return RunOutcome::Done; // junctions and mount points are never followed
    }
    const bool directory = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    statistics_.currentItemClusters = 0;
    statistics_.currentItemPosition = 0;
    const size_t directoryUnits = currentPath_.size() + 1; // with the backslash
    currentPath_ += L'\\';
    currentPath_ += entry.cFileName;
    isDirectory_ = directory;
    state_.SetCurrentPath(currentPath_);
    const bool unmovable = directoryUnmovable_ || IsUnmovablePathPast(currentPath_, directoryUnits);
    statistics_.streamFlag = 0;
    ++(directory ? statistics_.directories : statistics_.files);

    if (currentPath_.size() > kMaxPathUnits) {
        ReportItem(kReportOpenFailed); // too long to name, let alone to open
        return RunOutcome::Done;
    }
    const HANDLE item = directory
                            ? volume_.CreateFileW(LongPath(currentPath_), GENERIC_READ, kShareAll,
                                                  FILE_FLAG_BACKUP_SEMANTICS)
                            : volume_.CreateFileW(LongPath(currentPath_), FILE_READ_ATTRIBUTES,
                                                  kShareAll, FILE_FLAG_NO_BUFFERING);
    bool aborted = false;
    if (item == INVALID_HANDLE_VALUE) {
        ReportItem(kReportOpenFailed);
    } else {
        aborted = ProcessOpenItem(item, unmovable, ItemStream::Data) == RunOutcome::Aborted;
        aborted = MoveDirectoryStreams(unmovable) == RunOutcome::Aborted || aborted;
    }
    if (unmovable) {
        ReportItem(kReportUnmovable);
    }
    descend = directory;
    return aborted ? RunOutcome::Aborted : RunOutcome::Done;
}

RunOutcome CDefragRun::ProcessOpenItem(HANDLE item, bool unmovable, ItemStream stream) {
    const VolumeItemHandle owner(volume_, item);
    return ProcessFile(item, unmovable, stream);
}

bool CDefragRun::IsFirstMapping(HANDLE item, ItemStream stream) {
    BY_HANDLE_FILE_INFORMATION info{};
    // Without an identity the item is taken as having one name.
    return !volume_.GetFileInformationByHandle(item, &info) ||
           mappedLinkedFiles_.AddIfFirst(info, stream);
}

RunOutcome CDefragRun::ProcessFile(HANDLE item, bool unmovable, ItemStream stream) {
    LARGE_INTEGER size{};
    if (!volume_.GetFileSizeEx(item, &size) || size.QuadPart < 0) {
        size.QuadPart = 0;
    }
    statistics_.currentItemSize = static_cast<uint64_t>(size.QuadPart);
    ExtentList& list = itemExtents_;
    if (!ReadFileExtents(list, item)) {
        return RunOutcome::Failed;
    }
    if (list.fragmentCount > 1) {
        statistics_.fragmentsFound += list.fragmentCount;
        statistics_.fragmentsRemaining += list.fragmentCount;
        ++statistics_.fragmentedFiles;
        statistics_.fragmentedBytes += statistics_.currentItemSize;
    }
    // Only items with clusters ask for their identity; the counters above stay per name.
    if (!list.extents.empty() && IsFirstMapping(item, stream)) {
        MapFileExtents(list);
    }
    if (unmovable) {
        return RunOutcome::Done;
    }
    const uint64_t allocated = list.allocatedClusters;
    RunOutcome outcome = RunOutcome::Done;
    if (analyseOnly_) {
        AnalyseFile(list);
    } else {
        outcome = DefragmentFile(list, item);
    }
    statistics_.clustersProcessed += allocated;
    if (statistics_.streamFlag) {
        statistics_.streamClusters += allocated;
    }
    return outcome;
}

// The NTFS attribute streams that hold an item's attribute list and index bitmap; their reports
// carry the item's own path.
RunOutcome CDefragRun::MoveDirectoryStreams(bool unmovable) {
    if (!ntfs_) {
        return RunOutcome::Done;
    }
    bool aborted = false;
    statistics_.streamFlag = 1;
    for (const AttributeStream& stream : kDirectoryStreams) {
        if (currentPath_.size() + std::wcslen(stream.suffix) > kMaxPathUnits) {
            continue;
        }
        const HANDLE item =
            volume_.CreateFileW(LongPath(currentPath_, stream.suffix), FILE_READ_ATTRIBUTES,
                                kShareAll, FILE_FLAG_NO_BUFFERING);
        if (item != INVALID_HANDLE_VALUE) {
            aborted =
                ProcessOpenItem(item, unmovable, stream.stream) == RunOutcome::Aborted || aborted;
        }
    }
    return aborted ? RunOutcome::Aborted : RunOutcome::Done;
}
