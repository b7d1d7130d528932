#include "DlgScan1ScanHome.h"

#include <BitmapDrawing.h>
#include <SelectedFont.h>
#include <PanelDrawing.h>
#include <STBitmap.h>
#include <SkinPaintDC.h>

#include "DlgScan2Scanning.h"
#include "JunkPagesResource.h"
#include "MainUtilities.h"
#include "LogFile.h"
#include "Paths.h"
#include "ProductIdentity.h"
#include "Registry.h"
#include "UiFonts.h"
#include "VantorixApp.h"

BEGIN_MESSAGE_MAP(CDlgScan1ScanHome, CDlgLeftSideChild)
ON_WM_PAINT()
ON_BN_CLICKED(IDC_START_SCAN_NOW, &CDlgScan1ScanHome::OnStartScan)
END_MESSAGE_MAP()

namespace {
constexpr wchar_t kSection[] = L"IDD_SCANTAB1_SCANHOME";
constexpr COLORREF kTextColour = RGB(72, 81, 90);
constexpr UINT kStartBitmap = 1100;
constexpr UINT kStartGlyph = 1386;
constexpr UINT kSeparatorBitmap = 1090;
constexpr int kTableTop = 318;
} // namespace

void CStartScanButton::DrawItem(LPDRAWITEMSTRUCT dis) {
    CHoverButtonTextPng::DrawItem(dis);
    CString caption;
    GetWindowText(caption);
    CDC* dc = CDC::FromHandle(dis->hDC);
    CSelectedFont font(dis->hDC, static_cast<HFONT>(g_fontPlus4Bold.GetSafeHandle()));
    const int mode = dc->SetBkMode(TRANSPARENT);
    const COLORREF colour =
        dc->SetTextColor((dis->itemState & ODS_DISABLED) ? RGB(230, 230, 230) : RGB(255, 255, 255));
    // Right of the glyph, which takes the strip's first 64 pixels.
    CRect text(dis->rcItem);
    text.left += 64;
    dc->DrawText(caption, &text, DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX);
    dc->SetTextColor(colour);
    dc->SetBkMode(mode);
}

CDlgScan1ScanHome::CDlgScan1ScanHome(CWnd* parent)
    : CDlgLeftSideChild(IDD_SCANTAB1_SCANHOME, parent) {
    m_strLastScan = JunkText(L"IDS_NOT_SCAN_YET");
    m_strSchedule = JunkText(L"IDS_NOT_SCHEDULED_YET");
    for (int i = 0; i < 5; ++i)
        m_colours.Add(kTextColour);
}

CDlgScan1ScanHome::~CDlgScan1ScanHome() {
    if (g_junkPages.home == this)
        g_junkPages.home = nullptr;
}

BOOL CDlgScan1ScanHome::OnInitDialog() {
    CDlgLeftSideChild::OnInitDialog();
    g_junkPages.home = this;
    SetWindowText(JunkText(L"SCANDLG1"));
    m_startButton.SubclassDlgItem(IDC_START_SCAN_NOW, this);
    m_startButton.SetWindowText(DialogText(kSection, L"IDC_START_SCAN_NOW"));
    m_startButton.m_bHasDisabledState = true;
    m_startButton.LoadBitmap(kStartBitmap);
    static_cast<void>(m_startButton.LoadPng(kStartGlyph));
    // Centred between the description's separator and the summary table.
    const int separatorY = rows * 15 + 69;
    const int top = separatorY + (kTableTop - separatorY - 52) / 2;
    m_startButton.SetWindowPos(nullptr, 186, top, 222, 52, SWP_NOZORDER);
    if (m_toolTip.GetSafeHwnd())
        m_toolTip.AddTool(&m_startButton, JunkText(L"IDS_SYSCLE_TOOLTIP1"));
    m_startButton.SetFocus();
    return FALSE;
}

CString CDlgScan1ScanHome::GetScheduleStatusText() {
    CString key = GetProductRegistryKey();
    AppendPath(key, L"Scheduler\\OneClick");
    CString valueName;
    GetCleanerScheduleValueName(valueName);
    CString status;
    CRegistry registry(HKEY_CURRENT_USER);
    registry.SetAccess(KEY_READ);
    if (!registry.Open(HKEY_CURRENT_USER, key, false) || !registry.ValueExists(valueName) ||
        !registry.ReadString(valueName, status))
        status = JunkText(L"IDS_NOT_SCHEDULED_YET");
    WriteLog(L"GetScheduleStatus :\t" + status);
    return status;
}

CStringArray& CDlgScan1ScanHome::SummaryValues() {
    m_summaryValues.RemoveAll();
    CVantorixApp* app = JunkApp();
    CString lastScan = app ? CString(app->GetSettingString(L"PF_1")) : CString();
    lastScan.Trim();
    m_summaryValues.Add(lastScan.IsEmpty() ? JunkText(L"IDS_SCAN_NOT_PERFORMED_YET") : lastScan);
    CString lastResult = app ? CString(app->GetSettingString(L"PF_2")) : CString();
    lastResult.Trim();
    m_summaryValues.Add(lastResult.IsEmpty() ? JunkText(L"IDS_SCAN_REG_NA") : lastResult);
    m_summaryValues.Add(GroupedNumberText(app ? app->GetSettingDword(L"PF_4") : 0));
    m_strSchedule = GetScheduleStatusText();
    m_summaryValues.Add(m_strSchedule);
    return m_summaryValues;
}

void CDlgScan1ScanHome::OnPaint() {
    CSkinPaintDC memory(this);
    const CRect& client = memory.Client();
    // The description starts below the title, where the title icon would stand.
    DrawPageTitle(&memory, client, FALSE);
    memory.SetBkMode(TRANSPARENT);
    memory.SetTextColor(kTextColour);
    {
        CSelectedFont font(memory.GetSafeHdc(), static_cast<HFONT>(g_fontUI.GetSafeHandle()));
        CRect description(22, 54, client.Width() - 22, rows * 15 + 54);
        memory.DrawText(JunkText(L"SCANTAB1DESC"), &description, DT_WORDBREAK);
    }
    static CSTBitmap separator(kSeparatorBitmap);
    DrawBitmap(&memory, 22, rows * 15 + 69, separator.GetWidth(), separator.GetHeight(), &separator,
               SRCAND);
    CStringArray labels;
    labels.Add(JunkText(L"IDS_SYSCL_LASTREGSCAN"));
    labels.Add(JunkText(L"IDS_SYSCL_LASTSCANRESULT"));
    labels.Add(JunkText(L"IDS_SYSCL_INVENTRIESFIXED"));
    DrawLabelValueTable(&memory, 22, kTableTop, 4, JunkText(L"IDS_SYSCL_SYSTEMSUMMARY"), labels,
                        SummaryValues(), m_colours);
}

void CDlgScan1ScanHome::OnStartScan() {
    if (CDlgScan2Scanning* scanning = g_junkPages.scanning) {
        scanning->ResetProgress();
        scanning->SetTimer(kStartScanTimer, 1, nullptr);
    }
    ShowJunkPage(kJunkScanningPage);
}
