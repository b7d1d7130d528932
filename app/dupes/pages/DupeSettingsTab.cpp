#include "DupeSettingsTab.h"

#include "DlgDFWelCome.h"
#include "DupePageIds.h"
#include "DupeWizard.h"

#include <BitmapDrawing.h>
#include <PanelDrawing.h>
#include <PopupServices.h>
#include <STBitmap.h>
#include <SkinPaintDC.h>
#include <SharedGlobals.h>

namespace {
constexpr COLORREF kPanelColour = RGB(0xFB, 0xFB, 0xFB);
constexpr COLORREF kSeparatorColour = 0xEDEDED;
constexpr UINT kBottomStripBitmap = 1019;

void DrawBottomStrip(CDC* dc, const CRect& client) {
    static CSTBitmap strip(kBottomStripBitmap);
    for (int x = 0; strip.GetWidth() > 0 && x < client.Width(); x += strip.GetWidth())
        DrawBitmap(dc, x, client.Height() - strip.GetHeight(), strip.GetWidth(), strip.GetHeight(),
                   &strip, SRCCOPY);
}
bool IsCheckOrRadio(CWnd* control) {
    wchar_t className[16] = {};
    ::GetClassNameW(control->m_hWnd, className, 16);
    if (::lstrcmpiW(className, L"Button") != 0)
        return false;
    switch (control->GetStyle() & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
        return true;
    default:
        return false;
    }
}
} // namespace

IMPLEMENT_DYNAMIC(CDupeSettingsTab, CDlgBaseWnd)

BEGIN_MESSAGE_MAP(CDupeSettingsTab, CDlgBaseWnd)
ON_WM_PAINT()
ON_WM_SIZE()
ON_WM_CTLCOLOR()
ON_BN_CLICKED(IDC_BTN_SAVE, &CDupeSettingsTab::OnSave)
ON_BN_CLICKED(IDC_BTN_SCAN, &CDupeSettingsTab::OnScan)
END_MESSAGE_MAP()

CDupeSettingsTab::CDupeSettingsTab(UINT templateId, CWnd* parent, LPCWSTR section, DupeTabLook look)
    : CDlgBaseWnd(templateId, parent), m_pszSection(section), m_look(std::move(look)) {}

BOOL CDupeSettingsTab::OnInitDialog() {
    CDlgBaseWnd::OnInitDialog();
    m_btnSave.SubclassDlgItem(IDC_BTN_SAVE, this);
    LoadFourFrameStrip(m_btnSave, 1074);
    StyleLightTextButton(&m_btnSave);
    m_linkScan.SubclassDlgItem(IDC_BTN_SCAN, this);
    // A link low on the tab sits on the bottom strip.
    const COLORREF linkGround = m_look.scanTop > -40 ? RGB(0xEA, 0xF1, 0xF9) : RGB(255, 255, 255);
    m_linkScan.SetBkColor(linkGround).SetTextColor(0xAB6B2F).SetHoverTextColor(0x7F4A1C);
    SetCaptions(this, m_pszSection,
                {{IDC_BTN_SAVE, L"IDC_BTN_SAVE"}, {IDC_BTN_SCAN, L"IDC_BTN_SCAN"}});
    m_linkScan.SetLinkText(DupeCaption(L"IDC_BTN_SCAN", m_pszSection));
    if (m_toolTip.GetSafeHwnd() != nullptr)
        m_toolTip.AddTool(&m_btnSave, DupeText(L"IDS_TOOLTIP_SAVESETTINGS"));
    m_icon.Reset(LoadSmallIcon(1314));
    CRect client;
    GetClientRect(&client);
    OnSize(SIZE_RESTORED, client.Width(), client.Height());
    return TRUE;
}

void CDupeSettingsTab::OnSave() {
    if (SaveSettings())
        DupeMessage(L"IDS_SETTING_APPLIED", 0);
    else
        DupeMessage(L"IDS_SETTING_NOT_SAVED", MB_ICONERROR);
}

void CDupeSettingsTab::OnScan() {
    DupeHost().ShowDuplicatesTab();
    if (CDlgDFWelCome* welcome = TheDupePages().welcome)
        welcome->OnBnClickedBtnSelectLcoationsToScan();
}

HBRUSH CDupeSettingsTab::OnCtlColor(CDC* dc, CWnd* control, UINT type) {
    if (m_bColourChecks && IsCheckOrRadio(control)) {
        dc->SetBkColor(kPanelColour);
        dc->SetBkMode(TRANSPARENT);
        dc->SetTextColor(kDupeTextColour);
        return g_hbrOffWhite;
    }
    return CDlgBaseWnd::OnCtlColor(dc, control, type);
}

void CDupeSettingsTab::OnPaint() {
    CSkinPaintDC memory(this);
    const CRect& client = memory.Client();
    if (m_look.descriptionKey != nullptr)
        DrawPageText(&memory, DupeText(m_look.descriptionKey),
                     RECT{22, 4, 570, m_look.descriptionBottom}, kDupeTextColour);
    DrawRoundedPanelPlain(&memory, 22, m_look.panelTop, m_look.panelBottom, 545);
    if (m_icon)
        ::DrawIconEx(memory.GetSafeHdc(), m_look.icon.x, m_look.icon.y, m_icon.Get(), 16, 16, 0,
                     nullptr, DI_NORMAL);
    if (m_look.headingKey != nullptr)
        DrawPageText(&memory, DupeText(m_look.headingKey), m_look.heading, kDupeHeadingColour,
                     DT_SINGLELINE);
    CBrush separator(kSeparatorColour);
    for (size_t i = 0; i < m_look.separators.size(); ++i) {
        const RECT line{i == 0 ? 38 : 58, m_look.separators[i], 554, m_look.separators[i] + 1};
        memory.FillRect(&line, &separator);
    }
    DrawBottomStrip(&memory, client);
    if (m_look.noteKey != nullptr) {
        if (m_rcNote.IsRectEmpty())
            m_rcNote = CRect(m_look.noteLeft, client.Height() + m_look.noteTop, m_look.noteRight,
                             client.Height() + m_look.noteBottom);
        DrawPageText(&memory, DupeText(m_look.noteKey), m_rcNote, kDupeTextColour);
    }
}

void CDupeSettingsTab::OnSize(UINT, int, int) {
    // A size posted while the window was made may be stale: the window\'s own counts.
    const CSize client = ClientSizeOf(this);
    const int cx = client.cx;
    const int cy = client.cy;
    if (m_btnSave.GetSafeHwnd() == nullptr)
        return;
    m_btnSave.MoveWindow(cx - 141, cy - 40, 120, 28);
    m_linkScan.MoveWindow(300, cy + m_look.scanTop, 130, 18);
    LayoutControls();
}

void CDupeSettingsTab::PlaceControls(std::initializer_list<RECT> places,
                                     std::initializer_list<int> ids) {
    auto place = places.begin();
    for (int id : ids) {
        if (place == places.end())
            break;
        if (CWnd* control = GetDlgItem(id))
            control->MoveWindow(place->left, place->top, place->right, place->bottom);
        ++place;
    }
}
