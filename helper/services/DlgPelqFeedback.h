// CDlgPelqFeedback: the feedback pop-up: an e-mail address, a feedback type, a text, consent
// to publish and the favourite tools; the report is built, encoded and uploaded through
// "Network.dll" on a worker thread, and the user is told the outcome.
#pragma once

#include "DlgBaseWndPopupNagBase.h"
#include "FancyListCtrl.h"
#include "FeedbackReport.h"
#include "HoverButtonWithText.h"
#include "WebServiceHelper.h"

#include <owners/WinOwners.h>

#include <classlib/CommonControls.h>
#include <classlib/Controls.h>
#include <classlib/String.h>

#include <vector>

// Where the publish consent's picture stands: x, and y counted up from the client's bottom.
inline constexpr POINT kPublishPicture{25, 91};

class CDlgPelqFeedback : public CDlgBaseWndPopupNagBase {
    DECLARE_DYNAMIC(CDlgPelqFeedback)
    DECLARE_MESSAGE_MAP()
public:
    static constexpr UINT kTemplate = 1265;
    static constexpr int kWidth = 743;
    static constexpr int kHeight = 524;
    static constexpr UINT kUploadTimer = 2009081802;
    static constexpr UINT kCloseTimer = 2009081803;
    // The upload worker's end, posted to the dialog.
    static constexpr UINT kUploadDoneMessage = WM_APP + 0x181;

    explicit CDlgPelqFeedback(CWnd* parent = nullptr);
    // Waits for an upload that is still running.
    ~CDlgPelqFeedback() override;

    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* msg) override;
    void OnOK() override;
    void OnCancel() override;

    // Validates the form and builds the report into m_strXml: a FeedbackBuildResult.
    int BuildFeedbackXml();
    // The tool ids offered in the favourite-tools list, in its order.
    static const int kToolIds[24];
    // The ids the list shows: those above, a title already listed left out.
    static std::vector<int> ListedToolIds();

    CHoverButtonWithText m_previewButton;
    CHoverButtonWithText m_submitButton;
    CHoverButtonWithText m_logButton;
    CHoverButtonWithText m_cancelButton;
    CButton m_publishBox;
    CStatic m_emailLabel;
    CStatic m_typeLabel;
    CEdit m_email;
    CComboBox m_type;
    CEdit m_text;
    CFancyListCtrl m_tools;
    bool m_bPreview = false;
    CRect m_rcStatus;
    CString m_strStatus;
    CString m_strXml;
    CImageList m_toolImages;
    CWebServiceHelper m_network;
    bool m_bPublish = false;
    CString m_strHeader;
    CString m_strExplanation;
    CString m_strFavouriteTools;
    CString m_strBadEmail;
    CString m_strNoType;
    CString m_strEmptyText;
    CString m_strExplanation2;
    CString m_strPublish;
    FeedbackUploadOutcome m_outcome;

protected:
    void OnPaint();
    void OnSize(UINT type, int cx, int cy) override;
    void OnTimer(UINT_PTR id);
    void OnShowWindow(BOOL show, UINT status);
    void OnSubmit();
    void OnPreview();
    void OnCancelButton();
    void OnPublishClicked();
    LRESULT OnUploadDone(WPARAM wParam, LPARAM lParam);
    // Tells the user what is wrong with the form; false when it was built.
    bool TellBuildProblem(int result);
    void Layout();
    void FillToolList();

private:
    static DWORD WINAPI UploadThread(void* dialog);
    KernelHandle m_uploader;
};
