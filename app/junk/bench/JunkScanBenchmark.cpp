// Times a junk scan of a drive against the host's `find` with the same masks on the same tree,
// and, apart, what Wine itself costs: a bare folder walk through the Windows calls and one open
// of each found file (the scan's lock test of a candidate).
//   JunkScanBenchmark.exe <drive letter> <host tree folder>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "BenchMessageWindow.h"
#include "JunkFileFinder.h"
#include "JunkMessages.h"
#include "JunkTables.h"
#include "WineHost.h"
#include "AppState.h"

#include <owners/WinOwners.h>

namespace {

double NowMs() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return counter.QuadPart * 1000.0 / frequency.QuadPart;
}

// The files and folders of a tree by FindFirstFileW/FindNextFileW alone.
void Walk(const std::wstring& folder, size_t& files, size_t& folders) {
    ++folders;
    WIN32_FIND_DATAW entry;
    const FindHandle search(FindFirstFileW((folder + L"*.*").c_str(), &entry));
    if (!search)
        return;
    do {
        if (entry.cFileName[0] == L'.' &&
            (!entry.cFileName[1] || (entry.cFileName[1] == L'.' && !entry.cFileName[2])))
            continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            Walk(folder + entry.cFileName + L"\\", files, folders);
        else
            ++files;
    } while (FindNextFileW(search.Get(), &entry));
}

// Receives the scan's messages; notes when the walk starts and when it ends, and counts them.
struct ScanClock {
    double firstOutput = 0;
    double finished = 0;
    size_t messages = 0;
};
ScanClock g_clock;

LRESULT CALLBACK ClockProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const JunkMessageIds& ids = JunkMessages();
    if (message == ids.scanOutput && g_clock.firstOutput == 0)
        g_clock.firstOutput = NowMs();
    if (message == ids.scanFinished)
        g_clock.finished = NowMs();
    if (message >= 0xC000) {
        ++g_clock.messages;
        return 1;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// What Wine itself costs for one exclusive open and close of each found file.
double TimeOpens(const std::vector<std::wstring>& paths) {
    const double start = NowMs();
    for (const std::wstring& path : paths) {
        const KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                            OPEN_EXISTING, 0, nullptr));
    }
    return NowMs() - start;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::printf("usage: JunkScanBenchmark <drive letter> <host tree folder>\n");
        return 2;
    }
    const wchar_t letter = argv[1][0];
    const std::wstring hostTreeWide = argv[2];
    const std::string hostTree(hostTreeWide.begin(), hostTreeWide.end());

    // find with the enabled default masks, case-insensitive as the scan matches.
    std::string expression;
    for (const DefaultJunkMask& mask : kDefaultJunkMasks) {
        if (mask.flags != 1)
            continue;
        const std::wstring text = mask.text;
        expression += std::string(expression.empty() ? "" : " -o ") + "-iname '" +
                      std::string(text.begin(), text.end()) + "'";
    }
    // The count lands in the tree's root, read back through the drive and removed before the walk.
    const std::string countFile = hostTree + "/findcount.txt";
    const std::string findCommand =
        "find '" + hostTree + "' -type f \\( " + expression + " \\) | wc -l > '" + countFile + "'";
    double start = NowMs();
    if (!junktest::RunOnHost({"/bin/sh", "-c", findCommand})) {
        std::printf("cannot run find on the host\n");
        return 1;
    }
    const double findMs = NowMs() - start;
    long findCount = -1;
    const std::wstring root = std::wstring(1, letter) + L":\\";
    if (FILE* counted = _wfopen((root + L"findcount.txt").c_str(), L"r")) {
        if (std::fscanf(counted, "%ld", &findCount) != 1)
            findCount = -1;
        std::fclose(counted);
    }
    junktest::RunOnHost({"/bin/rm", "-f", countFile});

    size_t walked = 0, folders = 0;
    start = NowMs();
    Walk(root, walked, folders);
    const double walkMs = NowMs() - start;

    g_strAppTitle = L"XarnJunkScanBenchmark";
    size_t found = 0;
    std::vector<std::wstring> foundPaths;
    {
        const BenchMessageWindow window(L"XarnJunkBenchmarkClock", ClockProc);
        if (!window.Get()) {
            std::printf("no window for the scan's reports\n");
            return 1;
        }
        CJunkFileFinder finder;
        for (const DefaultJunkMask& mask : kDefaultJunkMasks)
            finder.AddMask(mask.text, mask.flags);
        finder.MergeDefaultIgnoreList();
        JunkScanOptions options;
        options.skipSystem = FALSE;
        options.excludeRecent = FALSE;
        finder.SetOptions(options);
        finder.SetLocations(std::wstring(1, letter).append(L";").c_str());
        finder.SetNotifyWindow(window.Get());
        if (!finder.StartScan()) {
            std::printf("the scan did not start\n");
            return 1;
        }
        MSG message;
        while (g_clock.finished == 0 && GetMessageW(&message, nullptr, 0, 0) > 0)
            DispatchMessageW(&message);
        finder.WaitForWorker();
        found = static_cast<size_t>(finder.GetFoundCount());
        for (INT_PTR i = 0; i < finder.GetFoundCount(); ++i)
            foundPaths.emplace_back(finder.GetFoundItem(i)->path.GetString());
    }
    const double scanMs = g_clock.finished - g_clock.firstOutput;
    const double opensMs = TimeOpens(foundPaths);
    const double wineMs = walkMs + opensMs;

    std::printf("RESULT scan-find %.1f\n", findMs);
    std::printf("RESULT scan-engine %.1f\n", scanMs);
    std::printf("RESULT scan-bare-walk %.1f\n", walkMs);
    std::printf("RESULT scan-opens-of-found %.1f\n", opensMs);
    std::printf("files in the tree:            %zu in %zu folders\n", walked, folders);
    std::printf("find (host, same masks):      %8.1f ms, %ld files\n", findMs, findCount);
    std::printf("junk scan (engine):           %8.1f ms, %zu files, %zu messages to the page\n",
                scanMs, found, g_clock.messages);
    std::printf("bare walk under Wine:         %8.1f ms\n", walkMs);
    std::printf("Wine: %6zu opens of items:    %8.1f ms\n", found, opensMs);
    std::printf("ratio scan / find:            %8.2f\n", scanMs / findMs);
    std::printf("  of which Wine's walk / find: %7.2f\n", walkMs / findMs);
    std::printf("  Wine's walk and opens / find:    %5.2f\n", wineMs / findMs);
    std::printf("  engine's own beyond them / find: %5.2f\n", (scanMs - wineMs) / findMs);
    std::printf("  per found item beyond the walk: %8.3f ms\n",
                found ? (scanMs - walkMs) / static_cast<double>(found) : 0.0);
    return found == static_cast<size_t>(findCount) ? 0 : 3;
}
