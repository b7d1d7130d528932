// CDlgScan4Cleanup: the junk cleaner's clean-up page: starts the engine's deletion of the
// checked items, shows its progress, and ends on the summary page.
#pragma once

#include <windows.h>

#include <DlgLeftSideChild.h>
#include <HoverButtonWithText.h>
#include <TransparentStatic2.h>
#include <classlib/CommonControls.h>
#include <classlib/MessageMap.h>

#include "JunkWizard.h"

#include <memory>

class CDlgScan4Cleanup : public CDlgLeftSideChild {
    DECLARE_MESSAGE_MAP()
public:
    explicit CDlgScan4Cleanup(CWnd* parent = nullptr);
    ~CDlgScan4Cleanup() override;

    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}

    // The cleaning's start (timer 101, after the animation): the checked items go to the
    // engine's delete worker.
    void StartCleaning();
    // The indices handed to the engine by the last start.
    const CIndexArray* Selection() const { return m_selection.get(); }

    CProgressCtrl m_progress;
    CStatic m_currentFile;
    CHoverButtonWithText m_stopButton;
    CAnimateCtrl m_animation;
    bool m_bDirectRemove = false;
    CRect m_descriptionRect{63, 180, 560, 235};

protected:
    void OnPaint();
    void OnSize(UINT type, int cx, int cy);
    void OnTimer(UINT_PTR id);
    HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT type);
    void OnStop();
    void StopAnimation();
    LRESULT OnDeleteOutput(WPARAM wParam, LPARAM lParam);
    LRESULT OnDeleteFinished(WPARAM wParam, LPARAM lParam);

private:
    std::unique_ptr<CIndexArray> m_selection;
    // The found list's length when this cleaning started.
    int m_nItemsBefore = 0;
};

// The restore point is offered once per program run; tests reset it.
extern bool g_bJunkRestorePointOffered;
