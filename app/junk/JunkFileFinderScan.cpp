// The scan thread: walks the locations and collects the junk items.
#include "JunkFileFinder.h"

#include <shellapi.h>

#include <ctime>

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

namespace {

bool IsDotEntry(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

// A junction or symbolic link leads out of the location: never followed nor taken.
bool IsReparsePointEntry(DWORD attributes) {
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// The listing pattern of a folder (path ends with a backslash) in literal form, so that every
// name and every length reach the system as listed; empty when the path cannot be one.
CString SearchPattern(const CString& path) {
    CString literal = ToLiteralPath(path);
    if (literal.IsEmpty())
        return literal;
    if (literal[literal.GetLength() - 1] != L'\\')
        literal += L'\\';
    return literal + L"*";
}

// A folder location in its long form (8.3 aliases resolved), so that what the scan lists is
// named as the system names it; kept as given when it cannot be resolved.
CString LongFormOfLocation(const CString& location) {
    const CString longForm = ToLongLiteralPath(location);
    return longForm.IsEmpty() ? location : ToOrdinaryPath(longForm);
}

// The serial number of the volume a location's folder lies on (through a mount point in its
// place, the mounted volume's); 0 when it cannot be told, as the identities read later tell it.
DWORD VolumeSerialOfLocation(const CString& path) {
    const CString literal = ToLiteralPath(path);
    if (literal.IsEmpty())
        return 0;
    const KernelHandle folder(CreateFileW(literal, FILE_READ_ATTRIBUTES,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                          nullptr));
    return folder ? VolumeSerialOfItem(folder.Get()) : 0;
}

int SmallIconIndex(const wchar_t* path) {
    SHFILEINFOW info = {};
    return SHGetFileInfoW(path, 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON)
               ? info.iIcon
               : 0;
}

CJunkItem* MakeItem(const CString& path, const WIN32_FIND_DATAW& entry, int locationIndex,
                    int category, int iconIndex) {
    auto* item = new CJunkItem;
    item->path = path;
    item->created = FileTimeToLocalSeconds(entry.ftCreationTime);
    item->accessed = FileTimeToLocalSeconds(entry.ftLastAccessTime);
    item->written = FileTimeToLocalSeconds(entry.ftLastWriteTime);
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
        locationSerial_ = VolumeSerialOfLocation(path);
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

    WIN32_FIND_DATAW entry;
    const CString pattern = SearchPattern(path);
    if (pattern.IsEmpty())
        return kSearchDone;
    // An empty drive lists nothing; any other refusal means the folder cannot be read.
    FindHandle search(FindFirstFileW(pattern, &entry));
    if (!search.IsValid())
        return GetLastError() == ERROR_FILE_NOT_FOUND ? kSearchDone : kSearchUnreadable;
    ReportFolder(path);

    if (!underFolderLocation && path.GetLength() > 3)
        underFolderLocation = IsUnderSelectedFolder(path);

    if (emptyFolders_ && path.GetLength() >= 4 && path.GetLength() <= 259)
        AddEmptyFolderItem(path, entry, locationIndex);

    // The lower-case name and path of each entry, for the matching, reuse their room: most
    // entries of a walk are never more than matched.
    const int folderLength = lowerPath.GetLength();
    CString lowerName;
    CString lowerFull = lowerPath;
    do {
        if (IsDotEntry(entry.cFileName))
            continue;
        if (scanStopRequested_)
            return kSearchStopped;
        const bool isFolder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        const ULONGLONG size =
            (static_cast<ULONGLONG>(entry.nFileSizeHigh) << 32) + entry.nFileSizeLow;
        if (!isFolder)
            scannedBytes_ += size;
        if (IsReparsePointEntry(entry.dwFileAttributes))
            continue;
        lowerName = entry.cFileName;
        lowerName.MakeLower();
        lowerFull.Delete(folderLength, lowerFull.GetLength() - folderLength);
        lowerFull += lowerName;
        if (IsExcludedLower(lowerFull))
            continue;
        if (isFolder) {
            if (SearchFolder(path + entry.cFileName + L'\\', locationIndex, underFolderLocation,
                             isFolderLocation) == kSearchStopped)
                return kSearchStopped;
            continue;
        }
        if (skipSystem_ &&
            (entry.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM)))
            continue;
        if (IsProtectedExtension(entry.cFileName))
            continue;
        int category;
        if (underFolderLocation)
            category = isFolderLocation ? kTempFile : kJunkFile;
        else if (MatchesJunkMaskLower(lowerName))
            category = kJunkFile;
        else if (zeroLength_ && size == 0)
            category = kZeroLengthFile;
        else
            continue;
        if (excludeRecent_ &&
            IsRecentFile(category == kTempFile, FileTimeToLocalSeconds(entry.ftLastWriteTime)))
            continue;
        const CString full = path + entry.cFileName;
        FileIdentity identity;
        if (!ProbeCandidate(full, entry.dwFileAttributes, locationSerial_, identity))
            continue;
        CJunkItem* item =
            MakeItem(full, entry, locationIndex, category, FileIconIndex(full, entry.cFileName));
        item->size = size;
        item->identity = identity;
        AddFoundItem(item);
    } while (FindNextFileW(search.Get(), &entry));
    return kSearchDone;
}

void CJunkFileFinder::AddEmptyFolderItem(const CString& path, const WIN32_FIND_DATAW& ownEntry,
                                         int locationIndex) {
    if (IsExcluded(path) || protectedFolders_.IsProtected(path) || !IsRemovableEmptyFolder(path) ||
        !CheckFileAccess(path))
        return;
    // Recorded last: the tests above may rewrite the folder's attributes.
    CHeldItem folder;
    if (folder.Open(path, CHeldItem::Purpose::kRead) != ItemOutcome::kDone ||
        !folder.IsEmptyFolder())
        return;
    CJunkItem* item = MakeItem(path, ownEntry, locationIndex, kEmptyFolder, SmallIconIndex(path));
    item->identity = folder.Identity();
    folder.Release();
    item->checked = false;
    AddFoundItem(item);
}
