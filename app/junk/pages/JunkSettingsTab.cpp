#include "JunkSettingsTab.h"

#include <BitmapDrawing.h>
#include <STBitmap.h>
#include <SkinPaintDC.h>

#include "DlgCleanOptions.h"
#include "JunkPagesResource.h"
#include "JunkWizard.h"

BEGIN_MESSAGE_MAP(CJunkSettingsTab, CDlgBaseWnd)
ON_WM_SIZE()
ON_WM_PAINT()
ON_WM_CTLCOLOR()
ON_BN_CLICKED(IDC_JUNK_BTN_APPLY, &CJunkSettingsTab::OnApply)
ON_BN_CLICKED(IDC_BTN_LOAD_DEFAULTS, &CJunkSettingsTab::OnLoadDefaults)
END_MESSAGE_MAP()

namespace {
constexpr UINT kBottomBar = 1019;
// The rounded panels' colour, behind the check boxes and (when its bitmap is missing) a list.
constexpr COLORREF kPanelColour = RGB(234, 241, 249);
constexpr UINT kListBackgroundBitmap = 1128;
} // namespace

void DrawSettingsLine(CDC& dc, int x1, int x2, int y, COLORREF colour) {
    CPen pen(PS_SOLID, 1, colour);
    CPen* previous = dc.SelectObject(&pen);
    dc.MoveTo(x1, y);
    dc.LineTo(x2, y);
    dc.SelectObject(previous);
}

CJunkSettingsTab::CJunkSettingsTab(UINT templateId, CDlgCleanOptions* host)
    : CDlgBaseWnd(templateId, host), m_pHost(host) {
    m_nTemplateId = templateId;
}

CJunkSettingsTab::~CJunkSettingsTab() = default;

BOOL CJunkSettingsTab::OnInitDialog() {
    CDlgBaseWnd::OnInitDialog();
    m_applyButton.SubclassDlgItem(IDC_JUNK_BTN_APPLY, this);
    m_defaultsButton.SubclassDlgItem(IDC_BTN_LOAD_DEFAULTS, this);
    m_applyButton.SetWindowText(JunkText(L"IDC_BTN_APPLY"));
    m_defaultsButton.SetWindowText(JunkText(L"IDC_BTN_LOAD_DEFAULTS"));
    StyleJunkButton(m_applyButton, true);
    StyleJunkButton(m_defaultsButton, false);
    return TRUE;
}

void CJunkSettingsTab::OnApply() {
    if (m_pHost)
        m_pHost->ApplyAll(true);
}

void CJunkSettingsTab::OnLoadDefaults() {
    if (m_pHost)
        m_pHost->LoadDefaultsAll();
}

void CJunkSettingsTab::OnSize(UINT type, int cx, int cy) {
    CDlgBaseWnd::OnSize(type, cx, cy);
    TakeCurrentClientSize(this, cx, cy);
    PlaceBottomButton(m_applyButton, cx, cy, 141);
    PlaceBottomButton(m_defaultsButton, cx, cy, 268);
}

HBRUSH CJunkSettingsTab::OnCtlColor(CDC* dc, CWnd* control, UINT type) {
    HBRUSH brush = CDlgBaseWnd::OnCtlColor(dc, control, type);
    if (type == CTLCOLOR_BTN || type == CTLCOLOR_STATIC) {
        // The tabs' check boxes and radio buttons stand on the rounded panels.
        static const HBRUSH panel = ::CreateSolidBrush(kPanelColour);
        dc->SetBkMode(TRANSPARENT);
        dc->SetBkColor(kPanelColour);
        dc->SetTextColor(kSettingsTextColour);
        return panel;
    }
    return brush;
}

void CJunkSettingsTab::OnPaint() {
    CSkinPaintDC memory(this);
    const CRect& client = memory.Client();
    memory.SetBkMode(TRANSPARENT);
    memory.SetTextColor(kSettingsTextColour);
    PaintContent(memory, client);
    static CSTBitmap bar(kBottomBar);
    if (bar.GetWidth() > 0) {
        // Centred behind the buttons, which stand 40 pixels above the bottom.
        const int y = client.Height() - 40 - (bar.GetHeight() - 28) / 2;
        for (int x = 0; x < client.Width(); x += bar.GetWidth())
            DrawBitmap(&memory, x, y, bar.GetWidth(), bar.GetHeight(), &bar, SRCCOPY);
    }
}

void CJunkSettingsTab::StyleSettingsList(CBitmapBackgroundList& list, DWORD extendedStyles) {
    list.SetExtendedStyle(list.GetExtendedStyle() | extendedStyles);
    static_cast<void>(list.SetBackgroundBitmap(kListBackgroundBitmap, kPanelColour));
}
