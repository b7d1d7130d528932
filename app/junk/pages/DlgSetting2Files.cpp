#include "DlgSetting2Files.h"

#include <PanelDrawing.h>
#include <PopupServices.h>
#include <SelectedFont.h>

#include "JunkPagesResource.h"
#include "JunkWizard.h"
#include "Options2Junk2DlgAdd.h"
#include "UiFonts.h"

BEGIN_MESSAGE_MAP(CDlgSetting2Files, CJunkSettingsTab)
ON_WM_SIZE()
ON_BN_CLICKED(IDC_BTN_ADD_EXTENTION, &CDlgSetting2Files::OnAdd)
ON_BN_CLICKED(IDC_BTN_REMOVE_EXTENTION, &CDlgSetting2Files::OnRemove)
ON_BN_CLICKED(IDC_CHK_ALL, &CDlgSetting2Files::OnSelectAll)
ON_NOTIFY(LVN_ITEMCHANGED, IDC_MASK_LIST, &CDlgSetting2Files::OnListChanged)
END_MESSAGE_MAP()

namespace {
constexpr wchar_t kSection[] = L"IDD_SETTINGS2_FILESTOSCAN";
constexpr UINT kKindIcons[] = {1313, 1292, 1317};
// Masks added here are of kind 2, enabled.
constexpr DWORD kAddedMaskFlags = 5;

int KindImage(DWORD flags) {
    return flags <= 5 ? static_cast<int>(flags / 2) : 0;
}
} // namespace

CDlgSetting2Files::CDlgSetting2Files(CDlgCleanOptions* host)
    : CDlgSetting2Files(IDD_SETTINGS2_FILESTOSCAN, host, false) {}

CDlgSetting2Files::CDlgSetting2Files(UINT templateId, CDlgCleanOptions* host, bool exclusions)
    : CJunkSettingsTab(templateId, host), m_bExclusions(exclusions) {}

CDlgSetting2Files::~CDlgSetting2Files() = default;

BOOL CDlgSetting2Files::OnInitDialog() {
    CJunkSettingsTab::OnInitDialog();
    m_list.SubclassDlgItem(IDC_MASK_LIST, this);
    m_selectAll.SubclassDlgItem(IDC_CHK_ALL, this);
    m_addButton.SubclassDlgItem(IDC_BTN_ADD_EXTENTION, this);
    m_removeButton.SubclassDlgItem(IDC_BTN_REMOVE_EXTENTION, this);
    SetControlText(this, IDC_BTN_ADD_EXTENTION, kSection, L"IDC_BTN_ADD_EXTENTION");
    SetControlText(this, IDC_BTN_REMOVE_EXTENTION, kSection, L"IDC_BTN_REMOVE_EXTENTION");
    m_selectAll.SetWindowText(L"");
    StyleJunkButton(m_addButton, false);
    StyleJunkButton(m_removeButton, false);
    SetWindowText(JunkText(L"SETTINGSDLG2"));
    StyleSettingsList(m_list, kSettingsListStyles);
    m_images.Create(16, 16, ILC_COLOR32 | ILC_MASK, 3, 1);
    for (UINT icon : kKindIcons)
        m_images.Add(AfxGetApp()->LoadIcon(icon));
    m_list.SetImageList(&m_images, LVSIL_SMALL);
    LayOutNow(this);
    CRect listClient;
    m_list.GetClientRect(&listClient);
    m_list.InsertColumn(0, L"", LVCFMT_LEFT, listClient.Width() - 18);
    if (!m_bExclusions)
        FillList();
    return TRUE;
}

void CDlgSetting2Files::OnSize(UINT type, int cx, int cy) {
    CJunkSettingsTab::OnSize(type, cx, cy);
    TakeCurrentClientSize(this, cx, cy);
    if (!m_list.GetSafeHwnd())
        return;
    m_selectAll.SetWindowPos(nullptr, 37, 67, 15, 15, SWP_NOZORDER);
    m_list.SetWindowPos(nullptr, 32, 102, 524, cy - 189, SWP_NOZORDER);
    m_addButton.SetWindowPos(nullptr, 22, cy - 40, 120, 28, SWP_NOZORDER);
    m_removeButton.SetWindowPos(nullptr, 150, cy - 40, 120, 28, SWP_NOZORDER);
}

void CDlgSetting2Files::FillList() {
    m_list.DeleteAllItems();
    if (g_pJunkFinder) {
        for (INT_PTR i = 0; i < g_pJunkFinder->GetMaskCount(); ++i) {
            const CJunkMask* mask = g_pJunkFinder->GetMask(i);
            const int row = m_list.InsertItem(i, mask->text, KindImage(mask->flags));
            m_list.SetItemData(row, mask->flags);
            m_list.SetCheck(row, mask->IsEnabled() ? TRUE : FALSE);
        }
    }
    UpdateSelectAllBox();
}

bool CDlgSetting2Files::SaveList() {
    if (!g_pJunkFinder)
        return false;
    g_pJunkFinder->ClearMasks();
    for (int row = 0; row < m_list.GetItemCount(); ++row) {
        DWORD flags = static_cast<DWORD>(m_list.GetItemData(row));
        // Kind kept, enabled bit from the box; unknown values stay as they are.
        if (flags <= 5)
            flags = (flags & ~1u) | (m_list.GetCheck(row) ? 1u : 0u);
        g_pJunkFinder->AddMask(m_list.GetItemText(row, 0), flags);
    }
    return g_pJunkFinder->SaveMasks();
}

bool CDlgSetting2Files::Save() {
    return SaveList();
}

void CDlgSetting2Files::LoadDefaults() {
    if (g_pJunkFinder)
        g_pJunkFinder->ResetMasksToDefault();
    FillList();
    static_cast<void>(SaveList());
}

bool CDlgSetting2Files::HasRow(const CString& text) const {
    for (int row = 0; row < m_list.GetItemCount(); ++row)
        if (m_list.GetItemText(row, 0).CompareNoCase(text) == 0)
            return true;
    return false;
}

void CDlgSetting2Files::UpdateSelectAllBox() {
    if (m_bExclusions || !m_selectAll.GetSafeHwnd())
        return;
    int checked = 0;
    const int rows = m_list.GetItemCount();
    for (int row = 0; row < rows; ++row)
        checked += m_list.GetCheck(row) ? 1 : 0;
    m_selectAll.SetCheck(checked == 0      ? BST_UNCHECKED
                         : checked == rows ? BST_CHECKED
                                           : BST_INDETERMINATE);
}

void CDlgSetting2Files::OnListChanged(NMHDR* header, LRESULT* result) {
    *result = 0;
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
    if (change->uChanged & LVIF_STATE)
        UpdateSelectAllBox();
}

void CDlgSetting2Files::OnSelectAll() {
    int checked = 0;
    const int rows = m_list.GetItemCount();
    for (int row = 0; row < rows; ++row)
        checked += m_list.GetCheck(row) ? 1 : 0;
    const bool check = checked != rows;
    for (int row = 0; row < rows; ++row)
        m_list.SetCheck(row, check ? TRUE : FALSE);
    m_selectAll.SetCheck(check ? BST_CHECKED : BST_UNCHECKED);
    m_list.Invalidate();
}

CString CDlgSetting2Files::AskForEntry(bool folderMode) {
    COptions2Junk2DlgAdd add(JunkServices().MainWindow() ? JunkServices().MainWindow() : this);
    add.m_bFolderMode = folderMode;
    add.m_pRows = this;
    CWnd* owner = JunkServices().MainWindow() ? JunkServices().MainWindow() : GetParent();
    if (RunPopupOverParent(owner, &add, IDD_OPTIONS_2_JUNK_CLEANUP_ADD) != IDOK)
        return CString();
    return add.m_strResult;
}

bool CDlgSetting2Files::AddEntry(const CString& text) {
    if (HasRow(text)) {
        AppMessageBox(JunkText(L"SET2ALREADYTEHRE"), MB_ICONEXCLAMATION, this, nullptr, false);
        return false;
    }
    const int row = m_list.InsertItem(m_list.GetItemCount(), text, 2);
    m_list.SetItemData(row, kAddedMaskFlags);
    m_list.SetCheck(row, TRUE);
    m_list.EnsureVisible(row, FALSE);
    UpdateSelectAllBox();
    return true;
}

void CDlgSetting2Files::OnAdd() {
    const CString text = AskForEntry(m_bExclusions);
    if (!text.IsEmpty())
        static_cast<void>(AddEntry(text));
}

void CDlgSetting2Files::RemoveSelectedRow() {
    const int row = m_list.GetNextItem(-1, LVNI_SELECTED);
    if (row >= 0)
        m_list.DeleteItem(row);
    m_list.SetFocus();
    UpdateSelectAllBox();
}

void CDlgSetting2Files::PaintContent(CDC& dc, const CRect& client) {
    {
        CSelectedFont font(dc.GetSafeHdc(), static_cast<HFONT>(g_fontUI.GetSafeHandle()));
        CRect description(22, 10, 561, 52);
        dc.DrawText(JunkText(m_bExclusions ? L"IDS_EXCLUDE_SCAN_SET_DES"
                                           : L"IDS_TYPE_OF_FILES_TO_SCAN_SET_DES"),
                    &description, DT_WORDBREAK);
    }
    DrawRoundedPanel(&dc, 22, 54, client.Height() - 77, 545);
    CSelectedFont font(dc.GetSafeHdc(), static_cast<HFONT>(g_fontPlus2Medium.GetSafeHandle()));
    CRect heading(m_bExclusions ? 41 : 54, 54, 524, 94);
    dc.DrawText(JunkText(m_bExclusions ? L"SET3FILEXT" : L"SET2FILEXT"), &heading,
                DT_SINGLELINE | DT_VCENTER);
    DrawSettingsLine(dc, 29, 536, 92, kSettingsLineColour);
}
