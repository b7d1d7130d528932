// How a CSkinMenu paints one owner-drawn item, in the XP look and in the classic look.
#include "SkinMenu.h"
#include "SkinMenuMemDC.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

constexpr COLORREF kSelectColour = RGB(177, 210, 238);
constexpr DWORD kMaskedPatternCopy = 0x00E20746; // pattern where the source is set

// Seven one-pixel columns; the narrow mark is two pixels tall, the normal one three.
void DrawCheckMark(CDC* dc, int x0, int y0, COLORREF colour, bool narrow) {
    static const int kSteps[7] = {2, 3, 4, 3, 2, 1, 0};
    for (int k = 0; k < 7; ++k)
        dc->FillSolidRect(x0 + k, y0 + kSteps[k], 1, narrow ? 2 : 3, colour);
}

void DrawRadioDot(CDC* dc, int x0, int y0, COLORREF colour) {
    CBrush brush(colour);
    CPen pen(PS_SOLID, 1, colour);
    CBrush* oldBrush = dc->SelectObject(&brush);
    CPen* oldPen = dc->SelectObject(&pen);
    dc->Ellipse(x0, y0, x0 + 6, y0 + 6);
    dc->SelectObject(oldPen);
    dc->SelectObject(oldBrush);
}

void FrameSolid(CDC* dc, const CRect& rect, COLORREF colour) {
    CBrush brush(colour);
    dc->FrameRect(&rect, &brush);
}

// The part before the first tab at the left and, when there is a tab, the part after the
// last tab at the right; leftFont, when given, is selected for the left part only.
void DrawItemText(CDC* dc, const CString& text, CRect rect, int imageWidth, COLORREF colour,
                  CFont* leftFont) {
    const int firstTab = text.Find(L'\t');
    const int oldMode = dc->SetBkMode(TRANSPARENT);
    const COLORREF oldColour = dc->SetTextColor(colour);
    if (firstTab >= 0)
        rect.right -= imageWidth;
    CFont* previous = leftFont ? dc->SelectObject(leftFont) : nullptr;
    const CString left = firstTab < 0 ? text : text.Left(firstTab);
    dc->DrawText(left, &rect, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    if (previous != nullptr)
        dc->SelectObject(previous);
    if (firstTab >= 0) {
        const CString right = text.Mid(text.ReverseFind(L'\t') + 1);
        dc->DrawText(right, &rect, DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
    }
    dc->SetTextColor(oldColour);
    dc->SetBkMode(oldMode);
}

// The item's image pressed into the background: a highlight copy one pixel down and right
// under a shadow copy, both in the shape of the image's dark pixels.
void DrawEmbossed(CDC* target, HIMAGELIST images, int index, int x, int y, CSize size,
                  COLORREF background) {
    CDC source;
    CDC maskDC;
    CBitmap sourceBitmap;
    CBitmap mask;
    if (!source.CreateCompatibleDC(target) || !maskDC.CreateCompatibleDC(target) ||
        !sourceBitmap.CreateCompatibleBitmap(target, size.cx, size.cy) ||
        !mask.CreateBitmap(size.cx, size.cy, 1, 1, nullptr))
        return;
    CBitmap* oldSource = source.SelectObject(&sourceBitmap);
    CBitmap* oldMask = maskDC.SelectObject(&mask);
    source.FillSolidRect(0, 0, size.cx, size.cy, ::GetSysColor(COLOR_BTNFACE));
    ImageList_Draw(images, index, source, 0, 0, ILD_TRANSPARENT);

    maskDC.PatBlt(0, 0, size.cx, size.cy, WHITENESS);
    source.SetBkColor(::GetSysColor(COLOR_BTNFACE));
    maskDC.BitBlt(0, 0, size.cx, size.cy, &source, 0, 0, SRCCOPY);
    source.SetBkColor(::GetSysColor(COLOR_BTNHIGHLIGHT));
    maskDC.BitBlt(0, 0, size.cx, size.cy, &source, 0, 0, SRCPAINT);

    source.FillSolidRect(0, 0, size.cx, size.cy, background);
    source.SetBkColor(RGB(0, 0, 0));
    source.SetTextColor(RGB(255, 255, 255));
    CBrush highlight(::GetSysColor(COLOR_BTNHIGHLIGHT));
    CBrush* oldBrush = source.SelectObject(&highlight);
    source.BitBlt(0, 0, size.cx, size.cy, &maskDC, 0, 0, kMaskedPatternCopy);
    target->BitBlt(x + 1, y + 1, size.cx, size.cy, &source, 0, 0, SRCCOPY);
    source.BitBlt(1, 1, size.cx, size.cy, &maskDC, 0, 0, kMaskedPatternCopy);
    CBrush shadow(::GetSysColor(COLOR_BTNSHADOW));
    source.SelectObject(&shadow);
    source.BitBlt(0, 0, size.cx, size.cy, &maskDC, 0, 0, kMaskedPatternCopy);
    target->BitBlt(x, y, size.cx, size.cy, &source, 0, 0, SRCCOPY);
    source.SelectObject(oldBrush);
    maskDC.SelectObject(oldMask);
    source.SelectObject(oldSource);
}

// Whether a check box is drawn for an item without an image, and whether it is a radio dot.
bool CheckMarkOf(HMENU menu, UINT id, bool checked, bool& radio) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_CHECKMARKS;
    if (!::GetMenuItemInfoW(menu, id, FALSE, &info))
        return false;
    if (!checked && info.hbmpUnchecked == nullptr)
        return false;
    radio = (checked ? info.hbmpChecked : info.hbmpUnchecked) != nullptr;
    return true;
}

int RoundedHalf(int space) {
    return std::max(0, static_cast<int>(std::trunc(space / 2.0 + 0.5)));
}

} // namespace

void CSkinMenu::DrawItem(LPDRAWITEMSTRUCT dis) {
    if (dis == nullptr || dis->CtlType != ODT_MENU || dis->itemData == 0)
        return;
    if ((::GetDeviceCaps(dis->hDC, RASTERCAPS) & RC_PALETTE) || !UsesXPLook())
        DrawItemClassic(dis);
    else
        DrawItemXP(dis);
}

void CSkinMenu::DrawItemXP(LPDRAWITEMSTRUCT dis) {
    const auto* record = reinterpret_cast<const CSkinMenuData*>(dis->itemData);
    CDC* target = CDC::FromHandle(dis->hDC);
    CRect r(dis->rcItem);
    const int h = r.Height();
    const CSize image = s_shared.imageSize;
    const bool themed = IsThemedXP() != FALSE;
    const COLORREF window = ::GetSysColor(COLOR_WINDOW);
    const COLORREF gutterColour = themed ? window : BlendTowardWhite(window, 0.25);
    const COLORREF background = BlendTowardBlack(window, 0.02);
    const COLORREF selectFill = BlendTowardWhite(kSelectColour, themed ? 0.7 : 0.85);
    const int pad = 7;
    const int gutterWidth = image.cx + pad;

    UINT state = dis->itemState;
    const bool disabled = (state & ODS_GRAYED) != 0;
    if (disabled)
        state &= ~ODS_SELECTED;
    const bool selected = (state & ODS_SELECTED) != 0;
    const bool checked = (state & ODS_CHECKED) != 0;

    // Disabled items are drawn off-screen in the system menu font.
    std::optional<CSkinMenuMemDC> memory;
    CFont menuFont;
    CFont* previousFont = nullptr;
    CDC* dc = target;
    if (disabled) {
        memory.emplace(target, &dis->rcItem);
        dc = &*memory;
        LOGFONTW logFont{};
        if (GetSystemMenuFont(logFont) && menuFont.CreateFontIndirect(&logFont))
            previousFont = dc->SelectObject(&menuFont);
    }

    CRect gutter(r.left, r.top, r.left + gutterWidth, r.bottom);
    if (record->m_nFlags & MF_SEPARATOR) {
        dc->FillSolidRect(&r, background);
        r.top += h / 2;
        r.left = gutter.right + pad;
        dc->DrawEdge(&r, EDGE_ETCHED, BF_TOP);
        dc->FillSolidRect(&gutter, gutterColour);
        FrameSolid(dc, gutter, gutterColour);
        if (previousFont != nullptr)
            dc->SelectObject(previousFont);
        return;
    }

    if (selected) {
        dc->FillSolidRect(&r, selectFill);
        FrameSolid(dc, r, kSelectColour);
    } else {
        dc->FillSolidRect(&r, background);
        dc->FillSolidRect(&gutter, gutterColour);
        FrameSolid(dc, r, background);
        FrameSolid(dc, gutter, gutterColour);
    }

    const int index = record->m_nSharedImageIndex;
    const INT_PTR imageCount = s_shared.imageIds.GetSize();
    const bool hasImage =
        index >= 0 && index < imageCount && index < s_shared.images.GetImageCount();
    const UINT command = hasImage ? s_shared.imageIds[index] : 0;
    const bool threeD = hasImage && index + 3 < imageCount &&
                        s_shared.imageIds[index + 1] == command &&
                        s_shared.imageIds[index + 2] == command;
    CPoint p(r.left + RoundedHalf(gutterWidth - image.cx), r.top + RoundedHalf(h - image.cy));
    const CRect box(r.left + 1, r.top + 1, r.left + gutterWidth - 2, r.bottom - 1);
    const HIMAGELIST images = s_shared.images.GetSafeHandle();
    auto drawImage = [&](int which, CPoint at) {
        ImageList_Draw(images, which, dc->m_hDC, at.x, at.y, ILD_TRANSPARENT);
    };

    if (hasImage) {
        if (disabled) {
            if (threeD)
                drawImage(index + 3, p);
            else
                DrawEmbossed(dc, images, index, p.x, p.y, image, gutterColour);
        } else if (selected) {
            if (checked) {
                dc->FillSolidRect(&box, BlendTowardWhite(kSelectColour, 0.55));
                FrameSolid(dc, box, kSelectColour);
                p.Offset(-1, -1);
            } else {
                dc->FillSolidRect(&box, selectFill);
            }
            if (threeD && !checked) {
                drawImage(index + 2, CPoint(p.x + 1, p.y + 1));
                drawImage(index, CPoint(p.x - 1, p.y - 1));
            } else {
                drawImage(index, p);
            }
        } else if (checked) {
            dc->FillSolidRect(&box, BlendTowardWhite(kSelectColour, 0.85));
            FrameSolid(dc, box, kSelectColour);
            drawImage(index, CPoint(p.x - 1, p.y - 1));
        } else {
            dc->FillSolidRect(&box, gutterColour);
            FrameSolid(dc, box, gutterColour);
            drawImage(threeD ? index + 1 : index, p);
        }
    } else {
        bool radio = false;
        if (CheckMarkOf(reinterpret_cast<HMENU>(dis->hwndItem), dis->itemID, checked, radio)) {
            dc->FillSolidRect(&box, BlendTowardWhite(kSelectColour, selected ? 0.55 : 0.85));
            FrameSolid(dc, box, kSelectColour);
            const int ox = box.Width() < 6 ? 0 : box.Width() / 2 - 3;
            const int oy = box.Height() < 6 ? 0 : box.Height() / 2 - 3;
            const COLORREF mark = ::GetSysColor(COLOR_MENUTEXT);
            if (radio)
                DrawRadioDot(dc, box.left + ox, box.top + oy, mark);
            else
                DrawCheckMark(dc, box.left + ox, box.top + oy, mark, true);
        }
    }

    if (record->GetText() != nullptr) {
        const CRect textRect(r.left + gutterWidth + 8, r.top - 1, r.right, r.bottom - 1);
        if (disabled) {
            const COLORREF grey = ::GetSysColor(COLOR_GRAYTEXT);
            DrawItemText(dc, record->GetText(), textRect, image.cx,
                         themed ? grey : BlendTowardWhite(grey, 0.4), nullptr);
        } else {
            DrawItemText(dc, record->GetText(), textRect, image.cx, ::GetSysColor(COLOR_MENUTEXT),
                         &s_shared.font);
        }
    }
    if (previousFont != nullptr)
        dc->SelectObject(previousFont);
}

void CSkinMenu::DrawItemClassic(LPDRAWITEMSTRUCT dis) {
    const auto* record = reinterpret_cast<const CSkinMenuData*>(dis->itemData);
    CDC* dc = CDC::FromHandle(dis->hDC);
    CRect r(dis->rcItem);
    const int h = r.Height();
    const CSize image = s_shared.imageSize;
    const bool themed = IsThemedXP() != FALSE;
    const COLORREF menu = ::GetSysColor(themed ? COLOR_BTNFACE : COLOR_MENU);
    if (record->m_nFlags & MF_SEPARATOR) {
        dc->FillSolidRect(&r, menu);
        r.top += h / 2;
        dc->DrawEdge(&r, EDGE_ETCHED, BF_TOP);
        return;
    }
    const UINT state = dis->itemState;
    const bool disabled = (state & ODS_GRAYED) != 0;
    const bool selected = (state & ODS_SELECTED) != 0;
    const bool checked = (state & ODS_CHECKED) != 0;
    const int index = record->m_nSharedImageIndex;
    const bool hasImage = index >= 0 && index < s_shared.images.GetImageCount();
    const HIMAGELIST images = s_shared.images.GetSafeHandle();

    COLORREF textColour;
    if (selected) {
        CRect fill(r);
        if (hasImage || checked)
            fill.left = r.left + image.cx + 5;
        dc->FillSolidRect(&fill, ::GetSysColor(COLOR_HIGHLIGHT));
        textColour = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
    } else {
        dc->FillSolidRect(&r, menu);
        FrameSolid(dc, r, menu);
        textColour = ::GetSysColor(COLOR_MENUTEXT);
    }

    const int dy = std::max(0, static_cast<int>(h - image.cy - 4) / 2);
    const CRect box(r.left + 1, r.top + dy + 1, r.left + image.cx + 3, r.top + dy + image.cy + 3);
    const CRect wide(r.left, r.top + dy, r.left + image.cx + 4, r.top + dy + image.cy + 4);
    const CPoint at(r.left + 2, r.top + dy + 2);
    const COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW);
    const COLORREF light = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    if (hasImage) {
        FrameSolid(dc, box, menu);
        if (disabled) {
            FrameSolid(dc, wide, menu);
            DrawEmbossed(dc, images, index, at.x, at.y, image, menu);
        } else if (selected) {
            dc->FillSolidRect(&box, menu);
            if (IsNewShell()) {
                if (checked)
                    dc->Draw3dRect(&wide, shadow, light);
                else
                    dc->Draw3dRect(&wide, light, shadow);
            }
            ImageList_Draw(images, index, dc->m_hDC, at.x, at.y, ILD_TRANSPARENT);
        } else {
            if (checked) {
                dc->FillSolidRect(&box, BlendTowardWhite(menu, 0.6));
                if (IsNewShell())
                    dc->Draw3dRect(&wide, shadow, light);
            } else {
                dc->FillSolidRect(&box, menu);
                FrameSolid(dc, wide, menu);
            }
            ImageList_Draw(images, index, dc->m_hDC, at.x, at.y, ILD_TRANSPARENT);
        }
    } else {
        bool radio = false;
        if (CheckMarkOf(reinterpret_cast<HMENU>(dis->hwndItem), dis->itemID, checked, radio)) {
            CRect q(r.left + 1, r.top + dy + 2, r.left + image.cx + 1, r.top + dy + image.cy + 2);
            const COLORREF face = ::GetSysColor(themed ? COLOR_BTNFACE : COLOR_MENU);
            dc->FillSolidRect(&q, selected ? face : BlendTowardWhite(face, 0.6));
            if (IsNewShell())
                dc->DrawEdge(&q, BDR_SUNKENOUTER, BF_RECT);
            const COLORREF mark = ::GetSysColor(COLOR_MENUTEXT);
            if (radio)
                DrawRadioDot(dc, q.left + 5, q.top + 4, mark);
            else
                DrawCheckMark(dc, q.left + 4, q.top + 4, mark, false);
        }
    }

    if (record->GetText() == nullptr)
        return;
    CRect textRect(r.left + image.cx + 9, r.top - 1, r.right, r.bottom - 1);
    if (!disabled) {
        DrawItemText(dc, record->GetText(), textRect, image.cx, textColour, nullptr);
    } else if (selected) {
        DrawItemText(dc, record->GetText(), textRect, image.cx, menu, nullptr);
    } else {
        CRect raised(textRect);
        raised.OffsetRect(1, 1);
        DrawItemText(dc, record->GetText(), raised, image.cx, light, nullptr);
        DrawItemText(dc, record->GetText(), textRect, image.cx, ::GetSysColor(COLOR_GRAYTEXT),
                     nullptr);
    }
}
