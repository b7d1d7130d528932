#include "DlgAfterInstallWiz.h"

#include "BitmapDrawing.h"
#include "DialogDrawing.h"
#include "SelectedFont.h"
#include "PngDrawing.h"
#include "SkinPaintDC.h"
#include "TextButtonStyle.h"
#include "IniReader.h"
#include "Paths.h"
#include "ProductIdentity.h"
#include "Registry.h"
#include "RestorePoint.h"
#include "UiFonts.h"

#include <shellapi.h>

#include <classlib/App.h>

IMPLEMENT_DYNAMIC(CDlgAfterInstallWiz, CDlgBaseWndPopupNagBase)

BEGIN_MESSAGE_MAP(CDlgAfterInstallWiz, CDlgBaseWndPopupNagBase)
ON_WM_PAINT()
ON_WM_TIMER()
ON_COMMAND(1222, &CDlgAfterInstallWiz::OnMinimize)
ON_COMMAND(1182, &CDlgAfterInstallWiz::OnCancelCommand)
ON_COMMAND(IDCANCEL, &CDlgAfterInstallWiz::OnCancelCommand)
ON_COMMAND(1190, &CDlgAfterInstallWiz::OnNext)
ON_COMMAND(1198, &CDlgAfterInstallWiz::OnSkip)
ON_MESSAGE(CDlgAfterInstallWiz::kTasksDoneMessage, &CDlgAfterInstallWiz::OnTasksDone)
END_MESSAGE_MAP()

namespace {
constexpr int kNextId = 1190;
constexpr int kSkipId = 1198;
constexpr int kAnimationId = 1179;
constexpr UINT kAnimationResource = 1398;
constexpr UINT kStepIconsResource = 1364;
constexpr wchar_t kProductWord[] = L"Stellmark";
constexpr COLORREF kDoneGreen = 0x56B656;

// The step table's keys, some with the tab characters they are written with.
struct StepKeys {
    LPCWSTR heading, description, status;
    bool describedWithName;
};
constexpr StepKeys kSteps[CDlgAfterInstallWiz::kStepCount] = {
    {L"IDS_M_STRSTEPHEADINGS\t", L"IDS_M_STRSTEPDESCS\t\t", L"IDS_M_STRSTEPSTATUS\t\t", false},
    {L"IDS_M_STRSTEPHEADINGS1\t", L"IDS_M_STRSTEPDESCS1\t\t", L"IDS_M_STRSTEPSTATUS1\t\t", false},
    {L"IDS_M_STRSTEPHEADINGS2\t", L"IDS_M_STRSTEPDESCS2", L"IDS_M_STRSTEPSTATUS2\t\t", true},
    {L"IDS_M_STRSTEPHEADINGS3\t", L"IDS_M_STRSTEPDESCS3", L"IDS_M_STRSTEPSTATUS3", false},
    {L"IDS_M_STRSTEPHEADINGS4", L"IDS_M_STRSTEPDESCS4", L"IDS_M_STRSTEPSTATUS4", true},
    {L"IDS_M_STRSTEPHEADINGS5", L"IDS_M_STRSTEPDESCS5", L"IDS_M_STRSTEPSTATUS5", false},
};

CString PelqText(LPCWSTR key) {
    return GetLangString(key, L"Pelq");
}

CString ProductKeyPath(LPCWSTR sub = nullptr) {
    CString path = GetProductRegistryKey();
    if (sub != nullptr)
        AppendPath(path, sub);
    return path;
}

// The folder of the application's program file.
CString ProgramFolder() {
    CString folder;
    GetModuleFolder(nullptr, folder);
    return folder;
}
} // namespace

CDlgAfterInstallWiz::CDlgAfterInstallWiz(CWnd* owner) : CDlgBaseWndPopupNagBase(kTemplate, owner) {
    SetWindowSize(TRUE, kWidth, kHeight);
    for (int step = 0; step < kStepCount; ++step) {
        const StepKeys& keys = kSteps[step];
        m_strHeadings[step] = PelqText(keys.heading);
        m_strDescriptions[step] = PelqText(keys.description);
        if (keys.describedWithName)
            m_strDescriptions[step] = FillTextSlots(m_strDescriptions[step], {kProductWord});
        m_strStatus[step] = PelqText(step == 0 ? L"IDS_STRSTATUSPROCESS" : L"IDS_STRSTATUSPENDING");
    }
    static const LPCWSTR kTextKeys[5] = {
        L"IDS_M_STRSTEPDESCRIPTIONS0", L"IDS_M_STRSTEPDESCRIPTIONS1", L"IDS_M_STRSTEPDESCRIPTIONS2",
        L"IDS_M_STRSTEPDESCRIPTIONS3", L"IDS_M_STRSTEPDESCRIPTIONS4"};
    for (int i = 0; i < 5; ++i)
        m_strTexts[i] =
            i < 2 ? FillTextSlots(PelqText(kTextKeys[i]), {kProductWord}) : PelqText(kTextKeys[i]);
}

CDlgAfterInstallWiz::~CDlgAfterInstallWiz() {
    if (m_worker)
        WaitForSingleObject(m_worker.Get(), INFINITE);
}

void CDlgAfterInstallWiz::DoDataExchange(CDataExchange* dx) {
    CDlgBaseWndPopupNagBase::DoDataExchange(dx);
    DDX_Control(dx, kNextId, m_nextButton);
    DDX_Control(dx, kSkipId, m_skipLink);
    DDX_Control(dx, kAnimationId, m_animation);
}

BOOL CDlgAfterInstallWiz::OnInitDialog() {
    CDlgBaseWndPopupNagBase::OnInitDialog();
    SetDlgItemText(kNextId, GetLangString(L"IDC_BTN_NEXT_STEP", L"IDD_AFTER_INSTALL_WIZARD_MAIN"));
    SetDlgItemText(kSkipId, GetLangString(L"IDC_BTN_SKIP_STEP", L"IDD_AFTER_INSTALL_WIZARD_MAIN"));
    CenterWindow(AfxGetMainWnd());
    SetWindowRgn(::CreateRoundRectRgn(0, 0, kWidth + 1, kHeight + 1, 6, 6), TRUE);
    // The frame painter draws the title in the caption, over its strip (1118).
    SetWindowText(PelqText(L"IDS_WLCM_WIZ"));
    m_bmpTask.LoadBitmap(1142);
    static_cast<void>(m_stepIcons.Load(kStepIconsResource, L"PNG", GetResourceInstance()));
    m_nextButton.m_bHasDisabledState = true;
    StyleTextButton(&m_nextButton, true, true, true);
    m_skipLink.SetLinkText(GetLangString(L"IDC_BTN_SKIP_STEP", L"IDD_AFTER_INSTALL_WIZARD_MAIN"));
    m_nextButton.ShowWindow(SW_HIDE);
    m_nextButton.EnableWindow(FALSE);
    m_skipLink.ShowWindow(SW_HIDE);
    m_skipLink.EnableWindow(FALSE);

    CRect client;
    GetClientRect(&client);
    m_animation.MoveWindow(client.Width() / 2 - 67, client.Height() - 50, 134, 13);
    const HINSTANCE module = GetResourceInstance();
    if (m_animation.SendMessageW(ACM_OPENW, reinterpret_cast<WPARAM>(module),
                                 reinterpret_cast<LPARAM>(MAKEINTRESOURCEW(kAnimationResource))))
        m_animation.SendMessageW(ACM_PLAY, static_cast<WPARAM>(-1), MAKELPARAM(0, 0xFFFF));
    SetTimer(kStartTimer, 64, nullptr);
    return TRUE;
}

BOOL CDlgAfterInstallWiz::PreTranslateMessage(MSG* msg) {
    // The wizard cannot be dismissed from the keyboard.
    if (msg->message == WM_KEYDOWN && (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE ||
                                       msg->wParam == VK_F4 || msg->wParam == VK_SPACE))
        return TRUE;
    if (msg->message == WM_SYSKEYDOWN && msg->wParam == VK_F4)
        return TRUE;
    return CDlgBaseWndPopupNagBase::PreTranslateMessage(msg);
}

void CDlgAfterInstallWiz::OnOK() {
    CDlgBaseWndPopupNagBase::OnOK();
}

void CDlgAfterInstallWiz::OnMinimize() {
    ShowWindow(SW_MINIMIZE);
}

void CDlgAfterInstallWiz::OnCancelCommand() {
    CDlgBaseWndPopupNagBase::OnCancel();
}

void CDlgAfterInstallWiz::OnNext() {
    m_bNext = true;
}

void CDlgAfterInstallWiz::OnSkip() {
    m_bNext = true;
    m_bSkip = true;
}

void CDlgAfterInstallWiz::CloseWizard() {
    OnOK();
}

void CDlgAfterInstallWiz::MoveAnimation(int x, int y) {
    m_animation.SetWindowPos(nullptr, x, y, 134, 13, SWP_NOZORDER | SWP_NOACTIVATE);
    m_animation.SendMessageW(ACM_PLAY, static_cast<WPARAM>(-1), MAKELPARAM(0, 0xFFFF));
}

DWORD WINAPI CDlgAfterInstallWiz::TaskThread(void* wizard) {
    auto* self = static_cast<CDlgAfterInstallWiz*>(wizard);
    try {
        self->StartScheduler();
    } catch (...) {
        // The wizard closes as after its tasks.
    }
    ::PostMessageW(self->m_hWnd, kTasksDoneMessage, 0, 0);
    return 0;
}

void CDlgAfterInstallWiz::StartScheduler() {
    CRect client;
    GetClientRect(&client);
    const int x = client.Width() - 225;
    MoveAnimation(x, 128);
    static_cast<void>(StartHiddenScan());
    m_bBackupDone = true;
    Invalidate(FALSE);
    MoveAnimation(x, 156);
    CreateInstallRestorePoint();
    const CString folder = ProgramFolder();
    SetCurrentDirectoryW(folder);
    CString scheduler = folder;
    AppendPath(scheduler, kSchedulerProgram);
    SHELLEXECUTEINFOW execute{};
    execute.cbSize = sizeof execute;
    execute.lpVerb = L"open";
    execute.lpFile = scheduler;
    execute.lpParameters = L"-pelqservice";
    execute.lpDirectory = folder;
    execute.nShow = SW_SHOWNORMAL;
    // A missing scheduler program is not reported.
    static_cast<void>(ShellExecuteExW(&execute));
    m_bServiceDone = true;
    Invalidate(FALSE);
    static_cast<void>(WriteBackupSuccess(1));
}

LRESULT CDlgAfterInstallWiz::OnTasksDone(WPARAM, LPARAM) {
    if (m_worker) {
        WaitForSingleObject(m_worker.Get(), INFINITE);
        m_worker.Reset();
    }
    m_animation.SendMessageW(ACM_STOP);
    SetTimer(kCloseTimer, 100, nullptr);
    return 0;
}

void CDlgAfterInstallWiz::OnTimer(UINT_PTR id) {
    KillTimer(id);
    if (id == kStartTimer) {
        m_worker.Reset(CreateThread(nullptr, 0, &TaskThread, this, 0, nullptr));
        if (!m_worker)
            PostMessageW(kTasksDoneMessage);
    } else if (id == kCloseTimer) {
        m_animation.SendMessageW(ACM_STOP);
        Sleep(100);
        CloseWizard();
    }
}

bool CDlgAfterInstallWiz::StartHiddenScan() {
    static_cast<void>(ResetCleanFinished());
    return RunAndWait(kBackupProgram, L"runhiddenScan") != 0 && ReadCleanFinished();
}

int CDlgAfterInstallWiz::RunAndWait(const CString& program, const CString& arguments) {
    const CString folder = ProgramFolder();
    SetCurrentDirectoryW(folder);
    CString path = folder;
    AppendPath(path, program);
    if (PathExists(path) != 1)
        return 0;
    SHELLEXECUTEINFOW execute{};
    execute.cbSize = sizeof execute;
    execute.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_DDEWAIT;
    execute.lpFile = path;
    execute.lpParameters = arguments;
    execute.nShow = SW_HIDE;
    if (!ShellExecuteExW(&execute) || execute.hProcess == nullptr)
        return 0;
    const KernelHandle process(execute.hProcess);
    if (WaitForSingleObject(process.Get(), INFINITE) != WAIT_OBJECT_0)
        return 0;
    Sleep(200);
    return 1;
}

void CDlgAfterInstallWiz::CreateInstallRestorePoint() {
    if (AfxGetApp() == nullptr)
        return;
    static_cast<void>(
        CreateRestorePoint(FillTextSlots(PelqText(L"IDS_FIRST_INSTL"), {kProductWord})));
}

bool CDlgAfterInstallWiz::UpdateDatabase() {
    return m_update.UpdateDefinitionDatabase();
}

void CDlgAfterInstallWiz::SetStepResult(int code) {
    const int step = m_nCurrentStep;
    if (step < 0 || step >= kStepCount)
        return;
    switch (code) {
    case 0:
        m_strStatus[step].Empty();
        InvalidateRect(&m_rcStatus[step], FALSE);
        Sleep(500);
        m_animation.ShowWindow(SW_SHOW);
        m_animation.SendMessageW(ACM_PLAY, static_cast<WPARAM>(-1), MAKELPARAM(0, 0xFFFF));
        break;
    case 1:
        m_animation.SendMessageW(ACM_STOP);
        m_strStatus[step] = PelqText(L"IDS_COMPLETE");
        break;
    case 2:
        m_animation.SendMessageW(ACM_STOP);
        m_strStatus[step] = PelqText(L"IDS_NOCOMPLETE");
        break;
    default:
        return;
    }
    Invalidate(FALSE);
    Sleep(100);
}

void CDlgAfterInstallWiz::PlaceStepControls(bool done) {
    CRect client;
    GetClientRect(&client);
    const int y = 121 + 72 * m_nCurrentStep;
    m_animation.MoveWindow(client.Width() - 165, y, 134, 13);
    m_skipLink.MoveWindow(client.Width() - 91, y + 14, 60, 20);
    const bool offered = m_nCurrentStep >= 2 && !done;
    m_skipLink.EnableWindow(offered);
    m_skipLink.ShowWindow(offered ? SW_SHOW : SW_HIDE);
    m_nextButton.EnableWindow(offered);
    if (done) {
        m_animation.ShowWindow(SW_HIDE);
        m_animation.EnableWindow(FALSE);
    }
}

void CDlgAfterInstallWiz::DrawStepIcon(CDC* dc, int step, bool done) {
    if (step < 0 || step >= kStepCount)
        return;
    DrawPngPart(dc->GetSafeHdc(), m_stepIcons, 80, 121 + 72 * step, 24 * step, done ? 24 : 0, 24,
                24);
}

bool CDlgAfterInstallWiz::ReadBackupSuccess() {
    return RegReadDwordAt(HKEY_CURRENT_USER, ProductKeyPath(), L"SysBackupSuccess") != 0;
}

bool CDlgAfterInstallWiz::WriteBackupSuccess(DWORD value) {
    return RegWriteDwordAt(HKEY_CURRENT_USER, ProductKeyPath(), L"SysBackupSuccess", value);
}

bool CDlgAfterInstallWiz::ReadCleanFinished() {
    return RegReadDwordAt(HKEY_CURRENT_USER, ProductKeyPath(L"OneClickCure\\SysFileBackup"),
                          L"CLEANFINISHED") == 1;
}

bool CDlgAfterInstallWiz::ResetCleanFinished() {
    return RegWriteDwordAt(HKEY_CURRENT_USER, ProductKeyPath(L"OneClickCure\\SysFileBackup"),
                           L"CLEANFINISHED", 0);
}

void CDlgAfterInstallWiz::OnPaint() {
    CSkinPaintDC dc(this);
    const CRect& client = dc.Client();
    PaintWindowFrame(&dc, client);
    const int width = client.Width();
    dc.SetBkMode(TRANSPARENT);
    {
        CSelectedFont font(dc.GetSafeHdc(), static_cast<HFONT>(g_fontPlus4Bold.GetSafeHandle()));
        dc.SetTextColor(0x323232);
        CRect heading(26, 50, width - 26, 72);
        dc.DrawText(m_strTexts[0], &heading, DT_SINGLELINE | DT_END_ELLIPSIS);
    }
    DrawHorizontalLine(&dc, 26, width - 26, 75, 0xD6CCC2);
    CSelectedFont font(dc.GetSafeHdc(), static_cast<HFONT>(g_fontUI.GetSafeHandle()));
    dc.SetTextColor(0x444444);
    CRect introduction(26, 85, width - 26, 115);
    dc.DrawText(m_strTexts[1], &introduction, DT_WORDBREAK);
    const bool done[2] = {m_bBackupDone, m_bServiceDone};
    for (int task = 0; task < 2; ++task) {
        const int y = 124 + 28 * task;
        if (m_bmpTask.GetWidth() > 0)
            DrawBitmap(&dc, 26, y, m_bmpTask.GetWidth(), m_bmpTask.GetHeight(), &m_bmpTask,
                       SRCCOPY);
        dc.SetTextColor(0x444444);
        CRect text(53, y, width - 230, y + 20);
        dc.DrawText(m_strTexts[2 + task], &text, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
        if (done[task]) {
            CSelectedFont bold(dc.GetSafeHdc(), static_cast<HFONT>(g_fontUIBold.GetSafeHandle()));
            dc.SetTextColor(kDoneGreen);
            CRect status(width - 225, y, width - 26, y + 20);
            dc.DrawText(PelqText(L"IDS_DONE"), &status, DT_SINGLELINE | DT_VCENTER);
        }
    }
    dc.SetTextColor(0x444444);
    CRect closing(26, 184, width - 26, 204);
    dc.DrawText(m_strTexts[4], &closing, DT_WORDBREAK);
}
