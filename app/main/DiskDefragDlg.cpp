#include "DiskDefragDlg.h"

#include "DiskDefragApp.h"
#include "DlgDefragWelome.h"
#include "DlgDiskScanDefrag.h"
#include "MainUtilities.h"
#include "MainWindowDefragHost.h"
#include "MainWindowResultsServices.h"
#include "MainWindowScheduleServices.h"

#include <DlgLeftDlgBase.h>
#include <owners/WinOwners.h>
#include <PopupServices.h>
#include <AppLocations.h>
#include <objbase.h>
#include <Paths.h>
#include <ProductIdentity.h>
#include <Registry.h>
#include <SharedGlobals.h>

CDiskDefragDlg* g_pDiskDefragDlg = nullptr;
HBRUSH g_hLegendLabelBrush = nullptr;
const UINT g_uSchedulerWorkMessage = RegisterWindowMessageW(kSchedulerWorkMessageName);

BEGIN_MESSAGE_MAP(CDiskDefragDlg, CDlgBaseAppDlg)
ON_WM_WINDOWPOSCHANGING()
ON_WM_TIMER()
ON_REGISTERED_MESSAGE(g_uSchedulerWorkMessage, &CDiskDefragDlg::OnSchedulerWorkGoingOn)
// A second start of the program hands its scheduling switches over by the library's message.
ON_REGISTERED_MESSAGE(g_msgSchedulerHandOff, &CDiskDefragDlg::OnSchedulerWorkGoingOn)
ON_REGISTERED_MESSAGE(g_uWorkDoneMessage, &CDiskDefragDlg::OnWorkDone)
END_MESSAGE_MAP()

namespace {
constexpr COLORREF kLegendLabelColour = 0xFFF9F3;
constexpr UINT kScheduledStartDelayMs = 32;
constexpr UINT kHiddenStartDelayMs = 128;
constexpr UINT kHandOffStartDelayMs = 128;
constexpr UINT_PTR kJunkScanStartTimer = 102;
constexpr UINT kJunkScanStartDelayMs = 252;
constexpr int kDefragTab = 0;
constexpr int kJunkTab = 1;
constexpr int kTabCount = 5;
constexpr wchar_t kReportImageMarker[] = L"footer_left.jpg";

// The text a hand-off carries: the name of the global atom in lParam (a pointer into another
// process would mean nothing here).
CString HandOffText(LPARAM lParam) {
    wchar_t text[256] = {};
    const ATOM atom = static_cast<ATOM>(lParam);
    if (lParam == 0 || static_cast<LPARAM>(atom) != lParam)
        return CString();
    if (GlobalGetAtomNameW(atom, text, 256) == 0)
        return CString();
    return text;
}

// The home page's way to the service, the system and the progress page.
class MainWindowHomeServices : public DefragHomeServices {
public:
    explicit MainWindowHomeServices(CDiskDefragDlg& window) : window_(window) {}

    bool MakeServiceReady() override { return window_.ServiceClient().MakeServiceReady(); }
    bool InstallService() override {
        CString folder;
        GetModuleFolder(nullptr, folder);
        return InstallDefragService(folder);
    }
    void RestartWindows() override { ::RestartWindows(window_.GetSafeHwnd()); }
    int StartOperation(DefragOperation operation, wchar_t drive,
                       const CString& entryText) override {
        const DefragPageLinks& links = window_.PageLinks();
        return links.startOperation ? links.startOperation(operation, drive, entryText) : 0;
    }
    void KeepDriveEntries(const CStringArray& entries) override { window_.SetDriveTexts(entries); }

private:
    CDiskDefragDlg& window_;
};
} // namespace

CDiskDefragDlg::CDiskDefragDlg(CWnd* parent)
    : CDlgBaseAppDlg(parent),
      m_serviceClient(std::make_unique<DefragServiceClient>(
          &m_service,
          [this] { return m_pageLinks.mapBlockCount ? m_pageLinks.mapBlockCount() : 0; })),
      m_homeServices(std::make_unique<MainWindowHomeServices>(*this)) {
    // The panels' link is the program's one way to its update check.
    m_bShowUpdateLinks = 1;
}

CDiskDefragDlg::~CDiskDefragDlg() {
    if (m_legendLabelBrush)
        g_hLegendLabelBrush = nullptr;
}

BOOL CDiskDefragDlg::Create(UINT templateId, CWnd* parent) {
    return CDlgBaseAppDlg::Create(templateId, parent);
}

BOOL CDiskDefragDlg::OnInitDialog() {
    const BOOL result = CDlgBaseAppDlg::OnInitDialog();
    m_reportWriter.SetWindow(m_hWnd);
    if (g_hLegendLabelBrush == nullptr) {
        m_legendLabelBrush.Reset(CreateSolidBrush(kLegendLabelColour));
        g_hLegendLabelBrush = m_legendLabelBrush.Get();
    }

    m_nServiceState = 0;
    (void)RefreshServiceState();

    CreateDefragPages();
    CreateJunkPages();
    CreateDupesPages();
    CreateDiskToolsPages();
    CreateOptionsPages();

    LoadLastScanStatusLines();
    LoadLastScanDate();
    LoadLastScanDrive();
    LoadVolumeFragmentation();
    LoadDataFragmentation();
    AppendSummaryToHomePage();

    if (theApp.m_bHiddenStart) {
        ShowWindow(SW_HIDE);
        SetTimer(kHiddenAnalysisTimer, kHiddenStartDelayMs, nullptr);
    } else {
        CopyReportImages();
    }
    if (theApp.m_bScheduledWithDrives)
        SetTimer(kScheduledDefragTimer, kScheduledStartDelayMs, nullptr);
    else if (theApp.m_bScheduledWithoutDrives)
        SetTimer(kScheduledCleanTimer, kScheduledStartDelayMs, nullptr);
    return result;
}

// ---- pages ----

bool CDiskDefragDlg::AddPage(int tab, int slot, std::unique_ptr<CDialog> page, UINT templateId) {
    CDlgLeftDlgBase* panel = GetTabPanel(tab);
    if (panel == nullptr || page == nullptr || slot < 1 || slot > CDlgLeftDlgBase::kMaxSideButtons)
        return false;
    if (!CreateLeftSideChild(panel, page.get(), templateId))
        return false;
    PutPageInSlot(tab, slot, page.release());
    return true;
}

void CDiskDefragDlg::PutPageInSlot(int tab, int slot, CWnd* page) {
    CDlgLeftDlgBase* panel = GetTabPanel(tab);
    if (panel != nullptr && slot >= 1 && slot <= CDlgLeftDlgBase::kMaxSideButtons)
        panel->SetPage(slot - 1, page);
}

CWnd* CDiskDefragDlg::PageInSlot(int tab, int slot) const {
    const CDlgLeftDlgBase* panel = GetTabPanel(tab);
    if (panel == nullptr || slot < 1 || slot > CDlgLeftDlgBase::kMaxSideButtons)
        return nullptr;
    return panel->Page(slot - 1);
}

void CDiskDefragDlg::ShowFirstPage(int tab) {
    CWnd* page = PageInSlot(tab, 1);
    if (page == nullptr || page->GetSafeHwnd() == nullptr)
        return;
    page->EnableWindow(TRUE);
    page->ShowWindow(SW_SHOW);
    if (CDlgLeftDlgBase* panel = GetTabPanel(tab))
        panel->SetCurrentPage(page);
}

bool CDiskDefragDlg::ShowTabPage(int tab, UINT command) {
    CDlgLeftDlgBase* panel = GetTabPanel(tab);
    if (panel == nullptr)
        return false;
    panel->PostMessageW(WM_COMMAND, command, 0);
    return true;
}

int CDiskDefragDlg::OnTabSwitch(CDlgBaseAppDlg* window, int code) {
    const int tab = code - kTabSwitchCode;
    if (tab < 0 || tab >= kTabCount)
        return 1;
    // A tab without a panel ignores the switch.
    return window != nullptr && window->GetTabPanel(tab) != nullptr ? 1 : 0;
}

void CDiskDefragDlg::SetDriveTexts(const CStringArray& entries) {
    m_driveTexts.RemoveAll();
    for (INT_PTR index = 0; index < entries.GetSize(); ++index)
        m_driveTexts.Add(entries[index]);
}

bool CDiskDefragDlg::IsJobRunning() const {
    // The page's own visibility does not count: a hidden start runs its job unseen, and the
    // page stays shown after a hidden analysis has ended.
    return m_pDiskScanDefrag != nullptr && m_pDiskScanDefrag->JobRunning();
}

// ---- last-scan values ----

void CDiskDefragDlg::AppendSummaryToHomePage() {
    if (m_pDefragHome == nullptr)
        return;
    for (const CString* text :
         {&m_lastScan.date, &m_lastScan.drive, &m_lastScan.volumeResult, &m_lastScan.dataResult})
        m_pDefragHome->AddSummaryValue(*text);
}

namespace {
CString NotPerformedText() {
    return theApp.GetLangString(L"IDS_NOT_PERFORMED", kDefragLangSection);
}

// One value of the key into its text, which holds "IDS_NOT_PERFORMED" when the value is missing.
void LoadOneText(const wchar_t* valueName, CString& text) {
    LastScanTexts loaded;
    LoadLastScanTexts(loaded, NotPerformedText());
    const struct {
        const wchar_t* name;
        const CString* value;
    } values[] = {{kLastScanStatusLine1, &loaded.statusLine1},
                  {kLastScanStatusLine2, &loaded.statusLine2},
                  {kLastScanDate, &loaded.date},
                  {kLastScanDrive, &loaded.drive},
                  {kLastScanVolumeResult, &loaded.volumeResult},
                  {kLastScanDataResult, &loaded.dataResult}};
    for (const auto& value : values)
        if (lstrcmpW(value.name, valueName) == 0)
            text = *value.value;
}
} // namespace

void CDiskDefragDlg::LoadLastScanStatusLines() {
    LoadOneText(kLastScanStatusLine1, m_lastScan.statusLine1);
    LoadOneText(kLastScanStatusLine2, m_lastScan.statusLine2);
}

void CDiskDefragDlg::LoadLastScanDate() {
    LoadOneText(kLastScanDate, m_lastScan.date);
}

void CDiskDefragDlg::LoadLastScanDrive() {
    LoadOneText(kLastScanDrive, m_lastScan.drive);
}

void CDiskDefragDlg::LoadVolumeFragmentation() {
    LoadOneText(kLastScanVolumeResult, m_lastScan.volumeResult);
}

void CDiskDefragDlg::LoadDataFragmentation() {
    LoadOneText(kLastScanDataResult, m_lastScan.dataResult);
}

void CDiskDefragDlg::SaveLastScanValue(const wchar_t* valueName, const CString& text) {
    const CString name(valueName);
    if (name == kLastScanStatusLine1 || name == kLastScanStatusLine2) {
        (name == kLastScanStatusLine1 ? m_lastScan.statusLine1 : m_lastScan.statusLine2) = text;
        SaveLastScanStatusLines();
    } else if (name == kLastScanDrive) {
        m_lastScan.drive = text;
        SaveLastScanDrive();
    } else if (name == kLastScanVolumeResult) {
        m_lastScan.volumeResult = text;
        SaveVolumeFragmentation();
    } else if (name == kLastScanDataResult) {
        m_lastScan.dataResult = text;
        SaveDataFragmentation();
    }
}

void CDiskDefragDlg::SaveLastScanStatusLines() {
    (void)SaveLastScanText(kLastScanStatusLine1, m_lastScan.statusLine1);
    (void)SaveLastScanText(kLastScanStatusLine2, m_lastScan.statusLine2);
}

void CDiskDefragDlg::SaveLastScanDate() {
    (void)::SaveLastScanDate(m_lastScan.date);
    if (m_pDefragHome)
        m_pDefragHome->SetSummaryValue(0, m_lastScan.date);
}

void CDiskDefragDlg::SaveLastScanDrive() {
    (void)SaveLastScanText(kLastScanDrive, m_lastScan.drive);
    if (m_pDefragHome)
        m_pDefragHome->SetSummaryValue(1, m_lastScan.drive);
}

void CDiskDefragDlg::SaveVolumeFragmentation() {
    (void)SaveLastScanText(kLastScanVolumeResult, m_lastScan.volumeResult);
    if (m_pDefragHome)
        m_pDefragHome->SetSummaryValue(2, m_lastScan.volumeResult);
}

void CDiskDefragDlg::SaveDataFragmentation() {
    (void)SaveLastScanText(kLastScanDataResult, m_lastScan.dataResult);
    if (m_pDefragHome)
        m_pDefragHome->SetSummaryValue(3, m_lastScan.dataResult);
}

// ---- the service ----

bool CDiskDefragDlg::RefreshServiceState() {
    int state = m_nServiceState;
    int priority = m_nServicePriority;
    if (!m_serviceClient->ReadState(state, priority))
        return false;
    StoreServiceState(state, priority);
    return true;
}

void CDiskDefragDlg::StoreServiceState(int state, int priority) {
    m_nServiceState = state;
    m_nServicePriority = priority;
}

ReportOutcome CDiskDefragDlg::WriteHtmlReport(const ReportRequest& request) {
    if (!BeginReportWriting())
        return ReportOutcome::kBusy;
    if (!request.results || !HasUsableStatistics(*request.results)) {
        EndReportWriting();
        m_lastReportOutcome = ReportOutcome::kNoResults;
        ShowReportFailure(m_lastReportOutcome);
        return m_lastReportOutcome;
    }
    const bool defragmentation = request.defragmentation;
    auto content = std::make_shared<HtmlReportContent>();
    content->defragmentation = defragmentation;
    content->listFailedFiles = request.listFailedFiles;
    content->figures = request.figures;
    content->firstPassFragmentedFiles = request.firstPassFragmentedFiles;
    content->jobStart = request.firstPassStart;
    content->texts.title = theApp.GetLangString(
        defragmentation ? L"IDS_DEFRG_REPORT" : L"IDS_SCAN_REPORT", kDefragLangSection);
    content->texts.heading = theApp.GetLangString(defragmentation ? L"IDS_DEFRG_SUMMARY_REPORT"
                                                                  : L"IDS_SCAN_SUMMARY_REPORT",
                                                  kDefragLangSection);
    content->texts.timeLabel = theApp.GetLangString(
        defragmentation ? L"IDS_LASTDEFRG_TIME" : L"IDS_SCAN_TIME", kDefragLangSection);
    content->texts.companyName = GetCompanyKeyName();
    auto results = request.results;
    auto written = std::make_shared<ReportOutcome>(ReportOutcome::kWriteFailed);
    auto path = std::make_shared<CString>();
    const CString folder = theApp.m_strCommonDataFolder;
    const HWND owner = GetSafeHwnd();
    // A report of many files takes a while to build, and starting the browser a while more:
    // the window answers meanwhile.
    m_reportWriter.Run(
        [content, results, written, path, folder, owner](const CWorkerQueue::CancelCheck&) {
            content->results = results.get();
            *written = WriteHtmlReportFile(folder, *content, *path);
            if (*written != ReportOutcome::kWritten)
                return;
            // The shell wants an apartment on the thread that starts a program.
            const HRESULT com =
                CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
            *written = OpenWrittenReport(owner, *path);
            if (SUCCEEDED(com))
                CoUninitialize();
        },
        [this, written] {
            EndReportWriting();
            m_lastReportOutcome = *written;
            ShowReportFailure(m_lastReportOutcome);
        });
    return ReportOutcome::kWritten;
}

void CDiskDefragDlg::ShowReportFailure(ReportOutcome outcome) {
    const wchar_t* failureKey = outcome == ReportOutcome::kNoResults     ? L"IDS_REPORT_NO_RESULTS"
                                : outcome == ReportOutcome::kWriteFailed ? L"IDS_REPORT_NOT_WRITTEN"
                                                                         : nullptr;
    if (failureKey != nullptr)
        AppMessageBox(theApp.GetLangString(failureKey, kDefragLangSection), MB_ICONERROR, this,
                      nullptr, false);
}

LRESULT CDiskDefragDlg::OnWorkDone(WPARAM, LPARAM) {
    m_reportWriter.DeliverDone();
    return 0;
}

// ---- start-up jobs ----

void CDiskDefragDlg::CopyReportImages() {
    CString reportFolder = theApp.m_strCommonDataFolder;
    if (reportFolder.IsEmpty())
        return;
    AppendPath(reportFolder, kDefragReportFolder);
    CString marker = reportFolder;
    AppendPath(marker, kReportImageMarker);
    if (PathExists(marker))
        return;
    const CString target = MakeDataSubfolder(theApp.m_strCommonDataFolder, kDefragReportFolder);
    CString source;
    GetModuleFolder(nullptr, source);
    AppendPath(source, kDefragReportFolder);
    CString pattern = source;
    AppendPath(pattern, L"*.jpg");
    WIN32_FIND_DATAW found{};
    const FindHandle search(FindFirstFileW(pattern, &found));
    if (!search)
        return;
    do {
        if (found.dwFileAttributes &
            (FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY))
            continue;
        CString from = source;
        AppendPath(from, found.cFileName);
        (void)CopyFileW(from, target + found.cFileName, FALSE);
    } while (FindNextFileW(search.Get(), &found));
}

void CDiskDefragDlg::StartScheduledDefragmentation() {
    if (m_pDefragHome == nullptr)
        return;
    m_pDefragHome->SelectDrive(theApp.m_strScheduleDriveLetters);
    m_pDefragHome->StartDefragmentation();
}

void CDiskDefragDlg::StartHiddenAnalysis() {
    PumpWaitingMessages();
    if (m_pDefragHome != nullptr)
        m_pDefragHome->StartAnalysis();
    PumpWaitingMessages();
}

void CDiskDefragDlg::StartScheduledCleaning() {
    PostMessageW(WM_COMMAND, kJunkTabCommand, 0);
    CWnd* scanning = PageInSlot(kJunkTab, 2);
    if (scanning == nullptr || scanning->GetSafeHwnd() == nullptr)
        return;
    scanning->SetTimer(kJunkScanStartTimer, kJunkScanStartDelayMs, nullptr);
    ShowTabPage(kJunkTab, kShowAnalysisProgress);
}

void CDiskDefragDlg::OnTimer(UINT_PTR id) {
    KillTimer(id);
    switch (id) {
    case kScheduledDefragTimer:
        StartScheduledDefragmentation();
        break;
    case kHiddenAnalysisTimer:
        StartHiddenAnalysis();
        break;
    case kScheduledCleanTimer:
        StartScheduledCleaning();
        break;
    default:
        CDlgBaseAppDlg::OnTimer(id);
        break;
    }
}

void CDiskDefragDlg::OnWindowPosChanging(WINDOWPOS* position) {
    CDlgBaseAppDlg::OnWindowPosChanging(position);
    if (theApp.m_bHiddenStart)
        position->flags &= ~SWP_SHOWWINDOW;
}

LRESULT CDiskDefragDlg::OnSchedulerWorkGoingOn(WPARAM, LPARAM lParam) {
    const CString text = HandOffText(lParam);
    if (IsWindowVisible() && text.CompareNoCase(kScheduleDefraggingText) != 0)
        return 0;
    ShowWindow(SW_RESTORE);
    BringWindowToTop();
    SetForegroundWindow();
    if (IsJobRunning()) {
        (void)m_serviceClient->Pause();
        AppMessageBox(theApp.GetLangString(L"IDS_SCANDEFRG_ALRRUN", kDefragLangSection),
                      MB_ICONERROR, this, nullptr, false);
        (void)m_serviceClient->Resume();
        return 0;
    }
    CRegistry key(HKEY_CURRENT_USER);
    key.SetAccess(KEY_READ);
    CString letters;
    if (key.Open(HKEY_CURRENT_USER, GetAppRegistryKey(), false) &&
        key.ReadString(kScheduleDriveLetterValue, letters))
        theApp.m_strScheduleDriveLetters = letters;
    SetTimer(kScheduledDefragTimer, kHandOffStartDelayMs, nullptr);
    return 0;
}

// ---- messages of other programs ----

LRESULT CDiskDefragDlg::OnCopyData(const COPYDATASTRUCT* data, bool& handled) {
    handled = false;
    if (data == nullptr)
        return 0;
    switch (data->dwData) {
    case kCopyDataOneClickSummary:
        if (!m_pageLinks.runOneClickSummary)
            return 0;
        handled = true;
        m_pageLinks.runOneClickSummary(this);
        return kCopyDataSummaryShown;
    case kCopyDataAutoDefrag:
        handled = true;
        theApp.m_bAutomaticMode = true;
        if (m_pageLinks.defragmentNow)
            m_pageLinks.defragmentNow();
        return kCopyDataDone;
    case kCopyDataNothing:
        handled = true;
        return kCopyDataDone;
    default:
        return 0;
    }
}

LRESULT CDiskDefragDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        bool handled = false;
        const LRESULT result = OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam), handled);
        if (handled)
            return result;
    }
    return CDlgBaseAppDlg::WindowProc(message, wParam, lParam);
}

void CDiskDefragDlg::OnAppClose() {
    CloseApplication();
}

void CDiskDefragDlg::CloseApplication() {
    PostMessageW(WM_CLOSE, 0, 0);
    PostQuitMessage(0);
}
