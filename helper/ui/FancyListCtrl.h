// CFancyListCtrl: an owner-drawn report list with a check-box column, an image column and a
// title-and-description column whose description wraps over several lines.
#pragma once

#include <windows.h>

#include <classlib/Array.h>
#include <classlib/CommonControls.h>
#include <classlib/Gdi.h>
#include <classlib/MessageMap.h>
#include <classlib/String.h>

// The kinds of row.
enum FancyRowKind : int {
    kFancyRowNormal = 0,
    kFancyRowHeading = 1,
};

class CFancyListCtrl : public CListCtrl {
    DECLARE_DYNAMIC(CFancyListCtrl)
    DECLARE_MESSAGE_MAP()
public:
    CFancyListCtrl();
    ~CFancyListCtrl() override;

    // Each insert answers the new column's index, or -1 (the kind exists or an argument is
    // refused).
    int InsertColumn(int column, LPCWSTR heading, int format = LVCFMT_LEFT, int width = -1,
                     int subItem = -1);
    int InsertCheckColumn(int column, LPCWSTR heading, int width, int subItem = -1);
    int InsertImageColumn(int column, LPCWSTR heading, CImageList* list, int width,
                          int subItem = -1);
    int InsertDescriptionColumn(int column, LPCWSTR heading, int width, int subItem = -1);

    [[nodiscard]] BOOL SetMaxLines(int lines);
    [[nodiscard]] BOOL SetItemTexts(int item, LPCWSTR title, LPCWSTR description,
                                    int kind = kFancyRowNormal);
    BOOL GetCheck(int item) const;
    BOOL DeleteAllItems();
    int GetItemImage(int item) const;
    int GetRowHeight() const { return m_nRowHeight; }

    // Splits text into the lines that fit rect's width in the DC's font and draws them from
    // the top of rect (unless measureOnly; skipDrawing only advances). The line count, capped
    // at the maximum lines.
    int WrapText(CDC* dc, LPCWSTR text, const RECT* rect, BOOL measureOnly, BOOL skipDrawing);
    void RecalcRowHeight();
    // Makes the list view ask for the row height again.
    void ForceMeasureItems();
    // Flips the check of the row under client coordinate y.
    void ToggleCheckAt(int y);

    void PreSubclassWindow() override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    void DrawItem(LPDRAWITEMSTRUCT dis) override;
    void MeasureItem(LPMEASUREITEMSTRUCT mis) override;

    // Set by the owner: while suspended, drawing, header handling and measuring on insertion
    // are skipped; rows are filled in a second colour when the two background colours differ.
    bool m_bSuspended = false;
    COLORREF m_crBackground1 = RGB(255, 255, 255);
    COLORREF m_crBackground2 = RGB(255, 255, 255);
    bool m_bImageColumnLocked = false;

protected:
    void OnInsertItem(NMHDR* header, LRESULT* result);
    void OnDeleteItem(NMHDR* header, LRESULT* result);
    void OnLButtonDown(UINT flags, CPoint point);

private:
    int DescriptionWidth() const;
    int MeasureDescriptionLines(CDC* dc, const CString& description);
    void ApplyRowHeightRules();
    void RaiseRowHeight(int needed);
    void RemeasureKeepingTop();
    void DrawDescriptionColumn(CDC* dc, const RECT& item, int row, int x, int width);

    bool m_bDeletingAll = false;
    int m_nMaxLines = 100;
    int m_nCheckColumn = -1;
    int m_nImageColumn = -1;
    int m_nDescriptionColumn = -1;
    CImageList* m_pImageList = nullptr; // not owned
    CImageList m_checkImages;           // 0 unchecked, 1 checked
    CFont m_titleFont;
    CFont m_descriptionFont;
    CFont m_headingFont;
    CByteArray m_checked;
    CArray<int, int> m_images;
    CStringArray m_titles;
    CStringArray m_descriptions;
    CArray<int, int> m_kinds;
    int m_nRowHeight = 22;
    CRect m_rcIcon{0, 0, 32, 32};
    int m_nTitleLineHeight = 13;
    int m_nDescriptionLineHeight = 13;
    CString m_strBreakChars{L" \\\t"};
};
