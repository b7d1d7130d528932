// The analysis and defragmentation results pages and the one-click scan summary as real
// windows, filled from known runs: their figures, colours, buttons, the last-scan values they
// record, the reports they open, and what they show when the service gave no results.
#include "DlgDefragResults.h"
#include "DlgOneClickScanResultsMain.h"
#include "DlgScanResults.h"
#include "LastScanValues.h"
#include "PagesTestSupport.h"
#include "ResultsPagesResource.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

// Row j of a summary panel at (x, y): its value and its icon, in the panel's window.
CRect ValueRect(int x, int y, int row) {
    const int top = y + 30 * row + 57;
    return CRect(x + 360, top - 1, x + 560, top + 19);
}
CRect IconRect(int x, int y, int row) {
    const int top = y + 30 * row + 57;
    return CRect(x + 128, top, x + 144, top + 16);
}

// 1,000,000 clusters, 400,000 used; the two files of more than one fragment hold 20,000.
ScriptedRun FragmentedRun(uint64_t fragmentedFiles) {
    ScriptedRun run;
    run.totalClusters = 1000000;
    run.usedClusters = 400000;
    run.files = 12345;
    run.fragmentedFiles = fragmentedFiles;
    run.largestFreeRun = 262144; // 1 GiB of 4 KiB clusters
    run.reports = {{L"C:\\Data\\Tom & Jerry.avi", 3, 3, 15000, 0},
                   {L"C:\\Data\\single.bin", 1, 1, 100000, 0},
                   {L"C:\\Data\\two.bin", 2, 2, 5000, 0}};
    return run;
}

std::string ReadFile(const std::wstring& path) {
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

class ResultsPageTest : public ::testing::Test {
protected:
    void SetUp() override { MissingTexts().clear(); }
    void TearDown() override {
        for (const std::wstring& missing : MissingTexts())
            ADD_FAILURE() << "text missing: " << missing;
    }
    HostWindow host_{RGB(255, 255, 255), 620, 500};
    FakeResultsServices services_;
};

template <typename Page> void OpenPage(Page& page, HostWindow& host, UINT templateId) {
    ASSERT_TRUE(page.Create(templateId, &host));
    page.MoveWindow(10, 10, 591, 473);
    page.ShowWindow(SW_SHOW);
    page.UpdateWindow();
}

CString Text(CWnd& window) {
    CString text;
    window.GetWindowText(text);
    return text;
}

} // namespace

TEST_F(ResultsPageTest, AnalysisAdvisingDefragmentationShowsAndRecordsItsFigures) {
    services_.runs = {FragmentedRun(150)};
    CDlgScanResults page(&host_);
    page.SetServices(&services_);
    OpenPage(page, host_, IDD_DLG_SCAN_RESULTS);
    page.ShowResults(services_.NextRun());

    // 20,000 of 1,000,000 clusters and of 400,000 used ones; single-fragment files do not count.
    EXPECT_DOUBLE_EQ(2.0, page.m_summary.disk);
    EXPECT_DOUBLE_EQ(5.0, page.m_summary.data);
    ASSERT_EQ(4, page.m_rows.values.GetSize());
    EXPECT_STREQ(L"2.00%", page.m_rows.values[0]);
    EXPECT_STREQ(L"1.0 GB", page.m_rows.values[1]);
    EXPECT_STREQ(L"150 files", page.m_rows.values[2]);
    EXPECT_STREQ(L"Yes", page.m_rows.values[3]);
    EXPECT_TRUE(page.m_btnDefragment.IsWindowEnabled());
    EXPECT_TRUE(page.m_btnReport.IsWindowEnabled());
    EXPECT_STREQ(L"Analysis results", Text(page));
    EXPECT_STREQ(L"Defragment now", Text(page.m_btnDefragment));
    EXPECT_STREQ(L"Back", Text(page.m_btnBack));
    EXPECT_STREQ(L"View report", Text(page.m_btnReport));

    EXPECT_EQ(1, services_.dateSaves);
    EXPECT_EQ(L"Drive C: is 2.00% fragmented", services_.saved[kLastScanStatusLine1]);
    EXPECT_EQ(L"150 fragmented files found", services_.saved[kLastScanStatusLine2]);
    EXPECT_EQ(L"2.00% fragmented", services_.saved[kLastScanVolumeResult]);
    // The data result keeps the blank after "%"; the volume result has none.
    EXPECT_EQ(L"5.00%  fragmented", services_.saved[kLastScanDataResult]);
    EXPECT_EQ(L"C:\\", services_.saved[kLastScanDrive]);
    EXPECT_EQ(1, services_.unlocks);
    EXPECT_EQ((NavigationPattern{FALSE, FALSE, TRUE, FALSE, FALSE, TRUE, TRUE}),
              services_.navigation);

    ASSERT_TRUE(PhotographWindow(page.m_hWnd, L"scan_results_advised.png"));
    const WindowPixels pixels(page.m_hWnd);
    for (int row = 0; row < 4; ++row) {
        EXPECT_GT(pixels.CountNear(kAttentionColour, ValueRect(22, 127, row)), 10) << row;
        EXPECT_EQ(0, pixels.CountNear(kGoodColour, ValueRect(22, 127, row))) << row;
        EXPECT_GT(pixels.CountNear(kAttentionColour, IconRect(22, 127, row)), 10) << row;
    }
    // The sentence above the panel in the attention colour.
    EXPECT_GT(pixels.CountNear(kAttentionColour, CRect(87, 68, 568, 100)), 20);

    // The note under the panel: its text, in its own colour, below the panel and above the
    // buttons.
    CWnd* note = page.GetDlgItem(6041);
    ASSERT_NE(nullptr, note);
    EXPECT_FALSE(Text(*note).IsEmpty());
    CRect noteRect;
    note->GetWindowRect(&noteRect);
    page.ScreenToClient(&noteRect);
    EXPECT_GE(noteRect.top, 127 + 188);
    CRect buttonRect;
    page.m_btnBack.GetWindowRect(&buttonRect);
    page.ScreenToClient(&buttonRect);
    EXPECT_LE(noteRect.bottom, buttonRect.top);
    CClientDC dc(note);
    page.SendMessageW(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.m_hDC),
                      reinterpret_cast<LPARAM>(note->m_hWnd));
    EXPECT_EQ(RGB(0x48, 0x51, 0x5A), dc.GetTextColor());
    EXPECT_GT(pixels.CountNear(RGB(0x48, 0x51, 0x5A), noteRect), 40);
}

TEST_F(ResultsPageTest, AnalysisAdviceTurnsAtOneHundredFilesOrOnePercent) {
    struct Case {
        uint64_t fragmentedFiles;
        uint64_t fragmentedClusters;
        bool advised;
    };
    // 9,900 of 1,000,000 clusters is 0.99%; 10,000 is 1.00%; 9,950 prints as 0.99 or 1.00 and
    // the advice follows the printed figure.
    const Case cases[] = {{99, 9900, false}, {100, 9900, true}, {99, 10000, true}, {0, 0, false}};
    for (const Case& test : cases) {
        ScriptedRun run = FragmentedRun(test.fragmentedFiles);
        run.reports = {{L"C:\\a.bin", 4, 4, test.fragmentedClusters, 0}};
        services_.runs = {run};
        services_.runsFetched = 0;
        CDlgScanResults page(&host_);
        page.SetServices(&services_);
        OpenPage(page, host_, IDD_DLG_SCAN_RESULTS);
        page.ShowResults(services_.NextRun());
        EXPECT_EQ(test.advised, page.m_summary.recommended) << test.fragmentedFiles;
        EXPECT_EQ(test.advised, page.m_btnDefragment.IsWindowEnabled() != FALSE);
        EXPECT_STREQ(test.advised ? L"Yes" : L"No", page.m_rows.values[3]);
        if (!test.advised) {
            EXPECT_STREQ(L"Drive C:\\ needs no defragmentation.", page.m_strSentence);
            page.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            PumpFor(100);
            if (test.fragmentedFiles == 99) {
                ASSERT_TRUE(PhotographWindow(page.m_hWnd, L"scan_results_clean.png"));
            }
            const WindowPixels pixels(page.m_hWnd);
            EXPECT_GT(pixels.CountNear(kGoodColour, ValueRect(22, 127, 3)), 5);
            EXPECT_EQ(0, pixels.CountNear(kAttentionColour, ValueRect(22, 127, 3)));
            EXPECT_GT(pixels.CountNear(kGoodColour, IconRect(22, 127, 3)), 10);
            EXPECT_GT(pixels.CountNear(kGoodColour, CRect(87, 68, 568, 100)), 20);
        }
        page.DestroyWindow();
    }
}

TEST_F(ResultsPageTest, AnalysisWithoutResultsIsAFailureAndRecordsNothing) {
    ScriptedRun noClusters = FragmentedRun(150);
    noClusters.totalClusters = 0;
    noClusters.usedClusters = 0;
    ScriptedRun unread = FragmentedRun(150);
    unread.statisticsRead = false;
    for (const ScriptedRun& run : {noClusters, unread}) {
        services_.runs = {run};
        services_.runsFetched = 0;
        services_.saved.clear();
        services_.dateSaves = 0;
        CDlgScanResults page(&host_);
        page.SetServices(&services_);
        OpenPage(page, host_, IDD_DLG_SCAN_RESULTS);
        page.ShowResults(services_.NextRun());
        // Never a clean disk: nothing recorded, nothing to defragment or report, and it says so.
        EXPECT_TRUE(services_.saved.empty());
        EXPECT_EQ(0, services_.dateSaves);
        EXPECT_FALSE(page.m_btnDefragment.IsWindowEnabled());
        EXPECT_FALSE(page.m_btnReport.IsWindowEnabled());
        EXPECT_TRUE(page.m_btnBack.IsWindowEnabled());
        EXPECT_STREQ(L"The results for C:\\ could not be read.", page.m_strSentence);
        EXPECT_STREQ(L"Not available", page.m_rows.values[0]);
        EXPECT_EQ(1, services_.unlocks);
        services_.unlocks = 0;
        if (!run.statisticsRead) {
            ASSERT_TRUE(PhotographWindow(page.m_hWnd, L"scan_results_failed.png"));
        }
        page.DestroyWindow();
    }
}

TEST_F(ResultsPageTest, AnalysisButtonsGoBackDefragmentAndOpenTheReport) {
    services_.runs = {FragmentedRun(150)};
    services_.drive = L'D';
    CDlgScanResults page(&host_);
    page.SetServices(&services_);
    OpenPage(page, host_, IDD_DLG_SCAN_RESULTS);
    page.ShowResults(services_.NextRun());
    EXPECT_EQ(0, page.m_strDriveText.Find(L"(D:)"));

    // A service that cannot be made ready is configured and the job starts all the same; the
    // job's own commands release the analysis, the page sends no release of its own.
    services_.serviceReady = false;
    page.m_btnDefragment.SendMessageW(BM_CLICK);
    EXPECT_EQ(1, services_.readyChecks);
    EXPECT_TRUE(services_.releases.empty());
    EXPECT_EQ(1, services_.configureCalls);
    EXPECT_EQ(L'D', services_.defragDrive);
    EXPECT_STREQ(page.m_strDriveText, services_.defragDriveText);

    page.m_btnReport.SendMessageW(BM_CLICK);
    EXPECT_FALSE(services_.reportDefragmentation);
    EXPECT_FALSE(services_.reportListsFiles);
    EXPECT_DOUBLE_EQ(2.0, services_.reportFigures.diskBefore);
    EXPECT_DOUBLE_EQ(5.0, services_.reportFigures.dataBefore);
    EXPECT_DOUBLE_EQ(0.0, services_.reportFigures.diskAfter);
    ASSERT_EQ(1u, services_.browserOpened.size());
    EXPECT_NE(std::wstring::npos,
              services_.browserOpened[0].find(L"DefragReport\\scanreport.html"));
    const std::string report = ReadFile(services_.browserOpened[0]);
    EXPECT_NE(std::string::npos, report.find("2.00%"));
    // An analysis report lists no files.
    EXPECT_EQ(std::string::npos, report.find("Tom &amp; Jerry"));

    page.m_btnBack.SendMessageW(BM_CLICK);
    EXPECT_EQ((std::vector<wchar_t>{L'D'}), services_.releases) << "one release for the way back";
    EXPECT_EQ(L'D', services_.homePageDrive);
}

TEST_F(ResultsPageTest, DefragmentationTakesBeforeFromTheFirstPassAndAfterFromTheSecond) {
    ScriptedRun first;
    first.totalClusters = 1000000;
    first.usedClusters = 500000;
    first.files = 5000;
    first.fragmentedFiles = 40;
    first.filesMadeContiguous = 38;
    first.largestFreeRun = 1000;
    // 5 before and 1 after: before only; 1 before and 3 after: after only.
    first.reports = {{L"C:\\five.bin", 5, 1, 30000, 0},
                     {L"C:\\made worse.bin", 1, 3, 2000, 0},
                     {L"C:\\locked & held.db", 4, 4, 8000, 4}};
    ScriptedRun second = first;
    second.largestFreeRun = 131072; // 512 MiB
    // The second pass's "before" counts are of its own start: they must not change "before".
    second.reports = {{L"C:\\five.bin", 9, 1, 30000, 0}, {L"C:\\locked & held.db", 4, 4, 8000, 4}};
    services_.runs = {first, second};

    CDlgDefragResults page(&host_);
    page.SetServices(&services_);
    OpenPage(page, host_, IDD_DLG_DEFRAG_RESULTS);
    page.ShowFirstPassResults(services_.NextRun());
    EXPECT_EQ(40u, page.m_firstPassFragmentedFiles);
    EXPECT_EQ(1, services_.dateSaves);
    EXPECT_EQ(L"3.80% before, 1.00% after", services_.saved[kLastScanVolumeResult]);
    EXPECT_EQ(L"7.60% before, 2.00% after", services_.saved[kLastScanDataResult]);
    EXPECT_EQ(0, services_.unlocks);

    page.ShowResults(services_.NextRun());
    EXPECT_DOUBLE_EQ(3.8, page.m_figures.diskBefore);
    EXPECT_DOUBLE_EQ(7.6, page.m_figures.dataBefore);
    EXPECT_DOUBLE_EQ(0.8, page.m_figures.diskAfter);
    EXPECT_DOUBLE_EQ(1.6, page.m_figures.dataAfter);
    ASSERT_EQ(5, page.m_rows.values.GetSize());
    EXPECT_STREQ(L"3.80%", page.m_rows.values[0]);
    EXPECT_STREQ(L"0.80%", page.m_rows.values[1]);
    EXPECT_STREQ(L"7.60%", page.m_rows.values[2]);
    EXPECT_STREQ(L"1.60%", page.m_rows.values[3]);
    EXPECT_STREQ(L"512.0 MB", page.m_rows.values[4]);
    EXPECT_EQ(L"3.80% before, 0.80% after", services_.saved[kLastScanVolumeResult]);
    EXPECT_EQ(L"7.60% before, 1.60% after", services_.saved[kLastScanDataResult]);
    EXPECT_EQ(L"C:\\", services_.saved[kLastScanDrive]);
    EXPECT_EQ(1, services_.dateSaves);
    EXPECT_STREQ(L"Drive C:\\ has been defragmented.", page.m_strHeadline);
    EXPECT_EQ((NavigationPattern{FALSE, FALSE, FALSE, FALSE, TRUE, TRUE, TRUE}),
              services_.navigation);
    EXPECT_STREQ(L"Defragmentation results", Text(page));

    ASSERT_TRUE(PhotographWindow(page.m_hWnd, L"defrag_results.png"));
    const WindowPixels pixels(page.m_hWnd);
    const bool good[] = {false, true, false, true, true};
    for (int row = 0; row < 5; ++row) {
        const COLORREF expected = good[row] ? kGoodColour : kAttentionColour;
        const COLORREF other = good[row] ? kAttentionColour : kGoodColour;
        EXPECT_GT(pixels.CountNear(expected, ValueRect(22, 127, row)), 10) << row;
        EXPECT_EQ(0, pixels.CountNear(other, ValueRect(22, 127, row))) << row;
        EXPECT_GT(pixels.CountNear(expected, IconRect(22, 127, row)), 10) << row;
    }
    EXPECT_GT(pixels.CountNear(kGoodColour, CRect(87, 68, 568, 100)), 20);

    // The report lists the file left fragmented, its name escaped.
    page.m_btnReport.SendMessageW(BM_CLICK);
    EXPECT_TRUE(services_.reportDefragmentation);
    EXPECT_TRUE(services_.reportListsFiles);
    EXPECT_DOUBLE_EQ(0.8, services_.reportFigures.diskAfter);
    ASSERT_EQ(1u, services_.browserOpened.size());
    EXPECT_NE(std::wstring::npos,
              services_.browserOpened[0].find(L"DefragReport\\defragreport.html"));
    const std::string report = ReadFile(services_.browserOpened[0]);
    EXPECT_NE(std::string::npos, report.find("locked &amp; held.db"));
    EXPECT_NE(std::string::npos, report.find("Locked"));

    page.m_btnBack.SendMessageW(BM_CLICK);
    EXPECT_EQ((std::vector<wchar_t>{L'C'}), services_.releases);
    EXPECT_EQ(L'C', services_.homePageDrive);
}

TEST_F(ResultsPageTest, DefragmentationWithoutClustersIsAFailure) {
    ScriptedRun first = FragmentedRun(10);
    ScriptedRun empty = first;
    empty.totalClusters = 0;
    empty.usedClusters = 0;
    // A failed first pass, and a failed second pass after a good first one.
    const std::pair<ScriptedRun, ScriptedRun> cases[] = {{empty, first}, {first, empty}};
    for (const auto& [pass1, pass2] : cases) {
        services_.runs = {pass1, pass2};
        services_.runsFetched = 0;
        services_.saved.clear();
        CDlgDefragResults page(&host_);
        page.SetServices(&services_);
        OpenPage(page, host_, IDD_DLG_DEFRAG_RESULTS);
        page.ShowFirstPassResults(services_.NextRun());
        page.ShowResults(services_.NextRun());
        EXPECT_STREQ(L"The results for C:\\ could not be read.", page.m_strHeadline);
        EXPECT_STREQ(L"Not available", page.m_rows.values[1]);
        EXPECT_FALSE(page.m_btnReport.IsWindowEnabled());
        EXPECT_TRUE(page.m_btnBack.IsWindowEnabled());
        // No figure of the failed pass is recorded: never "0.00% after" for a failure.
        for (const auto& [name, text] : services_.saved)
            EXPECT_EQ(std::wstring::npos, text.find(L"0.00%")) << name;
        page.DestroyWindow();
    }
}

namespace {
// Finds the summary pop-up over the overlay, photographs the overlay with it and closes it by
// its close box.
struct SummaryDriver {
    static inline FakeResultsServices* services = nullptr;
    static inline HWND popup = nullptr;
    static inline bool photographed = false;
    static inline bool foreground = false;
    static inline int rowsAtShow = 0;

    static BOOL CALLBACK FindPopup(HWND window, LPARAM) {
        CRect rect;
        ::GetWindowRect(window, &rect);
        if (::IsWindowVisible(window) && rect.Width() == 675 && rect.Height() == 549) {
            popup = window;
            return FALSE;
        }
        return TRUE;
    }

    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
        popup = nullptr;
        ::EnumThreadWindows(::GetCurrentThreadId(), &FindPopup, 0);
        if (popup == nullptr)
            return;
        ::KillTimer(nullptr, id);
        foreground = ::GetForegroundWindow() == popup || ::GetActiveWindow() == popup;
        auto* summary =
            dynamic_cast<CDlgOneClickScanResultsMain*>(CWnd::FromHandlePermanent(popup));
        rowsAtShow = summary != nullptr ? static_cast<int>(summary->m_rows.values.GetSize()) : -1;
        ::RedrawWindow(popup, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        PumpFor(200);
        const HWND overlay = ::GetWindow(popup, GW_OWNER);
        CRect shot;
        ::GetWindowRect(overlay != nullptr ? overlay : popup, &shot);
        CRect inner;
        ::GetWindowRect(popup, &inner);
        inner.OffsetRect(-shot.left, -shot.top);
        photographed = SaveScreenPng(shot, BesideProgram(L"oneclick_summary.png").c_str(),
                                     [&](HDC dc) { DimAround(dc, shot.Size(), inner); });
        SaveScreenPng(
            [] {
                CRect rect;
                ::GetWindowRect(popup, &rect);
                return rect;
            }(),
            BesideProgram(L"oneclick_summary_popup.png").c_str());
        // The close box (1184) ends the overlay.
        ::SendMessageW(popup, WM_COMMAND, MAKEWPARAM(1184, BN_CLICKED), 0);
    }
};
} // namespace

TEST_F(ResultsPageTest, OneClickSummaryRunsOverTheOverlayAndRecordsTheAnalysis) {
    services_.runs = {FragmentedRun(150)};
    services_.drive = L'E';
    HostWindow main(RGB(240, 244, 250), 800, 640);
    // The summary centres itself on the program's main window, as over the real one.
    AfxGetApp()->m_pMainWnd = &main;
    SummaryDriver::services = &services_;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 300, &SummaryDriver::OnTimer);
    RunOneClickScanSummary(&main, services_);
    ::KillTimer(nullptr, timer);
    AfxGetApp()->m_pMainWnd = nullptr;
    EXPECT_TRUE(SummaryDriver::photographed);
    EXPECT_EQ(5, SummaryDriver::rowsAtShow);
    EXPECT_EQ(L"Drive E: is 2.00% fragmented", services_.saved[kLastScanStatusLine1]);
    EXPECT_EQ(L"5.00%  fragmented", services_.saved[kLastScanDataResult]);
    EXPECT_EQ(L"E:\\", services_.saved[kLastScanDrive]);
    EXPECT_EQ(1, services_.dateSaves);
    EXPECT_EQ((NavigationPattern{FALSE, FALSE, TRUE, FALSE, FALSE, TRUE, TRUE}),
              services_.navigation);
}

TEST_F(ResultsPageTest, OneClickSummaryRowsAndColours) {
    services_.runs = {FragmentedRun(150)};
    HostWindow main(RGB(240, 244, 250), 800, 640);
    CDlgOneClickScanResultsMain summary(&main, services_);
    ASSERT_TRUE(summary.Create(IDD_ONECLICK_SCAN_RESULTS, &main));
    summary.MoveWindow(20, 20, 675, 549);
    summary.ShowWindow(SW_SHOW);
    // The summary reads the service on a thread of its own and fills itself afterwards.
    EXPECT_EQ(0, summary.m_rows.values.GetSize());
    ASSERT_TRUE(PumpUntil([&] { return summary.m_rows.values.GetSize() == 5; }, 10'000));
    EXPECT_EQ(1, services_.serviceReads);
    EXPECT_STREQ(L"12,345 files", summary.m_rows.values[0]);
    EXPECT_STREQ(L"150 files", summary.m_rows.values[1]);
    EXPECT_STREQ(L"2.00%", summary.m_rows.values[2]);
    EXPECT_STREQ(L"5.00%", summary.m_rows.values[3]);
    EXPECT_STREQ(L"1.0 GB", summary.m_rows.values[4]);
    EXPECT_STREQ(L"Volume fragmentation", summary.m_rows.labels[2]);
    EXPECT_STREQ(L"2.00% fragmentation found on drive C:\\", summary.m_strHeadline);
    // Row 1 neutral, rows 2 to 4 attention, row 5 good: by colour and by icon.
    const COLORREF colours[] = {kNeutralColour, kAttentionColour, kAttentionColour,
                                kAttentionColour, kGoodColour};
    for (int row = 0; row < 5; ++row)
        EXPECT_EQ(colours[row], summary.m_rows.colours[row]) << row;
    EXPECT_EQ(summary.m_icons.Good(), summary.m_rows.icons[4]);
    for (int row = 0; row < 4; ++row)
        EXPECT_NE(summary.m_icons.Good(), summary.m_rows.icons[row]) << row;
    summary.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpFor(150);
    const WindowPixels pixels(summary.m_hWnd);
    CRect client;
    summary.GetClientRect(&client);
    for (int row = 0; row < 5; ++row) {
        const COLORREF expected = colours[row];
        EXPECT_GT(pixels.CountNear(expected, ValueRect(28, 167, row)), 10) << row;
    }
    EXPECT_GT(pixels.CountNear(kGoodColour, IconRect(28, 167, 4)), 10);
    EXPECT_EQ(0, pixels.CountNear(kGoodColour, IconRect(28, 167, 1)));
    EXPECT_GT(pixels.CountNear(kAttentionColour, CRect(93, 107, 580, 140)), 20);
    summary.DestroyWindow();
}
