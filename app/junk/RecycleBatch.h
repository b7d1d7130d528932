// CRecycleBatch: items queued for the Recycle Bin and sent in one shell operation per 512 items
// or about 260 KB of path text, since one shell call per file is slow. Every queued item stays
// held (nobody can write it) until the operation that moves it is over, and goes under a path
// checked to reach that very item.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "HeldItem.h"

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
    CRecycleBatch(const CRecycleBatch&) = delete;
    CRecycleBatch& operator=(const CRecycleBatch&) = delete;

    // Queues an item held for recycling; a batch without room for its path goes out first, a
    // full one after. kDone when queued; otherwise (no path the shell takes reaches the item, or
    // the path is longer than a whole batch) the item is let go and not queued.
    // `tag` names the item to the caller in GoneTags.
    [[nodiscard]] ItemOutcome Add(CHeldItem&& item, size_t tag = 0);
    // Sends what is queued (nothing when empty) and lets the items go.
    void Flush();
    int GetCount() const { return static_cast<int>(items_.size()); }
    // The tags of the items that the operations so far took from their place: their paths no
    // longer name them.
    const std::vector<size_t>& GoneTags() const { return goneTags_; }
    // Of those, the tags whose paths name nothing at all now.
    const std::vector<size_t>& VacatedTags() const { return vacatedTags_; }

private:
    std::vector<wchar_t> buffer_;
    size_t usedChars_ = 0;
    std::vector<CHeldItem> items_;
    std::vector<size_t> tags_;
    std::vector<size_t> goneTags_;
    std::vector<size_t> vacatedTags_;
    HWND owner_;
};
