// Times the duplicate finder on a tree: the walk, the grouping and the hand-over, as the
// scan and results pages run them. Not a test; tools/dupes-bench.sh runs it beside jdupes,
// rmlint and fdupes on the same tree and prints the ratios.
//
//   DupeBenchmark <folder> content|names   walk and group (content: size and content;
//                                          names: name and size, the finder's defaults)
//   DupeBenchmark <folder> opens           walks, then opens and closes every file once (the
//                                          system's cost per file, which under Wine is most of
//                                          what reading the candidates costs besides the digest)
//   DupeBenchmark <folder> candidates      walks, then opens, reads one byte of and closes every
//                                          file that shares its size with another: what any
//                                          content comparison must do at least, Wine's floor
//   DupeBenchmark <folder> none            starts and ends (the cost of starting under Wine)
//
// Prints "walk_ms group_ms files grouped_files" ("walk_ms open_ms files opened" for opens and
// candidates).
#include <windows.h>

#include "DupeFinder.h"
#include "DupeFolderWalk.h"

#include <owners/WinOwners.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <unordered_map>

namespace {

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) * 1000.0 /
           static_cast<double>(frequency.QuadPart);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: DupeBenchmark <folder> content|names|opens|candidates|none\n");
        return 2;
    }
    const std::wstring mode = argv[2];
    if (mode == L"none")
        return 0;
    CDupeFinder finder;
    finder.SetLastScanFolder(L"");
    DupeMatchOptions& options = finder.Options();
    options = DupeMatchOptions{};
    if (mode == L"content") {
        options.name = false;
        options.content = true;
        options.sizeLimit = false;
    }
    CStringArray locations, ignoreList, masks;
    locations.Add(argv[1]);
    std::atomic<bool> stop{false};
    LARGE_INTEGER start, walked, grouped;
    QueryPerformanceCounter(&start);
    CDupeFolderWalk walk(finder, ignoreList, masks, stop, nullptr);
    if (!walk.Walk(locations))
        return 1;
    QueryPerformanceCounter(&walked);
    const size_t files = finder.Files(kSetAllFiles).size();
    if (mode == L"opens" || mode == L"candidates") {
        std::unordered_map<ULONGLONG, size_t> filesOfSize;
        for (const CDupeFile* file : finder.Files(kSetAllFiles))
            ++filesOfSize[file->m_nSize];
        size_t opened = 0;
        for (const CDupeFile* file : finder.Files(kSetAllFiles)) {
            if (mode == L"candidates" && filesOfSize[file->m_nSize] < 2)
                continue;
            const KernelHandle handle(CreateFileW(file->GetFullPath(), GENERIC_READ,
                                                  FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                                  FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
            BYTE first;
            DWORD read;
            if (mode == L"candidates" && !ReadFile(handle.Get(), &first, 1, &read, nullptr))
                return 1;
            ++opened;
        }
        QueryPerformanceCounter(&grouped);
        std::printf("%.1f %.1f %zu %zu\n", Milliseconds(start, walked),
                    Milliseconds(walked, grouped), files, opened);
        return 0;
    }
    if (!finder.StartGrouping(nullptr, nullptr, true) || !finder.WaitForGrouping(INFINITE))
        return 1;
    finder.FillSortedDupeFiles();
    QueryPerformanceCounter(&grouped);
    std::printf("%.1f %.1f %zu %zu\n", Milliseconds(start, walked), Milliseconds(walked, grouped),
                files, finder.Duplicates(kSetAllFiles).size());
    return 0;
}
