#include "DlgPelqFeedback.h"

#include "BitmapDrawing.h"
#include "DialogDrawing.h"
#include "SelectedFont.h"
#include "PopupServices.h"
#include "STBitmap.h"
#include "SkinPaintDC.h"
#include "TextButtonStyle.h"
#include "AppState.h"
#include "IniReader.h"
#include "ProductIdentity.h"
#include "ToolsTable.h"
#include "UiFonts.h"

#include <classlib/App.h>

#include <algorithm>
#include <vector>

IMPLEMENT_DYNAMIC(CDlgPelqFeedback, CDlgBaseWndPopupNagBase)

BEGIN_MESSAGE_MAP(CDlgPelqFeedback, CDlgBaseWndPopupNagBase)
ON_WM_PAINT()
ON_WM_SIZE()
ON_WM_TIMER()
ON_WM_SHOWWINDOW()
ON_BN_CLICKED(1001, &CDlgPelqFeedback::OnSubmit)
ON_BN_CLICKED(1213, &CDlgPelqFeedback::OnPreview)
ON_BN_CLICKED(IDCANCEL, &CDlgPelqFeedback::OnCancelButton)
ON_BN_CLICKED(1215, &CDlgPelqFeedback::OnPublishClicked)
ON_MESSAGE(CDlgPelqFeedback::kUploadDoneMessage, &CDlgPelqFeedback::OnUploadDone)
END_MESSAGE_MAP()

const int CDlgPelqFeedback::kToolIds[24] = {0,  3,  4, 7, 8,  5,  10, 11, 12, 18, 1,  16,
                                            17, 23, 6, 9, 13, 14, 15, 19, 20, 21, 22, 24};

namespace {
constexpr int kSubmitId = 1001;
constexpr int kLogId = 1212;
constexpr int kPreviewId = 1213;
constexpr int kPublishId = 1215;
constexpr int kTypeId = 1216;
constexpr int kEmailId = 1223;
constexpr int kToolsId = 1229;
constexpr int kTextId = 1241;
constexpr int kEmailLabelId = 1245;
constexpr int kTypeLabelId = 1246;
constexpr int kToolIconCount = 16; // icons in the list's image strip
// The tools list's name and "Tips" columns; the tips lie past the list's width (240 pixels
// hold the check, icon and name columns), reached by its scroll bar.
constexpr int kModuleNameWidth = 161;
constexpr int kTipsColumn = 3;
constexpr int kTipsWidth = 146;
constexpr COLORREF kHeading = 0x323232;
constexpr COLORREF kText = 0x444444;
constexpr COLORREF kStatusOutline = 0xDEDEDE;
// The publish consent's picture: given or not, at (25, client bottom - 91).
constexpr UINT kPublishGivenBitmap = 1041;
constexpr UINT kPublishNotGivenBitmap = 1046;

CString PelqText(LPCWSTR key) {
    return GetLangString(key, L"Pelq");
}
} // namespace

CDlgPelqFeedback::CDlgPelqFeedback(CWnd* parent) : CDlgBaseWndPopupNagBase(kTemplate, parent) {
    SetWindowSize(TRUE, kWidth, kHeight);
}

CDlgPelqFeedback::~CDlgPelqFeedback() {
    if (m_uploader)
        WaitForSingleObject(m_uploader.Get(), INFINITE);
}

void CDlgPelqFeedback::DoDataExchange(CDataExchange* dx) {
    CDlgBaseWndPopupNagBase::DoDataExchange(dx);
    DDX_Control(dx, kPreviewId, m_previewButton);
    DDX_Control(dx, kSubmitId, m_submitButton);
    DDX_Control(dx, kLogId, m_logButton);
    DDX_Control(dx, IDCANCEL, m_cancelButton);
    DDX_Control(dx, kPublishId, m_publishBox);
    DDX_Control(dx, kEmailLabelId, m_emailLabel);
    DDX_Control(dx, kTypeLabelId, m_typeLabel);
    DDX_Control(dx, kEmailId, m_email);
    DDX_Control(dx, kTypeId, m_type);
    DDX_Control(dx, kTextId, m_text);
    DDX_Control(dx, kToolsId, m_tools);
}

BOOL CDlgPelqFeedback::OnInitDialog() {
    CDlgBaseWndPopupNagBase::OnInitDialog();
    const struct {
        int id;
        LPCWSTR key;
    } captions[] = {{kSubmitId, L"ID_BTN_SUBMIT_FEEDBACK"},
                    {kPreviewId, L"IDC_BTN_VIEW_REPORT"},
                    {IDCANCEL, L"IDCANCEL"},
                    {kEmailLabelId, L"IDC_ST_EMAIL"},
                    {kTypeLabelId, L"IDC_ST_FEEDBACK_TYPE"},
                    {kLogId, L"IDC_BTN_VIEW_ATTACHED_LOG"}};
    for (const auto& caption : captions)
        SetDlgItemText(caption.id, GetLangString(caption.key, L"IDD_PELQ_FEEDBACK"));
    if (CWnd* main = AfxGetMainWnd(); main != nullptr && ::IsWindow(main->GetSafeHwnd()))
        CenterWindow(main);

    for (CHoverButtonWithText* button :
         {&m_submitButton, &m_cancelButton, &m_previewButton, &m_logButton}) {
        button->m_bHasDisabledState = true;
        StyleTextButton(button, true, button == &m_submitButton, true);
    }
    m_submitButton.SetWindowText(L"Submit");
    m_cancelButton.SetWindowText(L"Cancel");
    m_previewButton.SetWindowText(L"Preview Feedback");
    m_logButton.SetWindowText(L"View Attached Log");
    m_previewButton.ShowWindow(SW_HIDE);
    m_previewButton.EnableWindow(FALSE);
    m_logButton.ShowWindow(SW_HIDE);

    for (int index = 0; index < kFeedbackTypeCount; ++index)
        m_type.AddString(GetFeedbackTypeText(index));
    m_type.SetCurSel(0);
    for (CWnd* control : std::initializer_list<CWnd*>{&m_publishBox, &m_emailLabel, &m_typeLabel,
                                                      &m_email, &m_type, &m_text})
        control->SetFont(&g_fontUI, FALSE);
    m_emailLabel.ShowWindow(SW_HIDE);
    m_emailLabel.EnableWindow(FALSE);
    m_typeLabel.ShowWindow(SW_HIDE);
    m_typeLabel.EnableWindow(FALSE);
    m_email.SetLimitText(400);
    m_text.SetLimitText(1000);

    m_toolImages.Create(1039, 24, 1, RGB(255, 255, 255));
    FillToolList();

    m_strHeader = FillTextSlots(PelqText(L"IDS_SUBMIT_FEEDBACK"), {GetProductName()});
    m_strExplanation = PelqText(L"IDS_SHARE_EXPR");
    m_strFavouriteTools = PelqText(L"IDS_FAVO_TOOL");
    m_strBadEmail = PelqText(L"IDS_FEEDBACK_MAILID");
    m_strNoType = PelqText(L"IDS_FEEDBACk_TYPE");
    m_strEmptyText = PelqText(L"IDS_EMPTY_FEEDBACK");
    m_strExplanation2 = PelqText(L"IDS_SHARE_EXPR2");
    m_strPublish = PelqText(L"IDS_PUBLISH_REVIEW");
    m_publishBox.SetWindowText(m_strPublish);
    Layout();

    if (!m_network.IsLoaded())
        AppMessageBox(PelqText(L"IDS_NETWORK_DLL_MISSING"), MB_ICONEXCLAMATION, this, nullptr,
                      true);
    return TRUE;
}

void CDlgPelqFeedback::FillToolList() {
    m_tools.SetExtendedStyle(m_tools.GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    static_cast<void>(m_tools.InsertCheckColumn(0, L"", 26));
    static_cast<void>(m_tools.InsertImageColumn(1, L"", &m_toolImages, 32));
    static_cast<void>(m_tools.InsertDescriptionColumn(2, L"module name", kModuleNameWidth));
    static_cast<void>(m_tools.InsertColumn(kTipsColumn, L"Tips", LVCFMT_LEFT, kTipsWidth));
    for (int tool : ListedToolIds()) {
        const int inserted = m_tools.InsertItem(m_tools.GetItemCount(), L"", tool % kToolIconCount);
        if (inserted < 0)
            continue;
        static_cast<void>(m_tools.SetItemTexts(inserted, GetToolTitle(tool), L""));
        m_tools.SetItemText(inserted, kTipsColumn, GetToolCaption(tool));
        m_tools.SetItemData(inserted, static_cast<DWORD_PTR>(tool));
    }
}

std::vector<int> CDlgPelqFeedback::ListedToolIds() {
    // The product has several rows of its own in the tools table (0, 1 and 7): the user sees
    // it once, under its first id.
    std::vector<int> tools;
    std::vector<CString> titles;
    for (int tool : kToolIds) {
        const CString title = GetToolTitle(tool);
        if (std::find(titles.begin(), titles.end(), title) != titles.end())
            continue;
        titles.push_back(title);
        tools.push_back(tool);
    }
    return tools;
}

void CDlgPelqFeedback::Layout() {
    if (m_tools.GetSafeHwnd() == nullptr)
        return;
    CRect client;
    GetClientRect(&client);
    const int w = client.Width();
    const int h = client.Height();
    m_tools.MoveWindow(17, 147, 240, h - 253);
    m_email.MoveWindow(270, 149, w - 287, 20);
    m_type.MoveWindow(270, 200, w - 287, 200);
    m_text.MoveWindow(270, 259, w - 287, h - 365);
    m_rcStatus.SetRect(17, h - 96, w - 17, h - 67);
    // The box itself; its picture and caption are painted beside it in the status band.
    m_publishBox.MoveWindow(48, h - 89, 15, 15);
    const int buttonTop = h - 46;
    const int submitLeft = w - 138;
    m_submitButton.MoveWindow(submitLeft, buttonTop, 120, 28);
    m_cancelButton.MoveWindow(submitLeft - 127, buttonTop, 120, 28);
    m_previewButton.MoveWindow(17, buttonTop, 120, 28);
    m_logButton.MoveWindow(17 + 127, buttonTop, 120, 28);
}

void CDlgPelqFeedback::OnSize(UINT type, int cx, int cy) {
    CDlgBaseWndPopupNagBase::OnSize(type, cx, cy);
    Layout();
}

BOOL CDlgPelqFeedback::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_KEYDOWN && (msg->wParam == VK_ESCAPE || msg->wParam == VK_F4))
        return TRUE;
    if (msg->message == WM_SYSKEYDOWN && msg->wParam == VK_F4)
        return TRUE;
    return CDlgBaseWndPopupNagBase::PreTranslateMessage(msg);
}

void CDlgPelqFeedback::OnOK() {
    if (::GetAsyncKeyState(VK_RETURN) != 0)
        return;
    CDlgBaseWndPopupNagBase::OnOK();
}

void CDlgPelqFeedback::OnCancel() {
    if (::GetAsyncKeyState(VK_ESCAPE) != 0)
        return;
    CDlgBaseWndPopupNagBase::OnCancel();
}

void CDlgPelqFeedback::OnCancelButton() {
    OnOK();
}

int CDlgPelqFeedback::BuildFeedbackXml() {
    FeedbackForm form;
    m_email.GetWindowText(form.email);
    form.typeIndex = m_type.GetCurSel();
    m_text.GetWindowText(form.text);
    form.publish = m_bPublish;
    for (int row = 0; row < m_tools.GetItemCount(); ++row)
        if (m_tools.GetCheck(row))
            form.toolIds.push_back(static_cast<int>(m_tools.GetItemData(row)));
    return ::BuildFeedbackXml(form, m_strXml);
}

bool CDlgPelqFeedback::TellBuildProblem(int result) {
    const CString* message = nullptr;
    switch (result) {
    case kFeedbackBadEmail:
        message = &m_strBadEmail;
        break;
    case kFeedbackNoType:
        message = &m_strNoType;
        break;
    case kFeedbackBuilt:
        return false;
    default:
        message = &m_strEmptyText;
        break;
    }
    AppMessageBox(*message, MB_ICONEXCLAMATION, this, nullptr, true);
    return true;
}

void CDlgPelqFeedback::OnSubmit() {
    EnableWindow(FALSE);
    m_strXml.Empty();
    m_bPreview = false;
    const int result = BuildFeedbackXml();
    if (TellBuildProblem(result)) {
        EnableWindow(TRUE);
        return;
    }
    m_submitButton.EnableWindow(FALSE);
    m_strStatus = PelqText(L"IDS_FEEDBACK_UPLOAD");
    InvalidateRect(&m_rcStatus, FALSE);
    SetTimer(kUploadTimer, 64, nullptr);
}

void CDlgPelqFeedback::OnPreview() {
    m_bPreview = true;
    const int result = BuildFeedbackXml();
    if (TellBuildProblem(result))
        return;
    ::MessageBoxW(m_hWnd, m_strXml, GetAppTitle(), MB_OK | MB_ICONINFORMATION);
}

void CDlgPelqFeedback::OnPublishClicked() {
    m_bPublish = m_publishBox.GetCheck() == BST_CHECKED;
    InvalidateRect(&m_rcStatus, FALSE);
}

DWORD WINAPI CDlgPelqFeedback::UploadThread(void* dialog) {
    auto* self = static_cast<CDlgPelqFeedback*>(dialog);
    self->m_outcome = UploadFeedback(self->m_network, self->m_strXml);
    ::PostMessageW(self->m_hWnd, kUploadDoneMessage, 0, 0);
    return 0;
}

void CDlgPelqFeedback::OnTimer(UINT_PTR id) {
    KillTimer(id);
    if (id == kUploadTimer) {
        m_uploader.Reset(CreateThread(nullptr, 0, &UploadThread, this, 0, nullptr));
        if (!m_uploader) {
            m_outcome = FeedbackUploadOutcome{};
            m_outcome.status = m_outcome.message = PelqText(L"IDS_FEEDBACK_FAILED");
            PostMessageW(kUploadDoneMessage);
        }
    } else if (id == kCloseTimer) {
        OnOK();
    }
}

LRESULT CDlgPelqFeedback::OnUploadDone(WPARAM, LPARAM) {
    if (m_uploader) {
        WaitForSingleObject(m_uploader.Get(), INFINITE);
        m_uploader.Reset();
    }
    m_strStatus = m_outcome.status;
    InvalidateRect(&m_rcStatus, FALSE);
    UpdateWindow();
    AppMessageBox(m_outcome.message, MB_ICONINFORMATION, this, nullptr, true);
    SetTimer(kCloseTimer, 64, nullptr);
    return 0;
}

void CDlgPelqFeedback::OnShowWindow(BOOL show, UINT status) {
    CDlgBaseWndPopupNagBase::OnShowWindow(show, status);
    if (!show)
        return;
    m_email.SetWindowText(L"");
    m_text.SetWindowText(L"");
    m_type.SetCurSel(0);
    m_publishBox.SetCheck(BST_UNCHECKED);
    m_bPublish = false;
    m_strStatus.Empty();
    EnableWindow(TRUE);
    m_submitButton.EnableWindow(TRUE);
}

void CDlgPelqFeedback::OnPaint() {
    CSkinPaintDC dc(this);
    const CRect& client = dc.Client();
    PaintWindowFrame(&dc, client);
    static CSTBitmap picture(1087);
    if (picture.GetWidth() > 0)
        DrawBitmap(&dc, 23, 48, picture.GetWidth(), picture.GetHeight(), &picture, SRCCOPY);
    dc.SetBkMode(TRANSPARENT);
    {
        CSelectedFont font(dc.GetSafeHdc(), static_cast<HFONT>(g_fontPlus4Bold.GetSafeHandle()));
        dc.SetTextColor(kHeading);
        CRect header(83, 53, client.right - 20, 75);
        dc.DrawText(m_strHeader, &header, DT_SINGLELINE | DT_END_ELLIPSIS);
    }
    CSelectedFont font(dc.GetSafeHdc(), static_cast<HFONT>(g_fontUI.GetSafeHandle()));
    dc.SetTextColor(kText);
    CRect explanation(83, 80, client.right - 20, 112);
    dc.DrawText(m_strExplanation, &explanation, DT_WORDBREAK);
    DrawHorizontalLine(&dc, 17, client.right - 17, 116, 0xE1E1E1);
    {
        CSelectedFont bold(dc.GetSafeHdc(), static_cast<HFONT>(g_fontUIBold.GetSafeHandle()));
        dc.SetTextColor(kHeading);
        CRect favourite(17, 128, 257, 144);
        dc.DrawText(m_strFavouriteTools, &favourite, DT_SINGLELINE | DT_END_ELLIPSIS);
        CRect email(270, 131, client.right - 17, 147);
        dc.DrawText(PelqText(L"IDS_EMAIL_ADDRESS"), &email, DT_SINGLELINE);
        CRect type(270, 181, client.right - 17, 197);
        dc.DrawText(PelqText(L"IDS_SELCT_FEEDBCK_TYPE"), &type, DT_SINGLELINE);
        CRect text(270, 240, client.right - 17, 256);
        dc.DrawText(m_strExplanation2, &text, DT_SINGLELINE | DT_END_ELLIPSIS);
    }
    DrawRoundedOutline(&dc, m_rcStatus, 6, kStatusOutline);
    static CSTBitmap consentGiven(kPublishGivenBitmap);
    static CSTBitmap consentNotGiven(kPublishNotGivenBitmap);
    CSTBitmap& consent = m_bPublish ? consentGiven : consentNotGiven;
    if (consent.GetWidth() > 0)
        DrawBitmap(&dc, kPublishPicture.x, client.bottom - kPublishPicture.y, consent.GetWidth(),
                   consent.GetHeight(), &consent, SRCCOPY);
    dc.SetTextColor(kText);
    CRect publish(72, m_rcStatus.top, m_rcStatus.left + 340, m_rcStatus.bottom);
    dc.DrawText(m_strPublish, &publish, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
    CRect status(m_rcStatus.left + 345, m_rcStatus.top, m_rcStatus.right - 8, m_rcStatus.bottom);
    dc.DrawText(m_strStatus, &status, DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_END_ELLIPSIS);
}
