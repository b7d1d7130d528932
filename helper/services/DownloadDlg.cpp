#include "DownloadDlg.h"

#include <classlib/Resources.h>

#include "DialogDrawing.h"
#include "DownloadMessages.h"
#include "DownloadQueue.h"
#include "DownloadTexts.h"
#include "PopupServices.h"
#include "SkinPaintDC.h"
#include "TextButtonStyle.h"
#include "WinInet.h"
#include "WindowlessDownload.h"
#include "AppState.h"
#include "IniReader.h"
#include "ProductIdentity.h"
#include "UiFonts.h"

#include <classlib/App.h>

IMPLEMENT_DYNAMIC(CDownloadDlg, CDlgBaseChildPopUpWndBase)

BEGIN_MESSAGE_MAP(CDownloadDlg, CDlgBaseChildPopUpWndBase)
ON_MESSAGE(DLM_FINISHED, &CDownloadDlg::OnFinished)
ON_MESSAGE(DLM_AUTH_REQUIRED, &CDownloadDlg::OnAuthRequired)
ON_MESSAGE(DLM_FAILED, &CDownloadDlg::OnFailed)
ON_MESSAGE(DLM_FILE_PROGRESS, &CDownloadDlg::OnFileProgress)
ON_MESSAGE(DLM_TOTAL_PROGRESS, &CDownloadDlg::OnTotalProgress)
ON_MESSAGE(DLM_SET_TEXT, &CDownloadDlg::OnSetText)
ON_MESSAGE(DLM_LOGIN_REQUIRED, &CDownloadDlg::OnLoginRequired)
ON_BN_CLICKED(IDOK, &CDownloadDlg::OnCancel)
ON_WM_WINDOWPOSCHANGING()
ON_WM_LBUTTONDOWN()
ON_WM_PAINT()
ON_WM_DESTROY()
END_MESSAGE_MAP()

namespace {
constexpr int kFileBarId = 1232;
constexpr UINT kApplicationIcon = 1287;
constexpr DWORD kStartDelayMs = 512;

// The application's icon in the system's large or small size (shared: the system keeps it).
HICON ApplicationIcon(bool large) {
    const HINSTANCE module =
        AfxFindResourceHandle(MAKEINTRESOURCEW(kApplicationIcon), RT_GROUP_ICON);
    const int size = ::GetSystemMetrics(large ? SM_CXICON : SM_CXSMICON);
    return static_cast<HICON>(::LoadImageW(module, MAKEINTRESOURCEW(kApplicationIcon), IMAGE_ICON,
                                           size, size, LR_SHARED));
}
constexpr int kTotalBarId = 1233;

// Where each control sits (client pixels).
struct ControlPlace {
    int id, x, y, width, height;
};
constexpr ControlPlace kLayout[] = {
    {1249, 24, 44, 472, 20}, // heading
    {1250, 24, 74, 100, 16}, // "File:"
    {kControlFileCount, 128, 74, 368, 16},
    {1255, 24, 96, 100, 16}, // "Status:"
    {kControlStatus, 128, 96, 368, 32},
    {1252, 24, 134, 300, 16}, // "This file:"
    {kFileBarId, 24, 153, 472, 14},
    {kControlFileBytes, 24, 171, 472, 16},
    {1251, 24, 199, 300, 16}, // "All files:"
    {kTotalBarId, 24, 218, 472, 14},
    {kControlAllBytes, 24, 236, 472, 16},
    {1248, 24, 266, 100, 16}, // "Elapsed:"
    {kControlElapsed, 128, 266, 150, 16},
    {1253, 24, 286, 100, 16}, // "Remaining:"
    {kControlRemaining, 128, 286, 150, 16},
    {1254, 24, 306, 100, 16}, // "Speed:"
    {kControlSpeed, 128, 306, 150, 16},
};

struct LabelText {
    int id;
    LPCWSTR key;
};
constexpr LabelText kLabels[] = {
    {1249, L"IDC_STATIC_FILE_LIC"},        {1254, L"IDC_STATIC_SPEED_LIC"},
    {1255, L"IDC_STATIC_STATUS_LIC"},      {1248, L"IDC_STATIC_ELAPSED_LIC"},
    {1253, L"IDC_STATIC_REMAINING_LIC"},   {1252, L"IDC_STATIC_PROGRESSFILE_LIC"},
    {1251, L"IDC_STATIC_PROGRESSALL_LIC"}, {1250, L"IDC_STATIC_FILE2_LIC"},
};
} // namespace

CDownloadDlg::CDownloadDlg(CWnd* owner) : CDlgBaseChildPopUpWndBase(kTemplate, owner) {
    const DownloadOptions& options = g_downloader.options;
    m_strTitle = options.title.IsEmpty() ? GetLangString(L"IDS_TITLE", L"Pelq") : options.title;
    m_strLabel = options.label.IsEmpty() ? GetLangString(L"IDS_LABEL", L"Pelq") : options.label;
    m_strDescription = options.description.IsEmpty() ? GetLangString(L"IDS_DESCRIPTION", L"Pelq")
                                                     : options.description;
    m_hWndToShow = owner != nullptr ? owner->GetSafeHwnd() : nullptr;
}

CDownloadDlg::~CDownloadDlg() {
    WaitForWorker();
}

void CDownloadDlg::WaitForWorker() {
    if (!m_worker)
        return;
    if (WaitForSingleObject(m_worker.Get(), 0) == WAIT_TIMEOUT) {
        Abort();
        // Every wait of the worker is bounded; it ends once it sees the abort.
        WaitForSingleObject(m_worker.Get(), INFINITE);
    }
    m_worker.Reset();
}

BOOL CDownloadDlg::OnInitDialog() {
    CDlgBaseChildPopUpWndBase::OnInitDialog();
    SetDlgItemText(IDOK, GetLangString(L"IDOK", L"IDD_DOWNLOAD"));
    for (const LabelText& label : kLabels)
        SetDlgItemText(label.id, GetLangString(label.key, L"IDD_DOWNLOAD"));
    SetWindowText(
        FillTextSlots(GetLangString(L"IDS_PELQ_UPDATE_DOWNLOADER", L"Pelq"), {GetProductName()}));
    m_fileBar.SubclassDlgItem(kFileBarId, this);
    m_totalBar.SubclassDlgItem(kTotalBarId, this);
    for (const ControlPlace& place : kLayout)
        if (CWnd* control = GetDlgItem(place.id)) {
            control->SetFont(&g_fontUI, FALSE);
            control->MoveWindow(place.x, place.y, place.width, place.height, FALSE);
        }
    if (CWnd* heading = GetDlgItem(1249))
        heading->SetFont(&g_fontUIBold, FALSE);

    SetWindowPos(nullptr, 0, 0, kWidth, kHeight, SWP_NOMOVE | SWP_NOZORDER);
    ::SetWindowPos(m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    CenterWindow(m_hWndToShow != nullptr ? CWnd::FromHandle(m_hWndToShow) : nullptr);
    for (const bool large : {true, false})
        if (const HICON icon = ApplicationIcon(large))
            SetIcon(icon, large ? TRUE : FALSE);

    m_comApartment.emplace();
    // The dialog settles on screen before the transfer starts reporting to it.
    ::Sleep(kStartDelayMs);

    m_cancelButton.SubclassDlgItem(IDOK, this);
    m_cancelButton.m_bHasDisabledState = true;
    StyleTextButton(&m_cancelButton, true, false, true);
    m_cancelButton.SetWindowText(L"Cancel");
    CRect client;
    GetClientRect(&client);
    m_cancelButton.MoveWindow(client.right - 143, client.bottom - 41, 120, 28);

    SetOwnerWindow(m_hWnd);
    m_worker.Reset(CreateThread(nullptr, 0, &CDownload::WorkerThread, static_cast<CDownload*>(this),
                                0, nullptr));
    if (!m_worker) {
        m_bWorkerFinished = true;
        EndDialog(IDOK);
    }
    return TRUE;
}

void CDownloadDlg::Close() {
    m_fileBar.UnsubclassWindow();
    m_totalBar.UnsubclassWindow();
    CDlgBaseChildPopUpWndBase::OnOK();
}

void CDownloadDlg::OnOK() {
    // The one button is the cancel button; Enter is no answer.
}

void CDownloadDlg::OnBtnClose() {
    OnCancel();
}

bool CDownloadDlg::ConfirmAbort() {
    return AppMessageBox(GetLangString(L"IDS_ABORT", L"Pelq"), MB_YESNO | MB_ICONQUESTION, this,
                         nullptr, true) != IDNO;
}

void CDownloadDlg::OnCancel() {
    if (m_bWorkerFinished) {
        Close();
        return;
    }
    m_bQuestionOpen = true;
    const bool stop = ConfirmAbort();
    m_bQuestionOpen = false;
    if (m_bWorkerFinished) {
        Close();
        return;
    }
    if (!stop)
        return;
    Abort();
    if (CWnd* button = GetDlgItem(IDCANCEL))
        button->EnableWindow(FALSE);
    m_cancelButton.EnableWindow(FALSE);
}

bool CDownloadDlg::PromptForLogin(HINTERNET request) {
    const DWORD flags = FLAGS_ERROR_UI_FILTER_FOR_ERRORS | FLAGS_ERROR_UI_FLAGS_CHANGE_OPTIONS |
                        FLAGS_ERROR_UI_FLAGS_GENERATE_DATA;
    return g_winInet.InternetErrorDlg(m_hWnd, request, ERROR_INTERNET_INCORRECT_PASSWORD, flags,
                                      nullptr) == ERROR_INTERNET_FORCE_RETRY;
}

LRESULT CDownloadDlg::OnFinished(WPARAM, LPARAM) {
    m_bWorkerFinished = true;
    WaitForWorker();
    if (!m_bQuestionOpen)
        Close();
    return 0;
}

LRESULT CDownloadDlg::OnAuthRequired(WPARAM wParam, LPARAM) {
    const HINTERNET request = reinterpret_cast<HINTERNET>(wParam);
    DrainResponse(request);
    AnswerPrompt(PromptForLogin(request));
    return 0;
}

LRESULT CDownloadDlg::OnFailed(WPARAM, LPARAM) {
    // The failure stays in sight until the dialog closes; the caller learns it from the result.
    SetDlgItemText(kControlStatus, GetLastErrorText());
    AnswerFailure(0);
    return 0;
}

LRESULT CDownloadDlg::OnFileProgress(WPARAM done, LPARAM total) {
    m_fileBar.SetRange32(0, static_cast<int>(total));
    m_fileBar.SetPos(static_cast<int>(done));
    return 0;
}

LRESULT CDownloadDlg::OnTotalProgress(WPARAM done, LPARAM total) {
    m_totalBar.SetRange32(0, static_cast<int>(total));
    m_totalBar.SetPos(static_cast<int>(done));
    return 0;
}

LRESULT CDownloadDlg::OnSetText(WPARAM control, LPARAM text) {
    SetDlgItemText(static_cast<int>(control), TakePostedText(text));
    return 0;
}

LRESULT CDownloadDlg::OnLoginRequired(WPARAM, LPARAM) {
    AnswerPrompt(false);
    return 0;
}

void CDownloadDlg::OnWindowPosChanging(WINDOWPOS* position) {
    if (g_downloader.options.hidden)
        position->flags &= ~SWP_SHOWWINDOW;
    CDlgBaseChildPopUpWndBase::OnWindowPosChanging(position);
}

void CDownloadDlg::OnLButtonDown(UINT, CPoint point) {
    PostMessageW(WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(point.x, point.y));
}

void CDownloadDlg::OnPaint() {
    CSkinPaintDC dc(this);
    const CRect& client = dc.Client();
    PaintWindowFrame(&dc, client);
    DrawHorizontalLine(&dc, 24, client.right - 24, 66, 0xE1E1E1);
}

void CDownloadDlg::OnDestroy() {
    m_fileBar.UnsubclassWindow();
    m_totalBar.UnsubclassWindow();
    if (m_hWndToShow != nullptr && m_hWndToShow != ::GetDesktopWindow() && ::IsWindow(m_hWndToShow))
        ::ShowWindow(m_hWndToShow, SW_SHOW);
    CDlgBaseChildPopUpWndBase::OnDestroy();
}

int RunDownloadDialog(HWND parent) {
    if (!HasPendingDownloads())
        return 1;
    HWND owner = parent;
    if (!owner || !IsWindow(owner)) {
        CWnd* mainWindow = AfxGetMainWnd();
        owner = mainWindow && IsWindow(mainWindow->GetSafeHwnd()) ? mainWindow->GetSafeHwnd()
                                                                  : GetDesktopWindow();
    }
    // A hidden transfer never has a window to show: it runs on a message-only window.
    if (g_downloader.options.hidden) {
        CWindowlessDownload download;
        return download.Run(owner) ? 1 : 0;
    }
    CDownloadDlg dialog(CWnd::FromHandle(owner));
    static_cast<void>(dialog.DoModal());
    return dialog.Succeeded() ? 1 : 0;
}
