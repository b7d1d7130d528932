// COptions2Junk2DlgAdd: the pop-up that asks for a new mask or excluded folder and refuses,
// as the user types, masks that are too broad, protected, too long or already listed.
#pragma once

#include <windows.h>

#include <DlgBaseWndPopupNagBase.h>
#include <HoverButtonWithText.h>
#include <classlib/Controls.h>
#include <classlib/MessageMap.h>
#include <classlib/String.h>

class CDlgSetting2Files;

class COptions2Junk2DlgAdd : public CDlgBaseWndPopupNagBase {
    DECLARE_MESSAGE_MAP()
public:
    explicit COptions2Junk2DlgAdd(CWnd* parent = nullptr);
    ~COptions2Junk2DlgAdd() override;

    BOOL OnInitDialog() override;
    void OnOK() override;

    // Why a mask is refused: the explanation's key, or null when it may be added.
    static LPCWSTR MaskRefusal(const CString& mask, const CDlgSetting2Files* rows);
    // A mask as stored: ".tmp" becomes "*.tmp", "abc.log" "abc*.log".
    static CString CompleteMask(const CString& mask);

    bool m_bFolderMode = false;
    // The tab whose rows count as already there.
    const CDlgSetting2Files* m_pRows = nullptr;
    CString m_strResult;
    CEdit m_maskEdit;
    CEdit m_folderEdit;
    CButton m_browseButton;
    CStatic m_title;
    CStatic m_explanation;
    CHoverButtonWithText m_okButton;
    CHoverButtonWithText m_cancelButton;

protected:
    void OnMaskChanged();
    void OnFolderChanged();
    void OnBrowse();
    void SetExplanation(LPCWSTR key, bool okEnabled);

private:
    bool m_bSettingText = false;
};
