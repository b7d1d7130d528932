// CDiskToolsPage: the base of the disk tools' pages: the page painted with its caption (the
// page description) and without the title icon, the physical drive combo's row, report lists
// with their columns from the tools' section, and placing controls in pixels.
#pragma once

#include "DiskToolsState.h"

#include <DlgLeftSideChild.h>
#include <HoverButtonWithText.h>

#include <classlib/CommonControls.h>
#include <classlib/Controls.h>

#include <initializer_list>

struct ListColumn {
    const wchar_t* key; // column title in the tools' section
    int width;
    int format; // LVCFMT_LEFT, LVCFMT_RIGHT or LVCFMT_CENTER
};

class CDiskToolsPage : public CDlgLeftSideChild {
    DECLARE_MESSAGE_MAP()
public:
    CDiskToolsPage(UINT templateId, CWnd* parent) : CDlgLeftSideChild(templateId, parent) {}

    // The row of the selected drive in the tables, or null when none is selected.
    static const PhysicalDriveInfo* SelectedDrive();

protected:
    void OnPaint();
    // Places the page's controls for its client area (on every size change).
    virtual void Layout(int cx, int cy) = 0;
    void LayOutPage();
    void OnSize(UINT type, int cx, int cy);
    void PlaceControl(int id, int x, int y, int width, int height);
    // Grid lines and full-row selection, then the columns.
    void SetUpReportList(CListCtrl& list, int id, std::initializer_list<ListColumn> columns);
    // The drive label ("IDC_STATIC" of the template's section) and the combo filled from the
    // tables, at the top of the page.
    void SetUpDriveCombo(LPCWSTR section);
    // Stores the combo's choice as the selected drive and posts kDriveSelectionChanged.
    void OnDriveComboChange();
    // A skinned text button in place of the template's, with its caption from `section`; the
    // skin's 120 x 28 strip unless another is given.
    void SetUpTextButton(CHoverButtonWithText& button, int id, LPCWSTR key, LPCWSTR section,
                         UINT strip = 0);

    CComboBox m_driveCombo;
};

// Appends a row of texts; the row's index.
int AppendListRow(CListCtrl& list, std::initializer_list<LPCWSTR> texts);
