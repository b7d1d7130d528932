#include "ResultSummaryRows.h"

#include "PageTexts.h"

#include <classlib/Resources.h>

namespace {
constexpr UINT kGoodIcon = 1314;
constexpr UINT kAttentionIcon = 1300;
constexpr UINT kNeutralIcon = 1290;

HICON LoadSmallIcon(UINT id) {
    const wchar_t* name = MAKEINTRESOURCEW(id);
    return static_cast<HICON>(::LoadImageW(AfxFindResourceHandle(name, RT_GROUP_ICON), name,
                                           IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
}
} // namespace

void ResultIcons::Load() {
    if (!good_)
        good_.Reset(LoadSmallIcon(kGoodIcon));
    if (!attention_)
        attention_.Reset(LoadSmallIcon(kAttentionIcon));
    if (!neutral_)
        neutral_.Reset(LoadSmallIcon(kNeutralIcon));
}

void ResultSummaryRows::Clear() {
    icons.RemoveAll();
    colours.RemoveAll();
    labels.RemoveAll();
    values.RemoveAll();
}

void ResultSummaryRows::Add(HICON icon, COLORREF colour, const CString& label,
                            const CString& value) {
    icons.Add(icon);
    colours.Add(colour);
    labels.Add(label);
    values.Add(value);
}

void ResultSummaryRows::Set(int row, HICON icon, COLORREF colour, const CString& value) {
    icons[row] = icon;
    colours[row] = colour;
    values[row] = value;
}

SummaryLayout ResultSummaryRows::Layout(CDC* dc, int x, int y, int height, int width,
                                        int headerBitmap) const {
    SummaryLayout layout;
    layout.dc = dc;
    layout.x = x;
    layout.y = y;
    layout.height = height;
    layout.width = width;
    layout.title = AppText(L"IDS_SCAN_SUMMARY");
    layout.headerBitmapId = headerBitmap;
    layout.icons = &icons;
    layout.labels = &labels;
    layout.values = &values;
    layout.valueColours = &colours;
    return layout;
}
