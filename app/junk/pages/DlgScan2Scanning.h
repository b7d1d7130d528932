// CDlgScan2Scanning: the junk cleaner's scanning page. It owns the engine for the program's
// lifetime, starts a scan over the chosen locations, shows its progress, and passes the
// deletion's messages on to the clean-up page.
#pragma once

#include <windows.h>

#include <DlgLeftSideChild.h>
#include <HoverButtonWithText.h>
#include <classlib/CommonControls.h>
#include <classlib/MessageMap.h>
#include <classlib/String.h>

#include "BitmapBackgroundList.h"
#include "JunkWizard.h"

class CDlgScan2Scanning : public CDlgLeftSideChild, public CDlgBaseUIGuidelines {
    DECLARE_MESSAGE_MAP()
public:
    explicit CDlgScan2Scanning(CWnd* parent = nullptr);
    ~CDlgScan2Scanning() override;

    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}

    // Empties the labels and the progress bar before a scan (the home page's start).
    void ResetProgress();
    // The scan start (timer 102): locations, options, then the engine's thread.
    void StartScan();
    // The current-item label's text for a path: spaces at 90 and 171 so that it wraps.
    static CString WrapPathText(const CString& path);
    // The bar's position: the locations done, and the engine's percent of the current one
    // (which measures the whole volume's used bytes, so a small folder hardly moves it), each
    // location an equal share.
    static int OverallScanPercent(int location, int locations, int locationPercent);

    CHoverButtonWithText m_stopButton;
    CProgressCtrl m_progress;
    CStatic m_currentItem;
    CStatic m_progressText;
    CBitmapBackgroundList m_locationList;
    CStatic m_foundCount;
    CImageList m_images;
    int m_nFound = 0;
    int m_nCurrentRow = 0;

protected:
    void OnPaint();
    void OnTimer(UINT_PTR id);
    void OnStop();
    void MarkCurrentRowDone();
    void ShowFoundCount();
    void ShowProgress(int percent);
    void FillLocationList(const CString& locations);
    void AfterScan();

    LRESULT OnScanOutput(WPARAM wParam, LPARAM lParam);
    LRESULT OnItemFound(WPARAM wParam, LPARAM lParam);
    LRESULT OnLocationChange(WPARAM wParam, LPARAM lParam);
    LRESULT OnScanStopped(WPARAM wParam, LPARAM lParam);
    // A location that could not be read was not searched: the user is told which, so that no
    // "found: 0" passes for a clean drive.
    void TellUnreadLocations();
    LRESULT OnScanFinished(WPARAM wParam, LPARAM lParam);
    LRESULT OnDeleteOutput(WPARAM wParam, LPARAM lParam);
    LRESULT OnDeleteFinished(WPARAM wParam, LPARAM lParam);

private:
    bool m_blinkOn = false;
    unsigned m_outputMessages = 0;
    CString m_lastPathShown;
    int m_lastPercent = -1;
};
