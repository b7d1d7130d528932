#include "DlgAddOption.h"

#include "DupePageIds.h"
#include "DupeWizard.h"

#include <SkinPaintDC.h>

namespace {
constexpr wchar_t kSection[] = L"IDD_OPTIONS_DUPE_ADD_ITEM";
} // namespace

IMPLEMENT_DYNAMIC(CDlgAddOption, CDlgBaseChildPopUpWndBase)

BEGIN_MESSAGE_MAP(CDlgAddOption, CDlgBaseChildPopUpWndBase)
ON_WM_PAINT()
ON_WM_SIZE()
END_MESSAGE_MAP()

CDlgAddOption::CDlgAddOption(CWnd* parent)
    : CDlgBaseChildPopUpWndBase(IDD_OPTIONS_DUPE_ADD_ITEM, parent) {
    SetWindowSize(TRUE, 348, 215);
}

BOOL CDlgAddOption::OnInitDialog() {
    CDlgBaseChildPopUpWndBase::OnInitDialog();
    SetWindowText(DupeText(L"IDS_ADD_MASK"));
    SetCaptions(this, kSection,
                {{IDC_STATIC_TITLE_DUPP, L"IDC_STATIC_TITLE_DUPP"}, {IDOK, L"IDOK"}});
    m_path.SubclassDlgItem(IDC_DUPE_EDIT_FOLDER, this);
    m_path.EnableFolderBrowseButton();
    m_btnOk.SubclassDlgItem(IDOK, this);
    LoadFourFrameStrip(m_btnOk, 1074);
    StyleLightTextButton(&m_btnOk);
    CRect client;
    GetClientRect(&client);
    OnSize(SIZE_RESTORED, client.Width(), client.Height());
    CentreOverMainWindow(this);
    return TRUE;
}

void CDlgAddOption::OnOK() {
    CString path;
    m_path.GetWindowText(path);
    path.Trim(L" ");
    if (path.IsEmpty()) {
        DupeMessage(L"IDS_MSG_NO_PATH", MB_ICONHAND);
        return;
    }
    m_strResult = path;
    EndDialog(IDOK);
}

void CDlgAddOption::OnPaint() {
    CSkinPaintDC memory(this);
    const CRect& client = memory.Client();
    PaintWindowFrame(&memory, client);
}

void CDlgAddOption::OnSize(UINT type, int, int) {
    // A size posted while the window was made may be stale: the window\'s own counts.
    const CSize client = ClientSizeOf(this);
    const int cx = client.cx;
    const int cy = client.cy;
    CDlgBaseChildPopUpWndBase::OnSize(type, cx, cy);
    if (m_btnOk.GetSafeHwnd() == nullptr)
        return;
    GetDlgItem(IDC_STATIC_TITLE_DUPP)->MoveWindow(22, 90, 300, 20);
    m_path.MoveWindow(22, 115, 300, 20);
    m_btnOk.MoveWindow(cx - 142, 170, 120, 28);
}
