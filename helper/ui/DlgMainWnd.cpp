#include "DlgMainWnd.h"

#include "BitmapDrawing.h"
#include "PopupServices.h"
#include "STBitmap.h"
#include "SkinMemDC.h"
#include "SkinMenu.h"
#include "WindowUtilities.h"
#include "AppState.h"
#include "IniReader.h"
#include "Paths.h"
#include "ProductIdentity.h"
#include "ShellCommands.h"
#include "SingleInstance.h"
#include "SystemInfo.h"
#include "UiFonts.h"
#include "XarnSysBinding.h"

#include <classlib/Menu.h>
#include <classlib/Resources.h>

#include <cstdlib>

XARNHELPER_DATA CString g_strVersionText;
XARNHELPER_DATA BYTE g_bShowDemoMenu = 0;
XARNHELPER_DATA CString g_strDemoArgument;

IMPLEMENT_DYNCREATE(CDlgMainWnd, CDlgBaseWnd)

BEGIN_MESSAGE_MAP(CDlgMainWnd, CDlgBaseWnd)
ON_WM_PAINT()
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONDBLCLK()
ON_WM_SIZE()
ON_WM_DESTROY()
ON_WM_GETMINMAXINFO()
ON_COMMAND(MainWndCommand::kMinimize, &CDlgMainWnd::OnMinimizeButton)
ON_COMMAND(MainWndCommand::kMaximize, &CDlgMainWnd::OnMaximizeButton)
ON_WM_SYSCOMMAND()
ON_COMMAND(MainWndCommand::kHelpMenuButton, &CDlgMainWnd::OnHelpMenuButton)
ON_COMMAND(MainWndCommand::kDemoButton, &CDlgMainWnd::OnDemoButton)
ON_COMMAND(MainWndCommand::kHeaderAbout, &CDlgMainWnd::OnAbout)
ON_COMMAND(MainWndCommand::kOnlineHelp, &CDlgMainWnd::OnOnlineHelp)
ON_COMMAND(MainWndCommand::kCompanySite, &CDlgMainWnd::OnCompanySite)
ON_COMMAND(MainWndCommand::kHelpTopics, &CDlgMainWnd::OnHelpTopics)
ON_COMMAND(MainWndCommand::kCheckForUpdates, &CDlgMainWnd::OnCheckForUpdates)
ON_COMMAND(MainWndCommand::kAboutMenu, &CDlgMainWnd::OnAbout)
ON_COMMAND(MainWndCommand::kDemoMenu, &CDlgMainWnd::OnDemoButton)
ON_COMMAND(MainWndCommand::kReportFeedback, &CDlgMainWnd::OnReportFeedback)
ON_MESSAGE(WM_KICKIDLE, &CDlgMainWnd::OnKickIdle)
ON_COMMAND(MainWndCommand::kLanguageEnglish, &CDlgMainWnd::OnLanguageEnglish)
ON_COMMAND(MainWndCommand::kLanguageFrench, &CDlgMainWnd::OnLanguageFrench)
ON_WM_HELPINFO()
END_MESSAGE_MAP()

namespace {
constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW;
constexpr UINT kCloseStrip = 1038;
constexpr UINT kMinimizeStrip = 1042;
constexpr UINT kMaximizeStrip = 1063;
constexpr UINT kRestoreStrip = 1062;
constexpr UINT kHelpMenuImage = 1304;
constexpr UINT kCompanySiteImage = 1308;
constexpr UINT kDemoImage = 1297;
constexpr UINT kSystemMinimizeCommand = 0x8001;
constexpr DWORD kDemoQuietTicks = 8191;
constexpr DWORD kDemoButtonPause = 512;
// The demonstration program in the program folder.
constexpr wchar_t kDemoProgram[] = L"XarnDemo.exe";
constexpr wchar_t kLanguageChoiceFile[] = L"lang.lng";
constexpr wchar_t kPelqSection[] = L"Pelq";

DWORD g_lastDemoTick = 0;

void RestartProgram(const CString& program) {
    // Whether it started is the new instance's concern: this one ends either way.
    static_cast<void>(
        ShellExecuteSafe(::GetDesktopWindow(), L"open", program, L"", L"", SW_SHOWNORMAL));
    ::PostQuitMessage(0);
    ::ExitProcess(0);
}

ProgramRestartHook g_restartHook = &RestartProgram;

std::unique_ptr<wchar_t[]> CopyText(const CString& text) {
    wchar_t* copy = nullptr;
    AllocStringCopy(text, &copy);
    return std::unique_ptr<wchar_t[]>(copy);
}

// The folder of the program's own file, with its final backslash.
CString ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    wchar_t drive[_MAX_DRIVE] = {};
    wchar_t folder[_MAX_DIR] = {};
    _wsplitpath(path, drive, folder, nullptr, nullptr);
    return CString(drive) + folder;
}

// The program's own path as it was started; its module's file when the arguments are unknown.
CString OwnProgramPath() {
    if (__wargv != nullptr && __wargv[0] != nullptr)
        return __wargv[0];
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

// The folder of the library's own module.
CString LibraryFolder() {
    CString folder;
    GetModuleFolder(AfxGetModuleState()->m_hCurrentInstanceHandle, folder);
    return folder;
}

void ShowIf(CWnd& window, bool show) {
    if (window.GetSafeHwnd() != nullptr)
        window.ShowWindow(show ? SW_SHOW : SW_HIDE);
}

// Copies `bitmap` at its own size, stepping by `step` from `from` while below `limit`.
void TileDown(CDC* dc, CSTBitmap& bitmap, int x, int from, int limit) {
    const int height = bitmap.GetHeight();
    DrawBitmapRepeated(dc, x, from, bitmap.GetWidth(), height, &bitmap, 0, height,
                       RepeatCount(from, limit, height));
}

void TileAcross(CDC* dc, CSTBitmap& bitmap, int y, int limit) {
    const int width = bitmap.GetWidth();
    DrawBitmapRepeated(dc, 0, y, width, bitmap.GetHeight(), &bitmap, width, 0,
                       RepeatCount(0, limit, width));
}

void DrawAtOwnSize(CDC* dc, CSTBitmap& bitmap, int x, int y) {
    DrawBitmap(dc, x, y, bitmap.GetWidth(), bitmap.GetHeight(), &bitmap, SRCCOPY);
}
} // namespace

void SetProgramRestartHook(ProgramRestartHook hook) {
    g_restartHook = hook != nullptr ? hook : &RestartProgram;
}

CDlgMainWnd::CDlgMainWnd() {
    InitMainWindowState();
}

CDlgMainWnd::CDlgMainWnd(UINT templateId, CWnd* parent) : CDlgBaseWnd(templateId, parent) {
    InitMainWindowState();
    m_nTemplateId = templateId;
}

CDlgMainWnd::~CDlgMainWnd() = default;

void CDlgMainWnd::InitMainWindowState() {
    ResetBase();
    if (COleMessageFilter* filter = AfxOleGetMessageFilter();
        filter != nullptr && AfxIsValidAddress(filter, sizeof(*filter), FALSE)) {
        filter->SetMessagePendingDelay(65536);
        filter->EnableBusyDialog(FALSE);
        filter->EnableNotRespondingDialog(FALSE);
    }
    LOGFONTW font{};
    GetDefaultLogFont(&font);
    font.lfQuality = CLEARTYPE_QUALITY;
    font.lfWeight = FW_MEDIUM;
    font.lfHeight = -16;
    CString face = GetUIFontFace();
    face.MakeUpper();
    if (GetOsMajorVersion() < 6 && face.Find(L"SEG") != 0) {
        font.lfWeight = FW_NORMAL;
        wcscpy_s(font.lfFaceName, L"Arial");
    }
    // Without the font the caption texts fall back to the dialog's.
    static_cast<void>(m_fontCaption.CreateFontIndirect(&font));
}

void CDlgMainWnd::DoDataExchange(CDataExchange* dx) {
    CDlgBaseWnd::DoDataExchange(dx);
}

BOOL CDlgMainWnd::OnInitDialog() {
    CDlgBaseWnd::OnInitDialog();
    if (g_hAppIcon != nullptr)
        TakeApplicationIdentity(this);
    MoveWindow(0, 0, kWindowWidth, kWindowHeight, TRUE);
    CIniReader* texts = OpenIniFile(L"pelq.ini", true);

    CString helper = ProgramFolder() + L"xarnhelper.dll";
    helper.MakeLower();
    g_strVersionText.Format(ReadLangText(L"IDS_VERSION_FORMAT", kPelqSection, texts, nullptr),
                            GetProductShortName().GetString(),
                            GetFileVersionText(helper).GetString());

    CString site;
    site.Format(ReadLangText(L"IDS_COMP_WEBSITE_URL", kPelqSection, texts, nullptr),
                GetCompanyKeyName().GetString());
    m_pszCompanySite = CopyText(site);
    m_pszOnlineHelp = CopyText(ReadLangText(L"IDS_ONLINE_HELP", kPelqSection, texts, nullptr));
    m_pszCheckForUpdates =
        CopyText(ReadLangText(L"IDS_CHECK_FOR_UPDATES", kPelqSection, texts, nullptr));
    m_pszReportFeedback =
        CopyText(ReadLangText(L"IDS_REPORT_FEEDBACK", kPelqSection, texts, nullptr));
    m_pszAbout = CopyText(ReadLangText(L"IDS_ABOUT_STR", kPelqSection, texts, nullptr));
    m_pszDemo = CopyText(ReadLangText(L"IDS_SPCDEMO_STR", kPelqSection, texts, nullptr));
    m_strLanguageLabel = GetLangString(L"IDS_LANGUAGE", kPelqSection);
    m_strEnglishLabel = GetLangString(L"IDS_ENGLISH", kPelqSection);
    m_strFrenchLabel = GetLangString(L"IDS_FRENCH", kPelqSection);

    if (m_bSystemMenu)
        BuildSystemMenu(texts);
    CreateCaptionButtons();
    m_bInitialized = 1;
    CloseIniFile(texts);
    return TRUE;
}

void CDlgMainWnd::BuildSystemMenu(CIniReader* texts) {
    try {
        ModifyStyle(0, WS_SYSMENU);
        CMenu* menu = GetSystemMenu(FALSE);
        if (menu == nullptr)
            return;
        for (UINT command : {SC_MAXIMIZE, SC_MINIMIZE, SC_RESTORE, SC_SIZE, SC_CLOSE, SC_MOVE})
            menu->RemoveMenu(command, MF_BYCOMMAND);
        // What is left of the system's menu: its separators and anything a theme added.
        for (int i = 0; i < 3; ++i)
            menu->RemoveMenu(0, MF_BYPOSITION);
        menu->RemoveMenu(1, MF_BYPOSITION);
        auto text = [texts](LPCWSTR key) {
            return ReadLangText(key, kPelqSection, texts, nullptr);
        };
        menu->AppendMenu(MF_STRING, MainWndCommand::kSystemMenuAbout, m_strAboutItem);
        menu->AppendMenu(MF_STRING, SC_RESTORE, text(L"IDS_STR_RESTORE"));
        menu->AppendMenu(MF_STRING, SC_MINIMIZE, text(L"IDS_STR_MINIMIZE"));
        menu->AppendMenu(MF_STRING, SC_MOVE, text(L"IDS_STR_MOVE"));
        menu->AppendMenu(MF_SEPARATOR);
        menu->AppendMenu(MF_STRING, SC_CLOSE, text(L"IDS_STR_CLOSE"));
        ModifyStyle(0, WS_MINIMIZEBOX);
    } catch (...) {
        // A menu that cannot be rebuilt leaves the window without it, nothing worse.
    }
}

void CDlgMainWnd::CreateCaptionButtons() {
    m_bMaximized = 0;
    CRect client;
    GetClientRect(&client);
    int x = client.Width() - 22;
    auto create = [this](CHoverButton& button, int left, UINT id, UINT strip) {
        if (button.Create(L"", kButtonStyle, CRect(left, 5, left + 19, 24), this, id))
            button.LoadBitmap(strip);
    };
    create(m_btnClose, x, MainWndCommand::kClose, kCloseStrip);
    x -= 20;
    create(m_btnMaximize, x, MainWndCommand::kMaximize, kMaximizeStrip);
    create(m_btnRestore, x, MainWndCommand::kMaximize, kRestoreStrip);
    x -= 20;
    create(m_btnMinimize, x, MainWndCommand::kMinimize, kMinimizeStrip);
    ShowIf(m_btnMaximize, m_bMaximizeAllowed && !m_bMaximized);
    ShowIf(m_btnRestore, m_bMaximizeAllowed && m_bMaximized);
}

void CDlgMainWnd::PlaceCaptionButtons() {
    CRect client;
    GetClientRect(&client);
    constexpr int top = 2;
    CRect closeRect(0, 0, 0, 0);
    if (m_btnClose.GetSafeHwnd() != nullptr) {
        m_btnClose.GetWindowRect(&closeRect);
        m_btnClose.MoveWindow(743, 7, closeRect.Width(), 23, TRUE);
    }
    int x = client.Width() - closeRect.Width() - 7;
    if (m_bMaximizeAllowed) {
        if (m_btnMaximize.GetSafeHwnd() != nullptr) {
            CRect own;
            m_btnMaximize.GetWindowRect(&own);
            x -= own.Width();
            m_btnMaximize.MoveWindow(x, top, 25, 18, TRUE);
        }
        if (m_btnRestore.GetSafeHwnd() != nullptr)
            m_btnRestore.MoveWindow(x, top, 25, 18, TRUE);
    }
    if (m_btnMinimize.GetSafeHwnd() != nullptr) {
        CRect own;
        m_btnMinimize.GetWindowRect(&own);
        m_btnMinimize.MoveWindow(717, 7, own.Width(), 23, TRUE);
    }
}

void CDlgMainWnd::OnSize(UINT type, int cx, int cy) {
    CDlgBaseWnd::OnSize(type, cx, cy);
    PlaceCaptionButtons();
}

void CDlgMainWnd::OnGetMinMaxInfo(MINMAXINFO* info) {
    SetTrackSizesAboveTaskbar(info, m_nMinTrackWidth, m_nMinTrackHeight);
    CDlgBaseWnd::OnGetMinMaxInfo(info);
}

void CDlgMainWnd::OnMinimizeButton() {
    POINT cursor{};
    ::GetCursorPos(&cursor);
    PostMessageW(WM_SYSCOMMAND, SC_MINIMIZE, MAKELPARAM(cursor.x, cursor.y));
}

void CDlgMainWnd::OnMaximizeButton() {
    POINT cursor{};
    ::GetCursorPos(&cursor);
    m_bMaximized = m_bMaximized ? 0 : 1;
    PostMessageW(WM_SYSCOMMAND, m_bMaximized ? SC_MAXIMIZE : SC_RESTORE,
                 MAKELPARAM(cursor.x, cursor.y));
    ShowIf(m_btnMaximize, !m_bMaximized);
    ShowIf(m_btnRestore, m_bMaximized);
}

bool CDlgMainWnd::InCaptionBand(CPoint point) {
    CRect client;
    GetClientRect(&client);
    return CRect(0, 0, client.Width(), kCaptionBandHeight).PtInRect(point) != FALSE;
}

void CDlgMainWnd::OnLButtonDown(UINT, CPoint point) {
    if (!m_bMaximized && InCaptionBand(point))
        SendMessageW(WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(point.x, point.y));
    Default();
}

void CDlgMainWnd::OnLButtonDblClk(UINT, CPoint point) {
    if (m_bMaximizeAllowed && InCaptionBand(point))
        OnMaximizeButton();
    Default();
}

void CDlgMainWnd::OnSysCommand(UINT command, LPARAM lParam) {
    m_bSysCommandSeen = 1;
    if ((command & 0xFFF0) == MainWndCommand::kSystemMenuAbout) {
        OnAbout();
    } else if ((command & 0xFFF0) == SC_CLOSE) {
        // One close: the default handling would send a second WM_CLOSE.
        PostMessageW(WM_CLOSE);
        return;
    } else if (command == kSystemMinimizeCommand) {
        ShowWindow(SW_MINIMIZE);
    } else if ((command & 0xFFF0) == SC_RESTORE) {
        ShowWindow(SW_RESTORE);
    }
    CDlgBaseWnd::OnSysCommand(command, lParam);
}

void CDlgMainWnd::OnPaint() {
    CPaintDC paint(this);
    if (PaintThroughCallback(&paint))
        return;
    CRect client;
    GetClientRect(&client);
    CSkinMemDC memory(&paint, client, RGB(255, 255, 255));
    for (CHoverButton* button : {&m_btnClose, &m_btnMinimize, &m_btnMaximize})
        if (button->GetSafeHwnd() != nullptr)
            button->Invalidate(TRUE);
}

void CDlgMainWnd::DrawMainFrame(CDC* dc, const RECT& client) {
    static CSTBitmap header(1152), leftEdge(1095), bottomEdge(1049), rightEdge(1125),
        bottomLeft(1048), bottomRight(1050);
    static CSTBitmap logo;
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    DrawAtOwnSize(dc, header, 0, 0);
    if (m_nLogoBitmapId != 0) {
        if (logo.GetSafeHandle() == nullptr)
            logo.LoadBitmap(m_nLogoBitmapId);
        DrawAtOwnSize(dc, logo, 12, 0);
    }
    TileDown(dc, leftEdge, 0, header.GetHeight(), height);
    TileAcross(dc, bottomEdge, height - bottomEdge.GetHeight(), width);
    TileDown(dc, rightEdge, width - rightEdge.GetWidth(), header.GetHeight(), height);
    DrawAtOwnSize(dc, bottomLeft, 0, height - bottomLeft.GetHeight());
    DrawAtOwnSize(dc, bottomRight, width - bottomRight.GetWidth(),
                  height - bottomRight.GetHeight());
}

void CDlgMainWnd::OnHelpMenuButton() {
    CRect place;
    if (m_btnHelpMenu.GetSafeHwnd() != nullptr)
        m_btnHelpMenu.GetWindowRect(&place);
    ShowHelpMenu(place.left - 181, place.top + 22);
}

void CDlgMainWnd::ShowHelpMenu(int x, int y) {
    CSkinMenu menu;
    if (!menu.CreatePopupMenu())
        return;
    menu.AppendODMenu(m_pszOnlineHelp.get(), MF_OWNERDRAW, MainWndCommand::kOnlineHelp,
                      kHelpMenuImage);
    menu.AppendODMenu(m_pszCompanySite.get(), MF_OWNERDRAW, MainWndCommand::kCompanySite,
                      kCompanySiteImage);
    if (m_bDemoItemAllowed && g_bShowDemoMenu)
        menu.AppendODMenu(m_pszDemo.get(), MF_OWNERDRAW, MainWndCommand::kDemoMenu, kDemoImage);
    menu.TrackPopupMenu(0, x, y, this);
    menu.DestroyMenu();
}

void CDlgMainWnd::OnDemoButton() {
    const DWORD now = ::GetTickCount();
    if (g_lastDemoTick != 0 && now > g_lastDemoTick && now - g_lastDemoTick <= kDemoQuietTicks)
        return;
    g_lastDemoTick = now;
    const bool button = m_btnDemo.GetSafeHwnd() != nullptr;
    if (button)
        m_btnDemo.EnableWindow(FALSE);
    const CString folder = LibraryFolder();
    CString program = folder;
    AppendPath(program, kDemoProgram);
    // The demonstration reports for itself; a missing one simply does not start.
    static_cast<void>(ShellExecuteSafe(::GetDesktopWindow(), L"open", program, g_strDemoArgument,
                                       folder, SW_SHOWNORMAL));
    if (button) {
        ::Sleep(kDemoButtonPause);
        m_btnDemo.EnableWindow(TRUE);
    }
}

void CDlgMainWnd::OnAbout() {
    ShowAboutDialog(AfxGetMainWnd());
}

void CDlgMainWnd::OnOnlineHelp() {
    OpenOnlineHelp();
}

void CDlgMainWnd::OnCompanySite() {
    OpenStoredWebPage();
}

void CDlgMainWnd::OnHelpTopics() {
    OpenHelpPage(L"");
}

void CDlgMainWnd::OnCheckForUpdates() {
    LaunchUpdateCheck();
}

void CDlgMainWnd::OnReportFeedback() {
    ShowFeedbackDialog(AfxGetMainWnd());
}

LRESULT CDlgMainWnd::OnKickIdle(WPARAM, LPARAM) {
    SendMessageToHandlingDescendants(WM_IDLEUPDATECMDUI);
    return 0;
}

void CDlgMainWnd::SwitchLanguageUnless(LPCWSTR currentName, LPCWSTR code) {
    if (XarnSysLanguageName().CompareNoCase(currentName) != 0)
        SwitchLanguage(code);
}

void CDlgMainWnd::OnLanguageEnglish() {
    SwitchLanguageUnless(L"ENGLISH", L"LANG1");
}

void CDlgMainWnd::OnLanguageFrench() {
    SwitchLanguageUnless(L"FRENCH", L"LANG2");
}

BOOL CDlgMainWnd::SwitchLanguage(LPCWSTR code) {
    CWnd* main = AfxGetMainWnd();
    if (AppMessageBox(GetLangString(L"IDS_LANG_CHANGE_PROMPT", kPelqSection),
                      MB_YESNO | MB_ICONQUESTION, main, nullptr, true) == IDNO)
        return FALSE;
    CString path = LibraryFolder();
    AppendPath(path, kLanguageChoiceFile);
    if (PathExists(path) != 1) {
        CString message;
        message.Format(L"Failed to load Language File:\r\n%s\r\nUnable to continue!\r\n",
                       path.GetString());
        AppMessageBox(message, MB_ICONERROR, main, nullptr, true);
        return FALSE;
    }
    if (!::WritePrivateProfileStringW(L"LANGUAGE", L"CURRENTLANG", code, path))
        return FALSE;
    // The new instance must find neither this one's instance mutex nor its window, or it
    // would hand over to this one and quit while this one ends.
    ReleaseInstanceMutex();
    ShowWindow(SW_HIDE);
    g_restartHook(L"\"" + OwnProgramPath() + L"\"");
    return TRUE;
}
