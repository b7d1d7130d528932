#include "JunkFileFinder.h"

#include <shlwapi.h>

#include "HeldItem.h"
#include "JunkMessages.h"
#include "LiteralPath.h"
#include "JunkPaths.h"
#include "JunkTables.h"
#include "ProtectedItems.h"

namespace {

bool IsFolderLocation(const CString& location) {
    return location.GetLength() > 1 && location[1] == L':';
}

} // namespace

CJunkFileFinder::CJunkFileFinder() : stopScanEvent_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

CJunkFileFinder::~CJunkFileFinder() {
    RequestScanStop();
    RequestDeleteStop();
    WaitForWorker();
    ReleaseFinishedWorkers();
    DeleteElements(found_);
    DeleteElements(masks_);
    DeleteElements(drives_);
    DeleteElements(tempFolders_);
}

void CJunkFileFinder::SetLocations(const CString& text) {
    locations_.RemoveAll();
    int start = 0;
    for (int end = text.Find(L';'); end >= 0; end = text.Find(L';', start)) {
        locations_.Add(text.Mid(start, end - start));
        start = end + 1;
    }
}

void CJunkFileFinder::SetOptions(const JunkScanOptions& options) {
    zeroLength_ = options.zeroLength;
    emptyFolders_ = options.emptyFolders;
    skipSystem_ = options.skipSystem;
    excludeRecent_ = options.excludeRecent;
    directRemove_ = options.directRemove;
}

JunkScanOptions CJunkFileFinder::GetOptions() const {
    return {zeroLength_, emptyFolders_, skipSystem_, excludeRecent_, directRemove_};
}

JunkScanOptions CJunkFileFinder::ReadScanOptions(CWinApp& app, bool unattended) {
    JunkScanOptions options;
    options.zeroLength = FALSE;
    options.emptyFolders = FALSE;
    options.excludeRecent = TRUE;
    options.skipSystem = TRUE;
    options.directRemove = FALSE;
    if (unattended)
        return options;
    options.zeroLength = app.GetProfileInt(L"Advanced", L"ChkZeroLenght", 0) != 0;
    options.emptyFolders = app.GetProfileInt(L"Advanced", L"ChkEmptyFolders", 0) != 0;
    options.excludeRecent = app.GetProfileInt(L"Advanced", L"ChkExcludeRecentFiles", 1) != 0;
    options.skipSystem = app.GetProfileInt(L"Advanced", L"ChkSkipSystemFiles", 1) != 0;
    options.directRemove = app.GetProfileInt(L"Removal", L"DirectFastRemove", 0) != 0;
    return options;
}

bool CJunkFileFinder::StartWorker(AFX_THREADPROC procedure, CWinThread*& thread) {
    if (IsWorking())
        return false;
    ReleaseFinishedWorkers();
    thread = AfxBeginThread(procedure, this, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    if (!thread)
        return false;
    // Kept after its end, so that the destructor can wait for it.
    thread->m_bAutoDelete = FALSE;
    thread->ResumeThread();
    return true;
}

bool CJunkFileFinder::IsWorking() const {
    for (CWinThread* thread : {scanThread_, deleteThread_})
        if (thread && WaitForSingleObject(thread->m_hThread, 0) == WAIT_TIMEOUT)
            return true;
    return false;
}

void CJunkFileFinder::WaitForWorker() {
    for (CWinThread* thread : {scanThread_, deleteThread_}) {
        if (!thread)
            continue;
        // The worker sends its messages synchronously to a window of this thread: handle them
        // while waiting, or both would wait for ever.
        while (MsgWaitForMultipleObjects(1, &thread->m_hThread, FALSE, INFINITE, QS_SENDMESSAGE) ==
               WAIT_OBJECT_0 + 1) {
            MSG message;
            PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
    }
}

void CJunkFileFinder::ReleaseFinishedWorkers() {
    for (CWinThread** thread : {&scanThread_, &deleteThread_}) {
        if (*thread && WaitForSingleObject((*thread)->m_hThread, 0) != WAIT_TIMEOUT) {
            delete *thread;
            *thread = nullptr;
        }
    }
}

void CJunkFileFinder::RequestScanStop() {
    scanStopRequested_ = true;
    SetEvent(stopScanEvent_.Get());
}

void CJunkFileFinder::RequestDeleteStop() {
    deleteStopRequested_ = true;
}

bool CJunkFileFinder::IsDeleteStopRequested() {
    // Asked before every item: a flag, not a kernel object, which would cost a call to the
    // system each time.
    if (deleteStopRequested_)
        deleteStopSeen_ = true;
    return deleteStopSeen_;
}

ULONGLONG CJunkFileFinder::GetSelectedSize() const {
    ULONGLONG total = 0;
    for (INT_PTR i = 0; i < found_.GetSize(); ++i)
        if (found_[i] && found_[i]->checked)
            total += found_[i]->size;
    return total;
}

void CJunkFileFinder::ClearFoundItems() {
    DeleteElements(found_);
    found_.FreeExtra();
    Sleep(0);
}

void CJunkFileFinder::AddFoundItem(CJunkItem* item) {
    found_.Add(item);
    ++unreportedFound_;
    if (foundPacer_.Due())
        ReportFoundItems();
}

void CJunkFileFinder::ReportFoundItems() {
    if (unreportedFound_ == 0)
        return;
    SendMessageW(notifyWnd_, JunkMessages().itemFound, static_cast<WPARAM>(unreportedFound_), 0);
    unreportedFound_ = 0;
}

bool CJunkFileFinder::MatchesJunkMask(const CString& name) const {
    CString lowerName(name);
    lowerName.MakeLower();
    return MatchesJunkMaskLower(lowerName);
}

bool CJunkFileFinder::MatchesJunkMaskLower(const CString& lowerName) const {
    for (const CJunkPattern& mask : activeMasks_)
        if (mask.Matches(lowerName))
            return IsSafeToDelete(lowerName);
    return false;
}

bool CJunkFileFinder::IsExcluded(const CString& path) const {
    CString lowerPath(path);
    lowerPath.MakeLower();
    return IsExcludedLower(lowerPath);
}

bool CJunkFileFinder::IsExcludedLower(const CString& lowerPath) const {
    for (const CJunkPattern& exclusion : activeExclusions_)
        if (exclusion.Matches(lowerPath))
            return true;
    return false;
}

void CJunkFileFinder::PrepareMatching() {
    activeMasks_.clear();
    for (INT_PTR i = 0; i < masks_.GetSize(); ++i)
        if (masks_[i] && masks_[i]->IsEnabled() && !IsCatchAllMask(masks_[i]->text))
            activeMasks_.emplace_back(masks_[i]->text);
    activeExclusions_.clear();
    for (INT_PTR i = 0; i < ignoreList_.GetSize(); ++i)
        activeExclusions_.emplace_back(ignoreList_[i]);
    if (unattended_)
        for (INT_PTR i = 0; i < unattendedExclusions_.GetSize(); ++i)
            activeExclusions_.emplace_back(unattendedExclusions_[i]);
}

bool CJunkFileFinder::IsSelectedLocation(const CString& path) const {
    const CString folder = WithoutFinalBackslash(path);
    for (INT_PTR i = 0; i < locations_.GetSize(); ++i)
        if (IsFolderLocation(locations_[i]) &&
            SameFileName(WithoutFinalBackslash(locations_[i]), folder))
            return true;
    return false;
}

bool CJunkFileFinder::IsUnderSelectedFolder(const CString& path) const {
    for (INT_PTR i = 0; i < locations_.GetSize(); ++i)
        if (IsFolderLocation(locations_[i]) && IsPathWithin(path, locations_[i]))
            return true;
    return false;
}

bool CJunkFileFinder::IsWithinScanRecord(const CJunkItem& item) const {
    if (item.locationIndex < 0 || item.locationIndex >= locations_.GetSize())
        return false;
    const CString& location = locations_[item.locationIndex];
    const CString root = IsFolderLocation(location) ? location : location + L":\\";
    // Strictly inside its location: the location itself is never an item.
    if (!IsPathBelow(WithoutFinalBackslash(item.path), root) || IsExcluded(item.path))
        return false;
    const bool folder = item.identity.folder;
    const CString name = item.GetFileName();
    switch (item.category) {
    case kEmptyFolder:
        return scanOptions_.emptyFolders && folder;
    case kZeroLengthFile:
        return scanOptions_.zeroLength && !folder && item.size == 0 && !IsProtectedExtension(name);
    case kTempFile:
        return IsFolderLocation(location) && !folder && !IsProtectedExtension(name);
    case kJunkFile:
        return !folder && !IsProtectedExtension(name) &&
               (IsUnderSelectedFolder(item.GetFolder()) || MatchesJunkMask(name));
    default:
        return false;
    }
}

int CJunkFileFinder::GetChangedCount() const {
    int changed = 0;
    for (INT_PTR i = 0; i < found_.GetSize(); ++i)
        changed += found_[i] && found_[i]->changedSinceScan ? 1 : 0;
    return changed;
}

bool CJunkFileFinder::IsRecentFile(bool isTemp, __int64 lastWrite) const {
    const __int64 age = scanStart_ - lastWrite;
    return age < (isTemp ? 86400 : 604800);
}

bool CJunkFileFinder::IsRemovableEmptyFolder(const CString& path) {
    const CString literal = ToLiteralPath(path);
    const DWORD attributes = GetFileAttributesW(literal);
    if (literal.IsEmpty() || attributes == INVALID_FILE_ATTRIBUTES ||
        !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM)))
        return false;
    CHeldItem folder;
    if (folder.Open(literal, CHeldItem::Purpose::kRead) != ItemOutcome::kDone ||
        !folder.IsEmptyFolder())
        return false;
    folder.Release();
    return SetFileAttributesW(literal, attributes) != FALSE;
}
