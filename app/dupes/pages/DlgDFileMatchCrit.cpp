#include "DlgDFileMatchCrit.h"

#include "DupePageIds.h"
#include "DupeWizard.h"

#include <DupeFinderOptions.h>

IMPLEMENT_DYNAMIC(CDlgDFileMatchCrit, CDupeSettingsTab)

BEGIN_MESSAGE_MAP(CDlgDFileMatchCrit, CDupeSettingsTab)
ON_WM_SHOWWINDOW()
ON_BN_CLICKED(IDC_CHK_NAMES, &CDlgDFileMatchCrit::OnNameOrTime)
ON_BN_CLICKED(IDC_CHK_TIME, &CDlgDFileMatchCrit::OnNameOrTime)
ON_BN_CLICKED(IDC_CHK_SAMESIZE, &CDlgDFileMatchCrit::OnSize)
ON_BN_CLICKED(IDC_CHK_BINCOMPARE, &CDlgDFileMatchCrit::OnContent)
END_MESSAGE_MAP()

namespace {
DupeTabLook MatchCriteriaLook() {
    DupeTabLook look;
    look.descriptionKey = L"FILEMATCH_CRITIREA_DESC";
    look.panelTop = 36;
    look.panelBottom = 269;
    look.icon = {37, 45};
    look.headingKey = L"IDS_SEL_DUP_MATCH_CRITERA";
    look.heading = {58, 44, 520, 64};
    look.separators = {69, 105, 141, 177, 213};
    look.noteKey = L"IDS_NOTE_FILEMATCH_DLG";
    look.noteLeft = 22;
    look.noteTop = -40;
    look.noteRight = 372;
    look.noteBottom = 10;
    return look;
}
} // namespace

CDlgDFileMatchCrit::CDlgDFileMatchCrit(CWnd* parent)
    : CDupeSettingsTab(IDD_DLG_DF_FILEMATCHCRITERIA, parent, L"IDD_DLG_DF_FILEMATCHCRITERIA",
                       MatchCriteriaLook()) {}

BOOL CDlgDFileMatchCrit::OnInitDialog() {
    CDupeSettingsTab::OnInitDialog();
    m_contentBox.SubclassDlgItem(IDC_CHK_BINCOMPARE, this);
    m_sizeLimitBox.SubclassDlgItem(IDC_CHK_CRC_FILE_SIZE_LIMIT, this);
    SetCaptions(this, m_pszSection,
                {{IDC_CHK_NAMES, L"IDC_CHK_NAMES"},
                 {IDC_CHK_TIME, L"IDC_CHK_TIME"},
                 {IDC_CHK_SAMESIZE, L"IDC_CHK_SAMESIZE"},
                 {IDC_CHK_BINCOMPARE, L"IDC_CHK_BINCOMPARE"},
                 {IDC_CHK_CRC_FILE_SIZE_LIMIT, L"IDC_CHK_CRC_FILE_SIZE_LIMIT"}});
    if (m_toolTip.GetSafeHwnd() != nullptr) {
        const struct {
            int id;
            LPCWSTR key;
        } tips[] = {{IDC_CHK_NAMES, L"IDS_TOOLTIP_SAMENAME"},
                    {IDC_CHK_TIME, L"IDS_TOOLTIP_SAMETIME"},
                    {IDC_CHK_SAMESIZE, L"IDS_TOOLTIP_SAMESIZE"},
                    {IDC_CHK_BINCOMPARE, L"IDS_TOOLTIP_CRC"},
                    {IDC_CHK_CRC_FILE_SIZE_LIMIT, L"IDS_TOOLTIP_CRC_SIZELIMIT"}};
        for (const auto& tip : tips)
            m_toolTip.AddTool(GetDlgItem(tip.id), DupeText(tip.key));
    }
    return TRUE;
}

void CDlgDFileMatchCrit::LayoutControls() {
    PlaceControls({{58, 79, 500, 18},
                   {58, 115, 500, 18},
                   {58, 151, 500, 18},
                   {58, 187, 500, 18},
                   {58, 223, 500, 18}},
                  {IDC_CHK_NAMES, IDC_CHK_TIME, IDC_CHK_SAMESIZE, IDC_CHK_BINCOMPARE,
                   IDC_CHK_CRC_FILE_SIZE_LIMIT});
}

void CDlgDFileMatchCrit::OnShowWindow(BOOL show, UINT status) {
    CDupeSettingsTab::OnShowWindow(show, status);
    if (show)
        LoadFromStore();
}

void CDlgDFileMatchCrit::LoadFromStore() {
    const bool size = ReadFindOption(L"FILESIZE", 1) != 0;
    const bool content = ReadFindOption(L"FILECRC", 0) != 0;
    Check(IDC_CHK_NAMES, ReadFindOption(L"FILENAME", 1) != 0);
    Check(IDC_CHK_SAMESIZE, size);
    Check(IDC_CHK_TIME, ReadFindOption(L"FILETIME", 1) != 0);
    Check(IDC_CHK_BINCOMPARE, content);
    Check(IDC_CHK_CRC_FILE_SIZE_LIMIT, ReadFindOption(L"CRCSIZELIMIT", 1) != 0);
    Enable(IDC_CHK_BINCOMPARE, size);
    Enable(IDC_CHK_CRC_FILE_SIZE_LIMIT, content);
    DupeMatchOptions stored;
    ReadAllFindOptions(stored);
    if (!stored.name && !stored.size && !stored.lastWriteTime) {
        Check(IDC_CHK_NAMES, true);
        Check(IDC_CHK_SAMESIZE, true);
        Check(IDC_CHK_TIME, false);
        (void)WriteFindOption(L"FILENAME", 1);
        (void)WriteFindOption(L"FILESIZE", 1);
        (void)WriteFindOption(L"FILETIME", 0);
    }
    UpdateSave();
}

void CDlgDFileMatchCrit::UpdateSave() {
    m_btnSave.EnableWindow(IsChecked(IDC_CHK_NAMES) || IsChecked(IDC_CHK_SAMESIZE) ||
                           IsChecked(IDC_CHK_TIME));
}

void CDlgDFileMatchCrit::OnNameOrTime() {
    UpdateSave();
}

void CDlgDFileMatchCrit::OnSize() {
    const bool size = IsChecked(IDC_CHK_SAMESIZE);
    Enable(IDC_CHK_BINCOMPARE, size);
    Enable(IDC_CHK_CRC_FILE_SIZE_LIMIT, size);
    if (!size) {
        Check(IDC_CHK_BINCOMPARE, false);
        Check(IDC_CHK_CRC_FILE_SIZE_LIMIT, false);
    }
    UpdateSave();
}

void CDlgDFileMatchCrit::OnContent() {
    UpdateSave();
    Enable(IDC_CHK_CRC_FILE_SIZE_LIMIT, IsChecked(IDC_CHK_BINCOMPARE));
}

bool CDlgDFileMatchCrit::SaveSettings() {
    bool saved = WriteFindOption(L"FILENAME", IsChecked(IDC_CHK_NAMES) ? 1 : 0);
    saved = WriteFindOption(L"FILESIZE", IsChecked(IDC_CHK_SAMESIZE) ? 1 : 0) && saved;
    saved = WriteFindOption(L"FILETIME", IsChecked(IDC_CHK_TIME) ? 1 : 0) && saved;
    saved = WriteFindOption(L"FILECRC", IsChecked(IDC_CHK_BINCOMPARE) ? 1 : 0) && saved;
    saved =
        WriteFindOption(L"CRCSIZELIMIT", IsChecked(IDC_CHK_CRC_FILE_SIZE_LIMIT) ? 1 : 0) && saved;
    return saved;
}
