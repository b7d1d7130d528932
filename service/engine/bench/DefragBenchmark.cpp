// Times a whole two-pass defragmentation of simulated volumes of 10^4 and 10^5 files as the
// service runs it: the service's worker thread runs the engine with the main program's command
// (defragment, consolidating mode, normal priority) on a volume image, mounted for each run and
// checkpointed when the run ends, twice, each run's results released as the main program
// releases them. In the same run and on the same disk it copies as many bytes as the moves
// copied, with the durability the volume gives its moves (a flush after every SimCommitBytes
// written), and once more with a single flush at the end.
//
// The passes run twice in each round, on two images of the same volume: as built, sparse (the
// host allocates a block for every cluster a move writes, scattered over the image, at the flush
// that follows), and allocated (every block of the image written once beforehand, as a disk
// holds every cluster it has, so that a move costs the host no allocation). The first is what
// the tests use; the second is the nearer model of a defragmentation on a disk.
//
// Each run builds the volume anew in the folder (not timed), digests every stream, runs the two
// passes (timed), checks that the volume is sound and every stream's bytes unchanged (not
// timed); then the round times the two copies. One line per round; at the end the minimum,
// median and maximum of every figure over the rounds. Not a test.
//
//   defrag_benchmark.exe [FILES [ROUNDS [FOLDER]]]   FILES 0: both 10^4 and 10^5 (the default)
#include "DefragRun.h"
#include "DefragThread.h"
#include "DefragWorkerHandle.h"
#include "SimImage.h"
#include "SimVolumeApi.h"
#include "SimVolumeBuilder.h"
#include "SimVolumeChecker.h"

#include <owners/WinOwners.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr wchar_t kDrive = L'B';
constexpr int32_t kCells = 4000;
constexpr uint64_t kSeed = 1;
constexpr uint32_t kCopyBlock = 64 * 1024;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The image the benchmark's runs mount, and what they moved.
std::wstring g_image;
uint64_t g_movedClusters = 0;

// The service's run on a simulated drive (CDefragThread::RunEngineOnDrive) with the image named
// here instead of in the service's configuration, keeping the count of moved clusters. The
// volume is unmounted, and checkpointed, when the run ends, as in the service.
void RunOnImage(DefragEngineState& state, const DefragCommand& command, bool analyseAndDefragment) {
    DWORD error = ERROR_SUCCESS;
    std::shared_ptr<CSimVolume> volume = CSimVolume::Open(g_image, &error);
    if (!volume) {
        std::fprintf(stderr, "cannot open the image: error %lu\n", error);
        return;
    }
    CSimVolumeApi api;
    api.Mount(command.drive, volume);
    if (RunDefrag(state, api, command.mode, command.drive, analyseAndDefragment) != 1) {
        std::fprintf(stderr, "the run failed\n");
    }
    g_movedClusters += volume->MovedClusters();
}

struct PassFigures {
    uint64_t fragmentedBytes = 0;
    uint64_t fragmentsRemaining = 0;
    uint64_t movedBytes = 0;
};

// The two passes on one image.
struct DefragFigures {
    PassFigures passes[2];
    double seconds = 0;

    uint64_t MovedBytes() const { return passes[0].movedBytes + passes[1].movedBytes; }
};

// One run through the service's worker, then the release of its results, as the command loop
// does them for the main program's commands 1 and 5.
bool RunPass(CDefragThread& worker, uint32_t bytesPerCluster, PassFigures* figures) {
    DefragEngineState& state = g_defragEngineState;
    const DefragCommand command{kCommandDefragment, kDrive, kCells, kPriorityNormal, 1};
    const uint64_t movedBefore = g_movedClusters;
    if (!worker.StartRun(command) || !g_defragWorker.WaitForEnd(INFINITE)) {
        return false;
    }
    figures->fragmentedBytes = state.statistics.fragmentedBytes;
    figures->fragmentsRemaining = state.statistics.fragmentsRemaining;
    figures->movedBytes = (g_movedClusters - movedBefore) * bytesPerCluster;
    const bool ran = state.statistics.totalClusters != 0 && state.statistics.aborted == 0;
    state.FreeDefragResults();
    state.ResetStatusCounters();
    g_defragWorker.Close();
    state.jobState = kJobIdle;
    return ran;
}

// Writes every byte of the file back where it is, so that the host holds a block for every
// part of it, holes included; the bytes stay as they were. False when it could not.
bool AllocateWholeFile(const std::wstring& path) {
    KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return false;
    }
    std::vector<uint8_t> block(1 << 20);
    for (LARGE_INTEGER at{};;) {
        DWORD read = 0;
        if (!SetFilePointerEx(file.Get(), at, nullptr, FILE_BEGIN) ||
            !ReadFile(file.Get(), block.data(), static_cast<DWORD>(block.size()), &read, nullptr)) {
            return false;
        }
        if (read == 0) {
            break;
        }
        DWORD written = 0;
        if (!SetFilePointerEx(file.Get(), at, nullptr, FILE_BEGIN) ||
            !WriteFile(file.Get(), block.data(), read, &written, nullptr) || written != read) {
            return false;
        }
        at.QuadPart += read;
    }
    return FlushFileBuffers(file.Get()) != FALSE;
}

// Writes bytes of varied data to a new file and makes them durable; false when it could not.
bool WriteSource(const std::wstring& path, uint64_t bytes) {
    KernelHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return false;
    }
    std::vector<uint8_t> block(kCopyBlock);
    for (uint64_t done = 0, n = 0; done < bytes; done += kCopyBlock, ++n) {
        SimFillPattern(kSeed, n, kCopyBlock, block.data());
        const DWORD size = static_cast<DWORD>(std::min<uint64_t>(kCopyBlock, bytes - done));
        DWORD written = 0;
        if (!WriteFile(file.Get(), block.data(), size, &written, nullptr) || written != size) {
            return false;
        }
    }
    return FlushFileBuffers(file.Get()) != FALSE;
}

// Copies source to a new file, kCopyBlock a write, flushing after every flushEvery bytes and at
// the end (flushEvery 0: only at the end). Seconds, or a negative value when it failed.
double TimedCopy(const std::wstring& source, const std::wstring& target, uint64_t flushEvery) {
    const Clock::time_point start = Clock::now();
    KernelHandle from(CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    KernelHandle to(CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!from || !to) {
        return -1;
    }
    std::vector<uint8_t> block(kCopyBlock);
    uint64_t unflushed = 0;
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(from.Get(), block.data(), kCopyBlock, &read, nullptr)) {
            return -1;
        }
        if (read == 0) {
            break;
        }
        DWORD written = 0;
        if (!WriteFile(to.Get(), block.data(), read, &written, nullptr) || written != read) {
            return -1;
        }
        unflushed += read;
        if (flushEvery != 0 && unflushed >= flushEvery) {
            if (!FlushFileBuffers(to.Get())) {
                return -1;
            }
            unflushed = 0;
        }
    }
    if (!FlushFileBuffers(to.Get())) {
        return -1;
    }
    const double seconds = SecondsSince(start);
    to.Reset();
    static_cast<void>(DeleteFileW(target.c_str())); // a leftover copy harms nothing
    return seconds;
}

struct Round {
    DefragFigures sparse;
    DefragFigures allocated;
    double durableCopySeconds = 0;
    double plainCopySeconds = 0;

    double MovedShare() const {
        return static_cast<double>(sparse.MovedBytes()) /
               static_cast<double>(std::max<uint64_t>(1, sparse.passes[0].fragmentedBytes));
    }
    // The defragmentation's rate against the durable copy's: both move the same bytes.
    double RateRatio(const DefragFigures& defrag) const {
        return durableCopySeconds / defrag.seconds;
    }
};

// Builds the volume (allocated: then writes its whole image once), runs the two passes on it
// and checks it afterwards; false, with the reason printed, when any step failed.
bool RunDefragmentation(uint32_t files, const std::wstring& folder, CDefragThread& worker,
                        bool allocated, DefragFigures* figures) {
    const uint64_t clusters = uint64_t{files} * 20 + 65536;
    const SimBuildSpec spec = SimServiceVolumeSpec(kSeed, files, clusters);
    g_image = folder + L"defrag-bench.img";
    static_cast<void>(DeleteFileW(g_image.c_str())); // a previous run's leftover, if any
    DWORD error = ERROR_SUCCESS;
    SimDigests digests;
    {
        std::unique_ptr<CSimVolume> volume = BuildSimVolume(g_image, spec, &error);
        if (!volume) {
            std::fprintf(stderr, "cannot build a volume of %u files: error %lu\n", files, error);
            return false;
        }
        digests = DigestSimVolume(*volume);
    }
    if (allocated && !AllocateWholeFile(g_image)) {
        std::fprintf(stderr, "cannot write the whole image: error %lu\n", GetLastError());
        return false;
    }

    const uint32_t bytesPerCluster = spec.geometry.bytesPerCluster;
    const Clock::time_point start = Clock::now();
    for (PassFigures& pass : figures->passes) {
        if (!RunPass(worker, bytesPerCluster, &pass)) {
            std::fprintf(stderr, "a pass did not run to its end\n");
            return false;
        }
    }
    figures->seconds = SecondsSince(start);

    std::unique_ptr<CSimVolume> volume = CSimVolume::Open(g_image, &error);
    const std::vector<std::wstring> problems =
        volume ? CheckSimVolume(*volume, &digests) : std::vector<std::wstring>{L"no volume"};
    if (!problems.empty()) { // the image stays, to be looked at
        std::fprintf(stderr, "the volume is not sound after the runs: %zu problems, first: %ls\n",
                     problems.size(), problems.front().c_str());
        return false;
    }
    volume.reset();
    static_cast<void>(DeleteFileW(g_image.c_str()));
    return true;
}

// A round, or false (with the reason printed) when any step failed. The two images take turns
// at going first, so that neither gains from what the other left in the host's caches.
bool RunRound(uint32_t files, const std::wstring& folder, CDefragThread& worker, bool sparseFirst,
              Round* round) {
    for (const bool allocated : {!sparseFirst, sparseFirst}) {
        if (!RunDefragmentation(files, folder, worker, allocated,
                                allocated ? &round->allocated : &round->sparse)) {
            return false;
        }
    }
    if (round->allocated.MovedBytes() != round->sparse.MovedBytes()) {
        std::fprintf(stderr, "the two images' runs moved different bytes\n");
        return false;
    }

    const std::wstring source = folder + L"defrag-bench-source.bin";
    const std::wstring target = folder + L"defrag-bench-copy.bin";
    const uint64_t bytes = round->sparse.MovedBytes();
    if (!WriteSource(source, bytes)) {
        std::fprintf(stderr, "cannot write the copy's source: error %lu\n", GetLastError());
        return false;
    }
    round->durableCopySeconds = TimedCopy(source, target, kSimCommitBytes);
    round->plainCopySeconds = TimedCopy(source, target, 0);
    static_cast<void>(DeleteFileW(source.c_str()));
    if (round->durableCopySeconds < 0 || round->plainCopySeconds < 0) {
        std::fprintf(stderr, "the copy failed: error %lu\n", GetLastError());
        return false;
    }
    return true;
}

double MegaBytes(uint64_t bytes) {
    return static_cast<double>(bytes) / 1e6;
}

void PrintRound(int number, const Round& r) {
    const DefragFigures& d = r.sparse;
    const double moved = MegaBytes(d.MovedBytes());
    std::printf("  round %d: moved %.0f MB (pass 1 %.0f, pass 2 %.0f) of fragmented %.0f MB = "
                "%.2fx; fragments left %llu; defragmentation %.2f s = %.1f MB/s (allocated "
                "image %.2f s = %.1f MB/s); durable copy %.2f s = %.1f MB/s; plain copy %.2f s; "
                "rate %.2fx the durable copy's (allocated image %.2fx)\n",
                number, moved, MegaBytes(d.passes[0].movedBytes), MegaBytes(d.passes[1].movedBytes),
                MegaBytes(d.passes[0].fragmentedBytes), r.MovedShare(),
                static_cast<unsigned long long>(d.passes[1].fragmentsRemaining), d.seconds,
                moved / d.seconds, r.allocated.seconds, moved / r.allocated.seconds,
                r.durableCopySeconds, moved / r.durableCopySeconds, r.plainCopySeconds,
                r.RateRatio(d), r.RateRatio(r.allocated));
    std::fflush(stdout);
}

// "min / median / max" of one figure over the rounds.
template <typename Figure>
std::string Spread(const std::vector<Round>& rounds, Figure figure, const char* format) {
    std::vector<double> values;
    for (const Round& r : rounds) {
        values.push_back(figure(r));
    }
    std::sort(values.begin(), values.end());
    char text[64];
    std::string out;
    for (const double value : {values.front(), values[values.size() / 2], values.back()}) {
        std::snprintf(text, sizeof text, format, value);
        out += out.empty() ? text : std::string(" / ") + text;
    }
    return out;
}

void Bench(uint32_t files, int rounds, const std::wstring& folder) {
    std::printf("%u files, two passes, %d rounds (volume image and copies in %ls; durable: a "
                "flush every %llu bytes):\n",
                files, rounds, folder.c_str(), static_cast<unsigned long long>(kSimCommitBytes));
    std::fflush(stdout);
    CDefragThread worker(g_defragEngineState, RunOnImage);
    std::vector<Round> done;
    for (int i = 0; i < rounds; ++i) {
        Round round;
        if (!RunRound(files, folder, worker, i % 2 == 0, &round)) {
            std::printf("  round %d FAILED\n", i + 1);
            return;
        }
        PrintRound(i + 1, round);
        done.push_back(round);
    }
    const auto spread = [&done](auto figure) { return Spread(done, figure, "%.2f"); };
    std::printf("  %u files, min / median / max: defragmentation %s s (allocated image %s s); "
                "durable copy %s s; rate %sx the durable copy's (allocated image %sx; goal "
                "0.5x); moved %s x the fragmented bytes (goal 1.3x)\n",
                files, spread([](const Round& r) { return r.sparse.seconds; }).c_str(),
                spread([](const Round& r) { return r.allocated.seconds; }).c_str(),
                spread([](const Round& r) { return r.durableCopySeconds; }).c_str(),
                spread([](const Round& r) { return r.RateRatio(r.sparse); }).c_str(),
                spread([](const Round& r) { return r.RateRatio(r.allocated); }).c_str(),
                spread([](const Round& r) { return r.MovedShare(); }).c_str());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    const uint32_t files = argc > 1 ? static_cast<uint32_t>(std::strtoul(argv[1], nullptr, 10)) : 0;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    std::wstring folder;
    if (argc > 3) {
        const std::string narrow = argv[3];
        folder.assign(narrow.begin(), narrow.end());
    } else {
        wchar_t temp[MAX_PATH];
        const DWORD length = GetTempPathW(MAX_PATH, temp);
        folder.assign(temp, length > 0 && length < MAX_PATH ? length : 0);
    }
    if (!folder.empty() && folder.back() != L'\\') {
        folder += L'\\';
    }
    if (files != 0) {
        Bench(files, rounds, folder);
        return 0;
    }
    for (const uint32_t count : {10'000u, 100'000u}) {
        Bench(count, rounds, folder);
    }
    return 0;
}
