// The data-safety check of the cleaners' tests: every file and folder below a test folder with
// its bytes, taken through literal paths (names with trailing dots or blanks and paths over
// MAX_PATH included), the comparison of two such pictures, and a scratch folder removed through
// literal paths.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <set>
#include <string>

// Relative path (as listed) to the file's bytes; a folder maps to kFolderMark.
using TreeSnapshot = std::map<std::wstring, std::string>;
inline const std::string kFolderMark = "<folder>";

inline std::wstring LiteralOf(const std::wstring& path) {
    return path.rfind(L"\\\\?\\", 0) == 0 ? path : L"\\\\?\\" + path;
}

inline std::string ReadAllBytes(const std::wstring& path) {
    HANDLE file = CreateFileW(LiteralOf(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    std::string bytes;
    if (file == INVALID_HANDLE_VALUE)
        return "<unreadable>";
    char block[65536];
    DWORD read = 0;
    while (ReadFile(file, block, sizeof block, &read, nullptr) && read > 0)
        bytes.append(block, read);
    CloseHandle(file);
    return bytes;
}

inline void AddToSnapshot(const std::wstring& root, const std::wstring& relative,
                          TreeSnapshot& snapshot) {
    const std::wstring folder = relative.empty() ? root : root + L"\\" + relative;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((LiteralOf(folder) + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        const std::wstring child = relative.empty() ? name : relative + L"\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            snapshot[child] = kFolderMark;
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                AddToSnapshot(root, child, snapshot);
        } else {
            snapshot[child] = ReadAllBytes(root + L"\\" + child);
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

inline TreeSnapshot TakeSnapshot(const std::wstring& root) {
    TreeSnapshot snapshot;
    AddToSnapshot(root, L"", snapshot);
    return snapshot;
}

// `after` is `before` without exactly the entries in `removed`: every other file is there with
// the same bytes, nothing was added.
inline void ExpectOnlyRemoved(const TreeSnapshot& before, const TreeSnapshot& after,
                              const std::set<std::wstring>& removed = {}) {
    for (const auto& [path, bytes] : before) {
        const auto now = after.find(path);
        if (removed.count(path)) {
            EXPECT_TRUE(now == after.end()) << "still there: " << testing::PrintToString(path);
            continue;
        }
        if (now == after.end()) {
            ADD_FAILURE() << "lost: " << testing::PrintToString(path);
            continue;
        }
        EXPECT_EQ(now->second, bytes) << "changed: " << testing::PrintToString(path);
    }
    for (const auto& [path, bytes] : after)
        EXPECT_TRUE(before.count(path)) << "appeared: " << testing::PrintToString(path);
}

// Removes a tree through literal paths, so that "a." never takes "a" with it; links are removed
// themselves, never what they name.
inline void RemoveTreeLiterally(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((LiteralOf(folder) + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring child = LiteralOf(folder + L"\\" + name);
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                RemoveTreeLiterally(child);
            else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveDirectoryW(child.c_str());
            else
                DeleteFileW(child.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(LiteralOf(folder).c_str());
}

// A scratch folder in the temporary folder, removed with everything in it at the end.
class ScratchFolder {
public:
    ScratchFolder() {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        std::wstring path(base);
        if (!path.empty() && path.back() == L'\\')
            path.pop_back();
        path_ = path + L"\\xarn-safety-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(counter_++);
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~ScratchFolder() { RemoveTreeLiterally(path_); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::wstring& Path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    static inline std::atomic<int> counter_{0};
    std::wstring path_;
};
