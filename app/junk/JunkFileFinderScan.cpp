// The scan thread: walks the locations and collects the junk items.
#include "JunkFileFinder.h"

#include <shellapi.h>

#include <ctime>

#include "FolderListing.h"
#include "HeldItem.h"
#include "JunkMessages.h"
#include "JunkPaths.h"
#include "JunkTables.h"
#include "LiteralPath.h"
#include "LockProbe.h"
#include "AccessRightsHelper.h"
#include "AppState.h"
#include "Paths.h"
#include "SystemInfo.h"

#include <owners/WinOwners.h>

#include <cstdint>
#include <memory>

namespace {

// Matched files go to their probes in rounds of this many, on threads of their own: under Wine
// one such thread alone keeps up with a walk in which one file of twenty matches, the second is
// for folders full of matches. The walk waits for the first rounds only when more than a few
// are queued, so that what it matched stays within bounds.
constexpr size_t kCandidatesPerRound = 128;
constexpr unsigned kProbeThreads = 2;
constexpr size_t kMostRoundsQueued = 8;
constexpr size_t kAnyRoundsQueued = SIZE_MAX;

// A junction or symbolic link leads out of the location: never followed nor taken.
bool IsReparsePointEntry(DWORD attributes) {
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// A folder location in its long form (8.3 aliases resolved), so that what the scan lists is
// named as the system names it; kept as given when it cannot be resolved.
CString LongFormOfLocation(const CString& location) {
    const CString longForm = ToLongLiteralPath(location);
    return longForm.IsEmpty() ? location : ToOrdinaryPath(longForm);
}

int SmallIconIndex(const wchar_t* path) {
    SHFILEINFOW info = {};
    return SHGetFileInfoW(path, 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON)
               ? info.iIcon
               : 0;
}

__int64 LocalSecondsOfTicks(ULONGLONG ticks) {
    return FileTimeToLocalSeconds(FileTimeOfTicks(ticks));
}

// An item with the times its listing gave.
CJunkItem* MakeItem(const CString& path, const FileIdentity& identity, ULONGLONG lastAccessTime,
                    int locationIndex, int category, int iconIndex) {
    auto* item = new CJunkItem;
    item->path = path;
    item->created = LocalSecondsOfTicks(identity.creationTime);
    item->accessed = LocalSecondsOfTicks(lastAccessTime);
    item->written = LocalSecondsOfTicks(identity.lastWriteTime);
    item->size = identity.size;
    item->identity = identity;
    item->iconIndex = iconIndex;
    item->locationIndex = locationIndex;
    item->category = category;
    return item;
}

} // namespace

int CJunkFileFinder::FileIconIndex(const CString& path, const wchar_t* name) {
    // The shell's answer is slow and, but for images of icons and cursors, the same for every
    // file of one extension: ask once per extension and scan.
    const wchar_t* dot = wcsrchr(name, L'.');
    std::wstring extension = dot ? dot + 1 : L"";
    for (wchar_t& character : extension)
        character = towlower(character);
    if (extension == L"ico" || extension == L"cur" || extension == L"ani")
        return SmallIconIndex(path);
    const auto cached = iconCache_.find(extension);
    if (cached != iconCache_.end())
        return cached->second;
    const int index = SmallIconIndex(path);
    iconCache_.emplace(extension, index);
    return index;
}

bool CJunkFileFinder::StartScan() {
    if (IsWorking())
        return false;
    Sleep(100);
    ClearFoundItems();
    scannedBytes_ = 0;
    MergeDefaultIgnoreList();
    // Reset here, not in the thread, so that a stop asked for at once is not lost.
    scanStopRequested_ = false;
    ResetEvent(stopScanEvent_.Get());
    return StartWorker(&CJunkFileFinder::ScanThreadProc, scanThread_);
}

UINT __cdecl CJunkFileFinder::ScanThreadProc(LPVOID finder) {
    return static_cast<CJunkFileFinder*>(finder)->RunScan();
}

UINT CJunkFileFinder::RunScan() {
    try {
        ScanLocations();
    } catch (CException* e) {
        e->Delete();
    } catch (...) {
    }
    prober_.reset();
    // However the walk ended, the page hears of every item and of its end.
    ReportFoundItems();
    PostMessageW(notifyWnd_, JunkMessages().scanFinished, 0, 0);
    return 0;
}

void CJunkFileFinder::ScanLocations() {
    // A short pause lets the page settle; a stop during it still ends with the finished message.
    if (WaitForSingleObject(stopScanEvent_.Get(), 1024) == WAIT_OBJECT_0)
        scanStopRequested_ = true;
    ClearFoundItems();
    for (INT_PTR i = 0; i < locations_.GetSize(); ++i)
        if (locations_[i].GetLength() > 1)
            locations_[i] = LongFormOfLocation(locations_[i]);
    scanOptions_ = GetOptions();
    protectedFolders_.Gather();
    unreadLocations_.RemoveAll();
    PrepareMatching();
    iconCache_.clear();
    scanStart_ = _time64(nullptr);
    scannedBytes_ = 0;
    unreportedFound_ = 0;
    candidates_.clear();
    candidatesPerRound_ = 1;
    prober_ = std::make_unique<CCandidateProber>(kProbeThreads, [](JunkCandidate& candidate) {
        return ProbeCandidate(candidate.path, candidate.identity.attributes, candidate.identified,
                              candidate.identity);
    });
    folderPacer_.Reset();
    foundPacer_.Reset();
    for (INT_PTR i = 0; i < locations_.GetSize() && !scanStopRequested_; ++i) {
        if (notifyWnd_ && !IsWindow(notifyWnd_))
            break;
        const CString& location = locations_[i];
        const bool isFolder = location.GetLength() != 1;
        CString path = isFolder ? location : location + L":\\";
        if (path[path.GetLength() - 1] != L'\\')
            path += L'\\';
        ULARGE_INTEGER available, total;
        if (GetDiskFreeSpaceExW(path, &available, &total, nullptr)) {
            volumeFree_ = available.QuadPart;
            volumeTotal_ = total.QuadPart;
        }
        // Items are numbered by the listing only with the volume known.
        locationSerialKnown_ = ReadFolderVolumeSerial(path, locationSerial_);
        // Every location is told, whatever the pace.
        SendMessageW(notifyWnd_, JunkMessages().scanOutput,
                     reinterpret_cast<WPARAM>(path.GetString()),
                     volumeFree_ == 0 ? 0 : ScanPercent());
        folderPacer_.Note();
        if (i > 0) {
            ReportFoundItems();
            SendMessageW(notifyWnd_, JunkMessages().locationChange,
                         reinterpret_cast<WPARAM>(path.GetString()), 0);
            scannedBytes_ = 0;
        }
        const SearchResult result = SearchFolder(path, static_cast<int>(i), false, isFolder);
        // What the walk matched before it ended or stopped is told before the next location.
        AddProbedCandidates(0);
        if (result == kSearchStopped)
            break;
        if (result == kSearchUnreadable)
            unreadLocations_.Add(path);
    }
}

void CJunkFileFinder::ReportFolder(const CString& path) {
    if (!folderPacer_.Due())
        return;
    SendMessageW(notifyWnd_, JunkMessages().scanOutput, reinterpret_cast<WPARAM>(path.GetString()),
                 ScanPercent());
    // The page's count follows at the same pace when items come seldom.
    ReportFoundItems();
}

int CJunkFileFinder::ScanPercent() const {
    const ULONGLONG used = volumeTotal_ - volumeFree_;
    if (volumeTotal_ <= volumeFree_ || used == 0)
        return 0;
    const ULONGLONG percent = scannedBytes_ * 100 / used;
    return static_cast<int>(percent > 100 ? 100 : percent);
}

void CJunkFileFinder::FillWindowsDir() {
    if (!windowsDir_.IsEmpty())
        return;
    wchar_t folder[MAX_PATH] = {};
    if (GetWindowsDirectoryW(folder, MAX_PATH)) {
        windowsDir_ = folder;
        windowsDir_.MakeLower();
    }
}

CJunkFileFinder::SearchResult CJunkFileFinder::SearchFolder(const CString& path, int locationIndex,
                                                            bool underFolderLocation,
                                                            bool isFolderLocation) {
    CString lowerPath(path);
    lowerPath.MakeLower();
    if (GetOsMajorVersion() >= 6 && lowerPath.Find(L":\\users\\all users\\") >= 0)
        return kSearchDone;
    FillWindowsDir();
    if (!isFolderLocation) {
        if (IsSelectedLocation(path))
            return kSearchDone;
        if (!windowsDir_.IsEmpty() && lowerPath.Find(windowsDir_) >= 0 && g_nAdminState != 1)
            return kSearchDone;
    }

    // A path no literal form names is passed over; an empty drive lists nothing; any other
    // refusal means the folder cannot be read.
    if (ToLiteralPath(path).IsEmpty())
        return kSearchDone;
    std::vector<ListedItem> entries;
    if (!ListFolderItems(path, locationSerialKnown_ ? &locationSerial_ : nullptr, entries))
        return kSearchUnreadable;
    ReportFolder(path);
    AddProbedCandidates(kAnyRoundsQueued);

    if (!underFolderLocation && path.GetLength() > 3)
        underFolderLocation = IsUnderSelectedFolder(path);

    if (emptyFolders_ && path.GetLength() >= 4 && path.GetLength() <= 259)
        AddEmptyFolderItem(path, locationIndex);

    // The lower-case name and path of each entry, for the matching, reuse their room: most
    // entries of a walk are never more than matched. A file is matched against the exclusions
    // (those that this folder's path does not settle) only once it is otherwise junk: the tests
    // are all of the entry alone, and the masks turn most files away sooner.
    const CJunkFolderPatterns exclusions(activeExclusions_, lowerPath);
    const int folderLength = lowerPath.GetLength();
    CString lowerName;
    CString lowerFull = lowerPath;
    const auto isExcluded = [&] {
        lowerFull.Delete(folderLength, lowerFull.GetLength() - folderLength);
        lowerFull += lowerName;
        return exclusions.Matches(lowerFull);
    };
    for (const ListedItem& entry : entries) {
        if (scanStopRequested_)
            return kSearchStopped;
        const FileIdentity& listed = entry.identity;
        scannedBytes_ += listed.size; // 0 for a folder
        if (IsReparsePointEntry(listed.attributes))
            continue;
        lowerName = entry.name;
        lowerName.MakeLower();
        if (listed.folder) {
            if (!isExcluded() &&
                SearchFolder(path + entry.name + L'\\', locationIndex, underFolderLocation,
                             isFolderLocation) == kSearchStopped)
                return kSearchStopped;
            continue;
        }
        if (skipSystem_ && (listed.attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM)))
            continue;
        int category;
        if (underFolderLocation)
            category = isFolderLocation ? kTempFile : kJunkFile;
        else if (MatchesJunkMaskLower(lowerName))
            category = kJunkFile;
        else if (zeroLength_ && listed.size == 0)
            category = kZeroLengthFile;
        else
            continue;
        if (IsProtectedExtension(entry.name) || isExcluded())
            continue;
        if (excludeRecent_ &&
            IsRecentFile(category == kTempFile, LocalSecondsOfTicks(listed.lastWriteTime)))
            continue;
        JunkCandidate candidate;
        candidate.path = path + entry.name;
        candidate.identity = listed;
        candidate.identified = entry.identified;
        candidate.lastAccessTime = entry.lastAccessTime;
        candidate.locationIndex = locationIndex;
        candidate.category = category;
        AddCandidate(std::move(candidate));
    }
    return kSearchDone;
}

void CJunkFileFinder::AddCandidate(JunkCandidate&& candidate) {
    candidates_.push_back(std::move(candidate));
    if (candidates_.size() < candidatesPerRound_)
        return;
    // The first of a scan, alone, is waited for: the page hears of it at once.
    const bool first = candidatesPerRound_ == 1;
    prober_->Queue(std::move(candidates_));
    candidates_.clear();
    candidatesPerRound_ = kCandidatesPerRound;
    AddProbedCandidates(first ? 0 : kMostRoundsQueued);
}

void CJunkFileFinder::AddProbedCandidates(size_t mostLeftQueued) {
    if (mostLeftQueued == 0 && !candidates_.empty()) {
        prober_->Queue(std::move(candidates_));
        candidates_.clear();
    }
    std::vector<JunkCandidate> probed;
    prober_->TakeProbed(mostLeftQueued, probed);
    for (const JunkCandidate& candidate : probed) {
        if (!candidate.passed)
            continue;
        const int nameStart = candidate.path.ReverseFind(L'\\') + 1;
        AddFoundItem(
            MakeItem(candidate.path, candidate.identity, candidate.lastAccessTime,
                     candidate.locationIndex, candidate.category,
                     FileIconIndex(candidate.path, candidate.path.GetString() + nameStart)));
    }
}

void CJunkFileFinder::AddEmptyFolderItem(const CString& path, int locationIndex) {
    if (IsExcluded(path) || protectedFolders_.IsProtected(path) || !IsRemovableEmptyFolder(path) ||
        !CheckFileAccess(path))
        return;
    // Recorded last: the tests above may rewrite the folder's attributes.
    CHeldItem folder;
    FILE_BASIC_INFO times = {};
    if (folder.Open(path, CHeldItem::Purpose::kRead) != ItemOutcome::kDone ||
        !folder.IsEmptyFolder() ||
        !GetFileInformationByHandleEx(folder.Handle(), FileBasicInfo, &times, sizeof times))
        return;
    CJunkItem* item =
        MakeItem(path, folder.Identity(), static_cast<ULONGLONG>(times.LastAccessTime.QuadPart),
                 locationIndex, kEmptyFolder, SmallIconIndex(path));
    folder.Release();
    item->checked = false;
    AddProbedCandidates(0); // the found list keeps the walk's order
    AddFoundItem(item);
}
