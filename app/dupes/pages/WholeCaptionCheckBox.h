// CWholeCaptionCheckBox: a check box whose caption shows in full while it is disabled.
#pragma once

#include <classlib/Controls.h>
#include <classlib/MessageMap.h>

class CWholeCaptionCheckBox : public CButton {
    DECLARE_MESSAGE_MAP()
public:
    CWholeCaptionCheckBox() = default;

protected:
    void OnPaint();
    // The control paints itself at once on these, past OnPaint; a disabled one is painted again.
    LRESULT OnEnableOrText(WPARAM, LPARAM);
};
