// The rows of a results summary panel (icon, label, value and value colour side by side) and
// the three result icons the result screens load.
#pragma once

#include <windows.h>

#include <PanelDrawing.h>
#include <classlib/Array.h>
#include <classlib/String.h>
#include <owners/WinOwners.h>

// Value colours of the result screens.
inline constexpr COLORREF kAttentionColour = RGB(0xA9, 0x01, 0x01);
inline constexpr COLORREF kGoodColour = RGB(0x00, 0x82, 0x2C);
inline constexpr COLORREF kNeutralColour = RGB(0x48, 0x51, 0x5A);

// Icons 1314 (good), 1300 (attention) and 1290 (neutral), 16 x 16, owned for the screen's life.
class ResultIcons {
public:
    void Load();
    HICON Good() const { return good_.Get(); }
    HICON Attention() const { return attention_.Get(); }
    HICON Neutral() const { return neutral_.Get(); }

private:
    IconHandle good_;
    IconHandle attention_;
    IconHandle neutral_;
};

struct ResultSummaryRows {
    CIconArray icons;
    CDWordArray colours;
    CStringArray labels;
    CStringArray values;

    void Clear();
    void Add(HICON icon, COLORREF colour, const CString& label, const CString& value);
    // Replaces a row's value, icon and colour.
    void Set(int row, HICON icon, COLORREF colour, const CString& value);
    // The panel's layout with these rows.
    SummaryLayout Layout(CDC* dc, int x, int y, int height, int width, int headerBitmap) const;
};
