// The program's main window with all its pages, run as the program runs it, against the real
// service program on a simulated volume: the main job's ends as the user and other programs
// meet them. A hidden analysis ends its job, so that the scheduler's request starts the
// defragmentation; an automatic defragmentation ends unlocked and takes the automatic mode with
// it; the status lines reach the registry; the report covers both passes; a drive removed
// while the program runs is told as such; the schedule page keeps a task's drive and names its
// task in its heading. In a prefix of its own with a fixed drive R: (its folder is removed and
// put back by the tests).
#include <windows.h>

#include <DiskDefragApp.h>
#include <DiskDefragDlg.h>
#include <DlgDefragResults.h>
#include <DlgDefragWelome.h>
#include <DlgDiskScanDefrag.h>
#include <DlgScanResults.h>
#include <DlgScheduler.h>

#include <AppLocations.h>
#include <AppState.h>
#include <DlgBaseMessageBoxWndBase.h>
#include <DlgLeftDlgBase.h>
#include <IniReader.h>
#include <ProductIdentity.h>
#include <Registry.h>
#include <ToolsTable.h>

#include "DefragRpcBinding.h"
#include "FreeSpaceRule.h"
#include "HtmlReport.h"
#include "LastScanValues.h"
#include "ResultsPagesResource.h"
#include "ScheduleManager.h"
#include "ServiceTestSupport.h"
#include "StoredTask.h"
#include "UiTestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

CDiskDefragApp theApp;

namespace {

const auto* const g_fonts = ::testing::AddGlobalTestEnvironment(new SharedFontsEnvironment);

// The system drive C: is the one the home page selects: the service reads it from the image.
constexpr wchar_t kJobDrive = L'C';
constexpr wchar_t kRemovableDrive = L'R';
constexpr wchar_t kRemovableFolder[] = L"C:\\xarn-drive-r";
constexpr wchar_t kImage[] = L"C:\\xarn-main-job-simvol.img";
constexpr wchar_t kInstallFolder[] = L"C:\\Program Files\\Xarn Main Job Test";
constexpr wchar_t kReportFolder[] = L"C:\\xarn-main-job-data";
constexpr int32_t kBlocks = 1403;
constexpr DWORD kJobMilliseconds = 300'000;
constexpr int kOptionsTab = 4;
constexpr int kSchedulerSlot = 3;

// What the product's message boxes said; each is answered with its default once it is up.
std::vector<std::wstring> g_boxTexts;
void CALLBACK AnswerBox(HWND box, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(box, id);
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
}
void RecordAndAnswer(CDlgBaseMessageBoxWndBase* box) {
    g_boxTexts.emplace_back(box->m_strMessage.GetString());
    box->SetTimer(78, 50, &AnswerBox);
}

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

std::wstring BoxTexts() {
    std::wstring all;
    for (const std::wstring& text : g_boxTexts)
        all += L"[" + text + L"] ";
    return all;
}

// The drive of the schedule page's selected drive entry ("(R:)..."), or 0.
wchar_t ScheduledDriveShown(CDlgScheduleChild& child) {
    CComboBox* drives = static_cast<CComboBox*>(child.GetDlgItem(IDC_CMB_SCHEDULE_DRIVE));
    const int selected = drives != nullptr ? drives->GetCurSel() : CB_ERR;
    if (selected == CB_ERR)
        return 0;
    CString entry;
    drives->GetLBText(selected, entry);
    return entry.GetLength() >= 2 ? entry[1] : 0;
}

std::string ReadFileBytes(const CString& path) {
    std::ifstream file(path.GetString(), std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

// The value of a row of the report's information table ("Elapsed time:" and the like).
std::string ReportRow(const std::string& report, const std::string& label) {
    const size_t at = report.find(label + "</td>");
    if (at == std::string::npos)
        return {};
    const size_t open = report.find("class=\"foot\">", at + label.size());
    const size_t close = report.find("</td>", open);
    if (open == std::string::npos || close == std::string::npos)
        return {};
    const size_t start = open + std::string("class=\"foot\">").size();
    return report.substr(start, close - start);
}

class MainJob : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        g_strAppTitle = GetToolTitle(kDefragToolNumber);
        RemoveService();
        binding_ = std::make_unique<DefragRpcBinding>(kDefragRpcEndpoint);
        problem_ = InstallAnsweringService(kInstallFolder, kBlocks, kJobDrive);
    }
    static void TearDownTestSuite() {
        RemoveService();
        DeleteFileW(kImage);
        binding_.reset();
    }
    void SetUp() override {
        ASSERT_EQ("", problem_);
        // The free-space rule reads the prefix's own drive, the host's disk.
        ASSERT_TRUE(DriveHasEnoughFreeSpace(kJobDrive))
            << "the host's disk has less than 1 GiB and 8 % free: the program would refuse";
        g_boxTexts.clear();
        SetMessageBoxAnswerHook(&RecordAndAnswer);
        theApp.SetLangSection(kDefragLangSection);
        theApp.m_bHiddenStart = false;
        theApp.m_bAutomaticMode = false;
        theApp.m_bScheduledWithDrives = false;
        theApp.m_bScheduledWithoutDrives = false;
        theApp.m_strScheduleDriveLetters.Empty();
        CreateDirectoryW(kReportFolder, nullptr);
        theApp.m_strCommonDataFolder = kReportFolder;
        static_cast<void>(CRegistry::DeleteKey(HKEY_CURRENT_USER, LastScanKeyPath()));
        SetReportBrowser([this](const CString& path) {
            openedReports_.push_back(path);
            return true;
        });
    }
    void TearDown() override {
        if (window_) {
            window_->DestroyWindow();
            window_.reset();
        }
        g_pDiskDefragDlg = nullptr;
        SetReportBrowser(nullptr);
        SetMessageBoxAnswerHook(nullptr);
        // The job's results stay with the service until released.
        ServiceHandles handles;
        EXPECT_TRUE(SendWhenListening(handles, kBlocks, kCommandRelease, kJobDrive, 0));
    }

    // A fresh fragmented volume for the job's drive.
    void MakeVolume() {
        JobVolume made;
        ASSERT_NO_FATAL_FAILURE(MakeJobVolume(kImage, kJobDrive, 129, made));
        digests_ = std::move(made.digests);
    }
    void ExpectVolumeSound() { ExpectJobVolumeSound(kImage, digests_); }

    // The main window as the program makes it (its home page selects the system drive).
    void Open() {
        AppLayout layout;
        theApp.BuildAppLayout(layout);
        window_ = std::make_unique<CDiskDefragDlg>();
        g_pDiskDefragDlg = window_.get();
        window_->SetAppLayout(layout);
        ASSERT_TRUE(window_->Create(CDlgBaseAppDlg::kTemplateId, nullptr));
        if (!theApp.m_bHiddenStart)
            window_->ShowWindow(SW_SHOW);
        PumpFor(200);
    }
    CDlgDefragWelome& Home() { return *window_->HomePage(); }
    CDlgDiskScanDefrag& Progress() { return *window_->ProgressPage(); }
    bool PageShown(CWnd* page) { return page != nullptr && (page->GetStyle() & WS_VISIBLE) != 0; }
    // Every tab button and the close button can be used.
    bool WindowUnlocked() {
        for (int tab = 0; tab < 5; ++tab)
            if (!window_->m_tabButtons[tab].IsWindowEnabled())
                return false;
        return window_->m_btnClose.IsWindowEnabled() != FALSE;
    }
    void ClickStart(bool defragmentAfterAnalysis) {
        Home().m_defragAfterAnalysis.SetCheck(defragmentAfterAnalysis ? BST_CHECKED
                                                                      : BST_UNCHECKED);
        Home().SendMessageW(WM_COMMAND, MAKEWPARAM(6011, BN_CLICKED),
                            reinterpret_cast<LPARAM>(Home().m_startButton.GetSafeHwnd()));
    }
    bool WaitForJobEnd() {
        return PumpUntil([&] { return Progress().JobRunning(); }, 30'000) &&
               PumpUntil([&] { return !Progress().JobRunning(); }, kJobMilliseconds);
    }
    // Waits until the completion message of a defragmentation was told.
    bool WaitForCompletion(size_t boxesBefore) {
        return PumpUntil([&] { return g_boxTexts.size() > boxesBefore; }, kJobMilliseconds) &&
               g_boxTexts.back().find(L"is complete") != std::wstring::npos;
    }
    LRESULT SendCopyData(ULONG_PTR code) {
        COPYDATASTRUCT data{code, 0, nullptr};
        return window_->SendMessageW(WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    }

    static inline std::unique_ptr<DefragRpcBinding> binding_;
    static inline std::string problem_;
    std::unique_ptr<CDiskDefragDlg> window_;
    SimDigests digests_;
    std::vector<CString> openedReports_;
};

} // namespace

TEST_F(MainJob, AnAnalysisSavesBothStatusLines) {
    ASSERT_NO_FATAL_FAILURE(MakeVolume());
    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_EQ(kJobDrive, Home().GetSelectedDriveLetter());
    ClickStart(false);
    ASSERT_TRUE(WaitForJobEnd()) << Narrow(BoxTexts());
    ASSERT_TRUE(PumpUntil([&] { return PageShown(window_->AnalysisResultsPage()); }, 60'000));
    EXPECT_TRUE(g_boxTexts.empty()) << Narrow(BoxTexts());

    LastScanTexts stored;
    LoadLastScanTexts(stored, L"missing");
    EXPECT_EQ(0, stored.statusLine1.Find(L"Drive C: is "))
        << Narrow(stored.statusLine1.GetString());
    EXPECT_NE(-1, stored.statusLine1.Find(L"% fragmented"));
    EXPECT_NE(-1, stored.statusLine2.Find(L" fragmented files found"))
        << Narrow(stored.statusLine2.GetString());
    EXPECT_EQ(window_->LastScan().statusLine1, stored.statusLine1);
    EXPECT_EQ(window_->LastScan().statusLine2, stored.statusLine2);
    EXPECT_EQ(CString(L"C:\\"), stored.drive);
    // A new start reads them back.
    window_->DestroyWindow();
    window_.reset();
    ASSERT_NO_FATAL_FAILURE(Open());
    EXPECT_EQ(stored.statusLine1, window_->LastScan().statusLine1);
    EXPECT_EQ(stored.statusLine2, window_->LastScan().statusLine2);
    ExpectVolumeSound();
}

// After a hidden start's analysis the job is over: the scheduler's request is a new job, not
// "already running".
TEST_F(MainJob, AHiddenAnalysisEndsItsJobAndTheSchedulersRequestDefragments) {
    ASSERT_NO_FATAL_FAILURE(MakeVolume());
    theApp.m_bHiddenStart = true;
    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_TRUE(WaitForJobEnd());
    EXPECT_FALSE(window_->IsJobRunning());
    EXPECT_FALSE(window_->IsWindowVisible());
    EXPECT_TRUE(g_boxTexts.empty()) << Narrow(BoxTexts());
    LastScanTexts stored;
    LoadLastScanTexts(stored, L"missing");
    EXPECT_EQ(CString(L"C:\\"), stored.drive) << "the hidden analysis was recorded";

    // The scheduler asks for its drive; the window shows itself and defragments it.
    theApp.m_bHiddenStart = false;
    CRegistry key(HKEY_CURRENT_USER);
    ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, GetAppRegistryKey(), true));
    ASSERT_TRUE(key.WriteString(kScheduleDriveLetterValue, L"C"));
    key.Close();
    const ATOM atom = GlobalAddAtomW(L"any text");
    window_->SendMessageW(g_uSchedulerWorkMessage, 0, atom);
    GlobalDeleteAtom(atom);
    ASSERT_TRUE(WaitForCompletion(0)) << Narrow(BoxTexts());
    ASSERT_EQ(1u, g_boxTexts.size()) << "no \"already running\": " << Narrow(BoxTexts());
    EXPECT_TRUE(window_->IsWindowVisible());
    EXPECT_EQ(kJobFinished, JobState());
    ASSERT_TRUE(PumpUntil([&] { return PageShown(window_->DefragResultsPage()); }, 60'000));
    EXPECT_TRUE(window_->DefragResultsPage()->m_bResultsRead);
    ExpectVolumeSound();
}

// An automatic defragmentation (another program's copy-data code 20) skips the results pages;
// it ends on the home page with the window unlocked, and the next job is an ordinary one.
TEST_F(MainJob, AnAutomaticDefragmentationEndsUnlockedAndTakesTheModeWithIt) {
    ASSERT_NO_FATAL_FAILURE(MakeVolume());
    ASSERT_NO_FATAL_FAILURE(Open());
    ClickStart(false);
    ASSERT_TRUE(WaitForJobEnd());
    ASSERT_TRUE(PumpUntil([&] { return PageShown(window_->AnalysisResultsPage()); }, 60'000));

    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        const size_t boxes = g_boxTexts.size();
        EXPECT_EQ(kCopyDataDone, SendCopyData(kCopyDataAutoDefrag));
        EXPECT_TRUE(Progress().JobRunning());
        EXPECT_FALSE(WindowUnlocked()) << "locked while it runs";
        ASSERT_TRUE(WaitForCompletion(boxes)) << Narrow(BoxTexts());
        ASSERT_TRUE(PumpUntil([&] { return !Progress().JobRunning(); }, 60'000));
        ASSERT_TRUE(PumpUntil([&] { return PageShown(window_->HomePage()); }, 60'000));
        EXPECT_TRUE(WindowUnlocked());
        EXPECT_FALSE(theApp.m_bAutomaticMode);
        EXPECT_FALSE(PageShown(window_->DefragResultsPage())) << "no unfilled results page";
        EXPECT_FALSE(window_->DefragResultsPage()->m_bResultsRead);
    }

    // The mode ended with the job: the next defragmentation fills its results page.
    const size_t boxes = g_boxTexts.size();
    ClickStart(true);
    ASSERT_TRUE(WaitForCompletion(boxes)) << Narrow(BoxTexts());
    ASSERT_TRUE(PumpUntil([&] { return PageShown(window_->DefragResultsPage()); }, 60'000));
    EXPECT_TRUE(window_->DefragResultsPage()->m_bResultsRead);
    EXPECT_TRUE(WindowUnlocked());
    ExpectVolumeSound();
}

// The defragmentation report covers the whole job: from the first pass's start to the second
// pass's end.
TEST_F(MainJob, TheDefragmentationReportCoversBothPasses) {
    ASSERT_NO_FATAL_FAILURE(MakeVolume());
    ASSERT_NO_FATAL_FAILURE(Open());
    ClickStart(true);
    ASSERT_TRUE(WaitForCompletion(0)) << Narrow(BoxTexts());
    ASSERT_TRUE(PumpUntil([&] { return PageShown(window_->DefragResultsPage()); }, 60'000));
    CDlgDefragResults& results = *window_->DefragResultsPage();
    ASSERT_TRUE(results.m_bResultsRead);
    const SYSTEMTIME firstStart = results.m_firstPassStart;
    const SYSTEMTIME secondStart = results.m_results->statistics->startTime;
    const SYSTEMTIME end = results.m_results->statistics->endTime;

    results.SendMessageW(WM_COMMAND, MAKEWPARAM(IDC_REPORT, BN_CLICKED), 0);
    // Written and opened on the window's worker; its end is told on the window's thread.
    ASSERT_TRUE(
        PumpUntil([&] { return window_->LastReportOutcome() == ReportOutcome::kOpened; }, 60'000));
    ASSERT_EQ(1u, openedReports_.size());
    const std::string report = ReadFileBytes(openedReports_.front());
    const std::wstring started(ReportTimeText(firstStart).GetString());
    EXPECT_EQ(Narrow(started), ReportRow(report, "Started Scanning at:"));
    EXPECT_EQ(Narrow(ReportTimeText(end).GetString()), ReportRow(report, "Completed Scanning at:"));
    FILETIME from{};
    FILETIME second{};
    FILETIME to{};
    ASSERT_TRUE(SystemTimeToFileTime(&firstStart, &from));
    ASSERT_TRUE(SystemTimeToFileTime(&secondStart, &second));
    ASSERT_TRUE(SystemTimeToFileTime(&end, &to));
    const auto ticks = [](const FILETIME& time) {
        return ULARGE_INTEGER{{time.dwLowDateTime, time.dwHighDateTime}}.QuadPart;
    };
    // The page waits 2,024 ms before the second pass: the passes start apart.
    EXPECT_GE(ticks(second), ticks(from) + 20'000'000);
    const unsigned long long elapsed = (ticks(to) - ticks(from)) / 10'000'000;
    char expected[16];
    snprintf(expected, sizeof expected, "%02llu:%02llu:%02llu", elapsed / 3600, elapsed / 60 % 60,
             elapsed % 60);
    EXPECT_EQ(expected, ReportRow(report, "Elapsed time:"));
    EXPECT_NE("00:00:00", ReportRow(report, "Elapsed time:"));
    ExpectVolumeSound();
}

// A drive that goes away while the program runs (its letter no longer leads anywhere) is told as
// not there, not as short of free space, and nothing is sent.
TEST_F(MainJob, ADriveRemovedWhileTheProgramRunsIsToldAsRemoved) {
    ASSERT_NO_FATAL_FAILURE(Open());
    Home().SelectDrive(CString(kRemovableDrive));
    ASSERT_EQ(kRemovableDrive, Home().GetSelectedDriveLetter()) << "R: is listed at the start";
    const std::wstring moved = std::wstring(kRemovableFolder) + L"-gone";
    ASSERT_TRUE(MoveFileW(kRemovableFolder, moved.c_str()));
    ClickStart(false);
    PumpFor(300);
    ASSERT_TRUE(MoveFileW(moved.c_str(), kRemovableFolder));
    ASSERT_EQ(1u, g_boxTexts.size()) << Narrow(BoxTexts());
    EXPECT_EQ(0u, g_boxTexts[0].find(L"(R:)"));
    EXPECT_NE(std::wstring::npos, g_boxTexts[0].find(L"cannot be read now"));
    EXPECT_EQ(std::wstring::npos, g_boxTexts[0].find(L"free space")) << Narrow(g_boxTexts[0]);
    EXPECT_FALSE(Progress().JobRunning());
    EXPECT_TRUE(PageShown(window_->HomePage()));
}

// The schedule page of a task saved for R: shows R: (Apply keeps it) and names its task in the
// heading above it.
TEST_F(MainJob, TheSchedulePageKeepsTheTasksDriveAndNamesItsTask) {
    CScheduleManager manager;
    ScheduleChoice choice;
    choice.optimise = true;
    choice.drive = kRemovableDrive;
    choice.mode = ScheduleMode::kDaily;
    choice.hour = 3;
    choice.minute = 30;
    choice.programPath = L"C:\\Program Files\\Xarn\\Xarn.exe";
    choice.workingFolder = L"C:\\Program Files\\Xarn";
    SYSTEMTIME now{};
    GetLocalTime(&now);
    ASSERT_EQ(ScheduleSaveResult::kSaved, SaveSchedule(manager, choice, now));

    ASSERT_NO_FATAL_FAILURE(Open());
    auto* scheduler = static_cast<CDlgScheduler*>(window_->PageInSlot(kOptionsTab, kSchedulerSlot));
    ASSERT_NE(nullptr, scheduler);
    CDlgScheduleChild* child = scheduler->Child();
    ASSERT_NE(nullptr, child);
    const auto heading = [&] {
        CString text;
        scheduler->GetWindowText(text);
        return text;
    };
    EXPECT_EQ(CString(L"Scheduler Defragment"), heading());
    EXPECT_EQ(kRemovableDrive, ScheduledDriveShown(*child));

    child->SendMessageW(WM_COMMAND, MAKEWPARAM(IDC_TABBTN_CLEAN, BN_CLICKED), 0);
    EXPECT_EQ(CString(L"Scheduler Clean Up"), heading());
    child->SendMessageW(WM_COMMAND, MAKEWPARAM(IDC_TABBTN_OPTIMIZE, BN_CLICKED), 0);
    EXPECT_EQ(CString(L"Scheduler Defragment"), heading());
    EXPECT_EQ(kRemovableDrive, ScheduledDriveShown(*child));

    // Apply again: the task keeps its drive.
    child->SendMessageW(WM_COMMAND, MAKEWPARAM(IDC_BTN_APPLY, BN_CLICKED), 0);
    PumpFor(200);
    stored_task::StoredTask stored;
    ASSERT_TRUE(stored_task::ReadStoredTask(kOptimizeTaskName, stored));
    EXPECT_EQ(L"-schedule -R", stored.parameters);
    EXPECT_TRUE(manager.DeleteTask(kOptimizeTaskName));
}
