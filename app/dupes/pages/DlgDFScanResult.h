// CDlgDFScanResult: the duplicate finder's results page: starts the grouping after a walk or
// a load, lists the duplicates group by group with a check box per file, filters them by file
// type, offers group selections, and removes the checked files on a worker thread (to the
// Recycle Bin, or into a zip backup and then for good).
#pragma once

#include <DupeFinder.h>
#include <DupeRemover.h>
#include <owners/WinOwners.h>

#include <DlgLeftSideChild.h>
#include <HoverButtonWithText.h>

#include <classlib/CommonControls.h>

#include <atomic>
#include <map>
#include <utility>
#include <vector>

class CDlgGroupingSorting;

class CDlgDFScanResult : public CDlgLeftSideChild {
    DECLARE_DYNAMIC(CDlgDFScanResult)
    DECLARE_MESSAGE_MAP()
public:
    static constexpr UINT_PTR kGroupingEndTimer = 101;
    static constexpr int kFilterNone = -1;
    static constexpr int kFilterAll = 5;

    explicit CDlgDFScanResult(CWnd* parent = nullptr);
    ~CDlgDFScanResult() override;

    BOOL OnInitDialog() override;

    // Groups what the finder holds (after a walk, or a load when `fromLoad`) behind the
    // grouping window, then lists it.
    void StartGrouping(bool fromLoad);
    // The grouping's progress (on the grouping thread); `page` is this page.
    static void GroupingCallback(BOOL done, int percent, LPVOID page);
    void AttachGroupingWindow(CDlgGroupingSorting* window, CProgressCtrl* percentBar);
    // The filling window's progress bar and percentage text (null when it closes).
    void AttachFillingWindow(CProgressCtrl* bar, CWnd* percentText);
    // Fills the list from the current filter's duplicates; true when done (also when stopped).
    bool FillingProcess();
    // The walk's outcome line.
    void SetScanStatus(const CString& text, COLORREF colour);
    // The scan's locations that could not be read (set by the walk's thread before it ends).
    void SetUnreadLocations(std::vector<CString> locations) {
        m_unreadLocations = std::move(locations);
    }

    void ApplyFilter(int filter);
    void RecomputeSelectionTotals();
    // Group selections on the group of the selected row.
    void SelectAllButFirst();
    void SelectAllButLast();
    void UnselectGroup();
    void OnBnClickedCleanSystem();
    void OnCancelResults();
    // The cleaning page's cancel.
    void CancelCleaning() { m_cancel = true; }
    [[nodiscard]] bool WaitForCleaning(DWORD timeoutMs);

    CRect ListRectOnScreen() const;
    void ShowList(bool show);
    // The records listed under the current filter.
    const std::vector<CDupeFile*>& ShownList() const;

    int m_nFilter = kFilterNone;
    int m_nDuplicates = 0;
    std::vector<CString> m_unreadLocations;
    int m_nChecked = 0;
    ULONGLONG m_nCheckedBytes = 0;
    ULONGLONG m_nListedBytes = 0;
    bool m_bSuppressItemChange = false;
    bool m_bStopFilling = false;
    DWORD m_nRemovalOption = 1;
    CString m_strBackupFolder;
    CString m_strArchivePath;
    CString m_strHeading;
    CString m_strScanStatus;
    COLORREF m_clrScanStatus = RGB(0, 130, 44);
    DupeRemovalOutcome m_lastOutcome;
    CListCtrl m_list;

protected:
    static unsigned __stdcall CleaningThreadProc(void* page);
    void RunCleaning();
    LRESULT OnGroupingDone(WPARAM hasRecords, LPARAM);
    LRESULT OnCleaningDone(WPARAM, LPARAM);
    void OnTimer(UINT_PTR id);
    void InsertRow(int index, const CDupeFile& file);
    int IconFor(const CString& name);
    int GroupOfRow(int row) const;
    void SetGroupChecks(int mode);
    void OnItemChanged(NMHDR* header, LRESULT* result);
    void OnCustomDraw(NMHDR* header, LRESULT* result);
    void OnRightClick(NMHDR* header, LRESULT* result);
    void OnViewFile();
    void OnOpenFileLocation();
    void OnFilterAll() { ApplyFilter(kFilterAll); }
    void OnFilterImages() { ApplyFilter(kDupeImage); }
    void OnFilterMusic() { ApplyFilter(kDupeMusic); }
    void OnFilterVideo() { ApplyFilter(kDupeVideo); }
    void OnFilterDocuments() { ApplyFilter(kDupeDocument); }
    void OnFilterCompressed() { ApplyFilter(kDupeCompressed); }
    void OnPaint();
    void OnSize(UINT type, int cx, int cy);

    std::atomic<HWND> m_hGroupingWindow{nullptr};
    std::atomic<HWND> m_hGroupingBar{nullptr};
    std::atomic<int> m_nLastPercent{-1};
    CProgressCtrl* m_pFillingBar = nullptr;
    CWnd* m_pFillingPercent = nullptr;
    HZIP m_hArchive = nullptr;
    std::atomic<bool> m_cancel{false};
    KernelHandle m_cleaner;
    CImageList m_rowIcons;
    std::map<CString, int> m_iconCache;
    CProgressCtrl m_groupingBar;
    CHoverButtonWithText m_btnClean;
    CHoverButtonWithText m_btnCancel;
    CHoverButtonWithText m_filterButtons[6];
};
