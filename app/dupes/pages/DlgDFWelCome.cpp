#include "DlgDFWelCome.h"

#include "DupePageIds.h"
#include "DupeWizard.h"

#include <DupeFinderOptions.h>

#include <DlgLeftDlgBase.h>
#include <BitmapDrawing.h>
#include <PanelDrawing.h>
#include <SkinPaintDC.h>
#include <LauncherStatus.h>
#include <Registry.h>
#include <SystemInfo.h>

namespace {
constexpr wchar_t kSection[] = L"IDD_DLG_DF_WELCOME";
constexpr int kDuplicateFinderModule = 9;
constexpr UINT kPageIcon = 1294;
constexpr UINT kTitleBitmap = 1075;

CString TotalText(DWORD total) {
    return FormatGroupedCount(L"IDS_DUPP_STRING", total);
}
} // namespace

IMPLEMENT_DYNAMIC(CDlgDFWelCome, CDlgLeftSideChild)

BEGIN_MESSAGE_MAP(CDlgDFWelCome, CDlgLeftSideChild)
ON_WM_PAINT()
ON_WM_SIZE()
ON_BN_CLICKED(IDC_BTN_SEL_LCOATIONS_TO_SCAN, &CDlgDFWelCome::OnBnClickedBtnSelectLcoationsToScan)
END_MESSAGE_MAP()

CDlgDFWelCome::CDlgDFWelCome(CWnd* parent) : CDlgLeftSideChild(IDD_DLG_DF_WELCOME, parent) {
    TheDupePages().welcome = this;
}

CDlgDFWelCome::~CDlgDFWelCome() {
    if (TheDupePages().welcome == this)
        TheDupePages().welcome = nullptr;
}

BOOL CDlgDFWelCome::OnInitDialog() {
    CDlgLeftSideChild::OnInitDialog();
    SetWindowText(DupeText(L"SCANWELCOME_HEADING"));
    m_btnSelectLocations.SubclassDlgItem(IDC_BTN_SEL_LCOATIONS_TO_SCAN, this);
    LoadFourFrameStrip(m_btnSelectLocations, 1100);
    m_btnSelectLocations.LoadPng(1384);
    m_btnSelectLocations.SetWindowText(DupeCaption(L"IDC_BTN_SEL_LCOATIONS_TO_SCAN", kSection));
    m_pageIcon.Reset(LoadIconOfSize(kPageIcon, 32));
    if (m_toolTip.GetSafeHwnd() != nullptr)
        m_toolTip.AddTool(&m_btnSelectLocations, DupeText(L"IDS_CLICK_LOC"));
    ReadLastScanValues();
    for (LPCWSTR key : {L"IDS_LAST_DUPP_SCAN", L"IDS_NUM_DUP_FOUND_LASTSCAN",
                        L"IDS_DUP_REM_LASTSCAN", L"IDS_NUM_FILES_TILL_DATE"}) {
        m_labels.Add(DupeText(key));
        m_colours.Add(kDupeTextColour);
    }
    m_values.Add(m_strLastScanDate);
    m_values.Add(m_strStatusLine1);
    m_values.Add(m_strStatusLine2);
    m_values.Add(m_strCleanedTotal);
    OnSize(SIZE_RESTORED, kDupePageWidth, kDupePageHeight);
    return TRUE;
}

void CDlgDFWelCome::ReadLastScanValues() {
    const CString notScanned = DupeText(L"IDS_NOT_SCANNED");
    m_strStatusLine1 = m_strStatusLine2 = m_strLastScanDate = notScanned;
    m_nCleanedTotal = 0;
    CRegistry registry(HKEY_CURRENT_USER);
    registry.SetAccess(KEY_READ | KEY_WRITE);
    if (registry.Open(HKEY_CURRENT_USER, DupeSettingsKeyPath(kLastScanStatusKey), true)) {
        CString text;
        if (registry.ReadString(L"ScanStatusLine1", text))
            m_strStatusLine1 = text;
        if (registry.ReadString(L"ScanStatusLine2", text))
            m_strStatusLine2 = text;
        if (registry.ReadString(L"LastScanDate", text))
            m_strLastScanDate = text;
        DWORD total = 0;
        if (registry.ReadDword(L"NumOfFilesCleanedTillDate", total))
            m_nCleanedTotal = total;
    }
    m_strCleanedTotal = TotalText(m_nCleanedTotal);
}

void CDlgDFWelCome::OnBnClickedBtnSelectLcoationsToScan() {
    PostCommandToParent(kDupeLocationsPage);
}

void CDlgDFWelCome::SetPanelInfo(const CString& text) {
    if (CDlgLeftDlgBase* panel = PanelOf(this))
        panel->SetPanelInfoText(text);
}

void CDlgDFWelCome::StoreStatusLines() {
    CRegistry registry(HKEY_CURRENT_USER);
    if (registry.Open(HKEY_CURRENT_USER, DupeSettingsKeyPath(kLastScanStatusKey), true)) {
        (void)registry.WriteString(L"ScanStatusLine1", m_strStatusLine1);
        (void)registry.WriteString(L"ScanStatusLine2", m_strStatusLine2);
    }
    if (m_values.GetSize() == 4) {
        m_values[1] = m_strStatusLine1;
        m_values[2] = m_strStatusLine2;
    }
    const int blank = m_strStatusLine1.Find(L' ');
    CString info;
    info.Format(DupeText(L"IDS_NUM_FILES"),
                blank < 0 ? L"" : m_strStatusLine1.Left(blank).GetString());
    SetPanelInfo(info);
    if (GetSafeHwnd() != nullptr)
        Invalidate();
}

void CDlgDFWelCome::StoreErrorString(const CString& text) {
    CRegistry registry(HKEY_CURRENT_USER);
    if (registry.Open(HKEY_CURRENT_USER, DupeSettingsKeyPath(kLastScanStatusKey), true))
        (void)registry.WriteString(L"ErrorString", m_strStatusLine1);
    SetPanelInfo(text);
}

void CDlgDFWelCome::StampLastScanDate() {
    FormatCurrentDateTime(m_strLastScanDate);
    CRegistry registry(HKEY_CURRENT_USER);
    if (registry.Open(HKEY_CURRENT_USER, DupeSettingsKeyPath(kLastScanStatusKey), true))
        (void)registry.WriteString(L"LastScanDate", m_strLastScanDate);
    if (m_values.GetSize() == 4)
        m_values[0] = m_strLastScanDate;
    if (GetSafeHwnd() != nullptr)
        Invalidate();
}

void CDlgDFWelCome::AddCleanedFiles(DWORD count) {
    m_nCleanedTotal += count;
    CRegistry registry(HKEY_CURRENT_USER);
    if (registry.Open(HKEY_CURRENT_USER, DupeSettingsKeyPath(kLastScanStatusKey), true))
        (void)registry.WriteDwordValue(L"NumOfFilesCleanedTillDate", m_nCleanedTotal);
    m_strCleanedTotal = TotalText(m_nCleanedTotal);
    if (m_values.GetSize() == 4)
        m_values[3] = m_strCleanedTotal;
    CString now;
    FormatCurrentDateTime(now);
    CString message;
    message.Format(L"%d duplicate files cleaned\r\n%s", static_cast<int>(count), now.GetString());
    WriteLauncherStatus(kDuplicateFinderModule, count == 0 ? 1 : 0, message, L"", COleDateTime());
}

void CDlgDFWelCome::OnPaint() {
    CSkinPaintDC memory(this);
    const CRect& client = memory.Client();
    DrawPageTitle(&memory, client, FALSE);
    DrawPageText(&memory, DupeText(L"SCANWELCOME_DESC"), RECT{22, 54, 570, 204}, kDupeTextColour);
    // The framework loads its title bitmap on its first title with the icon; this page may come
    // first.
    if (g_bmpTitleIcon.GetSafeHandle() == nullptr)
        static_cast<void>(g_bmpTitleIcon.LoadBitmap(kTitleBitmap)); // drawn when it loaded
    if (g_bmpTitleIcon.GetWidth() > 0)
        DrawBitmap(&memory, kWelcomeRulePlace.x, kWelcomeRulePlace.y, g_bmpTitleIcon.GetWidth(),
                   g_bmpTitleIcon.GetHeight(), &g_bmpTitleIcon, SRCCOPY);
    if (m_pageIcon)
        ::DrawIconEx(memory.GetSafeHdc(), kWelcomeIconPlace.x, kWelcomeIconPlace.y,
                     m_pageIcon.Get(), 32, 32, 0, nullptr, DI_NORMAL);
    DrawLabelValueTable(&memory, 22, 319, 4, DupeText(L"IDS_DFF_SYSTEMSUMMARY"), m_labels, m_values,
                        m_colours);
}

void CDlgDFWelCome::OnSize(UINT, int, int) {
    if (m_btnSelectLocations.GetSafeHwnd() != nullptr)
        m_btnSelectLocations.MoveWindow(185, 196, 222, 52);
}
