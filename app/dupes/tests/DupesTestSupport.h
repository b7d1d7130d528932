// Generated trees and a grouping run for the duplicate finder's tests.
#pragma once

#include <windows.h>

#include "DupeFinder.h"
#include "DupeFolderWalk.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <string>
#include <vector>

inline CString ToCString(const std::wstring& text) {
    return CString(text.c_str());
}

inline void MakeFolder(const std::wstring& path) {
    CreateDirectoryW(path.c_str(), nullptr);
}

// Makes the folders of `path` that lie below `root`.
inline void MakeFoldersBelow(const std::wstring& root, const std::wstring& path) {
    for (size_t slash = path.find(L'\\', root.size() + 1); slash != std::wstring::npos;
         slash = path.find(L'\\', slash + 1))
        MakeFolder(path.substr(0, slash));
}

// Seconds since 1970 as a file time.
inline FILETIME FileTimeOf(LONGLONG unixSeconds) {
    const ULONGLONG ticks = static_cast<ULONGLONG>(unixSeconds + 11644473600LL) * 10000000ull;
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

inline void SetLastWriteTime(const std::wstring& path, LONGLONG unixSeconds) {
    const KernelHandle file(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ,
                                        nullptr, OPEN_EXISTING, 0, nullptr));
    const FILETIME time = FileTimeOf(unixSeconds);
    SetFileTime(file.Get(), nullptr, nullptr, &time);
}

inline void WriteFileAt(const std::wstring& path, const std::string& bytes,
                        LONGLONG lastWrite = 1700000000) {
    WriteBytes(path, bytes);
    SetLastWriteTime(path, lastWrite);
}

// Walks `locations` with the given masks into the finder (after a reset).
inline void WalkInto(CDupeFinder& finder, const std::vector<std::wstring>& locations,
                     const std::vector<std::wstring>& masks = {},
                     const std::vector<std::wstring>& ignored = {}) {
    finder.Reset();
    CStringArray locationList, maskList, ignoreList;
    for (const auto& location : locations)
        locationList.Add(location.c_str());
    for (const auto& mask : masks)
        maskList.Add(mask.c_str());
    for (const auto& entry : ignored)
        ignoreList.Add(entry.c_str());
    std::atomic<bool> stop{false};
    CDupeFolderWalk walk(finder, ignoreList, maskList, stop, nullptr);
    ASSERT_TRUE(walk.Walk(locationList));
}

// Runs the grouping thread to its end and hands the groups over as the results page does.
inline void GroupAndFill(CDupeFinder& finder) {
    finder.DeleteGroups();
    ASSERT_TRUE(finder.StartGrouping(nullptr, nullptr, true));
    ASSERT_TRUE(finder.WaitForGrouping(120000));
    finder.FillSortedDupeFiles();
}

// The groups of a set as sets of lower-case file paths.
inline std::vector<std::set<std::wstring>> GroupsOf(const CDupeFinder& finder, DupeSet set) {
    std::vector<std::set<std::wstring>> groups;
    int current = 0;
    for (const CDupeFile* file : finder.Duplicates(set)) {
        // The all-files set is numbered first, so a file type's set numbers the second field.
        const int number = set == kSetAllFiles ? file->m_nFirstGroup : file->m_nSecondGroup;
        if (number != current) {
            groups.emplace_back();
            current = number;
        }
        CString path = file->GetFullPath();
        path.MakeLower();
        groups.back().insert(path.GetString());
    }
    return groups;
}

inline std::wstring Lower(std::wstring text) {
    CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}
