// CPage1Dlg: the disk-check page: the fixed drives with check boxes, and the start of a check by
// the system's disk checker at the next start of Windows for the ticked ones.
#pragma once

#include "BootCheck.h"
#include "DiskToolsPage.h"

#include <vector>

class CPage1Dlg : public CDiskToolsPage {
    DECLARE_MESSAGE_MAP()
public:
    explicit CPage1Dlg(CWnd* parent = nullptr);

    BOOL OnInitDialog() override;
    void FillDriveList();
    // Ticks the drives of "CheckedDrives", or the system drive when none is stored.
    void RestoreCheckedDrives();
    void SaveCheckedDrives();
    // The drive letters of the ticked rows, in row order.
    std::vector<wchar_t> TickedLetters() const;

    CListCtrl m_driveList;
    CImageList m_driveImages;
    CHoverButtonWithText m_startButton;
    // What the last start did (for whoever wants to know; the page shows it through dialogs).
    DiskCheckOutcome m_lastOutcome;

protected:
    void OnPaint();
    void Layout(int cx, int cy) override;
    void OnBnClickedStartDiskCheck();
    // A row's tip: its drive's summary text.
    void OnDriveInfoTip(NMHDR* header, LRESULT* result);
};
