// CSkinMenuMemDC: the off-screen context in which a menu item is drawn; it reaches its target
// when the object is destroyed. A printing target is drawn on directly.
#pragma once

#include <windows.h>

#include <classlib/Gdi.h>

class CSkinMenuMemDC : public CDC {
public:
    CSkinMenuMemDC(CDC* target, const RECT* rect);
    ~CSkinMenuMemDC() override;
    CSkinMenuMemDC(const CSkinMenuMemDC&) = delete;
    CSkinMenuMemDC& operator=(const CSkinMenuMemDC&) = delete;

private:
    CBitmap m_bitmap;
    CBitmap* m_pOldBitmap = nullptr;
    CDC* m_pTarget;
    CRect m_rect;
    BOOL m_bMemory;
};
