#include "LastScanFiles.h"

#include <owners/WinOwners.h>

#include <Paths.h>

#include <classlib/File.h>

#include <algorithm>

namespace {

struct SavedResult {
    CString fileName;
    ULONGLONG created = 0;
};

CString ResultPath(const CString& folder, const CString& name) {
    CString path(folder);
    AppendPath(path, name + L".dat");
    return path;
}

} // namespace

std::vector<CString> RefreshLastScanFiles(const CString& folder) {
    std::vector<SavedResult> found;
    CString pattern(folder);
    AppendPath(pattern, L"*.dat");
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileW(pattern, &data));
    if (find.IsValid()) {
        do {
            const CString name(data.cFileName);
            if (name == L"." || name == L".." ||
                (data.dwFileAttributes &
                 (FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)))
                continue;
            found.push_back(
                SavedResult{name, (ULONGLONG{data.ftCreationTime.dwHighDateTime} << 32) |
                                      data.ftCreationTime.dwLowDateTime});
        } while (FindNextFileW(find.Get(), &data));
    }
    std::stable_sort(found.begin(), found.end(), [](const SavedResult& a, const SavedResult& b) {
        return a.created > b.created;
    });
    std::vector<CString> kept;
    for (const SavedResult& result : found) {
        if (kept.size() < kLastScanFilesKept) {
            const int dot = result.fileName.ReverseFind(L'.');
            kept.push_back(dot < 0 ? result.fileName : result.fileName.Left(dot));
            continue;
        }
        CString path(folder);
        AppendPath(path, result.fileName);
        DeleteFileW(path);
    }
    return kept;
}

LastScanLoad LoadLastScanFile(CDupeFinder& finder, const CString& folder, const CString& name) {
    CFile file;
    if (!file.Open(ResultPath(folder, name), CFile::modeRead | CFile::shareDenyWrite))
        return LastScanLoad::kNotOpened;
    try {
        CArchive ar(&file, CArchive::load, 4096);
        switch (finder.Load(ar)) {
        case CDupeFinder::LoadResult::kLoaded:
            return LastScanLoad::kLoaded;
        case CDupeFinder::LoadResult::kEmpty:
            return LastScanLoad::kEmpty;
        case CDupeFinder::LoadResult::kDamaged:
            return LastScanLoad::kDamaged;
        case CDupeFinder::LoadResult::kOutsideLocations:
            return LastScanLoad::kOutsideLocations;
        }
    } catch (CException* e) {
        e->Delete();
    }
    return LastScanLoad::kDamaged;
}

bool RemoveLastScanFile(const CString& folder, const CString& name) {
    return DeleteFileW(ResultPath(folder, name)) != FALSE;
}
