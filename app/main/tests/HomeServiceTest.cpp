// The home page's start against the real service program under Wine's service manager, the
// program's own way from the click: the home page starts the installed but stopped service, the
// progress page sends the job through the main window's client, and the job analyses the
// simulated volume the service was given for the drive.
#include <windows.h>

#include <DiskDefragApp.h>
#include <DiskDefragDlg.h>
#include <DlgDefragWelome.h>
#include <DlgDiskScanDefrag.h>

#include <DlgBaseMessageBoxWndBase.h>
#include <DlgLeftDlgBase.h>
#include <ProductIdentity.h>

#include "DefragRpcBinding.h"
#include "FragmentationFigures.h"
#include "SimVolumeBuilder.h"
#include "SimulatedVolumeConfig.h"
#include "UiTestSupport.h"

#include "UnixPath.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

CDiskDefragApp theApp;

namespace {
const auto* const g_fonts = ::testing::AddGlobalTestEnvironment(new SharedFontsEnvironment);

constexpr wchar_t kImage[] = L"C:\\xarn-home-simvol.img";
// The service program is installed from a folder of drive C:, as from the product's folder.
constexpr wchar_t kInstallFolder[] = L"C:\\Program Files\\Xarn Home Test";
constexpr uint64_t kClusters = 8192;

std::wstring BuiltServiceProgram() {
    return WindowsPathOfUnixFile(XARN_SERVICE64_PROGRAM);
}

std::wstring InstalledServiceProgram() {
    return std::wstring(kInstallFolder) + L"\\" + DefragServiceProgramName();
}

bool StopService() {
    ServiceHandles handles;
    if (!handles.ReopenService())
        return false;
    SERVICE_STATUS status{};
    for (int wait = 0; wait < 300; ++wait) {
        if (!QueryServiceStatus(handles.Service(), &status))
            return false;
        if (status.dwCurrentState == SERVICE_STOPPED)
            return true;
        // A service still starting refuses the stop: ask again once it runs.
        if (status.dwCurrentState == SERVICE_RUNNING)
            ControlService(handles.Service(), SERVICE_CONTROL_STOP, &status);
        Sleep(100);
    }
    return false;
}

void RemoveService() {
    StopService();
    ServiceHandles handles;
    if (handles.ReopenService())
        DeleteService(handles.Service());
}

void SetImageParameter(wchar_t drive, const wchar_t* image) {
    RegistryKey key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, kServiceParametersKey, 0, nullptr,
                                             0, KEY_SET_VALUE, nullptr, key.Put(), nullptr));
    const std::wstring name = SimulatedVolumeValueName(drive);
    EXPECT_EQ(ERROR_SUCCESS,
              RegSetValueExW(key.Get(), name.c_str(), 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(image),
                             static_cast<DWORD>((lstrlenW(image) + 1) * sizeof(wchar_t))));
}

int JobState() {
    int state = -1;
    int priority = 0;
    return SafeRpcGetDefragState(state, priority) ? state : -1;
}

void FailOnAnyBox(CDlgBaseMessageBoxWndBase* box) {
    const std::wstring text(box->m_strMessage.GetString());
    ADD_FAILURE() << "a message box came up: " << std::string(text.begin(), text.end());
    box->PostMessageW(WM_COMMAND, IDCANCEL, 0);
}

// The installed service, its drive's parameter and its files go whatever the test's outcome:
// a service left behind would fail every later install in the prefix.
class HomePageWithTheService : public ::testing::Test {
protected:
    void SetUp() override {
        theApp.SetLangSection(kDefragLangSection);
        SetMessageBoxAnswerHook(&FailOnAnyBox);
        RemoveService();
    }
    void TearDown() override {
        RemoveService();
        RegistryKey key;
        if (drive_ && RegOpenKeyExW(HKEY_LOCAL_MACHINE, kServiceParametersKey, 0, KEY_SET_VALUE,
                                    key.Put()) == ERROR_SUCCESS)
            RegDeleteValueW(key.Get(), SimulatedVolumeValueName(drive_).c_str());
        DeleteFileW(kImage);
        DeleteFileW(InstalledServiceProgram().c_str());
        RemoveDirectoryW(kInstallFolder);
        SetMessageBoxAnswerHook(nullptr);
    }

    wchar_t drive_ = 0;
};

TEST_F(HomePageWithTheService, StartsTheStoppedServiceAndAnalysesTheDrivesVolume) {
    CreateDirectoryW(L"C:\\Program Files", nullptr);
    CreateDirectoryW(kInstallFolder, nullptr);
    ASSERT_TRUE(CopyFileW(BuiltServiceProgram().c_str(), InstalledServiceProgram().c_str(), FALSE));
    ASSERT_TRUE(InstallDefragService(kInstallFolder));
    ASSERT_TRUE(StopService());

    auto binding = std::make_unique<DefragRpcBinding>(kDefragRpcEndpoint);
    AppLayout layout;
    theApp.BuildAppLayout(layout);
    auto window = std::make_unique<CDiskDefragDlg>();
    g_pDiskDefragDlg = window.get();
    window->SetAppLayout(layout);
    ASSERT_TRUE(window->Create(CDlgBaseAppDlg::kTemplateId, nullptr));
    CDlgDefragWelome& home = *window->HomePage();
    const wchar_t drive = home.GetSelectedDriveLetter();
    ASSERT_NE(drive, 0);
    drive_ = drive;

    SimBuildSpec spec;
    spec.seed = 106;
    spec.geometry.totalClusters = kClusters;
    spec.fileCount = 60;
    spec.fragmentedShare = 0.5;
    DeleteFileW(kImage);
    DWORD error = 0;
    ASSERT_NE(nullptr, BuildSimVolume(kImage, spec, &error)) << error;
    SetImageParameter(drive, kImage);

    // The click goes the program's own way: the progress page sends the job and follows it to
    // its end, while the window answers.
    CDlgDiskScanDefrag& progress = *window->ProgressPage();
    home.SendMessageW(WM_COMMAND, MAKEWPARAM(6011, BN_CLICKED), 0);
    ASSERT_TRUE(progress.JobRunning()) << "the job was handed to the progress page";
    EXPECT_EQ(DefragOperation::kAnalysis, progress.Operation());
    ASSERT_TRUE(PumpUntil([&] { return !progress.JobRunning(); }, 180'000));
    EXPECT_EQ(JobState(), kJobFinished) << "the job ended, not failed";
    EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), [] {
        ServiceHandles handles;
        SERVICE_STATUS status{};
        return handles.ReopenService() && QueryServiceStatus(handles.Service(), &status)
                   ? status.dwCurrentState
                   : 0ul;
    }());
    RunResults results;
    window->ServiceClient().FetchResults(results);
    ASSERT_TRUE(results.statisticsRead);
    EXPECT_EQ(kClusters, results.statistics->totalClusters);
    EXPECT_EQ(drive, results.statistics->drive);
    FragmentationFigures figures;
    EXPECT_TRUE(ComputeFragmentation(results, figures));
    EXPECT_GT(figures.diskBefore, 0.0);
    EXPECT_TRUE(window->RefreshServiceState());
    EXPECT_EQ(window->ServiceState(), kJobFinished);

    // Released, as the next job's start would.
    EXPECT_TRUE(window->ServiceClient().Send(kCommandRelease, drive, 0));
    window->DestroyWindow();
    window.reset();
    g_pDiskDefragDlg = nullptr;
    binding.reset();
}
} // namespace
