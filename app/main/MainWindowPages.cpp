// The pages of the main window's five tabs, each in its slot of the tab's left panel, and the
// services through which they reach the window and the application.
#include "DiskDefragDlg.h"

#include "DiskDefragApp.h"
#include "DlgDefragResults.h"
#include "DlgDefragWelome.h"
#include "DlgDiskScanDefrag.h"
#include "DlgOneClickScanResultsMain.h"
#include "DlgScanResults.h"
#include "DlgScheduler.h"
#include "MainWindowDefragHost.h"
#include "MainWindowResultsServices.h"
#include "MainWindowScheduleServices.h"

#include <DlgCleanOptions.h>
#include <DlgDFCleaning.h>
#include <DlgDFFinish.h>
#include <DlgDFScanProgress.h>
#include <DlgDFScanResult.h>
#include <DlgDFSelectLocation.h>
#include <DlgDFWelCome.h>
#include <DlgDuppOptions.h>
#include <DlgLeftDlgBase.h>
#include <DlgScan1ScanHome.h>
#include <DlgScan2Scanning.h>
#include <DlgScan3Results.h>
#include <DlgScan4Cleanup.h>
#include <DlgScan5Summary.h>
#include <DupeAppHost.h>
#include <DupePageIds.h>
#include <JunkAppHost.h>
#include <JunkPagesResource.h>
#include <Page1Dlg.h>
#include <PopupServices.h>
#include <TabBenchmarkDlg.h>
#include <TabDevicesDlg.h>
#include <TabHealthDlg.h>
#include <TabInfoDlg.h>
#include <DiskPagesResource.h>

namespace {
constexpr int kDefragTab = 0;
constexpr int kJunkTab = 1;
constexpr int kDupesTab = 2;
constexpr int kDiskToolsTab = 3;
constexpr int kOptionsTab = 4;
constexpr UINT kDiskToolsButtonImages = 1350;
constexpr UINT kOptionsButtonImages = 1373;
} // namespace

template <class Page, class... Arguments>
Page* CDiskDefragDlg::AddNewPage(int tab, int slot, UINT templateId, Arguments&&... arguments) {
    auto page = std::make_unique<Page>(std::forward<Arguments>(arguments)...);
    Page* created = page.get();
    return AddPage(tab, slot, std::move(page), templateId) ? created : nullptr;
}

void CDiskDefragDlg::CreateDefragPages() {
    m_defragHost = std::make_unique<MainWindowDefragHost>(*this);
    m_resultsServices = std::make_unique<MainWindowResultsServices>(*this, *m_defragHost);

    // The services come with the page: it lists the drives for this window as it is made.
    m_pDefragHome = AddNewPage<CDlgDefragWelome>(kDefragTab, 1, kDefragHomeTemplateId, nullptr,
                                                 m_homeServices.get());
    // One progress page serves the analysis (slot 2) and the defragmentation (slot 4).
    m_pDiskScanDefrag = AddNewPage<CDlgDiskScanDefrag>(kDefragTab, 2, CDlgDiskScanDefrag::IDD,
                                                       nullptr, m_defragHost.get());
    if (m_pDiskScanDefrag != nullptr)
        PutPageInSlot(kDefragTab, 4, m_pDiskScanDefrag);
    m_pScanResults = AddNewPage<CDlgScanResults>(kDefragTab, 3, kScanResultsTemplateId);
    if (m_pScanResults != nullptr)
        m_pScanResults->SetServices(m_resultsServices.get());
    m_pDefragResults = AddNewPage<CDlgDefragResults>(kDefragTab, 5, kDefragResultsTemplateId);
    if (m_pDefragResults != nullptr)
        m_pDefragResults->SetServices(m_resultsServices.get());

    LinkDefragPages();
    ShowFirstPage(kDefragTab);
}

void CDiskDefragDlg::LinkDefragPages() {
    m_defragHost->showAnalysisResults = [this](std::shared_ptr<const RunResults> results) {
        if (m_pScanResults != nullptr)
            m_pScanResults->ShowResults(std::move(results));
    };
    m_defragHost->showFirstPassResults = [this](std::shared_ptr<const RunResults> results) {
        if (m_pDefragResults != nullptr)
            m_pDefragResults->ShowFirstPassResults(std::move(results));
    };
    m_defragHost->showDefragResults = [this](std::shared_ptr<const RunResults> results) {
        if (m_pDefragResults != nullptr)
            m_pDefragResults->ShowResults(std::move(results));
    };
    m_defragHost->showShutdownDialog = [this](const CString& text) {
        ShowShutdownDialog(this, text, 0, false);
    };
    m_pageLinks.startOperation = [this](DefragOperation operation, wchar_t drive,
                                        const CString& entryText) {
        return m_pDiskScanDefrag != nullptr
                   ? m_pDiskScanDefrag->StartOperation(operation, drive, entryText)
                   : 0;
    };
    m_pageLinks.mapBlockCount = [this] {
        return m_pDiskScanDefrag != nullptr ? m_pDiskScanDefrag->GetBlockCount() : 0;
    };
    m_pageLinks.defragmentNow = [this] {
        if (m_pScanResults != nullptr)
            m_pScanResults->OnDefragment();
    };
    m_pageLinks.runOneClickSummary = [this](CWnd* parent) {
        RunOneClickScanSummary(parent, *m_resultsServices);
    };
}

void CDiskDefragDlg::CreateJunkPages() {
    InstallJunkPagesHost();
    // The scanning page makes the cleaner's engine, which the other pages use: it comes first.
    auto scanningPage = std::make_unique<CDlgScan2Scanning>();
    CDlgScan2Scanning* scanning = scanningPage.get();
    m_junkPages[0] = AddNewPage<CDlgScan1ScanHome>(kJunkTab, 1, IDD_SCANTAB1_SCANHOME);
    if (AddPage(kJunkTab, 2, std::move(scanningPage), IDD_SCANTAB2_SCANING))
        m_junkPages[1] = scanning;
    m_junkPages[2] = AddNewPage<CDlgScan3Results>(kJunkTab, 3, IDD_SCANTAB3_RESULTS);
    m_junkPages[3] = AddNewPage<CDlgScan4Cleanup>(kJunkTab, 4, IDD_SCANTAB4_CLEANUP);
    m_junkPages[4] = AddNewPage<CDlgScan5Summary>(kJunkTab, 5, IDD_SCANTAB5_SUMMARY);
    ShowFirstPage(kJunkTab);
}

void CDiskDefragDlg::CreateDupesPages() {
    InstallDupePagesHost();
    m_dupesPages[0] = AddNewPage<CDlgDFWelCome>(kDupesTab, 1, IDD_DLG_DF_WELCOME);
    m_dupesPages[1] = AddNewPage<CDlgDFSelectLocation>(kDupesTab, 2, IDD_DLG_DF_SELECTLOCATION);
    m_dupesPages[2] = AddNewPage<CDlgDFScanProgress>(kDupesTab, 3, IDD_DLG_DF_SCANPROGRESS);
    m_dupesPages[3] = AddNewPage<CDlgDFScanResult>(kDupesTab, 4, IDD_DLG_DF_SCANRESULT);
    m_dupesPages[4] = AddNewPage<CDlgDFCleaning>(kDupesTab, 5, IDD_DLG_DF_CLEANING);
    m_dupesPages[5] = AddNewPage<CDlgDFFinish>(kDupesTab, 6, IDD_DLG_DF_FINISH);
    ShowFirstPage(kDupesTab);
}

void CDiskDefragDlg::CreateDiskToolsPages() {
    if (CDlgLeftDlgBase* panel = GetTabPanel(kDiskToolsTab))
        panel->LoadSideButtonImages(kDiskToolsButtonImages);
    m_diskToolsPages[0] = AddNewPage<CPage1Dlg>(kDiskToolsTab, 1, IDD_PAGE1);
    m_diskToolsPages[1] = AddNewPage<CTabInfoDlg>(kDiskToolsTab, 2, IDD_INFO_TAB);
    m_diskToolsPages[2] = AddNewPage<CTabHealthDlg>(kDiskToolsTab, 3, IDD_HEALTH_TAB);
    m_diskToolsPages[3] = AddNewPage<CTabBenchmarkDlg>(kDiskToolsTab, 4, IDD_BENCHMARK_TAB);
    m_diskToolsPages[4] = AddNewPage<CTabDevicesDlg>(kDiskToolsTab, 5, IDD_DEVICES_TAB);
    ShowFirstPage(kDiskToolsTab);
}

void CDiskDefragDlg::CreateOptionsPages() {
    if (CDlgLeftDlgBase* panel = GetTabPanel(kOptionsTab))
        panel->LoadSideButtonImages(kOptionsButtonImages);
    m_scheduleServices = std::make_unique<MainWindowScheduleServices>(*this);
    // The junk and duplicate settings share one container template.
    m_optionsPages[0] = AddNewPage<CDlgCleanOptions>(kOptionsTab, 1, IDD_CLEAN_OPTIONS);
    m_optionsPages[1] = AddNewPage<CDlgDuppOptions>(kOptionsTab, 2, IDD_DLG_DUPP_OPTIONS);
    m_optionsPages[2] = AddNewPage<CDlgScheduler>(kOptionsTab, 3, kSchedulerTemplateId, nullptr,
                                                  *m_scheduleServices);
    // The page chose its task (and so its heading) while it was being made.
    m_scheduleServices->ShowHeading();
    ShowFirstPage(kOptionsTab);
}
