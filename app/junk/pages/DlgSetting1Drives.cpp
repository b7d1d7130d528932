#include "DlgSetting1Drives.h"

#include <shlwapi.h>

#include <PanelDrawing.h>
#include <PopupServices.h>
#include <SelectedFont.h>

#include "JunkPagesResource.h"
#include "JunkWizard.h"
#include "LogFile.h"
#include "SizeTexts.h"
#include "UiFonts.h"
#include "VantorixApp.h"

#include <owners/WinOwners.h>

#include <vector>

BEGIN_MESSAGE_MAP(CDlgSetting1Drives, CJunkSettingsTab)
ON_WM_SIZE()
END_MESSAGE_MAP()

namespace {
constexpr wchar_t kSection[] = L"IDD_SETTINGS1_DRIVES";
constexpr wchar_t kDrivesSection[] = L"LocationDrives";
constexpr wchar_t kFoldersSection[] = L"LocationFolders";
constexpr int kMaxStoredLocations = 50;
constexpr UINT kListIcons[] = {1288, 1292, 1289};
constexpr int kWindowsDriveImage = 2;

// The values "0", "1", ... of a profile section, to the first missing or empty one.
std::vector<CString> StoredLocations(LPCWSTR section) {
    std::vector<CString> values;
    CVantorixApp* app = JunkApp();
    if (!app)
        return values;
    for (int i = 0; i < kMaxStoredLocations; ++i) {
        CString name;
        name.Format(L"%d", i);
        const CString value = app->GetProfileString(section, name, L"");
        if (value.IsEmpty())
            break;
        values.push_back(value);
    }
    return values;
}

// A section that exists holds a saved choice, even when it names nothing: only a user who
// never saved gets the default rows.
bool IsSectionSaved(LPCWSTR section) {
    CVantorixApp* app = JunkApp();
    if (!app)
        return false;
    const RegistryKey appKey{app->GetAppRegistryKey()};
    RegistryKey sectionKey;
    return appKey &&
           RegOpenKeyExW(appKey.Get(), section, 0, KEY_READ, sectionKey.Put()) == ERROR_SUCCESS;
}

bool Contains(const std::vector<CString>& values, const CString& text) {
    for (const CString& value : values)
        if (value.CompareNoCase(text) == 0)
            return true;
    return false;
}

// Replaces a profile section by the texts as its values "0", "1", ...; the section stays even
// when no text is written, as the record that the user chose. False when something could not be
// written.
bool WriteLocations(LPCWSTR section, const std::vector<CString>& texts) {
    CVantorixApp* app = JunkApp();
    if (!app)
        return false;
    const RegistryKey appKey{app->GetAppRegistryKey()};
    if (!appKey)
        return false;
    RegDeleteTreeW(appKey.Get(), section);
    RegistryKey sectionKey;
    bool written = RegCreateKeyExW(appKey.Get(), section, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                   KEY_WRITE, nullptr, sectionKey.Put(), nullptr) == ERROR_SUCCESS;
    for (size_t i = 0; i < texts.size(); ++i) {
        CString name;
        name.Format(L"%d", static_cast<int>(i));
        written = app->WriteProfileString(section, name, texts[i]) && written;
    }
    return written;
}

std::vector<CString> CheckedRows(const CListCtrl& list) {
    std::vector<CString> rows;
    for (int row = 0; row < list.GetItemCount(); ++row)
        if (list.GetCheck(row))
            rows.push_back(list.GetItemText(row, 0));
    return rows;
}

CString SizeText(ULONGLONG bytes) {
    CString text;
    FormatSizeWithUnits(text, false, bytes);
    return text;
}
} // namespace

CDlgSetting1Drives::CDlgSetting1Drives(CDlgCleanOptions* host)
    : CJunkSettingsTab(IDD_SETTINGS1_DRIVES, host) {}

CDlgSetting1Drives::~CDlgSetting1Drives() {
    if (g_junkPages.drives == this)
        g_junkPages.drives = nullptr;
}

BOOL CDlgSetting1Drives::OnInitDialog() {
    CJunkSettingsTab::OnInitDialog();
    m_driveList.SubclassDlgItem(IDC_DRIVE_LIST, this);
    m_folderList.SubclassDlgItem(IDC_FOLDER_LIST, this);
    SetWindowText(JunkText(L"SETTINGSDLG1"));
    StyleSettingsList(m_driveList, kSettingsListStyles);
    StyleSettingsList(m_folderList, kSettingsListStyles);
    m_images.Create(16, 16, ILC_COLOR32 | ILC_MASK, 3, 1);
    for (UINT icon : kListIcons)
        m_images.Add(AfxGetApp()->LoadIcon(icon));
    m_driveList.SetImageList(&m_images, LVSIL_SMALL);
    m_folderList.SetImageList(&m_images, LVSIL_SMALL);
    LayOutNow(this);
    CRect listClient;
    m_driveList.GetClientRect(&listClient);
    const int width = listClient.Width() - 18;
    m_driveList.InsertColumn(0, DialogText(kSection, L"IDC_DRIVE_LIST"), LVCFMT_LEFT, width / 2);
    m_driveList.InsertColumn(1, L"Total Space", LVCFMT_LEFT, width / 4);
    m_driveList.InsertColumn(2, L"Free Space", LVCFMT_LEFT, width / 4);
    m_folderList.InsertColumn(0, L"", LVCFMT_LEFT, width);
    FillLists();
    SyncWithStore();
    g_junkPages.drives = this;
    return TRUE;
}

void CDlgSetting1Drives::OnSize(UINT type, int cx, int cy) {
    CJunkSettingsTab::OnSize(type, cx, cy);
    TakeCurrentClientSize(this, cx, cy);
    if (!m_driveList.GetSafeHwnd())
        return;
    m_driveList.SetWindowPos(nullptr, 32, 75, 524, 118, SWP_NOZORDER);
    CRect driveClient;
    m_driveList.GetClientRect(&driveClient);
    m_folderList.SetWindowPos(nullptr, 32, 260, 524, driveClient.Height() - 22, SWP_NOZORDER);
}

void CDlgSetting1Drives::FillLists() {
    m_driveList.DeleteAllItems();
    m_folderList.DeleteAllItems();
    if (!g_pJunkFinder)
        return;
    wchar_t windowsFolder[MAX_PATH] = {};
    GetWindowsDirectoryW(windowsFolder, MAX_PATH);
    const wchar_t windowsDrive = towupper(windowsFolder[0]);
    const CStringBoolArray& drives = g_pJunkFinder->ListDrives();
    for (INT_PTR i = 0; i < drives.GetSize(); ++i) {
        const CStringBool* entry = drives.GetAt(i);
        if (!entry || entry->text.IsEmpty())
            continue;
        CString text = entry->text;
        text.Insert(1, L':');
        // A drive without a display name: "C:" rather than "C: ()".
        text.Replace(L" ()", L"");
        const wchar_t letter = towupper(text[0]);
        const int row = m_driveList.InsertItem(m_driveList.GetItemCount(), text,
                                               letter == windowsDrive ? kWindowsDriveImage : 0);
        CString root;
        root.Format(L"%c:\\", letter);
        ULARGE_INTEGER available{}, total{};
        if (GetDiskFreeSpaceExW(root, &available, &total, nullptr)) {
            m_driveList.SetItemText(row, 1, SizeText(total.QuadPart));
            m_driveList.SetItemText(row, 2, SizeText(available.QuadPart));
        }
        m_driveList.SetCheck(row, entry->flag ? TRUE : FALSE);
        WriteLog(text + (entry->flag ? L"\tChecked\t" : L"\tNotchecked\t") +
                 m_driveList.GetItemText(row, 1) + L"\t" + m_driveList.GetItemText(row, 2));
    }
    const CStringBoolArray& folders = g_pJunkFinder->GetTempFolders();
    for (INT_PTR i = 0; i < folders.GetSize(); ++i) {
        const CStringBool* entry = folders.GetAt(i);
        if (!entry)
            continue;
        const int row = m_folderList.InsertItem(m_folderList.GetItemCount(), entry->text, 1);
        m_folderList.SetCheck(row, entry->flag ? TRUE : FALSE);
        WriteLog(entry->text);
    }
    WriteLog(CString(L"WINDIR\t") + windowsFolder);
}

void CDlgSetting1Drives::SyncWithStore() {
    // A saved choice is the whole choice: a row it does not name stays unticked.
    if (IsSectionSaved(kDrivesSection)) {
        const std::vector<CString> drives = StoredLocations(kDrivesSection);
        for (int row = 0; row < m_driveList.GetItemCount(); ++row)
            m_driveList.SetCheck(row, Contains(drives, m_driveList.GetItemText(row, 0)));
    }
    if (!IsSectionSaved(kFoldersSection)) {
        static_cast<void>(WriteLocations(kFoldersSection, CheckedRows(m_folderList)));
        return;
    }
    const std::vector<CString> folders = StoredLocations(kFoldersSection);
    for (int row = 0; row < m_folderList.GetItemCount(); ++row)
        m_folderList.SetCheck(row, Contains(folders, m_folderList.GetItemText(row, 0)));
}

CString CDlgSetting1Drives::SelectionText() const {
    CString text;
    for (const CString& drive : CheckedRows(m_driveList))
        text += drive.Left(1) + L";";
    for (const CString& folder : CheckedRows(m_folderList))
        text += (folder.GetLength() > 1 && folder[1] == L':' ? folder : folder.Left(1)) + L";";
    return text;
}

bool CDlgSetting1Drives::Save() {
    if (SelectionText().IsEmpty() && !JunkServices().IsHiddenStart()) {
        AppMessageBox(JunkText(L"SCANTAB_SELECT_DRIVES"), MB_ICONERROR, this, nullptr, false);
        FillLists();
        SyncWithStore();
        return true;
    }
    const bool drives = WriteLocations(kDrivesSection, CheckedRows(m_driveList));
    const bool folders = WriteLocations(kFoldersSection, CheckedRows(m_folderList));
    return drives && folders;
}

void CDlgSetting1Drives::LoadDefaults() {
    FillLists();
    static_cast<void>(Save());
}

void CDlgSetting1Drives::PaintContent(CDC& dc, const CRect& client) {
    {
        CSelectedFont font(dc.GetSafeHdc(), static_cast<HFONT>(g_fontUI.GetSafeHandle()));
        CRect description(22, 8, client.Width() - 22, 38);
        dc.DrawText(JunkText(L"IDS_STR_SET_DRIVES_DESC"), &description, DT_WORDBREAK);
    }
    DrawRoundedPanel(&dc, 22, 40, 198, 545);
    DrawRoundedPanel(&dc, 22, 211, 364, 545);
    CSelectedFont font(dc.GetSafeHdc(), static_cast<HFONT>(g_fontPlus2Medium.GetSafeHandle()));
    CRect drives(34, 46, 536, 66);
    dc.DrawText(JunkText(L"SET1DRIVES1"), &drives, DT_SINGLELINE | DT_VCENTER);
    CRect folders(34, 222, 536, 242);
    dc.DrawText(JunkText(L"SET1DRIVES2"), &folders, DT_SINGLELINE | DT_VCENTER);
    DrawSettingsLine(dc, 29, 536, 68, kSettingsLineColour);
    DrawSettingsLine(dc, 29, 536, 244, kSettingsLineColour);
}

CString JunkLocationText(bool reload) {
    if (CDlgSetting1Drives* tab = g_junkPages.drives) {
        if (reload) {
            tab->FillLists();
            tab->SyncWithStore();
        }
        return tab->SelectionText();
    }
    // No tab: the stored choice alone (drive letters and folder paths as the tab saves them).
    CString text;
    for (const CString& drive : StoredLocations(kDrivesSection))
        text += drive.Left(1) + L";";
    for (const CString& folder : StoredLocations(kFoldersSection))
        text += (folder.GetLength() > 1 && folder[1] == L':' ? folder : folder.Left(1)) + L";";
    return text;
}
