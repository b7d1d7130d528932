#include "DlgScan2Scanning.h"

#include <DlgLeftDlgBase.h>
#include <SelectedFont.h>
#include <PopupServices.h>
#include <SkinPaintDC.h>
#include <LauncherStatus.h>

#include "DlgScan1ScanHome.h"
#include "DlgScan3Results.h"
#include "DlgScan4Cleanup.h"
#include "DlgSetting1Drives.h"
#include "JunkMessages.h"
#include "JunkPagesResource.h"
#include "MainUtilities.h"
#include "AppState.h"
#include "LogFile.h"
#include "SizeTexts.h"
#include "UiFonts.h"
#include "VantorixApp.h"

#include <algorithm>
#include <ctime>

namespace {
const UINT kScanOutputMessage = JunkMessages().scanOutput;
const UINT kItemFoundMessage = JunkMessages().itemFound;
const UINT kLocationChangeMessage = JunkMessages().locationChange;
const UINT kScanStoppedMessage = JunkMessages().scanStopped;
const UINT kScanFinishedMessage = JunkMessages().scanFinished;
const UINT kDeleteOutputMessage = JunkMessages().deleteOutput;
const UINT kDeleteFinishedMessage = JunkMessages().deleteFinished;

constexpr wchar_t kSection[] = L"IDD_SCANTAB2_SCANING";
constexpr UINT_PTR kRowBlinkTimer = 107;
constexpr COLORREF kTextColour = RGB(72, 81, 90);
enum RowImage { kAnalysingImage = 0, kDoneImage = 1, kWaitingImage = 2 };
constexpr UINT kRowIcons[] = {1316, 1314, 1315};
constexpr UINT kListBackground = 1128;

void SetRowImage(CListCtrl& list, int row, int image) {
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    item.iImage = image;
    list.SetItem(&item);
}

CString NowAsScanTime() {
    wchar_t text[128] = {};
    const time_t now = time(nullptr);
    tm local{};
    if (localtime_s(&local, &now) == 0)
        wcsftime(text, 128, JunkText(L"IDS_SCAN_TIME_FORMAT"), &local);
    return text;
}
} // namespace

BEGIN_MESSAGE_MAP(CDlgScan2Scanning, CDlgLeftSideChild)
ON_WM_PAINT()
ON_WM_TIMER()
ON_BN_CLICKED(IDC_STOP_SCAN, &CDlgScan2Scanning::OnStop)
ON_REGISTERED_MESSAGE(kScanOutputMessage, &CDlgScan2Scanning::OnScanOutput)
ON_REGISTERED_MESSAGE(kItemFoundMessage, &CDlgScan2Scanning::OnItemFound)
ON_REGISTERED_MESSAGE(kLocationChangeMessage, &CDlgScan2Scanning::OnLocationChange)
ON_REGISTERED_MESSAGE(kScanStoppedMessage, &CDlgScan2Scanning::OnScanStopped)
ON_REGISTERED_MESSAGE(kScanFinishedMessage, &CDlgScan2Scanning::OnScanFinished)
ON_REGISTERED_MESSAGE(kDeleteOutputMessage, &CDlgScan2Scanning::OnDeleteOutput)
ON_REGISTERED_MESSAGE(kDeleteFinishedMessage, &CDlgScan2Scanning::OnDeleteFinished)
END_MESSAGE_MAP()

CDlgScan2Scanning::CDlgScan2Scanning(CWnd* parent)
    : CDlgLeftSideChild(IDD_SCANTAB2_SCANING, parent) {
    if (g_pJunkFinder)
        WriteLog(L"Failed to Create junk instance");
    else
        g_pJunkFinder = new CJunkFileFinder;
}

CDlgScan2Scanning::~CDlgScan2Scanning() {
    if (g_junkPages.scanning == this)
        g_junkPages.scanning = nullptr;
    if (!g_pJunkFinder) {
        WriteLog(L"Failed to remove junk instance");
        return;
    }
    delete g_pJunkFinder;
    g_pJunkFinder = nullptr;
}

BOOL CDlgScan2Scanning::OnInitDialog() {
    CDlgLeftSideChild::OnInitDialog();
    g_junkPages.scanning = this;
    SetWindowText(JunkText(L"SCANDLG2"));
    m_stopButton.SubclassDlgItem(IDC_STOP_SCAN, this);
    m_progress.SubclassDlgItem(IDC_JUNK_SCAN_PROGRESS, this);
    m_currentItem.SubclassDlgItem(IDC_CURRENT_SCAN_ITEM, this);
    m_progressText.SubclassDlgItem(IDC_CURRENT_PROGRESS_TXT, this);
    m_locationList.SubclassDlgItem(IDC_SCAN_LOCATIONS, this);
    m_foundCount.SubclassDlgItem(IDC_WARN_ERR_COUNT, this);
    m_stopButton.SetWindowText(DialogText(kSection, L"IDC_STOP_SCAN"));
    m_currentItem.SetWindowText(DialogText(kSection, L"IDC_CURRENT_SCAN_ITEM"));
    m_progressText.SetWindowText(DialogText(kSection, L"IDC_CURRENT_PROGRESS_TXT"));
    StyleJunkButton(m_stopButton, true);

    CRect client;
    GetClientRect(&client);
    const int width = client.Width();
    m_stopButton.SetWindowPos(nullptr, width - 141, client.Height() - 40, 120, 28, SWP_NOZORDER);
    m_foundCount.SetWindowPos(nullptr, 115, 117, 436, 18, SWP_NOZORDER);
    ShowFoundCount();
    m_progress.SetWindowPos(nullptr, 22, 144, width - 44, 18, SWP_NOZORDER);
    m_progress.SetRange(0, 100);
    m_currentItem.SetWindowPos(nullptr, 22, 192, width - 44, 35, SWP_NOZORDER);
    m_locationList.SetWindowPos(nullptr, 34, 267, 527, 124, SWP_NOZORDER);
    m_locationList.EnableWindow(FALSE);
    CRect listClient;
    m_locationList.GetClientRect(&listClient);
    const int firstColumn = (listClient.Width() - 18) * 4 / 5;
    m_locationList.InsertColumn(0, JunkText(L"SCANTAB2LS1"), LVCFMT_LEFT, firstColumn);
    m_locationList.InsertColumn(1, JunkText(L"SCANTAB2LS2"), LVCFMT_LEFT,
                                (listClient.Width() - 18) - firstColumn);
    m_locationList.SetExtendedStyle(m_locationList.GetExtendedStyle() | LVS_EX_FULLROWSELECT);
    static_cast<void>(m_locationList.SetBackgroundBitmap(kListBackground, RGB(234, 241, 249)));
    m_images.Create(16, 16, ILC_COLOR32 | ILC_MASK, 3, 1);
    for (UINT icon : kRowIcons)
        m_images.Add(AfxGetApp()->LoadIcon(icon));
    m_locationList.SetImageList(&m_images, LVSIL_SMALL);

    if (g_pJunkFinder) {
        g_pJunkFinder->SetNotifyWindow(m_hWnd);
        g_pJunkFinder->LoadMasks();
        g_pJunkFinder->LoadIgnoreList();
    }
    return TRUE;
}

void CDlgScan2Scanning::ResetProgress() {
    m_currentItem.SetWindowText(L"");
    m_progressText.SetWindowText(L"");
    m_foundCount.SetWindowText(L"");
    m_progress.SetPos(0);
}

void CDlgScan2Scanning::ShowFoundCount() {
    CString text;
    text.Format(JunkText(L"SCANTAB2ERRCOUNT"), m_nFound);
    m_foundCount.SetWindowText(text);
}

CString CDlgScan2Scanning::WrapPathText(const CString& path) {
    CString text = path;
    if (text.GetLength() >= 90)
        text.Insert(90, L' ');
    if (text.GetLength() >= 171)
        text.Insert(171, L' ');
    return text;
}

void CDlgScan2Scanning::FillLocationList(const CString& locations) {
    m_locationList.DeleteAllItems();
    int start = 0;
    for (int end = locations.Find(L';'); end >= 0; end = locations.Find(L';', start)) {
        const CString location = locations.Mid(start, end - start);
        start = end + 1;
        CString text;
        if (location.GetLength() == 1) {
            text = location + L":\\";
            wchar_t label[MAX_PATH + 1] = {};
            if (GetVolumeInformationW(text, label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr,
                                      0))
                text += CString(L"  ( ") + label + L" ) ";
        } else {
            text = location;
            if (text.Right(1) != L"\\")
                text += L"\\ ";
            text += JunkText(L"SCANTAB_JUNK_FOLDER_LABEL");
        }
        m_locationList.InsertItem(m_locationList.GetItemCount(), text, kWaitingImage);
    }
}

void CDlgScan2Scanning::StartScan() {
    // A second start while the engine works would report the running scan as finished.
    if (!g_pJunkFinder || g_pJunkFinder->IsWorking())
        return;
    JunkPageServices& services = JunkServices();
    const bool unattended = services.IsHiddenStart() || g_bScheduleSwitch;
    g_pJunkFinder->SetUnattended(unattended);
    services.SetJobFlags(true, false, false);
    m_progress.SetPos(0);
    m_nFound = 0;
    g_junkRun.found = 0;
    g_junkRun.cleaned = 0;
    m_outputMessages = 0;
    m_lastPathShown.Empty();
    m_lastPercent = -1;
    ShowFoundCount();
    m_nCurrentRow = 0;

    // Unattended, the drive settings' lists are refilled from the store first.
    const CString locations = JunkLocationText(unattended);
    if (locations.IsEmpty() && !unattended) {
        AppMessageBox(JunkText(L"SCANTAB_SELECT_DRIVES"), MB_ICONERROR, this, nullptr, false);
        services.SetJobFlags(false, false, false);
        services.EnableTabButtons(true);
        if (CDlgLeftDlgBase* panel = services.Panel()) {
            panel->EnableNavButtons(TRUE, TRUE, TRUE, TRUE, TRUE, TRUE, TRUE);
            panel->EnableActionButtons();
        }
        if (CWnd* main = services.MainWindow())
            main->PostMessage(WM_COMMAND, kMainWindowJunkTab, 0);
        ShowJunkPage(kJunkHomePage);
        if (g_junkPages.home)
            g_junkPages.home->SetFocus();
        return;
    }
    FillLocationList(locations);
    g_pJunkFinder->SetLocations(locations);
    if (CVantorixApp* app = JunkApp())
        g_pJunkFinder->SetOptions(CJunkFileFinder::ReadScanOptions(*app, unattended));

    services.EnableTabButtons(false);
    services.EnableCloseControls(false);
    if (CDlgLeftDlgBase* panel = services.Panel()) {
        panel->EnableNavButtons(FALSE, TRUE, FALSE, FALSE, FALSE, FALSE, FALSE);
        panel->DisableActionButtons();
    }
    if (!g_pJunkFinder->StartScan()) {
        // No thread: end as a scan that found nothing, so that no page waits for it.
        OnScanFinished(0, 0);
        return;
    }
    SetTimer(kRowBlinkTimer, 1024, nullptr);
    m_blinkOn = true;
    if (m_locationList.GetItemCount() > 0) {
        SetRowImage(m_locationList, 0, kAnalysingImage);
        m_locationList.SetItemText(0, 1, JunkText(L"IDS_HEADING_ANALYZING"));
    }
    m_stopButton.SetFocus();
}

void CDlgScan2Scanning::OnTimer(UINT_PTR id) {
    if (id == kStartScanTimer) {
        KillTimer(id);
        StartScan();
        return;
    }
    if (id != kRowBlinkTimer || m_nCurrentRow >= m_locationList.GetItemCount())
        return;
    m_blinkOn = !m_blinkOn;
    SetRowImage(m_locationList, m_nCurrentRow, m_blinkOn ? kAnalysingImage : kWaitingImage);
    m_locationList.SetItemText(m_nCurrentRow, 1,
                               m_blinkOn ? JunkText(L"IDS_HEADING_ANALYZING") : CString());
}

void CDlgScan2Scanning::MarkCurrentRowDone() {
    if (m_nCurrentRow < m_locationList.GetItemCount()) {
        SetRowImage(m_locationList, m_nCurrentRow, kDoneImage);
        m_locationList.SetItemText(m_nCurrentRow, 1, JunkText(L"IDS_CMPLT"));
    }
    for (int row = m_nCurrentRow + 1; row < m_locationList.GetItemCount(); ++row)
        m_locationList.SetItemText(row, 1, L"");
}

void CDlgScan2Scanning::OnStop() {
    if (g_bShutdownSwitch) {
        g_bShutdownSwitch = 0;
        WriteLog(L"Shutting down the System");
        JunkServices().ShutDown(JunkText(L"IDS_SHUTDOWN_MSG"));
    }
    g_bAutoFixSwitch = 0;
    KillTimer(kRowBlinkTimer);
    MarkCurrentRowDone();
    if (g_pJunkFinder)
        g_pJunkFinder->RequestScanStop();
}

LRESULT CDlgScan2Scanning::OnScanOutput(WPARAM wParam, LPARAM lParam) {
    // Every second report only: the label need not follow every folder.
    if (m_outputMessages++ % 2 != 0)
        return 0;
    const auto* path = reinterpret_cast<const wchar_t*>(wParam);
    if (path && m_lastPathShown != path) {
        m_lastPathShown = path;
        m_currentItem.SetWindowText(WrapPathText(m_lastPathShown));
    }
    ShowProgress(
        OverallScanPercent(m_nCurrentRow, m_locationList.GetItemCount(), static_cast<int>(lParam)));
    return 0;
}

int CDlgScan2Scanning::OverallScanPercent(int location, int locations, int locationPercent) {
    const int done = std::clamp(locationPercent, 0, 100);
    if (locations <= 0)
        return done;
    return std::clamp((std::max(location, 0) * 100 + done) / locations, 0, 100);
}

void CDlgScan2Scanning::ShowProgress(int percent) {
    if (percent == m_lastPercent)
        return;
    m_lastPercent = percent;
    m_progress.SetPos(percent);
}

LRESULT CDlgScan2Scanning::OnItemFound(WPARAM wParam, LPARAM) {
    // The engine tells the items found since its last report.
    m_nFound += static_cast<int>(wParam);
    ShowFoundCount();
    return 0;
}

LRESULT CDlgScan2Scanning::OnLocationChange(WPARAM, LPARAM) {
    MarkCurrentRowDone();
    ++m_nCurrentRow;
    ShowProgress(OverallScanPercent(m_nCurrentRow, m_locationList.GetItemCount(), 0));
    return 0;
}

LRESULT CDlgScan2Scanning::OnScanStopped(WPARAM wParam, LPARAM lParam) {
    WriteLog(L"ScanStop:\tDone");
    return OnScanFinished(wParam, lParam);
}

LRESULT CDlgScan2Scanning::OnScanFinished(WPARAM, LPARAM) {
    JunkPageServices& services = JunkServices();
    services.SetJobFlags(false, false, true);
    KillTimer(kRowBlinkTimer);
    MarkCurrentRowDone();
    const int count = g_pJunkFinder ? static_cast<int>(g_pJunkFinder->GetFoundCount()) : 0;
    if (count != m_nFound) {
        CString text;
        text.Format(L"Result Count Error %d and %d", count, m_nFound);
        WriteLog(text);
    }
    m_progress.SetPos(100);
    g_junkRun.found = count;

    CString scanTime = NowAsScanTime();
    if (CVantorixApp* app = JunkApp()) {
        static_cast<void>(app->SetSettingString(L"PF_1", scanTime));
        static_cast<void>(app->SetSettingString(L"PF_2", GroupedNumberText(count)));
        static_cast<void>(app->SetSettingDword(L"PF_3", app->GetSettingDword(L"PF_3") + count));
        CString size;
        FormatSizeWithUnits(size, false, g_pJunkFinder ? g_pJunkFinder->GetSelectedSize() : 0);
        static_cast<void>(app->SetSettingString(L"PF_6", size));
    }
    CountJunkItemsByCategory();

    ShowJunkPage(kJunkResultsPage);
    if (g_junkPages.results)
        g_junkPages.results->RefreshControls();
    services.EnableTabButtons(true);
    services.EnableCloseControls(true);
    if (CDlgLeftDlgBase* panel = services.Panel()) {
        panel->EnableNavButtons(TRUE, FALSE, TRUE, FALSE, FALSE, TRUE, TRUE);
        panel->EnableActionButtons();
    }

    CString longText;
    longText.Format(L"%d junk %s detected\r\n%s", count, ItemWord(count), scanTime.GetString());
    CString shortText;
    shortText.Format(L"%d junk %s detected", count, ItemWord(count));
    WriteLauncherStatus(kJunkLauncherModule, count < 1 ? 1 : 0, longText, shortText,
                        COleDateTime());
    if (g_junkPages.results)
        g_junkPages.results->FocusFirstControl();
    TellUnreadLocations();

    if (g_bScheduleSwitch && g_bAutoFixSwitch) {
        if (count > 0 && g_junkPages.results) {
            g_junkPages.results->StartCleaning();
        } else if (count == 0 && g_bShutdownSwitch) {
            g_bShutdownSwitch = 0;
            services.ShutDown(JunkText(L"IDS_SHUTDOWN_MSG"));
        }
    }
    return 0;
}

void CDlgScan2Scanning::TellUnreadLocations() {
    if (!g_pJunkFinder)
        return;
    const CStringArray& unread = g_pJunkFinder->GetUnreadLocations();
    if (unread.GetSize() == 0)
        return;
    CString list;
    for (INT_PTR i = 0; i < unread.GetSize(); ++i)
        list += (i > 0 ? L", " : L"") + unread[i];
    CString text;
    text.Format(JunkText(L"SCANTAB_LOCATIONS_NOT_READ"), list.GetString());
    // Nobody is there to answer during an unattended run: the log keeps it.
    if (g_pJunkFinder->IsUnattended())
        WriteLog(text);
    else
        AppMessageBox(text, MB_ICONERROR, this, nullptr, false);
}

LRESULT CDlgScan2Scanning::OnDeleteOutput(WPARAM wParam, LPARAM lParam) {
    CDlgScan4Cleanup* cleanup = g_junkPages.cleanup;
    if (!cleanup || !cleanup->GetSafeHwnd())
        return 0;
    return cleanup->SendMessage(kDeleteOutputMessage, wParam, lParam);
}

LRESULT CDlgScan2Scanning::OnDeleteFinished(WPARAM wParam, LPARAM lParam) {
    JunkServices().SetJobFlags(false, false, false);
    if (g_bShutdownSwitch) {
        g_bShutdownSwitch = 0;
        JunkServices().ShutDown(JunkText(L"IDS_SHUTDOWN_MSG"));
    }
    CDlgScan4Cleanup* cleanup = g_junkPages.cleanup;
    if (!cleanup || !cleanup->GetSafeHwnd())
        return 0;
    return cleanup->SendMessage(kDeleteFinishedMessage, wParam, lParam);
}

void CDlgScan2Scanning::OnPaint() {
    CSkinPaintDC memory(this);
    const CRect& client = memory.Client();
    // The description starts below the title, where the title icon would stand.
    DrawPageTitle(&memory, client, FALSE);
    memory.SetBkMode(TRANSPARENT);
    memory.SetTextColor(kTextColour);
    CSelectedFont font(memory.GetSafeHdc(), static_cast<HFONT>(g_fontUI.GetSafeHandle()));
    CRect description(22, 54, client.Width() - 22, 110);
    memory.DrawText(JunkText(L"SCANTAB2DESC"), &description, DT_WORDBREAK);
    {
        CSelectedFont bold(memory.GetSafeHdc(), static_cast<HFONT>(g_fontUIBold.GetSafeHandle()));
        CRect foundLabel(22, 117, 112, 135);
        memory.DrawText(JunkText(L"SCANTAB2ERRLABEL"), &foundLabel, DT_SINGLELINE);
        CRect currentLabel(22, 172, client.Width() - 22, 190);
        memory.DrawText(JunkText(L"SCANTAB2CURLABEL"), &currentLabel, DT_SINGLELINE);
    }
    CRect bottom(34, 400, client.Width() - 160, 440);
    memory.DrawText(JunkText(L"IDS_DLG2SCAN_BOTTOMTXT"), &bottom, DT_WORDBREAK);
}
