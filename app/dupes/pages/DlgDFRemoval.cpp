#include "DlgDFRemoval.h"

#include "DupePageIds.h"
#include "DupeWizard.h"

#include <DupeFinderOptions.h>

#include <shlwapi.h>

namespace {
DupeTabLook RemovalLook() {
    DupeTabLook look;
    look.descriptionKey = L"IDS_REMOVAL_DESC";
    look.descriptionBottom = 49;
    look.panelTop = 51;
    look.panelBottom = 209;
    look.icon = {37, 60};
    look.headingKey = L"IDS_SEL_ONE_OPTION";
    look.heading = {58, 59, 408, 79};
    look.separators = {84};
    look.noteKey = L"IDS_NOTE_REMOVAL";
    look.noteLeft = 22;
    look.noteTop = -34;
    look.noteRight = 322;
    look.noteBottom = 6;
    return look;
}
} // namespace

IMPLEMENT_DYNAMIC(CDlgDFRemoval, CDupeSettingsTab)

BEGIN_MESSAGE_MAP(CDlgDFRemoval, CDupeSettingsTab)
ON_WM_SHOWWINDOW()
ON_BN_CLICKED(IDC_RDO_MOVE_TO_RECYCLEBIN, &CDlgDFRemoval::OnRecycleBin)
ON_BN_CLICKED(IDC_RDO_BACKUP, &CDlgDFRemoval::OnBackup)
ON_BN_CLICKED(IDC_BTN_SAVE, &CDlgDFRemoval::OnSaveRemoval)
END_MESSAGE_MAP()

CDlgDFRemoval::CDlgDFRemoval(CWnd* parent)
    : CDupeSettingsTab(IDD_DLG_DF_REMOVER, parent, L"IDD_DLG_DF_REMOVER", RemovalLook()) {}

BOOL CDlgDFRemoval::OnInitDialog() {
    CDupeSettingsTab::OnInitDialog();
    SetCaptions(this, m_pszSection,
                {{IDC_RDO_MOVE_TO_RECYCLEBIN, L"IDC_RDO_MOVE_TO_RECYCLEBIN"},
                 {IDC_RDO_BACKUP, L"IDC_RDO_BACKUP"},
                 {IDC_ST_RESTORE, L"IDC_ST_RESTORE"}});
    m_folder.SubclassDlgItem(IDC_DUPE_EDIT_FOLDER, this);
    m_folder.EnableFolderBrowseButton();
    ::ShowWindow(::GetDlgItem(m_hWnd, IDC_ST_RESTORE), SW_HIDE);
    LayoutControls();
    return TRUE;
}

void CDlgDFRemoval::LayoutControls() {
    PlaceControls(
        {{58, 96, 500, 18}, {58, 131, 500, 30}, {74, 166, 480, 22}, {38, 180, 300, 20}},
        {IDC_RDO_MOVE_TO_RECYCLEBIN, IDC_RDO_BACKUP, IDC_DUPE_EDIT_FOLDER, IDC_ST_RESTORE});
}

void CDlgDFRemoval::OnShowWindow(BOOL show, UINT status) {
    CDupeSettingsTab::OnShowWindow(show, status);
    if (show)
        LoadFromStore();
}

void CDlgDFRemoval::LoadFromStore() {
    DWORD option = ReadRemovalOption();
    if (option == kRemoveWithZipBackup) {
        const CString folder = ReadBackupFolder();
        if (folder.IsEmpty())
            option = kRemoveToRecycleBin;
        else
            m_folder.SetWindowText(folder);
    }
    const bool backup = option == kRemoveWithZipBackup;
    Check(IDC_RDO_BACKUP, backup);
    Check(IDC_RDO_MOVE_TO_RECYCLEBIN, !backup);
    m_folder.EnableWindow(backup);
    (void)WriteRemovalOption(backup ? kRemoveWithZipBackup : kRemoveToRecycleBin);
}

void CDlgDFRemoval::OnRecycleBin() {
    m_folder.EnableWindow(FALSE);
}

void CDlgDFRemoval::OnBackup() {
    m_folder.EnableWindow(TRUE);
}

void CDlgDFRemoval::OnSaveRemoval() {
    if (IsChecked(IDC_RDO_BACKUP)) {
        CString folder;
        m_folder.GetWindowText(folder);
        if (folder.IsEmpty() || !::PathFileExistsW(folder)) {
            DupeMessage(L"IDS_SPCFY_LOC", 0);
            m_folder.SetWindowText(L"");
            return;
        }
    }
    OnSave();
}

bool CDlgDFRemoval::SaveSettings() {
    if (IsChecked(IDC_RDO_BACKUP)) {
        CString folder;
        m_folder.GetWindowText(folder);
        return WriteBackupFolder(folder) && WriteRemovalOption(kRemoveWithZipBackup);
    }
    m_folder.SetWindowText(L"");
    return WriteBackupFolder(L"") && WriteRemovalOption(kRemoveToRecycleBin);
}
