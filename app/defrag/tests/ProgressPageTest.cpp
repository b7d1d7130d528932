// The analysis and defragmentation progress page in a window on the virtual display, driven
// against the real service over its pipe on a simulated volume; its cluster map and legend
// read back as pixels; pictures of the page mid-run beside the program.
#include "DefragProgress.h"
#include "DefragRpcBinding.h"
#include "DlgDiskScanDefrag.h"
#include "LastScanValues.h"
#include "PlainDefragPageHost.h"
#include "ProgressPageTestSupport.h"
#include "DefragServiceClient.h"
#include "ServiceTestSupport.h"
#include "SimVolumeBuilder.h"
#include "SimVolumeChecker.h"
#include "StoredClusterMap.h"
#include "UiTestSupport.h"

#include "IniReader.h"
#include "LauncherStatus.h"
#include "VantorixApp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <atomic>
#include <map>
#include <mutex>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kAppTitle[] = L"Xarn Progress Test";
constexpr wchar_t kInstallFolder[] = L"C:\\Program Files\\Xarn Progress Test";
constexpr wchar_t kImage[] = L"C:\\xarn-progress-simvol.img";
constexpr wchar_t kDrive = L'R';
constexpr wchar_t kEntry[] = L"(R:)Simulated";
constexpr int32_t kBlocks = 1403;
constexpr DWORD kRunMilliseconds = 240'000;
constexpr ULONGLONG kGiB = 1'073'741'824;

// The application object: the texts of the program's language file, in its own section.
class PageTestApp : public CVantorixApp {
public:
    PageTestApp() : CVantorixApp(kAppTitle, L"Stellmark.ini") { SetLangSection(L"DiskDefrag"); }
};
PageTestApp g_app;

class PageEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        RecordMissingTexts();
        RegDeleteTreeW(HKEY_CURRENT_USER, LastScanKeyPath());
    }
    void TearDown() override {
        SetLangTextFailureReporter(nullptr);
        RegDeleteTreeW(HKEY_CURRENT_USER, LastScanKeyPath());
    }
};
const auto* const g_fonts = ::testing::AddGlobalTestEnvironment(new SharedFontsEnvironment);
const auto* const g_pageEnvironment = ::testing::AddGlobalTestEnvironment(new PageEnvironment);

// The page's service client: the real one, recording each command, pause, resume and abort
// before it goes out; `refuse` makes one code fail. With `pauseFirstPass`, the first
// defragmentation command is followed by a pause as soon as the service runs the job, so that
// the job is still there, however fast its moves, when it is stopped.
class RecordingClient : public DefragServiceClient {
public:
    explicit RecordingClient(ServiceHandles* service)
        : DefragServiceClient(service, [] { return kBlocks; }) {}
    // Called on the page's worker thread.
    bool Send(int32_t code, wchar_t drive, int32_t mode) override {
        {
            std::lock_guard<std::mutex> guard(m_lock);
            m_codes.push_back(code);
            m_modes.push_back(mode);
        }
        if (code == refuse)
            return false;
        const bool sent = DefragServiceClient::Send(code, drive, mode);
        if (sent && code == kCommandDefragment && pauseFirstPass.exchange(false))
            pausedFromTheStart = PauseOnceRunning();
        return sent;
    }
    bool Pause() override {
        ++pauses;
        return DefragServiceClient::Pause();
    }
    bool Resume() override {
        ++resumes;
        return DefragServiceClient::Resume();
    }
    bool Abort() override {
        ++aborts;
        return DefragServiceClient::Abort();
    }
    std::vector<int32_t> Codes() {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_codes;
    }
    std::vector<int32_t> Modes() {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_modes;
    }
    std::atomic<int32_t> refuse{-1};
    std::atomic<bool> pauseFirstPass{false};
    // The job was paused while it ran (not after its end).
    std::atomic<bool> pausedFromTheStart{false};
    // Called on the window's thread.
    int pauses = 0;
    int resumes = 0;
    int aborts = 0;

private:
    // The service takes its commands in turn: the job is paused once it reads running, which
    // is before its worker starts.
    static bool PauseOnceRunning() {
        const ULONGLONG end = ::GetTickCount64() + 60'000;
        while (::GetTickCount64() < end) {
            const int state = JobState();
            if (state == kJobFinished)
                return false;
            if (state == kJobRunning) {
                int paused = 0;
                return SafeRpcPauseDefrag() == 1 && SafeRpcIsDefragPaused(paused) == 1 &&
                       paused == 1 && JobState() == kJobRunning;
            }
        }
        return false;
    }

    std::mutex m_lock;
    std::vector<int32_t> m_codes;
    std::vector<int32_t> m_modes;
};

// The main window's part, recorded.
class TestHost : public PlainDefragPageHost {
public:
    explicit TestHost(CWnd* window) : m_window(window) {}
    CWnd* MainWindow() override { return m_window; }
    DefragServiceClient& ServiceClient() override { return client; }
    void LockMainWindow(bool locked) override { locks.push_back(locked); }
    bool HiddenStart() const override { return hidden; }
    bool AutomaticMode() const override { return automatic; }
    void ClearAutomaticMode() override {
        automatic = false;
        ++automaticModeEnds;
    }
    bool ShutdownSwitch() const override { return shutdown; }
    void EndScheduledRun() override { ++scheduledEnds; }
    void ShowShutdownDialog(const CString& text) override {
        events.push_back(L"shutdown");
        shutdownText = text;
    }
    void ShowAnalysisResults(std::shared_ptr<const RunResults> results) override {
        events.push_back(L"analysis results");
        handed.push_back(std::move(results));
    }
    void ShowFirstPassResults(std::shared_ptr<const RunResults> results) override {
        events.push_back(L"first pass");
        handed.push_back(std::move(results));
    }
    void ShowDefragResults(std::shared_ptr<const RunResults> results) override {
        events.push_back(L"defrag results");
        handed.push_back(std::move(results));
    }
    void StoreJobState(int state, int priority) override {
        PlainDefragPageHost::StoreJobState(state, priority);
        ++stateReads;
    }
    void SaveLastScanValue(const wchar_t* name, const CString& text) override {
        saved[name] = text;
        PlainDefragPageHost::SaveLastScanValue(name, text);
    }
    CString SaveLastScanDate() override {
        saved[kLastScanDate] = PlainDefragPageHost::SaveLastScanDate();
        return saved[kLastScanDate];
    }
    bool ReadDriveSpace(wchar_t, ULONGLONG& free, ULONGLONG& total) override {
        free = freeBytes;
        total = totalBytes;
        return spaceReadable;
    }

    std::vector<bool> locks;
    std::vector<std::wstring> events;
    // The results of each pass, as the page handed them to the results pages.
    std::vector<std::shared_ptr<const RunResults>> handed;
    int automaticModeEnds = 0;
    std::map<std::wstring, CString> saved;
    CString shutdownText;
    bool hidden = false;
    bool automatic = false;
    bool shutdown = false;
    int scheduledEnds = 0;
    int stateReads = 0;
    bool spaceReadable = true;
    ULONGLONG freeBytes = 40 * kGiB;
    ULONGLONG totalBytes = 100 * kGiB;

private:
    CWnd* m_window;
    ServiceHandles m_service;

public:
    // After the record it reopens the service through.
    RecordingClient client{&m_service};
};

ClusterMapBlock Cell(uint64_t free, uint64_t other, uint64_t contiguous, uint64_t fragmented,
                     uint64_t mft) {
    return ClusterMapBlock{free, other, contiguous, fragmented, mft};
}

// The page created in its parent, as the main window creates it.
struct PageOnScreen {
    PageParent parent;
    TestHost host{&parent};
    CDlgDiskScanDefrag page{&parent, &host};
    PageOnScreen() {
        EXPECT_NE(nullptr, parent.GetSafeHwnd());
        EXPECT_TRUE(page.Create(CDlgDiskScanDefrag::IDD, &parent)) << ::GetLastError();
        page.ShowWindow(SW_SHOW);
        PumpFor(100);
    }
    ~PageOnScreen() { page.DestroyWindow(); }
    int ProgressPosition() {
        return static_cast<int>(page.SendDlgItemMessage(IDC_SCAN_PROGRESS, PBM_GETPOS));
    }
    bool Visible(int id) { return ::IsWindowVisible(::GetDlgItem(page.m_hWnd, id)) != FALSE; }
    bool Enabled(int id) { return ::IsWindowEnabled(::GetDlgItem(page.m_hWnd, id)) != FALSE; }
    CString ItemText(int id) {
        CString text;
        page.GetDlgItemText(id, text);
        return text;
    }
    // The map's pixel at a point of its client area, from the screen.
    COLORREF MapPixel(int x, int y) {
        CClientDC dc(&page.ClusterMap());
        return dc.GetPixel(x, y);
    }
    void RedrawMap() {
        page.ClusterMap().RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    }
    void Shoot(const wchar_t* name) {
        parent.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        PumpFor(100);
        CRect window;
        parent.GetWindowRect(&window);
        EXPECT_TRUE(SaveScreenPng(window, BesideProgram(name).c_str())) << name;
    }
};

} // namespace

TEST(ClusterMapCells, LookOfEachCell) {
    EXPECT_EQ(kLookFree, ChooseCellLook(Cell(0, 0, 0, 0, 0))) << "an empty cell is free";
    EXPECT_EQ(kLookContiguous, ChooseCellLook(Cell(0, 0, 10, 10, 0))) << "contiguous wins the tie";
    EXPECT_EQ(kLookFragmented, ChooseCellLook(Cell(0, 0, 0, 10, 10))) << "fragmented over MFT";
    EXPECT_EQ(kLookMftZone, ChooseCellLook(Cell(0, 0, 0, 0, 3)));
    EXPECT_EQ(kLookOtherUsed, ChooseCellLook(Cell(5, 5, 2, 2, 1)))
        << "other used ties with free and with the files together";
    EXPECT_EQ(kLookFree, ChooseCellLook(Cell(6, 5, 2, 2, 1)));
    EXPECT_EQ(kLookContiguous, ChooseCellLook(Cell(5, 0, 5, 0, 0))) << "files equal to free";
    EXPECT_EQ(kLookFree, ChooseCellLook(Cell(6, 0, 5, 0, 0)));
    // Counts near the top of 64 bits: the sum of the file counts may wrap; the look follows
    // the unsigned sum as the map's rules compare it.
    const uint64_t huge = 0xFFFF'FFFF'FFFF'FFF0ull;
    EXPECT_EQ(kLookOtherUsed, ChooseCellLook(Cell(0, huge, 1, 0, 0)));
}

TEST(ClusterMapCells, StoredMapTakesTheDrawnCountOnly) {
    CStoredClusterMap map;
    EXPECT_FALSE(map.Exists());
    map.EnsureBlockCount(4);
    ASSERT_EQ(4, map.BlockCount());
    map.Replace(
        {Cell(1, 2, 3, 4, 5), Cell(0, 0, 0, 0, 0), Cell(0, 0, 0, 0, 0), Cell(9, 0, 0, 0, 0)});
    map.EnsureBlockCount(4);
    EXPECT_EQ(1u, map.Cells()[0].freeClusters) << "the same count keeps the cells";
    map.EnsureBlockCount(6);
    EXPECT_EQ(6, map.BlockCount());
    EXPECT_EQ(0u, map.Cells()[0].freeClusters) << "another count starts zeroed";
}

TEST(ProgressPositions, BothPassesInTheirHalves) {
    DefragStatistics statistics{};
    EXPECT_EQ(0, ProgressPosition(statistics, 0)) << "no used clusters yet";
    statistics.usedClusters = 1'000'000;
    EXPECT_EQ(250, ProgressPosition(statistics, 0)) << "never 0 once polled";
    statistics.clustersProcessed = 1;
    EXPECT_EQ(250, ProgressPosition(statistics, 0)) << "half of 1 is still the floor";
    statistics.clustersProcessed = 500'000;
    EXPECT_EQ(250'000, ProgressPosition(statistics, 0));
    statistics.clustersProcessed = 1'000'000;
    EXPECT_EQ(500'000, ProgressPosition(statistics, 0));
    EXPECT_EQ(950'000, ProgressPosition(statistics, 1)) << "held below 95 %";
    statistics.clustersProcessed = 0;
    EXPECT_EQ(500'000, ProgressPosition(statistics, 1)) << "the second pass starts halfway";
    // More processed than used (the service's count runs ahead): no overflow, no first pass
    // beyond its half.
    statistics.usedClusters = 3;
    statistics.clustersProcessed = 0xFFFF'FFFF'FFFFull;
    EXPECT_EQ(500'000, ProgressPosition(statistics, 0));
    EXPECT_EQ(950'000, ProgressPosition(statistics, 1));
}

TEST(JobSummaries, TextsAndLauncherStatusAroundOnePercent) {
    const LangLookup text = [](const wchar_t* key) { return g_app.GetLangString(key); };
    RunResults results;
    results.statisticsRead = true;
    results.statistics->totalClusters = 10'000;
    results.statistics->usedClusters = 5'000;
    ReportEntry split;
    split.fragmentsBefore = 2;
    split.fragmentsAfter = 1;
    split.allocatedClusters = 100; // exactly 1.00 % of the volume
    ReportEntry single;
    single.fragmentsBefore = 1;
    single.allocatedClusters = 4'000;
    results.reports = {split, single};

    JobSummary analysis = SummariseJob(results, false, L"Wed. December 09, 2026", text);
    EXPECT_DOUBLE_EQ(1.0, analysis.result);
    EXPECT_EQ(CString(L"1.00% fragmentation found on Wed. December 09, 2026"), analysis.line1)
        << "1.00 % is reported as fragmentation";
    EXPECT_EQ(1, analysis.launcherStatus) << "but with the good status";
    EXPECT_EQ(CString(L"1.00% before, 0.00% after"), analysis.volumeResult);
    EXPECT_EQ(CString(L"2.00% before, 0.00% after"), analysis.dataResult);

    const JobSummary defrag = SummariseJob(results, true, L"today", text);
    EXPECT_DOUBLE_EQ(0.0, defrag.result) << "a defragmentation is judged by what is left";
    EXPECT_EQ(CString(L"No fragmentation found on today"), defrag.line1);
    EXPECT_EQ(1, defrag.launcherStatus);

    split.allocatedClusters = 101;
    results.reports = {split};
    analysis = SummariseJob(results, false, L"today", text);
    EXPECT_EQ(0, analysis.launcherStatus);
    EXPECT_EQ(CString(L"Your disk is 1.01% fragmented"), analysis.line2);
    EXPECT_TRUE(MissingTexts().empty());
}

// No service installed and nothing read: every cell is drawn free; the layout, the legend and
// the grid size.
TEST(ProgressPageWithoutService, LayoutLegendAndAllFreeMap) {
    const DefragRpcBinding binding(kDefragRpcEndpoint);
    RemoveService();
    PageOnScreen screen;
    CDlgDiskScanDefrag& page = screen.page;
    EXPECT_EQ(kBlocks, page.GetBlockCount()) << "549 x 208 pixels: 61 x 23 cells";
    EXPECT_EQ(61, page.ClusterMap().Columns());

    // A map the service gave earlier is kept when the service cannot be asked.
    CStoredClusterMap& stored = TheStoredClusterMap();
    std::vector<ClusterMapBlock> earlier(kBlocks, Cell(0, 0, 7, 0, 0));
    stored.EnsureBlockCount(kBlocks);
    stored.Replace(earlier);
    screen.RedrawMap();
    EXPECT_EQ(7u, stored.Cells()[100].contiguousClusters);
    for (int row : {0, 11, 22})
        for (int column : {0, 30, 60}) {
            EXPECT_EQ(LookColour(kLookFree), screen.MapPixel(column * 9 + 5, row * 9 + 5))
                << row << "," << column;
            EXPECT_EQ(RGB(255, 255, 255), screen.MapPixel(column * 9, row * 9 + 5))
                << "one white line between cells";
        }

    // The legend: swatches in label order, labels on the legend's colour, the box's frame.
    const COLORREF swatches[] = {LookColour(kLookFragmented), LookColour(kLookContiguous),
                                 LookColour(kLookOtherUsed),  LookColour(kLookMftZone),
                                 LookColour(kLookFree),       LookColour(kLookUnused)};
    const int swatchIds[] = {IDC_LEGEND1, IDC_LEGEND2, IDC_LEGEND3,
                             IDC_LEGEND4, IDC_LEGEND5, IDC_LEGEND6};
    CClientDC pageDc(&page);
    for (int i = 0; i < 6; ++i) {
        CRect swatch;
        page.GetDlgItem(swatchIds[i])->GetWindowRect(&swatch);
        page.ScreenToClient(&swatch);
        EXPECT_EQ(CRect(0, 0, 10, 10) + swatch.TopLeft(), swatch);
        EXPECT_EQ(swatches[i], pageDc.GetPixel(swatch.left + 5, swatch.top + 5)) << i;
        CString label;
        page.GetDlgItemText(swatchIds[i] + 1, label);
        EXPECT_FALSE(label.IsEmpty()) << i;
    }
    EXPECT_EQ(RGB(0xF3, 0xF9, 0xFF), pageDc.GetPixel(23, 296)) << "the legend's ground";
    EXPECT_EQ(RGB(0xB9, 0xB9, 0xB9), pageDc.GetPixel(21, 310)) << "the legend's frame";
    EXPECT_EQ(RGB(0xF3, 0xF9, 0xFF), pageDc.GetPixel(49, 315)) << "under a label";
    CRect lastLabel;
    page.GetDlgItem(IDC_LEGEND6_STATIC)->GetWindowRect(&lastLabel);
    page.ScreenToClient(&lastLabel);
    EXPECT_LE(lastLabel.right, 571) << "every label inside the legend box";
    CRect map;
    page.ClusterMap().GetWindowRect(&map);
    page.ScreenToClient(&map);
    EXPECT_EQ(CRect(22, 86, 571, 294), map);
    EXPECT_EQ(RGB(0xB9, 0xB9, 0xB9), pageDc.GetPixel(21, 150)) << "the map's frame, left";
    EXPECT_EQ(RGB(0xB9, 0xB9, 0xB9), pageDc.GetPixel(300, 85)) << "the map's frame, top";

    // The grid keeps its size when the control is resized.
    page.ClusterMap().MoveWindow(22, 86, 300, 100);
    EXPECT_EQ(kBlocks, page.GetBlockCount());
    page.ClusterMap().MoveWindow(22, 86, 549, 208);
    CRect stop;
    page.GetDlgItem(IDC_BTN_STOP)->GetWindowRect(&stop);
    page.ScreenToClient(&stop);
    EXPECT_EQ(CRect(448, 432, 568, 460), stop)
        << "120 x 28 at the bottom right, not " << stop.left << "," << stop.top << " "
        << stop.Width() << " x " << stop.Height();
    screen.RedrawMap();
    screen.Shoot(L"progress_page_idle.png");
    EXPECT_TRUE(MissingTexts().empty());
}

// The page against the real service on a simulated volume.
class ProgressPageService : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        RemoveService();
        copied_ = CopyBuiltServiceProgram(kInstallFolder);
        binding_ = std::make_unique<DefragRpcBinding>(kDefragRpcEndpoint);
        if (copied_ && InstallDefragService(kInstallFolder)) {
            installed_ = true;
            ServiceHandles handles;
            installed_ = SendWhenListening(handles, kBlocks, kCommandRelease, kDrive, 0);
        }
    }
    static void TearDownTestSuite() {
        binding_.reset();
        RemoveService();
        DeleteFileW(kImage);
    }
    void SetUp() override { ASSERT_TRUE(installed_); }
    void TearDown() override { EXPECT_TRUE(MissingTexts().empty()); }
    // A fresh volume for the drive; its digests for the check at the end.
    static SimDigests MakeVolume(uint32_t files, uint64_t clusters) {
        SimBuildSpec spec;
        spec.seed = 107;
        spec.geometry.totalClusters = clusters;
        spec.fileCount = files;
        spec.fragmentedShare = 0.5;
        spec.maxFragments = 12;
        spec.lockedCount = 2;
        DeleteFileW(kImage);
        DWORD error = 0;
        const std::unique_ptr<CSimVolume> volume = BuildSimVolume(kImage, spec, &error);
        EXPECT_NE(nullptr, volume) << error;
        SimDigests digests;
        if (volume)
            digests = DigestSimVolume(*volume);
        SetImageParameter(kDrive, kImage);
        return digests;
    }
    static void ExpectVolumeUnchanged(const SimDigests& digests) {
        DWORD error = 0;
        const std::unique_ptr<CSimVolume> volume = CSimVolume::Open(kImage, &error);
        ASSERT_NE(nullptr, volume) << error;
        const std::vector<std::wstring> problems = CheckSimVolume(*volume, &digests);
        EXPECT_TRUE(problems.empty()) << problems.size() << " problems, first "
                                      << (problems.empty() ? L"" : problems.front());
    }

    static inline bool copied_ = false;
    static inline bool installed_ = false;
    static inline std::unique_ptr<DefragRpcBinding> binding_;
    AnsweredBoxes boxes_;
};

TEST_F(ProgressPageService, FreeSpaceRuleWhenTheJobIsSent) {
    PageOnScreen screen;
    RecordingClient& sender = screen.host.client;
    screen.host.SetCurrentDrive(kDrive);

    // 790 MB free of 10 GB: under 8 % and under 1 GiB.
    screen.host.totalBytes = 10 * kGiB;
    screen.host.freeBytes = 790ull * 1024 * 1024;
    EXPECT_EQ(0, screen.page.StartOperation(DefragOperation::kDefragmentation, kDrive, kEntry));
    ASSERT_EQ(1u, boxes_.Texts().size());
    EXPECT_EQ(0, boxes_.Texts()[0].Find(kEntry));
    EXPECT_NE(-1, boxes_.Texts()[0].Find(L"too little free space"));
    EXPECT_TRUE(sender.Codes().empty()) << "no command sent";
    EXPECT_FALSE(screen.page.JobRunning());
    EXPECT_EQ((std::vector<bool>{true, false}), screen.host.locks) << "the window is unlocked";
    const int reads = screen.host.stateReads;
    PumpFor(400);
    EXPECT_EQ(reads, screen.host.stateReads) << "no poll after a refusal";

    // A volume whose size reads as 0: refused, no division.
    screen.host.totalBytes = 0;
    screen.host.freeBytes = 0;
    EXPECT_EQ(0, screen.page.StartOperation(DefragOperation::kAnalysis, kDrive, kEntry));
    ASSERT_EQ(2u, boxes_.Texts().size());
    EXPECT_NE(-1, boxes_.Texts()[1].Find(L"too little free space"));
    // Sizes that cannot be read: the drive is not there (removed), which is told as such, not
    // as a lack of room.
    screen.host.spaceReadable = false;
    screen.host.totalBytes = 100 * kGiB;
    EXPECT_EQ(0, screen.page.StartOperation(DefragOperation::kAnalysis, kDrive, kEntry));
    ASSERT_EQ(3u, boxes_.Texts().size());
    EXPECT_EQ(0, boxes_.Texts()[2].Find(kEntry));
    EXPECT_NE(-1, boxes_.Texts()[2].Find(L"cannot be read now"));
    EXPECT_EQ(-1, boxes_.Texts()[2].Find(L"free space"));
    EXPECT_TRUE(sender.Codes().empty());
    EXPECT_EQ((std::vector<bool>{true, false, true, false, true, false}), screen.host.locks);
}

TEST_F(ProgressPageService, AnalysisRunsToTheEndWhileTheMapAndProgressMove) {
    const SimDigests digests = MakeVolume(2'500, 131'072);
    PageOnScreen screen;
    RecordingClient& sender = screen.host.client;
    // 7.9 GB of 100 GB free: 7 %, but at least 1 GiB.
    screen.host.totalBytes = 100'000'000'000ull;
    screen.host.freeBytes = 7'900'000'000ull;

    ASSERT_EQ(1, screen.page.StartOperation(DefragOperation::kAnalysis, kDrive, kEntry));
    EXPECT_TRUE(screen.page.JobRunning());
    // The commands go on the page's worker; the page waits its start-up time on its timer.
    ASSERT_TRUE(PumpUntil(
        [&] { return screen.page.Phase() != CDlgDiskScanDefrag::JobPhase::kSending; }, 120'000));
    EXPECT_EQ((std::vector<int32_t>{kCommandRelease, kCommandRelease, kCommandAnalyse}),
              sender.Codes());
    EXPECT_EQ(kDrive, LastAnalysedDrive());
    EXPECT_EQ(CString(kEntry) + L"  93.1 GB", screen.page.DriveAndSizeText());
    EXPECT_EQ(CString(L"Now scanning: ") + kEntry, screen.ItemText(IDC_ST_SCAN_DRIVE_RES));
    EXPECT_TRUE(screen.Visible(IDC_BTN_STOP));
    EXPECT_FALSE(screen.Visible(IDC_BTN_STOPDEFRAG));
    EXPECT_EQ(CString(L"Analysing the drive"), [&] {
        CString title;
        screen.page.GetWindowText(title);
        return title;
    }());

    std::vector<int> positions;
    // A small volume's analysis may end within the page's start-up wait: the positions of the
    // polls that saw it running, if any.
    ASSERT_TRUE(PumpUntil(
        [&] {
            if (screen.host.LastJobState() == kJobRunning)
                positions.push_back(screen.ProgressPosition());
            return !screen.parent.commands.empty();
        },
        kRunMilliseconds));
    EXPECT_EQ((std::vector<UINT>{kShowAnalysisResults}), screen.parent.commands);
    EXPECT_EQ((std::vector<std::wstring>{L"analysis results"}), screen.host.events);
    for (int position : positions) {
        EXPECT_GE(position, 0);
        EXPECT_LE(position, 500'000);
    }
    EXPECT_EQ(1'000'000, screen.ProgressPosition()) << "the end of an analysis";
    EXPECT_FALSE(screen.Visible(IDC_SCAN_PROGRESS));
    EXPECT_FALSE(screen.Visible(IDC_BTN_STOP));
    EXPECT_EQ((std::vector<bool>{true, false}), screen.host.locks) << "the job's end unlocks";
    EXPECT_FALSE(screen.page.JobRunning()) << "the job ended with its results";
    // The results page gets what the page read, once: the analysis's statistics and reports.
    ASSERT_EQ(1u, screen.host.handed.size());
    ASSERT_NE(nullptr, screen.host.handed[0]);
    EXPECT_TRUE(screen.host.handed[0]->statisticsRead);
    EXPECT_TRUE(screen.host.handed[0]->reportsComplete);
    uint32_t reportCount = 0;
    ASSERT_EQ(1, SafeRpcGetReportCount(reportCount));
    EXPECT_EQ(reportCount, screen.host.handed[0]->reports.size());
    EXPECT_GT(reportCount, 100u) << "the fragmented half of the files";
    EXPECT_EQ(CString(L"R:\\"), screen.host.saved[kLastScanDrive]);
    EXPECT_NE(-1, screen.host.saved[kLastScanVolumeResult].Find(L"% before, "));
    EXPECT_FALSE(screen.host.saved[kLastScanDate].IsEmpty());
    EXPECT_NE(CString(L"0"), screen.page.FilesText());
    DWORD icon = 9;
    const CString line = ReadLauncherStatus(7, icon, false, false);
    EXPECT_NE(-1, line.Find(L"fragmentation found on")) << line.GetString();

    // The map as the service holds it now, cell by cell.
    std::vector<ClusterMapBlock> cells(kBlocks);
    ASSERT_EQ(1, SafeRpcGetClusterMap(cells.data(), kBlocks));
    screen.page.ShowWindow(SW_SHOW);
    screen.RedrawMap();
    int mismatches = 0;
    int used = 0;
    for (int row = 0; row < 23; ++row)
        for (int column = 0; column < 61; ++column) {
            const CellLook look = ChooseCellLook(cells[row * 61 + column]);
            used += look != kLookFree ? 1 : 0;
            mismatches += screen.MapPixel(column * 9 + 5, row * 9 + 5) != LookColour(look) ? 1 : 0;
        }
    EXPECT_EQ(0, mismatches);
    EXPECT_GT(used, 50) << "the volume's files show";
    EXPECT_EQ(kBlocks, TheStoredClusterMap().BlockCount());
    EXPECT_EQ(0, memcmp(cells.data(), TheStoredClusterMap().Cells().data(),
                        cells.size() * sizeof(ClusterMapBlock)))
        << "the drawn map is kept";
    screen.Shoot(L"progress_analysis_done.png");
    ExpectVolumeUnchanged(digests);
}

TEST_F(ProgressPageService, TwoPassDefragmentationRunsToTheEnd) {
    const SimDigests digests = MakeVolume(2'500, 131'072);
    PageOnScreen screen;
    RecordingClient& sender = screen.host.client;
    screen.host.shutdown = true;
    int passAtCompletion = -1;
    size_t eventsAtCompletion = 0;
    boxes_.WhileUp([&] {
        passAtCompletion = screen.page.Pass();
        eventsAtCompletion = screen.host.events.size();
    });

    ASSERT_EQ(1, screen.page.StartOperation(DefragOperation::kDefragmentation, kDrive, kEntry));
    EXPECT_TRUE(screen.Visible(IDC_BTN_STOPDEFRAG));
    EXPECT_FALSE(screen.Visible(IDC_BTN_STOP));
    std::vector<std::pair<int, int>> samples; // pass, position
    bool shot = false;
    ASSERT_TRUE(PumpUntil(
        [&] {
            if (screen.host.LastJobState() == kJobRunning) {
                samples.emplace_back(screen.page.Pass(), screen.ProgressPosition());
                if (!shot && samples.back().second > 250 &&
                    screen.ItemText(IDC_ST_CURRENT_PATH) != L"") {
                    screen.Shoot(L"progress_defrag_running.png");
                    shot = true;
                }
            }
            return !boxes_.Texts().empty();
        },
        kRunMilliseconds));
    EXPECT_EQ((std::vector<int32_t>{kCommandRelease, kCommandRelease, kCommandDefragment,
                                    kCommandRelease, kCommandDefragment}),
              sender.Codes());
    EXPECT_EQ((std::vector<int32_t>{0, 0, 1, 0, 1}), sender.Modes());
    EXPECT_EQ(1, passAtCompletion) << "the message only after the second pass";
    EXPECT_EQ((std::vector<std::wstring>{L"first pass", L"defrag results", L"shutdown"}),
              screen.host.events);
    EXPECT_EQ(3u, eventsAtCompletion) << "the shut-down dialog before the message";
    EXPECT_EQ(CString(L"The defragmentation is complete. Windows will now shut down."),
              screen.host.shutdownText);
    EXPECT_EQ(1, screen.host.scheduledEnds);
    EXPECT_EQ(1, screen.host.automaticModeEnds) << "the job's end ends the automatic mode";
    EXPECT_FALSE(screen.page.JobRunning());
    // Each pass's results were read once and handed over.
    ASSERT_EQ(2u, screen.host.handed.size());
    EXPECT_NE(screen.host.handed[0], screen.host.handed[1]);
    EXPECT_TRUE(screen.host.handed[1]->reportsComplete);
    ASSERT_EQ(1u, boxes_.Texts().size());
    EXPECT_EQ(CString(L"The defragmentation of (R:)Simulated is complete."), boxes_.Texts()[0]);
    EXPECT_EQ((std::vector<UINT>{kShowDefragResults}), screen.parent.commands);
    for (const auto& [pass, position] : samples) {
        if (pass == 0) {
            EXPECT_GE(position, 0);
            EXPECT_LE(position, 500'000);
        } else {
            EXPECT_GE(position, 500'000);
            EXPECT_LE(position, 950'000);
        }
    }
    EXPECT_FALSE(screen.Visible(IDC_SCAN_PROGRESS));
    EXPECT_FALSE(screen.Visible(IDC_BTN_STOPDEFRAG));
    EXPECT_NE(-1, screen.host.saved[kLastScanVolumeResult].Find(L" after"));
    ASSERT_TRUE(WaitForJobState(kJobFinished, 10'000));
    ExpectVolumeUnchanged(digests);
}

// The job is paused from its start: a pass may otherwise end before the page's first poll, and
// then the stop button is never enabled.
TEST_F(ProgressPageService, PauseResumeAndStop) {
    const SimDigests digests = MakeVolume(6'000, 262'144);
    PageOnScreen screen;
    RecordingClient& sender = screen.host.client;
    sender.pauseFirstPass = true;
    ASSERT_EQ(1, screen.page.StartOperation(DefragOperation::kDefragmentation, kDrive, kEntry));
    ASSERT_TRUE(PumpUntil(
        [&] { return screen.Enabled(IDC_BTN_STOPDEFRAG) || !screen.page.JobRunning(); }, 120'000));
    ASSERT_TRUE(sender.pausedFromTheStart.load()) << "the job ended before it could be paused";
    ASSERT_TRUE(screen.Enabled(IDC_BTN_STOPDEFRAG));
    EXPECT_EQ(0, screen.page.Pass());

    // No: the job was paused while the question was open and runs on.
    int pausedWhileAsked = -1;
    boxes_.WhileUp([&] {
        static_cast<void>(SafeRpcIsDefragPaused(pausedWhileAsked));
        screen.Shoot(L"progress_stop_question.png");
    });
    boxes_.Answer(BoxAnswer::kNo);
    screen.page.SendDlgItemMessage(IDC_BTN_STOPDEFRAG, BM_CLICK);
    ASSERT_EQ(1u, boxes_.Texts().size());
    EXPECT_NE(-1, boxes_.Texts()[0].Find(L"stop the defragmentation"));
    int paused = -1;
    ASSERT_EQ(1, SafeRpcIsDefragPaused(paused));
    EXPECT_EQ(1, pausedWhileAsked) << "paused while the question is open";
    EXPECT_EQ(0, paused) << "No resumes";
    EXPECT_FALSE(screen.page.StopRequested());
    EXPECT_EQ(1, sender.pauses) << "one pause for one click";
    EXPECT_EQ(1, sender.resumes) << "one resume for one answer";

    // Yes: aborted, home page, window unlocked.
    boxes_.Answer(BoxAnswer::kYes);
    boxes_.WhileUp(nullptr);
    screen.page.SendDlgItemMessage(IDC_BTN_STOPDEFRAG, BM_CLICK);
    ASSERT_EQ(2u, boxes_.Texts().size());
    EXPECT_TRUE(screen.page.StopRequested());
    // The wait after the abort is a state of the page, not a sleep: the click has returned,
    // the window answers, and the home page follows once the wait is over.
    EXPECT_EQ(CDlgDiskScanDefrag::JobPhase::kStopping, screen.page.Phase());
    EXPECT_TRUE(screen.page.JobRunning());
    EXPECT_TRUE(screen.parent.commands.empty());
    EXPECT_EQ((std::vector<bool>{true}), screen.host.locks);
    ASSERT_TRUE(PumpUntil([&] { return !screen.parent.commands.empty(); }, 120'000));
    EXPECT_EQ((std::vector<UINT>{kShowDefragHome}), screen.parent.commands);
    EXPECT_EQ((std::vector<bool>{true, false}), screen.host.locks);
    EXPECT_FALSE(screen.page.JobRunning());
    EXPECT_TRUE(WaitForJobState(kJobFinished, 120'000));
    const int reads = screen.host.stateReads;
    PumpFor(500);
    EXPECT_EQ(reads, screen.host.stateReads) << "polling ended";
    EXPECT_EQ(2u, boxes_.Texts().size()) << "no completion message after a stop";
    EXPECT_EQ(2, sender.pauses);
    EXPECT_EQ(1, sender.resumes) << "Yes does not resume";
    EXPECT_EQ(1, sender.aborts);
    EXPECT_EQ((std::vector<int32_t>{kCommandRelease, kCommandRelease, kCommandDefragment}),
              sender.Codes())
        << "a stopped first pass sends no second";
    ExpectVolumeUnchanged(digests);
}

TEST_F(ProgressPageService, AJobTheServiceDoesNotTakeIsToldAndEnds) {
    PageOnScreen screen;
    RecordingClient& sender = screen.host.client;

    // A job command the service does not take: told, unlocked, home again, nothing polled.
    sender.refuse = kCommandAnalyse;
    screen.host.SetCurrentDrive(kDrive);
    EXPECT_EQ(1, screen.page.StartOperation(DefragOperation::kAnalysis, kDrive, kEntry));
    ASSERT_TRUE(PumpUntil([&] { return !boxes_.Texts().empty(); }, 120'000));
    EXPECT_NE(-1, boxes_.Texts()[0].Find(L"did not take the job"));
    EXPECT_EQ((std::vector<bool>{true, false}), screen.host.locks);
    PumpFor(100);
    EXPECT_EQ((std::vector<UINT>{kShowDefragHome}), screen.parent.commands);
    EXPECT_FALSE(screen.page.JobRunning());
    const int reads = screen.host.stateReads;
    PumpFor(500);
    EXPECT_EQ(reads, screen.host.stateReads) << "no poll";
}
