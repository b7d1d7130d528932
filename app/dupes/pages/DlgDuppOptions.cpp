#include "DlgDuppOptions.h"

#include "DupePageIds.h"
#include "DupeWizard.h"

#include <SkinPaintDC.h>

namespace {
constexpr UINT kTabBitmap = 6053;
constexpr COLORREF kIdleTabText = RGB(45, 72, 108);
const struct {
    LPCWSTR caption;
    LPCWSTR title;
} kTabs[CDlgDuppOptions::kTabCount] = {{L"LEFT_TAB2_BTN1", L"SETT_TAB_BTN1"},
                                       {L"LEFT_TAB2_BTN2", L"SETT_TAB_BTN2"},
                                       {L"SETT_TAB_BTN3", L"SETT_TAB_BTN3"},
                                       {L"SETT_TAB_BTN4", L"SETT_TAB_BTN4"},
                                       {L"SETT_TAB_BTN5", L"SETT_TAB_BTN5"}};
} // namespace

IMPLEMENT_DYNAMIC(CDlgDuppOptions, CDlgLeftSideChild)

BEGIN_MESSAGE_MAP(CDlgDuppOptions, CDlgLeftSideChild)
ON_WM_SIZE()
ON_WM_PAINT()
ON_COMMAND_RANGE(IDC_TAB_BTN_FIRST, IDC_TAB_BTN_FIRST + CDlgDuppOptions::kTabCount - 1,
                 &CDlgDuppOptions::OnTabButton)
END_MESSAGE_MAP()

CDlgDuppOptions::CDlgDuppOptions(CWnd* parent) : CDlgLeftSideChild(IDD_DLG_DUPP_OPTIONS, parent) {
    TheDupePages().options = this;
}

CDlgDuppOptions::~CDlgDuppOptions() {
    if (TheDupePages().options == this)
        TheDupePages().options = nullptr;
}

CWnd* CDlgDuppOptions::Page(int index) {
    CWnd* pages[kTabCount] = {&m_matchCriteria, &m_fileTypes, &m_ignoreList, &m_removal,
                              &m_lastScans};
    return pages[index];
}

BOOL CDlgDuppOptions::OnInitDialog() {
    CDlgLeftSideChild::OnInitDialog();
    for (int i = 0; i < kTabCount; ++i) {
        m_tabButtons[i].SubclassDlgItem(IDC_TAB_BTN_FIRST + i, this);
        LoadFourFrameStrip(m_tabButtons[i], kTabBitmap);
        // White on the selected (pressed) tab; the others are light and carry dark text, as
        // the junk cleaner's settings tabs do.
        m_tabButtons[i].m_clrText = kIdleTabText;
        m_tabButtons[i].m_clrHover = kIdleTabText;
        m_tabButtons[i].m_clrPressed = RGB(255, 255, 255);
        m_tabButtons[i].SetWindowText(DupeText(kTabs[i].caption));
    }
    m_matchCriteria.Create(IDD_DLG_DF_FILEMATCHCRITERIA, this);
    m_fileTypes.Create(IDD_DLG_DF_TYPEOFFILESEARCH, this);
    m_ignoreList.Create(IDD_DLG_DF_IGNORELIST, this);
    m_removal.Create(IDD_DLG_DF_REMOVER, this);
    m_lastScans.Create(IDD_DLG_DF_LAST_SCAN_RESULTS, this);
    OnSize(SIZE_RESTORED, kDupePageWidth, kDupePageHeight);
    SelectTab(0);
    return TRUE;
}

void CDlgDuppOptions::OnTabButton(UINT id) {
    SelectTab(static_cast<int>(id - IDC_TAB_BTN_FIRST));
}

void CDlgDuppOptions::SelectTab(int index) {
    if (index < 0 || index >= kTabCount)
        return;
    for (int i = 0; i < kTabCount; ++i) {
        m_tabButtons[i].m_bPushed = i == index;
        m_tabButtons[i].Invalidate();
    }
    m_nSelectedTab = index;
    SetWindowText(DupeText(kTabs[index].title));
    Invalidate();
    CWnd* page = Page(index);
    if (page == m_pShownPage)
        return;
    if (index == kTabCount - 1)
        m_lastScans.RefreshList();
    if (m_pShownPage != nullptr)
        m_pShownPage->ShowWindow(SW_HIDE);
    m_pShownPage = page;
    page->ShowWindow(SW_SHOW);
}

void CDlgDuppOptions::OnPaint() {
    CSkinPaintDC memory(this);
    const CRect& client = memory.Client();
    DrawPageTitle(&memory, client, FALSE);
}

void CDlgDuppOptions::OnSize(UINT, int, int) {
    // A size posted while the window was made may be stale: the window\'s own counts.
    const CSize client = ClientSizeOf(this);
    const int cx = client.cx;
    const int cy = client.cy;
    if (m_tabButtons[0].GetSafeHwnd() == nullptr)
        return;
    for (int i = 0; i < kTabCount; ++i)
        m_tabButtons[i].MoveWindow(180 + 78 * i, 16, 78, 29);
    for (int i = 0; i < kTabCount; ++i) {
        if (CWnd* page = Page(i); page->GetSafeHwnd() != nullptr)
            page->MoveWindow(0, 50, cx, cy - 50);
    }
}
