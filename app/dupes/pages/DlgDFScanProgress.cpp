#include "DlgDFScanProgress.h"

#include "DlgDFScanResult.h"
#include "DlgDFSelectLocation.h"
#include "DlgDFWelCome.h"
#include "DupePageIds.h"
#include "DupeWizard.h"

#include <DupeFinder.h>

#include <SkinPaintDC.h>

#include <objbase.h>
#include <process.h>

namespace {
constexpr wchar_t kSection[] = L"IDD_DLG_DF_SCANPROGRESS";
constexpr UINT kScanAnimation = 1399;
enum RowIcon { kIconIdle = 0, kIconDone = 1, kIconPending = 2, kIconBlink = 3 };
// Posted by the walk (timers belong to the page's own thread): wParam 1 started, 0 ended.
constexpr UINT kWalkStateMessage = WM_APP + 41;
} // namespace

std::atomic<int> CDlgDFScanProgress::s_running{0};

IMPLEMENT_DYNAMIC(CDlgDFScanProgress, CDlgLeftSideChild)

BEGIN_MESSAGE_MAP(CDlgDFScanProgress, CDlgLeftSideChild)
ON_WM_PAINT()
ON_WM_SIZE()
ON_WM_TIMER()
ON_BN_CLICKED(IDC_STOP_SCAN_DUPP, &CDlgDFScanProgress::OnStop)
ON_MESSAGE(kWalkStateMessage, &CDlgDFScanProgress::OnWalkState)
END_MESSAGE_MAP()

CDlgDFScanProgress::CDlgDFScanProgress(CWnd* parent)
    : CDlgLeftSideChild(IDD_DLG_DF_SCANPROGRESS, parent) {
    TheDupePages().progress = this;
}

CDlgDFScanProgress::~CDlgDFScanProgress() {
    // The walk writes to this page: it ends before the page goes.
    m_stop = true;
    if (m_worker.IsValid())
        ::WaitForSingleObject(m_worker.Get(), INFINITE);
    if (TheDupePages().progress == this)
        TheDupePages().progress = nullptr;
}

BOOL CDlgDFScanProgress::OnInitDialog() {
    CDlgLeftSideChild::OnInitDialog();
    SetWindowText(DupeText(L"SCANPROGRESS_HEADING"));
    m_list.SubclassDlgItem(IDC_LIST_SCAN_DUPP, this);
    m_animation.SubclassDlgItem(IDC_ANIMATE_DUPP, this);
    m_btnStop.SubclassDlgItem(IDC_STOP_SCAN_DUPP, this);
    LoadFourFrameStrip(m_btnStop, 1074);
    StyleLightTextButton(&m_btnStop);
    SetCaptions(this, kSection,
                {{IDC_STOP_SCAN_DUPP, L"IDC_STOP_SCAN_DUPP"},
                 {IDC_CURRENT_SCAN_ITEM_DUPP, L"IDC_CURRENT_SCAN_ITEM_DUPP"}});
    CRect client;
    OnSize(SIZE_RESTORED, kDupePageWidth, kDupePageHeight);
    m_list.GetClientRect(&client);
    m_list.InsertColumn(0, DupeText(L"SCANTAB2LS1"), LVCFMT_LEFT, client.Width() * 2 / 3 - 18);
    m_list.InsertColumn(1, DupeText(L"SCANTAB2LS2"), LVCFMT_LEFT, client.Width() / 3);
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_FULLROWSELECT);
    m_list.SetBkColor(RGB(251, 251, 251));
    m_list.SetTextBkColor(RGB(251, 251, 251));
    MakeIconList(m_icons, {1292, 1312, 1294, 1304});
    m_list.SetImageList(&m_icons, LVSIL_SMALL);
    if (m_toolTip.GetSafeHwnd() != nullptr)
        m_toolTip.AddTool(&m_list, DupeText(L"IDS_TOOLTIP_SCANNINGLIST"));
    return TRUE;
}

void CDlgDFScanProgress::StartScan(const CStringArray& locations, const CStringArray& ignoreList,
                                   const CStringArray& masks) {
    if (CDlgDFWelCome* welcome = TheDupePages().welcome)
        welcome->StampLastScanDate();
    if (IsWalkRunning())
        return;
    DupeHost().Finder().Reset();
    m_locations.RemoveAll();
    if (locations.GetSize() > 0)
        m_locations.Append(locations);
    else if (CDlgDFSelectLocation* page = TheDupePages().locations)
        page->GetItemToScan(m_locations);
    m_ignoreList.RemoveAll();
    m_ignoreList.Append(ignoreList);
    m_masks.RemoveAll();
    if (masks.GetSize() > 0)
        m_masks.Append(masks);
    else
        m_masks.Add(L"*.*");

    m_list.DeleteAllItems();
    m_nCurrent = 0;
    ::ShowWindow(::GetDlgItem(m_hWnd, IDC_PROGRESS_SCAN_DUPP), SW_HIDE);
    const CString pending = DupeText(L"IDS_PENDING");
    for (int i = 0; i < m_locations.GetSize(); ++i) {
        m_list.InsertItem(i, m_locations[i], kIconPending);
        m_list.SetItemText(i, 1, pending);
    }
    SetDlgItemText(IDC_CURRENT_SCAN_ITEM_DUPP, L"");
    PostCommandToParent(kDupeProgressPage);
    m_animation.Open(kScanAnimation);
    m_animation.Play(0, static_cast<UINT>(-1), static_cast<UINT>(-1));
    m_btnStop.EnableWindow(TRUE);
    // The previous walk has ended (none runs): its handle goes before the next one starts.
    m_worker.Reset();
    m_stop = false;
    ++s_running;
    const uintptr_t thread = _beginthreadex(nullptr, 0, &FileFindThreadProc, this, 0, nullptr);
    if (thread == 0) {
        --s_running;
        m_stop = true;
        SetTimer(kHandOverTimer, 101, nullptr);
        return;
    }
    m_worker = KernelHandle(reinterpret_cast<HANDLE>(thread));
}

unsigned __stdcall CDlgDFScanProgress::FileFindThreadProc(void* page) {
    static_cast<CDlgDFScanProgress*>(page)->RunWalk();
    return 0;
}

void CDlgDFScanProgress::RunWalk() {
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    PostMessage(kWalkStateMessage, 1);
    CDupeFolderWalk walk(DupeHost().Finder(), m_ignoreList, m_masks, m_stop, this);
    walk.Walk(m_locations);
    if (m_stop)
        m_animation.Stop();
    if (CDlgDFScanResult* results = TheDupePages().results) {
        results->SetUnreadLocations(walk.UnreadLocations());
        if (m_stop)
            results->SetScanStatus(DupeText(L"IDS_SCAN_ABORT"), kDupeBadColour);
        else
            results->SetScanStatus(DupeText(L"IDS_SCAN_COMPLETE"), kDupeGoodColour);
    }
    m_stop = true;
    --s_running;
    PostMessage(kWalkStateMessage, 0);
    if (SUCCEEDED(com))
        ::CoUninitialize();
}

bool CDlgDFScanProgress::WaitForWalk(DWORD timeoutMs) {
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    while (IsWalkRunning()) {
        if (::GetTickCount64() > end)
            return false;
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

LRESULT CDlgDFScanProgress::OnWalkState(WPARAM started, LPARAM) {
    if (started != 0 && IsWalkRunning()) {
        SetTimer(kBlinkTimer, 128, nullptr);
    } else if (started == 0) {
        KillTimer(kBlinkTimer);
        SetTimer(kHandOverTimer, 101, nullptr);
    }
    return 0;
}

void CDlgDFScanProgress::OnFolderEntered(const CString& folder) {
    ::SetDlgItemTextW(m_hWnd, IDC_CURRENT_SCAN_ITEM_DUPP, folder);
}

void CDlgDFScanProgress::OnLocationDone(int index) {
    SetRowState(index, L"IDS_ANALYZED", kIconDone);
    m_nCurrent = index + 1;
}

void CDlgDFScanProgress::SetRowState(int row, LPCWSTR textKey, int icon) {
    if (row < 0 || row >= m_list.GetItemCount())
        return;
    m_list.SetItemText(row, 1, DupeText(textKey));
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    item.iImage = icon;
    m_list.SetItem(&item);
}

void CDlgDFScanProgress::OnStop() {
    m_animation.Stop();
    m_stop = true;
}

void CDlgDFScanProgress::OnTimer(UINT_PTR id) {
    if (id == kBlinkTimer) {
        m_bBlink = !m_bBlink;
        if (IsWalkRunning())
            SetRowState(m_nCurrent, L"IDS_ANALYZING", m_bBlink ? kIconBlink : kIconIdle);
        return;
    }
    if (id == kHandOverTimer) {
        KillTimer(kHandOverTimer);
        m_animation.Stop();
        m_btnStop.EnableWindow(FALSE);
        if (CDlgDFScanResult* results = TheDupePages().results)
            results->StartGrouping(false);
    }
}

void CDlgDFScanProgress::OnPaint() {
    CSkinPaintDC memory(this);
    const CRect& client = memory.Client();
    DrawPageTitle(&memory, client, FALSE);
    DrawPageText(&memory, DupeText(L"SCANPROGRESS_DESC"), RECT{22, 54, 570, 90}, kDupeTextColour);
    DrawPageText(&memory, DupeText(L"IDS_CURRSCANNING"), RECT{22, 318, 570, 336},
                 kDupeHeadingColour, DT_SINGLELINE);
    if (m_rcNote.IsRectEmpty())
        m_rcNote = CRect(22, client.Height() - 34, 400, client.Height() + 6);
    DrawPageText(&memory, DupeText(L"SCANPROGFRESS_NOTE"), m_rcNote, kDupeTextColour);
}

void CDlgDFScanProgress::OnSize(UINT, int, int) {
    // A size posted while the window was made may be stale: the window\'s own counts.
    const CSize client = ClientSizeOf(this);
    const int cx = client.cx;
    const int cy = client.cy;
    if (m_btnStop.GetSafeHwnd() == nullptr)
        return;
    m_list.MoveWindow(22, 96, 548, 210);
    m_animation.MoveWindow(22, 340, 134, 13);
    GetDlgItem(IDC_CURRENT_SCAN_ITEM_DUPP)->MoveWindow(22, 358, 548, 34);
    GetDlgItem(IDC_PROGRESS_SCAN_DUPP)->MoveWindow(22, 340, 548, 12);
    m_btnStop.MoveWindow(cx - 141, cy - 40, 120, 28);
}
