#include "DiskToolsPage.h"

#include "DiskPageTexts.h"
#include "DiskPagesResource.h"
#include "DriveCombo.h"

#include <SkinPaintDC.h>
#include <TextButtonStyle.h>

BEGIN_MESSAGE_MAP(CDiskToolsPage, CDlgLeftSideChild)
ON_WM_PAINT()
ON_WM_SIZE()
END_MESSAGE_MAP()

const PhysicalDriveInfo* CDiskToolsPage::SelectedDrive() {
    const PhysicalDiskTables* tables = GetDiskToolsState().tables;
    if (!tables || tables->selectedDrive < 0 || tables->selectedDrive >= kMaxPhysicalDrives)
        return nullptr;
    return &tables->drives[tables->selectedDrive];
}

void CDiskToolsPage::OnPaint() {
    CSkinPaintDC memory(this);
    const CRect& client = memory.Client();
    DrawPageTitle(&memory, client, FALSE);
}

void CDiskToolsPage::LayOutPage() {
    CRect client;
    GetClientRect(&client);
    Layout(client.Width(), client.Height());
}

// A late WM_SIZE may still carry the template's size: the real client area counts.
void CDiskToolsPage::OnSize(UINT, int, int) {
    LayOutPage();
}

void CDiskToolsPage::PlaceControl(int id, int x, int y, int width, int height) {
    if (CWnd* control = GetDlgItem(id))
        control->MoveWindow(x, y, width, height);
}

void CDiskToolsPage::SetUpReportList(CListCtrl& list, int id,
                                     std::initializer_list<ListColumn> columns) {
    list.SubclassDlgItem(id, this);
    list.SetExtendedStyle(list.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    int index = 0;
    for (const ListColumn& column : columns)
        list.InsertColumn(index++, AppText(column.key, kDiskToolsSection), column.format,
                          column.width);
}

void CDiskToolsPage::SetUpDriveCombo(LPCWSTR section) {
    SetDlgItemText(IDC_STATIC_PHYSICAL_DISK, AppText(L"IDC_STATIC", section));
    m_driveCombo.SubclassDlgItem(IDC_COMBO_PHYSICAL_DISK, this);
    PlaceControl(IDC_STATIC_PHYSICAL_DISK, 22, 45, 60, 18);
    PlaceControl(IDC_COMBO_PHYSICAL_DISK, 85, 41, 330, 200);
    if (PhysicalDiskTables* tables = GetDiskToolsState().tables)
        FillPhysicalDiskCombo(m_driveCombo.m_hWnd, *tables);
}

void CDiskToolsPage::OnDriveComboChange() {
    if (PhysicalDiskTables* tables = GetDiskToolsState().tables)
        OnPhysicalDiskComboChange(m_driveCombo.m_hWnd, *tables, m_hWnd);
}

void CDiskToolsPage::SetUpTextButton(CHoverButtonWithText& button, int id, LPCWSTR key,
                                     LPCWSTR section, UINT strip) {
    button.SubclassDlgItem(id, this);
    StyleTextButton(&button, true, true, false);
    if (strip != 0)
        button.LoadBitmap(strip);
    button.SetWindowText(AppText(key, section));
}

int AppendListRow(CListCtrl& list, std::initializer_list<LPCWSTR> texts) {
    const int row = list.InsertItem(list.GetItemCount(), L"");
    int column = 0;
    for (LPCWSTR text : texts)
        list.SetItemText(row, column++, text);
    return row;
}
