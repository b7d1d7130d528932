// CTransparentStatic2: a static text painted over a snapshot of its parent's background.
#pragma once

#include <classlib/Controls.h>
#include <classlib/Gdi.h>
#include <classlib/MessageMap.h>

class CTransparentStatic2 : public CStatic {
    DECLARE_DYNAMIC(CTransparentStatic2)
    DECLARE_MESSAGE_MAP()
public:
    CTransparentStatic2();
    ~CTransparentStatic2() override;

    // The parent's pixels behind the control, taken at the first erase and never again.
    CBitmap m_bmpBackground;

protected:
    LRESULT OnSetText(WPARAM wParam, LPARAM lParam);
    HBRUSH CtlColor(CDC* dc, UINT ctlColor);
    BOOL OnEraseBkgnd(CDC* dc);
};
