#include "DlgLastScanResults.h"

#include "DlgDFScanResult.h"
#include "DupePageIds.h"
#include "DupeWizard.h"

#include <LastScanFiles.h>

#include <PanelDrawing.h>
#include <SkinPaintDC.h>

namespace {
constexpr wchar_t kSection[] = L"IDD_DLG_DF_LAST_SCAN_RESULTS";
} // namespace

IMPLEMENT_DYNAMIC(CDlgLastScanResults, CDlgBaseWnd)

BEGIN_MESSAGE_MAP(CDlgLastScanResults, CDlgBaseWnd)
ON_WM_PAINT()
ON_WM_SIZE()
ON_BN_CLICKED(IDC_BUTTON_LOAD, &CDlgLastScanResults::OnLoad)
ON_BN_CLICKED(IDC_BUTTON_REMOVE, &CDlgLastScanResults::OnRemove)
END_MESSAGE_MAP()

CDlgLastScanResults::CDlgLastScanResults(CWnd* parent)
    : CDlgBaseWnd(IDD_DLG_DF_LAST_SCAN_RESULTS, parent) {}

BOOL CDlgLastScanResults::OnInitDialog() {
    CDlgBaseWnd::OnInitDialog();
    m_list.SubclassDlgItem(IDC_LIST_LAST_SCANS, this);
    m_btnLoad.SubclassDlgItem(IDC_BUTTON_LOAD, this);
    m_btnRemove.SubclassDlgItem(IDC_BUTTON_REMOVE, this);
    for (CHoverButtonWithText* button : {&m_btnLoad, &m_btnRemove}) {
        LoadFourFrameStrip(*button, 1076);
        StyleDarkTextButton(button);
    }
    SetCaptions(this, kSection,
                {{IDC_BUTTON_LOAD, L"IDC_BUTTON_LOAD"}, {IDC_BUTTON_REMOVE, L"IDC_BUTTON_REMOVE"}});
    if (m_toolTip.GetSafeHwnd() != nullptr) {
        m_toolTip.AddTool(&m_btnRemove, DupeText(L"IDS_TOOLTIP_REMOV_SETTING"));
        m_toolTip.AddTool(&m_btnLoad, DupeText(L"IDS_TOOLTIP_LOAD_SETTING "));
    }
    CRect client;
    GetClientRect(&client);
    OnSize(SIZE_RESTORED, client.Width(), client.Height());
    m_list.GetClientRect(&client);
    m_list.InsertColumn(0, L"Scan Results", LVCFMT_LEFT, client.Width() - 17);
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    m_list.SetBkColor(RGB(251, 251, 251));
    m_list.SetTextBkColor(RGB(251, 251, 251));
    MakeIconList(m_icons, {1313});
    m_list.SetImageList(&m_icons, LVSIL_SMALL);
    m_icon.Reset(LoadSmallIcon(1314));
    UpdateButtons();
    return TRUE;
}

void CDlgLastScanResults::RefreshList() {
    m_list.DeleteAllItems();
    const std::vector<CString> names = RefreshLastScanFiles(DupeHost().DataFolder());
    for (const CString& name : names)
        m_list.InsertItem(m_list.GetItemCount(), name, 0);
    if (m_list.GetItemCount() > 0)
        m_list.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    UpdateButtons();
}

void CDlgLastScanResults::UpdateButtons() {
    const bool any = m_list.GetItemCount() > 0;
    m_btnLoad.EnableWindow(any);
    m_btnRemove.EnableWindow(any);
}

void CDlgLastScanResults::OnLoad() {
    const int row = m_list.GetNextItem(-1, LVNI_SELECTED);
    if (row < 0)
        return;
    const LastScanLoad loaded =
        LoadLastScanFile(DupeHost().Finder(), DupeHost().DataFolder(), m_list.GetItemText(row, 0));
    if (loaded == LastScanLoad::kDamaged)
        DupeMessage(L"IDS_LAST_SCAN_NOT_LOADED", MB_ICONERROR);
    else if (loaded == LastScanLoad::kOutsideLocations)
        DupeMessage(L"IDS_LAST_SCAN_OUTSIDE_LOCATIONS", MB_ICONERROR);
    if (loaded != LastScanLoad::kLoaded)
        return;
    DupeHost().ShowDuplicatesTab();
    CDlgDFScanResult* results = TheDupePages().results;
    if (results == nullptr)
        return;
    results->PostCommandToParent(kDupeResultsPage);
    results->StartGrouping(true);
}

void CDlgLastScanResults::OnRemove() {
    const int row = m_list.GetNextItem(-1, LVNI_SELECTED);
    if (row < 0)
        return;
    (void)RemoveLastScanFile(DupeHost().DataFolder(), m_list.GetItemText(row, 0));
    m_list.DeleteItem(row);
    if (m_list.GetItemCount() > 0)
        m_list.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    UpdateButtons();
}

void CDlgLastScanResults::OnPaint() {
    CSkinPaintDC memory(this);
    const CRect& client = memory.Client();
    DrawPageText(&memory, DupeText(L"LAST_RES_DESC"), RECT{22, 4, 570, 39}, kDupeTextColour);
    DrawRoundedPanelPlain(&memory, 22, 36, 336, 545);
    if (m_icon)
        ::DrawIconEx(memory.GetSafeHdc(), 37, 45, m_icon.Get(), 16, 16, 0, nullptr, DI_NORMAL);
    DrawPageText(&memory, DupeText(L"IDS_LAST_SCAN_RES_LIST"), RECT{58, 44, 408, 64},
                 kDupeHeadingColour, DT_SINGLELINE);
    DrawPageText(&memory, DupeText(L"IDS_NOTE_LASTSCAN_RES"),
                 RECT{22, client.Height() - 40, 372, client.Height()}, kDupeTextColour);
}

void CDlgLastScanResults::OnSize(UINT, int, int) {
    if (m_btnLoad.GetSafeHwnd() == nullptr)
        return;
    m_list.MoveWindow(34, 72, 520, 247);
    m_btnLoad.MoveWindow(38, 343, 86, 24);
    m_btnRemove.MoveWindow(131, 343, 86, 24);
}
