// The main window and the defragmentation home page on the virtual display: pages and texts,
// the free-space rule and the service's refusal as the user meets them, the messages other
// programs send, the hidden and scheduled starts, and a picture of the home page.
#include <windows.h>

#include <DiskDefragApp.h>
#include <DiskDefragDlg.h>
#include <DlgDefragWelome.h>
#include <DlgDefragResults.h>
#include <DlgDiskScanDefrag.h>
#include <DlgScanResults.h>
#include <HoverButtonWithText.h>
#include <HtmlReport.h>
#include <LastScanValues.h>

#include <DlgLeftDlgBase.h>
#include <DlgLeftSideChild.h>
#include <STBitmap.h>
#include <DlgBaseMessageBoxWndBase.h>
#include <AppLocations.h>
#include <AppState.h>
#include <SharedGlobals.h>
#include <IniReader.h>
#include <Registry.h>

#include "UiTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

CDiskDefragApp theApp;

void PrintTo(const CString& text, std::ostream* out) {
    const std::wstring wide(text.GetString());
    *out << '"' << std::string(wide.begin(), wide.end()) << '"';
}

namespace {
const auto* const g_fonts = ::testing::AddGlobalTestEnvironment(new SharedFontsEnvironment);

constexpr ULONGLONG kGiB = 1'073'741'824;
constexpr ULONGLONG kGB = 1'000'000'000;

// Every key the language files did not hold, as the library reports it.
std::set<std::wstring> g_missingTexts;
void CollectMissingText(const CString& message) {
    g_missingTexts.insert(message.GetString());
}

// What the product's message boxes showed, and the button index each is answered with.
std::vector<std::wstring> g_boxTexts;
int g_boxAnswer = 1;
void CALLBACK AnswerBox(HWND box, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(box, id);
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(1185 + g_boxAnswer, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(box, 1185 + g_boxAnswer)));
}
void RecordAndAnswer(CDlgBaseMessageBoxWndBase* box) {
    g_boxTexts.emplace_back(box->m_strMessage.GetString());
    box->SetTimer(77, 50, &AnswerBox);
}

struct StartedJob {
    DefragOperation operation;
    wchar_t drive;
    std::wstring entry;
};

// The service, the system and the progress page as the tests want them.
class FakeHomeServices : public DefragHomeServices {
public:
    bool QueryDriveSpace(wchar_t, ULONGLONG& freeBytes, ULONGLONG& totalBytes) override {
        ++spaceQueries;
        freeBytes = free;
        totalBytes = total;
        return spaceReadable;
    }
    bool MakeServiceReady() override { return ++readyChecks > failingReadyChecks; }
    bool InstallService() override {
        ++installs;
        return installWorks;
    }
    void RestartWindows() override { ++restarts; }
    int StartOperation(DefragOperation operation, wchar_t drive, const CString& entry) override {
        jobs.push_back({operation, drive, entry.GetString()});
        return operationStarts ? 1 : 0;
    }

    ULONGLONG free = 50 * kGB;
    ULONGLONG total = 100 * kGB;
    bool spaceReadable = true;
    int failingReadyChecks = 0;
    bool installWorks = true;
    bool operationStarts = true;
    int spaceQueries = 0;
    int installs = 0;
    int restarts = 0;
    int readyChecks = 0;
    std::vector<StartedJob> jobs;
};

// The window's service client in the test: answers as a service that takes every command
// would (a job command makes the job run, a release makes it idle; the test ends a pass), and
// logs every call that reaches the service, in order. The pages call it on their workers too.
class AnsweringClient : public DefragServiceClient {
public:
    AnsweringClient() : DefragServiceClient(nullptr) {}

    // The job's state changes before the call is logged: a test that saw the call may end
    // the pass.
    bool Send(int32_t code, wchar_t, int32_t mode) override {
        switch (code) {
        case kCommandRelease:
            state = kJobIdle;
            Log(mode == 0 ? "release" : "release, mode given");
            break;
        case kCommandAnalyse:
            state = kJobRunning;
            Log(mode == 0 ? "analyse" : "analyse, mode given");
            break;
        case kCommandDefragment:
            state = kJobRunning;
            Log(mode == 1 ? "defragment" : "defragment, wrong mode");
            break;
        default:
            Log("unknown command");
            break;
        }
        return true;
    }
    bool MakeServiceReady() override {
        ++readyChecks;
        return true;
    }
    bool ReadState(int& jobState, int& priority) override {
        jobState = state;
        priority = kPriorityNormal;
        return true;
    }
    bool Pause() override {
        Log("pause");
        return true;
    }
    bool Resume() override {
        Log("resume");
        return true;
    }
    bool Abort() override {
        Log("abort");
        return true;
    }
    ServicePoll Poll(int) override {
        ServicePoll poll;
        poll.stateRead = true;
        poll.state = state;
        poll.pausedRead = true;
        return poll;
    }
    void FetchResults(RunResults&, const std::function<bool()>&, RunResultsProgress*) override {}
    bool UploadClusterMap(const std::vector<ClusterMapBlock>&) override { return true; }

    // The calls since the last look, and the log emptied.
    std::vector<std::string> TakeLog() {
        std::lock_guard<std::mutex> guard(lock_);
        return std::exchange(log_, {});
    }
    size_t LogSize() {
        std::lock_guard<std::mutex> guard(lock_);
        return log_.size();
    }

    std::atomic<int> state{kJobIdle};
    std::atomic<int> readyChecks{0};

private:
    void Log(const char* call) {
        std::lock_guard<std::mutex> guard(lock_);
        log_.emplace_back(call);
    }

    std::mutex lock_;
    std::vector<std::string> log_;
};

using CallLog = std::vector<std::string>;

// A click of a page's button as its page receives it.
void Click(CWnd& page, CWnd& button) {
    page.SendMessageW(WM_COMMAND, MAKEWPARAM(button.GetDlgCtrlID(), BN_CLICKED),
                      reinterpret_cast<LPARAM>(button.GetSafeHwnd()));
}

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        g_missingTexts.clear();
        g_boxTexts.clear();
        g_boxAnswer = 1;
        SetLangTextFailureReporter(&CollectMissingText);
        SetMessageBoxAnswerHook(&RecordAndAnswer);
        theApp.SetLangSection(kDefragLangSection);
        theApp.m_bHiddenStart = false;
        theApp.m_bAutomaticMode = false;
        theApp.m_bScheduledWithDrives = false;
        theApp.m_bScheduledWithoutDrives = false;
        theApp.m_strScheduleDriveLetters.Empty();
    }
    void TearDown() override {
        if (window_) {
            window_->DestroyWindow();
            window_.reset();
        }
        g_pDiskDefragDlg = nullptr;
        SetMessageBoxAnswerHook(nullptr);
        SetLangTextFailureReporter(nullptr);
    }

    // The main window as the program makes it, modeless, with the fake services on its home
    // page before any timer fires (or its own, which reach the service through its client).
    void Open(bool fakeHomeServices = true) {
        AppLayout layout;
        theApp.BuildAppLayout(layout);
        window_ = std::make_unique<CDiskDefragDlg>();
        g_pDiskDefragDlg = window_.get();
        window_->SetAppLayout(layout);
        ASSERT_TRUE(window_->Create(CDlgBaseAppDlg::kTemplateId, nullptr));
        ASSERT_NE(window_->HomePage(), nullptr);
        if (fakeHomeServices)
            home().SetServices(&services_);
        if (!theApp.m_bHiddenStart)
            window_->ShowWindow(SW_SHOW);
        PumpFor(100);
    }
    CDlgDefragWelome& home() { return *window_->HomePage(); }
    CDlgLeftDlgBase* panel() { return window_->GetTabPanel(0); }
    // The defragmentation panel's slot shown last (1 the home page).
    int SelectedSlot() { return panel()->SelectedButtonIndex() + 1; }
    void ClickStart() {
        home().SendMessageW(WM_COMMAND, MAKEWPARAM(6011, BN_CLICKED),
                            reinterpret_cast<LPARAM>(home().m_startButton.GetSafeHwnd()));
        PumpFor(100);
    }
    LRESULT SendCopyData(ULONG_PTR code) {
        COPYDATASTRUCT data{code, 0, nullptr};
        return window_->SendMessageW(WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    }
    void SendSchedulerWork(const wchar_t* text) {
        const ATOM atom = GlobalAddAtomW(text);
        window_->SendMessageW(g_uSchedulerWorkMessage, 0, atom);
        GlobalDeleteAtom(atom);
        PumpFor(400);
    }

    std::unique_ptr<CDiskDefragDlg> window_;
    FakeHomeServices services_;
};

TEST_F(MainWindow, EveryTabAndDefragmentationPageShowsWithEveryText) {
    ASSERT_NO_FATAL_FAILURE(Open());
    for (UINT tab = AppTabCommand::kFirst; tab <= AppTabCommand::kLast; ++tab) {
        window_->SendMessageW(WM_COMMAND, tab, 0);
        PumpFor(50);
        EXPECT_NE(window_->GetCurrentPanel(), nullptr);
    }
    window_->SendMessageW(WM_COMMAND, AppTabCommand::kFirst, 0);
    // Every page the tab holds in this program (the panel shows nothing for an empty slot).
    for (UINT page = kShowDefragHome; page <= kShowDefragResults; ++page)
        if (window_->PageInSlot(0, static_cast<int>(page - kShowDefragHome) + 1) != nullptr)
            panel()->SendMessageW(WM_COMMAND, page, 0);
    panel()->SendMessageW(WM_COMMAND, kShowDefragHome, 0);
    PumpFor(100);
    EXPECT_TRUE(home().IsWindowVisible());
    for (const std::wstring& missing : g_missingTexts)
        ADD_FAILURE() << "text missing from the language files: "
                      << std::string(missing.begin(), missing.end());

    // The window title is the one a second start finds the running instance by.
    CString title;
    window_->GetWindowText(title);
    EXPECT_EQ(title, GetAppTitle());
    CString pageTitle;
    home().GetWindowText(pageTitle);
    EXPECT_FALSE(pageTitle.IsEmpty());

    window_->SetForegroundWindow();
    PumpFor(300);
    CRect rect;
    window_->GetWindowRect(&rect);
    EXPECT_TRUE(SaveScreenPng(rect, BesideProgram(L"main_window_home.png").c_str()));
}

// A pixel of the screen, as the window shows it now.
COLORREF ScreenPixel(POINT at) {
    const HDC screen = ::GetDC(nullptr);
    const COLORREF pixel = ::GetPixel(screen, at.x, at.y);
    ::ReleaseDC(nullptr, screen);
    return pixel;
}

// The pixels of a bitmap resource, read through a memory context.
class BitmapReader {
public:
    explicit BitmapReader(CSTBitmap& bitmap) {
        m_dc.CreateCompatibleDC(nullptr);
        m_kept = m_dc.SelectObject(&bitmap);
    }
    ~BitmapReader() { m_dc.SelectObject(m_kept); }
    COLORREF At(int x, int y) { return ::GetPixel(m_dc.m_hDC, x, y); }

private:
    CDC m_dc;
    CBitmap* m_kept = nullptr;
};

// The home page's pictures: the library's title icon at (21, 114) as it is, and the drive mark
// 1077 at (22, 146) ANDed onto the white page, so that its dark pixels show and its white ones
// leave the page white.
TEST_F(MainWindow, HomePageDrawsTheTitleIconAndTheDriveMark) {
    ASSERT_NO_FATAL_FAILURE(Open());
    window_->SetForegroundWindow();
    home().RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpFor(200);
    CPoint origin(0, 0);
    home().ClientToScreen(&origin);

    ASSERT_NE(g_bmpTitleIcon.GetSafeHandle(), nullptr) << "loaded by the painting";
    BitmapReader icon(g_bmpTitleIcon);
    int iconMatches = 0;
    for (int y = 0; y < g_bmpTitleIcon.GetHeight(); ++y)
        for (int x = 0; x < g_bmpTitleIcon.GetWidth(); ++x)
            iconMatches += ScreenPixel({origin.x + 21 + x, origin.y + 114 + y}) == icon.At(x, y);
    EXPECT_EQ(iconMatches, g_bmpTitleIcon.GetWidth() * g_bmpTitleIcon.GetHeight());

    CSTBitmap mark(1077);
    ASSERT_GT(mark.GetWidth(), 0);
    BitmapReader markPixels(mark);
    int dark = 0, matches = 0;
    for (int y = 0; y < mark.GetHeight(); ++y)
        for (int x = 0; x < mark.GetWidth(); ++x) {
            const COLORREF expected = markPixels.At(x, y);
            dark += expected != RGB(255, 255, 255);
            matches += ScreenPixel({origin.x + 22 + x, origin.y + 146 + y}) == expected;
        }
    EXPECT_GT(dark, 20) << "the mark has something to show";
    EXPECT_EQ(matches, mark.GetWidth() * mark.GetHeight());
    CRect rect;
    window_->GetWindowRect(&rect);
    EXPECT_TRUE(SaveScreenPng(rect, BesideProgram(L"main_window_home_marks.png").c_str()));
}

// The start and stop buttons' strips hold four frames: cut in three, a hovered button showed
// half its pressed and half its grey disabled frame.
TEST_F(MainWindow, StartAndStopButtonsCutTheirStripsInFour) {
    ASSERT_NO_FATAL_FAILURE(Open());
    EXPECT_TRUE(home().m_startButton.m_bHasDisabledState);
    EXPECT_EQ(home().m_startButton.m_nFrameWidth, 222);
    ASSERT_NE(window_->ProgressPage(), nullptr);
    for (int id : {6013, 6016}) {
        CWnd* item = window_->ProgressPage()->GetDlgItem(id);
        ASSERT_NE(item, nullptr) << id;
        auto* stop = static_cast<CHoverButtonWithText*>(CWnd::FromHandlePermanent(item->m_hWnd));
        ASSERT_NE(stop, nullptr) << id;
        EXPECT_TRUE(stop->m_bHasDisabledState) << id;
        EXPECT_EQ(stop->m_nFrameWidth, 120) << id;
    }
}

// The update check is reachable: every tab's panel shows its link; and the system menu's
// first item is a short "About" line, not a sentence that widens the menu.
TEST_F(MainWindow, UpdateLinkOnEveryPanelAndAShortAboutItem) {
    ASSERT_NO_FATAL_FAILURE(Open());
    for (int tab = 0; tab < kMaxAppTabs; ++tab) {
        window_->SendMessageW(WM_COMMAND, AppTabCommand::kFirst + tab, 0);
        PumpFor(50);
        CDlgLeftDlgBase* tabPanel = window_->GetTabPanel(tab);
        ASSERT_NE(tabPanel, nullptr);
        CWnd* link = tabPanel->GetDlgItem(1181);
        ASSERT_NE(link, nullptr) << tab;
        EXPECT_TRUE(link->IsWindowVisible()) << tab;
        EXPECT_TRUE(link->IsWindowEnabled()) << tab;
        CString text;
        link->GetWindowText(text);
        EXPECT_FALSE(text.IsEmpty()) << tab;
    }
    window_->SendMessageW(WM_COMMAND, AppTabCommand::kFirst, 0);

    CMenu* menu = window_->GetSystemMenu(FALSE);
    ASSERT_NE(menu, nullptr);
    CString about;
    menu->GetMenuString(0, about, MF_BYPOSITION);
    EXPECT_EQ(about, L"About Stellmark");
}

// Every page of every tab in its place, photographed as "main_tab<tab>_page<slot>.png".
TEST_F(MainWindow, EveryPageOfEveryTabShowsInItsPlace) {
    ASSERT_NO_FATAL_FAILURE(Open());
    window_->SetForegroundWindow();
    for (int tab = 0; tab < kMaxAppTabs; ++tab) {
        window_->SendMessageW(WM_COMMAND, AppTabCommand::kFirst + tab, 0);
        CDlgLeftDlgBase* tabPanel = window_->GetTabPanel(tab);
        ASSERT_NE(tabPanel, nullptr) << tab;
        for (int slot = 1; slot <= CDlgLeftDlgBase::kMaxSideButtons; ++slot) {
            CWnd* page = window_->PageInSlot(tab, slot);
            if (page == nullptr)
                continue;
            tabPanel->SendMessageW(WM_COMMAND, kShowDefragHome + slot - 1, 0);
            PumpFor(150);
            EXPECT_TRUE(page->IsWindowVisible()) << "tab " << tab << " slot " << slot;
            CRect pageRect;
            page->GetWindowRect(&pageRect);
            CRect panelRect;
            tabPanel->GetWindowRect(&panelRect);
            EXPECT_TRUE(CRect().IntersectRect(&pageRect, &panelRect)) << tab << "/" << slot;
            CRect rect;
            window_->GetWindowRect(&rect);
            const std::wstring name =
                L"main_tab" + std::to_wstring(tab + 1) + L"_page" + std::to_wstring(slot) + L".png";
            EXPECT_TRUE(SaveScreenPng(rect, BesideProgram(name.c_str()).c_str()));
        }
    }
    window_->SendMessageW(WM_COMMAND, AppTabCommand::kFirst, 0);
    panel()->SendMessageW(WM_COMMAND, kShowDefragHome, 0);
    PumpFor(100);
}

TEST_F(MainWindow, DriveListSelectsTheSystemDriveAndKeepsTheMainWindowsTexts) {
    ASSERT_NO_FATAL_FAILURE(Open());
    const int count = home().m_driveCombo.GetCount();
    ASSERT_GT(count, 0);
    // The window keeps the page's entries, each in the page's order.
    ASSERT_EQ(window_->DriveTexts().GetSize(), count);
    for (int index = 0; index < count; ++index) {
        CString entry;
        home().m_driveCombo.GetLBText(index, entry);
        EXPECT_EQ(window_->DriveTexts()[index], entry) << index;
    }
    // A second listing replaces them rather than adding to them.
    home().FillDriveList();
    EXPECT_EQ(window_->DriveTexts().GetSize(), count);
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    EXPECT_EQ(home().GetSelectedDriveLetter(), towupper(system[0]));
    EXPECT_EQ(theApp.m_chCurrentDrive, towupper(system[0]));
    EXPECT_EQ(home().SelectedEntry()[1], towupper(system[0]));
    // The system drive's entry names itself so.
    EXPECT_GE(home().SelectedEntry().Find(L") "), 0);
    EXPECT_GE(home().SelectedEntry().Find(theApp.GetLangString(L"IDS_SYS_DRIVE")), 0);
    // Letters that match no entry (also two letters) leave the selection alone.
    home().SelectDrive(L"Q");
    home().SelectDrive(L"CD");
    EXPECT_EQ(home().GetSelectedDriveLetter(), towupper(system[0]));
}

TEST(DriveEntry, OtherDrivesHaveNoBlankAfterTheParenthesis) {
    EXPECT_EQ(MakeDriveEntryText(L'D', L"Data", false, L"System drive"), L"(D:)Data");
    EXPECT_EQ(MakeDriveEntryText(L'C', L"Win", true, L"System drive"), L"(C:) Win (System drive)");
    EXPECT_EQ(MakeDriveEntryText(L'E', L"", false, L"x"), L"(E:)");
}

TEST_F(MainWindow, FreeSpaceRuleDecidesWhetherAJobStarts) {
    ASSERT_NO_FATAL_FAILURE(Open());
    struct Case {
        ULONGLONG free, total;
        bool readable, starts;
    };
    const Case cases[] = {
        {7'900'000'000, 100 * kGB, true, true}, // 7 %, but at least 1 GiB
        {900'000'000, 10 * kGB, true, true},    // 9 %
        {790'000'000, 10 * kGB, true, false},   // 7 % and under 1 GiB
        {kGiB - 1, kGiB * 100, true, false},    // just under both
        {kGiB, kGiB * 1000, true, true},        // exactly 1 GiB
        {0, 0, true, false},                    // a size of 0: no division, refused
        {500, 0, true, false},
        {50 * kGB, 100 * kGB, false, false}, // sizes unreadable
    };
    for (const Case& c : cases) {
        services_ = FakeHomeServices{};
        services_.free = c.free;
        services_.total = c.total;
        services_.spaceReadable = c.readable;
        g_boxTexts.clear();
        ClickStart();
        SCOPED_TRACE(testing::Message() << c.free << " of " << c.total);
        EXPECT_EQ(services_.jobs.size(), c.starts ? 1u : 0u);
        if (c.starts) {
            EXPECT_EQ(services_.readyChecks, 1);
            EXPECT_EQ(services_.jobs[0].operation, DefragOperation::kAnalysis);
            EXPECT_TRUE(g_boxTexts.empty());
        } else {
            EXPECT_EQ(services_.readyChecks, 0);
            ASSERT_EQ(g_boxTexts.size(), 1u);
            // Sizes that cannot be read mean the drive is gone (removed): told as such, not
            // as a lack of room.
            const CString expected =
                c.readable
                    ? home().SelectedEntry() + theApp.GetLangString(L"IDS_WARNING_LOW_FREESPACE")
                    : home().SelectedEntry() + L" " +
                          theApp.GetLangString(L"IDS_DRIVE_NOT_AVAILABLE");
            EXPECT_EQ(CString(g_boxTexts[0].c_str()), expected);
        }
    }
}

TEST_F(MainWindow, StartButtonRunsTheJobAndShowsItsPage) {
    ASSERT_NO_FATAL_FAILURE(Open());
    ClickStart();
    ASSERT_EQ(services_.jobs.size(), 1u);
    EXPECT_EQ(services_.jobs[0].drive, home().GetSelectedDriveLetter());
    EXPECT_EQ(CString(services_.jobs[0].entry.c_str()), home().SelectedEntry());
    EXPECT_EQ(SelectedSlot(), 2); // command 1200

    // Clicking the label ticks the box: the same button now defragments (slot 4, 1202).
    panel()->SendMessageW(WM_COMMAND, kShowDefragHome, 0);
    home().SendMessageW(WM_COMMAND, MAKEWPARAM(6018, BN_CLICKED),
                        reinterpret_cast<LPARAM>(home().m_defragAfterLabel.GetSafeHwnd()));
    EXPECT_EQ(home().m_defragAfterAnalysis.GetCheck(), BST_CHECKED);
    ClickStart();
    ASSERT_EQ(services_.jobs.size(), 2u);
    EXPECT_EQ(services_.jobs[1].operation, DefragOperation::kDefragmentation);
    EXPECT_EQ(SelectedSlot(), 4);

    // A job the progress page refuses leaves the home page shown.
    services_.operationStarts = false;
    ClickStart();
    EXPECT_EQ(SelectedSlot(), 1);
}

TEST_F(MainWindow, AServiceThatCannotStartAsksToRestartWindows) {
    ASSERT_NO_FATAL_FAILURE(Open());
    // The service is not there, installing works: the job goes on.
    services_.failingReadyChecks = 1;
    ClickStart();
    EXPECT_EQ(services_.installs, 1);
    EXPECT_EQ(services_.readyChecks, 1);
    EXPECT_EQ(services_.jobs.size(), 1u);

    // Nothing works: the restart question; the second button leaves everything as it was.
    services_ = FakeHomeServices{};
    services_.failingReadyChecks = 99;
    services_.installWorks = false;
    g_boxAnswer = 1;
    ClickStart();
    ASSERT_EQ(g_boxTexts.size(), 1u);
    // (This box shows its text as HTML.)
    EXPECT_GE(CString(g_boxTexts[0].c_str()).Find(theApp.GetLangString(L"IDS_SERVICE_MSG")), 0);
    EXPECT_EQ(services_.restarts, 0);
    EXPECT_TRUE(services_.jobs.empty());
    EXPECT_EQ(services_.readyChecks, 1);
    // The first button restarts.
    g_boxAnswer = 0;
    ClickStart();
    EXPECT_EQ(services_.restarts, 1);
    EXPECT_TRUE(services_.jobs.empty());
}

TEST_F(MainWindow, CopyDataCodesAnswerAsOtherProgramsExpect) {
    ASSERT_NO_FATAL_FAILURE(Open());
    int defragmentNow = 0;
    int summaries = 0;
    EXPECT_EQ(SendCopyData(kCopyDataNothing), kCopyDataDone);
    EXPECT_FALSE(theApp.m_bAutomaticMode);
    EXPECT_EQ(SendCopyData(99), 0);

    window_->PageLinks().defragmentNow = [&] { ++defragmentNow; };
    window_->PageLinks().runOneClickSummary = [&](CWnd* parent) {
        EXPECT_EQ(parent, window_.get());
        ++summaries;
    };
    EXPECT_EQ(SendCopyData(kCopyDataAutoDefrag), kCopyDataDone);
    EXPECT_TRUE(theApp.m_bAutomaticMode);
    EXPECT_EQ(defragmentNow, 1);
    EXPECT_EQ(SendCopyData(kCopyDataOneClickSummary), kCopyDataSummaryShown);
    EXPECT_EQ(summaries, 1);
}

TEST_F(MainWindow, SchedulerWorkStartsTheStoredDrivesOnlyWhenAskedSo) {
    CRegistry key(HKEY_CURRENT_USER);
    ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, GetAppRegistryKey(), true));
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const wchar_t letter[] = {static_cast<wchar_t>(towupper(system[0])), 0};
    ASSERT_TRUE(key.WriteString(kScheduleDriveLetterValue, letter));
    ASSERT_NO_FATAL_FAILURE(Open());

    // Visible: any other text, or a pointer from another process, does nothing.
    SendSchedulerWork(L"schedulescan");
    window_->SendMessageW(g_uSchedulerWorkMessage, 0, static_cast<LPARAM>(0x7FFE0000));
    PumpFor(300);
    EXPECT_TRUE(services_.jobs.empty());

    SendSchedulerWork(L"scheduledefragging");
    ASSERT_EQ(services_.jobs.size(), 1u);
    EXPECT_EQ(services_.jobs[0].operation, DefragOperation::kDefragmentation);
    EXPECT_EQ(theApp.m_strScheduleDriveLetters, letter);
    // The stand-in job ends at once: back to the home page, where the progress page had gone.
    panel()->SendMessageW(WM_COMMAND, kShowDefragHome, 0);

    // Hidden: any text starts it (the library's hand-off of a second start too).
    window_->ShowWindow(SW_HIDE);
    theApp.m_bHiddenStart = true; // keeps the restored window hidden
    services_.jobs.clear();
    const ATOM atom = GlobalAddAtomW(L"schedulescan");
    window_->SendMessageW(g_msgSchedulerHandOff, 0, atom);
    GlobalDeleteAtom(atom);
    PumpFor(400);
    EXPECT_EQ(services_.jobs.size(), 1u);
    EXPECT_FALSE(window_->IsWindowVisible());
}

TEST_F(MainWindow, SchedulerWorkDuringAJobWarnsAndStartsNoOther) {
    ASSERT_NO_FATAL_FAILURE(Open());
    // A job on the real progress page, whose calls a stand-in client takes.
    auto owned = std::make_unique<AnsweringClient>();
    AnsweringClient& client = *owned;
    window_->ReplaceServiceClient(std::move(owned));
    ASSERT_EQ(
        1, window_->ProgressPage()->StartOperation(DefragOperation::kAnalysis, L'C', L"(C:)"));
    // The job runs in a hidden window all the same.
    window_->ShowWindow(SW_HIDE);
    EXPECT_TRUE(window_->IsJobRunning());
    SendSchedulerWork(L"ScheduleDefragging");
    EXPECT_TRUE(services_.jobs.empty());
    ASSERT_EQ(g_boxTexts.size(), 1u);
    EXPECT_EQ(CString(g_boxTexts[0].c_str()), theApp.GetLangString(L"IDS_SCANDEFRG_ALRRUN"));
    window_->ProgressPage()->KillTimer(CDlgDiskScanDefrag::kPollTimer);
    ASSERT_TRUE(PumpUntil([&] { return client.LogSize() >= 5; }, 5'000));
    EXPECT_EQ((CallLog{"release", "release", "analyse", "pause", "resume"}), client.TakeLog())
        << "paused while warned, then resumed, through the window's one client";
}

// Each click of the program's own pages, from the home page's start to the results page's way
// back, sends its commands once through the window's one client: a job's release pair and its
// command, a second pass's release and command, one pause and one resume or abort for a stop,
// one release for leaving a results page.
TEST_F(MainWindow, EachClickSendsEachCommandOnce) {
    ASSERT_NO_FATAL_FAILURE(Open(false));
    auto owned = std::make_unique<AnsweringClient>();
    AnsweringClient& client = *owned;
    window_->ReplaceServiceClient(std::move(owned));
    CDlgDiskScanDefrag& progress = *window_->ProgressPage();
    const auto callsArrive = [&](size_t count) {
        return PumpUntil([&] { return client.LogSize() >= count; }, 10'000);
    };
    const auto jobEnds = [&] { return PumpUntil([&] { return !progress.JobRunning(); }, 20'000); };

    // Analyse: one release pair and the analysis, the service checked once beforehand.
    ClickStart();
    ASSERT_TRUE(callsArrive(3));
    client.state = kJobFinished;
    ASSERT_TRUE(jobEnds());
    EXPECT_EQ((CallLog{"release", "release", "analyse"}), client.TakeLog());
    EXPECT_EQ(1, client.readyChecks.load());

    // Defragment from the analysis results: the results page adds no release of its own; the
    // second pass sends its pair once; the completion message is answered.
    ASSERT_NE(nullptr, window_->AnalysisResultsPage());
    Click(*window_->AnalysisResultsPage(), window_->AnalysisResultsPage()->m_btnDefragment);
    ASSERT_TRUE(callsArrive(3));
    EXPECT_EQ((CallLog{"release", "release", "defragment"}), client.TakeLog());
    client.state = kJobFinished;
    ASSERT_TRUE(callsArrive(2)) << "the second pass";
    EXPECT_EQ((CallLog{"release", "defragment"}), client.TakeLog());
    EXPECT_EQ(1, progress.Pass());
    client.state = kJobFinished;
    ASSERT_TRUE(jobEnds());
    EXPECT_EQ(2, client.readyChecks.load());
    PumpFor(300);
    EXPECT_TRUE(client.TakeLog().empty()) << "nothing after the second pass";

    // Leaving the results page: one release.
    ASSERT_NE(nullptr, window_->DefragResultsPage());
    Click(*window_->DefragResultsPage(), window_->DefragResultsPage()->m_btnBack);
    PumpFor(200);
    EXPECT_EQ((CallLog{"release"}), client.TakeLog());

    // Stop, answered No, then Yes: one pause for each click, a resume for No, an abort for Yes.
    ClickStart();
    ASSERT_TRUE(callsArrive(3));
    EXPECT_EQ((CallLog{"release", "release", "analyse"}), client.TakeLog());
    ASSERT_TRUE(PumpUntil(
        [&] {
            CWnd* stop = progress.GetDlgItem(IDC_BTN_STOP);
            return stop->IsWindowVisible() && stop->IsWindowEnabled();
        },
        10'000));
    g_boxAnswer = 1; // No
    Click(progress, *progress.GetDlgItem(IDC_BTN_STOP));
    EXPECT_EQ((CallLog{"pause", "resume"}), client.TakeLog());
    g_boxAnswer = 0; // Yes
    Click(progress, *progress.GetDlgItem(IDC_BTN_STOP));
    EXPECT_EQ((CallLog{"pause", "abort"}), client.TakeLog());
    ASSERT_TRUE(jobEnds());
    PumpFor(300);
    EXPECT_TRUE(client.TakeLog().empty()) << "nothing after the stop";
    EXPECT_EQ(3, client.readyChecks.load());
}

TEST_F(MainWindow, HiddenStartNeverShowsTheWindowAndAnalyses) {
    theApp.m_bHiddenStart = true;
    ASSERT_NO_FATAL_FAILURE(Open());
    window_->ShowWindow(SW_SHOW);
    window_->SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    window_->ShowWindow(SW_RESTORE);
    PumpFor(400);
    EXPECT_FALSE(window_->IsWindowVisible());
    ASSERT_EQ(services_.jobs.size(), 1u);
    EXPECT_EQ(services_.jobs[0].operation, DefragOperation::kAnalysis);
}

TEST_F(MainWindow, ScheduledStartDefragmentsTheScheduledDrive) {
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    theApp.m_bScheduledWithDrives = true;
    theApp.m_strScheduleDriveLetters = CString(static_cast<wchar_t>(towupper(system[0])));
    ASSERT_NO_FATAL_FAILURE(Open());
    PumpFor(300);
    ASSERT_EQ(services_.jobs.size(), 1u);
    EXPECT_EQ(services_.jobs[0].operation, DefragOperation::kDefragmentation);
    EXPECT_EQ(services_.jobs[0].drive, towupper(system[0]));
}

TEST_F(MainWindow, ScheduledCleaningShowsTheJunkCleanerTab) {
    theApp.m_bScheduledWithoutDrives = true;
    ASSERT_NO_FATAL_FAILURE(Open());
    PumpFor(300);
    EXPECT_EQ(window_->GetCurrentPanel(), window_->GetTabPanel(1));
    EXPECT_TRUE(services_.jobs.empty());
}

TEST_F(MainWindow, ATabWithoutAPanelIgnoresTheSwitch) {
    AppLayout layout;
    theApp.BuildAppLayout(layout);
    layout.tabs[3].buttonKeys.RemoveAll(); // the disk tools get no panel
    window_ = std::make_unique<CDiskDefragDlg>();
    g_pDiskDefragDlg = window_.get();
    window_->SetAppLayout(layout);
    ASSERT_TRUE(window_->Create(CDlgBaseAppDlg::kTemplateId, nullptr));
    ASSERT_EQ(window_->GetTabPanel(3), nullptr);
    EXPECT_EQ(CDiskDefragDlg::OnTabSwitch(window_.get(), kTabSwitchCode + 3), 0);
    EXPECT_EQ(CDiskDefragDlg::OnTabSwitch(window_.get(), kTabSwitchCode + 4), 1);
    window_->SendMessageW(WM_COMMAND, AppTabCommand::kFirst + 1, 0);
    window_->SendMessageW(WM_COMMAND, AppTabCommand::kFirst + 3, 0);
    EXPECT_EQ(window_->GetCurrentPanel(), window_->GetTabPanel(1));
}

TEST_F(MainWindow, AReportWithoutTheServicesResultsIsRefusedAndNotOpened) {
    ASSERT_NO_FATAL_FAILURE(Open());
    int opened = 0;
    SetReportBrowser([&](const CString&) { return ++opened > 0; });
    // No service answers: nothing is written, the user is told, no browser opens.
    EXPECT_EQ(window_->WriteHtmlReport(ReportRequest{}), ReportOutcome::kNoResults);
    ReportRequest failedRun;
    failedRun.results = std::make_shared<const RunResults>(); // no statistics read
    EXPECT_EQ(window_->WriteHtmlReport(failedRun), ReportOutcome::kNoResults);
    SetReportBrowser(nullptr);
    EXPECT_EQ(opened, 0);
    ASSERT_EQ(g_boxTexts.size(), 2u);
    EXPECT_EQ(CString(g_boxTexts[0].c_str()), theApp.GetLangString(L"IDS_REPORT_NO_RESULTS"));
}

TEST_F(MainWindow, LastScanValuesFillTheHomeSummary) {
    static_cast<void>(CRegistry::DeleteKey(HKEY_CURRENT_USER, LastScanKeyPath())); // or absent
    ASSERT_TRUE(SaveLastScanText(kLastScanDrive, L"D:\\"));
    ASSERT_TRUE(SaveLastScanText(kLastScanDataResult, L""));
    ASSERT_NO_FATAL_FAILURE(Open());
    const CString notPerformed = theApp.GetLangString(L"IDS_NOT_PERFORMED");
    ASSERT_EQ(home().SummaryValues().GetSize(), 4);
    EXPECT_EQ(home().SummaryValues()[0], notPerformed);
    EXPECT_EQ(home().SummaryValues()[1], L"D:\\");
    EXPECT_EQ(home().SummaryValues()[2], notPerformed);
    EXPECT_EQ(home().SummaryValues()[3], L""); // present but empty
    window_->SaveLastScanValue(kLastScanVolumeResult, L"12.34%");
    EXPECT_EQ(home().SummaryValues()[2], L"12.34%");
    EXPECT_EQ(window_->LastScan().volumeResult, L"12.34%");
    window_->SaveLastScanValue(kLastScanDrive, L"E:\\");
    window_->SaveLastScanValue(kLastScanDataResult, L"5.00%");
    window_->SaveLastScanValue(kLastScanStatusLine2, L"2 fragmented files found");
    EXPECT_EQ(home().SummaryValues()[1], L"E:\\");
    EXPECT_EQ(home().SummaryValues()[3], L"5.00%");
    // Each saved text is in the key for the next start.
    LastScanTexts stored;
    LoadLastScanTexts(stored, notPerformed);
    EXPECT_EQ(stored.volumeResult, L"12.34%");
    EXPECT_EQ(stored.drive, L"E:\\");
    EXPECT_EQ(stored.dataResult, L"5.00%");
    EXPECT_EQ(stored.statusLine2, L"2 fragmented files found");
    // A name that is none of the values changes nothing.
    const LastScanTexts before = window_->LastScan();
    window_->SaveLastScanValue(L"NoSuchValue", L"x");
    EXPECT_EQ(window_->LastScan().drive, before.drive);
    EXPECT_EQ(window_->LastScan().volumeResult, before.volumeResult);
    EXPECT_EQ(window_->LastScan().dataResult, before.dataResult);
    EXPECT_EQ(window_->LastScan().statusLine1, before.statusLine1);
    EXPECT_EQ(window_->LastScan().statusLine2, before.statusLine2);
    EXPECT_EQ(home().SummaryValues().GetSize(), 4);
    static_cast<void>(CRegistry::DeleteKey(HKEY_CURRENT_USER, LastScanKeyPath())); // or absent
}

TEST_F(MainWindow, ReportImagesAreCopiedOnlyWhileTheFooterIsMissing) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    CString common = temp;
    common += L"xarn_main_window_common";
    const CString reports = common + L"\\DefragReport\\";
    SHFILEOPSTRUCTW remove{};
    remove.wFunc = FO_DELETE;
    remove.fFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    const CString doubleNull = common + L'\0';
    remove.pFrom = doubleNull.GetString();
    SHFileOperationW(&remove);
    CreateDirectoryW(common, nullptr);
    theApp.m_strCommonDataFolder = common;
    ASSERT_NO_FATAL_FAILURE(Open());
    EXPECT_NE(GetFileAttributesW(reports + L"footer_left.jpg"), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(GetFileAttributesW(reports + L"Report_header_leftText.jpg"), INVALID_FILE_ATTRIBUTES);
    window_->DestroyWindow();
    window_.reset();

    // With the footer there, nothing is copied again.
    ASSERT_TRUE(DeleteFileW(reports + L"line3px_Blue.jpg"));
    ASSERT_NO_FATAL_FAILURE(Open());
    EXPECT_EQ(GetFileAttributesW(reports + L"line3px_Blue.jpg"), INVALID_FILE_ATTRIBUTES);
    theApp.m_strCommonDataFolder.Empty();
}
} // namespace
