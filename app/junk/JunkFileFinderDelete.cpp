// The deletion thread: removes the chosen items to the Recycle Bin or for good, then the folders
// this leaves empty, and drops from the found list what is gone.
#include "JunkFileFinder.h"

#include "ComApartment.h"
#include "HelperThreads.h"
#include "HeldItem.h"
#include "JunkMessages.h"
#include "JunkPaths.h"
#include "JunkRemoval.h"
#include "LiteralPath.h"
#include "RecycleBatch.h"
#include "AccessRightsHelper.h"
#include "SizeTexts.h"

#include <atomic>
#include <vector>

namespace {

// Items are taken out in rounds of this many; the deletion thread and its helpers open and
// remove a round's items at once.
constexpr size_t kRemovalsPerRound = 256;

// True when what stands at the path is there (it may be held by others).
bool Exists(const CString& path) {
    const CString literal = ToLiteralPath(path);
    return !literal.IsEmpty() && GetFileAttributesW(literal) != INVALID_FILE_ATTRIBUTES;
}

// True when the folder itself (never a link) holds nothing now.
bool IsEmptyFolder(const CString& folder) {
    CHeldItem held;
    return held.Open(folder, CHeldItem::Purpose::kRead) == ItemOutcome::kDone &&
           held.IsEmptyFolder();
}

// Removes the folder for good through a handle on the folder itself, and only while it is
// empty: an empty folder holds nothing the Recycle Bin could give back, and no removal here
// ever takes anything inside a folder with it.
bool RemoveFolderWhileEmpty(const CString& folder) {
    CHeldItem held;
    return held.Open(folder, CHeldItem::Purpose::kDelete) == ItemOutcome::kDone &&
           held.Identity().folder && held.IsEmptyFolder() &&
           held.DeleteForGood() == ItemOutcome::kDone;
}

// One held item to the Recycle Bin as silently as the batches go: the shell's "delete for good
// instead?" warning would stop an unattended clean on a question nobody answers. True once its
// path names nothing.
bool RecycleOne(CHeldItem&& item, HWND owner) {
    CRecycleBatch single(owner);
    if (single.Add(std::move(item)) != ItemOutcome::kDone)
        return false;
    single.Flush();
    return !single.VacatedTags().empty();
}

HWND ShellOwner(HWND notifyWindow) {
    return notifyWindow ? GetAncestor(notifyWindow, GA_ROOT) : nullptr;
}

void MarkChanged(CJunkItem& item) {
    item.changedSinceScan = true;
    item.checked = false;
}

// Opens the item only as the scan found it and, for good, removes it through the handle that
// checked it; to the Recycle Bin it stays held for the batch. Touches nothing but `removal`.
void TakeRemovalStep(JunkRemoval& removal) {
    removal.taken = true;
    CHeldItem& held = removal.held;
    removal.outcome = held.OpenAsRecorded(removal.item->path, removal.item->identity,
                                          removal.forGood ? CHeldItem::Purpose::kDelete
                                                          : CHeldItem::Purpose::kRecycle);
    if (removal.outcome != ItemOutcome::kDone || !removal.forGood)
        return;
    removal.literalPath = held.Path();
    removal.identity = held.Identity();
    removal.outcome = held.Remove();
}

} // namespace

bool CJunkFileFinder::StartDeletion(const CIndexArray* indices) {
    if (!indices || IsWorking())
        return false;
    deleteIndices_ = indices;
    deleteStopSeen_ = false;
    // Reset here, not in the thread, so that a stop asked for at once is not lost.
    deleteStopRequested_ = false;
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
        NoteRecycledItems(batch);
        NoteRemovedItems();
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
    lastDirectIndex_ = -1;
    sentToBin_.assign(static_cast<size_t>(found_.GetSize()), false);
    goneNow_.assign(static_cast<size_t>(found_.GetSize()), false);
    emptyNow_.RemoveAll();
    parents_.RemoveAll();

    const int count = static_cast<int>(deleteIndices_->GetSize());
    deletePacer_.Reset();
    std::vector<JunkRemoval> round;
    round.reserve(kRemovalsPerRound);
    // The first item goes alone, so that the page hears of the cleaning at once.
    size_t roundSize = 1;
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
        if (!item || !item->checked || !IsWithinScanRecord(*item))
            continue;
        const bool isFolder = item->IsEmptyFolderItem();
        if (isFolder && protectedFolders_.IsProtected(item->path))
            continue;
        JunkRemoval& removal = round.emplace_back();
        removal.item = item;
        removal.index = index;
        removal.position = i;
        // An empty folder goes for good in either mode, and only while still empty.
        removal.forGood = directRemove_ || isFolder;
        if (round.size() < roundSize)
            continue;
        if (!RemoveRound(round, count, batch)) {
            stopped = true;
            break;
        }
        roundSize = kRemovalsPerRound;
    }
    if (!stopped && !round.empty())
        stopped = !RemoveRound(round, count, batch);
    if (!directRemove_ && !stopped) {
        batch.Flush();
        NoteRecycledItems(batch);
        SendDeleteOutput(CString(), 90);
        RecycleRemainingItems();
    }
    if (emptyFolders_ && !stopped && !IsDeleteStopRequested())
        RemoveEmptyFolders();
}

bool CJunkFileFinder::RemoveRound(std::vector<JunkRemoval>& round, int count,
                                  CRecycleBatch& batch) {
    // The items of a round are opened (and removed, for good) on a few threads at once: each
    // such step waits on the file system, and several overlap well. Everything else about an
    // item happens here, in the chosen order.
    std::atomic<size_t> next{0};
    const auto takeItems = [&] {
        for (size_t k; !deleteStopRequested_ && (k = next++) < round.size();)
            TakeRemovalStep(round[k]);
    };
    RunWithHelpers(FileStepHelpersFor(round.size()), takeItems, takeItems);
    for (JunkRemoval& removal : round)
        if (removal.taken)
            FinishRemoval(removal, count, batch);
    round.clear();
    return !IsDeleteStopRequested();
}

void CJunkFileFinder::FinishRemoval(JunkRemoval& removal, int count, CRecycleBatch& batch) {
    CJunkItem& item = *removal.item;
    const int index = removal.index;
    const int position = removal.position;
    const ItemOutcome outcome = removal.outcome;
    // Where an item deleted for good stands is told for all of them at once, at the end.
    if (outcome == ItemOutcome::kDone && removal.forGood)
        removed_.Add(removal.literalPath, removal.identity, static_cast<size_t>(index));
    if (outcome == ItemOutcome::kChangedSinceScan)
        MarkChanged(item);
    const CString folder = item.GetFolder();
    if (directRemove_) {
        lastDirectResult_ = outcome == ItemOutcome::kDone;
        lastDirectIndex_ = index;
        if (emptyFolders_ && MayRemoveFolder(folder) && IsEmptyFolder(folder) &&
            !StringArrayContains(emptyNow_, folder, true) && CheckFileAccess(folder))
            emptyNow_.Add(folder);
        if (deletePacer_.Due() || position == 0)
            SendDeleteOutput(item.path, (count - position) * 50 / count);
    } else {
        if (deletePacer_.Due())
            SendDeleteOutput(item.path, (count - position) * 90 / count);
        if (outcome == ItemOutcome::kDone && !removal.forGood &&
            batch.Add(std::move(removal.held), static_cast<size_t>(index)) == ItemOutcome::kDone)
            sentToBin_[static_cast<size_t>(index)] = true;
    }
    if (emptyFolders_)
        NoteParentFolder(folder, parents_);
}

void CJunkFileFinder::NoteParentFolder(const CString& folder, CStringArray& list) {
    if (MayRemoveFolder(folder) && !StringArrayContains(list, folder, false) &&
        CheckFileAccess(folder))
        list.Add(folder);
}

bool CJunkFileFinder::MayRemoveFolder(const CString& folder) const {
    return !folder.IsEmpty() && !IsSelectedLocation(folder) &&
           !protectedFolders_.IsProtected(folder);
}

void CJunkFileFinder::RecycleRemainingItems() {
    const INT_PTR count = found_.GetSize();
    for (INT_PTR k = 0; k < count; ++k) {
        if (IsDeleteStopRequested())
            return;
        CJunkItem* item = found_[k];
        // Only what this run handed to the Recycle Bin and did not see go is retried, and only
        // as it was found.
        if (!item || !item->checked || item->path.IsEmpty() ||
            !sentToBin_[static_cast<size_t>(k)] || goneNow_[static_cast<size_t>(k)] ||
            !Exists(item->path))
            continue;
        CHeldItem held;
        const ItemOutcome outcome =
            held.OpenAsRecorded(item->path, item->identity, CHeldItem::Purpose::kRecycle);
        if (outcome == ItemOutcome::kChangedSinceScan)
            MarkChanged(*item);
        else if (outcome == ItemOutcome::kDone)
            goneNow_[static_cast<size_t>(k)] =
                RecycleOne(std::move(held), ShellOwner(notifyWnd_)) && IsPathGone(item->path);
        SendDeleteOutput(WithoutFinalBackslash(item->path), static_cast<int>(90 + 5 * k / count));
    }
}

void CJunkFileFinder::RemoveEmptyFolders() {
    for (INT_PTR i = 0; i < found_.GetSize(); ++i) {
        const CJunkItem* item = found_[i];
        if (!item || item->IsEmptyFolderItem() || !item->checked)
            continue;
        const CString folder = item->GetFolder();
        if (!MayRemoveFolder(folder) || !Exists(folder))
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
            if (MayRemoveFolder(folder) && Exists(folder) &&
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
            if (MayRemoveFolder(folder) && Exists(folder) && CheckFileAccess(folder))
                static_cast<void>(RemoveFolderWhileEmpty(folder)); // a folder that stays is left
            SendDeleteOutput(folder, static_cast<int>((round == 0 ? 93 : 95) + 4 * j / count));
        }
    }
}

void CJunkFileFinder::NoteRecycledItems(const CRecycleBatch& batch) {
    // Gone only when nothing stands at the path: another item there means this one was moved
    // by someone else while the shell worked, and the retry marks it as changed.
    for (const size_t index : batch.VacatedTags())
        if (index < goneNow_.size())
            goneNow_[index] = true;
}

void CJunkFileFinder::NoteRemovedItems() {
    for (const RemovalFate& fate : removed_.Take()) {
        if (fate.tag >= goneNow_.size())
            continue;
        goneNow_[fate.tag] = fate.gone;
        // The last removal's result is the one the page hears of.
        if (!fate.gone && static_cast<int>(fate.tag) == lastDirectIndex_)
            lastDirectResult_ = FALSE;
    }
}

void CJunkFileFinder::PurgeGoneItems() {
    // What this run saw go is not asked about again.
    for (INT_PTR i = found_.GetSize() - 1; i >= 0; --i) {
        CJunkItem* item = found_[i];
        const bool seenGone =
            static_cast<size_t>(i) < goneNow_.size() && goneNow_[static_cast<size_t>(i)];
        if (item && (seenGone || IsPathGone(item->path))) {
            delete item;
            found_.RemoveAt(i);
        }
    }
}
