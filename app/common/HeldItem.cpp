#include "HeldItem.h"

#include "LiteralPath.h"

#include <ShellFileOperation.h>

#include <algorithm>
#include <iterator>
#include <string_view>
#include <vector>

namespace {

constexpr DWORD kOpenItself = FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

ItemOutcome OutcomeOfOpenError(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return ItemOutcome::kGone;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
        return ItemOutcome::kInUse;
    default:
        return ItemOutcome::kFailed;
    }
}

bool IsReparsePoint(const FileIdentity& identity) {
    return (identity.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// Opens `path` as the system resolves it (never through a final reparse point) for its
// attributes only, and reads the identity of what it reaches; `error` gets the open's error.
ItemOutcome IdentityAt(const CString& path, FileIdentity& identity, DWORD* error = nullptr) {
    const KernelHandle item(CreateFileW(path, FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                        OPEN_EXISTING, kOpenItself, nullptr));
    const DWORD openError = item ? ERROR_SUCCESS : GetLastError();
    if (error)
        *error = openError;
    if (!item)
        return OutcomeOfOpenError(openError);
    return ReadFileIdentity(item.Get(), path, identity) ? ItemOutcome::kDone : ItemOutcome::kFailed;
}

// A path's components as compared for the place it names, as views into it: the system's own
// answers may drop a trailing dot or blank, so the comparison leaves them out on both sides.
void PlaceComponents(std::wstring_view literalPath, std::vector<std::wstring_view>& components) {
    components.clear();
    size_t start = 0;
    for (size_t i = 0; i <= literalPath.size(); ++i) {
        if (i == literalPath.size() || literalPath[i] == L'\\') {
            std::wstring_view name = literalPath.substr(start, i - start);
            while (!name.empty() && (name.back() == L'.' || name.back() == L' '))
                name.remove_suffix(1);
            components.push_back(name);
            start = i + 1;
        }
    }
}

std::wstring_view ViewOf(const CString& text) {
    return std::wstring_view(text.GetString(), static_cast<size_t>(text.GetLength()));
}

bool SamePlace(const CString& reached, const CString& named) {
    std::vector<std::wstring_view> reachedParts, namedParts;
    PlaceComponents(ViewOf(reached), reachedParts);
    PlaceComponents(ViewOf(named), namedParts);
    return std::equal(reachedParts.begin(), reachedParts.end(), namedParts.begin(),
                      namedParts.end(), [](std::wstring_view left, std::wstring_view right) {
                          return CompareStringOrdinal(left.data(), static_cast<int>(left.size()),
                                                      right.data(), static_cast<int>(right.size()),
                                                      TRUE) == CSTR_EQUAL;
                      });
}

bool SetAttributesThrough(HANDLE item, DWORD attributes) {
    FILE_BASIC_INFO basic = {}; // zero times are left as they are
    basic.FileAttributes = attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
    return SetFileInformationByHandle(item, FileBasicInfo, &basic, sizeof basic) != FALSE;
}

bool MarkForDeletion(HANDLE item) {
    FILE_DISPOSITION_INFO disposition = {TRUE};
    return SetFileInformationByHandle(item, FileDispositionInfo, &disposition,
                                      sizeof disposition) != FALSE;
}

} // namespace

// Wine shows a host link to a file as the file it names: the place tells it.
bool ReachesOwnPlace(HANDLE item, const CString& literalPath) {
    std::vector<wchar_t> buffer(MAX_PATH * 2);
    DWORD length = GetFinalPathNameByHandleW(item, buffer.data(), static_cast<DWORD>(buffer.size()),
                                             FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length >= buffer.size()) {
        buffer.resize(length + 1);
        length = GetFinalPathNameByHandleW(item, buffer.data(), static_cast<DWORD>(buffer.size()),
                                           FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    }
    if (length == 0 || length >= buffer.size())
        return true;
    const CString reached = ToLiteralPath(buffer.data());
    return SamePlace(reached, literalPath) || SamePlace(reached, ToLongLiteralPath(literalPath));
}

ItemOutcome CHeldItem::Open(const CString& path, Purpose purpose) {
    Release();
    path_ = ToLiteralPath(path);
    if (path_.IsEmpty())
        return ItemOutcome::kFailed;
    DWORD access = GENERIC_READ;
    DWORD share = FILE_SHARE_READ;
    if (purpose != Purpose::kRead)
        access |= DELETE | FILE_WRITE_ATTRIBUTES;
    // The shell's move to the Recycle Bin opens the item for deletion itself.
    if (purpose == Purpose::kRecycle)
        share |= FILE_SHARE_DELETE;
    handle_.Reset(CreateFileW(path_, access, share, nullptr, OPEN_EXISTING, kOpenItself, nullptr));
    if (!handle_)
        return OutcomeOfOpenError(GetLastError());
    if (!ReadFileIdentity(handle_.Get(), path_, identity_)) {
        Release();
        return ItemOutcome::kFailed;
    }
    // A candidate is never a reparse point nor reached through one: such an item replaced what
    // was found. (Reading checks the item by its identity alone: asking the system where an
    // item lies is slow, and what is read is never changed.)
    if (IsReparsePoint(identity_) ||
        (purpose != Purpose::kRead && !ReachesOwnPlace(handle_.Get(), path_))) {
        Release();
        return ItemOutcome::kChangedSinceScan;
    }
    purpose_ = purpose;
    return ItemOutcome::kDone;
}

ItemOutcome CHeldItem::OpenAsRecorded(const CString& path, const FileIdentity& recorded,
                                      Purpose purpose) {
    const ItemOutcome opened = Open(path, purpose);
    if (opened != ItemOutcome::kDone)
        return opened;
    if (!identity_.Matches(recorded)) {
        Release();
        return ItemOutcome::kChangedSinceScan;
    }
    return ItemOutcome::kDone;
}

void CHeldItem::Release() {
    handle_.Reset();
    identity_ = FileIdentity();
}

bool CHeldItem::IsEmptyFolder() const {
    if (!handle_ || !identity_.folder)
        return false;
    alignas(8) BYTE buffer[4096];
    if (!GetFileInformationByHandleEx(handle_.Get(), FileIdBothDirectoryRestartInfo, buffer,
                                      sizeof buffer))
        return GetLastError() == ERROR_NO_MORE_FILES;
    for (FILE_INFO_BY_HANDLE_CLASS next = FileIdBothDirectoryInfo;;) {
        for (const BYTE* at = buffer;;) {
            const auto* entry = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(at);
            const CString name(entry->FileName,
                               static_cast<int>(entry->FileNameLength / sizeof(wchar_t)));
            if (name != L"." && name != L"..")
                return false;
            if (entry->NextEntryOffset == 0)
                break;
            at += entry->NextEntryOffset;
        }
        if (!GetFileInformationByHandleEx(handle_.Get(), next, buffer, sizeof buffer))
            return GetLastError() == ERROR_NO_MORE_FILES;
    }
}

ItemOutcome CHeldItem::Remove() {
    if (!handle_ || purpose_ == Purpose::kRead)
        return ItemOutcome::kFailed;
    HANDLE item = handle_.Get();
    if (!MarkForDeletion(item)) {
        const DWORD error = GetLastError();
        const bool readOnly = (identity_.attributes & FILE_ATTRIBUTE_READONLY) != 0;
        if (error == ERROR_DIR_NOT_EMPTY) {
            Release();
            return ItemOutcome::kChangedSinceScan;
        }
        if (!readOnly || error != ERROR_ACCESS_DENIED ||
            !SetAttributesThrough(item, identity_.attributes & ~FILE_ATTRIBUTE_READONLY)) {
            Release();
            return ItemOutcome::kFailed;
        }
        if (!MarkForDeletion(item)) {
            // Nothing to tell if the attributes cannot be put back: the delete failure is told.
            static_cast<void>(SetAttributesThrough(item, identity_.attributes));
            Release();
            return ItemOutcome::kFailed;
        }
    }
    // The item goes when its last handle closes.
    Release();
    return ItemOutcome::kDone;
}

ItemOutcome CHeldItem::DeleteForGood() {
    const CString path = path_;
    const FileIdentity identity = identity_;
    const ItemOutcome removed = Remove();
    if (removed != ItemOutcome::kDone)
        return removed;
    return PathStillNames(path, identity) ? ItemOutcome::kFailed : ItemOutcome::kDone;
}

bool CHeldItem::ChooseShellPath(CString& shellPath) const {
    // The shell resolves a path as the system's ordinary calls do: a form is taken only when
    // that reading reaches the held item.
    const auto reachesHeldItem = [this](const CString& candidate) {
        FileIdentity reached;
        return IdentityAt(candidate, reached) == ItemOutcome::kDone &&
               reached.IsSameItem(identity_);
    };
    const CString ordinary = ToOrdinaryPath(path_);
    if (IsOrdinaryFormFaithful(ordinary) && reachesHeldItem(ordinary)) {
        shellPath = ordinary;
        return true;
    }
    wchar_t shortPath[MAX_PATH * 2];
    const DWORD length =
        GetShortPathNameW(path_, shortPath, static_cast<DWORD>(std::size(shortPath)));
    if (length != 0 && length < std::size(shortPath)) {
        const CString shortForm = ToOrdinaryPath(shortPath);
        if (IsOrdinaryFormFaithful(shortForm) && reachesHeldItem(shortForm)) {
            shellPath = shortForm;
            return true;
        }
    }
    // The literal form itself, when even a reading that rewrites it reaches nothing else.
    if (path_.GetLength() >= MAX_PATH)
        return false;
    FileIdentity rewritten;
    const ItemOutcome other = IdentityAt(ordinary, rewritten);
    if (other != ItemOutcome::kGone &&
        !(other == ItemOutcome::kDone && rewritten.IsSameItem(identity_)))
        return false;
    shellPath = path_;
    return true;
}

ItemOutcome CHeldItem::PrepareRecycling(CString& shellPath) {
    if (!handle_ || purpose_ != Purpose::kRecycle)
        return ItemOutcome::kFailed;
    if (identity_.folder && !IsEmptyFolder()) {
        Release();
        return ItemOutcome::kChangedSinceScan;
    }
    if (!ChooseShellPath(shellPath)) {
        Release();
        return ItemOutcome::kFailed;
    }
    return ItemOutcome::kDone;
}

ItemOutcome CHeldItem::FinishRecycling() {
    if (!handle_)
        return ItemOutcome::kFailed;
    const bool stayed = PathStillNames(path_, identity_);
    Release();
    return stayed ? ItemOutcome::kFailed : ItemOutcome::kDone;
}

ItemOutcome CHeldItem::MoveToRecycleBin(HWND owner) {
    CString shellPath;
    const ItemOutcome prepared = PrepareRecycling(shellPath);
    if (prepared != ItemOutcome::kDone)
        return prepared;
    CShellFileOperation operation;
    operation.hwnd = owner;
    // What the shell answers matters less than where the item is afterwards.
    static_cast<void>(operation.DeleteToRecycleBin(shellPath, shellPath.GetLength()));
    return FinishRecycling();
}

ItemOutcome ReadItemIdentity(const CString& path, FileIdentity& identity) {
    const CString literal = ToLiteralPath(path);
    if (literal.IsEmpty())
        return ItemOutcome::kFailed;
    const KernelHandle item(CreateFileW(literal, FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                        OPEN_EXISTING, kOpenItself, nullptr));
    if (!item)
        return OutcomeOfOpenError(GetLastError());
    if (!ReadFileIdentity(item.Get(), literal, identity))
        return ItemOutcome::kFailed;
    return IsReparsePoint(identity) || !ReachesOwnPlace(item.Get(), literal)
               ? ItemOutcome::kChangedSinceScan
               : ItemOutcome::kDone;
}

bool IsPathGone(const CString& path) {
    const CString literal = ToLiteralPath(path);
    if (literal.IsEmpty() || GetFileAttributesW(literal) != INVALID_FILE_ATTRIBUTES)
        return false;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool PathStillNames(const CString& literalPath, const FileIdentity& identity) {
    // After a removal nothing stands there most often, which the path's attributes tell without
    // the open that reads an identity.
    if (IsPathGone(literalPath))
        return false;
    FileIdentity now;
    DWORD error = ERROR_SUCCESS;
    switch (IdentityAt(literalPath, now, &error)) {
    case ItemOutcome::kDone:
        return now.IsSameItem(identity);
    case ItemOutcome::kGone:
        return false;
    default:
        // A deleted item that others still hold open refuses every open until they let go.
        return error != ERROR_ACCESS_DENIED;
    }
}
