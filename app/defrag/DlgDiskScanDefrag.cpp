#include "DlgDiskScanDefrag.h"

#include "FreeSpaceRule.h"
#include "LastScanValues.h"
#include "MainUtilities.h"
#include "StoredClusterMap.h"

#include "SelectedFont.h"
#include "PopupServices.h"
#include "SkinPaintDC.h"
#include "LauncherStatus.h"
#include "UiFonts.h"
#include "VantorixApp.h"

#include <classlib/CmdTarget.h>
#include <classlib/Time.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

IMPLEMENT_DYNAMIC(CDlgDiskScanDefrag, CDlgLeftSideChild)

BEGIN_MESSAGE_MAP(CDlgDiskScanDefrag, CDlgLeftSideChild)
ON_WM_CTLCOLOR()
ON_WM_TIMER()
ON_REGISTERED_MESSAGE(g_uWorkDoneMessage, &CDlgDiskScanDefrag::OnWorkDone)
ON_WM_SETCURSOR()
ON_WM_PAINT()
ON_WM_SIZE()
ON_BN_CLICKED(IDC_BTN_STOP, OnStopClicked)
ON_BN_CLICKED(IDC_BTN_STOPDEFRAG, OnStopClicked)
END_MESSAGE_MAP()

namespace {

constexpr wchar_t kControlSection[] = L"IDD_DLG_DISK_SCAN_DEFRAG";
constexpr int kDefragmenterTool = 7;
constexpr UINT kStopButtonBitmap = 1074;
constexpr COLORREF kTextColour = 0x5A5148;
constexpr COLORREF kFrameColour = 0xB9B9B9;
constexpr COLORREF kLegendColour = 0xFFF9F3;
constexpr DWORD kAnalysisStartMilliseconds = 2048;
constexpr DWORD kDefragStartMilliseconds = 1024;
constexpr DWORD kSecondPassMilliseconds = 2024;
constexpr DWORD kAbortMilliseconds = 4096;
constexpr UINT kHeldPollMilliseconds = 50;

constexpr int kLegendIds[6] = {IDC_LEGEND1, IDC_LEGEND2, IDC_LEGEND3,
                               IDC_LEGEND4, IDC_LEGEND5, IDC_LEGEND6};
constexpr int kLegendLabelIds[6] = {IDC_LEGEND1_STATIC, IDC_LEGEND2_STATIC, IDC_LEGEND3_STATIC,
                                    IDC_LEGEND4_STATIC, IDC_LEGEND5_STATIC, IDC_LEGEND6_STATIC};
constexpr const wchar_t* kLegendKeys[6] = {L"IDC_LEGEND1_STATIC", L"IDC_LEGEND2_STATIC",
                                           L"IDC_LEGEND3_STATIC", L"IDC_LEGEND4_STATIC",
                                           L"IDC_LEGEND5_STATIC", L"IDC_LEGEND6_STATIC"};
// Fragmented, contiguous, other used, MFT zone, free, unused: the order of the labels.
constexpr UINT kLegendBitmaps[6] = {IDB_LEGEND_FRAGMENTED, IDB_LEGEND_CONTIGUOUS,
                                    IDB_LEGEND_OTHER_USED, IDB_LEGEND_MFT_ZONE,
                                    IDB_LEGEND_FREE,       IDB_LEGEND_UNUSED};
// The legend's items: a swatch, a gap, its label as wide as its text; the room left in the
// box is shared out evenly between the items.
constexpr int kFirstSwatchX = 32;
constexpr int kLastLabelRight = 566;
constexpr int kSwatchSize = 10;
constexpr int kLabelOffset = 15;
constexpr int kLeastItemGap = 6;

const CRect kDescriptionRect(22, 54, 561, 101);
const CRect kLegendBox(21, 294, 572, 324);
const CRect kTipRect(28, 442, 350, 492);

wchar_t g_lastAnalysedDrive = 0;

bool IsLegendLabel(int id) {
    for (int label : kLegendLabelIds)
        if (label == id)
            return true;
    return false;
}

// Set for the scope's lifetime.
class ScopedFlag {
public:
    explicit ScopedFlag(bool& flag) : m_flag(flag) { m_flag = true; }
    ~ScopedFlag() { m_flag = false; }
    ScopedFlag(const ScopedFlag&) = delete;
    ScopedFlag& operator=(const ScopedFlag&) = delete;

private:
    bool& m_flag;
};

// Two texts with one blank between (language texts lose their outer blanks).
CString JoinTexts(const CString& first, const CString& second) {
    return first + L" " + second;
}

} // namespace

wchar_t LastAnalysedDrive() {
    return g_lastAnalysedDrive;
}

CDlgDiskScanDefrag::CDlgDiskScanDefrag(CWnd* parent, DefragPageHost* host)
    : CDlgLeftSideChild(IDD, parent), m_pHost(host) {
    if (m_pHost == nullptr) {
        m_ownHost = std::make_unique<PlainDefragPageHost>();
        m_ownHost->SetBlockCountSource([this] { return GetBlockCount(); });
        m_pHost = m_ownHost.get();
    }
    m_legendBrush.CreateSolidBrush(kLegendColour);
}

CDlgDiskScanDefrag::~CDlgDiskScanDefrag() = default;

void CDlgDiskScanDefrag::DoDataExchange(CDataExchange* dx) {
    CDlgLeftSideChild::DoDataExchange(dx);
    DDX_Control(dx, IDC_CLUSTER_MAP, m_map);
    for (size_t i = 0; i < m_legends.size(); ++i) {
        DDX_Control(dx, kLegendIds[i], m_legends[i]);
        DDX_Control(dx, kLegendLabelIds[i], m_legendLabels[i]);
    }
    DDX_Control(dx, IDC_ST_SCAN_DRIVE_RES, m_driveLine);
    DDX_Control(dx, IDC_ST_CURRENT_PATH, m_pathLine);
    DDX_Control(dx, IDC_ST_NOWSCANNING, m_nowScanning);
    DDX_Control(dx, IDC_SCAN_PROGRESS, m_progress);
    DDX_Control(dx, IDC_BTN_STOP, m_stop);
    DDX_Control(dx, IDC_BTN_STOPDEFRAG, m_stopDefrag);
}

CString CDlgDiskScanDefrag::Text(const wchar_t* key) const {
    return static_cast<CVantorixApp*>(AfxGetApp())->GetLangString(key);
}

CString CDlgDiskScanDefrag::ControlText(const wchar_t* key) const {
    return static_cast<CVantorixApp*>(AfxGetApp())->GetLangString(key, kControlSection);
}

BOOL CDlgDiskScanDefrag::OnInitDialog() {
    CDlgLeftSideChild::OnInitDialog();
    m_worker.SetWindow(m_hWnd);
    for (size_t i = 0; i < m_legends.size(); ++i) {
        m_legendLabels[i].SetWindowText(ControlText(kLegendKeys[i]));
        m_legendLabels[i].SetFont(&g_fontUI, FALSE);
        static_cast<void>(m_legends[i].LoadLegendBitmap(kLegendBitmaps[i]));
    }
    m_driveLine.SetWindowText(ControlText(L"IDC_ST_SCAN_DRIVE_RES"));
    m_nowScanning.SetWindowText(ControlText(L"IDC_ST_NOWSCANNING"));
    m_nowScanning.SetFont(&g_fontUIBold, FALSE);
    m_pathLine.SetFont(&g_fontUI, FALSE);
    m_stop.SetWindowText(ControlText(L"IDC_BTN_STOP"));
    m_stopDefrag.SetWindowText(ControlText(L"IDC_BTN_STOPDEFRAG"));
    for (CHoverButtonWithText* button : {&m_stop, &m_stopDefrag}) {
        // Its strip holds four frames, the last one the disabled look.
        button->m_bHasDisabledState = true;
        button->LoadBitmap(kStopButtonBitmap);
        StyleLightTextButton(button);
    }
    m_progress.SetRange32(0, kProgressEnd);
    m_progress.SetPos(0);
    for (CString& text : m_countTexts)
        text = Text(L"IDS_TO_BE_ANALYZED");
    CRect client;
    GetClientRect(&client);
    OnSize(SIZE_RESTORED, client.Width(), client.Height());
    return TRUE;
}

BOOL CDlgDiskScanDefrag::PreTranslateMessage(MSG* msg) {
    // The space bar never presses a button of this page.
    const bool keyMessage =
        msg->message == WM_KEYDOWN || msg->message == WM_KEYUP || msg->message == WM_CHAR;
    if (keyMessage && msg->wParam == VK_SPACE)
        return TRUE;
    return CDlgLeftSideChild::PreTranslateMessage(msg);
}

void CDlgDiskScanDefrag::OnSize(UINT type, int cx, int cy) {
    CDlgLeftSideChild::OnSize(type, cx, cy);
    if (m_map.GetSafeHwnd() == nullptr)
        return;
    m_map.MoveWindow(22, 86, 549, 208);
    LayOutLegend();
    m_nowScanning.MoveWindow(22, 345, 85, 35);
    m_pathLine.MoveWindow(109, 345, 458, 34);
    m_progress.MoveWindow(22, 387, 543, 20);
    // The window's own size: the base posts a WM_SIZE with the template's size, which may
    // arrive after the page took its fixed size.
    CRect client;
    GetClientRect(&client);
    m_stop.MoveWindow(client.right - 143, client.bottom - 41, 120, 28);
    m_stopDefrag.MoveWindow(client.right - 143, client.bottom - 41, 120, 28);
}

void CDlgDiskScanDefrag::LayOutLegend() {
    std::array<int, 6> widths{};
    int itemsWidth = 0;
    {
        CClientDC dc(this);
        CSelectedFont font(dc.GetSafeHdc(), static_cast<HFONT>(g_fontUI.GetSafeHandle()));
        for (size_t i = 0; i < widths.size(); ++i) {
            CString text;
            m_legendLabels[i].GetWindowText(text);
            widths[i] = dc.GetTextExtent(text).cx + 2;
            itemsWidth += kLabelOffset + widths[i];
        }
    }
    const int room = kLastLabelRight - kFirstSwatchX - itemsWidth;
    const int gap = std::max(kLeastItemGap, room / static_cast<int>(widths.size() - 1));
    int x = kFirstSwatchX;
    for (size_t i = 0; i < widths.size(); ++i) {
        m_legends[i].MoveWindow(x, 304, kSwatchSize, kSwatchSize);
        m_legendLabels[i].MoveWindow(x + kLabelOffset, 302, widths[i], 18);
        x += kLabelOffset + widths[i] + gap;
    }
}

HBRUSH CDlgDiskScanDefrag::OnCtlColor(CDC* dc, CWnd* control, UINT type) {
    if (control != nullptr && IsLegendLabel(control->GetDlgCtrlID())) {
        dc->SetTextColor(RGB(0, 0, 0));
        dc->SetBkColor(kLegendColour);
        return static_cast<HBRUSH>(m_legendBrush.GetSafeHandle());
    }
    return CDlgLeftSideChild::OnCtlColor(dc, control, type);
}

void CDlgDiskScanDefrag::OnPaint() {
    CSkinPaintDC memory(this);
    const CRect& client = memory.Client();
    // No title icon: the description begins right below the title.
    DrawPageTitle(&memory, client, FALSE);
    memory.SetBkMode(TRANSPARENT);
    CSelectedFont font(memory.GetSafeHdc(), static_cast<HFONT>(g_fontUI.GetSafeHandle()));
    memory.SetTextColor(kTextColour);
    CRect description = kDescriptionRect;
    memory.DrawText(m_description, &description, DT_WORDBREAK | DT_NOPREFIX);

    // A frame one pixel outside the grid's cells.
    CRect map;
    m_map.GetWindowRect(&map);
    ScreenToClient(&map);
    map.OffsetRect(1, 1);
    map.InflateRect(2, 2);
    map.right -= 2;
    map.bottom -= 2;
    CBrush frame;
    frame.CreateSolidBrush(kFrameColour);
    memory.FrameRect(&map, &frame);

    memory.FrameRect(&kLegendBox, &frame);
    CRect legendInside = kLegendBox;
    legendInside.DeflateRect(1, 1);
    memory.FillSolidRect(&legendInside, kLegendColour);

    CRect tip = kTipRect;
    memory.DrawText(m_tip, &tip, DT_WORDBREAK | DT_NOPREFIX);
}

// The polls repeat these five times a second: a control already as wanted is left alone.
void CDlgDiskScanDefrag::ShowControl(int id, bool shown, bool enabled) {
    CWnd* control = GetDlgItem(id);
    if (control == nullptr)
        return;
    const DWORD style = control->GetStyle();
    if (((style & WS_VISIBLE) != 0) != shown)
        control->ShowWindow(shown ? SW_SHOW : SW_HIDE);
    if (((style & WS_DISABLED) == 0) != enabled)
        control->EnableWindow(enabled ? TRUE : FALSE);
}

void CDlgDiskScanDefrag::ShowAgain(CWnd& control) {
    if ((control.GetStyle() & WS_VISIBLE) == 0)
        control.ShowWindow(SW_SHOW);
}

void CDlgDiskScanDefrag::SetPathLine(const CString& text) {
    if (text == m_currentPath && m_pathLine.GetWindowTextLength() == text.GetLength())
        return;
    m_currentPath = text;
    m_pathLine.SetWindowText(text);
}

void CDlgDiskScanDefrag::SetProgress(int position) {
    if (m_progress.GetPos() != position)
        m_progress.SetPos(position);
}

int CDlgDiskScanDefrag::StartOperation(DefragOperation operation, wchar_t drive,
                                       const CString& entryText) {
    m_pHost->LockMainWindow(true);
    SetPathLine(CString());
    ShowControl(IDC_SCAN_PROGRESS, true, true);
    m_operation = operation;
    if (operation == DefragOperation::kAnalysis) {
        SetWindowText(Text(L"IDS_HEADING_ANALYZING"));
        m_description = Text(L"IDS_DESC_ANALYZING");
        m_tip = Text(L"IDS_BELOW_TIP_SCAN");
        ShowControl(IDC_BTN_STOPDEFRAG, false, false);
        ShowControl(IDC_BTN_STOP, true, true);
        ShowControl(IDC_ST_NOWSCANNING, true, true);
        m_nowScanning.SetWindowText(Text(L"IDS_NOWSCANNING"));
        m_nowScanning.MoveWindow(22, 345, 85, 35);
        m_pathLine.MoveWindow(109, 345, 458, 34);
    } else {
        SetWindowText(Text(L"IDS_HEADING_DEFRAGGING"));
        m_description = Text(L"IDS_DESC_DEFRAGGING");
        m_tip = Text(L"IDS_BELOW_TIP_DEFRAG");
        ShowControl(IDC_BTN_STOPDEFRAG, true, false);
        ShowControl(IDC_BTN_STOP, false, false);
        ShowControl(IDC_ST_NOWSCANNING, true, true);
        m_nowScanning.SetWindowText(Text(L"IDS_NOWOPT"));
        m_nowScanning.MoveWindow(22, 345, 95, 35);
        m_pathLine.MoveWindow(119, 345, 448, 34);
    }
    Invalidate(FALSE);
    const int sent = SendJob(drive, entryText);
    // A job that did not start leaves the program as it was.
    if (!sent)
        m_pHost->LockMainWindow(false);
    return sent;
}

void CDlgDiskScanDefrag::AbandonJob(const wchar_t* messageKey, UINT type) {
    KillTimer(kPollTimer);
    m_worker.CancelAll();
    m_bPollPending = false;
    m_phase = JobPhase::kIdle;
    SetPathLine(CString());
    m_progress.SetPos(0);
    AppMessageBox(JoinTexts(m_entryText, Text(messageKey)), type, m_pHost->MainWindow(), nullptr,
                  false);
}

int CDlgDiskScanDefrag::SendJob(wchar_t drive, const CString& entryText) {
    // What an earlier job still had under way means nothing to this one.
    KillTimer(kPollTimer);
    m_worker.CancelAll();
    m_bPollPending = false;
    m_heldResults = nullptr;
    m_phase = JobPhase::kIdle;

    m_bStopRequested = false;
    m_driveAndSize = L" ";
    for (CString& text : m_countTexts)
        text = L"0";
    m_counts = {};
    m_progress.SetPos(0);
    m_pass = 0;
    m_pHost->SetCurrentDrive(drive);
    m_driveLine.SetWindowText(JoinTexts(Text(L"IDS_NOWSCANNING"), entryText));
    m_entryText = entryText;

    ULONGLONG freeBytes = 0;
    ULONGLONG totalBytes = 0;
    // A drive whose size cannot be read is not there (removed, or its volume gone).
    if (!m_pHost->ReadDriveSpace(drive, freeBytes, totalBytes)) {
        AbandonJob(L"IDS_DRIVE_NOT_AVAILABLE", MB_OK | MB_ICONERROR);
        return 0;
    }
    if (!HasEnoughFreeSpace(freeBytes, totalBytes)) {
        AbandonJob(L"IDS_WARNING_LOW_FREESPACE", MB_OK);
        return 0;
    }
    m_driveAndSize = entryText + L"  " + ByteSizeText(totalBytes);

    // Release, release, then the job's command, on the worker: making sure that the service
    // runs asks the service manager each time. The commands carry the map's size, fixed here
    // on the window's thread, where the map is laid out.
    static_cast<void>(GetBlockCount());
    DefragServiceClient* client = &Client();
    const DefragOperation operation = m_operation;
    auto sent = std::make_shared<bool>(false);
    m_phase = JobPhase::kSending;
    m_worker.Run(
        [client, operation, drive, sent](const CWorkerQueue::CancelCheck&) {
            *sent = StartDefragJob(*client, operation, drive);
        },
        [this, sent] { OnJobSent(*sent); });
    return 1;
}

void CDlgDiskScanDefrag::OnJobSent(bool sent) {
    if (m_phase != JobPhase::kSending)
        return;
    if (!sent) {
        FailJob();
        return;
    }
    MarkJobRunning();
    if (m_operation == DefragOperation::kAnalysis) {
        g_lastAnalysedDrive = m_pHost->CurrentDrive();
        m_startWaitsLeft = 1;
        Wait(JobPhase::kStarting, kAnalysisStartMilliseconds);
        return;
    }
    // Twice: a wait, then the analysed map as the service's start.
    m_startWaitsLeft = 2;
    Wait(JobPhase::kStarting, kDefragStartMilliseconds);
}

void CDlgDiskScanDefrag::FailJob() {
    AbandonJob(L"IDS_SERVICE_NO_JOB", MB_OK | MB_ICONERROR);
    EndJob();
    PostCommandToParent(kShowDefragHome);
}

void CDlgDiskScanDefrag::Wait(JobPhase phase, UINT milliseconds) {
    m_phase = phase;
    SetTimer(kPollTimer, milliseconds, nullptr);
}

void CDlgDiskScanDefrag::UploadMapOfAnalysedDrive() {
    if (m_pHost->CurrentDrive() != g_lastAnalysedDrive || !TheStoredClusterMap().Exists())
        return;
    // Only a head start for the service's map: a refusal leaves it to compute its own.
    static_cast<void>(Client().UploadClusterMap(TheStoredClusterMap().Cells()));
}

void CDlgDiskScanDefrag::OnTimer(UINT_PTR id) {
    if (id != kPollTimer) {
        CDlgLeftSideChild::OnTimer(id);
        return;
    }
    KillTimer(kPollTimer);
    // While the job is being sent or the stop question is open, the job stands still.
    if (m_bHoldPolls && m_phase != JobPhase::kStopping) {
        SetTimer(kPollTimer, kHeldPollMilliseconds, nullptr);
        return;
    }
    switch (m_phase) {
    case JobPhase::kStarting:
        OnStartWaitOver();
        break;
    case JobPhase::kSecondPassStarting:
        UploadMapOfAnalysedDrive();
        m_phase = JobPhase::kPolling;
        RequestPoll();
        break;
    case JobPhase::kPolling:
        RequestPoll();
        break;
    case JobPhase::kReadingResults:
        ShowReadingProgress();
        SetTimer(kPollTimer, kPollMilliseconds, nullptr);
        break;
    case JobPhase::kStopping:
        FinishStop();
        break;
    case JobPhase::kIdle:
    case JobPhase::kSending:
        break;
    }
}

void CDlgDiskScanDefrag::OnStartWaitOver() {
    if (m_operation == DefragOperation::kDefragmentation)
        UploadMapOfAnalysedDrive();
    if (--m_startWaitsLeft > 0) {
        Wait(JobPhase::kStarting, kDefragStartMilliseconds);
        return;
    }
    m_phase = JobPhase::kPolling;
    RequestPoll();
}

LRESULT CDlgDiskScanDefrag::OnWorkDone(WPARAM, LPARAM) {
    m_worker.DeliverDone();
    return 0;
}

BOOL CDlgDiskScanDefrag::OnSetCursor(CWnd* window, UINT hitTest, UINT message) {
    // The job's commands, the wait after them and the wait after an abort show the wait cursor.
    if (m_phase == JobPhase::kSending || m_phase == JobPhase::kStarting ||
        m_phase == JobPhase::kStopping) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
    }
    return CDlgLeftSideChild::OnSetCursor(window, hitTest, message);
}

void CDlgDiskScanDefrag::RequestPoll() {
    // One poll at a time: the one under way re-arms the timer when it is answered.
    if (m_bPollPending)
        return;
    m_bPollPending = true;
    const int blocks = GetBlockCount();
    auto poll = std::make_shared<ServicePoll>();
    DefragServiceClient* client = &Client();
    m_worker.Run(
        [client, poll, blocks](const CWorkerQueue::CancelCheck&) { *poll = client->Poll(blocks); },
        [this, poll] { OnPollRead(*poll); });
}

void CDlgDiskScanDefrag::OnPollRead(const ServicePoll& poll) {
    m_bPollPending = false;
    if (m_phase != JobPhase::kPolling)
        return;
    if (m_bHoldPolls) {
        // Asked again once the job moves on.
        SetTimer(kPollTimer, kHeldPollMilliseconds, nullptr);
        return;
    }
    int state = m_pHost->LastJobState();
    // A failed query keeps the last state: a lost service leaves the page polling.
    if (poll.stateRead) {
        state = poll.state;
        m_pHost->StoreJobState(poll.state, poll.priority);
    }
    OnProgressTick(state);
    UpdateProgress(state, poll);
    // Asked again until the job has ended: a job the service has not begun yet reads idle (its
    // commands are taken in turn, and each pass starts after a release), and would otherwise
    // leave the page waiting for good with the window locked.
    if (state != kJobFinished && m_phase == JobPhase::kPolling)
        SetTimer(kPollTimer, kPollMilliseconds, nullptr);
}

void CDlgDiskScanDefrag::OnProgressTick(int state) {
    const int stopButton =
        m_operation == DefragOperation::kAnalysis ? IDC_BTN_STOP : IDC_BTN_STOPDEFRAG;
    switch (state) {
    case kJobIdle:
        if (m_operation == DefragOperation::kAnalysis)
            m_stop.ShowWindow(SW_HIDE);
        break;
    case kJobRunning:
        ShowAgain(m_progress);
        ShowAgain(m_pathLine);
        ShowControl(stopButton, true, true);
        if (::GetFocus() != GetDlgItem(stopButton)->GetSafeHwnd())
            GetDlgItem(stopButton)->SetFocus();
        break;
    case kJobFinished:
        m_driveLine.SetFocus();
        KillTimer(kPollTimer);
        if (m_operation == DefragOperation::kAnalysis) {
            m_progress.SetPos(kProgressEnd);
            m_stop.ShowWindow(SW_HIDE);
            m_progress.ShowWindow(SW_HIDE);
            ShowControl(IDC_ST_NOWSCANNING, false, false);
        }
        StartReadingResults();
        break;
    default:
        break;
    }
}

void CDlgDiskScanDefrag::UpdateProgress(int state, const ServicePoll& poll) {
    if (poll.pausedRead && poll.paused)
        return;
    // The map follows the job; a map that could not be read is drawn free, the stored map
    // keeps the last one the service gave.
    const int blocks = GetBlockCount();
    CStoredClusterMap& stored = TheStoredClusterMap();
    stored.EnsureBlockCount(blocks);
    const std::vector<ClusterMapBlock>& cells =
        poll.mapRead ? poll.cells : std::vector<ClusterMapBlock>{};
    if (poll.mapRead)
        stored.Replace(poll.cells);
    // An unchanged map is not drawn again.
    const std::vector<ClusterMapBlock>& shown = m_map.Cells();
    if (shown.size() != cells.size() ||
        std::memcmp(shown.data(), cells.data(), cells.size() * sizeof(ClusterMapBlock)) != 0)
        m_map.ShowCells(cells);
    // Nothing read, nothing changed: the page keeps the last figures.
    if (!poll.statisticsRead)
        return;
    DefragStatistics& statistics = *poll.statistics;
    statistics.currentPath[kPathUnits - 1] = L'\0';
    // While the results are read, the path line tells how far that is.
    if (m_phase != JobPhase::kReadingResults)
        SetPathLine(statistics.currentPath);
    m_counts[kFiles] = statistics.files;
    m_counts[kDirectories] = statistics.directories;
    m_counts[kFragmented] = statistics.fragmentedFiles;
    for (size_t i = 0; i < m_counts.size(); ++i)
        m_countTexts[i] = GroupedNumberText(m_counts[i]);
    // The end of an analysis stays at the end.
    if (state == kJobFinished && m_operation == DefragOperation::kAnalysis)
        return;
    SetProgress(ProgressPosition(statistics, m_pass));
}

void CDlgDiskScanDefrag::StartReadingResults() {
    m_phase = JobPhase::kReadingResults;
    m_readProgress = std::make_shared<RunResultsProgress>();
    auto results = std::make_shared<RunResults>();
    auto progress = m_readProgress;
    DefragServiceClient* client = &Client();
    m_worker.Run(
        [client, results, progress](const CWorkerQueue::CancelCheck& cancelled) {
            client->FetchResults(*results, cancelled, progress.get());
        },
        [this, results] { OnResultsRead(results); });
    ShowReadingProgress();
    SetTimer(kPollTimer, kPollMilliseconds, nullptr);
}

void CDlgDiskScanDefrag::ShowReadingProgress() {
    if (!m_readProgress)
        return;
    ShowAgain(m_pathLine);
    SetPathLine(Text(L"IDS_READING_RESULTS") + L" " +
                GroupedNumberText(m_readProgress->read.load()) + L" / " +
                GroupedNumberText(m_readProgress->count.load()));
}

void CDlgDiskScanDefrag::OnResultsRead(std::shared_ptr<const RunResults> results) {
    if (m_phase != JobPhase::kReadingResults)
        return;
    if (m_bHoldPolls) {
        m_heldResults = [this, results] { OnResultsRead(results); };
        return;
    }
    KillTimer(kPollTimer);
    m_readProgress.reset();
    SetPathLine(CString());
    RecordResults(*results);
    if (m_operation == DefragOperation::kAnalysis) {
        m_pathLine.ShowWindow(SW_HIDE);
        EndJob();
        if (!m_pHost->HiddenStart()) {
            m_pHost->ShowAnalysisResults(results);
            PostCommandToParent(kShowAnalysisResults);
        }
        return;
    }
    const bool automatic = m_pHost->AutomaticMode();
    if (!automatic) {
        if (m_pass == 0)
            m_pHost->ShowFirstPassResults(results);
        else
            m_pHost->ShowDefragResults(results);
    }
    if (m_bStopRequested) {
        HideJobControls();
        EndJob();
        ShowCompletionMessage(automatic);
    } else if (m_pass == 0) {
        StartSecondPass();
    } else {
        FinishDefragmentation();
    }
}

void CDlgDiskScanDefrag::StartSecondPass() {
    m_pass = 1;
    DefragServiceClient* client = &Client();
    const wchar_t drive = m_pHost->CurrentDrive();
    auto sent = std::make_shared<bool>(false);
    m_phase = JobPhase::kSending;
    m_worker.Run(
        [client, drive, sent](const CWorkerQueue::CancelCheck&) {
            *sent = ::StartSecondPass(*client, drive);
        },
        [this, sent] {
            if (m_phase != JobPhase::kSending)
                return;
            if (!*sent) {
                FailJob();
                return;
            }
            MarkJobRunning();
            Wait(JobPhase::kSecondPassStarting, kSecondPassMilliseconds);
        });
}

void CDlgDiskScanDefrag::MarkJobRunning() {
    // The service took the job: until a poll reads otherwise it runs, so a poll that fails
    // keeps polling instead of taking the last job's end for this one's.
    m_pHost->StoreJobState(kJobRunning, 0);
}

void CDlgDiskScanDefrag::HideJobControls() {
    ShowControl(IDC_ST_NOWSCANNING, false, false);
    ShowControl(IDC_SCAN_PROGRESS, false, false);
    ShowControl(IDC_BTN_STOPDEFRAG, false, false);
    m_pathLine.ShowWindow(SW_HIDE);
}

void CDlgDiskScanDefrag::FinishDefragmentation() {
    HideJobControls();
    const bool automatic = m_pHost->AutomaticMode();
    EndJob();
    m_pHost->EndScheduledRun();
    if (m_pHost->ShutdownSwitch())
        m_pHost->ShowShutdownDialog(Text(L"IDS_DONE_PROCESS"));
    ShowCompletionMessage(automatic);
}

void CDlgDiskScanDefrag::EndJob() {
    m_phase = JobPhase::kIdle;
    m_pHost->LockMainWindow(false);
    m_pHost->ClearAutomaticMode();
}

void CDlgDiskScanDefrag::ShowCompletionMessage(bool automatic) {
    // An automatic defragmentation leaves the results pages out: it ends on the home page,
    // whose summary shows the run.
    PostCommandToParent(automatic ? kShowDefragHome : kShowDefragResults);
    CString message;
    message.Format(Text(L"IDS_COMP_MSG"), m_entryText.GetString());
    AppMessageBox(message, MB_OK | MB_ICONINFORMATION, m_pHost->MainWindow(), nullptr, false);
}

void CDlgDiskScanDefrag::OnStopClicked() {
    OnStop();
}

void CDlgDiskScanDefrag::OnStop() {
    // Commands being sent are seen through first: a job stopped before its command reached the
    // service would start afterwards unwatched.
    if (m_phase == JobPhase::kIdle || m_phase == JobPhase::kSending ||
        m_phase == JobPhase::kStopping)
        return;
    bool stop = false;
    {
        const ScopedFlag holdPolls(m_bHoldPolls);
        static_cast<void>(Client().Pause());
        const wchar_t* question =
            m_operation == DefragOperation::kAnalysis ? L"IDS_STOPSCAN_MSG" : L"IDS_STOPDEFRAG_MSG";
        stop = AppMessageBox(Text(question), MB_YESNO | MB_ICONQUESTION, m_pHost->MainWindow(),
                             nullptr, false) == IDYES;
    }
    if (!stop) {
        m_bStopRequested = false;
        static_cast<void>(Client().Resume());
        m_pathLine.SetFocus();
        // Results read while the question was open go on now.
        if (std::function<void()> held = std::exchange(m_heldResults, nullptr))
            held();
        return;
    }
    m_bStopRequested = true;
    static_cast<void>(Client().Abort());
    KillTimer(kPollTimer);
    m_worker.CancelAll();
    m_bPollPending = false;
    m_heldResults = nullptr;
    m_readProgress.reset();
    if (CWnd* main = m_pHost->MainWindow())
        main->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Wait(JobPhase::kStopping, kAbortMilliseconds);
}

void CDlgDiskScanDefrag::FinishStop() {
    EndJob();
    PostCommandToParent(kShowDefragHome);
}

void CDlgDiskScanDefrag::RecordResults(const RunResults& results) {
    const bool defragmentation = m_operation == DefragOperation::kDefragmentation;
    // The summary needs the date's text, which only saving the date gives; a run the service
    // could not do records nothing (the results pages say that it failed).
    if (!HasUsableStatistics(results))
        return;
    CString drive;
    drive.Format(L"%c:\\", m_pHost->CurrentDrive());
    m_pHost->SaveLastScanValue(kLastScanDrive, drive);
    const CString date = m_pHost->SaveLastScanDate();
    const JobSummary summary = SummariseJob(results, defragmentation, date,
                                            [this](const wchar_t* key) { return Text(key); });
    m_pHost->SaveLastScanValue(kLastScanVolumeResult, summary.volumeResult);
    m_pHost->SaveLastScanValue(kLastScanDataResult, summary.dataResult);
    WriteLauncherStatus(kDefragmenterTool, summary.launcherStatus, summary.line1, summary.line2,
                        COleDateTime::GetCurrentTime());
}
