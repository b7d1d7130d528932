// CDlgDFScanProgress: the duplicate finder's scan page: walks the chosen locations on a worker
// thread into the finder, shows each location's state and the folder being walked, and hands
// over to the results page, which groups what was found.
#pragma once

#include <DupeFolderWalk.h>
#include <owners/WinOwners.h>

#include <DlgLeftSideChild.h>
#include <HoverButtonWithText.h>

#include <classlib/Array.h>
#include <classlib/CommonControls.h>

#include <atomic>

class CDlgDFScanProgress : public CDlgLeftSideChild, private DupeWalkObserver {
    DECLARE_DYNAMIC(CDlgDFScanProgress)
    DECLARE_MESSAGE_MAP()
public:
    static constexpr UINT_PTR kBlinkTimer = 102;
    static constexpr UINT_PTR kHandOverTimer = 101;

    explicit CDlgDFScanProgress(CWnd* parent = nullptr);
    ~CDlgDFScanProgress() override;

    BOOL OnInitDialog() override;
    // Prepares the page and starts the walk; empty locations take the locations page's
    // choice, empty masks "*.*".
    void StartScan(const CStringArray& locations, const CStringArray& ignoreList,
                   const CStringArray& masks);
    static bool IsWalkRunning() { return s_running.load() != 0; }
    // Waits (handling this thread's messages) until no walk runs; false after `timeoutMs`.
    [[nodiscard]] bool WaitForWalk(DWORD timeoutMs);
    void OnStop();

    CStringArray m_locations;
    CStringArray m_ignoreList;
    CStringArray m_masks;
    int m_nCurrent = 0;

protected:
    static unsigned __stdcall FileFindThreadProc(void* page);
    void RunWalk();
    void OnFolderEntered(const CString& folder) override;
    void OnLocationDone(int index) override;
    void SetRowState(int row, LPCWSTR textKey, int icon);
    LRESULT OnWalkState(WPARAM started, LPARAM);
    void OnTimer(UINT_PTR id);
    void OnPaint();
    void OnSize(UINT type, int cx, int cy);

    static std::atomic<int> s_running;
    std::atomic<bool> m_stop{false};
    bool m_bBlink = false;
    KernelHandle m_worker;
    CListCtrl m_list;
    CImageList m_icons;
    CAnimateCtrl m_animation;
    CHoverButtonWithText m_btnStop;
    CRect m_rcNote;
};
