// The information, S.M.A.R.T. and devices tabs on simulated disks: rows read back from their
// lists, drive changes through the combo, and each tab photographed.
#include "PagesTestSupport.h"

#include <DiskPageTexts.h>
#include <DiskPagesResource.h>
#include <SimulatedDiskConfig.h>
#include <TabDevicesDlg.h>
#include <TabHealthDlg.h>
#include <TabInfoDlg.h>

#include <WindowsDiskApi.h>

namespace {

// A page created in a host window the size of the main window's page frame.
template <typename Page> struct HostedPage {
    HostedPage() : host(RGB(255, 255, 255), 591, 473) {
        EXPECT_TRUE(page.Create(page.m_nTemplateId, &host));
        page.MoveWindow(0, 0, 591, 473);
        page.ShowWindow(SW_SHOW);
        PumpFor(100);
    }
    ~HostedPage() { page.DestroyWindow(); }
    HWND Item(int id) const { return ::GetDlgItem(page.m_hWnd, id); }
    HostWindow host;
    Page page;
};

std::wstring ColumnTitle(HWND list, int column) {
    wchar_t text[128] = {};
    LVCOLUMNW header{};
    header.mask = LVCF_TEXT;
    header.pszText = text;
    header.cchTextMax = 128;
    return ListView_GetColumn(list, column, &header) ? text : L"(no column)";
}

int FindRow(HWND list, const std::wstring& first) {
    for (int row = 0; row < ListRows(list); ++row)
        if (ListText(list, row, 0) == first)
            return row;
    return -1;
}

} // namespace

TEST(InfoTab, IdentityVolumesAndFeaturesOfTheChosenDrive) {
    SimulatedDisks disks;
    HostedPage<CTabInfoDlg> tab;
    const HWND combo = tab.Item(IDC_COMBO_PHYSICAL_DISK);
    ASSERT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 4);
    EXPECT_EQ(disks.tables->selectedDrive, 0);
    EXPECT_EQ(WindowText(tab.Item(IDC_FIRMWARE)), L"01.01A01");
    EXPECT_EQ(WindowText(tab.Item(IDC_SERIAL)), L"WD-WCC6Y3KJ1234");
    EXPECT_EQ(WindowText(tab.Item(IDC_BYTESSECTOR)), L"512");
    EXPECT_EQ(WindowText(tab.Item(IDC_TRACKS)), L"16");
    EXPECT_EQ(WindowText(tab.Item(IDC_CYLINDERS)), L"2000");
    EXPECT_EQ(WindowText(tab.Item(IDC_BUFFER)), L"8.0 MB");
    EXPECT_EQ(WindowText(tab.Item(IDC_MAXLBA)), L"2016000");

    // Two volumes and the partition without one, whose name comes from its type.
    const HWND volumes = tab.Item(IDC_LIST_VOLUMES);
    ASSERT_EQ(ListRows(volumes), 3);
    EXPECT_EQ(ListText(volumes, 0, 1), L"C:\\");
    EXPECT_EQ(ListText(volumes, 0, 2), L"System");
    EXPECT_EQ(ListText(volumes, 0, 6), L"Yes");
    EXPECT_EQ(ListText(volumes, 1, 6), L"No");
    EXPECT_EQ(ListText(volumes, 2, 0), L"3");
    EXPECT_EQ(ListText(volumes, 2, 1), L"N/A");
    EXPECT_EQ(ListText(volumes, 2, 2), L"N/A");
    EXPECT_EQ(ListText(volumes, 2, 3), L"FAT32");

    // The three transfer-mode rows, then the 29 feature rows.
    const HWND features = tab.Item(IDC_LIST_FEATURES);
    ASSERT_EQ(ListRows(features), 32);
    EXPECT_EQ(ListText(features, 0, 0), L"Ultra DMA Modes");
    EXPECT_EQ(ListText(features, 0, 1), L"0, 1, 2, 3, 4, 5, 6");
    EXPECT_EQ(ListText(features, 0, 2), L"5");
    EXPECT_EQ(ListText(features, 2, 1), L"0, 1, 2, 3, 4");
    const int writeCache = FindRow(features, L"Write Cache");
    ASSERT_GE(writeCache, 0);
    EXPECT_EQ(ListText(features, writeCache, 1), L"Yes");
    EXPECT_EQ(ListText(features, writeCache, 2), L"Yes");
    const int lookAhead = FindRow(features, L"Read Look-Ahead");
    EXPECT_EQ(ListText(features, lookAhead, 1), L"Yes");
    EXPECT_EQ(ListText(features, lookAhead, 2), L"Yes");
    // Supported but switched off; not supported at all; no enabled flag.
    const int security = FindRow(features, L"Security Mode");
    EXPECT_EQ(ListText(features, security, 1), L"Yes");
    EXPECT_EQ(ListText(features, security, 2), L"No");
    const int streaming = FindRow(features, L"Streaming");
    EXPECT_EQ(ListText(features, streaming, 1), L"No");
    EXPECT_EQ(ListText(features, streaming, 2), L"No");
    const int ncq = FindRow(features, L"Native Command Queuing");
    EXPECT_EQ(ListText(features, ncq, 2), L"-");
    Photograph(&tab.page, L"disk_info_tab.png");

    // The USB stick: identity from the storage descriptor, no feature rows.
    ChooseComboItem(&tab.page, IDC_COMBO_PHYSICAL_DISK, 2);
    EXPECT_EQ(disks.tables->selectedDrive, 2);
    EXPECT_EQ(ListRows(features), 0);
    EXPECT_EQ(WindowText(tab.Item(IDC_BUFFER)), L"N/A");
    EXPECT_EQ(WindowText(tab.Item(IDC_STANDART)), L"N/A");
    EXPECT_EQ(WindowText(tab.Item(IDC_MAXLBA)), L"N/A");
    ASSERT_EQ(ListRows(volumes), 1);
    EXPECT_EQ(ListText(volumes, 0, 1), L"E:\\");
    Photograph(&tab.page, L"disk_info_tab_usb.png");

    // Choosing refills from the tables without reading the devices again.
    const size_t handles = disks.api.OpenHandleCount();
    disks.tables->drives[0].firmwareRevision[0] = L'X';
    ChooseComboItem(&tab.page, IDC_COMBO_PHYSICAL_DISK, 0);
    EXPECT_EQ(WindowText(tab.Item(IDC_FIRMWARE)), L"X1.01A01");
    EXPECT_EQ(disks.api.OpenHandleCount(), handles);
}

TEST(InfoTab, NoDriveLeavesEverythingEmpty) {
    SimulatedDisks disks;
    for (PhysicalDriveInfo& drive : disks.tables->drives)
        drive.driveNumber = -1;
    HostedPage<CTabInfoDlg> tab;
    EXPECT_EQ(SendMessageW(tab.Item(IDC_COMBO_PHYSICAL_DISK), CB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(disks.tables->selectedDrive, -1);
    EXPECT_EQ(ListRows(tab.Item(IDC_LIST_VOLUMES)), 0);
    EXPECT_EQ(ListRows(tab.Item(IDC_LIST_FEATURES)), 0);
    EXPECT_EQ(WindowText(tab.Item(IDC_FIRMWARE)), L"");
    HostedPage<CTabHealthDlg> health;
    EXPECT_EQ(ListRows(health.Item(IDC_LIST_ATTRIBUTES)), 0);
}

TEST(HealthTab, AttributesWithNamesAndStates) {
    SimulatedDisks disks;
    HostedPage<CTabHealthDlg> tab;
    const HWND list = tab.Item(IDC_LIST_ATTRIBUTES);
    ASSERT_EQ(ListRows(list), 8);
    EXPECT_EQ(ListText(list, 0, 0), L"(01) Raw Read Error Rate");
    EXPECT_EQ(ListText(list, 0, 1), L"200");
    EXPECT_EQ(ListText(list, 0, 3), L"51");
    EXPECT_EQ(ListText(list, 0, 5), L"002F");
    EXPECT_EQ(ListText(list, 0, 6), L"OK");
    EXPECT_EQ(ListText(list, 1, 4), L"0000000010E0");
    // Id order, whatever the drive's list order.
    EXPECT_EQ(ListText(list, 5, 0), L"(C2) Temperature");
    EXPECT_EQ(ListText(list, 7, 0), L"(C7) UltraDMA CRC Error Count");
    Photograph(&tab.page, L"disk_health_tab.png");

    // A reallocated sector count at its threshold is BAD.
    ChooseComboItem(&tab.page, IDC_COMBO_PHYSICAL_DISK, 3);
    ASSERT_EQ(ListRows(list), 3);
    EXPECT_EQ(ListView_GetColumnWidth(list, 0), 182);
    EXPECT_EQ(ListText(list, 1, 0), L"(05) Reallocated Sector Count");
    EXPECT_EQ(ListText(list, 1, 6), L"BAD");
    EXPECT_EQ(ListText(list, 0, 6), L"OK");
    Photograph(&tab.page, L"disk_health_tab_failing.png");

    // Without S.M.A.R.T. the two explanations.
    for (int item : {1, 2}) {
        ChooseComboItem(&tab.page, IDC_COMBO_PHYSICAL_DISK, item);
        ASSERT_EQ(ListRows(list), 2) << item;
        EXPECT_EQ(ListText(list, 0, 0), L"This disk reports no S.M.A.R.T. data.");
        EXPECT_NE(ListText(list, 1, 0), L"");
        EXPECT_GT(ListView_GetColumnWidth(list, 0), 300) << "the sentences are not cut";
    }
    Photograph(&tab.page, L"disk_health_tab_usb.png");
}

TEST(HealthTab, RefreshReadsTheDrivesAgain) {
    SimulatedDisks disks;
    HostedPage<CTabHealthDlg> tab;
    ChooseComboItem(&tab.page, IDC_COMBO_PHYSICAL_DISK, 3);
    // The disk's attribute list changes on the device: only the refresh shows it.
    AddDisk(disks.api, 3,
            "geometry 512 63 255 1000\nmodel ST2000DM001-1CH164\n"
            "attribute 5 0x0033 100 100 36 000000000000\n"
            "attribute 5 0x0033 1 1 36 000000000000\n");
    ChooseComboItem(&tab.page, IDC_COMBO_PHYSICAL_DISK, 3);
    EXPECT_EQ(ListRows(tab.Item(IDC_LIST_ATTRIBUTES)), 3);
    SendMessageW(tab.Item(IDC_REFRESHATTR), BM_CLICK, 0, 0);
    PumpFor(100);
    const HWND list = tab.Item(IDC_LIST_ATTRIBUTES);
    // A repeated id ends the list: only the first entry stays.
    ASSERT_EQ(ListRows(list), 1);
    EXPECT_EQ(ListText(list, 0, 6), L"OK");
    EXPECT_EQ(disks.tables->selectedDrive, 3);
}

TEST(DevicesTab, SimulatedDevicesAndTheirProperties) {
    SimulatedDisks disks;
    HostedPage<CTabDevicesDlg> tab;
    EXPECT_FALSE(::IsWindowVisible(tab.Item(IDC_COMBO_PHYSICAL_DISK)));
    const HWND devices = tab.Item(IDC_LIST_DEVICES);
    const int all = ListRows(devices);
    ASSERT_GE(all, 4);
    int stick = -1;
    for (int row = 0; row < all; ++row)
        if (ListText(devices, row, 1).find(L"Cruzer") != std::wstring::npos)
            stick = row;
    ASSERT_GE(stick, 0);
    ListView_SetItemState(devices, stick, LVIS_SELECTED | LVIS_FOCUSED,
                          LVIS_SELECTED | LVIS_FOCUSED);
    PumpFor(100);
    const HWND properties = tab.Item(IDC_LIST_DEVICE_PROPERTIES);
    ASSERT_GT(ListRows(properties), 0);
    bool friendly = false;
    for (int row = 0; row < ListRows(properties); ++row)
        friendly = friendly || (ListText(properties, row, 0) == L"Friendly Name" &&
                                ListText(properties, row, 1).find(L"Cruzer") != std::wstring::npos);
    EXPECT_TRUE(friendly);
    // Both lists title their columns from the disk tools' texts: the devices by type and
    // name, their properties by property and type.
    const std::wstring type = std::wstring(AppText(L"IDS_TYPE_DD", kDiskToolsSection));
    ASSERT_FALSE(type.empty());
    EXPECT_EQ(ColumnTitle(devices, 0), type);
    EXPECT_EQ(ColumnTitle(devices, 1), std::wstring(AppText(L"IDS_NAME_DD", kDiskToolsSection)));
    EXPECT_EQ(ColumnTitle(properties, 0),
              std::wstring(AppText(L"IDS_PROPERTY_DD", kDiskToolsSection)));
    EXPECT_EQ(ColumnTitle(properties, 1), type);
    Photograph(&tab.page, L"disk_devices_tab.png");

    // USB only: fewer rows, every one of class USB; refreshing again lists the same.
    SendMessageW(tab.Item(IDC_USBONLY), BM_CLICK, 0, 0);
    PumpFor(100);
    const int usb = ListRows(devices);
    EXPECT_GT(usb, 0);
    EXPECT_LT(usb, all);
    EXPECT_EQ(ListRows(properties), 0);
    SendMessageW(tab.Item(IDC_REFRESDEVICE), BM_CLICK, 0, 0);
    PumpFor(100);
    EXPECT_EQ(ListRows(devices), usb);
    EXPECT_EQ(tab.page.m_devices.size(), static_cast<size_t>(usb));
    SendMessageW(tab.Item(IDC_USBONLY), BM_CLICK, 0, 0);
    PumpFor(100);
    EXPECT_EQ(ListRows(devices), all);
}

TEST(DevicesTab, TheMachinesOwnDevicesWithoutACrash) {
    SimulatedDisks disks;
    CWindowsDiskApi windows;
    disks.state.api = &windows;
    HostedPage<CTabDevicesDlg> tab;
    // Wine's SetupAPI lists no disks; a real machine lists some. Either way rows read back.
    const HWND devices = tab.Item(IDC_LIST_DEVICES);
    for (int row = 0; row < ListRows(devices); ++row)
        EXPECT_NE(ListText(devices, row, 1), L"");
    SendMessageW(tab.Item(IDC_USBONLY), BM_CLICK, 0, 0);
    PumpFor(100);
    Photograph(&tab.page, L"disk_devices_tab_machine.png");
}

TEST(DiskToolsState, TheApplicationsTablesAndDrivesWithALayerAndFigures) {
    EXPECT_EQ(GetDiskToolsState().tables, nullptr) << "nothing registered";
    auto tables = std::make_unique<PhysicalDiskTables>();
    DriveList drives;
    RegisterApplicationDiskTools(*tables, drives);
    EXPECT_EQ(GetDiskToolsState().tables, tables.get());
    EXPECT_EQ(GetDiskToolsState().drives, &drives);
    EXPECT_NE(GetDiskToolsState().api, nullptr);
    EXPECT_NE(GetDiskToolsState().benchmark, nullptr);
    EXPECT_EQ(GetDiskToolsState().sampleSharePercent, 10u);
    SetDiskToolsState(nullptr);
    EXPECT_EQ(GetDiskToolsState().tables, nullptr);
}
