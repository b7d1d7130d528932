// The real service program under Wine's service manager, running drives on simulated volumes
// named in its Parameters key, driven over its real pipe the way the main program drives it:
// analyses and two-pass defragmentations whose statistics, cells and reports must match the
// volume and leave every byte in place; pause, resume, abort, stray commands, malformed calls
// and a stop during a run; and images that cannot be used.
#include "DefragRpcBinding.h"
#include "RpcGuard.h"
#include "ServiceTestSupport.h"
#include "SimVolumeBuilder.h"
#include "SimVolumeChecker.h"
#include "SimulatedVolumeConfig.h"
#include "UnmovableItems.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace {

constexpr wchar_t kImageFolder[] = L"C:\\xarn-simvol-test";
constexpr int32_t kBlocks = 248; // the main program's map
constexpr DWORD kRunMilliseconds = 120'000;

std::wstring ImagePath(const wchar_t* name) {
    return std::wstring(kImageFolder) + L"\\" + name;
}

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

// ---- the Parameters key ----

void SetParameter(wchar_t drive, DWORD type, const void* data, DWORD bytes) {
    RegistryKey key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, kServiceParametersKey, 0, nullptr,
                                             0, KEY_SET_VALUE, nullptr, key.Put(), nullptr));
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExW(key.Get(), SimulatedVolumeValueName(drive).c_str(), 0,
                                            type, static_cast<const BYTE*>(data), bytes));
}

void SetImageParameter(wchar_t drive, const std::wstring& image) {
    SetParameter(drive, REG_SZ, image.c_str(),
                 static_cast<DWORD>((image.size() + 1) * sizeof(wchar_t)));
}

void DeleteImageParameter(wchar_t drive) {
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kServiceParametersKey,
                       SimulatedVolumeValueName(drive).c_str());
}

// ---- calls over the pipe ----

std::unique_ptr<DefragStatistics> ReadStatistics() {
    auto statistics = std::make_unique<DefragStatistics>();
    int len = 0;
    const int done = RunGuarded([&] {
        return RpcGetDefragStatistics(sizeof *statistics, &len,
                                      reinterpret_cast<byte*>(statistics.get()));
    });
    EXPECT_EQ(kRpcDone, done);
    return statistics;
}

std::vector<ClusterMapBlock> ReadCells() {
    std::vector<ClusterMapBlock> cells(kBlocks);
    int len = 0;
    const int done = RunGuarded([&] {
        return RpcGetClusterMap(kBlocks * sizeof(ClusterMapBlock), &len,
                                reinterpret_cast<byte*>(cells.data()));
    });
    EXPECT_EQ(kRpcDone, done);
    return cells;
}

struct Report {
    std::wstring path;
    uint32_t isDirectory;
    uint32_t before;
    uint32_t after;
    uint64_t allocated;
    uint32_t status;
};

std::vector<Report> ReadReports() {
    int count = -1;
    EXPECT_EQ(kRpcDone, RunGuarded([&] { return RpcGetReportCount(&count); }));
    std::vector<Report> reports;
    auto record = std::make_unique<FileReportRecord>();
    for (int index = 0; index < count; ++index) {
        int len = 0;
        const int done = RunGuarded([&] {
            return RpcGetReportItem(index, sizeof *record, &len,
                                    reinterpret_cast<byte*>(record.get()));
        });
        EXPECT_EQ(kRpcDone, done) << index;
        reports.push_back({record->path, record->isDirectory, record->fragmentsBefore,
                           record->fragmentsAfter, record->allocatedClusters, record->status});
    }
    int len = 0;
    EXPECT_EQ(kRpcRefused, RunGuarded([&] {
                  return RpcGetReportItem(count, sizeof *record, &len,
                                          reinterpret_cast<byte*>(record.get()));
              }));
    return reports;
}

int IsPaused() {
    int paused = -1;
    static_cast<void>(RunGuarded([&] { return RpcIsDefragPaused(&paused); })); // failed: -1
    return paused;
}

// One pass as the main program runs it: release, start, poll to the end, read everything.
struct Pass {
    std::vector<int> states;                   // the job states seen, each change once
    std::unique_ptr<DefragStatistics> atStart; // after the release, before the start
    std::unique_ptr<DefragStatistics> statistics;
    std::vector<ClusterMapBlock> cells;
    std::vector<Report> reports;
};

// The job states a pass went through, as polled: idle, running, finished. An analysis of a small
// volume may start and finish between two polls, so running need not have been seen.
void ExpectIdleRunningFinished(const std::vector<int>& states) {
    const std::vector<int> all{kJobIdle, kJobRunning, kJobFinished};
    const std::vector<int> quick{kJobIdle, kJobFinished};
    EXPECT_TRUE(states == all || states == quick) << testing::PrintToString(states);
}

Pass RunPass(int32_t code, wchar_t drive) {
    Pass pass;
    EXPECT_EQ(kRpcDone, Send(kCommandRelease, drive));
    EXPECT_TRUE(WaitForJobState(kJobIdle));
    pass.atStart = ReadStatistics();
    pass.states.push_back(JobState());
    // The main program consolidates in every defragmentation pass.
    const int32_t mode = code == kCommandDefragment ? 1 : 0;
    EXPECT_EQ(kRpcDone, Send(code, drive, kBlocks, sizeof(DefragCommand), mode));
    for (DWORD waited = 0; waited < kRunMilliseconds && pass.states.back() != kJobFinished;
         waited += 10) {
        Sleep(10);
        const int state = JobState();
        if (state != pass.states.back())
            pass.states.push_back(state);
    }
    pass.statistics = ReadStatistics();
    pass.cells = ReadCells();
    pass.reports = ReadReports();
    return pass;
}

// Aborts whatever runs and releases its results, so that every test starts idle.
void EndAnyRun() {
    if (JobState() == kJobRunning) {
        static_cast<void>(RunGuarded([] { return RpcAbortDefrag(); })); // the wait tells
        WaitForJobState(kJobFinished, 30'000);
    }
    Send(kCommandRelease);
    WaitForJobState(kJobIdle);
}

// ---- what a volume holds, read from its image ----

// One stream the walk opens.
struct StreamFacts {
    std::wstring key;
    uint32_t fragments = 0;
    uint64_t size = 0;
    uint64_t allocated = 0;
};

// One name the walk meets.
struct ItemFacts {
    std::wstring path; // "T:\dir\name"
    bool directory = false;
    uint32_t flags = 0; // SimRecordFlags
    bool unmovable = false;
    std::vector<StreamFacts> streams; // none when the item cannot be opened

    bool Locked() const { return (flags & kSimLocked) != 0; }
    bool Immovable() const { return (flags & kSimImmovable) != 0; }
    const StreamFacts* Stream(const std::wstring& key) const {
        for (const StreamFacts& stream : streams)
            if (stream.key == key)
                return &stream;
        return nullptr;
    }
};

struct VolumeFacts {
    bool ntfs = false;
    uint64_t totalClusters = 0;
    uint64_t usedClusters = 0;
    uint64_t mftZoneClusters = 0;
    uint64_t largestFreeRun = 0; // the MFT zone counted as used
    std::vector<uint64_t> freePerCell;
    std::vector<ItemFacts> items;

    const ItemFacts* Item(const std::wstring& path) const {
        for (const ItemFacts& item : items)
            if (item.path == path)
                return &item;
        return nullptr;
    }
};

// Fragments as a defragmenter counts them: real extents that do not follow on from the real
// extent before them; sparse runs count nothing.
uint32_t FragmentsOf(const SimStream& stream) {
    uint32_t fragments = 0;
    int64_t next = -1;
    for (const SimExtent& extent : stream.extents) {
        if (extent.lcn == kSimSparseLcn)
            continue;
        if (fragments == 0 || extent.lcn != next)
            ++fragments;
        next = extent.lcn + static_cast<int64_t>(extent.count);
    }
    return fragments;
}

void CollectItems(const SimVolumeContent& content, const SimRecord& directory,
                  const std::wstring& path, VolumeFacts& facts) {
    for (const auto& [folded, entry] : directory.children) {
        const SimRecord& record = content.records.at(entry.recordId);
        if (record.attributes & FILE_ATTRIBUTE_REPARSE_POINT)
            continue; // never followed nor counted
        ItemFacts item;
        item.path = path + L"\\" + entry.name;
        item.directory = record.IsDirectory();
        item.flags = record.flags;
        item.unmovable = IsUnmovablePath(item.path);
        if (!item.Locked()) {
            std::vector<std::wstring> keys = {L""};
            if (facts.ntfs)
                keys.insert(keys.end(), {L"::$ATTRIBUTE_LIST", L"::$BITMAP"});
            for (const std::wstring& key : keys) {
                // A directory's size, as the system gives it, is 0.
                if (const SimStream* stream = record.FindStream(key))
                    item.streams.push_back({key, FragmentsOf(*stream),
                                            item.directory && key.empty() ? 0 : stream->size,
                                            SimAllocatedClusters(*stream)});
            }
        }
        const std::wstring itemPath = item.path; // the vector grows below
        facts.items.push_back(std::move(item));
        if (record.IsDirectory())
            CollectItems(content, record, itemPath, facts);
    }
}

VolumeFacts ReadVolumeFacts(const std::wstring& image, wchar_t drive) {
    VolumeFacts facts;
    DWORD error = ERROR_SUCCESS;
    const std::unique_ptr<CSimVolume> volume = CSimVolume::Open(image, &error);
    EXPECT_NE(nullptr, volume) << "error " << error;
    if (!volume)
        return facts;
    const SimVolumeContent content = volume->CopyContent();
    const SimGeometry& geometry = content.geometry;
    facts.ntfs = geometry.IsNtfs();
    facts.totalClusters = geometry.totalClusters;
    facts.usedClusters = content.used.UsedClusters();
    CollectItems(content, content.records.at(content.rootId), std::wstring(1, drive) + L":", facts);

    // Free clusters per cell, and the longest free run outside the used runs and the zone.
    const uint64_t perCell = (facts.totalClusters + kBlocks - 1) / kBlocks;
    facts.freePerCell.assign(kBlocks, 0);
    std::map<uint64_t, uint64_t> taken = content.used.GetRuns();
    if (facts.ntfs && geometry.mftZoneEnd > geometry.mftZoneStart) {
        facts.mftZoneClusters = geometry.mftZoneEnd - geometry.mftZoneStart;
        taken[geometry.mftZoneStart] = std::max(taken[geometry.mftZoneStart], geometry.mftZoneEnd);
    }
    uint64_t lcn = 0;
    for (const auto& [first, end] : content.used.GetRuns()) {
        for (; lcn < first; ++lcn)
            ++facts.freePerCell[lcn / perCell];
        lcn = end;
    }
    for (; lcn < facts.totalClusters; ++lcn)
        ++facts.freePerCell[lcn / perCell];
    uint64_t freeFrom = 0;
    for (const auto& [first, end] : taken) {
        if (first > freeFrom)
            facts.largestFreeRun = std::max(facts.largestFreeRun, first - freeFrom);
        freeFrom = std::max(freeFrom, end);
    }
    if (facts.totalClusters > freeFrom)
        facts.largestFreeRun = std::max(facts.largestFreeRun, facts.totalClusters - freeFrom);
    return facts;
}

// The digests of every stream, before a run changes anything.
SimDigests DigestImage(const std::wstring& image) {
    DWORD error = ERROR_SUCCESS;
    const std::unique_ptr<CSimVolume> volume = CSimVolume::Open(image, &error);
    EXPECT_NE(nullptr, volume) << "error " << error;
    return volume ? DigestSimVolume(*volume) : SimDigests{};
}

void ExpectImageSound(const std::wstring& image, const SimDigests& digests) {
    DWORD error = ERROR_SUCCESS;
    const std::unique_ptr<CSimVolume> volume = CSimVolume::Open(image, &error);
    ASSERT_NE(nullptr, volume) << "error " << error;
    const std::vector<std::wstring> problems = CheckSimVolume(*volume, &digests);
    EXPECT_TRUE(problems.empty()) << problems.size() << " problems, the first: "
                                  << Narrow(problems.empty() ? L"" : problems.front());
}

std::unique_ptr<CSimVolume> BuildImage(const std::wstring& image, const SimBuildSpec& spec) {
    DeleteFileW(image.c_str());
    DWORD error = ERROR_SUCCESS;
    std::unique_ptr<CSimVolume> volume = BuildSimVolume(image, spec, &error);
    EXPECT_NE(nullptr, volume) << "error " << error;
    return volume;
}

// ---- what the statistics, cells and reports must say ----

// The walk's counts, which do not depend on the moves made on the way (no hard links).
void ExpectWalkCounts(const DefragStatistics& s, const VolumeFacts& v) {
    uint64_t files = 0, directories = 0, fragmented = 0, bytes = 0, fragments = 0;
    uint64_t streamClusters = 0;
    for (const ItemFacts& item : v.items) {
        ++(item.directory ? directories : files);
        for (const StreamFacts& stream : item.streams) {
            if (stream.fragments > 1) {
                ++fragmented;
                bytes += stream.size;
                fragments += stream.fragments;
            }
            if (!stream.key.empty())
                streamClusters += stream.allocated;
        }
    }
    EXPECT_EQ(files, s.files);
    EXPECT_EQ(directories, s.directories);
    EXPECT_EQ(fragmented, s.fragmentedFiles);
    EXPECT_EQ(bytes, s.fragmentedBytes);
    EXPECT_EQ(fragments, s.fragmentsFound);
    EXPECT_EQ(streamClusters, s.streamClusters);
}

void ExpectVolumeStatistics(const DefragStatistics& s, const VolumeFacts& after, wchar_t drive,
                            uint32_t bytesPerCluster) {
    EXPECT_EQ(drive, s.drive);
    EXPECT_EQ(std::wstring(after.ntfs ? L"NTFS" : L"FAT32"), s.fileSystemName);
    EXPECT_EQ(after.totalClusters, s.totalClusters);
    EXPECT_EQ(after.usedClusters, s.usedClusters);
    EXPECT_EQ(after.totalClusters - after.usedClusters, s.freeClusters);
    EXPECT_EQ(s.usedClusters, s.clustersProcessed) << "progress reads complete";
    EXPECT_EQ(bytesPerCluster, s.sectorsPerCluster * s.bytesPerSector);
    EXPECT_EQ(after.largestFreeRun, s.largestFreeRun);
    EXPECT_EQ(0u, s.aborted);
    EXPECT_EQ(L'\0', s.currentPath[0]) << "the current path is empty after the walk";
    EXPECT_NE(0, s.endTime.wYear);
}

// Every cell's four counts add up to the clusters it covers, its free count matches the
// volume's bitmap, and the zone is counted once.
void ExpectCellsMatch(const std::vector<ClusterMapBlock>& cells, const VolumeFacts& after) {
    const uint64_t perCell = (after.totalClusters + kBlocks - 1) / kBlocks;
    uint64_t zone = 0;
    for (size_t i = 0; i < cells.size(); ++i) {
        const uint64_t first = i * perCell;
        const uint64_t covered = first >= after.totalClusters
                                     ? 0
                                     : std::min(after.totalClusters, first + perCell) - first;
        const ClusterMapBlock& cell = cells[i];
        EXPECT_EQ(covered, cell.freeClusters + cell.otherUsedClusters + cell.contiguousClusters +
                               cell.fragmentedClusters)
            << "cell " << i;
        EXPECT_EQ(after.freePerCell[i], cell.freeClusters) << "cell " << i;
        zone += cell.mftZoneClusters;
    }
    EXPECT_EQ(after.mftZoneClusters, zone);
}

size_t CountStatus(const std::vector<Report>& reports, uint32_t status) {
    return std::count_if(reports.begin(), reports.end(),
                         [&](const Report& r) { return r.status == status; });
}

// The reports of a pass that moved things, checked item by item against the volume before
// and after it; answers the items not defragmented that the reports account for.
uint64_t ExpectDefragmentationReports(const Pass& pass, const VolumeFacts& before,
                                      const VolumeFacts& after) {
    uint64_t notDefragmented = 0;
    uint64_t madeContiguous = 0;
    uint64_t remaining = 0;
    for (const Report& r : pass.reports) {
        SCOPED_TRACE(Narrow(r.path) + " status " + std::to_string(r.status));
        const ItemFacts* item = before.Item(r.path);
        const ItemFacts* now = after.Item(r.path);
        if (item == nullptr || now == nullptr) {
            ADD_FAILURE() << "a report of no item";
            continue;
        }
        EXPECT_EQ(item->directory ? 1u : 0u, r.isDirectory);
        switch (r.status) {
        case kReportOpenFailed:
            EXPECT_TRUE(item->Locked());
            ++notDefragmented;
            continue;
        case kReportUnmovable:
            EXPECT_TRUE(item->unmovable);
            ++notDefragmented;
            continue;
        case kReportNonNtfsDirectory:
            EXPECT_FALSE(before.ntfs);
            EXPECT_TRUE(item->directory);
            EXPECT_GT(r.before, 1u);
            EXPECT_EQ(r.before, r.after);
            ++notDefragmented;
            remaining += r.before;
            continue;
        case kReportContiguous:
        case kReportFragmented:
        case kReportMoveFailed:
            break;
        default:
            ADD_FAILURE() << "unexpected status";
            continue;
        }
        EXPECT_FALSE(item->unmovable);
        // The stream the report is about: its layout when read, and now.
        const auto read = std::find_if(item->streams.begin(), item->streams.end(), [&](auto& s) {
            return s.fragments == r.before && s.allocated == r.allocated;
        });
        const StreamFacts* stream = read == item->streams.end() ? nullptr : now->Stream(read->key);
        if (stream == nullptr) {
            ADD_FAILURE() << "a report of no stream";
            continue;
        }
        EXPECT_EQ(stream->fragments, r.after) << "the report tells the layout it left";
        if (r.status == kReportFragmented) {
            EXPECT_GT(r.after, 1u);
        }
        if (r.status == kReportContiguous && r.before > 1) {
            EXPECT_LE(r.after, 1u);
        }
        if (r.status == kReportMoveFailed) {
            EXPECT_TRUE(item->Immovable());
        }
        if (r.before > 1 && r.after <= 1)
            ++madeContiguous;
        if (r.after > 1) {
            ++notDefragmented;
            remaining += r.after;
        }
    }
    // Unmovable items keep the fragments they were read with.
    for (const ItemFacts& item : before.items)
        for (const StreamFacts& stream : item.streams)
            if (item.unmovable && stream.fragments > 1)
                remaining += stream.fragments;
    const DefragStatistics& s = *pass.statistics;
    EXPECT_EQ(madeContiguous, s.filesMadeContiguous);
    EXPECT_EQ(remaining, s.fragmentsRemaining);
    return notDefragmented;
}

// One defragmentation pass checked against the volume before and after it: the job states,
// the image sound with every byte in place, and statistics, cells and reports that match it.
// Answers the items not defragmented that the reports account for.
uint64_t RunCheckedDefragmentation(const std::wstring& image, wchar_t drive,
                                   const SimDigests& digests, Pass& pass) {
    const VolumeFacts before = ReadVolumeFacts(image, drive);
    pass = RunPass(kCommandDefragment, drive);
    ExpectIdleRunningFinished(pass.states);
    EXPECT_EQ(L'\0', pass.atStart->currentPath[0]) << "empty before the walk";
    // Released, the service holds the image no longer.
    EXPECT_EQ(kRpcDone, Send(kCommandRelease, drive));
    EXPECT_TRUE(WaitForJobState(kJobIdle));
    ExpectImageSound(image, digests);
    const VolumeFacts after = ReadVolumeFacts(image, drive);
    ExpectWalkCounts(*pass.statistics, before);
    ExpectVolumeStatistics(*pass.statistics, after, drive, 512);
    ExpectCellsMatch(pass.cells, after);
    return ExpectDefragmentationReports(pass, before, after);
}

// A seeded NTFS volume with every kind of item a walk meets, but no hard links: the walk
// counts of a pass that moves files are then those of the volume before it.
SimBuildSpec SeededSpec(uint64_t seed, uint32_t files, uint64_t totalClusters) {
    SimBuildSpec spec;
    spec.seed = seed;
    spec.geometry.bytesPerCluster = 512;
    spec.geometry.totalClusters = totalClusters;
    spec.fileCount = files;
    spec.maxFileBytes = 32 * 1024;
    spec.fragmentedShare = 0.5;
    spec.directoryCount = 12;
    spec.bootFileCount = 6;
    spec.immovableCount = 2;
    spec.lockedCount = 2;
    spec.streamCount = 8;
    spec.sparseCount = 3;
    spec.residentCount = 4;
    spec.reparseCount = 1;
    return spec;
}

class SimulatedDrives : public testing::Test {
protected:
    static void SetUpTestSuite() {
        InstallServiceAfresh();
        if (HasFatalFailure())
            return;
        CreateDirectoryW(kImageFolder, nullptr);
        binding_ = std::make_unique<DefragRpcBinding>(kDefragRpcEndpoint);
        ASSERT_EQ(RPC_S_OK, binding_->Status());
        StartInstalledService();
    }
    static void TearDownTestSuite() {
        binding_.reset();
        RunProgram(L"-remove"); // the service's key goes, and the parameters with it
        for (const wchar_t* name : {L"t.img", L"u.img", L"v.img", L"w.img", L"w-corrupt.img"})
            DeleteFileW(ImagePath(name).c_str());
        RemoveDirectoryW(kImageFolder);
    }
    static void StartInstalledService() {
        InstalledService service;
        ASSERT_NE(nullptr, service.get());
        StartServiceW(service.get(), 0, nullptr);
        ASSERT_TRUE(service.WaitForState(SERVICE_RUNNING));
        ASSERT_TRUE(WaitForPipe());
    }
    void TearDown() override {
        EndAnyRun();
        for (wchar_t drive : {L'C', L'T', L'U', L'V'})
            DeleteImageParameter(drive);
    }

    // The long volume: tens of thousands of moves, so that a run lasts (some 40 s on x86_64)
    // while it is paused and poked.
    static std::wstring MakeLongVolume(SimDigests* digests) {
        const std::wstring image = ImagePath(L"v.img");
        SimBuildSpec spec = SeededSpec(21, 30000, 3 << 20);
        spec.maxFileBytes = 48 * 1024;
        spec.fragmentedShare = 0.7;
        EXPECT_NE(nullptr, BuildImage(image, spec));
        *digests = DigestImage(image);
        SetImageParameter(L'V', image);
        return image;
    }

    static std::unique_ptr<DefragRpcBinding> binding_;
};

std::unique_ptr<DefragRpcBinding> SimulatedDrives::binding_;

// Starts a defragmentation of the long volume as the main program does, and waits until the
// worker has processed something, so that the run is surely under way.
bool StartLongRun() {
    if (Send(kCommandRelease, L'V') != kRpcDone ||
        Send(kCommandDefragment, L'V', kBlocks, sizeof(DefragCommand), 1) != kRpcDone)
        return false;
    for (int i = 0; i < 2000; ++i) {
        if (JobState() == kJobRunning && ReadStatistics()->clustersProcessed > 0)
            return true;
        Sleep(10);
    }
    return false;
}

bool SamePlace(const DefragStatistics& a, const DefragStatistics& b) {
    return a.clustersProcessed == b.clustersProcessed &&
           a.currentItemPosition == b.currentItemPosition &&
           std::wstring(a.currentPath) == std::wstring(b.currentPath);
}

// A paused worker stands still: no item, chunk or path changes between two reads `apart`
// milliseconds. The move under way when the pause came may finish first, and on a loaded
// machine its flush can stall it for longer than a quiet look lasts; so the worker counts as
// held only when a quiet look is followed by a second quiet look `apart` long, and a look that
// sees it move starts over. A worker that ignores the pause moves every few milliseconds and
// never passes. Answers what it holds at.
std::unique_ptr<DefragStatistics> ExpectWorkerHeld(DWORD apart = 600) {
    constexpr int kLooks = 20;
    auto held = ReadStatistics();
    for (int look = 0; look < kLooks; ++look) {
        Sleep(300);
        auto quiet = ReadStatistics();
        const bool settled = SamePlace(*held, *quiet);
        held = std::move(quiet);
        if (!settled)
            continue;
        Sleep(apart);
        auto stillHeld = ReadStatistics();
        const bool stayed = SamePlace(*held, *stillHeld);
        held = std::move(stillHeld);
        if (stayed) {
            EXPECT_EQ(kJobRunning, JobState());
            return held;
        }
    }
    ADD_FAILURE() << "the worker never stood still for " << apart << " ms";
    return held;
}

void ExpectWorkerMovesOn(const DefragStatistics& held) {
    bool moved = false;
    for (int i = 0; i < 500 && !moved; ++i) {
        Sleep(10);
        const auto now = ReadStatistics();
        moved = now->clustersProcessed != held.clustersProcessed ||
                now->currentItemPosition != held.currentItemPosition;
    }
    EXPECT_TRUE(moved);
}

} // namespace

TEST_F(SimulatedDrives, AnalysisMatchesTheVolumeAndMovesNothing) {
    const std::wstring image = ImagePath(L"t.img");
    ASSERT_NE(nullptr, BuildImage(image, SeededSpec(3, 400, 65536)));
    const SimDigests digests = DigestImage(image);
    const VolumeFacts volume = ReadVolumeFacts(image, L'T');
    SetImageParameter(L'T', image);

    const Pass pass = RunPass(kCommandAnalyse, L'T');
    ExpectIdleRunningFinished(pass.states);
    EXPECT_EQ(L'\0', pass.atStart->currentPath[0]) << "empty before the walk";
    const DefragStatistics& s = *pass.statistics;
    ExpectWalkCounts(s, volume);
    ExpectVolumeStatistics(s, volume, L'T', 512);
    EXPECT_EQ(s.fragmentsFound, s.fragmentsRemaining);
    EXPECT_EQ(0u, s.filesMadeContiguous);
    ExpectCellsMatch(pass.cells, volume);

    // Each fragmented movable stream is reported with status 0, each locked item with 4 and
    // each unmovable one with 6; contiguous items are not reported in this mode.
    std::multiset<std::tuple<std::wstring, uint32_t, uint32_t>> expected, actual;
    uint64_t fragmentedClusters = 0;
    for (const ItemFacts& item : volume.items) {
        if (item.Locked())
            expected.insert({item.path, kReportOpenFailed, 0});
        for (const StreamFacts& stream : item.streams) {
            if (stream.fragments > 1) {
                fragmentedClusters += stream.allocated;
                if (!item.unmovable)
                    expected.insert({item.path, kReportContiguous, stream.fragments});
            }
        }
        if (item.unmovable)
            expected.insert({item.path, kReportUnmovable, 0});
    }
    for (const Report& r : pass.reports) {
        actual.insert({r.path, r.status, r.before});
        EXPECT_EQ(r.before, r.after) << Narrow(r.path);
    }
    EXPECT_EQ(expected, actual);
    EXPECT_LT(0u, CountStatus(pass.reports, kReportOpenFailed));
    EXPECT_LT(0u, CountStatus(pass.reports, kReportUnmovable));
    EXPECT_EQ(CountStatus(pass.reports, kReportOpenFailed) +
                  CountStatus(pass.reports, kReportUnmovable),
              s.itemsNotDefragmented);
    uint64_t cellFragmented = 0;
    for (const ClusterMapBlock& cell : pass.cells)
        cellFragmented += cell.fragmentedClusters;
    EXPECT_EQ(fragmentedClusters, cellFragmented);

    // Released, the results go; the image is free again and holds what it held.
    ASSERT_EQ(kRpcDone, Send(kCommandRelease, L'T'));
    ASSERT_TRUE(WaitForJobState(kJobIdle));
    EXPECT_EQ(0u, ReadStatistics()->files);
    int count = -1;
    EXPECT_EQ(kRpcDone, RunGuarded([&] { return RpcGetReportCount(&count); }));
    EXPECT_EQ(0, count);
    ExpectImageSound(image, digests);
    const VolumeFacts unchanged = ReadVolumeFacts(image, L'T');
    EXPECT_EQ(volume.freePerCell, unchanged.freePerCell) << "an analysis moves nothing";
}

TEST_F(SimulatedDrives, TwoDefragmentationPassesMatchTheVolumeAndKeepEveryByte) {
    const std::wstring image = ImagePath(L"t.img");
    ASSERT_NE(nullptr, BuildImage(image, SeededSpec(4, 400, 65536)));
    const SimDigests digests = DigestImage(image);
    SetImageParameter(L'T', image);

    for (int number = 1; number <= 2; ++number) {
        SCOPED_TRACE("pass " + std::to_string(number));
        Pass pass;
        const uint64_t notDefragmented = RunCheckedDefragmentation(image, L'T', digests, pass);
        const DefragStatistics& s = *pass.statistics;
        // Immovable files that consolidation tried to move count without a report.
        EXPECT_LE(notDefragmented, s.itemsNotDefragmented);
        EXPECT_GE(notDefragmented + 2, s.itemsNotDefragmented);
        EXPECT_LT(0u, CountStatus(pass.reports, kReportOpenFailed));
        EXPECT_LT(0u, CountStatus(pass.reports, kReportUnmovable));
        if (number == 1) {
            EXPECT_LT(100u, s.filesMadeContiguous);
            EXPECT_LT(0u, CountStatus(pass.reports, kReportContiguous));
            EXPECT_LT(0u, CountStatus(pass.reports, kReportMoveFailed));
        } else {
            EXPECT_EQ(0u, s.filesMadeContiguous) << "the first pass left nothing to do";
        }
    }
}

// A FAT volume with no room left but small gaps: fragmented directories are skipped
// (status 5) and files whose fragments fit nowhere stay fragmented (status 1).
TEST_F(SimulatedDrives, AFullFatVolumeSkipsDirectoriesAndKeepsWhatCannotMove) {
    const std::wstring image = ImagePath(L"u.img");
    SimBuildSpec spec;
    spec.seed = 8;
    spec.geometry.fileSystemName = L"FAT32";
    spec.geometry.bytesPerCluster = 512;
    spec.geometry.totalClusters = 32768;
    spec.fileCount = 200;
    spec.maxFileBytes = 16 * 1024;
    spec.fragmentedShare = 0.6;
    spec.directoryCount = 10;
    spec.lockedCount = 1;
    {
        std::unique_ptr<CSimVolume> volume = BuildImage(image, spec);
        ASSERT_NE(nullptr, volume);
        // Fill every free run longer than two clusters.
        std::vector<SimExtent> filler;
        uint64_t vcn = 0;
        uint64_t lcn = 0;
        auto fill = [&](uint64_t end) {
            if (end - lcn > 2) {
                filler.push_back({vcn, static_cast<int64_t>(lcn), end - lcn});
                vcn += end - lcn;
            }
        };
        const SimVolumeContent content = volume->CopyContent();
        for (const auto& [first, end] : content.used.GetRuns()) {
            fill(first);
            lcn = end;
        }
        fill(spec.geometry.totalClusters);
        ASSERT_EQ(ERROR_SUCCESS, volume->AddSystemFile(L"$Filler", filler));
    }
    const SimDigests digests = DigestImage(image);
    SetImageParameter(L'U', image);

    Pass pass;
    const uint64_t notDefragmented = RunCheckedDefragmentation(image, L'U', digests, pass);
    EXPECT_EQ(notDefragmented, pass.statistics->itemsNotDefragmented);
    EXPECT_LT(0u, CountStatus(pass.reports, kReportNonNtfsDirectory));
    EXPECT_LT(0u, CountStatus(pass.reports, kReportFragmented));
    EXPECT_LT(0u, CountStatus(pass.reports, kReportOpenFailed));
}

TEST_F(SimulatedDrives, PauseResumeAbortAndStrayCommandsDuringARun) {
    SimDigests digests;
    const std::wstring image = MakeLongVolume(&digests);
    ASSERT_TRUE(StartLongRun());
    const SYSTEMTIME started = ReadStatistics()->startTime;

    // Commands that must change nothing while the run goes on.
    EXPECT_EQ(kRpcDone, Send(kCommandRelease, L'V')) << "ignored while the worker runs";
    EXPECT_EQ(kRpcDone, Send(2, L'V')) << "accepted, no effect";
    EXPECT_EQ(kRpcDone, Send(kCommandAnalyse, L'W')) << "no second run";
    Sleep(400);
    EXPECT_EQ(kJobRunning, JobState());
    EXPECT_EQ(L'V', ReadStatistics()->drive);

    // Malformed calls from concurrent callers, a bounded number, while the worker moves files:
    // what they answer does not matter, only that the service goes on answering.
    std::vector<std::thread> callers;
    for (int c = 0; c < 4; ++c) {
        callers.emplace_back([c] {
            std::vector<byte> buffer(sizeof(DefragStatistics));
            int len = 0;
            const int sizes[] = {-1, 0, 7, 65'855, 2'000'000};
            for (int i = 0; i < 30; ++i) {
                const int size = sizes[i % 5];
                const int small = std::min<int>(std::max(size, 0), 100);
                static_cast<void>(RunGuarded(
                    [&] { return RpcGetReportItem(i - 15, 65'584, &len, buffer.data()); }));
                static_cast<void>(
                    RunGuarded([&] { return RpcGetReportItem(0, small, &len, buffer.data()); }));
                static_cast<void>(
                    RunGuarded([&] { return RpcGetDefragStatistics(small, &len, buffer.data()); }));
                static_cast<void>(RunGuarded(
                    [&] { return RpcGetClusterMap((kBlocks + c - 2) * 40, &len, buffer.data()); }));
                static_cast<void>(
                    RunGuarded([&] { return RpcSetClusterMap(small, buffer.data()); }));
                Send(i % 3 == 0 ? -1 : 99, L'V', kBlocks, 20);
                Send(kCommandAnalyse, L'V', i % 2 ? -5 : kMaxMapBlockCount + 1);
                Send(kCommandDefragment, L'V', kBlocks, i % 2 ? 19 : 21);
            }
        });
    }
    for (std::thread& caller : callers)
        caller.join();
    EXPECT_EQ(kJobRunning, JobState()) << "the service still answers and runs";

    // Paused, the worker stands still; paused twice is still paused once.
    EXPECT_EQ(kRpcDone, RunGuarded([] { return RpcPauseDefrag(); }));
    EXPECT_EQ(kRpcDone, RunGuarded([] { return RpcPauseDefrag(); }));
    EXPECT_EQ(1, IsPaused());
    const auto held = ExpectWorkerHeld();
    // Resumed, it goes on.
    EXPECT_EQ(kRpcDone, RunGuarded([] { return RpcResumeDefrag(); }));
    EXPECT_EQ(0, IsPaused());
    ExpectWorkerMovesOn(*held);

    ASSERT_EQ(kJobRunning, JobState()) << "the volume is too small to outlast the test";

    // Aborting a paused run clears the pause and ends the run at once.
    EXPECT_EQ(kRpcDone, RunGuarded([] { return RpcPauseDefrag(); }));
    Sleep(200);
    EXPECT_EQ(kRpcDone, RunGuarded([] { return RpcAbortDefrag(); }));
    EXPECT_EQ(0, IsPaused());
    // A run that waited for a resume would stay paused: the bound is only for a loaded machine.
    ASSERT_TRUE(WaitForJobState(kJobFinished, 30'000));
    const auto aborted = ReadStatistics();
    EXPECT_EQ(1u, aborted->aborted);
    EXPECT_EQ(L'\0', aborted->currentPath[0]);
    EXPECT_EQ(0, memcmp(&started, &aborted->startTime, sizeof started));

    // A start while the results are held does nothing.
    EXPECT_EQ(kRpcDone, Send(kCommandDefragment, L'V', kBlocks, sizeof(DefragCommand), 1));
    Sleep(400);
    EXPECT_EQ(kJobFinished, JobState());
    EXPECT_EQ(1u, ReadStatistics()->aborted);

    ASSERT_EQ(kRpcDone, Send(kCommandRelease, L'V'));
    ASSERT_TRUE(WaitForJobState(kJobIdle));
    ExpectImageSound(image, digests);
}

// The service manager's pause holds the worker's walk and moves as the client's pause does:
// two reads of the statistics well apart show the same figures; its continue lets it go.
TEST_F(SimulatedDrives, AServiceManagerPauseHoldsTheRunUntilContinue) {
    SimDigests digests;
    const std::wstring image = MakeLongVolume(&digests);
    ASSERT_TRUE(StartLongRun());
    {
        InstalledService service;
        SERVICE_STATUS status{};
        ASSERT_TRUE(ControlService(service.get(), SERVICE_CONTROL_PAUSE, &status));
        EXPECT_TRUE(service.WaitForState(SERVICE_PAUSED));
        const auto held = ExpectWorkerHeld(1'500);
        EXPECT_EQ(0, IsPaused()) << "the client's pause flag is its own";
        // A client's pause and resume meanwhile leave the manager's pause standing.
        EXPECT_EQ(kRpcDone, RunGuarded([] { return RpcPauseDefrag(); }));
        EXPECT_EQ(kRpcDone, RunGuarded([] { return RpcResumeDefrag(); }));
        const auto stillHeld = ExpectWorkerHeld(1'500);
        EXPECT_EQ(held->clustersProcessed, stillHeld->clustersProcessed);
        EXPECT_EQ(held->currentItemPosition, stillHeld->currentItemPosition);
        ASSERT_TRUE(ControlService(service.get(), SERVICE_CONTROL_CONTINUE, &status));
        EXPECT_TRUE(service.WaitForState(SERVICE_RUNNING));
        ExpectWorkerMovesOn(*held);
    }
    ASSERT_EQ(kJobRunning, JobState()) << "the volume is too small to outlast the test";
    EXPECT_EQ(kRpcDone, RunGuarded([] { return RpcAbortDefrag(); }));
    ASSERT_TRUE(WaitForJobState(kJobFinished, 5'000));
    ASSERT_EQ(kRpcDone, Send(kCommandRelease, L'V'));
    ASSERT_TRUE(WaitForJobState(kJobIdle));
    ExpectImageSound(image, digests);
}

TEST_F(SimulatedDrives, StopDuringARunEndsWithinTwentySecondsAndKeepsTheVolumeSound) {
    SimDigests digests;
    const std::wstring image = MakeLongVolume(&digests);
    ASSERT_TRUE(StartLongRun());

    {
        InstalledService service;
        SERVICE_STATUS status{};
        const DWORD stopAt = GetTickCount();
        ASSERT_TRUE(ControlService(service.get(), SERVICE_CONTROL_STOP, &status));
        EXPECT_TRUE(service.WaitForState(SERVICE_STOPPED, 25'000));
        EXPECT_LT(GetTickCount() - stopAt, 20'000u);
    }
    ExpectImageSound(image, digests);

    // A new service process starts idle and refuses what needs a run's results.
    StartInstalledService();
    EXPECT_EQ(kJobIdle, JobState());
    std::vector<byte> buffer(sizeof(DefragStatistics));
    int len = 0;
    EXPECT_EQ(kRpcRefused, RunGuarded([&] {
                  return RpcGetClusterMap(kBlocks * sizeof(ClusterMapBlock), &len, buffer.data());
              }));
    EXPECT_EQ(kRpcRefused, RunGuarded([&] {
                  return RpcSetClusterMap(kBlocks * sizeof(ClusterMapBlock), buffer.data());
              }));
    EXPECT_EQ(kRpcRefused, RunGuarded([&] {
                  return RpcGetReportItem(0, sizeof(FileReportRecord), &len, buffer.data());
              }));
    EXPECT_EQ(0u, ReadStatistics()->files);
    // Pause, resume and abort with no run do no harm: the next run starts unpaused.
    EXPECT_EQ(kRpcDone, RunGuarded([] { return RpcPauseDefrag(); }));
    EXPECT_EQ(kRpcDone, RunGuarded([] { return RpcAbortDefrag(); }));
    EXPECT_EQ(0, IsPaused());
    EXPECT_TRUE(StartLongRun()) << "a stale abort must not end the next run";
}

// A configured drive never falls back to its real device: a value that names no usable image
// ends the run as a failed one, touches no file and leaves the service answering.
TEST_F(SimulatedDrives, UnusableImagesFailTheRunCleanly) {
    const std::wstring corrupt = ImagePath(L"w-corrupt.img");
    std::string garbage(64 * 1024, '\0');
    for (size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<char>(i * 131 + i / 97);
    {
        const KernelHandle file(
            CreateFileW(corrupt.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(file);
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(file.Get(), garbage.data(), static_cast<DWORD>(garbage.size()),
                              &written, nullptr));
    }
    const std::wstring inUse = ImagePath(L"w.img");
    SimBuildSpec small = SeededSpec(5, 20, 4096);
    std::unique_ptr<CSimVolume> holder = BuildImage(inUse, small); // open, not shared
    ASSERT_NE(nullptr, holder);
    const SimDigests digests = DigestSimVolume(*holder);

    const DWORD number = 1;
    const std::vector<std::pair<std::string, std::function<void()>>> cases = {
        {"missing", [&] { SetImageParameter(L'C', ImagePath(L"missing.img")); }},
        {"corrupt", [&] { SetImageParameter(L'C', corrupt); }},
        {"in use", [&] { SetImageParameter(L'C', inUse); }},
        {"empty", [&] { SetImageParameter(L'C', L""); }},
        {"not text", [&] { SetParameter(L'C', REG_DWORD, &number, sizeof number); }},
    };
    for (const auto& [name, configure] : cases) {
        SCOPED_TRACE(name);
        configure();
        const Pass pass = RunPass(kCommandDefragment, L'C');
        EXPECT_EQ(kJobFinished, pass.states.back());
        EXPECT_EQ(0u, pass.statistics->totalClusters) << "no clusters: a failed run";
        // Wine opens C:'s own volume and names it; a run that never reached it names nothing.
        EXPECT_NE(L'C', pass.statistics->drive) << "the real drive was used";
        EXPECT_EQ(0u, pass.statistics->files);
        EXPECT_EQ(0u, pass.statistics->directories);
        EXPECT_EQ(L'\0', pass.statistics->currentPath[0]);
        EXPECT_TRUE(pass.reports.empty());
    }
    ASSERT_EQ(kRpcDone, Send(kCommandRelease, L'C'));
    ASSERT_TRUE(WaitForJobState(kJobIdle));

    std::string now(garbage.size() + 1, '\0');
    const KernelHandle file(CreateFileW(corrupt.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(file);
    DWORD read = 0;
    ASSERT_TRUE(ReadFile(file.Get(), now.data(), static_cast<DWORD>(now.size()), &read, nullptr));
    now.resize(read);
    EXPECT_TRUE(now == garbage) << "the corrupt image is left as it was";
    holder.reset();
    ExpectImageSound(inUse, digests);
}
