// CDlgGroupingSorting: the pop-up that starts the finder's grouping thread and shows its steps
// (content digests, grouping, sorting) and the percentage of the current one; Stop ends the
// grouping and returns the wizard to its first page.
#pragma once

#include <DlgBaseChildPopUpWndBase.h>
#include <HoverButtonWithText.h>

#include <classlib/CommonControls.h>

class CDlgGroupingSorting : public CDlgBaseChildPopUpWndBase {
    DECLARE_DYNAMIC(CDlgGroupingSorting)
    DECLARE_MESSAGE_MAP()
public:
    // Sent (from the grouping thread too) to move to a step: wParam the step type.
    static constexpr UINT kSetStepMessage = WM_APP + 42;

    // `fromLoad`: the grouping of a loaded last-scan file (no new one is written).
    CDlgGroupingSorting(CWnd* parent, bool fromLoad);
    ~CDlgGroupingSorting() override;

    BOOL OnInitDialog() override;
    void SetStep(int stepType);
    // The step the grouping walk of each set is in (2 of 2, or 2 of 3).
    int GroupingStep() const { return m_nStepCount == 2 ? 1 : 2; }
    void OnStop();

    int m_nStepCount = 2;
    int m_nStepType = 0;
    bool m_bStarted = false;

protected:
    static void OnGroupingWalkBegins(LPVOID window);
    LRESULT OnSetStepMessage(WPARAM step, LPARAM);
    HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT type);
    void OnPaint();
    void OnSize(UINT type, int cx, int cy) override;

    bool m_bFromLoad;
    CProgressCtrl m_percentBar;
    CProgressCtrl m_stepBar;
    CHoverButtonWithText m_btnStop;
    CRect m_rcNote;
};
