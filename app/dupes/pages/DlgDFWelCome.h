// CDlgDFWelCome: the duplicate finder's first page: what the last scan and cleaning did, and
// the way to the locations page. It keeps the "LastScanStatusDFR" values current.
#pragma once

#include <DlgLeftSideChild.h>
#include "DupeStartButton.h"

#include <classlib/Array.h>
#include <owners/WinOwners.h>

class CDlgDFWelCome : public CDlgLeftSideChild {
    DECLARE_DYNAMIC(CDlgDFWelCome)
    DECLARE_MESSAGE_MAP()
public:
    explicit CDlgDFWelCome(CWnd* parent = nullptr);
    ~CDlgDFWelCome() override;

    BOOL OnInitDialog() override;
    void OnBnClickedBtnSelectLcoationsToScan();

    // Writes the two status lines (set by the caller) and shows them.
    void StoreStatusLines();
    // Writes status line 1 as "ErrorString" and shows `text` in the panel's information line.
    void StoreErrorString(const CString& text);
    // Stamps the current date and time as the last scan's.
    void StampLastScanDate();
    // Adds to the running total of removed duplicates and reports it to the launcher.
    void AddCleanedFiles(DWORD count);

    CString m_strStatusLine1;
    CString m_strStatusLine2;
    CString m_strLastScanDate;
    DWORD m_nCleanedTotal = 0;
    CString m_strCleanedTotal;
    CStringArray m_labels;
    CStringArray m_values;
    CDWordArray m_colours;

protected:
    void ReadLastScanValues();
    void SetPanelInfo(const CString& text);
    void OnPaint();
    void OnSize(UINT type, int cx, int cy);

    CDupeStartButton m_btnSelectLocations;
    // The page's icon (1294), beside the select-locations button.
    IconHandle m_pageIcon;
};

// Where the welcome page draws its pictures: the framework's exported title bitmap under the
// description, and the page icon (32 x 32) left of the select-locations button.
inline constexpr POINT kWelcomeRulePlace{21, 121};
inline constexpr POINT kWelcomeIconPlace{137, 206};
