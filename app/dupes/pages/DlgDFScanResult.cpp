#include "DlgDFScanResult.h"

#include "DlgDFCleaning.h"
#include "DlgDFFinish.h"
#include "DlgDFWelCome.h"
#include "DlgFilling.h"
#include "DlgGroupingSorting.h"
#include "DupePageIds.h"
#include "DupeWizard.h"

#include <DupeFinderOptions.h>

#include <PopupServices.h>
#include <SkinPaintDC.h>
#include <LauncherStatus.h>
#include <Paths.h>
#include <ShellCommands.h>
#include <SystemInfo.h>

#include <process.h>
#include <shlwapi.h>
#include <shellapi.h>

#include <ctime>

namespace {
constexpr wchar_t kSection[] = L"IDD_DLG_DF_SCANRESULT";
constexpr int kDuplicateFinderModule = 9;
// Posted when the grouping has ended (wParam: the all-files set holds records) and when the
// cleaning worker has ended; timers and message boxes belong to the page's own thread.
constexpr UINT kGroupingDoneMessage = WM_APP + 43;
constexpr UINT kCleaningDoneMessage = WM_APP + 44;
constexpr int kGroupColumn = 4;
constexpr COLORREF kOddGroup = RGB(216, 234, 252);
constexpr COLORREF kEvenGroup = RGB(252, 252, 255);
constexpr COLORREF kSelectedFilterText = RGB(0, 130, 44);

DupeSet SetOfFilter(int filter) {
    return filter == CDlgDFScanResult::kFilterAll ? kSetAllFiles : DupeSetOfCategory(filter);
}

// Filters in the order of their buttons (7074 to 7079).
constexpr int kFilterOfButton[6] = {CDlgDFScanResult::kFilterAll,
                                    kDupeImage,
                                    kDupeMusic,
                                    kDupeVideo,
                                    kDupeDocument,
                                    kDupeCompressed};

CString TimeText(__time64_t time) {
    tm local{};
    if (_localtime64_s(&local, &time) != 0)
        return L"";
    wchar_t buffer[64] = {};
    wcsftime(buffer, 64, L"%d-%m-%Y (%I:%M %p)", &local);
    return buffer;
}
} // namespace

IMPLEMENT_DYNAMIC(CDlgDFScanResult, CDlgLeftSideChild)

BEGIN_MESSAGE_MAP(CDlgDFScanResult, CDlgLeftSideChild)
ON_WM_PAINT()
ON_WM_SIZE()
ON_WM_TIMER()
ON_MESSAGE(kGroupingDoneMessage, &CDlgDFScanResult::OnGroupingDone)
ON_MESSAGE(kCleaningDoneMessage, &CDlgDFScanResult::OnCleaningDone)
ON_BN_CLICKED(IDC_BTN_ALL, &CDlgDFScanResult::OnFilterAll)
ON_BN_CLICKED(IDC_BTN_IMAGES, &CDlgDFScanResult::OnFilterImages)
ON_BN_CLICKED(IDC_BTN_MUSIC, &CDlgDFScanResult::OnFilterMusic)
ON_BN_CLICKED(IDC_BTN_VIDEO, &CDlgDFScanResult::OnFilterVideo)
ON_BN_CLICKED(IDC_BTN_DOCS, &CDlgDFScanResult::OnFilterDocuments)
ON_BN_CLICKED(IDC_BTN_COMPRESSED, &CDlgDFScanResult::OnFilterCompressed)
ON_BN_CLICKED(IDC_BTN_CLEAN_SYSTEM_DUPP, &CDlgDFScanResult::OnBnClickedCleanSystem)
ON_BN_CLICKED(IDC_BTN_CANCEL_DUPP_RES, &CDlgDFScanResult::OnCancelResults)
ON_COMMAND(IDM_SELECT_ALL_BUT_FIRST, &CDlgDFScanResult::SelectAllButFirst)
ON_COMMAND(IDM_SELECT_ALL_BUT_LAST, &CDlgDFScanResult::SelectAllButLast)
ON_COMMAND(IDM_UNSELECT_GROUP, &CDlgDFScanResult::UnselectGroup)
ON_COMMAND(IDM_VIEW_FILE, &CDlgDFScanResult::OnViewFile)
ON_COMMAND(IDM_OPEN_FILE_LOCATION, &CDlgDFScanResult::OnOpenFileLocation)
ON_NOTIFY(LVN_ITEMCHANGED, IDC_LIST_RESULTS, &CDlgDFScanResult::OnItemChanged)
ON_NOTIFY(NM_CUSTOMDRAW, IDC_LIST_RESULTS, &CDlgDFScanResult::OnCustomDraw)
ON_NOTIFY(NM_RCLICK, IDC_LIST_RESULTS, &CDlgDFScanResult::OnRightClick)
END_MESSAGE_MAP()

CDlgDFScanResult::CDlgDFScanResult(CWnd* parent)
    : CDlgLeftSideChild(IDD_DLG_DF_SCANRESULT, parent) {
    TheDupePages().results = this;
}

CDlgDFScanResult::~CDlgDFScanResult() {
    // The cleaning reads the finder's lists and writes to the pages: it ends first.
    m_cancel = true;
    if (m_cleaner.IsValid())
        ::WaitForSingleObject(m_cleaner.Get(), INFINITE);
    if (TheDupePages().results == this)
        TheDupePages().results = nullptr;
}

BOOL CDlgDFScanResult::OnInitDialog() {
    CDlgLeftSideChild::OnInitDialog();
    SetWindowText(DupeText(L"SCANRES_HEADING"));
    m_list.SubclassDlgItem(IDC_LIST_RESULTS, this);
    m_groupingBar.SubclassDlgItem(IDC_PROGRESS_GROUPING, this);
    m_btnClean.SubclassDlgItem(IDC_BTN_CLEAN_SYSTEM_DUPP, this);
    m_btnCancel.SubclassDlgItem(IDC_BTN_CANCEL_DUPP_RES, this);
    LoadFourFrameStrip(m_btnClean, 1074);
    LoadFourFrameStrip(m_btnCancel, 1076);
    StyleLightTextButton(&m_btnClean);
    StyleDarkTextButton(&m_btnCancel);
    static constexpr LPCWSTR kTips[6] = {L"IDS_TOOLTIP_ALL",   L"IDS_TOOLTIP_IMAGES",
                                         L"IDS_TOOLTIP_MUSIC", L"IDS_TOOLTIP_VIDEO",
                                         L"IDS_TOOLTIP_DOCS",  L"IDS_TOOLTIP_COMPRSS"};
    for (int i = 0; i < 6; ++i) {
        m_filterButtons[i].SubclassDlgItem(IDC_BTN_ALL + i, this);
        LoadFourFrameStrip(m_filterButtons[i], 1076);
        StyleDarkTextButton(&m_filterButtons[i]);
        if (m_toolTip.GetSafeHwnd() != nullptr)
            m_toolTip.AddTool(&m_filterButtons[i], DupeText(kTips[i]));
    }
    SetCaptions(this, kSection,
                {{IDC_BTN_CLEAN_SYSTEM_DUPP, L"IDC_BTN_CLEAN_SYSTEM_DUPP"},
                 {IDC_ST_SPACE_HEAD, L"IDC_ST_SPACE_HEAD"},
                 {IDC_BTN_ALL, L"IDC_BTN_ALL"},
                 {IDC_BTN_IMAGES, L"IDC_BTN_IMAGES"},
                 {IDC_BTN_MUSIC, L"IDC_BTN_MUSIC"},
                 {IDC_BTN_VIDEO, L"IDC_BTN_VIDEO"},
                 {IDC_BTN_DOCS, L"IDC_BTN_DOCS"},
                 {IDC_BTN_COMPRESSED, L"IDC_BTN_COMPRESSED"},
                 {IDC_BTN_CANCEL_DUPP_RES, L"IDC_BTN_CANCEL_DUPP_RES"}});
    CRect client;
    OnSize(SIZE_RESTORED, kDupePageWidth, kDupePageHeight);
    m_list.GetClientRect(&client);
    const int width = client.Width();
    m_list.InsertColumn(0, DupeText(L"IDS_FN"), LVCFMT_LEFT, width * 24 / 100);
    m_list.InsertColumn(1, DupeText(L"IDS_DIR"), LVCFMT_LEFT, width * 38 / 100);
    m_list.InsertColumn(2, DupeText(L"IDS_FS"), LVCFMT_LEFT, width * 10 / 100);
    m_list.InsertColumn(3, DupeText(L"IDS_TIME"), LVCFMT_LEFT, width * 25 / 100);
    m_list.InsertColumn(kGroupColumn, L"Group", LVCFMT_LEFT, width / 1000);
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT |
                            LVS_EX_INFOTIP);
    m_rowIcons.Create(16, 16, ILC_COLOR32 | ILC_MASK, 8, 8);
    m_list.SetImageList(&m_rowIcons, LVSIL_SMALL);
    if (m_toolTip.GetSafeHwnd() != nullptr)
        m_toolTip.AddTool(&m_list, DupeText(L"IDS_TOOLTIP_SCANRES_LIST"));
    m_btnClean.EnableWindow(FALSE);
    return TRUE;
}

// ---- Grouping

void CDlgDFScanResult::StartGrouping(bool fromLoad) {
    CDupeFinder& finder = DupeHost().Finder();
    finder.DeleteGroups();
    DupeMatchOptions current = finder.Options();
    ReadAllFindOptions(current);
    // A loaded result is verified by its own criteria as well as by the user's present ones.
    finder.Options() = fromLoad ? StricterCriteria(finder.Options(), current) : current;
    m_nLastPercent = -1;
    CDlgGroupingSorting window(DupeHost().MainWindow(), fromLoad);
    window.DoModal();
    m_hGroupingWindow = nullptr;
    m_hGroupingBar = nullptr;
    finder.SetGroupingProgressBar(nullptr);
}

void CDlgDFScanResult::AttachGroupingWindow(CDlgGroupingSorting* window, CProgressCtrl* bar) {
    m_hGroupingWindow = window != nullptr ? window->m_hWnd : nullptr;
    m_hGroupingBar = bar != nullptr ? bar->m_hWnd : nullptr;
    DupeHost().Finder().SetGroupingProgressBar(m_groupingBar.m_hWnd);
}

void CDlgDFScanResult::GroupingCallback(BOOL done, int percent, LPVOID page) {
    auto* self = static_cast<CDlgDFScanResult*>(page);
    const HWND window = self->m_hGroupingWindow.load();
    if (window == nullptr || !::IsWindow(window))
        return;
    if (self->m_nLastPercent.exchange(percent) != percent)
        ::SendMessageW(self->m_hGroupingBar.load(), PBM_SETPOS, static_cast<WPARAM>(percent), 0);
    if (done && percent >= 100) {
        const int lastStep = DupeHost().Finder().Options().content ? 3 : 2;
        ::SendMessageW(window, CDlgGroupingSorting::kSetStepMessage, lastStep, 0);
        const bool hasRecords = !DupeHost().Finder().Files(kSetAllFiles).empty();
        ::PostMessageW(self->m_hWnd, kGroupingDoneMessage, hasRecords ? 1 : 0, 0);
    }
}

LRESULT CDlgDFScanResult::OnGroupingDone(WPARAM hasRecords, LPARAM) {
    SetTimer(kGroupingEndTimer, hasRecords != 0 ? 512 : 1, nullptr);
    return 0;
}

void CDlgDFScanResult::OnTimer(UINT_PTR id) {
    if (id != kGroupingEndTimer)
        return;
    KillTimer(kGroupingEndTimer);
    CDupeFinder& finder = DupeHost().Finder();
    // The records move into the duplicates lists only once the grouping thread has returned.
    if (!finder.WaitForGrouping(60000))
        return;
    finder.FillSortedDupeFiles();
    if (!finder.KeepRunning())
        return;
    if (const HWND window = m_hGroupingWindow.load())
        ::PostMessageW(window, WM_COMMAND, IDOK, 0);
    finder.SetKeepRunning(false);
    EnableWizardControls(this, true);
    PostCommandToParent(kDupeResultsPage);
    m_nFilter = kFilterNone;
    ApplyFilter(kFilterAll);
}

// ---- Listing

const std::vector<CDupeFile*>& CDlgDFScanResult::ShownList() const {
    static const std::vector<CDupeFile*> none;
    return m_nFilter == kFilterNone ? none : DupeHost().Finder().Duplicates(SetOfFilter(m_nFilter));
}

void CDlgDFScanResult::ApplyFilter(int filter) {
    if (filter == m_nFilter)
        return;
    m_btnClean.EnableWindow(FALSE);
    m_btnCancel.EnableWindow(FALSE);
    for (int i = 0; i < 6; ++i) {
        m_filterButtons[i].m_bPushed = kFilterOfButton[i] == filter;
        m_filterButtons[i].m_clrText =
            kFilterOfButton[i] == filter ? kSelectedFilterText : kDupeTextColour;
        m_filterButtons[i].m_clrPressed = m_filterButtons[i].m_clrText;
        m_filterButtons[i].Invalidate();
    }
    m_nFilter = filter;
    const std::vector<CDupeFile*>& shown = ShownList();
    m_nDuplicates = static_cast<int>(shown.size());
    m_strHeading = m_nDuplicates > 0 ? FormatGroupedCount(L"IDS_DUP_NUM_FILES_FOUND", m_nDuplicates)
                                     : DupeText(L"IDS_NO_DUP_FILES_FOUND");
    m_bSuppressItemChange = true;
    m_list.DeleteAllItems();
    m_bSuppressItemChange = false;
    m_nListedBytes = 0;
    if (m_nDuplicates > 0) {
        m_bStopFilling = false;
        CDlgFilling filling(DupeHost().MainWindow());
        filling.DoModal();
    }
    CDlgDFWelCome* welcome = TheDupePages().welcome;
    if (filter == kFilterAll && welcome != nullptr) {
        welcome->m_strStatusLine1 = FormatGroupedCount(L"IDS_DUPP_STRING", m_nDuplicates);
        welcome->StoreErrorString(FormatGroupedCount(L"IDS_NUM_FILES", m_nDuplicates));
        welcome->m_strStatusLine2 =
            m_nDuplicates > 0 ? ByteSizeText(m_nListedBytes) : L"0 " + DupeText(L"IDS_BYTES_STR");
        welcome->StoreStatusLines();
    }
    CString now;
    FormatCurrentDateTime(now);
    CString message;
    message.Format(L"%d duplicate files found\r\n%s", m_nDuplicates, now.GetString());
    WriteLauncherStatus(kDuplicateFinderModule, m_nDuplicates < 1 ? 1 : 0, message, L"",
                        COleDateTime());
    RecomputeSelectionTotals();
    m_btnCancel.EnableWindow(TRUE);
    Invalidate();
    // A location that could not be read was not searched: no "none found" passes for it.
    if (filter == kFilterAll && !m_unreadLocations.empty()) {
        CString list;
        for (const CString& location : m_unreadLocations)
            list += (list.IsEmpty() ? L"" : L", ") + location;
        CString text;
        text.Format(DupeText(L"IDS_LOCATIONS_NOT_READ"), list.GetString());
        AppMessageBox(text, MB_ICONERROR, DupeHost().MainWindow(), nullptr, false);
    }
    if (filter == kFilterAll && m_nDuplicates == 0) {
        if (m_unreadLocations.empty())
            DupeMessage(L"IDS_NO_DUP_FOUND", MB_ICONINFORMATION);
        PostCommandToParent(kDupeWelcomePage);
        EnableWizardControls(this, true);
    }
}

void CDlgDFScanResult::AttachFillingWindow(CProgressCtrl* bar, CWnd* percentText) {
    m_pFillingBar = bar;
    m_pFillingPercent = percentText;
}

bool CDlgDFScanResult::FillingProcess() {
    const std::vector<CDupeFile*>& shown = ShownList();
    m_bSuppressItemChange = true;
    const size_t count = shown.size();
    int lastPercent = -1;
    for (size_t i = 0; i < count && !m_bStopFilling; ++i) {
        InsertRow(static_cast<int>(i), *shown[i]);
        if (m_nFilter == kFilterAll)
            m_nListedBytes += shown[i]->m_nSize;
        const int percent = static_cast<int>((i + 1) * 100 / count);
        if (percent != lastPercent) {
            lastPercent = percent;
            if (m_pFillingBar != nullptr)
                m_pFillingBar->SetPos(percent);
            if (m_pFillingPercent != nullptr) {
                CString text;
                text.Format(L"%d%%", percent);
                m_pFillingPercent->SetWindowText(text);
            }
        }
        PumpPendingMessages();
    }
    m_bSuppressItemChange = false;
    return true;
}

int CDlgDFScanResult::IconFor(const CString& name) {
    CString extension = ::PathFindExtensionW(name);
    extension.MakeLower();
    extension.Trim();
    const auto cached = m_iconCache.find(extension);
    if (cached != m_iconCache.end())
        return cached->second;
    SHFILEINFOW info{};
    int index = -1;
    if (::SHGetFileInfoW(extension.IsEmpty() ? L"file" : extension.GetString(),
                         FILE_ATTRIBUTE_NORMAL, &info, sizeof(info),
                         SHGFI_USEFILEATTRIBUTES | SHGFI_ICON | SHGFI_SMALLICON) != 0 &&
        info.hIcon != nullptr) {
        const IconHandle icon(info.hIcon);
        index = m_rowIcons.Add(icon.Get());
    }
    m_iconCache[extension] = index;
    return index;
}

void CDlgDFScanResult::InsertRow(int index, const CDupeFile& file) {
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
    item.iItem = index;
    item.pszText = const_cast<LPWSTR>(file.m_strName.GetString());
    item.lParam = index;
    item.iImage = IconFor(file.m_strName);
    const int row = m_list.InsertItem(&item);
    m_list.SetItemText(row, 1, file.m_strFolder);
    m_list.SetItemText(row, 2, ByteSizeText(file.m_nSize));
    m_list.SetItemText(row, 3, TimeText(file.m_tLastWrite));
    CString group;
    group.Format(L"%d", m_nFilter == kFilterAll ? file.m_nFirstGroup : file.m_nSecondGroup);
    m_list.SetItemText(row, kGroupColumn, group);
    m_list.SetCheck(row, file.m_bRemovalMark != 0);
}

void CDlgDFScanResult::RecomputeSelectionTotals() {
    const std::vector<CDupeFile*>& shown = ShownList();
    m_nChecked = CountCheckedFiles(shown);
    m_nCheckedBytes = SumCheckedBytes(shown);
    if (CDlgDFFinish* finish = TheDupePages().finish)
        finish->m_nDuplicatesFound = static_cast<int>(shown.size());
    SetDlgItemText(IDC_ST_SPACE, ByteSizeText(m_nCheckedBytes));
    m_btnClean.EnableWindow(m_nChecked > 0);
}

void CDlgDFScanResult::OnItemChanged(NMHDR* header, LRESULT* result) {
    *result = 0;
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
    if (m_bSuppressItemChange || (change->uChanged & LVIF_STATE) == 0 ||
        ((change->uNewState ^ change->uOldState) & LVIS_STATEIMAGEMASK) == 0)
        return;
    const std::vector<CDupeFile*>& shown = ShownList();
    const size_t index = static_cast<size_t>(m_list.GetItemData(change->iItem));
    if (index >= shown.size())
        return;
    shown[index]->m_bRemovalMark = m_list.GetCheck(change->iItem) ? 1 : 0;
    RecomputeSelectionTotals();
}

void CDlgDFScanResult::OnCustomDraw(NMHDR* header, LRESULT* result) {
    auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(header);
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        *result = CDRF_NOTIFYITEMDRAW;
        return;
    case CDDS_ITEMPREPAINT:
        *result = CDRF_NOTIFYSUBITEMDRAW;
        return;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
        const int group = GroupOfRow(static_cast<int>(draw->nmcd.dwItemSpec));
        draw->clrTextBk = (group % 2 != 0) ? kOddGroup : kEvenGroup;
        draw->clrText = RGB(0, 0, 0);
        *result = CDRF_DODEFAULT;
        return;
    }
    default:
        *result = CDRF_DODEFAULT;
    }
}

int CDlgDFScanResult::GroupOfRow(int row) const {
    return _wtoi(m_list.GetItemText(row, kGroupColumn));
}

// ---- Group selection

void CDlgDFScanResult::SetGroupChecks(int mode) {
    const int selected = m_list.GetNextItem(-1, LVNI_SELECTED);
    if (selected < 0)
        return;
    const CString group = m_list.GetItemText(selected, kGroupColumn);
    int first = -1;
    int last = -1;
    for (int row = 0; row < m_list.GetItemCount(); ++row) {
        if (m_list.GetItemText(row, kGroupColumn).CompareNoCase(group) == 0) {
            if (first < 0)
                first = row;
            last = row;
        } else if (first >= 0) {
            break;
        }
    }
    if (first < 0)
        return;
    for (int row = first; row <= last; ++row) {
        bool check = false;
        if (mode == IDM_SELECT_ALL_BUT_FIRST)
            check = row != first;
        else if (mode == IDM_SELECT_ALL_BUT_LAST)
            check = row != last;
        m_list.SetCheck(row, check);
    }
}

void CDlgDFScanResult::SelectAllButFirst() {
    SetGroupChecks(IDM_SELECT_ALL_BUT_FIRST);
}

void CDlgDFScanResult::SelectAllButLast() {
    SetGroupChecks(IDM_SELECT_ALL_BUT_LAST);
}

void CDlgDFScanResult::UnselectGroup() {
    SetGroupChecks(IDM_UNSELECT_GROUP);
}

void CDlgDFScanResult::OnRightClick(NMHDR*, LRESULT* result) {
    *result = 0;
    POINT cursor;
    ::GetCursorPos(&cursor);
    POINT inList = cursor;
    m_list.ScreenToClient(&inList);
    UINT flags = 0;
    if (m_list.HitTest(inList, &flags) < 0 || (flags & LVHT_ONITEMLABEL) == 0)
        return;
    TrackTextMenu(7067,
                  {{IDM_SELECT_ALL_BUT_FIRST, L"IDS_MENU_SELECTALL_LEAVING_FIRST"},
                   {IDM_SELECT_ALL_BUT_LAST, L"IDS_MENU_SELALL_EXP_LG"},
                   {IDM_UNSELECT_GROUP, L"IDS_MENU_UNSELALL"},
                   {IDM_VIEW_FILE, L"IDS_MENU_SCANRESULTS_VIEWFILE"},
                   {IDM_OPEN_FILE_LOCATION, L"IDS_MENU_SCANRESULTS_OPENFILELOCATION"}},
                  m_hWnd, cursor);
}

void CDlgDFScanResult::OnViewFile() {
    const int row = m_list.GetNextItem(-1, LVNI_SELECTED);
    if (row < 0)
        return;
    CString path = m_list.GetItemText(row, 1);
    AppendPath(path, m_list.GetItemText(row, 0));
    ShellExecuteSafe(m_hWnd, L"open", path, nullptr, nullptr, SW_SHOWNORMAL);
}

void CDlgDFScanResult::OnOpenFileLocation() {
    const int row = m_list.GetNextItem(-1, LVNI_SELECTED);
    if (row >= 0)
        ShellExecuteSafe(m_hWnd, L"open", m_list.GetItemText(row, 1), nullptr, nullptr,
                         SW_SHOWNORMAL);
}

void CDlgDFScanResult::OnCancelResults() {
    m_bSuppressItemChange = true;
    m_list.DeleteAllItems();
    m_bSuppressItemChange = false;
    m_nDuplicates = 0;
    PostCommandToParent(kDupeWelcomePage);
    EnableWizardControls(this, true);
}

// ---- Cleaning

void CDlgDFScanResult::OnBnClickedCleanSystem() {
    const std::vector<CDupeFile*>& all = DupeHost().Finder().Duplicates(kSetAllFiles);
    m_nChecked = CountCheckedFiles(all);
    m_nCheckedBytes = SumCheckedBytes(all);
    if (m_nChecked == 0 ||
        (m_cleaner.IsValid() && ::WaitForSingleObject(m_cleaner.Get(), 0) == WAIT_TIMEOUT))
        return;
    // Every group keeps a copy: a choice that would leave one with none is refused as a whole.
    const CDupeFile* first = nullptr;
    if (const int group = FindGroupKeepingNoCopy(all, &first)) {
        CString text;
        text.Format(DupeText(L"IDS_GROUP_KEEPS_NO_COPY"), group, first->GetFullPath().GetString());
        DupeMessageText(text, MB_ICONEXCLAMATION);
        return;
    }
    m_nRemovalOption = ReadRemovalOption();
    m_hArchive = nullptr;
    m_strArchivePath.Empty();
    if (m_nRemovalOption == kRemoveWithZipBackup) {
        m_strBackupFolder = ReadBackupFolder();
        if (m_strBackupFolder.IsEmpty())
            m_nRemovalOption = kRemoveToRecycleBin;
    }
    if (m_nRemovalOption == kRemoveWithZipBackup) {
        SYSTEMTIME now;
        ::GetLocalTime(&now);
        switch (PrepareBackupArchive(m_strBackupFolder, m_nCheckedBytes, now, m_hArchive,
                                     m_strArchivePath)) {
        case BackupPreparation::kReady:
            break;
        case BackupPreparation::kNotEnoughSpace:
            DupeMessage(L"IDS_NOSPACE", MB_ICONEXCLAMATION);
            return;
        case BackupPreparation::kFolderMissing:
            DupeMessage(L"IDS_WRONG_PATH", MB_ICONEXCLAMATION);
            DupeHost().ShowRemovalSettings();
            return;
        case BackupPreparation::kCannotCreate:
            return;
        }
    }
    m_cancel = false;
    m_lastOutcome = DupeRemovalOutcome();
    CDlgDFCleaning* cleaning = TheDupePages().cleaning;
    if (cleaning != nullptr)
        cleaning->Prepare(m_nChecked);
    if (CDlgDFFinish* finish = TheDupePages().finish)
        finish->m_nBytesFreed = 0;
    EnableWizardControls(this, false);
    PostCommandToParent(kDupeCleaningPage);
    PumpPendingMessages();
    m_cleaner.Reset();
    const uintptr_t thread = _beginthreadex(nullptr, 0, &CleaningThreadProc, this, 0, nullptr);
    if (thread == 0) {
        // Nothing was removed: the archive is given up and the finish page says so.
        ZipFree(m_hArchive);
        m_hArchive = nullptr;
        m_lastOutcome.kept = m_nChecked;
        PostMessage(kCleaningDoneMessage);
        return;
    }
    m_cleaner = KernelHandle(reinterpret_cast<HANDLE>(thread));
}

unsigned __stdcall CDlgDFScanResult::CleaningThreadProc(void* page) {
    static_cast<CDlgDFScanResult*>(page)->RunCleaning();
    return 0;
}

void CDlgDFScanResult::RunCleaning() {
    CDlgDFCleaning* cleaning = TheDupePages().cleaning;
    if (cleaning != nullptr)
        cleaning->PlayAnimation(true);
    const CDupeFinder& finder = DupeHost().Finder();
    const std::vector<CDupeFile*>& all = finder.Duplicates(kSetAllFiles);
    const bool compareContent = finder.Options().content;
    if (m_nRemovalOption == kRemoveWithZipBackup) {
        m_lastOutcome = RemoveWithBackup(all, compareContent, m_hArchive, m_cancel, cleaning);
        m_hArchive = nullptr; // finished and freed by the removal
    } else {
        m_lastOutcome = RemoveToRecycleBin(all, compareContent, m_cancel, cleaning);
    }
    if (cleaning != nullptr)
        cleaning->PlayAnimation(false);
    PostMessage(kCleaningDoneMessage);
}

LRESULT CDlgDFScanResult::OnCleaningDone(WPARAM, LPARAM) {
    if (m_cleaner.IsValid())
        ::WaitForSingleObject(m_cleaner.Get(), INFINITE);
    const int removed = m_lastOutcome.removed;
    if (CDlgDFFinish* finish = TheDupePages().finish) {
        if (removed == m_nChecked)
            finish->SetStatus(L"IDS_DUPFILE_CLEAN_COMPLETE", RGB(0, 130, 44));
        else
            finish->SetStatus(L"IDS_DUPFILE_CLEAN_ABORTED", RGB(169, 1, 1));
        finish->m_nBytesFreed = m_lastOutcome.bytesFreed;
        finish->FinishComputation(m_nChecked, removed);
    }
    EnableWizardControls(this, true);
    PostCommandToParent(kDupeFinishPage);
    if (m_lastOutcome.changedSinceScan)
        DupeMessage(L"IDS_SOME_FILES_CHANGED", MB_ICONEXCLAMATION);
    if (m_lastOutcome.fileInUse)
        DupeMessage(L"IDS_SOME_FILES_INUSE", MB_ICONEXCLAMATION);
    return 0;
}

bool CDlgDFScanResult::WaitForCleaning(DWORD timeoutMs) {
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    while (m_cleaner.IsValid() && ::WaitForSingleObject(m_cleaner.Get(), 0) == WAIT_TIMEOUT) {
        if (::GetTickCount64() > end)
            return false;
        PumpPendingMessages();
        ::Sleep(5);
    }
    PumpPendingMessages();
    return true;
}

// ---- Looks

void CDlgDFScanResult::SetScanStatus(const CString& text, COLORREF colour) {
    m_strScanStatus = text;
    m_clrScanStatus = colour;
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

CRect CDlgDFScanResult::ListRectOnScreen() const {
    CRect rect;
    ::GetWindowRect(m_list.m_hWnd, &rect);
    return rect;
}

void CDlgDFScanResult::ShowList(bool show) {
    m_list.ShowWindow(show ? SW_SHOW : SW_HIDE);
}

void CDlgDFScanResult::OnPaint() {
    CSkinPaintDC memory(this);
    const CRect& client = memory.Client();
    DrawPageTitle(&memory, client, FALSE);
    DrawPageText(&memory, m_strScanStatus, RECT{22, 46, 300, 64}, m_clrScanStatus, DT_SINGLELINE);
    DrawPageText(&memory, m_strHeading, RECT{300, 46, 570, 64}, kDupeHeadingColour,
                 DT_SINGLELINE | DT_RIGHT);
    DrawPageText(&memory, DupeText(L"IDS_VIEW_RES_NOTE"),
                 RECT{22, client.Height() - 34, 300, client.Height() + 6}, kDupeTextColour);
}

void CDlgDFScanResult::OnSize(UINT, int, int) {
    // A size posted while the window was made may be stale: the window\'s own counts.
    const CSize client = ClientSizeOf(this);
    const int cx = client.cx;
    const int cy = client.cy;
    if (m_btnClean.GetSafeHwnd() == nullptr)
        return;
    for (int i = 0; i < 6; ++i)
        m_filterButtons[i].MoveWindow(22 + i * 91, 68, 86, 24);
    m_list.MoveWindow(22, 98, 548, 262);
    GetDlgItem(IDC_ST_SPACE_HEAD)->MoveWindow(22, 368, 150, 20);
    GetDlgItem(IDC_ST_SPACE)->MoveWindow(172, 368, 150, 20);
    m_groupingBar.MoveWindow(330, 370, 240, 10);
    m_btnCancel.MoveWindow(cx - 268, cy - 40, 120, 28);
    m_btnClean.MoveWindow(cx - 141, cy - 40, 120, 28);
}
