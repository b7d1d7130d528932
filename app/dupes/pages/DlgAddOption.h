// CDlgAddOption: the pop-up that asks for a folder to add to the ignore list.
#pragma once

#include <DlgBaseChildPopUpWndBase.h>
#include <HoverButtonWithText.h>

#include <classlib/ShellControls.h>

class CDlgAddOption : public CDlgBaseChildPopUpWndBase {
    DECLARE_DYNAMIC(CDlgAddOption)
    DECLARE_MESSAGE_MAP()
public:
    explicit CDlgAddOption(CWnd* parent);

    BOOL OnInitDialog() override;
    void OnOK() override;

    CString m_strResult;

protected:
    void OnPaint();
    void OnSize(UINT type, int cx, int cy) override;

    CMFCEditBrowseCtrl m_path;
    CHoverButtonWithText m_btnOk;
};
