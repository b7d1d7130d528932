#include "DlgDFSelectLocation.h"

#include "DlgDFScanProgress.h"
#include "DupePageIds.h"
#include "DupeWizard.h"

#include <DupeFinder.h>
#include <DupeFinderOptions.h>

#include <SkinPaintDC.h>
#include <Paths.h>
#include <Registry.h>

#include <shlwapi.h>

namespace {
constexpr wchar_t kSection[] = L"IDD_DLG_DF_SELECTLOCATION";
constexpr size_t kMaxStoredPathChars = 1040;

CString WithTrailingBackslash(CString path) {
    path.MakeLower();
    if (path.IsEmpty() || path[path.GetLength() - 1] != L'\\')
        path += L'\\';
    return path;
}

// A "Selected" value that reads as a string path of at most 1,040 characters.
bool ReadStoredPath(HKEY key, LPCWSTR name, CString& path) {
    DWORD type = 0;
    DWORD bytes = 0;
    if (::RegQueryValueExW(key, name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || bytes % 2 != 0 ||
        bytes > (kMaxStoredPathChars + 1) * sizeof(wchar_t))
        return false;
    wchar_t buffer[kMaxStoredPathChars + 1] = {};
    if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes) !=
        ERROR_SUCCESS)
        return false;
    buffer[kMaxStoredPathChars] = L'\0';
    path = buffer;
    return !path.IsEmpty();
}

// The short (8.3) form of a path, or the path when it has none.
CString ShortFormOf(const CString& path) {
    wchar_t shortPath[MAX_PATH] = {};
    if (::GetShortPathNameW(path, shortPath, MAX_PATH) != 0 && shortPath[0] != L'\0')
        return shortPath;
    return path;
}

void DrawFrameAround(CDC* dc, CWnd* page, CWnd* control) {
    CRect rect;
    control->GetWindowRect(&rect);
    page->ScreenToClient(&rect);
    rect.OffsetRect(1, 1);
    rect.InflateRect(2, 2);
    rect.right -= 2;
    rect.bottom -= 2;
    CBrush brush(RGB(0xB9, 0xB9, 0xB9));
    dc->FrameRect(&rect, &brush);
}
} // namespace

IMPLEMENT_DYNAMIC(CDlgDFSelectLocation, CDlgLeftSideChild)

BEGIN_MESSAGE_MAP(CDlgDFSelectLocation, CDlgLeftSideChild)
ON_WM_PAINT()
ON_WM_SIZE()
ON_WM_SHOWWINDOW()
ON_EN_CHANGE(IDC_EDIT_LOCATION, &CDlgDFSelectLocation::UpdateAddButtons)
ON_BN_CLICKED(IDC_BTN_ADD_LIST_FROM_EDIT, &CDlgDFSelectLocation::AddFromEdit)
ON_BN_CLICKED(IDC_BTN_ADD_LIST_ARROW_BTN, &CDlgDFSelectLocation::AddFromEdit)
ON_BN_CLICKED(IDC_BUTTON_ADD_SELECTED, &CDlgDFSelectLocation::AddFromEdit)
ON_COMMAND(IDM_TREE_ADD_TO_SCAN_LIST, &CDlgDFSelectLocation::AddFromTree)
ON_BN_CLICKED(IDC_BUTTON_REMOVE_SELECTED, &CDlgDFSelectLocation::RemoveSelected)
ON_COMMAND(IDM_LIST_REMOVE, &CDlgDFSelectLocation::RemoveSelected)
ON_COMMAND(IDM_LIST_REMOVE_ALL, &CDlgDFSelectLocation::RemoveAll)
ON_BN_CLICKED(IDC_BTN_SCAN, &CDlgDFSelectLocation::OnBnClickedScanNow)
ON_NOTIFY(NM_CLICK, IDC_LIST_LOCATIONS, &CDlgDFSelectLocation::OnListClick)
ON_NOTIFY(NM_RCLICK, IDC_LIST_LOCATIONS, &CDlgDFSelectLocation::OnListRightClick)
END_MESSAGE_MAP()

CDlgDFSelectLocation::CDlgDFSelectLocation(CWnd* parent)
    : CDlgLeftSideChild(IDD_DLG_DF_SELECTLOCATION, parent) {
    TheDupePages().locations = this;
}

CDlgDFSelectLocation::~CDlgDFSelectLocation() {
    if (TheDupePages().locations == this)
        TheDupePages().locations = nullptr;
}

BOOL CDlgDFSelectLocation::OnInitDialog() {
    CDlgLeftSideChild::OnInitDialog();
    m_tree.SubclassDlgItem(IDC_TREE_LOCATIONS, this);
    m_tree.m_nPathEditId = IDC_EDIT_LOCATION;
    m_list.SubclassDlgItem(IDC_LIST_LOCATIONS, this);
    m_btnAddFromEdit.SubclassDlgItem(IDC_BTN_ADD_LIST_FROM_EDIT, this);
    m_btnArrow.SubclassDlgItem(IDC_BTN_ADD_LIST_ARROW_BTN, this);
    m_btnRemove.SubclassDlgItem(IDC_BUTTON_REMOVE_SELECTED, this);
    m_btnScan.SubclassDlgItem(IDC_BTN_SCAN, this);
    SetCaptions(this, kSection,
                {{IDC_BTN_ADD_LIST_FROM_EDIT, L"IDC_BTN_ADD_LIST_FROM_EDIT"},
                 {IDC_BTN_ADD_LIST_ARROW_BTN, L"IDC_BTN_ADD_LIST_ARROW_BTN"},
                 {IDC_BUTTON_ADD_SELECTED, L"IDC_BUTTON_ADD_SELECTED"},
                 {IDC_BUTTON_REMOVE_SELECTED, L"IDC_BUTTON_REMOVE_SELECTED"},
                 {IDC_BTN_SCAN, L"IDC_BTN_SCAN"}});
    m_btnArrow.LoadStrip(7063);
    SetWindowText(DupeText(L"SELECT_LOCATION_HEADING"));
    LoadFourFrameStrip(m_btnAddFromEdit, 1076);
    LoadFourFrameStrip(m_btnRemove, 1076);
    LoadFourFrameStrip(m_btnScan, 1074);
    StyleDarkTextButton(&m_btnAddFromEdit);
    StyleDarkTextButton(&m_btnRemove);
    StyleLightTextButton(&m_btnScan);
    m_btnAddFromEdit.m_clrText = kDupeTextColour;
    m_btnRemove.m_clrText = kDupeTextColour;
    ::ShowWindow(::GetDlgItem(m_hWnd, IDC_BUTTON_ADD_SELECTED), SW_HIDE);

    OnSize(SIZE_RESTORED, kDupePageWidth, kDupePageHeight);
    CRect client;
    m_list.GetClientRect(&client);
    m_list.InsertColumn(0, L"Selected Locations to scan", LVCFMT_LEFT, client.Width() - 18);
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    MakeIconList(m_icons, {1292, 1312});
    m_list.SetImageList(&m_icons, LVSIL_SMALL);
    SetDlgItemText(IDC_EDIT_LOCATION, L"");
    m_tree.Refresh();
    if (const HTREEITEM root = m_tree.GetRootItem())
        m_tree.Expand(root, TVE_EXPAND);
    if (m_toolTip.GetSafeHwnd() != nullptr) {
        m_toolTip.AddTool(&m_tree, DupeText(L"IDS_TOOLTIP_TREE "));
        m_toolTip.AddTool(&m_list, DupeText(L"IDS_TOOLTIP_LIST_ITEMS"));
        m_toolTip.AddTool(&m_btnAddFromEdit, DupeText(L"IDS_TOOLTIP_ADDLIST_BTN"));
        m_toolTip.AddTool(&m_btnArrow, DupeText(L"IDS_TOOLTIP_ARROW"));
        m_toolTip.AddTool(&m_btnRemove, DupeText(L"IDS_TOOLTIP_REMOVE_BTN"));
    }
    UpdateAddButtons();
    return TRUE;
}

void CDlgDFSelectLocation::OnShowWindow(BOOL show, UINT status) {
    CDlgLeftSideChild::OnShowWindow(show, status);
    if (show) {
        LoadList();
        UpdateAddButtons();
    }
}

void CDlgDFSelectLocation::AddRow(const CString& path) {
    m_list.InsertItem(m_list.GetItemCount(), path, ::PathIsNetworkPathW(path) ? 1 : 0);
}

void CDlgDFSelectLocation::LoadList() {
    m_list.DeleteAllItems();
    CRegistry registry(HKEY_CURRENT_USER);
    registry.SetAccess(KEY_READ);
    if (registry.Open(HKEY_CURRENT_USER, DupeSettingsKeyPath(kSelectedLocationsKey), false)) {
        CStringArray names;
        EnumRegValueNames(registry.GetKey(), names);
        for (int i = 0; i < names.GetSize(); ++i) {
            CString path;
            if (ReadStoredPath(registry.GetKey(), names[i], path) && ::PathFileExistsW(path))
                AddRow(path);
        }
    }
    m_btnRemove.EnableWindow(m_list.GetNextItem(-1, LVNI_SELECTED) >= 0);
    m_btnScan.EnableWindow(m_list.GetItemCount() > 0);
}

void CDlgDFSelectLocation::SaveList() {
    const CString path = DupeSettingsKeyPath(kSelectedLocationsKey);
    (void)CRegistry::DeleteKey(HKEY_CURRENT_USER, path);
    CRegistry registry(HKEY_CURRENT_USER);
    if (registry.Open(HKEY_CURRENT_USER, path, true)) {
        for (int i = 0; i < m_list.GetItemCount(); ++i) {
            CString name;
            name.Format(L"%d", i);
            (void)registry.WriteString(name, m_list.GetItemText(i, 0));
        }
    }
    m_btnScan.EnableWindow(m_list.GetItemCount() > 0);
}

bool CDlgDFSelectLocation::OverlapsListed(const CString& path) {
    if (path.IsEmpty())
        return true;
    const CString candidate = WithTrailingBackslash(path);
    for (int i = 0; i < m_list.GetItemCount(); ++i) {
        const CString listed = WithTrailingBackslash(m_list.GetItemText(i, 0));
        if (listed.Find(candidate) == 0 || candidate.Find(listed) == 0)
            return true;
    }
    return false;
}

bool CDlgDFSelectLocation::IsInWindowsFolder(const CString& path) {
    wchar_t windows[256] = {};
    if (::GetWindowsDirectoryW(windows, 256) == 0)
        return false;
    CString lowerPath = path;
    lowerPath.MakeLower();
    CString lowerWindows = windows;
    lowerWindows.MakeLower();
    return lowerPath.Find(lowerWindows) == 0;
}

void CDlgDFSelectLocation::Refuse(LPCWSTR messageKey) {
    DupeMessage(messageKey, MB_ICONHAND);
    SetDlgItemText(IDC_EDIT_LOCATION, L"");
}

void CDlgDFSelectLocation::AddFromEdit() {
    CString path;
    GetDlgItemText(IDC_EDIT_LOCATION, path);
    if (path.IsEmpty() || !IsExistingFolder(path))
        return;
    path = ShortFormOf(path);
    if (OverlapsListed(path)) {
        Refuse(L"IDS_EXISTS");
        return;
    }
    if (IsInWindowsFolder(path)) {
        Refuse(L"IDS_WIN_CANT_ADD");
        return;
    }
    if (!path.IsEmpty() && ::PathFileExistsW(path)) {
        AddRow(path);
        SetDlgItemText(IDC_EDIT_LOCATION, L"");
        SaveList();
    }
}

void CDlgDFSelectLocation::AddFromTree() {
    CString path;
    if (!m_tree.GetItemPath(path) || path.IsEmpty() || !IsExistingFolder(path))
        return;
    if (IsInWindowsFolder(path)) {
        Refuse(L"IDS_WIN_CANT_ADD");
        return;
    }
    path = ShortFormOf(path);
    if (OverlapsListed(path)) {
        Refuse(L"IDS_EXISTS");
    } else {
        AddRow(path);
    }
    SaveList();
}

void CDlgDFSelectLocation::RemoveSelected() {
    for (int row = m_list.GetItemCount() - 1; row >= 0; --row) {
        if (m_list.GetItemState(row, LVIS_SELECTED) & LVIS_SELECTED)
            m_list.DeleteItem(row);
    }
    SaveList();
    m_btnRemove.EnableWindow(FALSE);
}

void CDlgDFSelectLocation::RemoveAll() {
    m_list.DeleteAllItems();
    SaveList();
    m_btnRemove.EnableWindow(FALSE);
}

void CDlgDFSelectLocation::UpdateAddButtons() {
    CString text;
    GetDlgItemText(IDC_EDIT_LOCATION, text);
    m_btnAddFromEdit.EnableWindow(!text.IsEmpty());
    m_btnArrow.EnableWindow(!text.IsEmpty());
}

void CDlgDFSelectLocation::OnListClick(NMHDR*, LRESULT* result) {
    m_btnRemove.EnableWindow(m_list.GetNextItem(-1, LVNI_SELECTED) >= 0);
    *result = 0;
}

void CDlgDFSelectLocation::OnListRightClick(NMHDR*, LRESULT* result) {
    *result = 0;
    if (m_list.GetItemCount() == 0)
        return;
    POINT cursor;
    ::GetCursorPos(&cursor);
    TrackTextMenu(7003,
                  {{IDM_LIST_REMOVE, L"IDS_MENU_SHELL_LIST_REMOVE"},
                   {IDM_LIST_REMOVE_ALL, L"IDS_MENU_SHELL_REMOVEALL"}},
                  m_hWnd, cursor);
}

void CDlgDFSelectLocation::GetItemToScan(CStringArray& items) {
    items.RemoveAll();
    if (m_list.GetSafeHwnd() != nullptr) {
        for (int i = 0; i < m_list.GetItemCount(); ++i)
            items.Add(m_list.GetItemText(i, 0));
        return;
    }
    CRegistry registry(HKEY_CURRENT_USER);
    registry.SetAccess(KEY_READ);
    if (!registry.Open(HKEY_CURRENT_USER, DupeSettingsKeyPath(kSelectedLocationsKey), false))
        return;
    CStringArray names;
    EnumRegValueNames(registry.GetKey(), names);
    for (int i = 0; i < names.GetSize(); ++i) {
        CString path;
        if (ReadStoredPath(registry.GetKey(), names[i], path))
            items.Add(path);
    }
}

void CDlgDFSelectLocation::OnBnClickedScanNow() {
    CDlgDFScanProgress* progress = TheDupePages().progress;
    if (progress == nullptr || CDlgDFScanProgress::IsWalkRunning())
        return;
    CStringArray ignoreList;
    ReadIgnoreListForScan(ignoreList);
    CDupeFinder& finder = DupeHost().Finder();
    finder.SetSearchedTypes(BuildFileTypeList());
    EnableWizardControls(this, false);
    ReadAllFindOptions(finder.Options());
    progress->StartScan(CStringArray(), ignoreList, CStringArray());
}

void CDlgDFSelectLocation::OnPaint() {
    CSkinPaintDC memory(this);
    const CRect& client = memory.Client();
    DrawPageTitle(&memory, client, FALSE);
    DrawPageText(&memory, DupeText(L"SELECT_LOCATION_DESC1"), RECT{22, 54, 285, 74},
                 kDupeTextColour, DT_SINGLELINE);
    DrawPageText(&memory, DupeText(L"SELECT_LOCATION_DESC2"), RECT{349, 54, 570, 74},
                 kDupeTextColour, DT_SINGLELINE);
    DrawPageText(&memory, DupeText(L"IDS_EDIT_MSG"), RECT{22, 373, 372, 393}, kDupeTextColour);
    DrawPageText(&memory, DupeText(L"IDS_REMOVE_MSG"), RECT{349, 373, 699, 393}, kDupeTextColour);
    if (m_rcNote.IsRectEmpty())
        m_rcNote = CRect(22, client.Height() - 34, 400, client.Height() + 6);
    DrawPageText(&memory, DupeText(L"IDS_NOTE_SEL_LOCATION"), m_rcNote, kDupeTextColour);
    DrawFrameAround(&memory, this, &m_tree);
    DrawFrameAround(&memory, this, &m_list);
}

void CDlgDFSelectLocation::OnSize(UINT, int, int) {
    // A size posted while the window was made may be stale: the window\'s own counts.
    const CSize client = ClientSizeOf(this);
    const int cx = client.cx;
    const int cy = client.cy;
    if (m_btnScan.GetSafeHwnd() == nullptr)
        return;
    m_tree.MoveWindow(22, 80, 275, 285);
    m_list.MoveWindow(354, 80, 215, 285);
    m_btnRemove.MoveWindow(484, 392, 86, 24);
    GetDlgItem(IDC_EDIT_LOCATION)->MoveWindow(22, 394, 185, 20);
    m_btnAddFromEdit.MoveWindow(212, 392, 86, 24);
    m_btnArrow.MoveWindow(311, 206, 27, 24);
    m_btnScan.MoveWindow(cx - 141, cy - 40, 120, 28);
}
