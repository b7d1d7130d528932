// CTransparentCheckRadio: a check box or radio button that shows on a white skinned page.
#pragma once

#include <classlib/Controls.h>
#include <classlib/MessageMap.h>

class CTransparentCheckRadio : public CButton {
    DECLARE_DYNAMIC(CTransparentCheckRadio)
    DECLARE_MESSAGE_MAP()
public:
    CTransparentCheckRadio();
    ~CTransparentCheckRadio() override;

protected:
    HBRUSH CtlColor(CDC* dc, UINT ctlColor);
    BOOL OnEraseBkgnd(CDC* dc);
};
