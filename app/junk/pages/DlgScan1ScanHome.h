// CDlgScan1ScanHome: the junk cleaner's first page: what the cleaner does, the last scan's
// summary and the start of a scan.
#pragma once

#include <windows.h>

#include <DlgLeftSideChild.h>
#include <HoverButtonTextPng.h>
#include <classlib/Array.h>
#include <classlib/MessageMap.h>
#include <classlib/String.h>

#include "JunkWizard.h"

// The start button: the skin's strip and glyph, and the caption beside the glyph.
class CStartScanButton : public CHoverButtonTextPng {
public:
    void DrawItem(LPDRAWITEMSTRUCT dis) override;
};

class CDlgScan1ScanHome : public CDlgLeftSideChild, public CDlgBaseUIGuidelines {
    DECLARE_MESSAGE_MAP()
public:
    explicit CDlgScan1ScanHome(CWnd* parent = nullptr);
    ~CDlgScan1ScanHome() override;

    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}

    // The cleaning schedule's status text, or the not-scheduled text.
    static CString GetScheduleStatusText();
    // The four values of the summary table, as painted.
    CStringArray& SummaryValues();

    CStartScanButton m_startButton;
    CString m_strLastScan;
    CString m_strSchedule;
    CDWordArray m_colours;

protected:
    void OnPaint();
    void OnStartScan();

private:
    CStringArray m_summaryValues;
};
