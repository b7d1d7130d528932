#include "DlgScan3Results.h"

#include <BitmapDrawing.h>
#include <DlgLeftDlgBase.h>
#include <SelectedFont.h>
#include <HtmlText.h>
#include <PanelDrawing.h>
#include <PopupServices.h>
#include <STBitmap.h>
#include <SkinPaintDC.h>

#include "DlgDetails.h"
#include "DlgScan4Cleanup.h"
#include "JunkPagesResource.h"
#include "AppState.h"
#include "IniReader.h"
#include "SizeTexts.h"
#include "UiFonts.h"
#include "VantorixApp.h"

BEGIN_MESSAGE_MAP(CDlgScan3Results, CDlgLeftSideChild)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_SIZE()
ON_WM_SHOWWINDOW()
ON_WM_CTLCOLOR()
ON_BN_CLICKED(IDC_CHK_JUNK, &CDlgScan3Results::OnJunkCheck)
ON_BN_CLICKED(IDC_CHK_TEMP, &CDlgScan3Results::OnTempCheck)
ON_BN_CLICKED(IDC_CHK_FOLDERS, &CDlgScan3Results::OnFoldersCheck)
ON_BN_CLICKED(IDC_BTN_JUNK_FILES, &CDlgScan3Results::OnJunkDetails)
ON_BN_CLICKED(IDC_BTN_TEMP_FILES, &CDlgScan3Results::OnTempDetails)
ON_BN_CLICKED(IDC_BTN_CLICK_HERE, &CDlgScan3Results::OnAllDetails)
ON_BN_CLICKED(IDC_BTN_EMPTY_FOLDERS, &CDlgScan3Results::OnFoldersDetails)
ON_BN_CLICKED(IDC_BTN_CLEAN_SYSTEM, &CDlgScan3Results::OnClean)
ON_BN_CLICKED(IDC_BTN_CANCEL_RES, &CDlgScan3Results::OnCancelResults)
END_MESSAGE_MAP()

namespace {
constexpr wchar_t kSection[] = L"IDD_SCANTAB3_RESULTS";
constexpr COLORREF kTextColour = RGB(72, 81, 90);
constexpr COLORREF kHeadingColour = RGB(171, 0, 0);
constexpr UINT kSeparatorBitmap = 1090;
// The rounded panel's fill, behind the group check boxes and links.
constexpr COLORREF kPanelColour = RGB(234, 241, 249);
constexpr wchar_t kBottomNoteCacheKey[] = L"SYSCLEAN_SCANTAB3BOTDESC";
CDlgScan3Results::TickSource g_tickSource = &GetTickCount;

void DrawGroupCount(CDC& dc, int checked, int total, CRect rect) {
    CString text;
    text.Format(JunkText(L"IDS_STR_CLEAN_ERROR_DISPLAY"), checked, total);
    dc.DrawText(text, &rect, DT_RIGHT | DT_SINGLELINE);
}

// The bottom note, formatted with the UI font's face once and kept in the text cache.
CString BottomNote() {
    CString note;
    if (IniTextCache.Lookup(kBottomNoteCacheKey, note) && !note.IsEmpty())
        return note;
    note.Format(JunkText(L"SCANTAB3BOTDESC"), GetUIFontFace().GetString());
    IniTextCache.SetAt(kBottomNoteCacheKey, note);
    return note;
}
} // namespace

CDlgScan3Results::CDlgScan3Results(CWnd* parent)
    : CDlgLeftSideChild(IDD_SCANTAB3_RESULTS, parent) {}

CDlgScan3Results::~CDlgScan3Results() {
    if (g_junkPages.results == this)
        g_junkPages.results = nullptr;
}

BOOL CDlgScan3Results::OnInitDialog() {
    CDlgLeftSideChild::OnInitDialog();
    g_junkPages.results = this;
    m_junkCheck.SubclassDlgItem(IDC_CHK_JUNK, this);
    m_tempCheck.SubclassDlgItem(IDC_CHK_TEMP, this);
    m_foldersCheck.SubclassDlgItem(IDC_CHK_FOLDERS, this);
    m_junkLink.SubclassDlgItem(IDC_BTN_JUNK_FILES, this);
    m_tempLink.SubclassDlgItem(IDC_BTN_TEMP_FILES, this);
    m_allLink.SubclassDlgItem(IDC_BTN_CLICK_HERE, this);
    m_foldersLink.SubclassDlgItem(IDC_BTN_EMPTY_FOLDERS, this);
    m_cleanButton.SubclassDlgItem(IDC_BTN_CLEAN_SYSTEM, this);
    m_cancelButton.SubclassDlgItem(IDC_BTN_CANCEL_RES, this);
    SetControlText(this, IDC_BTN_JUNK_FILES, kSection, L"IDC_BTN_JUNK_FILES");
    SetControlText(this, IDC_BTN_TEMP_FILES, kSection, L"IDC_BTN_TEMP_FILES");
    SetControlText(this, IDC_BTN_CLICK_HERE, kSection, L"IDC_BTN_CLICK_HERE");
    SetControlText(this, IDC_BTN_CLEAN_SYSTEM, kSection, L"IDC_BTN_CLEAN_SYSTEM");
    SetControlText(this, IDC_BTN_EMPTY_FOLDERS, kSection, L"IDC_BTN_EMPTY_FOLDERS");
    SetControlText(this, IDC_BTN_CANCEL_RES, kSection, L"IDC_BTN_CANCEL_RES");
    SetWindowText(JunkText(L"SCANDLG3"));
    StyleJunkButton(m_cancelButton, false);
    StyleJunkButton(m_cleanButton, true);
    m_cleanButton.ShowWindow(SW_SHOW);
    const int boxTops[] = {182, 245, 308};
    CButton* boxes[] = {&m_junkCheck, &m_tempCheck, &m_foldersCheck};
    for (int i = 0; i < 3; ++i) {
        boxes[i]->SetWindowPos(nullptr, 37, boxTops[i], 18, 18, SWP_NOZORDER);
        boxes[i]->SetWindowText(L"");
    }
    const int linkTops[] = {180, 244, 307};
    CHyperLinkBtn* links[] = {&m_junkLink, &m_tempLink, &m_foldersLink};
    for (int i = 0; i < 3; ++i) {
        // The group titles stand on the panel's fading fill, which a colour of their own would
        // cover with a box.
        links[i]->SetTransparent(true);
        links[i]->SetTextColor(RGB(18, 54, 135));
        links[i]->SetWindowPos(nullptr, 63, linkTops[i], 125, 14, SWP_NOZORDER);
    }
    m_allLink.SetTextColor(RGB(18, 54, 252));
    m_allLink.SetWindowPos(nullptr, 39, 395, 54, 14, SWP_NOZORDER);
    LayOutNow(this);
    m_junkCheck.SetFocus();
    return FALSE;
}

void CDlgScan3Results::OnSize(UINT type, int cx, int cy) {
    CDlgLeftSideChild::OnSize(type, cx, cy);
    TakeCurrentClientSize(this, cx, cy);
    PlaceBottomButton(m_cleanButton, cx, cy, 141);
    PlaceBottomButton(m_cancelButton, cx, cy, 268);
}

void CDlgScan3Results::OnShowWindow(BOOL show, UINT status) {
    CDlgLeftSideChild::OnShowWindow(show, status);
    if (!show)
        return;
    m_shownTick = g_tickSource();
    CountJunkItemsByCategory();
    RefreshControls();
}

HBRUSH CDlgScan3Results::OnCtlColor(CDC* dc, CWnd* control, UINT type) {
    if (control &&
        (control->m_hWnd == m_junkCheck.m_hWnd || control->m_hWnd == m_tempCheck.m_hWnd ||
         control->m_hWnd == m_foldersCheck.m_hWnd)) {
        static const HBRUSH panel = ::CreateSolidBrush(kPanelColour);
        dc->SetBkColor(kPanelColour);
        return panel;
    }
    return CDlgLeftSideChild::OnCtlColor(dc, control, type);
}

void CDlgScan3Results::RefreshControls() {
    CWnd* controls[] = {&m_junkCheck, &m_tempCheck,   &m_junkLink,     &m_tempLink,
                        &m_allLink,   &m_cleanButton, &m_foldersCheck, &m_foldersLink};
    for (CWnd* control : controls)
        control->EnableWindow(FALSE);
    m_junkCheck.SetCheck(BST_UNCHECKED);
    m_tempCheck.SetCheck(BST_UNCHECKED);
    m_foldersCheck.SetCheck(BST_UNCHECKED);
    const JunkRunCounters& run = g_junkRun;
    struct GroupControls {
        int total, checked;
        CButton* box;
        CWnd* link;
    };
    const GroupControls groups[] = {
        {run.junkTotal, run.junkChecked, &m_junkCheck, &m_junkLink},
        {run.tempTotal, run.tempChecked, &m_tempCheck, &m_tempLink},
        {run.foldersTotal, run.foldersChecked, &m_foldersCheck, &m_foldersLink}};
    for (const GroupControls& group : groups) {
        if (group.total <= 0)
            continue;
        group.box->EnableWindow(TRUE);
        group.link->EnableWindow(TRUE);
        m_allLink.EnableWindow(TRUE);
        if (group.checked > 0) {
            m_cleanButton.EnableWindow(TRUE);
            group.box->SetCheck(BST_CHECKED);
        }
    }
    Invalidate(FALSE);
}

void CDlgScan3Results::FocusFirstControl() {
    m_junkCheck.SetFocus();
}

void CDlgScan3Results::OnGroupCheck(JunkGroup group, CButton& box) {
    const bool checked = box.GetCheck() == BST_CHECKED;
    if (g_pJunkFinder) {
        for (INT_PTR i = 0; i < g_pJunkFinder->GetFoundCount(); ++i) {
            CJunkItem* item = g_pJunkFinder->GetFoundItem(i);
            if (item && GroupOf(*item) == group)
                item->checked = checked;
        }
    }
    CountJunkItemsByCategory();
    Invalidate(FALSE);
    RefreshControls();
}

void CDlgScan3Results::ShowDetails(int filter) {
    CDlgDetails details(this);
    details.m_nFilter = filter;
    details.DoModal();
    CountJunkItemsByCategory();
    Invalidate(FALSE);
    RefreshControls();
}

void CDlgScan3Results::SetTickSource(TickSource source) {
    g_tickSource = source ? source : &GetTickCount;
}

bool CDlgScan3Results::IsCleanArmed() const {
    return g_tickSource() - m_shownTick >= kCleanArmingMs;
}

void CDlgScan3Results::OnClean() {
    if (!IsCleanArmed())
        return;
    CVantorixApp* app = JunkApp();
    const bool direct = app && app->GetProfileInt(L"Removal", L"DirectFastRemove", 0) != 0;
    if (direct && !JunkServices().IsHiddenStart() && !g_bScheduleSwitch &&
        AppMessageBox(JunkText(L"IDS_MSG_PROMPT_DIRECT_RECOVERY"), MB_YESNO | MB_ICONQUESTION, this,
                      nullptr, false) != IDYES)
        return;
    StartCleaning();
}

void CDlgScan3Results::StartCleaning() {
    ShowJunkPage(kJunkCleanupPage);
    if (CDlgScan4Cleanup* cleanup = g_junkPages.cleanup)
        cleanup->SetTimer(kStartCleaningTimer, 10, nullptr);
}

void CDlgScan3Results::OnCancelResults() {
    ShowJunkPage(kJunkHomePage);
    if (g_pJunkFinder)
        g_pJunkFinder->ClearFoundItems();
    CountJunkItemsByCategory();
    if (CDlgLeftDlgBase* panel = JunkServices().Panel())
        panel->EnableNavButtons(TRUE, FALSE, FALSE, FALSE, FALSE, TRUE, TRUE);
}

BOOL CDlgScan3Results::OnEraseBkgnd(CDC* dc) {
    CRect client;
    GetClientRect(&client);
    PaintGround(*dc, client);
    return TRUE;
}

void CDlgScan3Results::PaintGround(CDC& dc, const CRect& client) {
    dc.FillSolidRect(&client, RGB(255, 255, 255));
    DrawPageTitle(&dc, client, TRUE);
    DrawRoundedPanel(&dc, 21, 140, 369, 545);
}

void CDlgScan3Results::OnPaint() {
    CSkinPaintDC memory(this);
    const CRect& client = memory.Client();
    PaintGround(memory, client);
    memory.SetBkMode(TRANSPARENT);
    const JunkRunCounters& run = g_junkRun;
    CString heading;
    heading.Format(JunkText(L"SCANTAB3ERRCOUNT"),
                   g_pJunkFinder ? static_cast<int>(g_pJunkFinder->GetFoundCount()) : 0);
    DrawPageHeading(memory, heading, kHeadingColour, CRect(97, 65, 561, 115));
    FormatSizeWithUnits(g_junkRun.savingsText, false,
                        g_pJunkFinder ? g_pJunkFinder->GetSelectedSize() : 0);
    memory.SetTextColor(kTextColour);
    {
        CSelectedFont font(memory.GetSafeHdc(), static_cast<HFONT>(g_fontUIBold.GetSafeHandle()));
        CRect savings(261, 1, client.Width() - 29, 32);
        memory.DrawText(JunkText(L"SCANTAB3TRSPACESAVINGLABEL") + L" " + run.savingsText, &savings,
                        DT_RIGHT | DT_SINGLELINE | DT_VCENTER);
    }
    {
        CSelectedFont font(memory.GetSafeHdc(), static_cast<HFONT>(g_fontUIBold.GetSafeHandle()));
        CRect objects(47, 145, 107, 162);
        memory.DrawText(JunkText(L"IDS_DLG3SCANRES_OBJ"), &objects, DT_WORDBREAK);
        CRect selected(305, 145, 547, 162);
        memory.DrawText(JunkText(L"IDS_DLG3SCANRES_TOTERRORSEL"), &selected, DT_RIGHT);
        DrawGroupCount(memory, run.junkChecked, run.junkTotal, CRect(169, 181, 547, 199));
        DrawGroupCount(memory, run.tempChecked, run.tempTotal, CRect(169, 244, 547, 269));
        DrawGroupCount(memory, run.foldersChecked, run.foldersTotal, CRect(169, 307, 547, 332));
    }
    static CSTBitmap separator(kSeparatorBitmap);
    for (int y : {167, 230, 293})
        DrawBitmapStretched(&memory, 34, y, 531, separator.GetHeight(), 0, 0, separator.GetWidth(),
                            separator.GetHeight(), &separator, SRCAND);
    {
        CSelectedFont font(memory.GetSafeHdc(), static_cast<HFONT>(g_fontUI.GetSafeHandle()));
        CRect junk(63, 200, 545, 235);
        memory.DrawText(JunkText(L"SCANTAB3JUNKDESC"), &junk, DT_WORDBREAK);
        CRect temp(63, 263, 545, 305);
        memory.DrawText(JunkText(L"SCANTAB3TEMPDESC"), &temp, DT_WORDBREAK);
        CRect folders(63, 326, 545, 368);
        memory.DrawText(JunkText(L"SCANTAB3FOLDERDESC"), &folders, DT_WORDBREAK);
        CRect whatToDo(98, 395, 522, 413);
        memory.DrawText(JunkText(L"SCANTAB3WHATTODO"), &whatToDo, DT_SINGLELINE);
    }
    if (m_bottomNoteRect.IsRectEmpty())
        m_bottomNoteRect.SetRect(22, client.Height() - 40, 262, client.Height() + 10);
    DrawHtmlText(this, &memory, &m_bottomNoteRect, BottomNote(), TRUE);
}
