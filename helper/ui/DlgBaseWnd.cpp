#include "DlgBaseWnd.h"

#include "BitmapDrawing.h"
#include "HoverButtonWithText.h"
#include "STBitmap.h"
#include "AppState.h"
#include "Paths.h"
#include "ProductIdentity.h"
#include "SharedGlobals.h"
#include "ShellCommands.h"
#include "SystemInfo.h"
#include "UiFonts.h"
#include "IniReader.h"
#include "PopupServices.h"

#include <classlib/Resources.h>

#include <cmath>

XARNHELPER_DATA BYTE g_bShowToolTips = 0;
XARNHELPER_DATA HICON g_hAttentionIcon = nullptr;

IMPLEMENT_DYNCREATE(CDlgBaseWnd, CDialog)

BEGIN_MESSAGE_MAP(CDlgBaseWnd, CDialog)
ON_WM_CTLCOLOR()
ON_COMMAND(IDOK, &CDlgBaseWnd::OnOK)
ON_COMMAND(IDCANCEL, &CDlgBaseWnd::OnCancel)
ON_WM_HELPINFO()
END_MESSAGE_MAP()

namespace {
constexpr UINT kAttentionIconId = 1294;
// The application title's string resource.
constexpr UINT kAppTitleStringId = 0xE000;
constexpr double kUnitsToPixelsX = 1.5016077;
constexpr double kUnitsToPixelsY = 1.62378;
constexpr DWORD kUpdateCheckQuietTicks = 8191;
// The suite's update program in the program folder.
constexpr wchar_t kUpdateProgram[] = L"XarnUpdate.exe";
DWORD g_lastUpdateCheckTick = 0;

LOGFONTW& ClassLogFont() {
    static LOGFONTW font = [] {
        LOGFONTW record{};
        GetDefaultLogFont(&record);
        return record;
    }();
    return font;
}

int ScaledUp(int value, double factor) {
    return static_cast<int>(std::ceil(value * factor));
}

void StyleTextButtonLook(CHoverButtonWithText* button, COLORREF normal, COLORREF hover,
                         COLORREF disabled, LONG weight) {
    button->m_clrText = normal;
    button->m_clrPressed = normal;
    button->m_clrHover = hover;
    button->m_clrDisabled = disabled;
    button->m_bUseDisabledColor = true;
    GetDefaultLogFont(&button->m_logFont);
    button->m_logFont.lfWeight = weight;
}
} // namespace

CDlgBaseWnd::CDlgBaseWnd() {
    ResetBase();
}

CDlgBaseWnd::CDlgBaseWnd(UINT templateId, CWnd* parent)
    : CDialog(templateId, parent), m_nTemplateId(templateId) {
    ResetBase();
}

CDlgBaseWnd::~CDlgBaseWnd() {
    // The attention icon is shared by every dialog and kept for the process; the template
    // font member gives the dialog its previous font back as it goes.
    if (m_toolTip.GetSafeHwnd())
        m_toolTip.DestroyWindow();
}

void CDlgBaseWnd::ResetBase() {
    m_bPassThrough = 0;
    m_bIgnoreHeldEnter = 1;
    m_bIgnoreHeldEscape = 1;
    m_bBottomStrip = 0;
    m_pPaintCallback = nullptr;
    m_bPaintCallbackEnabled = 0;
    m_nPaintCallbackValue = 0;
    ClassLogFont();
}

const SkinFrameEdges& GetSkinFrameEdges() {
    static const SkinFrameEdges edges = [] {
        CSTBitmap left(1107), right(1108), top(1110), bottom(1105);
        return SkinFrameEdges{left.GetWidth(), right.GetWidth(), top.GetHeight(),
                              bottom.GetHeight()};
    }();
    return edges;
}

void TakeApplicationIdentity(CWnd* window) {
    CString title;
    LoadResourceText(title, kAppTitleStringId);
    window->SetWindowText(title);
    window->SendMessageW(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(g_hAppIcon));
    window->SendMessageW(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(g_hAppIcon));
}

HICON CDlgBaseWnd::AttentionIcon() {
    if (g_hAttentionIcon == nullptr) {
        const HINSTANCE module =
            AfxFindResourceHandle(MAKEINTRESOURCEW(kAttentionIconId), RT_GROUP_ICON);
        // A resource icon from LoadIcon is shared: it needs no DestroyIcon.
        g_hAttentionIcon = ::LoadIconW(module, MAKEINTRESOURCEW(kAttentionIconId));
    }
    return g_hAttentionIcon;
}

BOOL CDlgBaseWnd::Create(UINT templateId, CWnd* parent) {
    return CDialog::Create(templateId, parent);
}

BOOL CDlgBaseWnd::OnInitDialog() {
    CDialog::OnInitDialog();
    AttentionIcon();
    SendMessageToDescendants(WM_SETFONT, reinterpret_cast<WPARAM>(g_fontUI.GetSafeHandle()), TRUE,
                             TRUE, FALSE);
    if (g_bShowToolTips) {
        CMFCToolTipInfo params;
        params.m_bVislManagerTheme = TRUE;
        m_toolTip.SetParams(&params);
        // Without the control the dialog simply shows no tooltips.
        static_cast<void>(m_toolTip.Create(this, 0));
    }
    CRect client;
    GetClientRect(&client);
    PostMessageW(WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.Width(), client.Height()));
    return TRUE;
}

BOOL CDlgBaseWnd::PreTranslateMessage(MSG* msg) {
    if (g_bShowToolTips && m_toolTip.GetSafeHwnd() && ::IsWindow(m_toolTip.GetSafeHwnd())) {
        switch (msg->message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP:
            m_toolTip.SendMessageW(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg));
            break;
        default:
            break;
        }
    }
    return CDialog::PreTranslateMessage(msg);
}

bool CDlgBaseWnd::IsKeyHeld(int virtualKey) const {
    return (::GetAsyncKeyState(virtualKey) & 0x8000) != 0;
}

void CDlgBaseWnd::OnOK() {
    if (m_bIgnoreHeldEnter && IsKeyHeld(VK_RETURN))
        return;
    CDialog::OnOK();
}

void CDlgBaseWnd::OnCancel() {
    if (m_bIgnoreHeldEscape && IsKeyHeld(VK_ESCAPE))
        return;
    CDialog::OnCancel();
}

HBRUSH CDlgBaseWnd::OnCtlColor(CDC* dc, CWnd*, UINT) {
    dc->SetBkColor(RGB(255, 255, 255));
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(0x48362D);
    return g_hbrWhite;
}

BOOL CDlgBaseWnd::OnHelpInfo(HELPINFO*) {
    OpenOnlineHelp();
    return TRUE;
}

LRESULT CDlgBaseWnd::OnPassThroughMessage(WPARAM, LPARAM) {
    return m_bPassThrough ? Default() : 0;
}

void CDlgBaseWnd::SetPaintCallback(DlgPaintCallback callback, BOOL enabled, int userValue) {
    m_pPaintCallback = callback;
    m_bPaintCallbackEnabled = enabled ? 1 : 0;
    m_nPaintCallbackValue = userValue;
}

bool CDlgBaseWnd::HasPaintCallback() const {
    return m_bPaintCallbackEnabled && m_pPaintCallback != nullptr;
}

int CDlgBaseWnd::CallPaintCallback(CDC* dc, RECT* client) {
    return m_pPaintCallback(this, m_nPaintCallbackValue, dc, client);
}

bool CDlgBaseWnd::PaintThroughCallback(CDC* dc) {
    if (!HasPaintCallback())
        return false;
    CRect client;
    GetClientRect(&client);
    CallPaintCallback(dc, &client);
    return true;
}

void CDlgBaseWnd::StyleLightTextButton(CHoverButtonWithText* button) {
    StyleTextButtonLook(button, 0xFFFCFC, 0xFFFCFC, 0xA7A49E, FW_BOLD);
    button->m_bWeight500 = false;
}

void CDlgBaseWnd::StyleDarkTextButton(CHoverButtonWithText* button) {
    StyleTextButtonLook(button, 0x361209, 0x3F0912, 0xA29990, GetOsMajorVersion() < 6 ? 700 : 500);
    button->m_bBoldAlways = true;
    button->m_bWeight500 = true;
}

void CDlgBaseWnd::MoveDlgItemScaled(int id, int x, int y, int cx, int cy) {
    if (CWnd* item = GetDlgItem(id))
        item->MoveWindow(ScaledUp(x, kUnitsToPixelsX), ScaledUp(y, kUnitsToPixelsY),
                         ScaledUp(cx, kUnitsToPixelsX), ScaledUp(cy, kUnitsToPixelsY), TRUE);
}

void CDlgBaseWnd::MoveDlgItemScaledPos(int id, int x, int y, int cx, int cy) {
    if (CWnd* item = GetDlgItem(id))
        item->MoveWindow(ScaledUp(x, kUnitsToPixelsX), ScaledUp(y, kUnitsToPixelsY), cx, cy, TRUE);
}

void CDlgBaseWnd::DrawSkinFrame(CDC* dc, const RECT& rect) {
    static CSTBitmap topLeft(1109), top(1110), topRight(1111), left(1107), bottomLeft(1104),
        right(1108), bottomRight(1106), bottom(1105);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    auto copy = [dc](CSTBitmap& bitmap, int x, int y, int cx, int cy) {
        DrawBitmap(dc, x, y, cx, cy, &bitmap, SRCCOPY);
    };
    // The edges repeat the first row or column of their bitmap.
    const auto across = [dc](CSTBitmap& bitmap, int from, int limit, int y) {
        DrawBitmapRepeated(dc, from, y, 1, bitmap.GetHeight(), &bitmap, 1, 0,
                           RepeatCount(from, limit, 1));
    };
    const auto down = [dc](CSTBitmap& bitmap, int x, int from, int limit) {
        DrawBitmapRepeated(dc, x, from, bitmap.GetWidth(), 1, &bitmap, 0, 1,
                           RepeatCount(from, limit, 1));
    };
    copy(topLeft, rect.left, rect.top, topLeft.GetWidth(), topLeft.GetHeight());
    across(top, rect.left + topLeft.GetWidth(), width - top.GetWidth(), rect.top);
    copy(topRight, width - topRight.GetWidth(), rect.top, topRight.GetWidth(),
         topRight.GetHeight());
    down(left, rect.left, rect.top + topLeft.GetHeight(), height - left.GetHeight());
    copy(bottomLeft, rect.left, height - bottomLeft.GetHeight(), bottomLeft.GetWidth(),
         bottomLeft.GetHeight());
    down(right, width - right.GetWidth(), rect.top + topRight.GetHeight(),
         height - right.GetHeight());
    copy(bottomRight, width - bottomRight.GetWidth(), height - bottomRight.GetHeight(),
         bottomRight.GetWidth(), bottomRight.GetHeight());
    across(bottom, rect.left + bottomLeft.GetWidth(), width - bottomRight.GetWidth(),
           height - bottomLeft.GetHeight());
}

void CDlgBaseWnd::PostCommandToParent(UINT id) {
    ::PostMessageW(::GetParent(m_hWnd), WM_COMMAND, id, 0);
}

void CDlgBaseWnd::PostCommandToSelf(UINT id) {
    ::PostMessageW(m_hWnd, WM_COMMAND, id, 0);
}

DWORD CDlgBaseWnd::LaunchUpdateCheck() {
    const DWORD now = ::GetTickCount();
    if (now > g_lastUpdateCheckTick && now - g_lastUpdateCheckTick <= kUpdateCheckQuietTicks &&
        g_lastUpdateCheckTick != 0)
        return now;
    g_lastUpdateCheckTick = now;
    CString folder;
    GetModuleFolder(AfxGetModuleState()->m_hCurrentInstanceHandle, folder);
    CString program = folder;
    AppendPath(program, kUpdateProgram);
    if (PathExists(program) != 1) {
        // Left to the shell, a missing program would only bring its bare "file not found".
        ShowUpdateCheckUnavailable(AfxGetMainWnd());
        return now;
    }
    // Whether it started is not this call's concern: the update program reports for itself.
    static_cast<void>(
        ShellExecuteSafe(nullptr, L"open", program, L"checkupdate", folder, SW_SHOWNORMAL));
    return now;
}

void CDlgBaseWnd::OpenOnlineHelp() {
    static_cast<void>(ShellExecuteSafe(::GetDesktopWindow(), L"open", GetSupportPageUrl(), L"", L"",
                                       SW_MAXIMIZE));
}
