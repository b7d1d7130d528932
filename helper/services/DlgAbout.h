// CDlgAbout: the product's About box: title, version and legal notice, a description, the
// trademark owners, a legal warning, and links to the web page and to the support address.
#pragma once

#include "DlgBaseWndPopupNagBase.h"
#include "HoverButtonWithText.h"
#include "HyperLinkBtn.h"

#include <classlib/String.h>

class CWinApp;

class CDlgAbout : public CDlgBaseWndPopupNagBase {
    DECLARE_DYNAMIC(CDlgAbout)
    DECLARE_MESSAGE_MAP()
public:
    static constexpr UINT kTemplate = 1267;
    static constexpr int kWidth = 630;
    static constexpr int kHeight = 406;

    explicit CDlgAbout(CWnd* parent = nullptr);
    ~CDlgAbout() override;

    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;

    CHoverButton m_closeButton;
    CHoverButtonWithText m_okButton;
    CHyperLinkBtn m_webSiteLink;
    CHyperLinkBtn m_supportLink;
    CString m_strVersion;
    CString m_strLegalNotice;
    CString m_strTrademarkOwners;
    CString m_strWarning;
    CString m_strDescription;
    CWinApp* m_pApp = nullptr;

protected:
    void OnPaint();
    void OnClose();
    void OnWebSite();
    void OnSupport();
};
