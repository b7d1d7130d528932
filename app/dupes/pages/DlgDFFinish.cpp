#include "DlgDFFinish.h"

#include "DlgDFWelCome.h"
#include "DupePageIds.h"
#include "DupeWizard.h"

#include <DlgLeftDlgBase.h>
#include <SkinPaintDC.h>
#include <TextButtonStyle.h>

namespace {
constexpr wchar_t kSection[] = L"IDD_DLG_DF_FINISH";
constexpr COLORREF kGreen = 0x2C8200;
constexpr COLORREF kRed = 0x0101A9;
} // namespace

IMPLEMENT_DYNAMIC(CDlgDFFinish, CDlgLeftSideChild)

BEGIN_MESSAGE_MAP(CDlgDFFinish, CDlgLeftSideChild)
ON_WM_PAINT()
ON_WM_SIZE()
ON_BN_CLICKED(IDC_BTN_ACTION, &CDlgDFFinish::OnFinish)
ON_BN_CLICKED(IDC_BTN_NON_ACTION, &CDlgDFFinish::OnDeleteMore)
END_MESSAGE_MAP()

CDlgDFFinish::CDlgDFFinish(CWnd* parent) : CDlgLeftSideChild(IDD_DLG_DF_FINISH, parent) {
    TheDupePages().finish = this;
}

CDlgDFFinish::~CDlgDFFinish() {
    if (TheDupePages().finish == this)
        TheDupePages().finish = nullptr;
}

BOOL CDlgDFFinish::OnInitDialog() {
    CDlgLeftSideChild::OnInitDialog();
    SetWindowText(DupeText(L"IDS_FINISH_HEADING"));
    m_strHeading = DupeText(L"IDS_DUPFILE_CLEAN_COMPLETE");
    const struct {
        LPCWSTR label;
        UINT icon;
        COLORREF colour;
    } rows[] = {{L"IDS_DUPL_FILES_FOUND", 1290, 0x5A5148},
                {L"IDS_DUP_FILES_SEL", 1314, kGreen},
                {L"IDS_DUP_FILES_REMOVED", 1314, kGreen},
                {L"IDS_DUP_FILES_REMAINING", 1300, kRed},
                {L"IDS_DISKSPACE_SAVED", 1314, kGreen}};
    for (const auto& row : rows) {
        m_labels.Add(DupeText(row.label));
        m_icons.Add(m_iconOwners.emplace_back(LoadSmallIcon(row.icon)).Get());
        m_colours.Add(row.colour);
        m_values.Add(L"0");
    }
    m_values[4] = ByteSizeText(0);
    m_btnAction.SubclassDlgItem(IDC_BTN_ACTION, this);
    m_btnNonAction.SubclassDlgItem(IDC_BTN_NON_ACTION, this);
    LoadFourFrameStrip(m_btnAction, 1074);
    LoadFourFrameStrip(m_btnNonAction, 1076);
    StyleLightTextButton(&m_btnAction);
    StyleDarkTextButton(&m_btnNonAction);
    m_btnAction.SetWindowText(DupeCaption(L"IDC_BTN_ACTION", kSection));
    m_btnNonAction.SetWindowText(DupeCaption(L"IDC_BTN_NON_ACTION", kSection));
    OnSize(SIZE_RESTORED, kDupePageWidth, kDupePageHeight);
    return TRUE;
}

void CDlgDFFinish::SetStatus(LPCWSTR headingKey, COLORREF colour) {
    m_strHeading = DupeText(headingKey);
    m_clrHeading = colour;
}

void CDlgDFFinish::FinishComputation(int selected, int removed) {
    m_nRemaining = static_cast<LONGLONG>(selected) - removed;
    m_bAllRemoved = m_nRemaining == 0;
    m_strRemaining = GroupedNumber(m_nRemaining);
    const CString selectedText = GroupedNumber(selected);
    if (m_values.GetSize() == 5) {
        m_values[0] = GroupedNumber(m_nDuplicatesFound);
        m_values[1] = selectedText;
        m_values[2] = GroupedNumber(removed);
        m_values[3] = m_strRemaining;
        m_values[4] = ByteSizeText(m_nBytesFreed);
    }
    if (CDlgDFWelCome* welcome = TheDupePages().welcome) {
        welcome->AddCleanedFiles(static_cast<DWORD>(removed));
        welcome->m_strStatusLine1.Format(DupeText(L"IDS_DUPP_STRING"), selectedText.GetString());
        welcome->m_strStatusLine1 += L" " + DupeText(L"IDS_CLEANED");
        welcome->m_strStatusLine2 = ByteSizeText(m_nBytesFreed);
        welcome->StoreStatusLines();
        welcome->StoreErrorString(FormatGroupedCount(L"IDS_NUM_FILES", m_nRemaining));
    }
    if (GetSafeHwnd() != nullptr)
        Invalidate();
}

void CDlgDFFinish::OnPaint() {
    CSkinPaintDC memory(this);
    const CRect& client = memory.Client();
    DrawPageTitle(&memory, client, FALSE);
    DrawPanelFrame(&memory, 22, 57, m_bAllRemoved ? FALSE : TRUE, FALSE);
    const COLORREF colour = m_bAllRemoved ? kGreen : kRed;
    DrawPageText(&memory, m_strHeading, RECT{40, 57, 550, 107}, m_clrHeading,
                 DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
    CString status;
    if (m_bAllRemoved)
        status = DupeText(L"IDS_ALL_FILES_REMOVED");
    else
        status.Format(DupeText(L"IDS_RENAMING_FILES"), m_strRemaining.GetString());
    DrawPageText(&memory, CutTo50(status), RECT{22, 108, 570, 126}, colour, DT_SINGLELINE);
    SummaryLayout layout;
    layout.dc = &memory;
    layout.x = 22;
    layout.y = 127;
    layout.height = 210;
    layout.title = DupeText(L"IDS_SUMMARY_INFO");
    layout.headerBitmapId = 7070;
    layout.icons = &m_icons;
    layout.labels = &m_labels;
    layout.values = &m_values;
    layout.valueColours = &m_colours;
    layout.width = 545;
    DrawSummaryPanel(layout);
}

void CDlgDFFinish::OnSize(UINT, int, int) {
    // A size posted while the window was made may be stale: the window\'s own counts.
    const CSize client = ClientSizeOf(this);
    const int cx = client.cx;
    const int cy = client.cy;
    if (m_btnAction.GetSafeHwnd() == nullptr)
        return;
    m_btnAction.MoveWindow(cx - 141, cy - 40, 120, 28);
    m_btnNonAction.MoveWindow(cx - 268, cy - 40, 120, 28);
}

void CDlgDFFinish::OnFinish() {
    PostCommandToParent(kDupeWelcomePage);
    if (CDlgLeftDlgBase* panel = PanelOf(this))
        panel->EnableNavButtons(TRUE, FALSE, FALSE, FALSE, FALSE, FALSE, FALSE);
}

void CDlgDFFinish::OnDeleteMore() {
    PostCommandToParent(kDupeLocationsPage);
    if (CDlgLeftDlgBase* panel = PanelOf(this))
        panel->EnableNavButtons(FALSE, TRUE, FALSE, FALSE, FALSE, FALSE, FALSE);
}
