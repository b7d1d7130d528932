// CSkinMemDC: an off-screen device context that a paint handler draws into and that copies
// itself to the target in one blit when it goes out of scope.
#pragma once

#include <windows.h>

#include <classlib/Gdi.h>

class CSkinMemDC : public CDC {
    DECLARE_DYNAMIC(CSkinMemDC)
public:
    // An empty rectangle covers the target's clip box and fills nothing.
    CSkinMemDC(CDC* target, const CRect& rect, COLORREF fill);
    ~CSkinMemDC() override;
    CSkinMemDC(const CSkinMemDC&) = delete;
    CSkinMemDC& operator=(const CSkinMemDC&) = delete;

    // The destructor then copies nothing.
    void CancelCopyBack();
    BOOL IsReady() const;
    // The target's current pixels of the rectangle into the memory context.
    BOOL CopyFromTarget();

private:
    CDC* m_pTarget = nullptr;
    BOOL m_bReady = FALSE;
    CRect m_rect;
    CBitmap m_bitmap;
    HBITMAP m_hPreviousBitmap = nullptr;
};
