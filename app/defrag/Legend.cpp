#include "Legend.h"

IMPLEMENT_DYNAMIC(CLegend, CButton)

BOOL CLegend::LoadLegendBitmap(UINT id) {
    m_swatch.DeleteObject();
    return m_swatch.LoadBitmap(id);
}

void CLegend::DrawItem(LPDRAWITEMSTRUCT draw) {
    if (m_swatch.GetSafeHandle() == nullptr)
        return;
    BITMAP size{};
    m_swatch.GetBitmap(&size);
    CDC* target = CDC::FromHandle(draw->hDC);
    CDC source;
    if (!source.CreateCompatibleDC(target))
        return;
    CBitmap* previous = source.SelectObject(&m_swatch);
    const CRect item(draw->rcItem);
    target->BitBlt(item.left, item.top, size.bmWidth, size.bmHeight, &source, 0, 0, SRCCOPY);
    source.SelectObject(previous);
}
