#include "DlgScan5Summary.h"

#include <BitmapDrawing.h>
#include <classlib/Resources.h>
#include <DlgLeftDlgBase.h>
#include <SelectedFont.h>
#include <PanelDrawing.h>
#include <STBitmap.h>
#include <SkinPaintDC.h>

#include "JunkPagesResource.h"
#include "UiFonts.h"

BEGIN_MESSAGE_MAP(CDlgScan5Summary, CDlgLeftSideChild)
ON_WM_PAINT()
ON_WM_SIZE()
ON_BN_CLICKED(IDC_BTN_CONTINUE, &CDlgScan5Summary::OnContinue)
END_MESSAGE_MAP()

namespace {
constexpr wchar_t kSection[] = L"IDD_SCANTAB5_SUMMARY";
constexpr UINT kIconIds[] = {1294, 1300, 1290, 1314};
// The done and remaining icons among them: the good mark and the attention mark.
constexpr int kDoneIcon = 3;
constexpr int kRemainingIcon = 1;
constexpr UINT kSeparatorBitmap = 1090;
constexpr UINT kSummaryPicture = 5031;
constexpr COLORREF kTextColour = RGB(72, 81, 90);
constexpr COLORREF kLineColour = RGB(237, 237, 237);
} // namespace

CDlgScan5Summary::CDlgScan5Summary(CWnd* parent)
    : CDlgLeftSideChild(IDD_SCANTAB5_SUMMARY, parent) {}

BOOL CDlgScan5Summary::OnInitDialog() {
    CDlgLeftSideChild::OnInitDialog();
    m_continueButton.SubclassDlgItem(IDC_BTN_CONTINUE, this);
    SetControlText(this, IDC_BTN_CONTINUE, kSection, L"IDC_BTN_CONTINUE");
    SetWindowText(JunkText(L"SCANDLG5"));
    StyleJunkButton(m_continueButton, false);
    for (int i = 0; i < 4; ++i)
        m_icons[i].Reset(static_cast<HICON>(
            LoadImageW(AfxFindResourceHandle(MAKEINTRESOURCEW(kIconIds[i]), RT_GROUP_ICON),
                       MAKEINTRESOURCEW(kIconIds[i]), IMAGE_ICON, 16, 16, 0)));
    LayOutNow(this);
    m_continueButton.SetFocus();
    return FALSE;
}

void CDlgScan5Summary::OnSize(UINT type, int cx, int cy) {
    CDlgLeftSideChild::OnSize(type, cx, cy);
    TakeCurrentClientSize(this, cx, cy);
    PlaceBottomButton(m_continueButton, cx, cy, 141);
}

void CDlgScan5Summary::OnContinue() {
    CDlgLeftDlgBase* panel = JunkServices().Panel();
    if (panel)
        panel->EnableActionButtons();
    if (g_junkRun.found == g_junkRun.cleaned) {
        if (panel)
            panel->EnableNavButtons(TRUE, FALSE, FALSE, FALSE, FALSE, TRUE, TRUE);
        ShowJunkPage(kJunkHomePage);
    } else {
        ShowJunkPage(kJunkResultsPage);
        if (panel)
            panel->EnableNavButtons(TRUE, FALSE, TRUE, FALSE, FALSE, TRUE, TRUE);
    }
}

void CDlgScan5Summary::OnPaint() {
    CSkinPaintDC memory(this);
    const CRect& client = memory.Client();
    DrawPageTitle(&memory, client, TRUE);
    memory.SetBkMode(TRANSPARENT);
    const JunkRunCounters& run = g_junkRun;
    const int left = run.found - run.cleaned;
    CString heading;
    COLORREF headingColour = RGB(14, 112, 36);
    if (left < 1) {
        heading = JunkText(L"IDS_DLG5SUMMRY_HEADING_FIXPROB");
    } else {
        heading.Format(L"%d ", left);
        heading += JunkText(L"IDS_DLG5SUMM_HEADING");
        headingColour = RGB(168, 0, 0);
    }
    DrawPageHeading(memory, heading, headingColour, CRect(100, 75, 500, 102));
    DrawRoundedPanel(&memory, 21, 130, 310, 545);
    memory.SetTextColor(kTextColour);
    {
        CSelectedFont font(memory.GetSafeHdc(), static_cast<HFONT>(g_fontUIBold.GetSafeHandle()));
        CRect title(40, 150, 570, 167);
        const CString text = JunkText(L"IDS_DLG5SUMM_HEADING1_SUMBOX");
        memory.DrawText(text, &title, DT_WORDBREAK | DT_CALCRECT);
        memory.DrawText(text, &title, DT_WORDBREAK);
    }
    static CSTBitmap separator(kSeparatorBitmap);
    DrawBitmapStretched(&memory, 40, 170, 510, separator.GetHeight(), 0, 0, separator.GetWidth(),
                        separator.GetHeight(), &separator, SRCAND);
    static CSTBitmap picture(kSummaryPicture);
    if (picture.GetWidth() > 0)
        DrawBitmap(&memory, 35, 178, 106, 110, &picture, SRCCOPY);

    const CString found = JunkText(L"IDS_DLG5SUMM_ERRORFOUND");
    struct Row {
        int icon;
        CString label;
        CString value;
        COLORREF colour;
    };
    CString value;
    Row rows[4];
    value.Format(L"%d ", run.found);
    rows[0] = {kDoneIcon, found, value + found.Left(found.GetLength() - 1), RGB(0, 0, 0)};
    value.Format(L"%d ", run.cleaned);
    rows[1] = {kDoneIcon, JunkText(L"IDS_DLG5SUMM_ERRORFIXED"), value + JunkText(L"IDS_STR_FILES"),
               RGB(45, 152, 83)};
    value.Format(L"%d ", left);
    rows[2] = {kRemainingIcon, JunkText(L"IDS_DLG5SUMM_ERRORREMANING"),
               value + JunkText(L"IDS_STR_JUNKDATAREM"), RGB(179, 13, 13)};
    rows[3] = {kDoneIcon, JunkText(L"IDS_DLG5SUMM_DISKSPACE"), run.savingsText, RGB(179, 13, 13)};
    CSelectedFont font(memory.GetSafeHdc(), static_cast<HFONT>(g_fontUI.GetSafeHandle()));
    CPen pen(PS_SOLID, 1, kLineColour);
    CPen* previous = memory.SelectObject(&pen);
    const int tops[] = {190, 217, 244, 271};
    for (int i = 0; i < 4; ++i) {
        const int y = tops[i];
        if (m_icons[rows[i].icon])
            DrawIconEx(memory.GetSafeHdc(), 160, y + 1, m_icons[rows[i].icon].Get(), 16, 16, 0,
                       nullptr, DI_NORMAL);
        memory.SetTextColor(RGB(0, 0, 0));
        CRect label(180, y, 338, y + 19);
        memory.DrawText(rows[i].label, &label, DT_SINGLELINE | DT_VCENTER);
        memory.SetTextColor(rows[i].colour);
        CRect valueRect(340, y, 560, y + 19);
        memory.DrawText(rows[i].value, &valueRect, DT_SINGLELINE | DT_VCENTER);
        if (i < 3) {
            memory.MoveTo(150, y + 22);
            memory.LineTo(470, y + 22);
        }
    }
    memory.SelectObject(previous);
    // What the cleaning kept because it was no longer what the scan found.
    const int changed = g_pJunkFinder ? g_pJunkFinder->GetChangedCount() : 0;
    if (changed > 0) {
        if (m_icons[kRemainingIcon])
            DrawIconEx(memory.GetSafeHdc(), 40, 322, m_icons[kRemainingIcon].Get(), 16, 16, 0,
                       nullptr, DI_NORMAL);
        CString note;
        note.Format(JunkText(L"IDS_DLG5SUMM_CHANGED"), changed);
        memory.SetTextColor(RGB(179, 13, 13));
        CRect noteRect(62, 321, 560, 360);
        memory.DrawText(note, &noteRect, DT_WORDBREAK);
    }
}
