// The suite's message box on its own dialog template.
#pragma once

#include "DlgBaseMessageBoxWndBase.h"

class CPelqMessageBox : public CDlgBaseMessageBoxWndBase {
    DECLARE_DYNAMIC(CPelqMessageBox)
    DECLARE_MESSAGE_MAP()
public:
    explicit CPelqMessageBox(CWnd* parent = nullptr);
    ~CPelqMessageBox() override;
};
