// The duplicate finder: holds every file a scan recorded, sorts each set (all files and each
// file type) by one multi-criteria comparison, cuts runs of equal files into groups, and hands
// the grouped files to the results page. The application owns its one instance.
#pragma once

#include <windows.h>

#include <classlib/Archive.h>
#include <classlib/Array.h>
#include <classlib/Object.h>
#include <classlib/String.h>

#include "DupeFile.h"
#include "FileDigester.h"

#include <owners/WinOwners.h>

#include <atomic>
#include <memory>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

// The criteria of the comparison. A scan or grouping takes name, size, last-write time,
// content and the size limit from the settings; creation time and the extra flag come only
// from a loaded last-scan file.
struct DupeMatchOptions {
    bool name = true;
    bool size = true;
    bool creationTime = false;
    bool lastWriteTime = false;
    bool extra = false;
    bool content = false;
    bool sizeLimit = true;
};

// Criteria at least as strict as both: a loaded result is verified again by what it was
// grouped with and by what the user compares now (the size limit only when both take it).
DupeMatchOptions StricterCriteria(const DupeMatchOptions& stored, const DupeMatchOptions& current);

// The sets, in the order they are grouped.
enum DupeSet : int {
    kSetAllFiles = 0,
    kSetVideo,
    kSetMusic,
    kSetDocument,
    kSetImage,
    kSetCompressed,
    kDupeSetCount
};

// The set that holds a file type besides the all-files set; kSetAllFiles for "other".
DupeSet DupeSetOfCategory(int category);

// Progress of a grouping: done flag, percentage (it may pass 100 near the end), user value.
using DupeProgressCallback = void (*)(BOOL done, int percent, LPVOID userValue);

class CDupeFinder;

// What the grouping thread is started with; the thread deletes it when it ends.
struct CDupeFinderCalculatorParams {
    DupeProgressCallback pfnCallback = nullptr;
    LPVOID pUserValue = nullptr;
    CDupeFinder* pFinder = nullptr;
    bool fromLoad = false; // a loaded last-scan file is grouped: no new one is written
};

// One file the walk found.
struct DupeFoundFile {
    CString name; // as the file system reports it
    DWORD attributes = 0;
    FILETIME creationTime = {};
    FILETIME lastWriteTime = {};
    ULONGLONG size = 0;
    DupeFileIdentity identity;
};

class CDupeFinder : public CObject {
    DECLARE_DYNAMIC(CDupeFinder)
public:
    enum class LoadResult { kLoaded, kEmpty, kDamaged, kOutsideLocations };
    // While contents are compared, the files of a run equal by the other criteria are held
    // together (this many at most; a longer run is read file by file) and first read this far:
    // only files whose first bytes another file of the run shares are read on.
    static constexpr size_t kMostFilesHeldPerRun = 64;
    static constexpr DWORD kFirstBlockBytes = 65536;

    CDupeFinder();
    ~CDupeFinder() override;
    CDupeFinder(const CDupeFinder&) = delete;
    CDupeFinder& operator=(const CDupeFinder&) = delete;

    // Empties the locations, records, lists and groups. A grouping that still runs is
    // stopped and waited for first, so its thread never reads a finder being emptied.
    void Reset();
    // Deletes the groups of every set (before each new grouping); a grouping that still runs
    // is stopped and waited for first.
    void DeleteGroups();

    // Records one file found in `folder`. False when it is left out: empty while content is
    // compared, of a file type not searched, times that cannot be read, or a file already
    // recorded (the same file reached again through another mask or path). The walk adds each
    // location it walks to Locations(), which the last-scan file records.
    bool CreateDupeFileItem(const DupeFoundFile& found, const CString& folder);
    // File types a scan records (kDupeMusic .. kDupeCompressed); empty records every file.
    void SetSearchedTypes(std::vector<int> types) { m_searchedTypes = std::move(types); }

    DupeMatchOptions& Options() { return m_options; }
    const DupeMatchOptions& Options() const { return m_options; }
    CStringArray& Locations() { return m_locations; }

    // Starts the grouping thread; false when one still runs or the thread cannot start.
    [[nodiscard]] bool StartGrouping(DupeProgressCallback callback, LPVOID userValue,
                                     bool fromLoad);
    // The user interface's stop: comparisons, digests, the grouping walk and the filling end.
    void StopGrouping() { m_keepRunning = false; }
    void SetKeepRunning(bool keepRunning) { m_keepRunning = keepRunning; }
    bool KeepRunning() const { return m_keepRunning; }
    bool IsGrouping() const;
    // Waits for the grouping thread, handling the messages it sends to this thread's windows
    // meanwhile; false when it still runs after `timeoutMs`.
    [[nodiscard]] bool WaitForGrouping(DWORD timeoutMs);

    // Sorts one set's files and cuts runs of equal ones into its groups.
    void GroupFiles(DupeSet set);
    // Moves every grouped record into its set's duplicates list, numbering the groups, and
    // deletes the records that have no duplicate (after the grouping thread has returned).
    void FillSortedDupeFiles();

    // Where the grouping writes the last-scan file (the application's data folder by default).
    void SetLastScanFolder(const CString& folder) { m_strLastScanFolder = folder; }
    const CString& GetLastScanFolder() const { return m_strLastScanFolder; }
    // Writes the all-files set as a last-scan file named after the local time `now`; the
    // file's path, or empty when it could not be written (nothing is left behind then).
    CString WriteLastScanFile(const SYSTEMTIME& now);
    // The last-scan layout: count, seven option bytes, the records (between two sentinels
    // when there are two or more), then the scanned locations (a count and the strings).
    void Store(CArchive& ar) const;
    // Loads a last-scan file. kEmpty (a count of 0 or less), kDamaged (anything not in the
    // layout, checked to the last byte) and kOutsideLocations (a record whose path is not
    // literally within a recorded location) leave the finder as it was. What is loaded is a
    // hint: the next grouping first resolves every record to the file its path names now
    // (dropping what is gone or not a plain file, merging records of one file, taking sizes and
    // times from the disk, clearing the removal mark of a file changed since it was saved) and
    // reads every content again; no stored digest is used.
    [[nodiscard]] LoadResult Load(CArchive& ar);

    // What the results page reads once the grouping has ended.
    const std::vector<CDupeFile*>& Files(DupeSet set) const { return m_files[set]; }
    const std::vector<CDupeGroup>& Groups(DupeSet set) const { return m_groups[set]; }
    const std::vector<CDupeFile*>& Duplicates(DupeSet set) const { return m_duplicates[set]; }
    size_t TotalRecords() const;
    int CurrentPercent() const { return m_nPercent; }

    // Windows of the user interface the grouping writes to while they exist: the text that
    // shows the file being digested, and the results page's grouping progress bar.
    void SetDigestFileWindow(HWND window) { m_hDigestFileWindow = window; }
    void SetGroupingProgressBar(HWND bar) { m_hGroupingProgressBar = bar; }
    // Called on the grouping thread when a set's grouping walk begins (the grouping window
    // moves to its grouping step).
    void SetGroupingStepHook(void (*hook)(LPVOID), LPVOID context) {
        m_pfnGroupingStep = hook;
        m_pGroupingStepContext = context;
    }

private:
    static unsigned __stdcall GroupingThreadProc(void* params);
    void RunGrouping(const CDupeFinderCalculatorParams& params);
    // Waits for a grouping that still runs, stopping it first when `stop` is set.
    void EndGrouping(bool stop);
    void ReportProgress(int percent);
    void SetProgressBar(int percent) const;

    // Order of two records by the criteria without content (pure and cheap).
    int CompareWithoutContent(const CDupeFile& left, const CDupeFile& right) const;
    // The full comparison; content is compared from digests already computed.
    int Compare(const CDupeFile& left, const CDupeFile& right) const;
    // Computes the digests of every run of files equal by the cheap criteria; false when the
    // grouping was stopped meanwhile.
    bool DigestCandidates(std::vector<CDupeFile*>& files);
    // Digests one file; `showPath` puts its path in the digest-file window.
    void DigestOne(CFileDigester& digester, CDupeFile& file, bool showPath);
    // Digests the unread files of one run of files equal by the cheap criteria, reading each
    // whole only where its first bytes do not tell it from every other file of the run; the
    // number of files it took.
    size_t DigestRun(CFileDigester& digester, const std::vector<CDupeFile*>& run, bool showPath);
    void ClearRecords();
    // Files a set again from the records, in their order.
    void RebuildFileSets();
    // Resolves loaded records to the files their paths name now (see Load).
    void ResolveLoadedRecords();

    CStringArray m_locations;
    std::vector<std::unique_ptr<CDupeFile>> m_records; // owns every record
    std::vector<CDupeFile*> m_files[kDupeSetCount];
    std::vector<CDupeGroup> m_groups[kDupeSetCount];
    std::vector<CDupeFile*> m_duplicates[kDupeSetCount];

    // Files recorded so far, so that one file is never recorded twice: by volume and file
    // number, or by path for files whose identity could not be read.
    struct ItemKeyHash {
        size_t operator()(const std::pair<DWORD, ULONGLONG>& key) const {
            return std::hash<ULONGLONG>()(key.second * 31 + key.first);
        }
    };
    std::unordered_set<std::pair<DWORD, ULONGLONG>, ItemKeyHash> m_recordedIdentities;
    std::unordered_set<std::wstring> m_recordedPaths; // lower case, for files without identity
    ULONGLONG m_nNextSerial = 0;
    bool m_bLoadedUnresolved = false; // the records came from a file and were not resolved yet

    DupeMatchOptions m_options;
    std::vector<int> m_searchedTypes;
    CString m_strLastScanFolder;

    KernelHandle m_groupingThread;
    std::atomic<bool> m_keepRunning{false};
    DupeProgressCallback m_pfnCallback = nullptr;
    LPVOID m_pUserValue = nullptr;
    size_t m_nTotalRecords = 0;
    size_t m_nGroupingSteps = 0;
    std::atomic<int> m_nPercent{0};

    HWND m_hDigestFileWindow = nullptr;
    HWND m_hGroupingProgressBar = nullptr;
    void (*m_pfnGroupingStep)(LPVOID) = nullptr;
    LPVOID m_pGroupingStepContext = nullptr;
};
