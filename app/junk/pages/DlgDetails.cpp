#include "DlgDetails.h"

#include <shlwapi.h>
#include <classlib/Resources.h>
#include <owners/WinOwners.h>

#include <BitmapDrawing.h>
#include <STBitmap.h>
#include <SkinPaintDC.h>
#include <WindowUtilities.h>

#include "JunkPagesResource.h"
#include "Paths.h"
#include "UiFonts.h"

BEGIN_MESSAGE_MAP(CDlgDetails, CDlgBaseChildPopUpWndBase)
ON_WM_PAINT()
ON_WM_SIZE()
ON_WM_TIMER()
ON_WM_CTLCOLOR()
ON_NOTIFY(LVN_ITEMCHANGING, IDC_DETAILS_LIST, &CDlgDetails::OnItemChanging)
ON_NOTIFY(LVN_ITEMCHANGED, IDC_DETAILS_LIST, &CDlgDetails::OnItemChanged)
ON_NOTIFY(NM_RCLICK, IDC_DETAILS_LIST, &CDlgDetails::OnRightClick)
ON_BN_CLICKED(IDC_BTN_OPENFILE, &CDlgDetails::OpenItem)
ON_BN_CLICKED(IDC_BTN_FILE_PROPERTIES, &CDlgDetails::ShowProperties)
ON_BN_CLICKED(IDC_BTN_EXPLOREFILE, &CDlgDetails::OpenContainingFolder)
ON_BN_CLICKED(IDC_CHK_SELECTALL, &CDlgDetails::OnSelectAllBox)
ON_COMMAND(ID_DETAILS_OPEN, &CDlgDetails::OnMenuOpen)
ON_COMMAND(ID_DETAILS_OPENCONTAININGFOLDER, &CDlgDetails::OnMenuExplore)
ON_COMMAND(ID_DETAILS_PROPERTIES, &CDlgDetails::OnMenuProperties)
ON_COMMAND(ID_DETAILS_UNSELECTALL, &CDlgDetails::OnMenuUnselectAll)
ON_COMMAND(ID_DETAILS_SELECTALL, &CDlgDetails::OnMenuSelectAll)
END_MESSAGE_MAP()

namespace {
constexpr wchar_t kSection[] = L"IDD_JUNK_FILE_LIST";
constexpr int kWidth = 750;
constexpr int kHeight = 570;
constexpr UINT_PTR kForegroundTimer = 101;
constexpr COLORREF kLinkBackground = RGB(236, 246, 229);
constexpr COLORREF kLinkText = RGB(39, 79, 25);

CJunkItem* RowItem(const CListCtrl& list, int row) {
    return reinterpret_cast<CJunkItem*>(list.GetItemData(row));
}

void PumpOneRound() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}
} // namespace

CDlgDetails::CDlgDetails(CWnd* parent) : CDlgBaseChildPopUpWndBase(IDD_JUNK_FILE_LIST, parent) {
    SetWindowSize(TRUE, kWidth, kHeight);
    // The pop-up tiles its own bottom bar with the rule above it; a second bar of the
    // framework's would cover the rule.
    m_bBottomBar = 0;
    StyleLightTextButton(&m_closeButton);
    g_bShowToolTips = 1;
}

CDlgDetails::~CDlgDetails() = default;

bool CDlgDetails::PassesFilter(const CJunkItem& item, int filter) {
    switch (filter) {
    case 0:
        return item.category == kTempFile;
    case 1:
        return item.category == kJunkFile || item.category == kZeroLengthFile;
    case 2:
        return item.category == kEmptyFolder;
    default:
        return true;
    }
}

BOOL CDlgDetails::OnInitDialog() {
    CDlgBaseChildPopUpWndBase::OnInitDialog();
    m_detailView.SubclassDlgItem(IDC_DETAIL_VIEW, this);
    m_closeButton.SubclassDlgItem(IDCANCEL, this);
    m_header.SubclassDlgItem(IDC_TOP_INFO, this);
    m_list.SubclassDlgItem(IDC_DETAILS_LIST, this);
    m_openLink.SubclassDlgItem(IDC_BTN_OPENFILE, this);
    m_propertiesLink.SubclassDlgItem(IDC_BTN_FILE_PROPERTIES, this);
    m_exploreLink.SubclassDlgItem(IDC_BTN_EXPLOREFILE, this);
    m_selectAll.SubclassDlgItem(IDC_CHK_SELECTALL, this);
    SetControlText(this, IDC_TOP_INFO, kSection, L"IDC_TOP_INFO");
    SetControlText(this, IDCANCEL, kSection, L"IDCANCEL");
    SetControlText(this, IDC_BTN_OPENFILE, kSection, L"IDC_BTN_OPENFILE");
    SetControlText(this, IDC_BTN_FILE_PROPERTIES, kSection, L"IDC_BTN_FILE_PROPERTIES");
    SetControlText(this, IDC_BTN_EXPLOREFILE, kSection, L"IDC_BTN_EXPLOREFILE");
    SetControlText(this, IDC_CHK_SELECTALL, kSection, L"IDC_CHK_SELECTALL");
    if (m_nFilter == 2)
        m_header.SetWindowText(JunkText(L"IDS_SEL_EMPTYFOLDERS"));
    else if (m_nFilter == 0)
        m_header.SetWindowText(JunkText(L"IDS_SEL_TEMP_FILES"));

    SetWindowPos(nullptr, 0, 0, kWidth, kHeight, SWP_NOMOVE | SWP_NOZORDER);
    CenterWindow();
    MoveDlgItemScaled(IDC_TOP_INFO, 8, 35, 325, 12);
    MoveDlgItemScaled(IDC_DETAILS_LIST, 8, 64, 325, 120);
    MoveDlgItemScaled(IDCANCEL, 284, 246, 47, 14);
    MoveDlgItemScaled(IDC_CHK_SELECTALL, 18, 243, 41, 14);
    MoveDlgItemScaled(IDC_BTN_OPENFILE, 270, 193, 58, 11);
    MoveDlgItemScaled(IDC_BTN_FILE_PROPERTIES, 270, 206, 58, 11);
    MoveDlgItemScaled(IDC_BTN_EXPLOREFILE, 270, 219, 58, 11);
    MoveDlgItemScaled(IDC_DETAIL_VIEW, 10, 191, 255, 40);
    for (CHyperLinkBtn* link : {&m_openLink, &m_propertiesLink, &m_exploreLink}) {
        link->SetBkColor(kLinkBackground);
        link->SetTextColor(kLinkText).SetHoverTextColor(kLinkText).SetPressedTextColor(kLinkText);
        link->SetDisabledTextColor(kLinkText);
    }

    m_list.SetFont(&g_fontUI);
    CRect listClient;
    m_list.GetClientRect(&listClient);
    m_list.InsertColumn(0, JunkText(L"IDS_DLG_DETAILS_FN"), LVCFMT_LEFT, listClient.Width() / 4);
    m_list.InsertColumn(1, JunkText(L"IDS_DLG_DETAILS2_FP"), LVCFMT_LEFT, listClient.Width() / 2);
    m_list.InsertColumn(2, JunkText(L"IDS_DLG_DETAILS3_FS"), LVCFMT_LEFT, listClient.Width() / 4);
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES |
                            LVS_EX_FULLROWSELECT | LVS_EX_FLATSB);
    FillList();

    m_bBulkChange = false;
    m_bSyncEnabled = true;
    LayOutNow(this);
    m_closeButton.SetWindowPos(nullptr, 612, 531, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    StyleJunkButton(m_closeButton, true);
    m_closeButton.ShowWindow(SW_SHOW);

    m_nCheckedCount = 0;
    for (int row = 0; row < m_list.GetItemCount(); ++row)
        m_nCheckedCount += m_list.GetCheck(row) ? 1 : 0;
    UpdateSelectAllBox();
    ForceForegroundWindow(m_hWnd);
    SetTimer(kForegroundTimer, 1, nullptr);
    return TRUE;
}

void CDlgDetails::FillList() {
    if (!g_pJunkFinder)
        return;
    const CString folderText = DialogText(L"IDD_SCANTAB3_RESULTS", L"IDC_BTN_CLEAN_SYSTEM");
    for (INT_PTR i = 0; i < g_pJunkFinder->GetFoundCount(); ++i) {
        CJunkItem* item = g_pJunkFinder->GetFoundItem(i);
        if (!item || !PassesFilter(*item, m_nFilter))
            continue;
        CString name = item->GetFileName();
        if (name.IsEmpty() || item->IsEmptyFolderItem())
            name = folderText;
        const int row = m_list.InsertItem(m_list.GetItemCount(), name);
        m_list.SetItemData(row, reinterpret_cast<DWORD_PTR>(item));
        m_list.SetItemText(row, 1, item->GetFolder());
        wchar_t size[64] = {};
        StrFormatByteSizeW(static_cast<LONGLONG>(item->size), size, 64);
        m_list.SetItemText(row, 2, size);
        m_list.SetCheck(row, item->checked ? TRUE : FALSE);
        if (row == 0)
            ShowRowDetails(0);
    }
    if (m_list.GetItemCount() > 0)
        SelectListCtrlItem(&m_list, 0);
}

void CDlgDetails::ShowRowDetails(int row) {
    if (const CJunkItem* item = RowItem(m_list, row))
        m_detailView.ShowItem(item->path, item->size, item->created, item->accessed, item->written);
}

void CDlgDetails::OnSize(UINT type, int cx, int cy) {
    CDlgBaseChildPopUpWndBase::OnSize(type, cx, cy);
    if (!m_bSyncEnabled)
        return;
    CRect window;
    GetWindowRect(&window);
    m_header.SetWindowPos(nullptr, 12, 69, cx - 22, 18, SWP_NOZORDER);
    m_list.SetWindowPos(nullptr, 12, 90, cx - 22, cy - 243, SWP_NOZORDER);
    m_detailView.SetWindowPos(nullptr, 14, cy - 124, 2 * cx - window.Width() - 125, 65,
                              SWP_NOZORDER);
    m_openLink.SetWindowPos(nullptr, cx - 110, cy - 122, 87, 20, SWP_NOZORDER);
    m_propertiesLink.SetWindowPos(nullptr, cx - 110, cy - 100, 87, 20, SWP_NOZORDER);
    m_exploreLink.SetWindowPos(nullptr, cx - 110, cy - 79, 87, 20, SWP_NOZORDER);
    m_selectAll.SetWindowPos(nullptr, 27, cy - 35, 120, 23, SWP_NOZORDER);
    CRect listClient;
    m_list.GetClientRect(&listClient);
    m_list.SetColumnWidth(0, static_cast<int>(listClient.Width() * 0.27));
    m_list.SetColumnWidth(1, static_cast<int>(listClient.Width() * 0.54));
    m_list.SetColumnWidth(2, static_cast<int>(listClient.Width() * 0.18));
    Invalidate();
}

void CDlgDetails::OnOK() {
    CDlgBaseChildPopUpWndBase::OnOK();
}

void CDlgDetails::OnTimer(UINT_PTR id) {
    KillTimer(id);
    if (id == kForegroundTimer)
        ForceForegroundWindow(m_hWnd);
}

HBRUSH CDlgDetails::OnCtlColor(CDC* dc, CWnd* control, UINT type) {
    if (control && control->m_hWnd == m_selectAll.m_hWnd) {
        // The box stands on the bottom bar.
        static const HBRUSH bar = ::CreateSolidBrush(RGB(234, 241, 249));
        dc->SetBkColor(RGB(234, 241, 249));
        return bar;
    }
    return CDlgBaseChildPopUpWndBase::OnCtlColor(dc, control, type);
}

void CDlgDetails::UpdateSelectAllBox() {
    const int rows = m_list.GetItemCount();
    m_selectAll.SetCheck(rows > 0 && m_nCheckedCount == rows ? BST_CHECKED : BST_UNCHECKED);
}

void CDlgDetails::OnItemChanging(NMHDR* header, LRESULT* result) {
    *result = 0;
    if (m_bBulkChange)
        return;
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
    if (change->iItem >= 0)
        ShowRowDetails(change->iItem);
}

void CDlgDetails::OnItemChanged(NMHDR* header, LRESULT* result) {
    *result = 0;
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
    const int row = change->iItem;
    if (row < 0)
        return;
    if (m_bSyncEnabled) {
        if (CJunkItem* item = RowItem(m_list, row)) {
            const bool checked = m_list.GetCheck(row) != FALSE;
            if (item->checked != checked) {
                item->checked = checked;
                if (!m_bBulkChange)
                    SelectListCtrlItem(&m_list, row);
            }
        }
    }
    // A change of the check image counts, on the selected row as on any other (a selection
    // change alone leaves the image as it was).
    if (!m_bBulkChange && (change->uChanged & LVIF_STATE) &&
        (change->uOldState & LVIS_STATEIMAGEMASK) != 0 &&
        ((change->uOldState ^ change->uNewState) & LVIS_STATEIMAGEMASK) != 0) {
        m_nCheckedCount += m_list.GetCheck(row) ? 1 : -1;
    }
    UpdateSelectAllBox();
}

void CDlgDetails::SetAllChecks(bool checked) {
    m_bBulkChange = true;
    for (int row = 0; row < m_list.GetItemCount(); ++row) {
        m_list.SetCheck(row, checked ? TRUE : FALSE);
        PumpOneRound();
    }
    m_bBulkChange = false;
    m_nCheckedCount = checked ? m_list.GetItemCount() : 0;
    UpdateSelectAllBox();
}

void CDlgDetails::SelectAll() {
    SetAllChecks(true);
}

void CDlgDetails::UnselectAll() {
    SetAllChecks(false);
}

void CDlgDetails::OnSelectAllBox() {
    EnableWindow(FALSE);
    if (m_selectAll.GetCheck() == BST_CHECKED)
        SelectAll();
    else
        UnselectAll();
    EnableWindow(TRUE);
}

CString CDlgDetails::CurrentPath() const {
    int row = m_nMenuRow;
    if (!m_bFromMenu) {
        row = -1;
        for (int next = m_list.GetNextItem(-1, LVNI_SELECTED); next >= 0;
             next = m_list.GetNextItem(next, LVNI_SELECTED))
            row = next;
    }
    if (row < 0 || row >= m_list.GetItemCount())
        return CString();
    CString path = m_list.GetItemText(row, 1);
    const CJunkItem* item = RowItem(m_list, row);
    if (!item || !item->IsEmptyFolderItem())
        AppendPath(path, m_list.GetItemText(row, 0));
    if (!PathFileExistsW(path))
        return CString();
    return path;
}

void CDlgDetails::OpenItem() {
    const CString path = CurrentPath();
    if (path.IsEmpty())
        return;
    const DWORD attributes = GetFileAttributesW(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        OpenContainingFolder();
        return;
    }
    JunkServices().RunShell(this, L"open", L"rundll32.exe", L"shell32.dll,OpenAs_RunDLL " + path);
}

void CDlgDetails::OpenContainingFolder() {
    const CString path = CurrentPath();
    if (path.IsEmpty())
        return;
    JunkServices().RunShell(this, L"open", L"explorer.exe",
                            L" /n , /e , /select ,\"" + path + L"\"");
}

void CDlgDetails::ShowProperties() {
    CString path = CurrentPath();
    path.Trim();
    path.TrimRight(L'\\');
    if (path.IsEmpty() || !PathFileExistsW(path) || PathIsDirectoryW(path))
        return;
    SHELLEXECUTEINFOW request = MakePropertiesRequest(m_hWnd, path);
    JunkServices().ExecuteShellRequest(request);
}

void CDlgDetails::OnMenuOpen() {
    m_bFromMenu = true;
    OpenItem();
    m_bFromMenu = false;
}

void CDlgDetails::OnMenuExplore() {
    m_bFromMenu = true;
    OpenContainingFolder();
    m_bFromMenu = false;
}

void CDlgDetails::OnMenuProperties() {
    m_bFromMenu = true;
    ShowProperties();
    m_bFromMenu = false;
}

void CDlgDetails::OnRightClick(NMHDR*, LRESULT* result) {
    *result = 0;
    const MenuHandle menu(
        LoadMenuW(AfxFindResourceHandle(MAKEINTRESOURCEW(IDR_MENU_JUNK_DETAILS), RT_MENU),
                  MAKEINTRESOURCEW(IDR_MENU_JUNK_DETAILS)));
    if (!menu)
        return;
    HMENU popup = GetSubMenu(menu.Get(), 0);
    CString selectAll;
    selectAll.Format(JunkText(L"IDS_MENU_DETAILS_SELECTALLFILES"), L"Stellmark");
    const struct {
        UINT id;
        CString text;
    } items[] = {
        {ID_DETAILS_SELECTALL, selectAll},
        {ID_DETAILS_UNSELECTALL, JunkText(L"IDS_MENU_DETAILS_UNSELECTALLFILES")},
        {ID_DETAILS_OPEN, JunkText(L"IDS_MENU_DETAILS_OPEN")},
        {ID_DETAILS_OPENCONTAININGFOLDER, JunkText(L"IDS_MENU_DETAILS_OPENCONTAININGFOLDER")},
        {ID_DETAILS_PROPERTIES, JunkText(L"IDS_MENU_DETAILS_PROPERTIES")}};
    for (const auto& item : items)
        ModifyMenuW(popup, item.id, MF_BYCOMMAND | MF_STRING, item.id, item.text);
    m_nMenuRow = -1;
    for (int next = m_list.GetNextItem(-1, LVNI_SELECTED); next >= 0;
         next = m_list.GetNextItem(next, LVNI_SELECTED))
        m_nMenuRow = next;
    SetForegroundWindow();
    POINT cursor;
    GetCursorPos(&cursor);
    TrackPopupMenu(popup, TPM_BOTTOMALIGN | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, m_hWnd,
                   nullptr);
    PostMessage(WM_NULL);
}

void CDlgDetails::OnPaint() {
    CSkinPaintDC memory(this);
    const CRect& client = memory.Client();
    static CSTBitmap bottomBar(1019);
    static CSTBitmap rule(1075);
    const int barTop = client.Height() - bottomBar.GetHeight();
    if (bottomBar.GetWidth() > 0)
        for (int x = 0; x < client.Width(); x += bottomBar.GetWidth())
            DrawBitmap(&memory, x, barTop, bottomBar.GetWidth(), bottomBar.GetHeight(), &bottomBar,
                       SRCCOPY);
    if (rule.GetWidth() > 0)
        DrawBitmapStretched(&memory, 0, barTop - rule.GetHeight(), client.Width(), rule.GetHeight(),
                            0, 0, rule.GetWidth(), rule.GetHeight(), &rule, SRCCOPY);
    PaintWindowFrame(&memory, client);
    CPen pen(PS_SOLID, 1, RGB(197, 220, 178));
    CBrush brush(RGB(236, 246, 229));
    CPen* previousPen = memory.SelectObject(&pen);
    CBrush* previousBrush = memory.SelectObject(&brush);
    memory.RoundRect(12, client.Height() - 126, client.Width() - 11, client.Height() - 57, 9, 9);
    memory.SelectObject(previousPen);
    memory.SelectObject(previousBrush);
}
