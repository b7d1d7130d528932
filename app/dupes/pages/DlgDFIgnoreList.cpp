#include "DlgDFIgnoreList.h"

#include "DlgAddOption.h"
#include "DupePageIds.h"
#include "DupeWizard.h"

#include <DupeFinderOptions.h>

#include <Registry.h>

namespace {
DupeTabLook IgnoreListLook() {
    DupeTabLook look;
    look.descriptionKey = L"IGNORE_LIST_DESC";
    look.panelTop = 36;
    look.panelBottom = 336;
    look.icon = {37, 45};
    look.headingKey = L"IDS_EXCLUDE_FOLDR_FROM";
    look.heading = {58, 44, 408, 64};
    look.noteKey = L"IDS_NOTE_IGNORELIST";
    look.noteLeft = 22;
    look.noteTop = -40;
    look.noteRight = 322;
    look.noteBottom = 0;
    return look;
}

CString Normalised(CString folder) {
    folder.MakeLower();
    if (!folder.IsEmpty() && folder[folder.GetLength() - 1] != L'\\')
        folder += L'\\';
    return folder;
}
} // namespace

IMPLEMENT_DYNAMIC(CDlgDFIgnoreList, CDupeSettingsTab)

BEGIN_MESSAGE_MAP(CDlgDFIgnoreList, CDupeSettingsTab)
ON_BN_CLICKED(IDC_BUTTON_ADD, &CDlgDFIgnoreList::OnAdd)
ON_BN_CLICKED(IDC_BUTTON_REMOVE, &CDlgDFIgnoreList::OnRemove)
ON_BN_CLICKED(IDC_BUTTON_DEFAULT, &CDlgDFIgnoreList::LoadDefaults)
END_MESSAGE_MAP()

CDlgDFIgnoreList::CDlgDFIgnoreList(CWnd* parent)
    : CDupeSettingsTab(IDD_DLG_DF_IGNORELIST, parent, L"IDD_DLG_DF_IGNORELIST", IgnoreListLook()) {
    m_bColourChecks = false;
}

BOOL CDlgDFIgnoreList::OnInitDialog() {
    CDupeSettingsTab::OnInitDialog();
    m_list.SubclassDlgItem(IDC_LIST_IGNORE, this);
    m_btnAdd.SubclassDlgItem(IDC_BUTTON_ADD, this);
    m_btnRemove.SubclassDlgItem(IDC_BUTTON_REMOVE, this);
    m_btnDefault.SubclassDlgItem(IDC_BUTTON_DEFAULT, this);
    const struct {
        CHoverButtonWithText* button;
        LPCWSTR tip;
    } buttons[] = {{&m_btnAdd, L"IDS_TOOLTIP_ADD_IN_IGNORELIST"},
                   {&m_btnRemove, L"IDS_TOOLTIP_REMOVE_FROM_IGNORELIST"},
                   {&m_btnDefault, L"IDS_TOOLTIP_DEFAULT_IGNORELIST"}};
    for (const auto& entry : buttons) {
        LoadFourFrameStrip(*entry.button, 1076);
        StyleDarkTextButton(entry.button);
        if (m_toolTip.GetSafeHwnd() != nullptr)
            m_toolTip.AddTool(entry.button, DupeText(entry.tip));
    }
    if (m_toolTip.GetSafeHwnd() != nullptr)
        m_toolTip.AddTool(&m_list, DupeText(L"IDS_TOOLTIP_LISTIGNORE"));
    SetCaptions(this, m_pszSection,
                {{IDC_BUTTON_ADD, L"IDC_BUTTON_ADD"},
                 {IDC_BUTTON_REMOVE, L"IDC_BUTTON_REMOVE"},
                 {IDC_BUTTON_DEFAULT, L"IDC_BUTTON_DEFAULT"}});
    LayoutControls();
    CRect client;
    m_list.GetClientRect(&client);
    m_list.InsertColumn(0, L"Ignore Locations", LVCFMT_LEFT, client.Width() - 17);
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT |
                            LVS_EX_INFOTIP);
    m_list.SetBkColor(RGB(0xFB, 0xFB, 0xFB));
    m_list.SetTextBkColor(RGB(0xFB, 0xFB, 0xFB));
    MakeIconList(m_icons, {1292});
    m_list.SetImageList(&m_icons, LVSIL_SMALL);

    CRegistry registry(HKEY_CURRENT_USER);
    registry.SetAccess(KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE);
    CStringArray names;
    if (!registry.Open(HKEY_CURRENT_USER, DupeSettingsKeyPath(kIgnoreListKey), false) ||
        !ReadIgnoreListNames(registry.GetKey(), names)) {
        LoadDefaults();
        return TRUE;
    }
    for (int i = 0; i < names.GetSize(); ++i) {
        DWORD type = 0;
        DWORD value = 0;
        DWORD bytes = sizeof(value);
        if (::RegQueryValueExW(registry.GetKey(), names[i], nullptr, &type,
                               reinterpret_cast<BYTE*>(&value), &bytes) == ERROR_SUCCESS &&
            type == REG_DWORD)
            AppendRow(names[i], value != 0);
    }
    return TRUE;
}

void CDlgDFIgnoreList::LayoutControls() {
    PlaceControls({{34, 72, 520, 247}, {38, 343, 86, 24}, {131, 343, 86, 24}, {469, 343, 86, 24}},
                  {IDC_LIST_IGNORE, IDC_BUTTON_ADD, IDC_BUTTON_REMOVE, IDC_BUTTON_DEFAULT});
}

void CDlgDFIgnoreList::AppendRow(const CString& folder, bool checked) {
    const int row = m_list.InsertItem(m_list.GetItemCount(), folder, 0);
    m_list.SetCheck(row, checked);
    m_list.EnsureVisible(row, FALSE);
}

void CDlgDFIgnoreList::LoadDefaults() {
    m_list.DeleteAllItems();
    CStringArray folders;
    AddBuiltInIgnoreFolders(folders);
    for (int i = 0; i < folders.GetSize(); ++i)
        AppendRow(folders[i], true);
    if (m_list.GetItemCount() > 0)
        m_list.EnsureVisible(0, FALSE);
}

bool CDlgDFIgnoreList::IsListed(const CString& folder) {
    if (folder.IsEmpty())
        return true;
    const CString wanted = Normalised(folder);
    for (int row = 0; row < m_list.GetItemCount(); ++row) {
        if (Normalised(m_list.GetItemText(row, 0)) == wanted)
            return true;
    }
    return false;
}

void CDlgDFIgnoreList::AddFolder(const CString& folder) {
    if (!IsListed(folder))
        AppendRow(folder, true);
}

void CDlgDFIgnoreList::OnAdd() {
    CDlgAddOption popup(DupeHost().MainWindow());
    if (popup.DoModal() == IDOK)
        AddFolder(popup.m_strResult);
}

void CDlgDFIgnoreList::OnRemove() {
    for (int row = m_list.GetItemCount() - 1; row >= 0; --row) {
        if (m_list.GetItemState(row, LVIS_SELECTED) & LVIS_SELECTED)
            m_list.DeleteItem(row);
    }
}

bool CDlgDFIgnoreList::SaveSettings() {
    const CString path = DupeSettingsKeyPath(kIgnoreListKey);
    (void)CRegistry::DeleteKey(HKEY_CURRENT_USER, path);
    CRegistry registry(HKEY_CURRENT_USER);
    if (!registry.Open(HKEY_CURRENT_USER, path, true))
        return false;
    bool saved = true;
    for (int row = 0; row < m_list.GetItemCount(); ++row)
        saved =
            registry.WriteDwordValue(m_list.GetItemText(row, 0), m_list.GetCheck(row) ? 1 : 0) &&
            saved;
    return saved;
}
