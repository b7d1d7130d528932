// Times the junk cleaner's removal of 10^4 found files, for good and to the Recycle Bin, against
// what Wine itself costs for the same files in the same run: a bare loop of DeleteFileW, and one
// shell operation per batch of the size the cleaner sends, each taken before and after the
// engine's removal.
//   JunkDeleteBenchmark.exe <drive letter>
// Each measure works on files of its own, made in a folder of its own on the drive.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "BenchMessageWindow.h"
#include "JunkFileFinder.h"
#include "JunkMessages.h"
#include "RecycleBatch.h"
#include "AppState.h"

#include <owners/WinOwners.h>

namespace {

constexpr int kFolders = 100;
constexpr int kFilesPerFolder = 100;

double NowMs() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return counter.QuadPart * 1000.0 / frequency.QuadPart;
}

// Makes the files of one measure and returns their paths. No two files of the run share a
// name: the Recycle Bin looks for a free name for each file it takes, and a bin full of one
// name would slow whichever measure came later.
std::vector<std::wstring> MakeFiles(const std::wstring& folder) {
    static int made = 0;
    std::vector<std::wstring> paths;
    CreateDirectoryW(folder.c_str(), nullptr);
    for (int f = 0; f < kFolders; ++f) {
        const std::wstring sub = folder + L"\\d" + std::to_wstring(f);
        CreateDirectoryW(sub.c_str(), nullptr);
        for (int i = 0; i < kFilesPerFolder; ++i) {
            paths.push_back(sub + L"\\f" + std::to_wstring(made++) + L".tmp");
            const KernelHandle file(CreateFileW(paths.back().c_str(), GENERIC_WRITE, 0, nullptr,
                                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
            DWORD written = 0;
            if (!file || !WriteFile(file.Get(), "junk junk junk\n", 15, &written, nullptr))
                std::printf("cannot make %ls\n", paths.back().c_str());
        }
    }
    return paths;
}

size_t CountLeft(const std::vector<std::wstring>& paths) {
    size_t left = 0;
    for (const std::wstring& path : paths)
        left += GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    return left;
}

// Receives the engine's messages; notes the end of the scan and of the removal.
bool g_scanFinished = false;
bool g_deleteFinished = false;

LRESULT CALLBACK NotifyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const JunkMessageIds& ids = JunkMessages();
    if (message == ids.scanFinished)
        g_scanFinished = true;
    if (message == ids.deleteFinished)
        g_deleteFinished = true;
    if (message >= 0xC000)
        return 1;
    return DefWindowProcW(window, message, wParam, lParam);
}

// Handles messages, sent ones too (the removal's end is sent, not posted), until `flag` is set.
void PumpUntil(const bool& flag) {
    while (!flag) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
    }
}

// The engine's removal of every file a scan of `folder` found: the time from the start of the
// removal to its finished message. -1 when the scan did not find them all or the removal left
// some.
double TimeEngine(HWND window, const std::wstring& folder, bool forGood) {
    const std::vector<std::wstring> paths = MakeFiles(folder);
    CJunkFileFinder finder;
    JunkScanOptions options;
    options.skipSystem = FALSE;
    options.excludeRecent = FALSE;
    options.directRemove = forGood ? TRUE : FALSE;
    finder.SetOptions(options);
    finder.SetLocations((folder + L";").c_str());
    finder.SetNotifyWindow(window);
    g_scanFinished = false;
    if (!finder.StartScan())
        return -1;
    PumpUntil(g_scanFinished);
    finder.WaitForWorker();
    if (finder.GetFoundCount() != static_cast<INT_PTR>(paths.size())) {
        std::printf("the scan found %d of %zu files\n", static_cast<int>(finder.GetFoundCount()),
                    paths.size());
        return -1;
    }
    CIndexArray indices;
    for (INT_PTR i = 0; i < finder.GetFoundCount(); ++i)
        indices.Add(static_cast<int>(i));
    g_deleteFinished = false;
    const double start = NowMs();
    if (!finder.StartDeletion(&indices))
        return -1;
    PumpUntil(g_deleteFinished);
    const double elapsed = NowMs() - start;
    finder.WaitForWorker();
    const size_t left = CountLeft(paths);
    if (left != 0) {
        std::printf("the engine left %zu files\n", left);
        return -1;
    }
    return elapsed;
}

// Wine's floor for removal for good: DeleteFileW of each path.
double TimeDeleteLoop(const std::wstring& folder) {
    const std::vector<std::wstring> paths = MakeFiles(folder);
    const double start = NowMs();
    for (const std::wstring& path : paths)
        DeleteFileW(path.c_str());
    const double elapsed = NowMs() - start;
    return CountLeft(paths) == 0 ? elapsed : -1;
}

// Wine's floor for removal to the Recycle Bin: one shell operation per batch of the cleaner's
// size, with the cleaner's flags.
double TimeShellBatches(const std::wstring& folder) {
    const std::vector<std::wstring> paths = MakeFiles(folder);
    const double start = NowMs();
    for (size_t first = 0; first < paths.size(); first += CRecycleBatch::kMaxPaths) {
        std::wstring list;
        for (size_t i = first; i < paths.size() && i < first + CRecycleBatch::kMaxPaths; ++i) {
            list += paths[i];
            list += L'\0';
        }
        list += L'\0';
        SHFILEOPSTRUCTW operation = {};
        operation.wFunc = FO_DELETE;
        operation.pFrom = list.c_str();
        operation.fFlags =
            FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO | FOF_NOCONFIRMMKDIR | FOF_NOERRORUI;
        SHFileOperationW(&operation);
    }
    const double elapsed = NowMs() - start;
    return CountLeft(paths) == 0 ? elapsed : -1;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::printf("usage: JunkDeleteBenchmark <drive letter>\n");
        return 2;
    }
    const std::wstring root = std::wstring(1, argv[1][0]) + L":\\";
    g_strAppTitle = L"XarnJunkDeleteBenchmark";
    const BenchMessageWindow window(L"XarnJunkDeleteBenchmark", NotifyProc);
    if (!window.Get()) {
        std::printf("no window for the clean's reports\n");
        return 1;
    }

    // Each floor is taken just before and just after the engine's removal and the two averaged:
    // Wine's file and shell calls run at a pace that drifts, at times threefold, within minutes.
    const double deleteLoopBefore = TimeDeleteLoop(root + L"delete-loop-before");
    const double engineForGood = TimeEngine(window.Get(), root + L"engine-for-good", true);
    const double deleteLoopAfter = TimeDeleteLoop(root + L"delete-loop-after");
    const double shellBatchesBefore = TimeShellBatches(root + L"shell-batches-before");
    const double engineRecycle = TimeEngine(window.Get(), root + L"engine-recycle", false);
    const double shellBatchesAfter = TimeShellBatches(root + L"shell-batches-after");
    const bool floorsTaken = deleteLoopBefore >= 0 && deleteLoopAfter >= 0 &&
                             shellBatchesBefore >= 0 && shellBatchesAfter >= 0;
    const double deleteLoop = (deleteLoopBefore + deleteLoopAfter) / 2;
    const double shellBatches = (shellBatchesBefore + shellBatchesAfter) / 2;

    const int files = kFolders * kFilesPerFolder;
    std::printf("RESULT delete-engine-for-good %.1f\n", engineForGood);
    std::printf("RESULT delete-floor-DeleteFileW %.1f\n", deleteLoop);
    std::printf("RESULT delete-engine-recycle %.1f\n", engineRecycle);
    std::printf("RESULT delete-floor-shell-batches %.1f\n", shellBatches);
    std::printf("removal of %d found files, for good:   engine %8.1f ms, DeleteFileW loop %8.1f ms "
                "(%.1f before, %.1f after), ratio %.2f\n",
                files, engineForGood, deleteLoop, deleteLoopBefore, deleteLoopAfter,
                engineForGood / deleteLoop);
    std::printf("removal of %d found files, to the bin: engine %8.1f ms, shell batches    %8.1f ms "
                "(%.1f before, %.1f after), ratio %.2f\n",
                files, engineRecycle, shellBatches, shellBatchesBefore, shellBatchesAfter,
                engineRecycle / shellBatches);
    return engineForGood < 0 || engineRecycle < 0 || !floorsTaken ? 3 : 0;
}
