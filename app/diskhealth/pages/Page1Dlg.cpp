#include "Page1Dlg.h"

#include "DiskPageTexts.h"
#include "DiskPagesResource.h"
#include "DiskTexts.h"
#include "DlgAnalyzeOptions.h"
#include "RegistryBootExecuteStore.h"
#include "RegistryLastScanDate.h"

#include <SelectedFont.h>
#include <PanelDrawing.h>
#include <PopupServices.h>
#include <SkinPaintDC.h>
#include <owners/WinOwners.h>
#include <UiFonts.h>

#include <classlib/App.h>

#include <shellapi.h>

#include <cwctype>

namespace {

constexpr wchar_t kSection[] = L"IDD_PAGE1";
constexpr wchar_t kSettingsSection[] = L"Settings";
constexpr wchar_t kCheckedDrivesEntry[] = L"CheckedDrives";
constexpr COLORREF kDescriptionColour = 0x5A5148;
// The skin's 222 x 52 blue button.
constexpr UINT kLargeButtonStrip = 1100;

CString MegabytesText(ULONGLONG bytes) {
    CString number;
    number.Format(L"%.0f", static_cast<double>(bytes) / 1024.0 / 1024.0);
    return InsertThousandSeparators(number) + L" " + PelqText(L"IDS_MB_STR");
}

wchar_t DriveLetterOf(const CDrive& drive) {
    return drive.RootPath().IsEmpty() ? L'\0' : drive.RootPath()[0];
}

// The page's questions through the product's message box and the options pop-up.
class CPageDiskCheckDialogs final : public CDiskCheckDialogs {
public:
    explicit CPageDiskCheckDialogs(CWnd* page) : page_(page) {}
    void ShowNoDriveTicked() override {
        static_cast<void>(AppMessageBox(AppText(L"SCANTAB1DRIVE", kDiskToolsSection), MB_ICONERROR,
                                        page_, nullptr, false));
    }
    bool ChooseMode(bool& thorough) override {
        CWnd* over = AfxGetMainWnd() ? AfxGetMainWnd() : page_->GetTopLevelParent();
        CDlgAnalyzeOptions options(over);
        if (RunPopupOverParent(over, &options, IDD_DLG_ANALYZE_OPTIONS) != IDOK)
            return false;
        thorough = options.m_thorough;
        return true;
    }
    bool ConfirmRestart(const wchar_t* promptKey) override {
        return AppMessageBox(AppText(promptKey, kDiskToolsSection),
                             MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL, page_, nullptr,
                             false) == IDYES;
    }
    void ShowNotScheduled(const std::vector<wchar_t>& letters) override {
        CString drives;
        for (wchar_t letter : letters) {
            if (!drives.IsEmpty())
                drives += L", ";
            drives += letter;
            drives += L':';
        }
        CString text;
        text.Format(AppText(L"IDS_DD_NOT_SCHEDULED", kDiskToolsSection), drives.GetString());
        static_cast<void>(AppMessageBox(text, MB_ICONERROR, page_, nullptr, false));
    }

private:
    CWnd* page_;
};

} // namespace

BEGIN_MESSAGE_MAP(CPage1Dlg, CDiskToolsPage)
ON_WM_PAINT()
ON_BN_CLICKED(IDC_BTN_START_DISKDOC, &CPage1Dlg::OnBnClickedStartDiskCheck)
ON_NOTIFY(LVN_GETINFOTIPW, IDC_LIST_CHECK_DRIVES, &CPage1Dlg::OnDriveInfoTip)
END_MESSAGE_MAP()

CPage1Dlg::CPage1Dlg(CWnd* parent) : CDiskToolsPage(IDD_PAGE1, parent) {}

BOOL CPage1Dlg::OnInitDialog() {
    CDiskToolsPage::OnInitDialog();
    SetControlTexts(this, kSection, kDiskCheckModeTexts);
    SetDlgItemText(IDC_ST_DRIVE, AppText(L"IDC_ST_DRIVE", kSection));
    SetWindowText(AppText(L"SCANTAB1H", kDiskToolsSection));
    SetDlgItemText(IDC_ST_PAGE1_LABEL, AppText(L"SCANTAB1LABEL", kDiskToolsSection));
    // The pop-up carries the mode; the page's own copies stay out of sight.
    for (const ControlTextKey& mode : kDiskCheckModeTexts) {
        GetDlgItem(mode.id)->ShowWindow(SW_HIDE);
        GetDlgItem(mode.id)->EnableWindow(FALSE);
    }
    SetUpTextButton(m_startButton, IDC_BTN_START_DISKDOC, L"IDC_BTN_START_DISKDOC", kSection,
                    kLargeButtonStrip);

    m_driveList.SubclassDlgItem(IDC_LIST_CHECK_DRIVES, this);
    m_driveList.SetExtendedStyle(m_driveList.GetExtendedStyle() | LVS_EX_CHECKBOXES |
                                 LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    m_driveList.InsertColumn(0, AppText(L"IDS_NAME_PAGE1", kDiskToolsSection), LVCFMT_LEFT, 270);
    m_driveList.InsertColumn(1, AppText(L"IDS_TOTAL_SIZE_PAGE1", kDiskToolsSection), LVCFMT_RIGHT,
                             108);
    m_driveList.InsertColumn(2, AppText(L"IDS_FREE_SPACE_PAGE1", kDiskToolsSection), LVCFMT_RIGHT,
                             108);
    if (m_driveImages.Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 1)) {
        SHFILEINFOW info{};
        if (SHGetFileInfoW(L"C:\\", 0, &info, sizeof(info), SHGFI_ICON | SHGFI_SMALLICON) &&
            info.hIcon) {
            const IconHandle icon(info.hIcon);
            m_driveImages.Add(icon.Get());
        }
        m_driveList.SetImageList(&m_driveImages, LVSIL_SMALL);
    }
    FillDriveList();
    RestoreCheckedDrives();
    LayOutPage();
    return TRUE;
}

void CPage1Dlg::FillDriveList() {
    m_driveList.DeleteAllItems();
    const DriveList* drives = GetDiskToolsState().drives;
    if (!drives)
        return;
    for (const auto& drive : *drives) {
        const int row = m_driveList.InsertItem(m_driveList.GetItemCount(), drive->DisplayName(), 0);
        const CString total = MegabytesText(drive->TotalBytes());
        const CString free = MegabytesText(drive->FreeBytes());
        m_driveList.SetItemText(row, 1, total);
        m_driveList.SetItemText(row, 2, free);
        m_driveList.SetItemData(row, reinterpret_cast<DWORD_PTR>(drive.get()));
        CString summary;
        summary.Format(L"%s; Size: %s; { Free Space: %s }", drive->DisplayName().GetString(),
                       total.GetString(), free.GetString());
        drive->SetSummaryText(summary);
    }
}

void CPage1Dlg::OnDriveInfoTip(NMHDR* header, LRESULT* result) {
    *result = 0;
    auto* tip = reinterpret_cast<NMLVGETINFOTIPW*>(header);
    if (tip->iItem < 0 || tip->iItem >= m_driveList.GetItemCount() || tip->pszText == nullptr ||
        tip->cchTextMax <= 0)
        return;
    if (const auto* drive = reinterpret_cast<const CDrive*>(m_driveList.GetItemData(tip->iItem)))
        ::lstrcpynW(tip->pszText, drive->SummaryText(), tip->cchTextMax);
}

void CPage1Dlg::RestoreCheckedDrives() {
    const CString checked =
        AfxGetApp() ? AfxGetApp()->GetProfileString(kSettingsSection, kCheckedDrivesEntry, L"")
                    : CString();
    wchar_t windows[MAX_PATH] = L"";
    const UINT windowsLength = GetWindowsDirectoryW(windows, MAX_PATH);
    const wchar_t systemLetter = windowsLength > 0 ? windows[0] : L'\0';
    for (int row = 0; row < m_driveList.GetItemCount(); ++row) {
        const wchar_t letter =
            DriveLetterOf(*reinterpret_cast<const CDrive*>(m_driveList.GetItemData(row)));
        const bool tick =
            letter != L'\0' && (checked.IsEmpty() ? towupper(letter) == towupper(systemLetter)
                                                  : checked.Find(letter) >= 0);
        m_driveList.SetCheck(row, tick);
    }
}

std::vector<wchar_t> CPage1Dlg::TickedLetters() const {
    std::vector<wchar_t> letters;
    for (int row = 0; row < m_driveList.GetItemCount(); ++row)
        if (m_driveList.GetCheck(row))
            letters.push_back(
                DriveLetterOf(*reinterpret_cast<const CDrive*>(m_driveList.GetItemData(row))));
    return letters;
}

void CPage1Dlg::SaveCheckedDrives() {
    CString letters;
    for (wchar_t letter : TickedLetters())
        letters += letter;
    if (AfxGetApp())
        static_cast<void>(
            AfxGetApp()->WriteProfileString(kSettingsSection, kCheckedDrivesEntry, letters));
}

void CPage1Dlg::OnBnClickedStartDiskCheck() {
    SaveCheckedDrives();
    CPageDiskCheckDialogs dialogs(this);
    CRegistryBootExecuteStore store;
    CRegistryLastScanDate lastScanDate;
    m_lastOutcome = StartDiskCheck(TickedLetters(), dialogs, store, lastScanDate);
    LayOutPage();
}

void CPage1Dlg::Layout(int cx, int) {
    if (!m_driveList.GetSafeHwnd())
        return;
    PlaceControl(IDC_ST_DRIVE, 27, 100, cx - 52, 30);
    PlaceControl(IDC_LIST_CHECK_DRIVES, 27, 132, cx - 52, 90);
    PlaceControl(IDC_ST_PAGE1_LABEL, 27, 224, cx - 52, 18);
    PlaceControl(IDC_BTN_START_DISKDOC, 185, 248, 222, 52);
}

void CPage1Dlg::OnPaint() {
    CSkinPaintDC memory(this);
    const CRect& client = memory.Client();
    DrawPageTitle(&memory, client, FALSE);
    memory.SetBkMode(TRANSPARENT);
    {
        CSelectedFont font(memory.GetSafeHdc(), static_cast<HFONT>(g_fontUI.GetSafeHandle()));
        memory.SetTextColor(kDescriptionColour);
        CRect description(22, 44, 561, 98);
        memory.DrawText(AppText(L"SCANTAB1DESC", kDiskToolsSection), &description, DT_WORDBREAK);
    }
    DrawRoundedPanel(&memory, 22, 316, 455, client.Width() - 44);
    ::DrawIconEx(memory.GetSafeHdc(), 30, 325, CDlgBaseWnd::AttentionIcon(), 24, 24, 0, nullptr,
                 DI_NORMAL);
    memory.SetTextColor(0x323232);
    {
        CSelectedFont font(memory.GetSafeHdc(), static_cast<HFONT>(g_fontUILarge.GetSafeHandle()));
        CRect heading(57, 329, 400, 349);
        memory.DrawText(AppText(L"IDS_DD_ACTION_REQUIRED", kDiskToolsSection), &heading,
                        DT_SINGLELINE);
    }
    CSelectedFont font(memory.GetSafeHdc(), static_cast<HFONT>(g_fontUI.GetSafeHandle()));
    CRect bottom(57, 361, 545, 442);
    memory.DrawText(AppText(L"IDS_DD_DLG_WEL_BOTTOM_TEXT", kDiskToolsSection), &bottom,
                    DT_WORDBREAK);
}
