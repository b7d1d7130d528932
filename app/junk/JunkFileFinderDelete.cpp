// The deletion thread: removes the chosen items to the Recycle Bin or for good, then the folders
// this leaves empty, and drops from the found list what is gone.
#include "JunkFileFinder.h"

#include <objbase.h>
#include <shlwapi.h>

#include "JunkMessages.h"
#include "JunkPaths.h"
#include "LinkSafety.h"
#include "RecycleBatch.h"
#include "AccessRightsHelper.h"
#include "SizeTexts.h"

namespace {

// COM for the shell's file operations, for the thread's lifetime.
class ComApartment {
public:
    ComApartment() : initialised_(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComApartment() {
        if (initialised_)
            CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool initialised_;
};

bool IsEmptyFolder(const CString& folder) {
    return PathIsDirectoryEmptyW(folder) != FALSE;
}

// One path to the Recycle Bin as silently as the batches go: the shell's "delete for good
// instead?" warning would stop an unattended clean on a question nobody answers.
void RecycleOne(const CString& path, HWND owner) {
    CRecycleBatch single(owner);
    single.Add(path);
    single.Flush();
}

HWND ShellOwner(HWND notifyWindow) {
    return notifyWindow ? GetAncestor(notifyWindow, GA_ROOT) : nullptr;
}

} // namespace

bool CJunkFileFinder::StartDeletion(const CIndexArray* indices) {
    if (!indices || IsWorking())
        return false;
    deleteIndices_ = indices;
    deleteStopSeen_ = false;
    // Reset here, not in the thread, so that a stop asked for at once is not lost.
    ResetEvent(stopDeleteEvent_.Get());
    return StartWorker(&CJunkFileFinder::DeleteThreadProc, deleteThread_);
}

UINT __cdecl CJunkFileFinder::DeleteThreadProc(LPVOID finder) {
    return static_cast<CJunkFileFinder*>(finder)->RunDeletion();
}

void CJunkFileFinder::SendDeleteOutput(const CString& path, int percent) {
    SendMessageW(notifyWnd_, JunkMessages().deleteOutput,
                 reinterpret_cast<WPARAM>(path.GetString()), percent);
}

UINT CJunkFileFinder::RunDeletion() {
    ComApartment com;
    CRecycleBatch batch(ShellOwner(notifyWnd_));
    try {
        DeleteChosenItems(batch);
    } catch (CException* e) {
        e->Delete();
    } catch (...) {
    }
    // What was queued before a stop goes out before the list is purged, so that the list and
    // the finished message tell what is really left.
    try {
        batch.Flush();
        RestoreSurvivorAttributes();
        PurgeGoneItems();
    } catch (CException* e) {
        e->Delete();
    } catch (...) {
    }
    emptyNow_.RemoveAll();
    parents_.RemoveAll();
    SendMessageW(notifyWnd_, JunkMessages().deleteFinished, lastDirectResult_, 0);
    return 0;
}

void CJunkFileFinder::DeleteChosenItems(CRecycleBatch& batch) {
    lastDirectResult_ = TRUE;
    savedAttributes_.RemoveAll();
    savedAttributes_.SetSize(found_.GetSize());
    for (INT_PTR i = 0; i < savedAttributes_.GetSize(); ++i)
        savedAttributes_[i] = INVALID_FILE_ATTRIBUTES;
    emptyNow_.RemoveAll();
    parents_.RemoveAll();

    const int count = static_cast<int>(deleteIndices_->GetSize());
    bool stopped = false;
    for (int i = count - 1; i >= 0; --i) {
        if (IsDeleteStopRequested()) {
            stopped = true;
            break;
        }
        const int index = deleteIndices_->GetAt(i);
        // An index the list no longer holds names nothing to delete.
        if (index < 0 || index >= found_.GetSize())
            continue;
        CJunkItem* item = found_[index];
        if (item && item->checked)
            DeleteOneItem(*item, index, i, count, batch);
    }
    if (!directRemove_ && !stopped) {
        batch.Flush();
        SendDeleteOutput(CString(), 90);
        RecycleRemainingItems();
    }
    if (emptyFolders_ && !stopped && !IsDeleteStopRequested())
        RemoveEmptyFolders();
}

void CJunkFileFinder::DeleteOneItem(CJunkItem& item, int index, int position, int count,
                                    CRecycleBatch& batch) {
    CString path = item.path;
    if (IsReachedThroughLink(path))
        return;
    const DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || !SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL))
        return;
    savedAttributes_[index] = attributes;
    const bool isFolder = item.IsEmptyFolderItem() && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    const CString folder = item.GetFolder();
    if (directRemove_) {
        lastDirectResult_ = isFolder ? RemoveDirectoryW(path) : DeleteFileNotThroughLink(path);
        if (!lastDirectResult_ && !IsPathGone(path)) {
            SetFileAttributesW(path, attributes);
            savedAttributes_[index] = INVALID_FILE_ATTRIBUTES;
        }
        if (emptyFolders_ && !IsSelectedLocation(folder) && IsEmptyFolder(folder) &&
            !StringArrayContains(emptyNow_, folder, true) && CheckFileAccess(folder))
            emptyNow_.Add(folder);
        SendDeleteOutput(path, (count - position) * 50 / count);
    } else {
        if (position % 21 == 0)
            SendDeleteOutput(path, (count - position) * 90 / count);
        path = WithoutFinalBackslash(path);
        if (isFolder)
            RecycleOne(path, ShellOwner(notifyWnd_));
        else
            batch.Add(path);
    }
    if (emptyFolders_)
        NoteParentFolder(folder, parents_);
}

void CJunkFileFinder::NoteParentFolder(const CString& folder, CStringArray& list) {
    if (!IsSelectedLocation(folder) && !StringArrayContains(list, folder, false) &&
        CheckFileAccess(folder))
        list.Add(folder);
}

void CJunkFileFinder::RecycleRemainingItems() {
    const INT_PTR count = found_.GetSize();
    for (INT_PTR k = 0; k < count; ++k) {
        if (IsDeleteStopRequested())
            return;
        const CJunkItem* item = found_[k];
        // Only what this run sent to the batch is retried, and never through a link.
        if (!item || !item->checked || item->path.IsEmpty() ||
            savedAttributes_[k] == INVALID_FILE_ATTRIBUTES || !PathFileExistsW(item->path) ||
            IsReachedThroughLink(item->path))
            continue;
        const CString path = WithoutFinalBackslash(item->path);
        RecycleOne(path, ShellOwner(notifyWnd_));
        SendDeleteOutput(path, static_cast<int>(90 + 5 * k / count));
    }
}

void CJunkFileFinder::RemoveEmptyFolders() {
    for (INT_PTR i = 0; i < found_.GetSize(); ++i) {
        const CJunkItem* item = found_[i];
        if (!item || item->IsEmptyFolderItem() || !item->checked)
            continue;
        const CString folder = item->GetFolder();
        if (folder.IsEmpty() || IsSelectedLocation(folder) || !PathFileExistsW(folder))
            continue;
        if (!StringArrayContains(emptyNow_, folder, true) && IsEmptyFolder(folder)) {
            if (CheckFileAccess(folder))
                emptyNow_.Add(folder);
        } else if (!StringArrayContains(parents_, folder, false)) {
            parents_.Add(folder);
        }
    }
    for (int round = 0; round < 2; ++round) {
        for (INT_PTR i = 0; i < parents_.GetSize(); ++i) {
            if (IsDeleteStopRequested())
                return;
            const CString& folder = parents_[i];
            if (!IsSelectedLocation(folder) && PathFileExistsW(folder) &&
                !StringArrayContains(emptyNow_, folder, true) && IsEmptyFolder(folder) &&
                CheckFileAccess(folder))
                emptyNow_.Add(folder);
        }
        SortStringArray(emptyNow_, true, true);
        const INT_PTR count = emptyNow_.GetSize();
        for (INT_PTR j = 0; j < count; ++j) {
            if (IsDeleteStopRequested())
                return;
            const CString& folder = emptyNow_[j];
            if (!folder.IsEmpty() && !IsSelectedLocation(folder) && PathFileExistsW(folder) &&
                IsEmptyFolder(folder) && CheckFileAccess(folder) && !IsReachedThroughLink(folder)) {
                const CString path = WithoutFinalBackslash(folder);
                if (directRemove_) {
                    const DWORD attributes = GetFileAttributesW(path);
                    if (SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL) && !RemoveDirectoryW(path))
                        SetFileAttributesW(path, attributes);
                } else {
                    RecycleOne(path, ShellOwner(notifyWnd_));
                }
            }
            SendDeleteOutput(folder, static_cast<int>((round == 0 ? 93 : 95) + 4 * j / count));
        }
    }
}

void CJunkFileFinder::RestoreSurvivorAttributes() {
    for (INT_PTR i = 0; i < savedAttributes_.GetSize() && i < found_.GetSize(); ++i) {
        if (savedAttributes_[i] != INVALID_FILE_ATTRIBUTES && found_[i] &&
            !IsPathGone(found_[i]->path))
            SetFileAttributesW(found_[i]->path, savedAttributes_[i]);
    }
}

void CJunkFileFinder::PurgeGoneItems() {
    for (INT_PTR i = found_.GetSize() - 1; i >= 0; --i) {
        CJunkItem* item = found_[i];
        if (item && IsPathGone(item->path)) {
            delete item;
            found_.RemoveAt(i);
        }
    }
}
