// The progress page against a scripted stand-in of the service built from the same interface:
// the job's state moved by the test, so that every step is exact: the map's pixels of every
// cell, the upload of the analysed map, the progress of each pass, hidden and automatic runs.
#include "DefragRpcBinding.h"
#include "DlgDiskScanDefrag.h"
#include "PlainDefragPageHost.h"
#include "ProgressPageTestSupport.h"
#include "DefragServiceClient.h"
#include "StandInServer.h"
#include "StoredClusterMap.h"
#include "UiTestSupport.h"

#include "IniReader.h"
#include "VantorixApp.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <owners/WinOwners.h>

namespace {

constexpr wchar_t kStandInEndpoint[] = L"\\pipe\\xarn_progress_standin";
constexpr int32_t kBlocks = 1403;
constexpr wchar_t kEntry[] = L"(Q:)Data";

class PageTestApp : public CVantorixApp {
public:
    PageTestApp() : CVantorixApp(L"Xarn Progress Stand-in Test", L"Stellmark.ini") {
        SetLangSection(L"DiskDefrag");
    }
};
PageTestApp g_app;

// What the stand-in answers and what it saw; guarded by one lock.
struct Script {
    std::mutex lock;
    std::vector<DefragCommand> commands;
    int jobState = kJobIdle;
    DefragStatistics statistics{};
    std::vector<ClusterMapBlock> cells = std::vector<ClusterMapBlock>(kBlocks);
    std::vector<int> uploadSizes;
    int pauses = 0;
    int resumes = 0;
    int aborts = 0;
    bool stateQueriesFail = false; // the state procedure raises, as a lost pipe does
    int reportCount = 0;
    // While set, report items wait for it: a service slow to answer.
    HANDLE reportsHeld = nullptr;
    std::atomic<int> reportsAsked{0};
};
Script g_script;

// The language file's missing texts are recorded from the start.
class MissingTextsRecorded : public testing::Environment {
public:
    void SetUp() override { RecordMissingTexts(); }
    void TearDown() override { SetLangTextFailureReporter(nullptr); }
};
const auto* const g_fonts = ::testing::AddGlobalTestEnvironment(new SharedFontsEnvironment);
const auto* const g_server =
    ::testing::AddGlobalTestEnvironment(new StandInServer(kStandInEndpoint));
const auto* const g_texts = ::testing::AddGlobalTestEnvironment(new MissingTextsRecorded);

} // namespace

extern "C" {

int ServerRpcGetDefragState(int* state, int* priority) {
    if (g_script.stateQueriesFail)
        RpcRaiseException(RPC_S_CALL_FAILED);
    std::lock_guard guard(g_script.lock);
    *state = g_script.jobState;
    *priority = THREAD_PRIORITY_NORMAL;
    return 1;
}

int ServerRpcSendDefragCommand(int size, const byte* command) {
    std::lock_guard guard(g_script.lock);
    if (size != sizeof(DefragCommand))
        return 0;
    DefragCommand received;
    std::memcpy(&received, command, sizeof received);
    g_script.commands.push_back(received);
    g_script.jobState = received.code == kCommandRelease ? kJobIdle : kJobRunning;
    return 1;
}

int ServerRpcSetClusterMap(int size, const byte*) {
    std::lock_guard guard(g_script.lock);
    g_script.uploadSizes.push_back(size);
    return 1;
}

int ServerRpcGetClusterMap(int size, int* len, byte* cells) {
    std::lock_guard guard(g_script.lock);
    *len = size;
    if (size != kBlocks * static_cast<int>(sizeof(ClusterMapBlock)))
        return 0;
    std::memcpy(cells, g_script.cells.data(), size);
    return 1;
}

int ServerRpcGetDefragStatistics(int size, int* len, byte* statistics) {
    std::lock_guard guard(g_script.lock);
    *len = size;
    std::memcpy(statistics, &g_script.statistics, sizeof g_script.statistics);
    return 1;
}

int ServerRpcGetReportCount(int* count) {
    std::lock_guard guard(g_script.lock);
    *count = g_script.reportCount;
    return 1;
}

int ServerRpcGetReportItem(int index, int size, int* len, byte* record) {
    ++g_script.reportsAsked;
    if (g_script.reportsHeld != nullptr)
        ::WaitForSingleObject(g_script.reportsHeld, INFINITE);
    *len = size;
    if (size != static_cast<int>(sizeof(FileReportRecord)) || index < 0 ||
        index >= g_script.reportCount)
        return 0;
    FileReportRecord report{};
    swprintf(report.path, kPathUnits, L"Q:\\Data\\file%d.bin", index);
    report.fragmentsBefore = 3;
    report.fragmentsAfter = 1;
    report.allocatedClusters = 2;
    std::memcpy(record, &report, sizeof report);
    return 1;
}

int ServerRpcIsDefragPaused(int* paused) {
    std::lock_guard guard(g_script.lock);
    *paused = g_script.pauses > g_script.resumes;
    return 1;
}

int ServerRpcPauseDefrag() {
    std::lock_guard guard(g_script.lock);
    ++g_script.pauses;
    return 1;
}

int ServerRpcResumeDefrag() {
    std::lock_guard guard(g_script.lock);
    ++g_script.resumes;
    return 1;
}

int ServerRpcAbortDefrag() {
    std::lock_guard guard(g_script.lock);
    ++g_script.aborts;
    g_script.resumes = g_script.pauses;
    return 1;
}

} // extern "C"

namespace {

class ScriptedHost : public PlainDefragPageHost {
public:
    // The stand-in answers on its own pipe, outside the service manager.
    DefragServiceClient& ServiceClient() override { return client; }
    void LockMainWindow(bool locked) override { locks.push_back(locked); }
    bool HiddenStart() const override { return hidden; }
    bool AutomaticMode() const override { return automatic; }
    void ClearAutomaticMode() override { automatic = false; }
    void ShowAnalysisResults(std::shared_ptr<const RunResults>) override {
        events.push_back(L"analysis results");
    }
    void ShowFirstPassResults(std::shared_ptr<const RunResults>) override {
        events.push_back(L"first pass");
    }
    void ShowDefragResults(std::shared_ptr<const RunResults>) override {
        events.push_back(L"defrag results");
    }
    void SaveLastScanValue(const wchar_t* name, const CString&) override {
        saved.emplace_back(name);
    }
    CString SaveLastScanDate() override {
        saved.emplace_back(L"date");
        return L"today";
    }
    bool ReadDriveSpace(wchar_t, ULONGLONG& free, ULONGLONG& total) override {
        free = 50ull << 30;
        total = 100ull << 30;
        return true;
    }
    std::vector<bool> locks;
    std::vector<std::wstring> events;
    std::vector<std::wstring> saved;
    bool hidden = false;
    bool automatic = false;
    DefragServiceClient client{nullptr, [] { return kBlocks; }};
};

class ProgressPageStandIn : public ::testing::Test {
protected:
    void SetUp() override {
        std::lock_guard guard(g_script.lock);
        g_script.commands.clear();
        g_script.jobState = kJobIdle;
        g_script.statistics = {};
        g_script.uploadSizes.clear();
        g_script.pauses = g_script.resumes = g_script.aborts = 0;
        g_script.stateQueriesFail = false;
        g_script.reportCount = 0;
        g_script.reportsAsked = 0;
        ASSERT_TRUE(m_page.Create(CDlgDiskScanDefrag::IDD, &m_parent));
        m_page.ShowWindow(SW_SHOW);
    }
    void TearDown() override {
        m_page.DestroyWindow();
        EXPECT_TRUE(MissingTexts().empty());
    }
    static std::vector<int> Codes() {
        std::lock_guard guard(g_script.lock);
        std::vector<int> codes;
        for (const DefragCommand& command : g_script.commands)
            codes.push_back(command.code);
        return codes;
    }
    // The page's commands are sent on its worker: until `count` have arrived.
    static bool CodesArrive(size_t count) {
        return PumpUntil([count] { return Codes().size() >= count; }, 5'000);
    }
    // Starts a job on the page and waits until its commands are through: the stand-in takes
    // the last one as a job that runs.
    bool Start(DefragOperation operation, wchar_t drive = L'Q', const wchar_t* entry = kEntry) {
        const size_t before = Codes().size();
        return m_page.StartOperation(operation, drive, entry) == 1 && CodesArrive(before + 3) &&
               PumpUntil([&] { return m_page.Phase() != CDlgDiskScanDefrag::JobPhase::kSending; },
                         5'000);
    }
    static size_t Uploads() {
        std::lock_guard guard(g_script.lock);
        return g_script.uploadSizes.size();
    }
    static void SetJob(int state, uint64_t used, uint64_t processed) {
        std::lock_guard guard(g_script.lock);
        g_script.jobState = state;
        g_script.statistics.totalClusters = used * 2;
        g_script.statistics.usedClusters = used;
        g_script.statistics.clustersProcessed = processed;
        wcscpy(g_script.statistics.currentPath, L"Q:\\Data\\report.docx");
    }
    int Position() {
        return static_cast<int>(m_page.SendDlgItemMessage(IDC_SCAN_PROGRESS, PBM_GETPOS));
    }
    // The page in its parent, as the screen shows it, beside the program.
    void Shoot(const wchar_t* name) {
        m_parent.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        PumpFor(100);
        CRect window;
        m_parent.GetWindowRect(&window);
        EXPECT_TRUE(SaveScreenPng(window, BesideProgram(name).c_str())) << name;
    }
    // Lets the page poll until the position is the one wanted.
    bool PollUntilPosition(int wanted) {
        return PumpUntil([&] { return Position() == wanted; }, 5'000);
    }

    AnsweredBoxes m_boxes;
    PageParent m_parent;
    ScriptedHost m_host;
    CDlgDiskScanDefrag m_page{&m_parent, &m_host};
};

} // namespace

TEST_F(ProgressPageStandIn, EveryCellDrawnInTheColourOfItsCounts) {
    {
        std::lock_guard guard(g_script.lock);
        for (int i = 0; i < kBlocks; ++i) {
            ClusterMapBlock& cell = g_script.cells[i];
            cell = {};
            switch (i % 7) {
            case 0:
                cell.freeClusters = 9;
                break;
            case 1:
                cell.otherUsedClusters = 5;
                cell.freeClusters = 5;
                break;
            case 2:
                cell.contiguousClusters = 4;
                cell.fragmentedClusters = 4;
                break;
            case 3:
                cell.fragmentedClusters = 3;
                cell.mftZoneClusters = 3;
                break;
            case 4:
                cell.mftZoneClusters = 1;
                break;
            case 5:
                break;
            default:
                cell.contiguousClusters = 2;
                cell.freeClusters = 3;
                break;
            }
        }
    }
    // The page reads the map with each poll of a running job.
    ASSERT_TRUE(Start(DefragOperation::kAnalysis));
    SetJob(kJobRunning, 1'000, 10);
    ASSERT_TRUE(PumpUntil(
        [&] {
            const std::vector<ClusterMapBlock>& stored = TheStoredClusterMap().Cells();
            return stored.size() == static_cast<size_t>(kBlocks) &&
                   std::memcmp(stored.data(), g_script.cells.data(),
                               stored.size() * sizeof(ClusterMapBlock)) == 0;
        },
        10'000));
    m_page.ClusterMap().RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    CClientDC dc(&m_page.ClusterMap());
    int mismatches = 0;
    for (int row = 0; row < 23; ++row)
        for (int column = 0; column < 61; ++column) {
            const CellLook look = ChooseCellLook(g_script.cells[row * 61 + column]);
            mismatches += dc.GetPixel(column * 9 + 5, row * 9 + 5) != LookColour(look) ? 1 : 0;
            mismatches += dc.GetPixel(column * 9, row * 9 + 5) != RGB(255, 255, 255) ? 1 : 0;
        }
    EXPECT_EQ(0, mismatches);
    EXPECT_EQ(RGB(0xD1, 0x01, 0x01), dc.GetPixel(3 * 9 + 5, 5)) << "fragmented over MFT";
    EXPECT_EQ(RGB(0x2C, 0xBA, 0x30), dc.GetPixel(2 * 9 + 5, 5)) << "contiguous wins the tie";
    Shoot(L"progress_map_looks.png");
    m_page.KillTimer(CDlgDiskScanDefrag::kPollTimer);
}

TEST_F(ProgressPageStandIn, AnalysedMapUploadedBeforeEachPassOfTheSameDrive) {
    // Analysis of Q: 5, 5, 6; the progress from the floor towards the middle, then the end.
    ASSERT_EQ(1, m_page.StartOperation(DefragOperation::kAnalysis, L'Q', kEntry));
    ASSERT_TRUE(CodesArrive(3));
    EXPECT_EQ((std::vector<int>{5, 5, 6}), Codes());
    SetJob(kJobRunning, 1'000, 0);
    EXPECT_TRUE(PollUntilPosition(250));
    SetJob(kJobRunning, 1'000, 400);
    EXPECT_TRUE(PollUntilPosition(200'000));
    Shoot(L"progress_analysis_running.png");
    EXPECT_EQ(CString(L"Q:\\Data\\report.docx"), [&] {
        CString path;
        m_page.GetDlgItemText(IDC_ST_CURRENT_PATH, path);
        return path;
    }());
    SetJob(kJobFinished, 1'000, 1'000);
    ASSERT_TRUE(PumpUntil([&] { return !m_parent.commands.empty(); }, 5'000));
    EXPECT_EQ((std::vector<UINT>{kShowAnalysisResults}), m_parent.commands);
    EXPECT_EQ(1'000'000, Position());
    EXPECT_EQ(0u, Uploads()) << "an analysis uploads nothing";

    // Defragmentation of the same drive: the analysed map before the first pass (twice) and
    // again before the second.
    m_parent.commands.clear();
    ASSERT_EQ(1, m_page.StartOperation(DefragOperation::kDefragmentation, L'Q', kEntry));
    // Uploaded after each of the two start-up waits.
    ASSERT_TRUE(PumpUntil([] { return Uploads() == 2; }, 10'000));
    EXPECT_EQ(kBlocks * 40, g_script.uploadSizes.front());
    SetJob(kJobRunning, 1'000, 1'000);
    EXPECT_TRUE(PollUntilPosition(500'000)) << "the first pass ends in the middle";
    SetJob(kJobFinished, 1'000, 1'000);
    ASSERT_TRUE(PumpUntil([&] { return Uploads() == 3; }, 10'000));
    EXPECT_EQ(1, m_page.Pass());
    EXPECT_EQ((std::vector<int>{5, 5, 6, 5, 5, 1, 5, 1}), Codes());
    SetJob(kJobRunning, 1'000, 100);
    EXPECT_TRUE(PollUntilPosition(550'000));
    SetJob(kJobRunning, 1'000, 1'000);
    EXPECT_TRUE(PollUntilPosition(950'000)) << "held below 95 %";
    SetJob(kJobFinished, 1'000, 1'000);
    ASSERT_TRUE(PumpUntil([&] { return !m_boxes.Texts().empty(); }, 5'000));
    EXPECT_EQ((std::vector<UINT>{kShowDefragResults}), m_parent.commands);
    EXPECT_EQ((std::vector<std::wstring>{L"analysis results", L"first pass", L"defrag results"}),
              m_host.events);

    // Another drive: nothing uploaded.
    ASSERT_EQ(1, m_page.StartOperation(DefragOperation::kDefragmentation, L'P', L"(P:)Other"));
    ASSERT_TRUE(PumpUntil([&] { return m_page.Phase() == CDlgDiskScanDefrag::JobPhase::kPolling; },
                          10'000));
    EXPECT_EQ(3u, Uploads());
    m_page.KillTimer(CDlgDiskScanDefrag::kPollTimer);
}

TEST_F(ProgressPageStandIn, HiddenAnalysisAndAutomaticDefragmentationShowNoResults) {
    m_host.hidden = true;
    ASSERT_TRUE(Start(DefragOperation::kAnalysis));
    SetJob(kJobFinished, 1'000, 1'000);
    ASSERT_TRUE(PumpUntil([&] { return Position() == 1'000'000; }, 5'000));
    PumpFor(300);
    EXPECT_TRUE(m_parent.commands.empty()) << "a hidden run shows no page";
    EXPECT_TRUE(m_host.events.empty());

    EXPECT_FALSE(m_page.JobRunning()) << "the job ends with a hidden analysis too";
    EXPECT_EQ((std::vector<bool>{true, false}), m_host.locks);

    m_host.hidden = false;
    m_host.automatic = true;
    ASSERT_TRUE(Start(DefragOperation::kDefragmentation));
    SetJob(kJobFinished, 1'000, 1'000);
    // The second pass's command is sent on the page's worker: the job ends once the service has
    // taken it, not before.
    ASSERT_TRUE(PumpUntil(
        [&] {
            return m_page.Pass() == 1 && m_page.Phase() != CDlgDiskScanDefrag::JobPhase::kSending;
        },
        10'000));
    SetJob(kJobFinished, 1'000, 1'000);
    ASSERT_TRUE(PumpUntil([&] { return !m_boxes.Texts().empty(); }, 10'000));
    EXPECT_TRUE(m_host.events.empty()) << "the automatic mode skips the results pages";
    // ... and so ends on the home page, unlocked, with the mode cleared for the next job.
    PumpFor(100);
    EXPECT_EQ((std::vector<UINT>{kShowDefragHome}), m_parent.commands);
    EXPECT_EQ((std::vector<bool>{true, false, true, false}), m_host.locks);
    EXPECT_FALSE(m_host.automatic);
    EXPECT_FALSE(m_page.JobRunning());
}

TEST_F(ProgressPageStandIn, StopPausesAsksAndAbortsOrResumes) {
    ASSERT_TRUE(Start(DefragOperation::kAnalysis));
    SetJob(kJobRunning, 1'000, 10);
    ASSERT_TRUE(
        PumpUntil([&] { return m_page.GetDlgItem(IDC_BTN_STOP)->IsWindowEnabled(); }, 5'000));
    m_boxes.Answer(BoxAnswer::kNo);
    m_page.SendDlgItemMessage(IDC_BTN_STOP, BM_CLICK);
    EXPECT_EQ(1, g_script.pauses);
    EXPECT_EQ(1, g_script.resumes) << "No resumes";
    EXPECT_EQ(0, g_script.aborts);
    EXPECT_NE(-1, m_boxes.Texts().at(0).Find(L"stop the analysis"));

    m_boxes.Answer(BoxAnswer::kYes);
    m_page.SendDlgItemMessage(IDC_BTN_STOP, BM_CLICK);
    EXPECT_EQ(2, g_script.pauses);
    EXPECT_EQ(1, g_script.aborts);
    // The wait after the abort runs on the page's timer: the click has returned at once.
    EXPECT_EQ(CDlgDiskScanDefrag::JobPhase::kStopping, m_page.Phase());
    EXPECT_TRUE(m_parent.commands.empty());
    ASSERT_TRUE(PumpUntil([&] { return !m_parent.commands.empty(); }, 10'000));
    EXPECT_EQ((std::vector<UINT>{kShowDefragHome}), m_parent.commands);
    EXPECT_EQ((std::vector<bool>{true, false}), m_host.locks);
    // The space bar presses no button of the page.
    MSG space{};
    space.hwnd = m_page.GetDlgItem(IDC_BTN_STOP)->m_hWnd;
    space.message = WM_KEYDOWN;
    space.wParam = VK_SPACE;
    EXPECT_TRUE(m_page.PreTranslateMessage(&space));
}

TEST_F(ProgressPageStandIn, FailedPollsOfANewJobKeepItRunning) {
    // The last job ended: the kept state says finished. The new job's polls fail.
    m_host.StoreJobState(kJobFinished, 0);
    ASSERT_EQ(1, m_page.StartOperation(DefragOperation::kAnalysis, L'Q', kEntry));
    g_script.stateQueriesFail = true;
    ASSERT_TRUE(PumpUntil([&] { return m_page.Phase() == CDlgDiskScanDefrag::JobPhase::kPolling; },
                          10'000));
    PumpFor(1'000);
    EXPECT_TRUE(m_parent.commands.empty()) << "not taken for finished";
    EXPECT_EQ(kJobRunning, m_host.LastJobState());
    g_script.stateQueriesFail = false;
    SetJob(kJobFinished, 1'000, 1'000);
    ASSERT_TRUE(PumpUntil([&] { return !m_parent.commands.empty(); }, 5'000)) << "still polling";
    EXPECT_EQ((std::vector<UINT>{kShowAnalysisResults}), m_parent.commands);
}

// The service takes its commands in turn, and a pass starts after a release: a job it has not
// begun yet reads idle. The page asks again until the job runs and ends, in both passes.
TEST_F(ProgressPageStandIn, AJobNotBegunYetIsAskedAgainUntilItEnds) {
    ASSERT_TRUE(Start(DefragOperation::kDefragmentation));
    SetJob(kJobIdle, 1'000, 0);
    ASSERT_TRUE(PumpUntil([&] { return m_host.LastJobState() == kJobIdle; }, 10'000));
    SetJob(kJobRunning, 1'000, 400);
    EXPECT_TRUE(PumpUntil(
        [&] { return m_page.GetDlgItem(IDC_BTN_STOPDEFRAG)->IsWindowEnabled() != FALSE; }, 5'000))
        << "no poll after the idle one";
    EXPECT_TRUE(PollUntilPosition(200'000));
    SetJob(kJobFinished, 1'000, 1'000);

    // The second pass's commands are through; its first poll finds it not begun either.
    ASSERT_TRUE(CodesArrive(5));
    SetJob(kJobIdle, 1'000, 0);
    ASSERT_TRUE(PumpUntil([&] { return m_host.LastJobState() == kJobIdle; }, 10'000));
    SetJob(kJobFinished, 1'000, 1'000);
    ASSERT_TRUE(PumpUntil([&] { return !m_boxes.Texts().empty(); }, 5'000))
        << "no poll after the idle one";
    EXPECT_EQ((std::vector<int>{5, 5, 1, 5, 1}), Codes());
    EXPECT_EQ((std::vector<std::wstring>{L"first pass", L"defrag results"}), m_host.events);
    EXPECT_EQ((std::vector<bool>{true, false}), m_host.locks);
    EXPECT_FALSE(m_page.JobRunning());
}

TEST_F(ProgressPageStandIn, AFailedRunIsNotRecordedAsTheDisksState) {
    // The service ends a run it could not do with zero clusters.
    ASSERT_TRUE(Start(DefragOperation::kAnalysis));
    SetJob(kJobFinished, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return !m_parent.commands.empty(); }, 5'000));
    EXPECT_TRUE(m_host.saved.empty()) << "no drive, date or 0.00 % results saved";
    EXPECT_EQ((std::vector<std::wstring>{L"analysis results"}), m_host.events)
        << "the results page says that it failed";

    m_parent.commands.clear();
    ASSERT_TRUE(Start(DefragOperation::kAnalysis));
    SetJob(kJobFinished, 1'000, 1'000);
    ASSERT_TRUE(PumpUntil([&] { return !m_parent.commands.empty(); }, 5'000));
    EXPECT_EQ((std::vector<std::wstring>{L"LastScanDrive", L"date", L"VolFragRes", L"DataFragRes"}),
              m_host.saved);
}

// A window thread that waits on the service freezes the program: while the service holds every
// report item, the page reads them on its worker and the window goes on answering.
TEST_F(ProgressPageStandIn, ResultsAreReadWhileTheWindowAnswers) {
    const KernelHandle held(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    g_script.reportCount = 40;
    g_script.reportsHeld = held.Get();
    ASSERT_TRUE(Start(DefragOperation::kAnalysis));
    SetJob(kJobFinished, 1'000, 1'000);
    ASSERT_TRUE(PumpUntil([] { return g_script.reportsAsked.load() > 0; }, 10'000));
    EXPECT_EQ(CDlgDiskScanDefrag::JobPhase::kReadingResults, m_page.Phase());
    EXPECT_TRUE(m_page.JobRunning());
    // Another thread's message is answered now, not after the reports.
    std::atomic<bool> answered{false};
    std::thread asker([&] {
        DWORD_PTR result = 0;
        answered =
            ::SendMessageTimeoutW(m_page.m_hWnd, WM_NULL, 0, 0, SMTO_NORMAL, 30'000, &result) != 0;
    });
    ASSERT_TRUE(PumpUntil([&] { return answered.load(); }, 30'000));
    asker.join();
    ASSERT_TRUE(PumpUntil(
        [&] {
            CString path;
            m_page.GetDlgItemText(IDC_ST_CURRENT_PATH, path);
            return path.Find(L"Reading the results:") == 0 && path.Find(L"/ 40") > 0;
        },
        5'000));
    EXPECT_TRUE(m_parent.commands.empty()) << "no results page before the results";

    ::SetEvent(held.Get());
    ASSERT_TRUE(PumpUntil([&] { return !m_parent.commands.empty(); }, 10'000));
    g_script.reportsHeld = nullptr;
    EXPECT_EQ((std::vector<UINT>{kShowAnalysisResults}), m_parent.commands);
    EXPECT_EQ(40, g_script.reportsAsked.load()) << "each report asked once";
    EXPECT_EQ((std::vector<std::wstring>{L"analysis results"}), m_host.events);
    EXPECT_FALSE(m_page.JobRunning());
}

// A stop while a pass's results are read: the read is dropped, the job aborted, home.
TEST_F(ProgressPageStandIn, StopWhileTheResultsAreRead) {
    const KernelHandle held(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    g_script.reportCount = 40;
    g_script.reportsHeld = held.Get();
    ASSERT_TRUE(Start(DefragOperation::kDefragmentation));
    SetJob(kJobRunning, 1'000, 500);
    ASSERT_TRUE(PumpUntil([&] { return m_page.GetDlgItem(IDC_BTN_STOPDEFRAG)->IsWindowEnabled(); },
                          10'000));
    SetJob(kJobFinished, 1'000, 1'000);
    ASSERT_TRUE(PumpUntil(
        [&] { return m_page.Phase() == CDlgDiskScanDefrag::JobPhase::kReadingResults; }, 10'000));
    m_boxes.Answer(BoxAnswer::kYes);
    m_page.SendDlgItemMessage(IDC_BTN_STOPDEFRAG, BM_CLICK);
    EXPECT_EQ(1, g_script.aborts);
    EXPECT_EQ(CDlgDiskScanDefrag::JobPhase::kStopping, m_page.Phase());
    ::SetEvent(held.Get());
    ASSERT_TRUE(PumpUntil([&] { return !m_parent.commands.empty(); }, 10'000));
    g_script.reportsHeld = nullptr;
    EXPECT_EQ((std::vector<UINT>{kShowDefragHome}), m_parent.commands);
    EXPECT_TRUE(m_host.events.empty()) << "the dropped read shows nothing";
    EXPECT_EQ(0, m_page.Pass()) << "no second pass";
    EXPECT_EQ((std::vector<int>{5, 5, 1}), Codes());
    EXPECT_FALSE(m_page.JobRunning());
}
