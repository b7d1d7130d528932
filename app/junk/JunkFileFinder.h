// CJunkFileFinder: the junk cleaner's engine. It holds the scan locations, the masks, the ignore
// lists and the options, walks the locations on a worker thread, keeps the found items, deletes
// the chosen ones on a second worker thread, and reports both to a window by registered messages.
#pragma once

#include <windows.h>

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <classlib/App.h>
#include <classlib/Array.h>
#include <classlib/String.h>
#include <owners/WinOwners.h>

#include "CandidateProber.h"
#include "JunkCandidate.h"
#include "JunkItem.h"
#include "JunkPattern.h"
#include "JunkMask.h"
#include "ProtectedFolders.h"
#include "RemovalCheck.h"
#include "ReportPacer.h"
#include "StringBool.h"

class CRecycleBatch;
struct JunkRemoval;

using CJunkItemArray = CTypedPtrArray<CPtrArray, CJunkItem*>;
using CJunkMaskArray = CTypedPtrArray<CPtrArray, CJunkMask*>;
using CStringBoolArray = CTypedPtrArray<CPtrArray, CStringBool*>;
using CIndexArray = CArray<int, int>;

// The four scan options and the removal mode as the settings keep them.
struct JunkScanOptions {
    BOOL zeroLength = FALSE;
    BOOL emptyFolders = FALSE;
    BOOL skipSystem = TRUE;
    BOOL excludeRecent = FALSE;
    BOOL directRemove = FALSE;
};

class CJunkFileFinder {
public:
    CJunkFileFinder();
    // Stops a running scan or deletion and waits for it before freeing what it uses.
    ~CJunkFileFinder();
    CJunkFileFinder(const CJunkFileFinder&) = delete;
    CJunkFileFinder& operator=(const CJunkFileFinder&) = delete;

    // Scanning
    void SetNotifyWindow(HWND window) { notifyWnd_ = window; }
    HWND GetNotifyWindow() const { return notifyWnd_; }
    // Every piece followed by ";" becomes a location: a drive letter or a folder path.
    void SetLocations(const CString& text);
    const CStringArray& GetLocations() const { return locations_; }
    void SetOptions(const JunkScanOptions& options);
    JunkScanOptions GetOptions() const;
    // Set for a scheduled or hidden scan: the unattended exclusions apply too.
    void SetUnattended(bool unattended) { unattended_ = unattended; }
    bool IsUnattended() const { return unattended_; }
    // False when the thread cannot be made or a scan or deletion still runs.
    [[nodiscard]] bool StartScan();
    // Asks the scan to end; it notices between two folder entries.
    void RequestScanStop();
    bool IsScanStopRequested() const { return scanStopRequested_; }
    // True while a scan or deletion thread runs.
    bool IsWorking() const;
    // Waits for the running thread to end, handling the messages it sends meanwhile.
    void WaitForWorker();

    // The locations of the last scan that could not be read at all (a drive that is not there,
    // a folder without read rights): they were not searched. Read once the scan has ended.
    const CStringArray& GetUnreadLocations() const { return unreadLocations_; }

    // Found items
    INT_PTR GetFoundCount() const { return found_.GetSize(); }
    CJunkItem* GetFoundItem(INT_PTR index) const { return found_.GetAt(index); }
    ULONGLONG GetSelectedSize() const;
    void ClearFoundItems();
    // Items the last cleaning kept because what stood at their path was no longer what the scan
    // found (another item, or the item changed).
    int GetChangedCount() const;

    // Deletion of the found items at `indices` (ascending; the array stays the caller's and must
    // live until the finished message). False when the thread cannot be made or one still runs.
    [[nodiscard]] bool StartDeletion(const CIndexArray* indices);
    void RequestDeleteStop();
    // Whether a stop of the deletion was asked for; once seen it stays so for this run.
    bool IsDeleteStopRequested();

    // Masks
    void LoadMasks();
    bool ReadMaskValues();
    [[nodiscard]] bool SaveMasks();
    [[nodiscard]] bool WriteMaskValues(HKEY key);
    INT_PTR AddMask(const CString& text, DWORD flags);
    void ClearMasks();
    INT_PTR GetMaskCount() const { return masks_.GetSize(); }
    CJunkMask* GetMask(INT_PTR index) const { return masks_.GetAt(index); }
    CString GetMaskText(INT_PTR index) const { return masks_.GetAt(index)->text; }
    void ResetMasksToDefault();

    // Ignore lists
    void LoadIgnoreList();
    [[nodiscard]] bool SaveIgnoreList();
    [[nodiscard]] bool WriteIgnoreValues(HKEY key);
    void MergeDefaultIgnoreList();
    void AddSpecialFolderExclusions();
    CStringArray& IgnoreList() { return ignoreList_; }
    const CStringArray& UnattendedExclusions() const { return unattendedExclusions_; }

    // Drives and temporary folders for the drive settings page
    const CStringBoolArray& ListDrives();
    const CStringBoolArray& GetTempFolders();
    // False when the path was added; true when it is already there, empty or missing.
    static bool AddUniquePath(CString path, CStringBoolArray& list, BOOL flag);
    // A display name such as "Local Disk (C:)" without its bracket: "Local Disk".
    static CString TrimDriveDisplayName(const CString& displayName);

    // Registry paths of the lists under HKEY_CURRENT_USER.
    static CString MaskListKey();
    static CString IgnoreListKey();

    // The scan options as the scan start reads them from the application's profile; an
    // unattended scan uses fixed values instead.
    static JunkScanOptions ReadScanOptions(CWinApp& app, bool unattended);

    // Matching, with the enabled masks and the exclusions taken at the last scan start
    bool MatchesJunkMask(const CString& name) const;
    bool IsExcluded(const CString& path) const;
    // The same for a name or path already in lower case.
    bool MatchesJunkMaskLower(const CString& lowerName) const;
    bool IsExcludedLower(const CString& lowerPath) const;
    // The path, less its final backslash, is one of the folder locations.
    bool IsSelectedLocation(const CString& path) const;
    // The folder is a folder location or lies inside one (never a mere text prefix).
    bool IsUnderSelectedFolder(const CString& path) const;
    bool IsRecentFile(bool isTemp, __int64 lastWrite) const;
    static bool IsRemovableEmptyFolder(const CString& path);
    // The item lies inside the location it was found under and is of a category that scan
    // looked for, as the scan's record says: nothing else is ever cleaned.
    bool IsWithinScanRecord(const CJunkItem& item) const;
    const CProtectedFolders& ProtectedFolders() const { return protectedFolders_; }

private:
    enum SearchResult { kSearchDone = 1, kSearchStopped = 2, kSearchUnreadable = 3 };

    static UINT __cdecl ScanThreadProc(LPVOID finder);
    static UINT __cdecl DeleteThreadProc(LPVOID finder);
    UINT RunScan();
    UINT RunDeletion();
    void ScanLocations();
    void DeleteChosenItems(CRecycleBatch& batch);
    SearchResult SearchFolder(const CString& path, int locationIndex, bool underFolderLocation,
                              bool isFolderLocation);
    void AddEmptyFolderItem(const CString& path, int locationIndex);
    // Queues a matched file for its probe; a full round goes to the prober.
    void AddCandidate(JunkCandidate&& candidate);
    // Adds the probed candidates that passed to the found list, in the walk's order, having
    // waited until no more than `mostLeftQueued` rounds are still with the prober (0: every
    // candidate matched so far is probed and added).
    void AddProbedCandidates(size_t mostLeftQueued);
    void AddFoundItem(CJunkItem* item);
    // Tells the page how many items joined the found list since it last heard (nothing when
    // none did); the count goes in wParam.
    void ReportFoundItems();
    // The folder being searched, at the reports' pace.
    void ReportFolder(const CString& path);
    bool StartWorker(AFX_THREADPROC procedure, CWinThread*& thread);
    void ReleaseFinishedWorkers();
    void FillWindowsDir();
    int ScanPercent() const;
    void PrepareMatching();
    int FileIconIndex(const CString& path, const wchar_t* name);

    // Deletion steps
    // Takes a round of chosen items out (see JunkRemoval); false when a stop cut it short.
    [[nodiscard]] bool RemoveRound(std::vector<JunkRemoval>& round, int count,
                                   CRecycleBatch& batch);
    // What follows an item's removal step: the list's marks, progress, the batch.
    void FinishRemoval(JunkRemoval& removal, int count, CRecycleBatch& batch);
    void NoteParentFolder(const CString& folder, CStringArray& list);
    bool MayRemoveFolder(const CString& folder) const;
    void RecycleRemainingItems();
    void RemoveEmptyFolders();
    // Notes the items the batch's operations took away, leaving nothing at their paths.
    void NoteRecycledItems(const CRecycleBatch& batch);
    // Marks the items deleted for good that are gone from their paths.
    void NoteRemovedItems();
    void PurgeGoneItems();
    void SendDeleteOutput(const CString& path, int percent);

    CString windowsDir_;
    CStringBoolArray drives_;
    CStringBoolArray tempFolders_;
    CStringArray locations_;
    CStringArray unreadLocations_;
    CJunkItemArray found_;
    const CIndexArray* deleteIndices_ = nullptr;
    CWinThread* scanThread_ = nullptr;
    CWinThread* deleteThread_ = nullptr;
    KernelHandle stopScanEvent_;
    HWND notifyWnd_ = nullptr;
    CJunkMaskArray masks_;
    CStringArray ignoreList_;
    CStringArray unattendedExclusions_;
    BOOL zeroLength_ = FALSE;
    BOOL emptyFolders_ = FALSE;
    BOOL skipSystem_ = TRUE;
    BOOL excludeRecent_ = FALSE;
    BOOL directRemove_ = FALSE;
    __int64 scanStart_ = 0;

    ULONGLONG scannedBytes_ = 0;
    ULONGLONG volumeFree_ = 0;
    ULONGLONG volumeTotal_ = 0;
    bool unattended_ = false;
    std::atomic<bool> scanStopRequested_ = false;
    std::atomic<bool> deleteStopRequested_ = false;
    bool deleteStopSeen_ = false;

    // The page hears of the scan's folders and found items, and of the cleaned items, at a pace
    // it can show; the found items not yet reported are counted.
    CReportPacer folderPacer_;
    CReportPacer foundPacer_;
    CReportPacer deletePacer_;
    int unreportedFound_ = 0;
    // The volume of the location being scanned: every item the walk finds lies on it.
    DWORD locationSerial_ = 0;
    bool locationSerialKnown_ = false;

    // Prepared at each scan start: the enabled masks and the exclusions, lower-cased.
    std::vector<CJunkPattern> activeMasks_;
    std::vector<CJunkPattern> activeExclusions_;
    // The scan's record: its options, and the folders no cleaning removes.
    JunkScanOptions scanOptions_;
    CProtectedFolders protectedFolders_;
    // Matched files gathered for the prober's next round, in the walk's order; the first of a
    // scan goes alone, so that the page hears of it at once. The prober lives for one scan.
    std::vector<JunkCandidate> candidates_;
    size_t candidatesPerRound_ = 1;
    std::unique_ptr<CCandidateProber> prober_;
    // Small-icon indices by lower-case extension, for one scan.
    std::map<std::wstring, int> iconCache_;

    // Deletion run state
    CStringArray emptyNow_;
    CStringArray parents_;
    // The items this run handed to the Recycle Bin, and those it saw leave their place (no
    // longer named by their paths), by found-list position.
    std::vector<bool> sentToBin_;
    std::vector<bool> goneNow_;
    CRemovalCheck removed_; // deleted for good, where they stand not yet told
    BOOL lastDirectResult_ = TRUE;
    int lastDirectIndex_ = -1; // the item of that result
};
