// CRecycleBatch: paths queued for the Recycle Bin and sent in one shell operation per 512 paths
// or about 260 KB of path text, since one shell call per file is slow.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <vector>

class CRecycleBatch {
public:
    static constexpr size_t kBufferBytes = 0x41304;
    static constexpr size_t kLimitBytes = 0x41000;
    static constexpr int kMaxPaths = 512;

    // The shell call; tests replace it to watch the operations.
    using ShellOperation = int(WINAPI*)(SHFILEOPSTRUCTW* operation);
    static void SetShellOperation(ShellOperation operation);

    // Operations go out silently, owned by `owner` (may be null).
    explicit CRecycleBatch(HWND owner);

    // Queues one path; a batch that has no room for it goes out first, and a full one after.
    // Paths longer than the whole batch are refused (false).
    bool Add(const wchar_t* path);
    // Sends what is queued (nothing when empty).
    void Flush();
    int GetCount() const { return count_; }

private:
    std::vector<wchar_t> buffer_;
    size_t usedChars_ = 0;
    int count_ = 0;
    HWND owner_;
};
