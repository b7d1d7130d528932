#include "DiskDefragApp.h"

#include "DefragRpcBinding.h"
#include "DiskDefragDlg.h"
#include "DupeFinder.h"
#include "PhysicalDiskReader.h"
#include "ServiceControl.h"
#include "SimulatedDiskConfig.h"
#include "StartupCommandLine.h"

#include <app_locations.h>
#include <app_state.h>
#include <process_control.h>
#include <product_identity.h>
#include <registry.h>
#include <tools_table.h>

// Binds the service interface's implicit handle to the service's pipe on this computer.
class DefragRpcClientBinding : public DefragRpcBinding {
public:
    DefragRpcClientBinding() : DefragRpcBinding(L"\\pipe\\defrag_rpcechoxarn") {}
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
    const wchar_t* commandLine = GetCommandLineW();
    // A start with arguments (the scheduler's, a hidden scan) lets the system settle first.
    if (!CommandLineElement(commandLine, 1).IsEmpty())
        Sleep(kArgumentStartDelayMs);
    if (HasSchedulingSwitch(NormalizeCommandLine(commandLine)))
        StoreScheduleDriveLetters();

    if (!CVantorixApp::InitInstance())
        return FALSE;

    m_strDataFolder = GetAppDataFolder();
    if (!GetCommonDataSubFolder(m_strCommonDataFolder, kCommonDataSubFolder))
        m_strCommonDataFolder.Empty();
    DecideRunModes();
    SetLangSection(kDefragLangSection);
    BindServiceInterface();
    m_dupeFinder = std::make_unique<CDupeFinder>();
    BuildDriveList();
    InitPhysicalDiskTables();
    RunMainWindow();
    return FALSE;
}

void CDiskDefragApp::StoreScheduleDriveLetters() {
    m_strScheduleDriveLetters =
        ScheduleLettersFromElement(CommandLineElement(GetCommandLineW(), 2));
    if (m_strScheduleDriveLetters.IsEmpty())
        return;
    CRegistry key(HKEY_CURRENT_USER);
    if (key.Open(HKEY_CURRENT_USER, GetAppRegistryKey(), true))
        (void)key.WriteString(kScheduleDriveLetterValue, m_strScheduleDriveLetters);
}

void CDiskDefragApp::DecideRunModes() {
    m_bHiddenStart = IsHiddenScanElement(CommandLineElement(GetCommandLineW(), 1));
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
