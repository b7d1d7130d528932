#include "DlgDefragWelome.h"

#include "DiskDefragApp.h"
#include "DiskDefragDlg.h"
#include "FreeSpaceRule.h"
#include "XarnResource.h"

#include <BitmapDrawing.h>
#include <DlgLeftSideChild.h>
#include <PanelDrawing.h>
#include <STBitmap.h>
#include <PopupServices.h>
#include <SkinPaintDC.h>
#include <SharedGlobals.h>
#include <UiFonts.h>

#include <cwctype>

BEGIN_MESSAGE_MAP(CDlgDefragWelome, CDlgLeftSideChild)
ON_CBN_SELCHANGE(IDC_CMB_DRIVES, &CDlgDefragWelome::UpdateCurrentDrive)
ON_BN_CLICKED(IDC_BTN_START_SCAN, &CDlgDefragWelome::StartAnalysis)
ON_BN_CLICKED(IDC_ST_DD, &CDlgDefragWelome::OnToggleDefragAfterAnalysis)
ON_WM_SIZE()
ON_WM_PAINT()
ON_WM_CTLCOLOR()
ON_WM_LBUTTONUP()
END_MESSAGE_MAP()

namespace {
constexpr COLORREF kSummaryTextColour = 0x5A5148;
constexpr UINT kStartButtonStrip = 1100;
constexpr UINT kStartButtonGlyph = 1386;
constexpr int kSummaryRows = 4;
constexpr UINT kTitleIconBitmap = 1075;
// The mark beside the drive heading, ANDed onto the page so that its white disappears.
constexpr UINT kDriveMarkBitmap = 1077;
constexpr int kServiceBoxWidth = 382;
constexpr int kServiceBoxHeight = 200;

// The drive of the Windows system folder, upper-cased; 0 when it cannot be read.
wchar_t SystemDriveLetter() {
    wchar_t folder[MAX_PATH] = {};
    if (GetSystemDirectoryW(folder, MAX_PATH) == 0)
        return 0;
    return static_cast<wchar_t>(towupper(folder[0]));
}

CString DefragText(LPCWSTR key) {
    return theApp.GetLangString(key, kDefragLangSection);
}
} // namespace

bool DefragHomeServices::QueryDriveSpace(wchar_t drive, ULONGLONG& freeBytes,
                                         ULONGLONG& totalBytes) {
    const wchar_t root[] = {drive, L':', L'\\', L'\0'};
    ULARGE_INTEGER available{}, total{};
    if (!GetDiskFreeSpaceExW(root, &available, &total, nullptr))
        return false;
    freeBytes = available.QuadPart;
    totalBytes = total.QuadPart;
    return true;
}

CString MakeDriveEntryText(wchar_t letter, const CString& label, bool systemDrive,
                           const CString& systemDriveText) {
    CString entry;
    if (systemDrive)
        entry.Format(L"(%c:) %s (%s)", letter, static_cast<LPCWSTR>(label),
                     static_cast<LPCWSTR>(systemDriveText));
    else
        entry.Format(L"(%c:)%s", letter, static_cast<LPCWSTR>(label));
    return entry;
}

void DefragHomeServices::KeepDriveEntries(const CStringArray&) {}

CDlgDefragWelome::CDlgDefragWelome(CWnd* parent, DefragHomeServices* services)
    : CDlgLeftSideChild(kDefragHomeTemplateId, parent), m_pServices(services) {}

CDlgDefragWelome::~CDlgDefragWelome() = default;

BOOL CDlgDefragWelome::OnInitDialog() {
    const BOOL result = CDlgLeftSideChild::OnInitDialog();
    m_driveCombo.SubclassDlgItem(IDC_CMB_DRIVES, this);
    m_heading.SubclassDlgItem(IDC_ST_HD_HEADING, this);
    m_startButton.SubclassDlgItem(IDC_BTN_START_SCAN, this);
    m_defragAfterAnalysis.SubclassDlgItem(IDC_CHK_DEFRAG_AFTER, this);
    m_defragAfterLabel.SubclassDlgItem(IDC_ST_DD, this);

    m_startButton.SetWindowTextW(
        theApp.GetLangString(L"IDC_BTN_START_SCAN", kDefragHomeLangSection));
    m_heading.SetWindowTextW(theApp.GetLangString(L"IDC_ST_HD_HEADING", kDefragHomeLangSection));
    m_defragAfterLabel.SetWindowTextW(theApp.GetLangString(L"IDC_ST_DD", kDefragHomeLangSection));
    SetWindowTextW(DefragText(L"DEFRAGTAB1HEADING"));
    // Its strip holds four frames, the last one the disabled look.
    m_startButton.m_bHasDisabledState = true;
    m_startButton.LoadBitmap(kStartButtonStrip);
    m_startButton.LoadPng(kStartButtonGlyph);
    m_heading.SetFont(&g_fontUIBold);

    m_summaryLabels.RemoveAll();
    m_summaryLabels.Add(DefragText(L"IDS_LAST_HDD_SCAN"));
    m_summaryLabels.Add(DefragText(L"IDS_DRIV_SCANNED"));
    m_summaryLabels.Add(theApp.GetLangString(L"IDS_VOL_FRAGMENTATION", L"PELQ"));
    m_summaryLabels.Add(DefragText(L"IDS_DATA_FRAGMENTATION"));
    m_summaryColours.RemoveAll();
    for (int row = 0; row < kSummaryRows; ++row)
        m_summaryColours.Add(kSummaryTextColour);

    FillDriveList();
    LayoutControls();
    return result;
}

void CDlgDefragWelome::OnOK() {}

void CDlgDefragWelome::OnCancel() {}

void CDlgDefragWelome::FillDriveList() {
    CStringArray entries;
    const wchar_t remembered = GetSelectedDriveLetter();
    m_driveCombo.ResetContent();

    const wchar_t systemLetter = SystemDriveLetter();
    const CString systemText = DefragText(L"IDS_SYS_DRIVE");
    int systemIndex = -1;
    int rememberedIndex = -1;
    const DWORD mask = GetLogicalDrives();
    for (int bit = 0; bit < 26; ++bit) {
        if ((mask & (1u << bit)) == 0)
            continue;
        const wchar_t letter = static_cast<wchar_t>(L'A' + bit);
        const wchar_t root[] = {letter, L':', L'\\', L'\0'};
        if (GetDriveTypeW(root) != DRIVE_FIXED)
            continue;
        wchar_t label[256] = {};
        wchar_t fileSystem[256] = {};
        if (!GetVolumeInformationW(root, label, 256, nullptr, nullptr, nullptr, fileSystem, 256))
            continue;
        const CString entry = MakeDriveEntryText(letter, label, letter == systemLetter, systemText);
        entries.Add(entry);
        const int index = m_driveCombo.AddString(entry);
        if (letter == systemLetter)
            systemIndex = index;
        if (letter == remembered)
            rememberedIndex = index;
    }
    const int selection = systemIndex >= 0       ? systemIndex
                          : rememberedIndex >= 0 ? rememberedIndex
                                                 : 0;
    if (m_pServices != nullptr)
        m_pServices->KeepDriveEntries(entries);
    m_driveCombo.SetCurSel(selection);
    UpdateCurrentDrive();
}

void CDlgDefragWelome::UpdateCurrentDrive() {
    const int selection = m_driveCombo.GetCurSel();
    if (selection < 0)
        return;
    CString entry;
    m_driveCombo.GetLBText(selection, entry);
    if (entry.GetLength() < 2)
        return;
    theApp.m_chCurrentDrive = entry[1];
    theApp.m_strCurrentDrive = CString(entry[1]);
    m_strSelectedEntry = entry;
}

wchar_t CDlgDefragWelome::GetSelectedDriveLetter() const {
    if (m_driveCombo.GetSafeHwnd() == nullptr)
        return 0;
    const int selection = m_driveCombo.GetCurSel();
    if (selection < 0)
        return 0;
    CString entry;
    m_driveCombo.GetLBText(selection, entry);
    return entry.GetLength() >= 2 ? entry[1] : 0;
}

void CDlgDefragWelome::SelectDrive(const CString& letters) {
    const int count = m_driveCombo.GetCount();
    for (int index = 0; index < count; ++index) {
        CString entry;
        m_driveCombo.GetLBText(index, entry);
        if (entry.GetLength() >= 2 && CString(entry[1]) == letters) {
            m_driveCombo.SetCurSel(index);
            UpdateCurrentDrive();
            return;
        }
    }
}

void CDlgDefragWelome::SetSummaryValue(int index, const CString& text) {
    if (index < 0 || index >= kSummaryRows)
        return;
    while (m_summaryValues.GetSize() <= index)
        m_summaryValues.Add(CString());
    m_summaryValues[index] = text;
    if (GetSafeHwnd())
        Invalidate(FALSE);
}

void CDlgDefragWelome::StartAnalysis() {
    if (m_defragAfterAnalysis.GetSafeHwnd() && m_defragAfterAnalysis.GetCheck() == BST_CHECKED) {
        StartDefragmentation();
        return;
    }
    StartJob(DefragOperation::kAnalysis);
}

void CDlgDefragWelome::StartDefragmentation() {
    StartJob(DefragOperation::kDefragmentation);
}

void CDlgDefragWelome::StartJob(DefragOperation operation) {
    const wchar_t drive = GetSelectedDriveLetter();
    if (drive == 0 || m_pServices == nullptr)
        return;
    if (!CheckFreeSpace(drive) || !PrepareService())
        return;
    const bool started = m_pServices->StartOperation(operation, drive, m_strSelectedEntry) != 0;
    if (!started)
        PostPageCommand(kShowDefragHome);
    else
        PostPageCommand(operation == DefragOperation::kAnalysis ? kShowAnalysisProgress
                                                                : kShowDefragProgress);
}

bool CDlgDefragWelome::CheckFreeSpace(wchar_t drive) {
    ULONGLONG freeBytes = 0;
    ULONGLONG totalBytes = 0;
    // A drive whose sizes cannot be read is not there now (removed, or its volume gone).
    if (!m_pServices->QueryDriveSpace(drive, freeBytes, totalBytes)) {
        const CString message = m_strSelectedEntry + L" " + DefragText(L"IDS_DRIVE_NOT_AVAILABLE");
        AppMessageBox(message, MB_ICONERROR, this, nullptr, false);
        return false;
    }
    if (HasEnoughFreeSpace(freeBytes, totalBytes))
        return true;
    const CString message = m_strSelectedEntry + DefragText(L"IDS_WARNING_LOW_FREESPACE");
    AppMessageBox(message, 0, this, nullptr, false);
    return false;
}

bool CDlgDefragWelome::PrepareService() {
    // The release pair that clears the last run is the job's own first commands (the progress
    // page sends them), so a click releases once, not once here and again there.
    if (!m_pServices->MakeServiceReady() && !m_pServices->InstallService()) {
        CStringArray captions;
        captions.Add(DefragText(L"IDS_RESTART"));
        captions.Add(DefragText(L"IDS_CAN"));
        const RECT box = {0, 0, kServiceBoxWidth, kServiceBoxHeight};
        const int chosen = ShowMessageBoxEx(DefragText(L"IDS_SERVICE_MSG"), MB_ICONERROR, 2,
                                            &captions, box, FALSE, 0, this);
        if (chosen == 0)
            m_pServices->RestartWindows();
        return false;
    }
    return true;
}

void CDlgDefragWelome::PostPageCommand(UINT command) {
    if (CWnd* panel = GetParent())
        panel->PostMessageW(WM_COMMAND, command, 0);
}

void CDlgDefragWelome::LayoutControls() {
    struct Placement {
        CWnd* control;
        int x, y, width, height;
    };
    const Placement placements[] = {
        {&m_heading, 37, 150, 250, 25},
        {&m_driveCombo, 37, 175, 370, 20},
        {&m_defragAfterAnalysis, 417, 179, 13, 13},
        {&m_defragAfterLabel, 433, 178, 135, 20},
        {&m_startButton, 185, 240, 222, 52},
    };
    for (const Placement& placement : placements)
        if (placement.control->GetSafeHwnd())
            placement.control->MoveWindow(placement.x, placement.y, placement.width,
                                          placement.height, TRUE);
}

void CDlgDefragWelome::OnSize(UINT type, int cx, int cy) {
    CDlgLeftSideChild::OnSize(type, cx, cy);
    LayoutControls();
}

void CDlgDefragWelome::OnPaint() {
    CSkinPaintDC memory(this);
    const CRect& client = memory.Client();
    // Without the title icon: the description begins where it would sit.
    DrawPageTitle(&memory, client, FALSE);
    memory.SetBkMode(TRANSPARENT);
    CFont* previous = memory.SelectObject(&g_fontUI);
    memory.SetTextColor(kSummaryTextColour);
    CRect description(22, 54, 570, 204);
    memory.DrawText(DefragText(L"DEFRAGTAB1DESC1"), &description, DT_WORDBREAK);
    if (g_bmpTitleIcon.GetSafeHandle() == nullptr)
        static_cast<void>(g_bmpTitleIcon.LoadBitmap(kTitleIconBitmap)); // else drawn as nothing
    DrawBitmap(&memory, 21, 114, g_bmpTitleIcon.GetWidth(), g_bmpTitleIcon.GetHeight(),
               &g_bmpTitleIcon, SRCCOPY);
    static CSTBitmap driveMark(kDriveMarkBitmap);
    DrawBitmap(&memory, 22, 146, driveMark.GetWidth(), driveMark.GetHeight(), &driveMark, SRCAND);
    DrawLabelValueTable(&memory, 22, 319, kSummaryRows, DefragText(L"IDS_SYSTEMSUMMARY"),
                        m_summaryLabels, m_summaryValues, m_summaryColours);
    memory.SelectObject(previous);
}

HBRUSH CDlgDefragWelome::OnCtlColor(CDC* dc, CWnd* control, UINT type) {
    HBRUSH brush = CDlgLeftSideChild::OnCtlColor(dc, control, type);
    if (control != nullptr && control->GetDlgCtrlID() == IDC_ST_DD)
        return g_hbrWhite;
    return brush;
}

void CDlgDefragWelome::OnLButtonUp(UINT flags, CPoint point) {
    CDlgLeftSideChild::OnLButtonUp(flags, point);
}

void CDlgDefragWelome::OnToggleDefragAfterAnalysis() {
    m_defragAfterAnalysis.SetCheck(m_defragAfterAnalysis.GetCheck() == BST_CHECKED ? BST_UNCHECKED
                                                                                   : BST_CHECKED);
}
