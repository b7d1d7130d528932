// CDlgDuppOptions: the duplicate finder's settings page of the options tab: five tabs (match
// criteria, file types, ignore list, removal, saved scan results), one shown at a time.
#pragma once

#include "DlgDFIgnoreList.h"
#include "DlgDFRemoval.h"
#include "DlgDFTypeofFileSearch.h"
#include "DlgDFileMatchCrit.h"
#include "DlgLastScanResults.h"

#include <DlgLeftSideChild.h>
#include <HoverButtonWithText.h>

class CDlgDuppOptions : public CDlgLeftSideChild {
    DECLARE_DYNAMIC(CDlgDuppOptions)
    DECLARE_MESSAGE_MAP()
public:
    static constexpr int kTabCount = 5;
    static constexpr int kRemovalTab = 3;

    explicit CDlgDuppOptions(CWnd* parent = nullptr);
    ~CDlgDuppOptions() override;

    BOOL OnInitDialog() override;
    // Shows tab `index` (0 to 4); the last one first refreshes the saved results.
    void SelectTab(int index);
    CWnd* ShownPage() const { return m_pShownPage; }

    CDlgDFileMatchCrit m_matchCriteria;
    CDlgDFTypeofFileSearch m_fileTypes;
    CDlgDFIgnoreList m_ignoreList;
    CDlgDFRemoval m_removal;
    CDlgLastScanResults m_lastScans;

protected:
    void OnTabButton(UINT id);
    void OnSize(UINT type, int cx, int cy);
    void OnPaint();
    CWnd* Page(int index);

    CHoverButtonWithText m_tabButtons[kTabCount];
    CWnd* m_pShownPage = nullptr;
    int m_nSelectedTab = kTabCount - 1;
};
