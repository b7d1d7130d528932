#include "SkinMemDC.h"

IMPLEMENT_DYNAMIC(CSkinMemDC, CDC)

CSkinMemDC::CSkinMemDC(CDC* target, const CRect& rect, COLORREF fill) : m_pTarget(target) {
    if (target == nullptr)
        return;
    if (rect.IsRectEmpty())
        target->GetClipBox(&m_rect);
    else
        m_rect = rect;
    if (!CreateCompatibleDC(target))
        return;
    SetMapMode(::GetMapMode(target->m_hDC));
    if (!m_bitmap.CreateCompatibleBitmap(target, m_rect.Width(), m_rect.Height()))
        return;
    m_hPreviousBitmap = static_cast<HBITMAP>(::SelectObject(m_hDC, m_bitmap.m_hObject));
    if (!rect.IsRectEmpty())
        FillSolidRect(&rect, fill);
    m_bReady = TRUE;
}

CSkinMemDC::~CSkinMemDC() {
    if (m_bReady)
        m_pTarget->BitBlt(m_rect.left, m_rect.top, m_rect.Width(), m_rect.Height(), this, 0, 0,
                          SRCCOPY);
    if (m_hPreviousBitmap != nullptr)
        ::SelectObject(m_hDC, m_hPreviousBitmap);
    m_bitmap.DeleteObject();
    DeleteDC();
}

void CSkinMemDC::CancelCopyBack() {
    m_bReady = FALSE;
}

BOOL CSkinMemDC::IsReady() const {
    return m_bReady;
}

BOOL CSkinMemDC::CopyFromTarget() {
    if (m_pTarget == nullptr || m_hDC == nullptr)
        return FALSE;
    return BitBlt(0, 0, m_rect.Width(), m_rect.Height(), m_pTarget, m_rect.left, m_rect.top,
                  SRCCOPY);
}
