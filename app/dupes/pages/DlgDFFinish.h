// CDlgDFFinish: the duplicate finder's last page: what a cleaning removed, and the ways back
// to the first page or to the locations page.
#pragma once

#include <DlgLeftSideChild.h>
#include <HoverButtonWithText.h>
#include <PanelDrawing.h>

#include <classlib/Array.h>
#include <owners/WinOwners.h>

#include <vector>

class CDlgDFFinish : public CDlgLeftSideChild {
    DECLARE_DYNAMIC(CDlgDFFinish)
    DECLARE_MESSAGE_MAP()
public:
    explicit CDlgDFFinish(CWnd* parent = nullptr);
    ~CDlgDFFinish() override;

    BOOL OnInitDialog() override;
    // Computes the figures of a cleaning that selected `selected` files and removed `removed`
    // (set by the cleaning with the bytes freed and the files found), and records them on the
    // welcome page.
    void FinishComputation(int selected, int removed);
    void SetStatus(LPCWSTR headingKey, COLORREF colour);

    int m_nDuplicatesFound = 0;
    ULONGLONG m_nBytesFreed = 0;
    CString m_strHeading;
    COLORREF m_clrHeading = 0x2C8200;
    bool m_bAllRemoved = true;
    LONGLONG m_nRemaining = 0;
    CString m_strRemaining;
    CStringArray m_labels;
    CStringArray m_values;
    CDWordArray m_colours;
    CIconArray m_icons;
    // The icons of m_icons, owned for the page's life.
    std::vector<IconHandle> m_iconOwners;

protected:
    void OnPaint();
    void OnSize(UINT type, int cx, int cy);
    void OnFinish();
    void OnDeleteMore();

    CHoverButtonWithText m_btnAction;
    CHoverButtonWithText m_btnNonAction;
};
