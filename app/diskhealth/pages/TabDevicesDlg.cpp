#include "TabDevicesDlg.h"

#include "DevicePropertyRows.h"
#include "DiskPageTexts.h"
#include "DiskPagesResource.h"

namespace {
constexpr wchar_t kSection[] = L"IDD_DEVICES_TAB";
} // namespace

BEGIN_MESSAGE_MAP(CTabDevicesDlg, CDiskToolsPage)
ON_BN_CLICKED(IDC_REFRESDEVICE, &CTabDevicesDlg::OnRefresh)
ON_BN_CLICKED(IDC_USBONLY, &CTabDevicesDlg::OnRefresh)
ON_NOTIFY(LVN_ITEMCHANGED, IDC_LIST_DEVICES, &CTabDevicesDlg::OnDeviceItemChanged)
END_MESSAGE_MAP()

CTabDevicesDlg::CTabDevicesDlg(CWnd* parent) : CDiskToolsPage(IDD_DEVICES_TAB, parent) {}

BOOL CTabDevicesDlg::OnInitDialog() {
    CDiskToolsPage::OnInitDialog();
    SetWindowText(AppText(L"TOOLTAB4DESC", kDiskToolsSection));
    m_usbOnly.SubclassDlgItem(IDC_USBONLY, this);
    m_usbOnly.SetWindowText(AppText(L"IDC_USBONLY", kSection));
    SetUpTextButton(m_refreshButton, IDC_REFRESDEVICE, L"IDC_REFRESDEVICE", kSection);
    // The tabs share the drive combo's set-up; this tab lists devices, not drives.
    SetUpDriveCombo(kSection);
    m_driveCombo.ShowWindow(SW_HIDE);
    GetDlgItem(IDC_STATIC_PHYSICAL_DISK)->ShowWindow(SW_HIDE);
    SetUpReportList(m_deviceList, IDC_LIST_DEVICES,
                    {{L"IDS_TYPE_DD", 200, LVCFMT_LEFT}, {L"IDS_NAME_DD", 300, LVCFMT_LEFT}});
    SetUpReportList(m_propertyList, IDC_LIST_DEVICE_PROPERTIES,
                    {{L"IDS_PROPERTY_DD", 150, LVCFMT_LEFT}, {L"IDS_TYPE_DD", 350, LVCFMT_LEFT}});
    LayOutPage();
    EnumerateStorageDevices(false);
    return TRUE;
}

void CTabDevicesDlg::Layout(int cx, int cy) {
    if (!m_propertyList.GetSafeHwnd())
        return;
    PlaceControl(IDC_USBONLY, 22, 44, 300, 20);
    PlaceControl(IDC_LIST_DEVICES, 22, 72, cx - 44, 180);
    PlaceControl(IDC_LIST_DEVICE_PROPERTIES, 22, 260, cx - 44, cy - 260 - 52);
    PlaceControl(IDC_REFRESDEVICE, cx - 137, cy - 41, 120, 28);
}

void CTabDevicesDlg::OnRefresh() {
    EnumerateStorageDevices(m_usbOnly.GetCheck() == BST_CHECKED);
}

void CTabDevicesDlg::EnumerateStorageDevices(bool usbOnly) {
    m_deviceList.DeleteAllItems();
    m_propertyList.DeleteAllItems();
    m_devices.clear();
    CDiskApi* api = GetDiskToolsState().api;
    if (!api || !api->EnumerateStorageDevices(usbOnly, m_devices))
        m_devices.clear();
    for (size_t i = 0; i < m_devices.size(); ++i) {
        const int row = AppendListRow(
            m_deviceList, {m_devices[i].classDescription.c_str(), m_devices[i].name.c_str()});
        m_deviceList.SetItemData(row, i);
    }
}

void CTabDevicesDlg::ShowDeviceProperties(const DeviceProperties& properties) {
    m_propertyList.DeleteAllItems();
    for (const DevicePropertyRow& row : DevicePropertyRows(properties))
        AppendListRow(m_propertyList, {row.first.c_str(), row.second.c_str()});
}

void CTabDevicesDlg::OnDeviceItemChanged(NMHDR* header, LRESULT* result) {
    *result = 0;
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
    if (change->iItem < 0 || (change->uNewState & LVIS_SELECTED) == 0 ||
        (change->uOldState & LVIS_SELECTED) != 0)
        return;
    const size_t index = m_deviceList.GetItemData(change->iItem);
    if (index < m_devices.size())
        ShowDeviceProperties(m_devices[index].properties);
}
