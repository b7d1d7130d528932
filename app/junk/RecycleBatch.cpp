#include "RecycleBatch.h"

#include <algorithm>
#include <cwchar>

#include <classlib/String.h>

#include "RemovalCheck.h"

namespace {

CRecycleBatch::ShellOperation g_shellOperation = &SHFileOperationW;

} // namespace

void CRecycleBatch::SetShellOperation(ShellOperation operation) {
    g_shellOperation = operation ? operation : &SHFileOperationW;
}

CRecycleBatch::CRecycleBatch(HWND owner)
    : buffer_(kBufferBytes / sizeof(wchar_t), L'\0'), owner_(owner) {}

ItemOutcome CRecycleBatch::Add(CHeldItem&& item, size_t tag) {
    CString shellPath;
    const ItemOutcome prepared = item.PrepareRecycling(shellPath);
    if (prepared != ItemOutcome::kDone)
        return prepared;
    const size_t length = static_cast<size_t>(shellPath.GetLength());
    const size_t limitChars = kLimitBytes / sizeof(wchar_t);
    // The path, its NUL and the list's closing NUL must stay inside the limit.
    if (length + 2 > limitChars) {
        item.Release();
        return ItemOutcome::kFailed;
    }
    if (usedChars_ + length + 2 > limitChars)
        Flush();
    std::copy_n(shellPath.GetString(), length,
                buffer_.begin() + static_cast<ptrdiff_t>(usedChars_));
    usedChars_ += length;
    buffer_[usedChars_++] = L'\0';
    items_.push_back(std::move(item));
    tags_.push_back(tag);
    if (GetCount() >= kMaxPaths)
        Flush();
    return ItemOutcome::kDone;
}

void CRecycleBatch::Flush() {
    if (items_.empty())
        return;
    buffer_[usedChars_] = L'\0'; // the list ends with a double NUL
    CString title;
    if (owner_) {
        const int length = GetWindowTextLengthW(owner_);
        GetWindowTextW(owner_, title.GetBuffer(length + 1), length + 1);
        title.ReleaseBuffer();
    }
    SHFILEOPSTRUCTW operation = {};
    operation.hwnd = owner_;
    operation.wFunc = FO_DELETE;
    operation.pFrom = buffer_.data();
    operation.fFlags =
        FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO | FOF_NOCONFIRMMKDIR | FOF_NOERRORUI;
    operation.lpszProgressTitle = title;
    // Failures are found afterwards: whatever is still there is retried or stays listed.
    g_shellOperation(&operation);
    CRemovalCheck check;
    for (size_t i = 0; i < items_.size(); ++i)
        check.Add(items_[i].Path(), items_[i].Identity(), tags_[i]);
    for (const RemovalFate& fate : check.Take()) {
        if (fate.gone)
            goneTags_.push_back(fate.tag);
        if (fate.vacated)
            vacatedTags_.push_back(fate.tag);
    }
    items_.clear();
    tags_.clear();
    std::fill_n(buffer_.begin(), usedChars_ + 1, L'\0');
    usedChars_ = 0;
}
