#include "DlgSetting4Advanced.h"

#include <PanelDrawing.h>
#include <SelectedFont.h>

#include "JunkPagesResource.h"
#include "JunkWizard.h"
#include "UiFonts.h"
#include "VantorixApp.h"

BEGIN_MESSAGE_MAP(CDlgSetting4Advanced, CJunkSettingsTab)
ON_WM_SIZE()
END_MESSAGE_MAP()

namespace {
constexpr wchar_t kSection[] = L"IDD_SETTINGS4_ADVANCED";
constexpr wchar_t kOptionsSection[] = L"Advanced";
constexpr wchar_t kZeroLength[] = L"ChkZeroLenght";
constexpr wchar_t kEmptyFolders[] = L"ChkEmptyFolders";
constexpr wchar_t kExcludeRecent[] = L"ChkExcludeRecentFiles";
constexpr wchar_t kSkipSystem[] = L"ChkSkipSystemFiles";
} // namespace

CDlgSetting4Advanced::CDlgSetting4Advanced(CDlgCleanOptions* host)
    : CJunkSettingsTab(IDD_SETTINGS4_ADVANCED, host) {}

CDlgSetting4Advanced::~CDlgSetting4Advanced() = default;

BOOL CDlgSetting4Advanced::OnInitDialog() {
    CJunkSettingsTab::OnInitDialog();
    m_zeroLength.SubclassDlgItem(IDC_CHK_ZERO_LENGHT, this);
    m_excludeRecent.SubclassDlgItem(IDC_EXCLUDE_RECENT_FILES, this);
    m_skipSystem.SubclassDlgItem(IDC_SKIP_READONLY_SYSTEM_FILES, this);
    m_emptyFolders.SubclassDlgItem(IDC_CHECK_EMPTY_FOLDERS, this);
    SetControlText(this, IDC_CHK_ZERO_LENGHT, kSection, L"IDC_CHK_ZERO_LENGHT");
    SetControlText(this, IDC_EXCLUDE_RECENT_FILES, kSection, L"IDC_EXCLUDE_RECENT_FILES");
    SetControlText(this, IDC_SKIP_READONLY_SYSTEM_FILES, kSection,
                   L"IDC_SKIP_READONLY_SYSTEM_FILES");
    SetControlText(this, IDC_CHECK_EMPTY_FOLDERS, kSection, L"IDC_CHECK_EMPTY_FOLDERS");
    SetWindowText(JunkText(L"SETTINGSDLG4"));
    const int tops[] = {121, 156, 191, 226};
    CWnd* boxes[] = {&m_zeroLength, &m_excludeRecent, &m_skipSystem, &m_emptyFolders};
    for (int i = 0; i < 4; ++i)
        boxes[i]->SetWindowPos(nullptr, 41, tops[i], 504, 27, SWP_NOZORDER);
    LoadBoxes(0, 1, 1, 1);
    LayOutNow(this);
    return TRUE;
}

void CDlgSetting4Advanced::LoadBoxes(int zeroLength, int emptyFolders, int excludeRecent,
                                     int skipSystem) {
    CVantorixApp* app = JunkApp();
    auto read = [app](LPCWSTR name, int fallback) {
        return app && app->GetProfileInt(kOptionsSection, name, fallback) != 0 ? BST_CHECKED
                                                                               : BST_UNCHECKED;
    };
    m_zeroLength.SetCheck(read(kZeroLength, zeroLength));
    m_emptyFolders.SetCheck(read(kEmptyFolders, emptyFolders));
    m_excludeRecent.SetCheck(read(kExcludeRecent, excludeRecent));
    m_skipSystem.SetCheck(read(kSkipSystem, skipSystem));
}

void CDlgSetting4Advanced::OnSize(UINT type, int cx, int cy) {
    CJunkSettingsTab::OnSize(type, cx, cy);
    TakeCurrentClientSize(this, cx, cy);
    const int tops[] = {71, 106, 141, 176};
    CWnd* boxes[] = {&m_zeroLength, &m_excludeRecent, &m_skipSystem, &m_emptyFolders};
    for (int i = 0; i < 4; ++i)
        if (boxes[i]->GetSafeHwnd())
            boxes[i]->SetWindowPos(nullptr, 41, tops[i], 504, 27, SWP_NOZORDER);
}

bool CDlgSetting4Advanced::Save() {
    CVantorixApp* app = JunkApp();
    if (!app)
        return false;
    bool written = true;
    const struct {
        LPCWSTR name;
        CButton* box;
    } values[] = {{kZeroLength, &m_zeroLength},
                  {kEmptyFolders, &m_emptyFolders},
                  {kExcludeRecent, &m_excludeRecent},
                  {kSkipSystem, &m_skipSystem}};
    for (const auto& value : values)
        written = app->WriteProfileInt(kOptionsSection, value.name,
                                       value.box->GetCheck() == BST_CHECKED ? 1 : 0) &&
                  written;
    return written;
}

void CDlgSetting4Advanced::LoadDefaults() {
    if (CVantorixApp* app = JunkApp()) {
        app->WriteProfileInt(kOptionsSection, kZeroLength, 0);
        app->WriteProfileInt(kOptionsSection, kEmptyFolders, 1);
        app->WriteProfileInt(kOptionsSection, kExcludeRecent, 1);
        app->WriteProfileInt(kOptionsSection, kSkipSystem, 1);
    }
    LoadBoxes(1, 1, 1, 1);
}

void CDlgSetting4Advanced::PaintContent(CDC& dc, const CRect& client) {
    DrawRoundedPanel(&dc, 22, 58, 280, 545);
    CSelectedFont font(dc.GetSafeHdc(), static_cast<HFONT>(g_fontUI.GetSafeHandle()));
    CRect description(22, 10, 561, 56);
    dc.DrawText(JunkText(L"IDS_ADV_SETTINGS_DESC"), &description, DT_WORDBREAK);
    static_cast<void>(client);
}
