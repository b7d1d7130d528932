#include "GlobalFileInfoArray.h"

#include <owners/WinOwners.h>

#include <cwchar>

CGlobalFileInfoArray::CGlobalFileInfoArray() {
    SetSize(0, 50);
}

CGlobalFileInfoArray::~CGlobalFileInfoArray() = default;

INT_PTR CGlobalFileInfoArray::AddSorted(CGlobalFileInfo& record, int sortOrder) {
    auto goesBefore = [&](const CGlobalFileInfo& existing) {
        switch (sortOrder) {
        case kSortSizeUp:
            return existing.size >= record.size;
        case kSortSizeDown:
            return existing.size <= record.size;
        case kSortPathUp:
            return existing.path.Compare(record.path) >= 0;
        case kSortPathDown:
            return existing.path.Compare(record.path) <= 0;
        default:
            return false;
        }
    };
    INT_PTR at = 0;
    while (at < GetSize() && !goesBefore(GetAt(at)))
        ++at;
    InsertAt(at, record);
    return at;
}

INT_PTR CGlobalFileInfoArray::AddFile(const CString& path, int sortOrder) {
    CGlobalFileInfo record;
    record.FillFromPath(path);
    return AddSorted(record, sortOrder);
}

int CGlobalFileInfoArray::EnumFolder(FolderWalkRequest request) {
    auto cancelled = [&] { return request.cancel && *request.cancel; };
    CGlobalFileInfo record;
    int count = 0;
    auto add = [&](const WIN32_FIND_DATAW& found) {
        record.FillFromFindData(found, request.folder, 0);
        AddSorted(record, request.sortOrder);
        ++count;
        if (request.progress)
            InterlockedIncrement(request.progress);
    };

    WIN32_FIND_DATAW found{};
    FindHandle search(FindFirstFileW(request.folder + L"*", &found));
    if (search) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
                wcscmp(found.cFileName, L".") == 0 || wcscmp(found.cFileName, L"..") == 0)
                continue;
            if (request.includeFolders)
                add(found);
            if (request.recurse) {
                FolderWalkRequest sub = request;
                sub.folder = request.folder + found.cFileName + L"\\";
                count += EnumFolder(sub);
            }
        } while (!cancelled() && FindNextFileW(search.Get(), &found));
    }
    if (cancelled())
        return count;

    search.Reset(FindFirstFileW(request.folder + request.mask, &found));
    if (search) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                add(found);
        } while (!cancelled() && FindNextFileW(search.Get(), &found));
    }
    return count;
}
