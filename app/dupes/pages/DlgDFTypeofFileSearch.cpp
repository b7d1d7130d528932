#include "DlgDFTypeofFileSearch.h"

#include "DupePageIds.h"
#include "DupeWizard.h"

#include <DupeFinderOptions.h>

#include <iterator>
#include <type_traits>

namespace {
const struct {
    int id;
    LPCWSTR value;
    LPCWSTR caption;
    LPCWSTR tip;
} kGroups[] = {
    {IDC_CHK_MUSIC_FILES, L"SEARCH_MUSIC_FILES", L"IDC_CHK_MUSIC_FILES",
     L"IDS_TOOLTIP_CHK_MUSICFILE"},
    {IDC_CHK_VIDEO_FILES, L"SEARCH_VIDEO_FILES", L"IDC_CHK_VIDEO_FILES",
     L"IDS_TOOLTIP_CHK_VIDEOFILE"},
    {IDC_CHK_IMAGE_FILES, L"SEARCH_IMAGE_FILES", L"IDC_CHK_IMAGE_FILES",
     L"IDS_TOOLTIP_CHK_IMAGEFILE"},
    {IDC_CHK_DOC_FILES, L"SEARCH_OFFICE_DOCUMENTS", L"IDC_CHK_DOC_FILES",
     L"IDS_TOOLTIP_CHK_DOCFILE"},
    {IDC_CHK_COMPRESS_FILES, L"SEARCH_COMPRESSED_FILES", L"IDC_CHK_COMPRESS_FILES",
     L"IDS_TOOLTIP_CHK_COMPFILE"},
};

DupeTabLook FileTypesLook() {
    DupeTabLook look;
    look.descriptionKey = L"FILES_TYPE_DESC";
    look.panelTop = 51;
    look.panelBottom = 282;
    look.icon = {37, 60};
    look.headingKey = L"IDS_SCAN_FOLLOWING";
    look.heading = {58, 59, 408, 79};
    look.separators = {84, 120, 156, 192, 228};
    look.scanTop = -33;
    return look;
}
} // namespace

IMPLEMENT_DYNAMIC(CDlgDFTypeofFileSearch, CDupeSettingsTab)

BEGIN_MESSAGE_MAP(CDlgDFTypeofFileSearch, CDupeSettingsTab)
ON_BN_CLICKED(IDC_CHK_SEARCH_ALL, &CDlgDFTypeofFileSearch::OnAll)
END_MESSAGE_MAP()

CDlgDFTypeofFileSearch::CDlgDFTypeofFileSearch(CWnd* parent)
    : CDupeSettingsTab(IDD_DLG_DF_TYPEOFFILESEARCH, parent, L"IDD_DLG_DF_TYPEOFFILESEARCH",
                       FileTypesLook()) {}

BOOL CDlgDFTypeofFileSearch::OnInitDialog() {
    CDupeSettingsTab::OnInitDialog();
    SetCaptions(this, m_pszSection, {{IDC_CHK_SEARCH_ALL, L"IDC_CHK_SEARCH_ALL"}});
    const bool all = ReadFileTypeSetting(L"SEARCH_ALL_FILES") != 0;
    Check(IDC_CHK_SEARCH_ALL, all);
    bool anyChecked = all;
    static_assert(std::size(kGroups) == std::extent_v<decltype(m_typeBoxes)>);
    for (size_t i = 0; i < std::size(kGroups); ++i)
        m_typeBoxes[i].SubclassDlgItem(kGroups[i].id, this);
    for (const auto& group : kGroups) {
        ::SetDlgItemTextW(m_hWnd, group.id, DupeCaption(group.caption, m_pszSection));
        const bool checked = ReadFileTypeSetting(group.value) != 0;
        Check(group.id, checked);
        Enable(group.id, !all);
        anyChecked = anyChecked || checked;
        if (m_toolTip.GetSafeHwnd() != nullptr)
            m_toolTip.AddTool(GetDlgItem(group.id), DupeText(group.tip));
    }
    if (m_toolTip.GetSafeHwnd() != nullptr)
        m_toolTip.AddTool(GetDlgItem(IDC_CHK_SEARCH_ALL), DupeText(L"IDS_TOOLTIP_CHK_ALLFILE"));
    if (!anyChecked) {
        Check(IDC_CHK_SEARCH_ALL, true);
        (void)WriteFileTypeSetting(L"SEARCH_ALL_FILES", 1);
    }
    return TRUE;
}

void CDlgDFTypeofFileSearch::LayoutControls() {
    PlaceControls({{430, 59, 100, 20},
                   {58, 94, 210, 18},
                   {58, 130, 300, 18},
                   {58, 166, 370, 18},
                   {58, 202, 370, 18},
                   {58, 238, 370, 18}},
                  {IDC_CHK_SEARCH_ALL, IDC_CHK_MUSIC_FILES, IDC_CHK_VIDEO_FILES,
                   IDC_CHK_IMAGE_FILES, IDC_CHK_DOC_FILES, IDC_CHK_COMPRESS_FILES});
}

void CDlgDFTypeofFileSearch::OnAll() {
    const bool all = IsChecked(IDC_CHK_SEARCH_ALL);
    for (const auto& group : kGroups) {
        Enable(group.id, !all);
        Check(group.id, all ? false : ReadFileTypeSetting(group.value) != 0);
    }
}

bool CDlgDFTypeofFileSearch::SaveSettings() {
    bool any = IsChecked(IDC_CHK_SEARCH_ALL);
    for (const auto& group : kGroups)
        any = any || IsChecked(group.id);
    if (!any)
        Check(IDC_CHK_SEARCH_ALL, true);
    const bool all = IsChecked(IDC_CHK_SEARCH_ALL);
    bool saved = WriteFileTypeSetting(L"SEARCH_ALL_FILES", all ? 1 : 0);
    for (const auto& group : kGroups)
        saved = WriteFileTypeSetting(group.value, !all && IsChecked(group.id) ? 1 : 0) && saved;
    return saved;
}
