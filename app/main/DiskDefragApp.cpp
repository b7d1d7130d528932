#include "DiskDefragApp.h"

#include "DefragRpcBinding.h"
#include "DiskDefragDlg.h"
#include "DiskToolsState.h"
#include "DupeFinder.h"
#include "PhysicalDiskReader.h"
#include "ServiceControl.h"
#include "SimulatedDiskConfig.h"
#include "StartupCommandLine.h"

#include <AppLocations.h>
#include <AppState.h>
#include <ProcessControl.h>
#include <ProductIdentity.h>
#include <Registry.h>
#include <ToolsTable.h>

// Binds the service interface's implicit handle to the service's pipe on this computer.
class DefragRpcClientBinding : public DefragRpcBinding {
public:
    DefragRpcClientBinding() : DefragRpcBinding(kDefragRpcEndpoint) {}
};

BEGIN_MESSAGE_MAP(CDiskDefragApp, CVantorixApp)
END_MESSAGE_MAP()

namespace {
constexpr DWORD kArgumentStartDelayMs = 4096;
} // namespace

CDiskDefragApp::CDiskDefragApp()
    : CVantorixApp(GetToolTitle(kDefragToolNumber), GetToolIniName(kDefragToolNumber)) {}

CDiskDefragApp::~CDiskDefragApp() = default;

BOOL CDiskDefragApp::InitInstance() {
    const StartupSwitches switches = ReadStartupSwitches(GetCommandLineW());
    // A start with arguments (the scheduler's, a hidden scan) lets the system settle first.
    if (switches.hasArguments)
        Sleep(kArgumentStartDelayMs);
    m_strScheduleDriveLetters = switches.scheduleLetters;
    StoreScheduleDriveLetters();

    if (!CVantorixApp::InitInstance())
        return FALSE;

    m_strDataFolder = GetAppDataFolder();
    if (!GetCommonDataSubFolder(m_strCommonDataFolder, kCommonDataSubFolder))
        m_strCommonDataFolder.Empty();
    DecideRunModes(switches.hiddenScan);
    SetLangSection(kDefragLangSection);
    BindServiceInterface();
    m_dupeFinder = std::make_unique<CDupeFinder>();
    BuildDriveList();
    InitPhysicalDiskTables();
    RegisterApplicationDiskTools(m_physicalDisks, m_drives);
    RunMainWindow();
    return FALSE;
}

void CDiskDefragApp::StoreScheduleDriveLetters() {
    if (m_strScheduleDriveLetters.IsEmpty())
        return;
    CRegistry key(HKEY_CURRENT_USER);
    if (key.Open(HKEY_CURRENT_USER, ::GetAppRegistryKey(), true))
        (void)key.WriteString(kScheduleDriveLetterValue, m_strScheduleDriveLetters);
}

void CDiskDefragApp::DecideRunModes(bool hiddenScan) {
    m_bHiddenStart = hiddenScan;
    if (g_bScheduleSwitch) {
        m_bScheduledWithDrives = !m_strScheduleDriveLetters.IsEmpty();
        m_bScheduledWithoutDrives = !m_bScheduledWithDrives;
    }
}

void CDiskDefragApp::BindServiceInterface() {
    // A failure is not reported here: every call then answers 0 and the home page offers to
    // install the service.
    m_serviceBinding = std::make_unique<DefragRpcClientBinding>();
}

bool CDiskDefragApp::IsServiceBound() const {
    return m_serviceBinding && m_serviceBinding->Status() == RPC_S_OK;
}

void CDiskDefragApp::BuildDriveList() {
    m_drives = ::BuildDriveList();
}

void CDiskDefragApp::InitPhysicalDiskTables() {
    std::unique_ptr<CDiskApi> disks = CreateConfiguredDiskApi();
    if (!disks)
        return;
    EnumerateVolumes(*disks, m_physicalDisks.volumes);
    ReadPhysicalDrivesInfo(*disks, m_physicalDisks.drives, m_physicalDisks.volumes);
}

int CDiskDefragApp::ExitInstance() {
    if (g_bScheduleSwitch || g_bAutoFixSwitch || g_bShutdownSwitch || g_bAnotherInstanceRunning)
        return CVantorixApp::ExitInstance();
    EndServiceProgram();
    m_dupeFinder.reset();
    m_drives.clear();
    return CVantorixApp::ExitInstance();
}

void CDiskDefragApp::EndServiceProgram() {
    (void)KillProcessesByName(DefragServiceProgramName());
}

namespace {
CString LangTexts(CDiskDefragApp& app, const wchar_t* key) {
    return app.GetLangString(key, kDefragLangSection);
}

} // namespace

// Tab captions and each tab's side-button texts, from "TABBTN1" and "TAB1LEFTBTN1" on.
void CDiskDefragApp::BuildAppLayout(AppLayout& layout) {
    CDiskDefragApp& app = *this;
    struct TabShape {
        int buttons;
        int panelStyle;
    };
    constexpr TabShape kTabs[kMaxAppTabs] = {{5, 1}, {5, 1}, {6, 1}, {5, 0}, {3, 0}};
    layout.hIcon = app.LoadIcon(kAppIconId);
    layout.nLogoBitmapId = GetToolIconId(kDefragToolNumber);
    layout.bMaximizeAllowed = 0;
    layout.bShowToolTips = 0;
    layout.nTabCount = kMaxAppTabs;
    for (int tab = 0; tab < kMaxAppTabs; ++tab) {
        CString key;
        key.Format(L"TABBTN%d", tab + 1);
        layout.tabCaptions.Add(LangTexts(app, key));
    }
    layout.bLayoutFlag = 1;
    layout.strAboutText = CommandLineElement(GetCommandLineW(), 0);
    layout.strAboutItemText = LangTexts(app, L"APPABOUT");
    layout.strWindowTitle = GetToolCaption(kDefragToolNumber);
    for (int tab = 0; tab < kMaxAppTabs; ++tab) {
        AppTabRecord& record = layout.tabs[tab];
        record.nButtonCount = kTabs[tab].buttons;
        record.nPanelStyle = kTabs[tab].panelStyle;
        for (int button = 1; button <= kTabs[tab].buttons; ++button) {
            CString key;
            key.Format(L"TAB%dLEFTBTN%d", tab + 1, button);
            record.buttonKeys.Add(LangTexts(app, key));
        }
    }
    layout.pTabSwitchCallback = &CDiskDefragDlg::OnTabSwitch;
}

void CDiskDefragApp::RunMainWindow() {
    auto layout = std::make_unique<AppLayout>();
    BuildAppLayout(*layout);
    auto window = std::make_unique<CDiskDefragDlg>();
    m_pMainWnd = window.get();
    m_pMainDlg = window.get();
    g_pDiskDefragDlg = window.get();
    window->SetAppLayout(*layout);
    window->DoModal();
    g_pDiskDefragDlg = nullptr;
    m_pMainDlg = nullptr;
    m_pMainWnd = nullptr;
}
