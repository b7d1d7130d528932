// The progress page in the program's main window through its host: the application's drive and
// modes, the main window's service record, job state, lock and last-scan values, the results
// pages' hand-overs, and the page shown in its slot.
#include <DiskDefragApp.h>
#include <DiskDefragDlg.h>
#include <DlgLeftDlgBase.h>
#include <IniReader.h>

#include "DlgDiskScanDefrag.h"
#include "MainWindowDefragHost.h"
#include "ProgressPageTestSupport.h"
#include "UiTestSupport.h"

#include <gtest/gtest.h>

#include <memory>

CDiskDefragApp theApp;

namespace {
const auto* const g_fonts = ::testing::AddGlobalTestEnvironment(new SharedFontsEnvironment);
} // namespace

TEST(ProgressPageHost, TheApplicationAndTheMainWindowBehindThePage) {
    RecordMissingTexts();
    theApp.SetLangSection(kDefragLangSection);
    AppLayout layout;
    theApp.BuildAppLayout(layout);
    auto window = std::make_unique<CDiskDefragDlg>();
    g_pDiskDefragDlg = window.get();
    window->SetAppLayout(layout);
    ASSERT_TRUE(window->Create(CDlgBaseAppDlg::kTemplateId, nullptr));
    window->ShowWindow(SW_SHOW);
    CDlgLeftDlgBase* panel = window->GetTabPanel(0);
    ASSERT_NE(nullptr, panel);
    MainWindowDefragHost host(*window);
    auto* page = new CDlgDiskScanDefrag(nullptr, &host);
    ASSERT_TRUE(window->CreateLeftSideChild(panel, page, CDlgDiskScanDefrag::IDD));
    window->PutPageInSlot(0, 2, page); // the panel deletes it

    host.SetCurrentDrive(L'R');
    EXPECT_EQ(L'R', theApp.m_chCurrentDrive);
    EXPECT_EQ(L'R', host.CurrentDrive());
    host.StoreJobState(kJobRunning, 3);
    EXPECT_EQ(kJobRunning, window->ServiceState());
    EXPECT_EQ(3, window->ServicePriority());
    EXPECT_EQ(kJobRunning, host.LastJobState());
    EXPECT_EQ(&window->ServiceClient(), &host.ServiceClient()) << "the window's one client";
    EXPECT_EQ(window.get(), host.MainWindow());
    theApp.m_bHiddenStart = true;
    theApp.m_bAutomaticMode = true;
    EXPECT_TRUE(host.HiddenStart());
    EXPECT_TRUE(host.AutomaticMode());
    host.ClearAutomaticMode();
    EXPECT_FALSE(theApp.m_bAutomaticMode) << "a job's end ends the automatic mode";
    theApp.m_bHiddenStart = false;
    theApp.m_bScheduledWithDrives = true;
    host.EndScheduledRun();
    EXPECT_FALSE(theApp.m_bScheduledWithDrives);

    // A job locks the tabs and the panel's buttons; its end or a stop restores them.
    host.LockMainWindow(true);
    for (int tab = 0; tab < 5; ++tab)
        EXPECT_FALSE(window->m_tabButtons[tab].IsWindowEnabled()) << tab;
    host.LockMainWindow(false);
    for (int tab = 0; tab < 5; ++tab)
        EXPECT_TRUE(window->m_tabButtons[tab].IsWindowEnabled()) << tab;

    // Last-scan values go through the main window's copies to the registry, the two status
    // lines among them.
    host.SaveLastScanValue(kLastScanDrive, L"R:\\");
    host.SaveLastScanValue(kLastScanVolumeResult, L"3.00% before, 0.50% after");
    host.SaveLastScanValue(kLastScanStatusLine1, L"Drive R: is 3.00% fragmented");
    host.SaveLastScanValue(kLastScanStatusLine2, L"40 fragmented files found");
    const CString date = host.SaveLastScanDate();
    EXPECT_FALSE(date.IsEmpty());
    EXPECT_EQ(date, window->LastScan().date);
    EXPECT_EQ(CString(L"R:\\"), window->LastScan().drive);
    LastScanTexts stored;
    LoadLastScanTexts(stored, L"none");
    EXPECT_EQ(CString(L"R:\\"), stored.drive);
    EXPECT_EQ(CString(L"3.00% before, 0.50% after"), stored.volumeResult);
    EXPECT_EQ(CString(L"Drive R: is 3.00% fragmented"), stored.statusLine1);
    EXPECT_EQ(CString(L"40 fragmented files found"), stored.statusLine2);
    EXPECT_EQ(CString(L"40 fragmented files found"), window->LastScan().statusLine2);

    // The results pages' hand-overs, when their creator set them.
    int analysisShown = 0;
    const auto results = std::make_shared<const RunResults>();
    host.showAnalysisResults = [&](std::shared_ptr<const RunResults> handed) {
        analysisShown += handed == results ? 1 : 0;
    };
    host.ShowAnalysisResults(results);
    host.ShowDefragResults(results); // not set: nothing
    EXPECT_EQ(1, analysisShown);
    CString shutdownText;
    host.showShutdownDialog = [&](const CString& text) { shutdownText = text; };
    host.ShowShutdownDialog(L"done");
    EXPECT_EQ(CString(L"done"), shutdownText);

    // The page in its slot: the panel's command shows it.
    panel->SendMessageW(WM_COMMAND, kShowAnalysisProgress, 0);
    PumpFor(200);
    EXPECT_TRUE(page->IsWindowVisible());
    CRect frame;
    window->GetWindowRect(&frame);
    EXPECT_TRUE(SaveScreenPng(frame, BesideProgram(L"progress_in_main_window.png").c_str()));
    EXPECT_TRUE(MissingTexts().empty());
    window->DestroyWindow();
    g_pDiskDefragDlg = nullptr;
    RegDeleteTreeW(HKEY_CURRENT_USER, LastScanKeyPath());
}
