#include "WholeCaptionCheckBox.h"

#include <SelectedFont.h>
#include <classlib/Gdi.h>

BEGIN_MESSAGE_MAP(CWholeCaptionCheckBox, CButton)
ON_WM_PAINT()
ON_MESSAGE(WM_ENABLE, &CWholeCaptionCheckBox::OnEnableOrText)
ON_MESSAGE(WM_SETTEXT, &CWholeCaptionCheckBox::OnEnableOrText)
END_MESSAGE_MAP()

namespace {
// The check mark's square and the pixel beside it; the caption begins half a digit's width
// further on, where the control itself begins it.
constexpr int kBoxWidth = 14;
} // namespace

void CWholeCaptionCheckBox::OnPaint() {
    Default();
    if (IsWindowEnabled())
        return;
    // A disabled caption is drawn in single-colour glyphs, which Wine sets wider than the
    // smoothed glyphs its room was measured in, so its end is cut off. It is drawn again here,
    // whole, over the one the control drew.
    CString caption;
    GetWindowText(caption);
    CClientDC dc(this);
    const CSelectedFont font(dc.GetSafeHdc(), reinterpret_cast<HFONT>(SendMessageW(WM_GETFONT)));
    INT digitWidth = 0;
    if (!::GetCharWidth32W(dc.GetSafeHdc(), L'0', L'0', &digitWidth))
        digitWidth = 0;
    CRect text;
    GetClientRect(&text);
    text.left = kBoxWidth + digitWidth / 2;
    const auto ground = reinterpret_cast<HBRUSH>(
        GetParent()->SendMessageW(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.GetSafeHdc()),
                                  reinterpret_cast<LPARAM>(m_hWnd)));
    if (ground != nullptr)
        ::FillRect(dc.GetSafeHdc(), &text, ground);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(::GetSysColor(COLOR_GRAYTEXT));
    dc.DrawText(caption, &text, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
}

LRESULT CWholeCaptionCheckBox::OnEnableOrText(WPARAM, LPARAM) {
    const LRESULT result = Default();
    if (!IsWindowEnabled())
        Invalidate(FALSE);
    return result;
}
