// Times an analysis run of the engine on in-memory simulated volumes of 10^4, 10^5 and 10^6
// fragmented files of about three extents each, against a bare walk through the same volume
// layer in the same run: enumerate every directory, open every item, read its size and its
// extents, close it. The difference is the engine's own share. Walk and analysis take turns,
// several times each (more for the smaller volumes, whose runs are short), and the medians
// count, so a passing load on the machine does not decide the figures; the fastest of each is
// shown beside them. Prints one line per volume; not a test.
#include "DefragEngineState.h"
#include "DefragRun.h"
#include "SimVolume.h"
#include "SimVolumeApi.h"
#include "SimVolumeBuilder.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr wchar_t kDrive = L'T';

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> seconds) {
    std::sort(seconds.begin(), seconds.end());
    return seconds[seconds.size() / 2];
}

double Fastest(const std::vector<double>& seconds) {
    return *std::min_element(seconds.begin(), seconds.end());
}

std::shared_ptr<CSimVolume> MakeVolume(uint32_t files) {
    DWORD error = ERROR_SUCCESS;
    std::shared_ptr<CSimVolume> volume = BuildSimVolume(L"", SimManySmallFilesSpec(files), &error);
    if (!volume) {
        std::fprintf(stderr, "cannot build a volume of %u files: error %lu\n", files, error);
    }
    return volume;
}

// Every item of the tree below path, as an application would read it.
uint64_t BareWalk(CVolumeApi& api, const std::wstring& path, uint64_t* extents) {
    uint64_t items = 0;
    WIN32_FIND_DATAW entry{};
    const HANDLE find = api.FindFirstFileW((L"\\\\?\\" + path + L"\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) {
        return 0;
    }
    std::vector<uint8_t> buffer(16'396);
    do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        const std::wstring child = path + L"\\" + name;
        const bool directory = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        const HANDLE item = api.CreateFileW(
            (L"\\\\?\\" + child).c_str(), directory ? GENERIC_READ : FILE_READ_ATTRIBUTES,
            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
            directory ? FILE_FLAG_BACKUP_SEMANTICS : FILE_FLAG_NO_BUFFERING);
        if (item != INVALID_HANDLE_VALUE) {
            ++items;
            LARGE_INTEGER size{};
            api.GetFileSizeEx(item, &size);
            STARTING_VCN_INPUT_BUFFER start{};
            DWORD returned = 0;
            for (;;) {
                const BOOL done = api.DeviceIoControl(item, FSCTL_GET_RETRIEVAL_POINTERS, &start,
                                                      sizeof start, buffer.data(),
                                                      static_cast<DWORD>(buffer.size()), &returned);
                if (!done && ::GetLastError() != ERROR_MORE_DATA) {
                    break;
                }
                const auto* pointers =
                    reinterpret_cast<const RETRIEVAL_POINTERS_BUFFER*>(buffer.data());
                *extents += pointers->ExtentCount;
                if (done || pointers->ExtentCount == 0) {
                    break;
                }
                start.StartingVcn = pointers->Extents[pointers->ExtentCount - 1].NextVcn;
            }
            api.CloseHandle(item);
        }
        if (directory) {
            items += BareWalk(api, child, extents);
        }
    } while (api.FindNextFileW(find, &entry));
    api.FindClose(find);
    return items;
}

void Bench(uint32_t files) {
    const Clock::time_point buildStart = Clock::now();
    std::shared_ptr<CSimVolume> volume = MakeVolume(files);
    if (!volume) {
        return;
    }
    const double building = SecondsSince(buildStart);
    CSimVolumeApi api;
    api.Mount(kDrive, volume);

    // Odd counts, so that the median is one of the runs.
    const int times = files >= 1'000'000 ? 5 : files >= 100'000 ? 11 : 31;
    uint64_t walked = 0;
    uint64_t extents = 0;
    std::vector<double> walks;
    std::vector<double> analyses;
    DefragEngineState state;
    int result = 0;
    for (int i = 0; i < times; ++i) {
        Clock::time_point start = Clock::now();
        extents = 0;
        walked = BareWalk(api, std::wstring{kDrive, L':'}, &extents);
        walks.push_back(SecondsSince(start));

        state.FreeDefragResults();
        if (!state.AllocateCells(1000)) {
            return;
        }
        start = Clock::now();
        result = RunDefrag(state, api, 0, kDrive, false);
        analyses.push_back(SecondsSince(start));
    }
    const double walk = Median(walks);
    const double analysis = Median(analyses);
    const double perFile = 1e6 / static_cast<double>(files);
    std::printf("%7u files (%llu items, %llu extents; built in %.1f s; %d runs each): analysis "
                "%.3f s = %.2f us per file (fastest %.3f s); bare walk %.3f s = %.2f us per file "
                "(fastest %.3f s); engine's share %.2f us per file = %.2fx the walk%s\n",
                files, static_cast<unsigned long long>(walked),
                static_cast<unsigned long long>(extents), building, times, analysis,
                analysis * perFile, Fastest(analyses), walk, walk * perFile, Fastest(walks),
                (analysis - walk) * perFile, (analysis - walk) / walk,
                result == 1 && state.statistics.files == files && state.ReportCount() > 0
                    ? ""
                    : " (THE RUN DID NOT COVER THE VOLUME)");
    std::fflush(stdout);
}

} // namespace

// An argument times that one file count instead of the three.
int main(int argc, char** argv) {
    if (argc > 1) {
        Bench(static_cast<uint32_t>(std::strtoul(argv[1], nullptr, 10)));
        return 0;
    }
    for (const uint32_t files : {10'000u, 100'000u, 1'000'000u}) {
        Bench(files);
    }
    return 0;
}
