#include "TabHealthDlg.h"

#include "DiskPageTexts.h"
#include "DiskPagesResource.h"
#include "DriveCombo.h"
#include "PhysicalDiskReader.h"
#include "SmartAttributeNames.h"

namespace {
constexpr wchar_t kSection[] = L"IDD_HEALTH_TAB";
constexpr int kStatusColumn = 6;
constexpr int kNameColumnWidth = 182;
// The attention colour of the result screens.
constexpr COLORREF kAttention = RGB(0xA9, 0x01, 0x01);
} // namespace

BEGIN_MESSAGE_MAP(CTabHealthDlg, CDiskToolsPage)
ON_CBN_SELCHANGE(IDC_COMBO_PHYSICAL_DISK, &CTabHealthDlg::OnDriveComboChange)
ON_MESSAGE(kDriveSelectionChanged, &CTabHealthDlg::OnDriveSelectionChanged)
ON_BN_CLICKED(IDC_REFRESHATTR, &CTabHealthDlg::OnRefresh)
ON_NOTIFY(NM_CUSTOMDRAW, IDC_LIST_ATTRIBUTES, &CTabHealthDlg::OnAttributeCustomDraw)
END_MESSAGE_MAP()

CTabHealthDlg::CTabHealthDlg(CWnd* parent) : CDiskToolsPage(IDD_HEALTH_TAB, parent) {}

BOOL CTabHealthDlg::OnInitDialog() {
    CDiskToolsPage::OnInitDialog();
    SetWindowText(AppText(L"TOOLTAB2DESC", kDiskToolsSection));
    SetUpTextButton(m_refreshButton, IDC_REFRESHATTR, L"IDC_REFRESHATTR", kSection);
    SetUpDriveCombo(kSection);
    SetUpReportList(m_attributeList, IDC_LIST_ATTRIBUTES,
                    {{L"IDS_ID_DI", kNameColumnWidth, LVCFMT_LEFT},
                     {L"IDS_CURRENT_DI", 56, LVCFMT_LEFT},
                     {L"IDS_WORST_DI", 46, LVCFMT_LEFT},
                     {L"IDS_THRESHOLD_DI", 70, LVCFMT_LEFT},
                     {L"IDS_DATA_DI", 94, LVCFMT_LEFT},
                     {L"IDS_FLAGS_DI", 44, LVCFMT_LEFT},
                     {L"IDS_STATUS_DI", 50, LVCFMT_LEFT}});
    LayOutPage();
    FillSmartAttributes();
    return TRUE;
}

void CTabHealthDlg::Layout(int cx, int cy) {
    if (!m_attributeList.GetSafeHwnd())
        return;
    PlaceControl(IDC_LIST_ATTRIBUTES, 22, 72, cx - 44, cy - 72 - 52);
    PlaceControl(IDC_REFRESHATTR, cx - 137, cy - 41, 120, 28);
}

LRESULT CTabHealthDlg::OnDriveSelectionChanged(WPARAM, LPARAM) {
    FillSmartAttributes();
    return 0;
}

void CTabHealthDlg::OnRefresh() {
    DiskToolsState& state = GetDiskToolsState();
    if (state.tables && state.api) {
        CWaitCursor wait;
        static_cast<void>(EnumerateVolumes(*state.api, state.tables->volumes));
        static_cast<void>(
            ReadPhysicalDrivesInfo(*state.api, state.tables->drives, state.tables->volumes));
    }
    FillSmartAttributes();
}

void CTabHealthDlg::FillSmartAttributes() {
    m_attributeList.DeleteAllItems();
    m_attributeList.SetColumnWidth(0, kNameColumnWidth);
    const PhysicalDriveInfo* drive = SelectedDrive();
    if (!drive)
        return;
    for (const SmartAttributeText& slot : drive->attributes) {
        if (slot.id == -1)
            continue;
        AppendListRow(m_attributeList, {SmartAttributeName(slot.id), slot.current, slot.worst,
                                        slot.threshold, slot.rawData, slot.flags, slot.status});
    }
    if (m_attributeList.GetItemCount() == 0) {
        AppendListRow(m_attributeList, {AppText(L"IDS_NO_SMART_DATA", L"")});
        AppendListRow(m_attributeList, {AppText(L"IDS_CAUSES_SMART_DATA", L"")});
        // The explanations are whole sentences: the first column takes the room they need.
        m_attributeList.SetColumnWidth(0, LVSCW_AUTOSIZE);
    }
}

void CTabHealthDlg::OnAttributeCustomDraw(NMHDR* header, LRESULT* result) {
    auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(header);
    *result = CDRF_DODEFAULT;
    if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) {
        *result = CDRF_NOTIFYITEMDRAW;
    } else if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
        const int row = static_cast<int>(draw->nmcd.dwItemSpec);
        // An attribute past its threshold stands out.
        if (m_attributeList.GetItemText(row, kStatusColumn) == L"BAD")
            draw->clrText = kAttention;
    }
}
