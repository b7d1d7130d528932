#include "FancyListCtrl.h"

#include <algorithm>

namespace {

constexpr UINT kCheckImagesBitmap = 1092;
constexpr COLORREF kTextColour = RGB(9, 18, 27);
constexpr COLORREF kStripeColour = RGB(246, 236, 202);
constexpr COLORREF kHeadingTitleColour = RGB(109, 109, 109);
constexpr COLORREF kTitleColour = RGB(85, 85, 85);
constexpr COLORREF kDescriptionColour = RGB(85, 85, 85);
constexpr UINT kSingleLine = DT_SINGLELINE | DT_NOPREFIX;

bool IsBreak(const CString& breaks, wchar_t c) {
    return breaks.Find(c) >= 0;
}

// The first break character of text at or after position from, or -1.
int FindBreak(const CString& text, const CString& breaks, int from) {
    for (int i = std::max(from, 0); i < text.GetLength(); ++i) {
        if (IsBreak(breaks, text[i]))
            return i;
    }
    return -1;
}

int ExtentOf(CDC* dc, const CString& text, int count) {
    return count <= 0 ? 0 : dc->GetTextExtent(text, std::min(count, text.GetLength())).cx;
}

CString TrimmedLeft(const CString& text) {
    CString copy(text);
    copy.TrimLeft();
    return copy;
}

CString TrimmedRight(const CString& text) {
    CString copy(text);
    copy.TrimRight();
    return copy;
}

// Splits one paragraph into lines that fit width: words are broken after a break character,
// a word wider than width stays whole.
void WrapParagraph(CDC* dc, CString p, int width, const CString& breaks, CStringArray& lines) {
    if (p.IsEmpty() || ExtentOf(dc, p, p.GetLength()) <= width) {
        lines.Add(p);
        return;
    }
    int lastFit = -1;
    for (;;) {
        const int k = FindBreak(p, breaks, lastFit < 0 ? 0 : lastFit + 1);
        if (k < 0) {
            if (lastFit < 0) {
                lines.Add(p);
            } else {
                lines.Add(TrimmedRight(p.Left(lastFit + 1)));
                const CString rest = TrimmedLeft(p.Mid(lastFit + 1));
                if (!rest.IsEmpty())
                    lines.Add(rest);
            }
            return;
        }
        if (ExtentOf(dc, p, k) <= width) {
            lastFit = k;
            continue;
        }
        const int cut = lastFit < 0 ? k : lastFit;
        lines.Add(TrimmedRight(p.Left(cut + 1)));
        p = TrimmedLeft(p.Mid(cut + 1));
        lastFit = -1;
        if (ExtentOf(dc, p, p.GetLength()) <= width) {
            if (!p.IsEmpty())
                lines.Add(p);
            return;
        }
    }
}

} // namespace

IMPLEMENT_DYNAMIC(CFancyListCtrl, CListCtrl)

BEGIN_MESSAGE_MAP(CFancyListCtrl, CListCtrl)
ON_NOTIFY_REFLECT(LVN_INSERTITEM, &CFancyListCtrl::OnInsertItem)
ON_NOTIFY_REFLECT(LVN_DELETEITEM, &CFancyListCtrl::OnDeleteItem)
XARN_MSG_ENTRY(WM_LBUTTONDOWN, ThunkMouse, &CFancyListCtrl::OnLButtonDown)
XARN_MSG_ENTRY(WM_LBUTTONDBLCLK, ThunkMouse, &CFancyListCtrl::OnLButtonDown)
END_MESSAGE_MAP()

CFancyListCtrl::CFancyListCtrl() = default;
CFancyListCtrl::~CFancyListCtrl() = default;

void CFancyListCtrl::PreSubclassWindow() {
    CListCtrl::PreSubclassWindow();
    if (m_checkImages.GetSafeHandle() == nullptr)
        m_checkImages.Create(kCheckImagesBitmap, 15, 1, RGB(255, 0, 255));
    auto makeFont = [](CFont& font, int height, int weight) {
        if (font.GetSafeHandle() == nullptr)
            font.CreateFont(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY,
                            DEFAULT_PITCH | FF_DONTCARE, L"Segoe UI");
    };
    makeFont(m_titleFont, -12, FW_BOLD);
    makeFont(m_descriptionFont, -11, FW_NORMAL);
    makeFont(m_headingFont, -15, FW_BOLD);
    m_crBackground1 = m_crBackground2 = ::GetSysColor(COLOR_WINDOW);

    HDC screen = ::GetDC(m_hWnd);
    if (screen == nullptr)
        return;
    CDC* dc = CDC::FromHandle(screen);
    CFont* previous = dc->SelectObject(&m_titleFont);
    m_nTitleLineHeight = dc->GetTextExtent(L"_X^", 3).cy;
    dc->SelectObject(&m_descriptionFont);
    m_nDescriptionLineHeight = dc->GetTextExtent(L"_X^", 3).cy;
    dc->SelectObject(previous);
    ::ReleaseDC(m_hWnd, screen);
}

BOOL CFancyListCtrl::SetMaxLines(int lines) {
    if (lines < 2 || lines > 100)
        return FALSE;
    m_nMaxLines = lines;
    return TRUE;
}

int CFancyListCtrl::InsertColumn(int column, LPCWSTR heading, int format, int width, int subItem) {
    const int index = CListCtrl::InsertColumn(column, heading, format, width, subItem);
    if (index < 0)
        return index;
    for (int* special : {&m_nCheckColumn, &m_nImageColumn, &m_nDescriptionColumn}) {
        if (*special >= index)
            ++*special;
    }
    if (m_nDescriptionColumn >= 0)
        RemeasureKeepingTop();
    return index;
}

int CFancyListCtrl::InsertCheckColumn(int column, LPCWSTR heading, int width, int subItem) {
    if (m_nCheckColumn >= 0)
        return -1;
    const int index = InsertColumn(column, heading, LVCFMT_LEFT, std::max(width, 16), subItem);
    if (index >= 0)
        m_nCheckColumn = index;
    return index;
}

int CFancyListCtrl::InsertImageColumn(int column, LPCWSTR heading, CImageList* list, int width,
                                      int subItem) {
    if (m_nImageColumn >= 0 || list == nullptr || width < 1)
        return -1;
    const int index = InsertColumn(column, heading, LVCFMT_LEFT, width, subItem);
    if (index < 0)
        return index;
    m_nImageColumn = index;
    m_pImageList = list;
    IMAGEINFO info{};
    if (list->GetImageCount() > 0 && list->GetImageInfo(0, &info)) {
        m_rcIcon = info.rcImage;
        m_nRowHeight = std::max(m_nRowHeight, m_rcIcon.Height() + 4);
    }
    ForceMeasureItems();
    return index;
}

int CFancyListCtrl::InsertDescriptionColumn(int column, LPCWSTR heading, int width, int subItem) {
    if (m_nDescriptionColumn >= 0 || width <= 0)
        return -1;
    const int index = InsertColumn(column, heading, LVCFMT_LEFT, width, subItem);
    if (index >= 0)
        m_nDescriptionColumn = index;
    return index;
}

BOOL CFancyListCtrl::SetItemTexts(int item, LPCWSTR title, LPCWSTR description, int kind) {
    if (item < 0 || item >= m_titles.GetSize() || m_nDescriptionColumn < 0)
        return FALSE;
    m_titles[item] = title ? title : L"";
    m_descriptions[item] = description ? description : L"";
    m_kinds[item] = kind;
    int needed = m_nTitleLineHeight + 3;
    if (!m_descriptions[item].IsEmpty()) {
        CClientDC dc(this);
        needed += MeasureDescriptionLines(&dc, m_descriptions[item]) * m_nDescriptionLineHeight;
    }
    needed += 2;
    if (m_nRowHeight < needed) {
        m_nRowHeight = needed;
        ApplyRowHeightRules();
        ForceMeasureItems();
    }
    return TRUE;
}

BOOL CFancyListCtrl::GetCheck(int item) const {
    return item >= 0 && item < m_checked.GetSize() && m_checked[item] != 0;
}

BOOL CFancyListCtrl::DeleteAllItems() {
    m_bDeletingAll = true;
    m_checked.RemoveAll();
    m_images.RemoveAll();
    m_titles.RemoveAll();
    m_descriptions.RemoveAll();
    m_kinds.RemoveAll();
    const BOOL result = static_cast<BOOL>(SendMessage(LVM_DELETEALLITEMS));
    m_bDeletingAll = false;
    return result;
}

int CFancyListCtrl::GetItemImage(int item) const {
    LVITEMW lvItem{};
    lvItem.mask = LVIF_IMAGE;
    lvItem.iItem = item;
    return GetItem(&lvItem) ? lvItem.iImage : -1;
}

int CFancyListCtrl::WrapText(CDC* dc, LPCWSTR text, const RECT* rect, BOOL measureOnly,
                             BOOL skipDrawing) {
    if (dc == nullptr || text == nullptr || rect == nullptr)
        return 0;
    const int width = rect->right - rect->left;
    CStringArray lines;
    const CString all(text);
    int start = 0;
    for (;;) {
        const int end = all.Find(L'\n', start);
        WrapParagraph(dc, end < 0 ? all.Mid(start) : all.Mid(start, end - start), width,
                      m_strBreakChars, lines);
        if (end < 0)
            break;
        start = end + 1;
    }
    if (!measureOnly) {
        CRect line(rect->left, rect->top, rect->right, rect->top + m_nDescriptionLineHeight);
        for (INT_PTR i = 0; i < lines.GetSize() && line.bottom <= rect->bottom; ++i) {
            if (!skipDrawing)
                dc->DrawText(lines[i], &line, kSingleLine);
            line.OffsetRect(0, m_nDescriptionLineHeight);
        }
    }
    return static_cast<int>(std::min<INT_PTR>(lines.GetSize(), m_nMaxLines));
}

int CFancyListCtrl::DescriptionWidth() const {
    if (m_nDescriptionColumn < 0)
        return 0;
    CHeaderCtrl* header = GetHeaderCtrl();
    const int columns = header ? header->GetItemCount() : 0;
    int width = 0;
    for (int i = m_nDescriptionColumn; i < columns; ++i)
        width += GetColumnWidth(i);
    return width - 4;
}

int CFancyListCtrl::MeasureDescriptionLines(CDC* dc, const CString& description) {
    CFont* previous = dc->SelectObject(&m_descriptionFont);
    const CRect area(0, 0, DescriptionWidth(), 0);
    const int lines = WrapText(dc, description, &area, TRUE, FALSE);
    dc->SelectObject(previous);
    return lines;
}

void CFancyListCtrl::ApplyRowHeightRules() {
    if (m_nCheckColumn >= 0 && m_nRowHeight < 20)
        m_nRowHeight = 19;
    if (m_nImageColumn >= 0 && m_pImageList != nullptr)
        m_nRowHeight = std::max(m_nRowHeight, m_rcIcon.Height() + 4);
}

void CFancyListCtrl::RaiseRowHeight(int needed) {
    if (needed <= m_nRowHeight)
        return;
    m_nRowHeight = needed;
    ApplyRowHeightRules();
    ForceMeasureItems();
}

void CFancyListCtrl::RecalcRowHeight() {
    m_nRowHeight = 22;
    if (m_nDescriptionColumn >= 0) {
        CClientDC dc(this);
        int most = 0;
        for (INT_PTR i = 0; i < m_descriptions.GetSize(); ++i)
            most = std::max(most, MeasureDescriptionLines(&dc, m_descriptions[i]));
        m_nRowHeight =
            std::max(m_nRowHeight, m_nTitleLineHeight + most * m_nDescriptionLineHeight + 5);
    }
    ApplyRowHeightRules();
}

void CFancyListCtrl::ForceMeasureItems() {
    if (m_hWnd == nullptr)
        return;
    CRect window;
    GetWindowRect(&window);
    WINDOWPOS position{};
    position.hwnd = m_hWnd;
    position.cx = window.Width();
    position.cy = window.Height();
    position.flags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER;
    SendMessage(WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&position));
}

void CFancyListCtrl::RemeasureKeepingTop() {
    const int top = GetTopIndex();
    EnsureVisible(0, FALSE);
    RecalcRowHeight();
    ForceMeasureItems();
    EnsureVisible(top, FALSE);
}

void CFancyListCtrl::MeasureItem(LPMEASUREITEMSTRUCT mis) {
    mis->itemHeight = static_cast<UINT>(m_nRowHeight);
}

void CFancyListCtrl::OnInsertItem(NMHDR* header, LRESULT* result) {
    *result = 0;
    const int n = reinterpret_cast<NMLISTVIEW*>(header)->iItem;
    if (n < 0 || n > m_titles.GetSize())
        return;
    m_checked.InsertAt(n, BYTE{0});
    m_images.InsertAt(n, GetItemImage(n));
    m_titles.InsertAt(n, L"");
    m_descriptions.InsertAt(n, L"");
    m_kinds.InsertAt(n, kFancyRowNormal);
    if (m_nDescriptionColumn < 0 || m_bSuspended)
        return;
    const CString text = GetItemText(n, m_nDescriptionColumn);
    if (text.IsEmpty())
        return;
    CClientDC dc(this);
    RaiseRowHeight(m_nTitleLineHeight +
                   MeasureDescriptionLines(&dc, text) * m_nDescriptionLineHeight + 5);
}

void CFancyListCtrl::OnDeleteItem(NMHDR* header, LRESULT* result) {
    *result = 0;
    if (m_bDeletingAll)
        return;
    RecalcRowHeight();
    const int n = reinterpret_cast<NMLISTVIEW*>(header)->iItem;
    if (n < 0 || n >= m_titles.GetSize())
        return;
    m_checked.RemoveAt(n);
    m_images.RemoveAt(n);
    m_titles.RemoveAt(n);
    m_descriptions.RemoveAt(n);
    m_kinds.RemoveAt(n);
}

void CFancyListCtrl::OnLButtonDown(UINT, CPoint point) {
    ToggleCheckAt(point.y);
    Default();
}

void CFancyListCtrl::ToggleCheckAt(int y) {
    const int count = GetItemCount();
    if (count == 0 || m_nCheckColumn < 0 || m_nRowHeight <= 0)
        return;
    // Rows are counted from the top of the first visible one, so clicks on the header or
    // below the last row toggle nothing.
    const int top = GetTopIndex();
    CRect first;
    if (!GetItemRect(top, &first, LVIR_BOUNDS) || y < first.top)
        return;
    const int row = top + (y - first.top) / m_nRowHeight;
    if (row < 0 || row >= count || row >= m_checked.GetSize())
        return;
    m_checked[row] = m_checked[row] ? 0 : 1;
    Update(row);
}

BOOL CFancyListCtrl::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    const auto* header = reinterpret_cast<const NMHEADERW*>(lParam);
    if (!m_bSuspended && header != nullptr) {
        const UINT code = header->hdr.code;
        if ((code == HDN_ITEMCHANGINGA || code == HDN_ITEMCHANGINGW) && header->pitem != nullptr &&
            (header->pitem->mask & HDI_WIDTH)) {
            const int column = header->iItem;
            const int newWidth = header->pitem->cxy;
            bool refuse = false;
            if (column == m_nCheckColumn) {
                refuse = true;
                Update(0);
            } else if (column == m_nImageColumn) {
                refuse = m_bImageColumnLocked || newWidth < std::min(m_rcIcon.Width(), 40);
            } else if (column == m_nDescriptionColumn) {
                refuse = newWidth < 50;
            }
            if (refuse) {
                *pResult = 1;
                return TRUE;
            }
            RedrawItems(0, GetItemCount() - 1);
            UpdateWindow();
        } else if (code == HDN_ENDTRACKA || code == HDN_ENDTRACKW) {
            RemeasureKeepingTop();
            RedrawItems(0, GetItemCount() - 1);
            UpdateWindow();
        }
    }
    return CListCtrl::OnNotify(wParam, lParam, pResult);
}

void CFancyListCtrl::DrawDescriptionColumn(CDC* dc, const RECT& item, int row, int x, int width) {
    const bool heading = m_kinds[row] == kFancyRowHeading;
    const int left = heading ? x - 35 : x;
    CRect title(left + 5, item.top + 2, x + width - 2, item.top + m_nTitleLineHeight + 2);
    dc->SetTextColor(heading ? kHeadingTitleColour : kTitleColour);
    if (heading) {
        CFont* previous = dc->SelectObject(&m_headingFont);
        CRect headingRect(14, title.top + 11, title.right, title.bottom + 15);
        dc->DrawText(m_titles[row], &headingRect, kSingleLine);
        dc->SelectObject(previous);
    } else {
        CFont* previous = dc->SelectObject(&m_titleFont);
        title.OffsetRect(0, 4);
        dc->DrawText(m_titles[row], &title, kSingleLine);
        dc->SelectObject(previous);
    }
    CRect description(left + 5, item.top + m_nTitleLineHeight + 3, item.right, item.bottom - 2);
    CFont* previous = dc->SelectObject(&m_descriptionFont);
    dc->SetTextColor(kDescriptionColour);
    WrapText(dc, m_descriptions[row], &description, FALSE, heading);
    dc->SelectObject(previous);
}

void CFancyListCtrl::DrawItem(LPDRAWITEMSTRUCT dis) {
    if (m_bSuspended || dis->CtlType != ODT_LISTVIEW || !(dis->itemAction & ODA_DRAWENTIRE))
        return;
    const int row = static_cast<int>(dis->itemID);
    if (row < 0 || row >= m_titles.GetSize())
        return;
    CDC* dc = CDC::FromHandle(dis->hDC);
    const COLORREF keptBack = dc->GetBkColor();
    const COLORREF keptText = dc->SetTextColor(kTextColour);
    const int oldMode = dc->SetBkMode(TRANSPARENT);
    const bool heading = m_kinds[row] == kFancyRowHeading;
    const bool selected = (dis->itemState & ODS_SELECTED) != 0;
    CRect rowRect(dis->rcItem);
    rowRect.bottom -= 1;

    COLORREF fill = RGB(255, 255, 255);
    if (selected)
        dc->SetTextColor(RGB(255, 255, 255));
    else if (m_crBackground1 != m_crBackground2)
        fill = kStripeColour;
    dc->FillSolidRect(&rowRect, fill);
    if ((dis->itemState & ODS_FOCUS) && !heading) {
        dc->DrawFocusRect(&rowRect);
        dc->FillSolidRect(&rowRect, RGB(255, 255, 255));
    }

    CHeaderCtrl* header = GetHeaderCtrl();
    const int columns = header ? header->GetItemCount() : 0;
    const RECT& item = dis->rcItem;
    int x = -::GetScrollPos(m_hWnd, SB_HORZ);
    for (int i = 0; i < columns; ++i) {
        const int w = GetColumnWidth(i);
        if (i == m_nCheckColumn) {
            if (!heading && m_checkImages.GetSafeHandle() != nullptr)
                m_checkImages.Draw(
                    dc, GetCheck(row) ? 1 : 0,
                    CPoint(x + w / 2 - 8, item.top + (item.bottom - item.top) / 2 - 8),
                    ILD_TRANSPARENT);
        } else if (i == m_nImageColumn) {
            const int image = m_images[row];
            if (m_pImageList != nullptr && image >= 0 && image < m_pImageList->GetImageCount())
                m_pImageList->Draw(dc, image,
                                   CPoint(x + w / 2 - m_rcIcon.Width() / 2 + 2, item.top + 1),
                                   ILD_TRANSPARENT);
        } else if (i == m_nDescriptionColumn) {
            DrawDescriptionColumn(dc, item, row, x, w);
        } else {
            CRect cell(x + 2, item.top + 2, x + w - 2, item.bottom - 2);
            dc->SetTextColor(::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
            dc->DrawText(GetItemText(row, i), &cell, kSingleLine);
        }
        x += w;
    }
    dc->SetBkMode(oldMode);
    dc->SetBkColor(keptBack);
    dc->SetTextColor(keptText);
}
