// Drives one analysis or defragmentation of a drive over the service's RPC interface, the way
// the main program does, and prints what happened.
//   defrag_run_client <drive letter> analyse|defragment
// Exit codes: 0 done, 1 bad arguments, 2 the service does not answer, 3 the run failed.
#include "DefragRecords.h"
#include "DefragRpcBinding.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwctype>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kMapBlocks = 248; // what the main program's map asks for
constexpr DWORD kPollMilliseconds = 200;
constexpr DWORD kStartMilliseconds = 10'000;
// A service just started in a new Wine prefix can take well over 10 s to listen.
constexpr DWORD kServiceAnswerMilliseconds = 30'000;
constexpr DWORD kRunMilliseconds = 30 * 60 * 1000;

std::string Utf8(const wchar_t* text) {
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(bytes > 0 ? bytes - 1 : 0, '\0');
    if (bytes > 1)
        WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), bytes, nullptr, nullptr);
    return out;
}

bool SendCommand(int32_t code, wchar_t drive, int32_t mode) {
    const DefragCommand command{code, drive, kMapBlocks, kPriorityNormal, mode};
    return RunDefragRpcCall([&] {
               return RpcSendDefragCommand(sizeof command, reinterpret_cast<const byte*>(&command));
           }) == kRpcDone;
}

// The job state, or -1 when the service does not answer.
int JobState() {
    int state = -1;
    int priority = 0;
    return RunDefragRpcCall([&] { return RpcGetDefragState(&state, &priority); }) ? state : -1;
}

bool WaitForService() {
    for (DWORD waited = 0; waited <= kServiceAnswerMilliseconds; waited += kPollMilliseconds) {
        if (JobState() >= 0)
            return true;
        Sleep(kPollMilliseconds);
    }
    return false;
}

bool WaitForState(int wanted, DWORD milliseconds) {
    for (DWORD waited = 0; waited <= milliseconds; waited += kPollMilliseconds) {
        if (JobState() == wanted)
            return true;
        Sleep(kPollMilliseconds);
    }
    return false;
}

bool ReadStatistics(DefragStatistics& statistics) {
    int len = 0;
    return RunDefragRpcCall([&] {
               return RpcGetDefragStatistics(sizeof statistics, &len,
                                             reinterpret_cast<byte*>(&statistics));
           }) == kRpcDone &&
           len == sizeof statistics;
}

// Polls like the main program until the run has finished, printing the progress.
bool WaitForRun(DefragStatistics& statistics) {
    unsigned lastShown = ~0u;
    for (DWORD waited = 0; waited <= kRunMilliseconds; waited += kPollMilliseconds) {
        const int state = JobState();
        if (state == kJobFinished)
            return true;
        if (state != kJobRunning)
            return false;
        if (ReadStatistics(statistics) && statistics.usedClusters != 0) {
            const unsigned percent =
                static_cast<unsigned>(statistics.clustersProcessed * 100 / statistics.usedClusters);
            if (percent / 10 != lastShown / 10) {
                std::printf("  %3u %%  %s\n", percent, Utf8(statistics.currentPath).c_str());
                lastShown = percent;
            }
        }
        Sleep(kPollMilliseconds);
    }
    return false;
}

void PrintMap() {
    std::vector<ClusterMapBlock> cells(kMapBlocks);
    int len = 0;
    if (!RunDefragRpcCall([&] {
            return RpcGetClusterMap(kMapBlocks * sizeof(ClusterMapBlock), &len,
                                    reinterpret_cast<byte*>(cells.data()));
        })) {
        std::printf("map: not available\n");
        return;
    }
    ClusterMapBlock sum{};
    for (const ClusterMapBlock& cell : cells) {
        sum.freeClusters += cell.freeClusters;
        sum.otherUsedClusters += cell.otherUsedClusters;
        sum.contiguousClusters += cell.contiguousClusters;
        sum.fragmentedClusters += cell.fragmentedClusters;
        sum.mftZoneClusters += cell.mftZoneClusters;
    }
    std::printf("map: %d cells; clusters free %llu, other used %llu, contiguous %llu, "
                "fragmented %llu, MFT zone %llu\n",
                kMapBlocks, sum.freeClusters, sum.otherUsedClusters, sum.contiguousClusters,
                sum.fragmentedClusters, sum.mftZoneClusters);
}

const char* StatusText(uint32_t status) {
    static const char* const texts[] = {"contiguous", "still fragmented", "move failed",
                                        "aborted",    "cannot open",      "skipped directory",
                                        "not movable"};
    return status < std::size(texts) ? texts[status] : "unknown";
}

// An analysis reports fragmented items with status 0.
void PrintReports(bool analysis) {
    int count = 0;
    if (!RunDefragRpcCall([&] { return RpcGetReportCount(&count); }))
        return;
    std::printf("reports: %d\n", count);
    auto record = std::make_unique<FileReportRecord>();
    for (int index = 0; index < count; ++index) {
        int len = 0;
        if (!RunDefragRpcCall([&] {
                return RpcGetReportItem(index, sizeof *record, &len,
                                        reinterpret_cast<byte*>(record.get()));
            }))
            continue;
        const bool fragmented =
            analysis && record->status == kReportContiguous && record->fragmentsBefore > 1;
        std::printf("  %-17s %u -> %u fragments  %s\n",
                    fragmented ? "fragmented" : StatusText(record->status), record->fragmentsBefore,
                    record->fragmentsAfter, Utf8(record->path).c_str());
    }
}

void PrintStatistics(const DefragStatistics& s) {
    std::printf("volume %lc: %s, %llu clusters of %u bytes; used %llu, free %llu, largest free "
                "run %llu\n",
                static_cast<wint_t>(s.drive), Utf8(s.fileSystemName).c_str(), s.totalClusters,
                s.sectorsPerCluster * s.bytesPerSector, s.usedClusters, s.freeClusters,
                s.largestFreeRun);
    std::printf("files %llu, directories %llu; fragmented files %llu (%llu bytes, %llu "
                "fragments); made contiguous %llu; fragments remaining %llu; not defragmented "
                "%llu%s\n",
                s.files, s.directories, s.fragmentedFiles, s.fragmentedBytes, s.fragmentsFound,
                s.filesMadeContiguous, s.fragmentsRemaining, s.itemsNotDefragmented,
                s.aborted ? "; aborted" : "");
}

// One pass: release, start, poll to the end. Answers false when the run did not finish.
bool RunPass(int32_t code, wchar_t drive, DefragStatistics& statistics) {
    if (!SendCommand(kCommandRelease, drive, 0) || !WaitForState(kJobIdle, kStartMilliseconds)) {
        std::printf("the service did not release its previous results\n");
        return false;
    }
    if (!SendCommand(code, drive, code == kCommandDefragment ? 1 : 0)) {
        std::printf("the service refused the command\n");
        return false;
    }
    if (!WaitForState(kJobRunning, kStartMilliseconds) && JobState() != kJobFinished) {
        std::printf("the run did not start\n");
        return false;
    }
    if (!WaitForRun(statistics) || !ReadStatistics(statistics)) {
        std::printf("the run did not finish\n");
        return false;
    }
    return true;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3 || !std::iswalpha(argv[1][0]) ||
        (wcscmp(argv[2], L"analyse") != 0 && wcscmp(argv[2], L"defragment") != 0)) {
        std::printf("usage: defrag_run_client <drive letter> analyse|defragment\n");
        return 1;
    }
    const wchar_t drive = static_cast<wchar_t>(std::towupper(argv[1][0]));
    const bool defragment = wcscmp(argv[2], L"defragment") == 0;

    DefragRpcBinding binding(kDefragRpcEndpoint);
    // A service that has just started may still be registering its listener.
    if (binding.Status() != RPC_S_OK || !WaitForService()) {
        std::printf("the service does not answer on %s\n", Utf8(kDefragRpcEndpoint).c_str());
        return 2;
    }

    auto statistics = std::make_unique<DefragStatistics>();
    // A defragmentation runs two passes, as the main program does.
    const int passes = defragment ? 2 : 1;
    for (int pass = 1; pass <= passes; ++pass) {
        std::printf("%s %lc: (pass %d of %d)\n", defragment ? "defragmenting" : "analysing",
                    static_cast<wint_t>(drive), pass, passes);
        if (!RunPass(defragment ? kCommandDefragment : kCommandAnalyse, drive, *statistics))
            return 3;
        PrintStatistics(*statistics);
        // No clusters means the volume could not be read: a failure, not an empty result.
        if (statistics->totalClusters == 0) {
            std::printf("the run failed: the volume could not be read\n");
            SendCommand(kCommandRelease, drive, 0);
            return 3;
        }
    }
    PrintMap();
    PrintReports(!defragment);
    SendCommand(kCommandRelease, drive, 0);
    return 0;
}
