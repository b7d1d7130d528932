#include "DlgCleanOptions.h"

#include <PopupServices.h>

#include "JunkPagesResource.h"
#include "JunkWizard.h"

BEGIN_MESSAGE_MAP(CDlgCleanOptions, CDlgLeftSideChild)
ON_WM_SIZE()
ON_COMMAND_RANGE(IDC_SETTINGS_TAB1, IDC_SETTINGS_TAB5, &CDlgCleanOptions::OnTabButton)
END_MESSAGE_MAP()

namespace {
constexpr UINT kTabButtonBitmap = 8098;
constexpr const wchar_t* kTabTitles[] = {L"SETTINGSTAB1", L"SETTINGSTAB2", L"SETTINGSTAB3",
                                         L"SETTINGSTAB4", L"SETTINGSTAB5"};
} // namespace

void SelectTabButton(CHoverButtonWithText* button, CHoverButtonWithText*& selected) {
    if (button == selected)
        return;
    button->m_bSelected = true;
    button->m_bPushed = true;
    button->Invalidate(FALSE);
    if (selected) {
        selected->m_bSelected = false;
        selected->m_bPushed = false;
        selected->Invalidate(FALSE);
    }
    selected = button;
}

CDlgCleanOptions::CDlgCleanOptions(CWnd* parent)
    : CDlgLeftSideChild(IDD_CLEAN_OPTIONS, parent), m_drivesTab(this), m_masksTab(this),
      m_exclusionsTab(this), m_advancedTab(this), m_cleanupTab(this) {}

CDlgCleanOptions::~CDlgCleanOptions() = default;

CJunkSettingsTab* CDlgCleanOptions::Tab(int index) {
    CJunkSettingsTab* tabs[] = {&m_drivesTab, &m_masksTab, &m_exclusionsTab, &m_advancedTab,
                                &m_cleanupTab};
    return index >= 1 && index <= kTabCount ? tabs[index - 1] : nullptr;
}

BOOL CDlgCleanOptions::OnInitDialog() {
    CDlgLeftSideChild::OnInitDialog();
    for (int i = 0; i < kTabCount; ++i) {
        CHoverButtonWithText& button = m_tabButtons[i];
        button.SubclassDlgItem(IDC_SETTINGS_TAB1 + i, this);
        button.SetWindowText(JunkText(kTabTitles[i]));
        button.m_bHasDisabledState = true;
        button.LoadBitmap(kTabButtonBitmap);
        // White on the selected (pressed) frame, dark on the light ones.
        button.m_clrText = RGB(45, 72, 108);
        button.m_clrHover = RGB(45, 72, 108);
        button.m_clrPressed = RGB(255, 255, 255);
    }
    for (int i = 1; i <= kTabCount; ++i) {
        CJunkSettingsTab* tab = Tab(i);
        tab->Create(tab->m_nTemplateId, this);
    }
    LayOutNow(this);
    SelectTab(1);
    return TRUE;
}

void CDlgCleanOptions::DrawPageTitle(CDC* dc, const RECT& client, BOOL) {
    CDlgLeftSideChild::DrawPageTitle(dc, client, FALSE);
}

void CDlgCleanOptions::OnSize(UINT type, int cx, int cy) {
    CDlgLeftSideChild::OnSize(type, cx, cy);
    TakeCurrentClientSize(this, cx, cy);
    for (int i = 0; i < kTabCount; ++i)
        if (m_tabButtons[i].GetSafeHwnd())
            m_tabButtons[i].SetWindowPos(nullptr, 180 + 78 * i, 16, 78, 29, SWP_NOZORDER);
    for (int i = 1; i <= kTabCount; ++i)
        if (Tab(i)->GetSafeHwnd())
            Tab(i)->SetWindowPos(nullptr, 0, 50, cx, cy - 50, SWP_NOZORDER);
}

void CDlgCleanOptions::OnTabButton(UINT id) {
    SelectTab(static_cast<int>(id - IDC_SETTINGS_TAB1) + 1);
}

void CDlgCleanOptions::SelectTab(int tab) {
    if (tab < 1 || tab > kTabCount)
        return;
    SelectTabButton(&m_tabButtons[tab - 1], m_pSelectedButton);
    SetWindowText(JunkText(kTabTitles[tab - 1]));
    Invalidate();
    if (tab == m_nCurrentTab)
        return;
    if (CJunkSettingsTab* shown = Tab(m_nCurrentTab))
        shown->ShowWindow(SW_HIDE);
    Tab(tab)->ShowWindow(SW_SHOW);
    m_nCurrentTab = tab;
}

bool CDlgCleanOptions::ApplyAll(bool confirm) {
    bool saved = true;
    for (int i = 1; i <= kTabCount; ++i)
        saved = Tab(i)->Save() && saved;
    if (confirm)
        AppMessageBox(JunkText(saved ? L"IDS_SETTINGS_SAVED" : L"IDS_SETTINGS_NOT_SAVED"),
                      saved ? MB_ICONINFORMATION : MB_ICONERROR, this, nullptr, false);
    return saved;
}

void CDlgCleanOptions::LoadDefaultsAll() {
    if (AppMessageBox(JunkText(L"IDS_LOAD_DEFAULTS"), MB_YESNO | MB_ICONQUESTION, this, nullptr,
                      false) != IDYES)
        return;
    for (int i = 1; i <= kTabCount; ++i)
        Tab(i)->LoadDefaults();
}
