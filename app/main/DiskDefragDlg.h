// CDiskDefragDlg: the program's main window: the pages of the five tabs, the service client,
// the last polled job state, the scheduled and hidden runs and the messages other programs send.
#pragma once

#include <windows.h>

#include <DlgBaseAppDlg.h>
#include <PanelPageCommands.h>
#include <classlib/Array.h>
#include <classlib/MessageMap.h>
#include <classlib/String.h>

#include "DefragCommandSender.h"
#include "DefragPageHost.h"
#include "HtmlReport.h"
#include "LastScanValues.h"
#include "ResultsPageServices.h"
#include "DefragServiceClient.h"
#include "ServiceControl.h"
#include "WorkerQueue.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class CDlgLeftDlgBase;
class DefragHomeServices;
class CDlgLeftSideChild;
class CDlgDefragWelome;
class CDlgDiskScanDefrag;
class CDlgScanResults;
class CDlgDefragResults;
class MainWindowDefragHost;
class MainWindowResultsServices;
class MainWindowScheduleServices;

// The tab buttons' commands posted to the main window (1259 the first tab).
inline constexpr UINT kFirstTabCommand = 1259;
inline constexpr UINT kJunkTabCommand = 1260;

// Timers of the main window; each fires once.
enum MainWindowTimer : UINT_PTR {
    kScheduledDefragTimer = 1125, // optimise the scheduled drives
    kHiddenAnalysisTimer = 1126,  // analyse while hidden
    kScheduledCleanTimer = 1127,  // run the junk cleaning
};

// Data codes of WM_COPYDATA another program may send, and what the window answers.
enum CopyDataCode : ULONG_PTR {
    kCopyDataOneClickSummary = 10, // runs the one-click scan summary; answers 16
    kCopyDataAutoDefrag = 20,      // automatic defragmentation; answers 17
    kCopyDataNothing = 30,         // answers 17
};
inline constexpr LRESULT kCopyDataSummaryShown = 16;
inline constexpr LRESULT kCopyDataDone = 17;

// The text of "Scheduler Work Going on" that asks a visible window for the scheduled run.
inline constexpr wchar_t kScheduleDefraggingText[] = L"ScheduleDefragging";

// What the main window and the home page ask of pages that are joined to the window with
// them; set where those pages are created, empty until then.
struct DefragPageLinks {
    // The progress page's StartOperation: non-zero when the job was sent.
    std::function<int(DefragOperation operation, wchar_t drive, const CString& entryText)>
        startOperation;
    // The block count of the progress page's cluster map, sent with each command.
    std::function<int32_t()> mapBlockCount;
    // The analysis results page's defragment-now operation (automatic mode).
    std::function<void()> defragmentNow;
    // Fills the one-click scan summary and runs it modally over the window.
    std::function<void(CWnd* parent)> runOneClickSummary;
};

class CDiskDefragDlg : public CDlgBaseAppDlg {
    DECLARE_MESSAGE_MAP()
public:
    explicit CDiskDefragDlg(CWnd* parent = nullptr);
    ~CDiskDefragDlg() override;
    CDiskDefragDlg(const CDiskDefragDlg&) = delete;
    CDiskDefragDlg& operator=(const CDiskDefragDlg&) = delete;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL Create(UINT templateId, CWnd* parent = nullptr) override;
    BOOL OnInitDialog() override;
    // The close button: posts WM_CLOSE and ends the message loop.
    void OnAppClose() override;
    void CloseApplication();

    // The tab-switch callback of the layout: codes 11 to 15 for the five tabs; 0 refuses a
    // switch to a tab without a panel.
    static int OnTabSwitch(CDlgBaseAppDlg* window, int code);

    // Posts a page command (PanelPageCommand) to the panel of a tab; false without a panel.
    bool ShowTabPage(int tab, UINT command);
    // Puts a page into a slot (1 to 8) of its tab's panel (the progress page takes two).
    void PutPageInSlot(int tab, int slot, CWnd* page);
    // The page in a tab's slot (1 to 8), or null.
    CWnd* PageInSlot(int tab, int slot) const;
    // True from a job's start until it has ended (also in a hidden window).
    bool IsJobRunning() const;

    // Last-scan values (the "LastScanStatus" key): each load sets its text(s) to
    // "IDS_NOT_PERFORMED" first; each save writes the text already put into m_lastScan
    // (the date takes the current time) and updates the home page's summary.
    void LoadLastScanStatusLines();
    void LoadLastScanDate();
    void LoadLastScanDrive();
    void LoadVolumeFragmentation();
    void LoadDataFragmentation();
    void SaveLastScanStatusLines();
    void SaveLastScanDate();
    void SaveLastScanDrive();
    void SaveVolumeFragmentation();
    void SaveDataFragmentation();

    // Writes the analysis or defragmentation report of the request's results into the common
    // data folder on a thread of its own, then opens it; a failure is shown to the user. A
    // request while a report is being written does nothing. Answers kBusy, kNoResults (told
    // at once) or kWritten (the writing has begun).
    ReportOutcome WriteHtmlReport(const ReportRequest& request);
    // How the last report ended, once its writing has ended.
    ReportOutcome LastReportOutcome() const { return m_lastReportOutcome; }

    // Asks the service for its job state and worker priority into the two members; false
    // (members unchanged) when the call failed.
    [[nodiscard]] bool RefreshServiceState();
    // The program's one way to the service (commands reopen the service through the record and
    // carry the progress page's map size); the pages reach it through their hosts.
    DefragServiceClient& ServiceClient() { return *m_serviceClient; }
    // Puts another client in the program's place (a test's, which records what the pages send
    // or answers for a service that is not there); before any job starts.
    void ReplaceServiceClient(std::unique_ptr<DefragServiceClient> client) {
        m_serviceClient = std::move(client);
    }

    // The six last-scan texts: the two status lines, date, drive, volume and data results.
    const LastScanTexts& LastScan() const { return m_lastScan; }
    // Puts a text under its value name of the "LastScanStatus" key into the last-scan texts and
    // saves it (the two status lines together); other names change nothing.
    void SaveLastScanValue(const wchar_t* valueName, const CString& text);

    // The service "XarnStellmark" and the Service Control Manager, opened with all access.
    ServiceHandles& ServiceRecord() { return m_service; }
    // The job state (0 idle, 1 running, 2 finished) and the worker priority last reported.
    int ServiceState() const { return m_nServiceState; }
    int ServicePriority() const { return m_nServicePriority; }
    void StoreServiceState(int state, int priority);

    // The home page's drive entries, one per fixed drive, as the page last listed them.
    const CStringArray& DriveTexts() const { return m_driveTexts; }
    void SetDriveTexts(const CStringArray& entries);

    // Pages of the defragmentation tab; null until created.
    CDlgDefragWelome* HomePage() const { return m_pDefragHome; }
    CDlgDiskScanDefrag* ProgressPage() const { return m_pDiskScanDefrag; }
    CDlgScanResults* AnalysisResultsPage() const { return m_pScanResults; }
    CDlgDefragResults* DefragResultsPage() const { return m_pDefragResults; }

    // What the window and the home page reach of the defragmentation pages; tests put their
    // own in.
    DefragPageLinks& PageLinks() { return m_pageLinks; }

protected:
    // Creates a page in a tab's panel and puts it in a slot (1 to 8); the panel owns it from
    // then on. False (the page deleted) when the tab has no panel, the slot does not exist or
    // the page could not be created.
    bool AddPage(int tab, int slot, std::unique_ptr<CDialog> page, UINT templateId);

    // AddPage for a page made here from the arguments; the page, or null when it was not made.
    template <class Page, class... Arguments>
    Page* AddNewPage(int tab, int slot, UINT templateId, Arguments&&... arguments);

    // The pages of each tab; the one place where a tab's pages are made.
    void CreateDefragPages();
    // What the home page, the progress page and the results pages reach of each other.
    void LinkDefragPages();
    void CreateJunkPages();
    void CreateDupesPages();
    void CreateDiskToolsPages();
    void CreateOptionsPages();
    // Enables and shows the first page of a tab.
    void ShowFirstPage(int tab);

    void CopyReportImages();
    void AppendSummaryToHomePage();
    void StartScheduledDefragmentation();
    void StartHiddenAnalysis();
    void StartScheduledCleaning();
    LRESULT OnCopyData(const COPYDATASTRUCT* data, bool& handled);

    void OnTimer(UINT_PTR id);
    void OnWindowPosChanging(WINDOWPOS* position);
    LRESULT OnSchedulerWorkGoingOn(WPARAM wParam, LPARAM lParam);
    LRESULT OnWorkDone(WPARAM wParam, LPARAM lParam);
    void ShowReportFailure(ReportOutcome outcome);

private:
    LastScanTexts m_lastScan;
    ServiceHandles m_service;
    // After the record it reopens the service through.
    std::unique_ptr<DefragServiceClient> m_serviceClient;
    // The brush g_hLegendLabelBrush lends while this window made it.
    GdiObject<HBRUSH> m_legendLabelBrush;
    int m_nServicePriority = 0;
    int m_nServiceState = 0;
    CStringArray m_driveTexts;
    CDlgDefragWelome* m_pDefragHome = nullptr;
    CDlgDiskScanDefrag* m_pDiskScanDefrag = nullptr;
    CDlgScanResults* m_pScanResults = nullptr;
    CDlgDefragResults* m_pDefragResults = nullptr;
    // Pages of the other tabs, in their slots; null until created.
    CDlgLeftSideChild* m_junkPages[5] = {};
    CDlgLeftSideChild* m_dupesPages[6] = {};
    CDlgLeftSideChild* m_diskToolsPages[5] = {};
    CWnd* m_optionsPages[3] = {};
    DefragPageLinks m_pageLinks;

    std::unique_ptr<DefragHomeServices> m_homeServices;
    std::unique_ptr<MainWindowDefragHost> m_defragHost;
    std::unique_ptr<MainWindowResultsServices> m_resultsServices;
    std::unique_ptr<MainWindowScheduleServices> m_scheduleServices;
    ReportOutcome m_lastReportOutcome = ReportOutcome::kNoResults;
    // Writes the reports; last, so that it ends (and waits for its thread) first.
    CWorkerQueue m_reportWriter;
};

// The main window while it runs; null before and after.
extern CDiskDefragDlg* g_pDiskDefragDlg;
// Brush of colour 0xFFF9F3 under the progress page's legend labels; made by the main window.
extern HBRUSH g_hLegendLabelBrush;
// The registered message "Scheduler Work Going on" (registered when the program loads).
extern const UINT g_uSchedulerWorkMessage;
inline constexpr wchar_t kSchedulerWorkMessageName[] = L"Scheduler Work Going on";
