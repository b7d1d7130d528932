// Service control, installation and the RPC client against the real service program under the
// service manager, running a drive on a simulated volume the way the pages will drive it.
#include "DefragCommandSender.h"
#include "DefragRpcBinding.h"
#include "DefragRpcClient.h"
#include "FragmentationFigures.h"
#include "HtmlReport.h"
#include "STService.h"
#include "DefragServiceClient.h"
#include "ServiceControl.h"
#include "ServiceTestSupport.h"
#include "SimVolumeBuilder.h"
#include "SimVolumeChecker.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

constexpr wchar_t kInstallFolder[] = L"C:\\Program Files\\Xarn Core Test";
constexpr wchar_t kImage[] = L"C:\\xarn-core-simvol.img";
constexpr wchar_t kDrive = L'R';
constexpr wchar_t kBrokenDrive = L'P';
constexpr int32_t kBlocks = 1403;
constexpr DWORD kRunMilliseconds = 180'000;

class ServiceClientTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        RemoveService();
        copied_ = CopyBuiltServiceProgram(kInstallFolder);
        binding_ = std::make_unique<DefragRpcBinding>(kDefragRpcEndpoint);
    }
    static void TearDownTestSuite() {
        binding_.reset();
        RemoveService();
        DeleteFileW(kImage);
    }
    static inline bool copied_ = false;
    static inline std::unique_ptr<DefragRpcBinding> binding_;
};

TEST_F(ServiceClientTest, ProgramOfThisWindows) {
    // The tests run in a 64-bit prefix: both builds use the 64-bit service program.
    EXPECT_STREQ(L"XarnDefragSrv64.exe", DefragServiceProgramName());
}

TEST_F(ServiceClientTest, MissingServiceIsInstalledStartedAndContinued) {
    ASSERT_TRUE(copied_);
    EXPECT_FALSE(ConfigureService(kDefragServiceName, kServiceStart)) << "not installed";
    ServiceHandles handles;
    DefragServiceClient client(&handles, [] { return kBlocks; });
    EXPECT_FALSE(client.MakeServiceReady());
    EXPECT_FALSE(client.Send(kCommandRelease, kDrive, 0)) << "no service: nothing sent";

    ASSERT_TRUE(InstallDefragService(kInstallFolder));
    ASSERT_TRUE(WaitForServiceState(SERVICE_RUNNING));
    EXPECT_TRUE(ConfigureService(kDefragServiceName, kServiceStart)) << "running counts as done";
    {
        ServiceHandles check;
        ASSERT_TRUE(check.ReopenService());
        EXPECT_TRUE(EnsureServiceRunning(check.Service()));
    }

    ControlDefragService(SERVICE_CONTROL_PAUSE);
    ASSERT_TRUE(WaitForServiceState(SERVICE_PAUSED));
    EXPECT_TRUE(ConfigureService(kDefragServiceName, kServiceStart));
    EXPECT_TRUE(WaitForServiceState(SERVICE_RUNNING)) << "a paused service is continued";

    // The schedule-service check leaves an active service alone and starts a stopped one.
    EXPECT_TRUE(CSTService::IsServiceActive(kDefragServiceName));
    EXPECT_FALSE(CSTService::StartScheduleService(kDefragServiceName, true));
    EXPECT_FALSE(CSTService::StartScheduleService(L"XarnNoSuchService", true));
    EXPECT_FALSE(CSTService::IsServiceActive(L"XarnNoSuchService"));
    ControlDefragService(SERVICE_CONTROL_STOP);
    ASSERT_TRUE(WaitForServiceState(SERVICE_STOPPED));
    EXPECT_FALSE(CSTService::IsServiceActive(kDefragServiceName));
    EXPECT_TRUE(CSTService::StartScheduleService(kDefragServiceName, true));
    EXPECT_TRUE(WaitForServiceState(SERVICE_RUNNING));

    // Stopped but installed: the command starts it first.
    ControlDefragService(SERVICE_CONTROL_STOP);
    ASSERT_TRUE(WaitForServiceState(SERVICE_STOPPED));
    // The client that started it waits for its listener: the command it started it for is
    // taken, not lost.
    EXPECT_TRUE(client.Send(kCommandRelease, kDrive, 0)) << "started, then sent once it listens";
    EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), ServiceState());
    EXPECT_TRUE(client.MakeServiceReady()) << "a running service is ready as it is";
}

TEST_F(ServiceClientTest, AnalysisAndTwoPassDefragmentationOfASimulatedVolume) {
    ASSERT_TRUE(copied_);
    ASSERT_TRUE(InstallDefragService(kInstallFolder));
    SimBuildSpec spec;
    spec.seed = 18;
    spec.geometry.totalClusters = 16'384;
    spec.fileCount = 150;
    spec.fragmentedShare = 0.4;
    spec.lockedCount = 2;
    DeleteFileW(kImage);
    DWORD error = 0;
    SimDigests digests;
    {
        const std::unique_ptr<CSimVolume> volume = BuildSimVolume(kImage, spec, &error);
        ASSERT_NE(nullptr, volume) << error;
        digests = DigestSimVolume(*volume);
    }
    SetImageParameter(kDrive, kImage);

    ServiceHandles handles;
    ASSERT_TRUE(SendWhenListening(handles, kBlocks, kCommandRelease, kDrive, 0));
    DefragServiceClient sender(&handles, [] { return kBlocks; });

    // Analysis: 5, 5, 6.
    ASSERT_TRUE(StartDefragJob(sender, DefragOperation::kAnalysis, kDrive));
    ASSERT_TRUE(WaitForJobState(kJobFinished, kRunMilliseconds));
    RunResults analysis;
    FetchRunResults(analysis);
    ASSERT_TRUE(analysis.statisticsRead);
    ASSERT_TRUE(analysis.reportsComplete);
    EXPECT_EQ(16'384u, analysis.statistics->totalClusters);
    EXPECT_EQ(kDrive, analysis.statistics->drive);
    FragmentationFigures analysed;
    ASSERT_TRUE(ComputeFragmentation(analysis, analysed));
    EXPECT_GT(analysed.diskBefore, 0.0);
    EXPECT_GE(analysed.dataBefore, analysed.diskBefore);
    std::vector<ClusterMapBlock> cells(kBlocks);
    EXPECT_EQ(1, SafeRpcGetClusterMap(cells.data(), kBlocks));

    // The report of this analysis, through the browser seam.
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const CString reportFolder = CString(temp) + L"xarn-core-service-report";
    CreateDirectoryW(reportFolder, nullptr);
    int opened = 0;
    SetReportBrowser([&](const CString&) { return ++opened > 0; });
    HtmlReportContent content;
    content.figures = analysed;
    content.results = &analysis;
    content.texts.title = L"Analysis";
    EXPECT_EQ(ReportOutcome::kOpened, WriteHtmlReport(reportFolder, content));
    SetReportBrowser(nullptr);
    EXPECT_EQ(1, opened);

    // Defragmentation: 5, 5, 1, then 5, 1 for the second pass.
    ASSERT_TRUE(StartDefragJob(sender, DefragOperation::kDefragmentation, kDrive));
    ASSERT_TRUE(WaitForJobState(kJobFinished, kRunMilliseconds));
    RunResults firstPass;
    FetchRunResults(firstPass);
    FragmentationFigures first;
    ASSERT_TRUE(ComputeFragmentation(firstPass, first));
    ASSERT_TRUE(StartSecondPass(sender, kDrive));
    ASSERT_TRUE(WaitForJobState(kJobFinished, kRunMilliseconds));
    RunResults secondPass;
    FetchRunResults(secondPass);
    FragmentationFigures second;
    ASSERT_TRUE(ComputeFragmentation(secondPass, second));
    EXPECT_LT(second.diskAfter, analysed.diskBefore);
    EXPECT_LE(second.diskAfter, first.diskAfter);
    EXPECT_TRUE(sender.Send(kCommandRelease, kDrive, 0));
    ASSERT_TRUE(WaitForJobState(kJobIdle, 10'000));

    // Every file's bytes are where they were.
    const std::unique_ptr<CSimVolume> volume = CSimVolume::Open(kImage, &error);
    ASSERT_NE(nullptr, volume) << error;
    const std::vector<std::wstring> problems = CheckSimVolume(*volume, &digests);
    EXPECT_TRUE(problems.empty()) << problems.size() << " problems";
}

TEST_F(ServiceClientTest, UnreadableVolumeIsAFailedRunNotACleanDisk) {
    ASSERT_TRUE(copied_);
    ASSERT_TRUE(InstallDefragService(kInstallFolder));
    SetImageParameter(kBrokenDrive, L"C:\\no such image.img");
    ServiceHandles handles;
    ASSERT_TRUE(SendWhenListening(handles, kBlocks, kCommandRelease, kBrokenDrive, 0));
    DefragServiceClient sender(&handles, [] { return kBlocks; });
    ASSERT_TRUE(StartDefragJob(sender, DefragOperation::kAnalysis, kBrokenDrive));
    ASSERT_TRUE(WaitForJobState(kJobFinished, kRunMilliseconds));
    RunResults results;
    FetchRunResults(results);
    EXPECT_TRUE(results.statisticsRead);
    EXPECT_EQ(0u, results.statistics->totalClusters);
    FragmentationFigures figures;
    EXPECT_FALSE(ComputeFragmentation(results, figures));
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    HtmlReportContent content;
    content.results = &results;
    EXPECT_EQ(ReportOutcome::kNoResults, WriteHtmlReport(CString(temp), content));
    EXPECT_TRUE(sender.Send(kCommandRelease, kBrokenDrive, 0));
}

} // namespace
