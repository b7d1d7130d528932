#include "DlgSetting3Exclusions.h"

#include <PopupServices.h>

#include "JunkPagesResource.h"
#include "JunkTables.h"
#include "JunkWizard.h"

namespace {
constexpr UINT kFolderIcon = 1292;

// The path's short or long form; empty when the call fails.
CString OtherForm(const CString& path, bool shortForm) {
    wchar_t text[MAX_PATH] = {};
    const DWORD length = shortForm ? GetShortPathNameW(path, text, MAX_PATH - 1)
                                   : GetLongPathNameW(path, text, MAX_PATH);
    return length > 0 && length < MAX_PATH ? CString(text) : CString();
}
} // namespace

CDlgSetting3Exclusions::CDlgSetting3Exclusions(CDlgCleanOptions* host)
    : CDlgSetting2Files(IDD_SETTINGS2_FILESTOSCAN, host, true) {}

CDlgSetting3Exclusions::~CDlgSetting3Exclusions() = default;

BOOL CDlgSetting3Exclusions::OnInitDialog() {
    CDlgSetting2Files::OnInitDialog();
    m_selectAll.ShowWindow(SW_HIDE);
    SetWindowText(JunkText(L"SETTINGSDLG3"));
    m_list.SetExtendedStyle(kSettingsListStyles & ~LVS_EX_CHECKBOXES);
    m_images.Replace(0, AfxGetApp()->LoadIcon(kFolderIcon));
    FillList();
    return TRUE;
}

void CDlgSetting3Exclusions::FillList() {
    m_list.DeleteAllItems();
    if (!g_pJunkFinder)
        return;
    const CStringArray& entries = g_pJunkFinder->IgnoreList();
    for (INT_PTR i = 0; i < entries.GetSize(); ++i)
        if (!IsBuiltInIgnorePattern(entries[i]))
            m_list.InsertItem(m_list.GetItemCount(), entries[i], 0);
}

bool CDlgSetting3Exclusions::SaveList() {
    if (!g_pJunkFinder)
        return false;
    CStringArray& entries = g_pJunkFinder->IgnoreList();
    entries.RemoveAll();
    for (int row = 0; row < m_list.GetItemCount(); ++row) {
        CString text = m_list.GetItemText(row, 0);
        text.MakeLower();
        entries.Add(text);
    }
    return g_pJunkFinder->SaveIgnoreList();
}

void CDlgSetting3Exclusions::LoadDefaults() {
    if (g_pJunkFinder) {
        g_pJunkFinder->IgnoreList().RemoveAll();
        g_pJunkFinder->MergeDefaultIgnoreList();
        g_pJunkFinder->AddSpecialFolderExclusions();
    }
    FillList();
    static_cast<void>(SaveList());
}

bool CDlgSetting3Exclusions::AddEntry(const CString& entered) {
    CString text = entered;
    text.MakeLower();
    if (text.Right(1) == L"\\")
        text.Delete(text.GetLength() - 1);
    CString longForm;
    CString shortForm;
    if (GetFileAttributesW(text) != INVALID_FILE_ATTRIBUTES) {
        longForm = OtherForm(text, false);
        if (longForm.CompareNoCase(text) == 0 ||
            GetFileAttributesW(longForm) == INVALID_FILE_ATTRIBUTES)
            longForm.Empty();
        shortForm = OtherForm(text, true);
        if (shortForm.CompareNoCase(text) == 0)
            shortForm.Empty();
    }
    const bool enteredIsRow = HasRow(text);
    bool added = false;
    for (const CString& candidate : {text, longForm, shortForm}) {
        if (candidate.IsEmpty() || HasRow(candidate))
            continue;
        m_list.EnsureVisible(m_list.InsertItem(m_list.GetItemCount(), candidate, 0), FALSE);
        added = true;
    }
    if (enteredIsRow)
        AppMessageBox(JunkText(L"SET2ALREADYTEHRE"), MB_ICONEXCLAMATION, this, nullptr, false);
    return added;
}
