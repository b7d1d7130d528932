#include "SkinMenuMemDC.h"

CSkinMenuMemDC::CSkinMenuMemDC(CDC* target, const RECT* rect)
    : m_pTarget(target), m_rect(*rect), m_bMemory(!target->IsPrinting()) {
    if (!m_bMemory) {
        m_hDC = target->m_hDC;
        m_hAttribDC = target->m_hAttribDC;
        return;
    }
    if (!CreateCompatibleDC(target))
        return;
    if (m_bitmap.CreateCompatibleBitmap(target, m_rect.Width(), m_rect.Height()))
        m_pOldBitmap = SelectObject(&m_bitmap);
    SetWindowOrg(m_rect.left, m_rect.top);
}

CSkinMenuMemDC::~CSkinMenuMemDC() {
    if (!m_bMemory) {
        m_hDC = nullptr;
        m_hAttribDC = nullptr;
        return;
    }
    if (m_hDC == nullptr)
        return;
    if (m_pOldBitmap != nullptr) {
        m_pTarget->BitBlt(m_rect.left, m_rect.top, m_rect.Width(), m_rect.Height(), this,
                          m_rect.left, m_rect.top, SRCCOPY);
        SelectObject(m_pOldBitmap);
    }
}
