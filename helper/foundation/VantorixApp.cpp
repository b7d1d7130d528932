#include "VantorixApp.h"

#include <commctrl.h>
#include <gdiplus.h>

#include <clocale>

#include <classlib/Resources.h>
#include <pelqview.h>

#include "AppState.h"
#include "ConfigurationManager.h"
#include "IniReader.h"
#include "Paths.h"
#include "ProductIdentity.h"
#include "SharedGlobals.h"
#include "ShellCommands.h"
#include "SingleInstance.h"
#include "SystemInfo.h"
#include "UiFonts.h"
#include "XarnSysBinding.h"

IMPLEMENT_DYNCREATE(CVantorixApp, CWinAppEx)

BEGIN_MESSAGE_MAP(CVantorixApp, CWinAppEx)
END_MESSAGE_MAP()

namespace {
constexpr UINT kAppIconId = 1287;

// GDI+ stays started for the life of the process.
void StartGdiPlus() {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
}

int AdminState() {
    const bool inGroup = IsUserInAdminGroup();
    if (IsUserAdmin())
        return 1;
    return inGroup ? 2 : 0;
}

// The run-time library's formats and character types follow the product's language.
void SetRunTimeLocale(const CString& language) {
    for (int category : {LC_COLLATE, LC_CTYPE, LC_MONETARY, LC_NUMERIC, LC_TIME, LC_ALL})
        _wsetlocale(category, language);
}

void SetUpOleMessageFilter() {
    COleMessageFilter* filter = AfxOleGetMessageFilter();
    filter->SetMessagePendingDelay(8192);
    filter->EnableBusyDialog(FALSE);
    filter->EnableNotRespondingDialog(FALSE);
}
} // namespace

CVantorixApp::CVantorixApp() : CWinAppEx(TRUE) {}

CVantorixApp::CVantorixApp(LPCWSTR title, LPCWSTR iniName) : CWinAppEx(TRUE) {
    g_bShowHeaderButtons = 1;
    g_strAppTitle = title;
    m_pLangReader = OpenIniFile(iniName, true);
    m_strLangSection = L"Pelq";
    m_strMutexName = L"Xarn_" + g_strAppTitle + L"_24BF8EAB-03C7-4e3c-B10F-1D1F7C0297CB";
    SetUIFontFace(true, L"tahoma");
    SetUIFontHeight(DefaultUIFontHeight());
    StartGdiPlus();
    g_nAdminState = AdminState();
    strCurLangPath = XarnSysLanguageName();
}

CVantorixApp::~CVantorixApp() {
    CloseIniFile(m_pLangReader);
    delete m_pSettings;
}

CVantorixApp* CreateVantorixApp() {
    return new CVantorixApp;
}

BOOL CVantorixApp::InitInstance() {
    CWinAppEx::InitInstance();
    g_hAppIcon = LoadIcon(kAppIconId);
    if (GetOsMajorVersion() > 5) {
        // A scheduled start may run at a lower integrity than the running instance. Where a
        // message cannot be allowed, such a start cannot hand over; this one runs all the same.
        for (UINT message :
             {UINT{WM_COPYDATA}, UINT{WM_SETTEXT}, UINT{WM_CLOSE}, g_msgSchedulerHandOff})
            static_cast<void>(AllowWindowMessage(message, MSGFLT_ADD));
    }

    CString arguments = GetApplicationArguments(this);
    arguments.MakeLower();
    if (arguments.Find(L"-log") >= 0)
        g_bLogEnabled = 1;
    ParseCommandLineSwitches(this);
    if (g_bScheduleSwitch)
        g_bActivateRunningInstance = 0;

    g_bAnotherInstanceRunning = IsAnotherInstanceRunning(this);
    if (g_bAnotherInstanceRunning && g_bActivateRunningInstance) {
        ActivateRunningInstance();
        return FALSE;
    }
    if (g_bAnotherInstanceRunning && (g_bScheduleSwitch || g_bAutoFixSwitch || g_bShutdownSwitch) &&
        !ForwardCommandToRunningInstance(this)) {
        PostQuitMessage(0);
        return FALSE;
    }

    INITCOMMONCONTROLSEX controls = {sizeof controls, 0xFF};
    InitCommonControlsEx(&controls);
    AfxEnableControlContainer();
    AfxInitRichEdit2();
    SetRunTimeLocale(strCurLangPath);
    AfxOleInit();
    SetUpOleMessageFilter();

    InitShellManager();
    InitKeyboardManager();
    InitContextMenuManager();
    InitMouseManager();
    InitTooltipManager();
    CMFCVisualManager::SetDefaultManager(RUNTIME_CLASS(CMFCVisualManagerOffice2007));
    CMFCVisualManagerOffice2007::SetStyle(CMFCVisualManagerOffice2007::Office2007_Silver);
    CMFCToolTipInfo tooltipLook;
    tooltipLook.m_bVislManagerTheme = TRUE;
    GetTooltipManager()->SetTooltipParams(0xFFFF, RUNTIME_CLASS(CMFCToolTipCtrl), &tooltipLook);

    PelqHtml_Initialize(m_hInstance);
    PelqHtml_Initialize(GetOwnModuleHandle());
    PelqHtml_Initialize(GetResourceInstance());

    CString registryKey = GetCompanyKeyName();
    AppendPath(registryKey, GetProductShortName());
    AppendPath(registryKey, GetAppTitle());
    SetRegistryBase(g_strAppTitle);
    SetRegistryKey(registryKey);

    delete m_pSettings;
    m_pSettings = CreateConfigurationManager(g_strAppTitle);
    CreateSharedFonts();

    CString folder;
    GetModuleFolder(m_hInstance, folder);
    SetCurrentDirectoryW(folder);
    return TRUE;
}

int CVantorixApp::ExitInstance() {
    return CWinAppEx::ExitInstance();
}

void CVantorixApp::WinHelp(DWORD_PTR dwData, UINT nCmd) {
    ShowHelp(dwData, nCmd);
}

void CVantorixApp::HtmlHelp(DWORD_PTR dwData, UINT nCmd) {
    ShowHelp(dwData, nCmd);
}

void CVantorixApp::ShowHelp(DWORD_PTR, UINT) {
    RunShellCommand(GetDesktopWindow(), L"open", GetSupportPageUrl(), nullptr, nullptr,
                    SW_SHOWMAXIMIZED);
}

void CVantorixApp::SetLangSection(LPCWSTR section) {
    m_strLangSection = section;
}
