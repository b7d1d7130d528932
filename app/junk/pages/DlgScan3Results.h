// CDlgScan3Results: the junk cleaner's results page: the found items in three groups with a
// check box, a details link and a checked-of-total count each, the size a cleaning frees, and
// the clean and cancel buttons.
#pragma once

#include <windows.h>

#include <DlgLeftSideChild.h>
#include <HoverButtonWithText.h>
#include <HyperLinkBtn.h>
#include <classlib/Controls.h>
#include <classlib/MessageMap.h>

#include "JunkWizard.h"

class CDlgScan3Results : public CDlgLeftSideChild {
    DECLARE_MESSAGE_MAP()
public:
    explicit CDlgScan3Results(CWnd* parent = nullptr);
    ~CDlgScan3Results() override;

    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}

    // Check boxes, links and the clean button from the category totals.
    void RefreshControls();
    void FocusFirstControl();
    // The clean button without its question: shows the clean-up page and starts it.
    void StartCleaning();
    // The clean button answers clicks only half a second after the page appeared: it appears
    // where the scanning page's Stop and the summary's Continue stood, and a click aimed at
    // those must not start a cleaning.
    bool IsCleanArmed() const;
    static constexpr DWORD kCleanArmingMs = 500;
    // The clock of the arming; tests replace it (null restores GetTickCount).
    using TickSource = DWORD(WINAPI*)();
    static void SetTickSource(TickSource source);
    // Opens the details pop-up with a filter (0 Temp, 1 Junk, 2 Folders, 3 all), then
    // recounts and refreshes.
    void ShowDetails(int filter);

    CButton m_junkCheck;
    CButton m_tempCheck;
    CButton m_foldersCheck;
    CHyperLinkBtn m_junkLink;
    CHyperLinkBtn m_tempLink;
    CHyperLinkBtn m_allLink;
    CHyperLinkBtn m_foldersLink;
    CHoverButtonWithText m_cleanButton;
    CHoverButtonWithText m_cancelButton;

protected:
    void OnPaint();
    // Draws what stands behind the controls, for the links that draw on it (see PaintGround).
    BOOL OnEraseBkgnd(CDC* dc);
    // The page's ground: white, the title and the rounded panel behind the groups.
    void PaintGround(CDC& dc, const CRect& client);
    void OnSize(UINT type, int cx, int cy);
    void OnShowWindow(BOOL show, UINT status);
    HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT type);
    void OnGroupCheck(JunkGroup group, CButton& box);
    void OnJunkCheck() { OnGroupCheck(JunkGroup::kJunk, m_junkCheck); }
    void OnTempCheck() { OnGroupCheck(JunkGroup::kTemp, m_tempCheck); }
    void OnFoldersCheck() { OnGroupCheck(JunkGroup::kFolders, m_foldersCheck); }
    void OnJunkDetails() { ShowDetails(1); }
    void OnTempDetails() { ShowDetails(0); }
    void OnAllDetails() { ShowDetails(3); }
    void OnFoldersDetails() { ShowDetails(2); }
    void OnClean();
    void OnCancelResults();

private:
    CRect m_bottomNoteRect;
    DWORD m_shownTick = 0;
};
