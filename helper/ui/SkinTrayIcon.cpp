#include "SkinTrayIcon.h"

#include "SkinModuleHandle.h"
#include "SharedGlobals.h"

#include <classlib/Menu.h>
#include <classlib/Resources.h>
#include <owners/WinOwners.h>

#include <algorithm>
#include <cwchar>

namespace {
// One step of the taskbar walk: the notification area gives the rectangle, the clock then
// cuts its own part off and ends the walk.
BOOL CALLBACK NarrowToNotificationArea(HWND child, LPARAM param) {
    RECT* rect = reinterpret_cast<RECT*>(param);
    wchar_t name[64] = {};
    ::GetClassNameW(child, name, ARRAYSIZE(name));
    if (wcscmp(name, L"TrayNotifyWnd") == 0) {
        ::GetWindowRect(child, rect);
        return TRUE;
    }
    if (wcscmp(name, L"TrayClockWClass") != 0)
        return TRUE;
    RECT clock{};
    ::GetWindowRect(child, &clock);
    if (clock.bottom < rect->bottom - 5)
        rect->top = clock.bottom;
    else
        rect->right = clock.left;
    return FALSE;
}

constexpr UINT kReAddFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
constexpr UINT kNotifyIconSize = NOTIFYICONDATAW_V2_SIZE;
constexpr int kTipChars = ARRAYSIZE(NOTIFYICONDATAW{}.szTip);

bool MinimizeAnimates() {
    ANIMATIONINFO animation{};
    animation.cbSize = sizeof(animation);
    return ::SystemParametersInfoW(SPI_GETANIMATION, sizeof(animation), &animation, 0) &&
           animation.iMinAnimate != 0;
}

HICON LoadSmallIcon(LPCWSTR name) {
    return static_cast<HICON>(::LoadImageW(AfxFindResourceHandle(name, RT_GROUP_ICON), name,
                                           IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                           ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
}

// Sub-menu 0 of a menu, or null.
HMENU FirstSubMenu(HMENU menu) {
    return menu != nullptr ? ::GetSubMenu(menu, 0) : nullptr;
}

} // namespace

IMPLEMENT_DYNAMIC(CSkinTrayIcon, CWnd)

BEGIN_MESSAGE_MAP(CSkinTrayIcon, CWnd)
ON_WM_TIMER()
ON_WM_SETTINGCHANGE()
ON_REGISTERED_MESSAGE(g_msgTaskbarCreated, &CSkinTrayIcon::OnTaskbarCreated)
END_MESSAGE_MAP()

CSkinTrayIcon::CSkinTrayIcon() {
    m_nid.cbSize = kNotifyIconSize;
    m_nid.uID = 0;
    m_nid.uFlags = kReAddFlags;
    m_nid.uCallbackMessage = kTrayCallbackMessage;
}

CSkinTrayIcon::~CSkinTrayIcon() {
    DeleteFromTray();
    if (m_hWnd != nullptr)
        DestroyWindow();
    if (m_hiddenParent.m_hWnd != nullptr)
        m_hiddenParent.DestroyWindow();
    ClearFrameIcons();
}

BOOL CSkinTrayIcon::Create(LPCWSTR tooltip, UINT, CWnd* owner, UINT iconId) {
    return Create(tooltip, owner, iconId, 0, 0, false);
}

BOOL CSkinTrayIcon::Create(LPCWSTR tooltip, CWnd* owner, UINT iconId, UINT menuId, UINT defaultItem,
                           bool defaultByPosition) {
    if (owner == nullptr || owner->GetSafeHwnd() == nullptr)
        return FALSE;
    m_nDefaultIconId = iconId;
    m_strTooltip = tooltip ? tooltip : L"";
    m_hOwner = owner->GetSafeHwnd();
    m_nTipLimit = 127;
    SetTrayIcon(iconId);
    SetTipText(m_strTooltip);
    if (m_hWnd == nullptr &&
        !CWnd::CreateEx(0, AfxRegisterWndClass(0), L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr))
        return FALSE;
    m_nid.hWnd = m_hWnd;
    m_nid.uID = menuId;
    m_nDefaultItem = defaultItem;
    m_bDefaultByPosition = defaultByPosition;
    m_nReAddFlags = kReAddFlags;
    return AddToTray();
}

BOOL CSkinTrayIcon::ShellNotify(DWORD message) {
    return ::Shell_NotifyIconW(message, &m_nid);
}

BOOL CSkinTrayIcon::AddToTray() {
    if (!m_bRemoved)
        DeleteFromTray();
    m_nid.uFlags = kReAddFlags;
    if (!ShellNotify(NIM_ADD)) {
        m_bAddFailed = true;
        return FALSE;
    }
    m_bHidden = m_bRemoved = false;
    return TRUE;
}

BOOL CSkinTrayIcon::DeleteFromTray() {
    m_bAddFailed = false;
    if (m_bRemoved)
        return TRUE;
    m_nid.uFlags = 0;
    if (!ShellNotify(NIM_DELETE))
        return FALSE;
    m_bHidden = m_bRemoved = true;
    return TRUE;
}

BOOL CSkinTrayIcon::HideIcon() {
    if (m_bRemoved || m_bHidden)
        return TRUE;
    if (!ShellHasVersion5())
        return DeleteFromTray();
    m_nid.uFlags = NIF_STATE;
    m_nid.dwState = NIS_HIDDEN;
    m_nid.dwStateMask = NIS_HIDDEN;
    m_bHidden = ShellNotify(NIM_MODIFY) != FALSE;
    return m_bHidden;
}

BOOL CSkinTrayIcon::ShowIcon() {
    if (m_bRemoved)
        return AddToTray();
    if (!m_bHidden)
        return TRUE;
    if (!ShellHasVersion5())
        return AddToTray();
    m_nid.uFlags = NIF_STATE;
    m_nid.dwState = 0;
    m_nid.dwStateMask = NIS_HIDDEN;
    if (!ShellNotify(NIM_MODIFY))
        return FALSE;
    m_bHidden = m_bRemoved = false;
    return TRUE;
}

void CSkinTrayIcon::AddAgain() {
    if (m_bRemoved || m_bHidden)
        return;
    m_nid.uFlags = m_nReAddFlags;
    m_bAddFailed = !ShellNotify(NIM_ADD);
}

LRESULT CSkinTrayIcon::OnTaskbarCreated(WPARAM, LPARAM) {
    AddAgain();
    return 0;
}

void CSkinTrayIcon::OnSettingChange(UINT flags, LPCWSTR section) {
    CWnd::OnSettingChange(flags, section);
    if (flags == SPI_SETWORKAREA && m_bAddFailed)
        AddAgain();
}

BOOL CSkinTrayIcon::SetTrayIcon(HICON icon) {
    if (icon == m_nid.hIcon)
        return TRUE;
    m_nid.uFlags = NIF_ICON;
    m_nid.hIcon = icon;
    return m_bHidden ? TRUE : ShellNotify(NIM_MODIFY);
}

BOOL CSkinTrayIcon::SetTrayIcon(LPCWSTR name) {
    m_currentIcon = LoadSmallIcon(name);
    return SetTrayIcon(m_currentIcon.Get());
}

BOOL CSkinTrayIcon::SetTrayIcon(UINT iconId) {
    return SetTrayIcon(MAKEINTRESOURCEW(iconId));
}

BOOL CSkinTrayIcon::SetIconById(UINT iconId) {
    return SetTrayIcon(iconId);
}

BOOL CSkinTrayIcon::SetTipText(LPCWSTR text) {
    CString tip(text ? text : L"");
    if (tip.GetLength() >= m_nTipLimit)
        tip = tip.Left(m_nTipLimit - 1);
    m_strTooltip = tip;
    m_nid.uFlags = NIF_TIP;
    wcsncpy_s(m_nid.szTip, kTipChars, tip, std::min(m_nTipLimit - 1, kTipChars - 1));
    return m_bHidden ? TRUE : ShellNotify(NIM_MODIFY);
}

BOOL CSkinTrayIcon::SetTipText(UINT stringId) {
    CString text;
    const LPCWSTR block = MAKEINTRESOURCEW((stringId >> 4) + 1);
    if (!text.LoadString(AfxFindResourceHandle(block, RT_STRING), stringId))
        return FALSE;
    return SetTipText(text);
}

BOOL CSkinTrayIcon::SetTooltip(LPCWSTR text) {
    return SetTipText(text);
}

BOOL CSkinTrayIcon::SetOwnerWindow(CWnd* owner) {
    if (owner == nullptr || !::IsWindow(owner->GetSafeHwnd()))
        return FALSE;
    m_nid.hWnd = owner->GetSafeHwnd();
    m_nid.uFlags = 0;
    return ShellNotify(NIM_MODIFY);
}

BOOL CSkinTrayIcon::SetNotifyMessage(UINT message) {
    m_nid.uCallbackMessage = message;
    m_nid.uFlags = NIF_MESSAGE;
    return ShellNotify(NIM_MODIFY);
}

MenuHandle CSkinTrayIcon::LoadContextMenu() const {
    const LPCWSTR name = MAKEINTRESOURCEW(m_nid.uID);
    return MenuHandle(::LoadMenuW(AfxFindResourceHandle(name, RT_MENU), name));
}

BOOL CSkinTrayIcon::SetMenuDefault(UINT item, bool byPosition) {
    if (item == m_nDefaultItem && byPosition == m_bDefaultByPosition)
        return TRUE;
    m_nDefaultItem = item;
    m_bDefaultByPosition = byPosition;
    const MenuHandle menu = LoadContextMenu();
    const HMENU popup = FirstSubMenu(menu.Get());
    if (popup == nullptr)
        return FALSE;
    ::SetMenuDefaultItem(popup, item, byPosition);
    return TRUE;
}

void CSkinTrayIcon::GetMenuDefault(UINT& item, bool& byPosition) const {
    item = m_nDefaultItem;
    byPosition = m_bDefaultByPosition;
}

BOOL CSkinTrayIcon::ShowBalloonTip(LPCWSTR text, LPCWSTR title, DWORD infoFlags, UINT seconds) {
    if (!ShellHasVersion5() || text == nullptr)
        return FALSE;
    m_nid.uFlags |= NIF_INFO;
    wcsncpy_s(m_nid.szInfo, ARRAYSIZE(m_nid.szInfo), text, _TRUNCATE);
    wcsncpy_s(m_nid.szInfoTitle, ARRAYSIZE(m_nid.szInfoTitle), title ? title : L"", _TRUNCATE);
    m_nid.uTimeout = seconds * 1000;
    m_nid.dwInfoFlags = infoFlags;
    const BOOL shown = ShellNotify(NIM_MODIFY);
    m_nid.szInfo[0] = L'\0';
    return shown;
}

void CSkinTrayIcon::ClearFrameIcons() {
    m_frames.clear();
    m_nCurrentFrame = 0;
}

BOOL CSkinTrayIcon::SetFrameIcons(const UINT* iconIds, int count, const CString* tooltips) {
    ClearFrameIcons();
    if (iconIds == nullptr)
        return count <= 0;
    for (int i = 0; i < count; ++i) {
        auto frame = std::make_unique<Frame>();
        frame->icon = LoadSmallIcon(MAKEINTRESOURCEW(iconIds[i]));
        if (frame->icon.Get() == nullptr)
            return FALSE;
        if (tooltips != nullptr)
            frame->tooltip = tooltips[i];
        m_frames.push_back(std::move(frame));
    }
    return TRUE;
}

BOOL CSkinTrayIcon::SetFrameIcons(const UINT* iconIds, const CString* tooltips, int count) {
    return SetFrameIcons(iconIds, count, tooltips);
}

void CSkinTrayIcon::StartFrameTimer(UINT interval) {
    SetTimer(m_nTimerId, interval);
}

void CSkinTrayIcon::StartFrames(UINT timerId, UINT interval) {
    m_nTimerId = timerId;
    StartFrameTimer(interval);
}

void CSkinTrayIcon::StopAnimation() {
    KillTimer(m_nTimerId);
    SetTipText(m_strTooltip);
    SetTrayIcon(m_nDefaultIconId);
}

void CSkinTrayIcon::StopFrames() {
    StopAnimation();
}

void CSkinTrayIcon::OnTimer(UINT_PTR id) {
    if (id != m_nTimerId || m_frames.empty())
        return;
    if (m_nCurrentFrame < 0 || m_nCurrentFrame >= static_cast<int>(m_frames.size()))
        m_nCurrentFrame = 0;
    const Frame& frame = *m_frames[m_nCurrentFrame];
    // The frame's tooltip is shown, the resting one kept for StopAnimation.
    const CString resting = m_strTooltip;
    SetTipText(frame.tooltip.IsEmpty() ? resting : frame.tooltip);
    m_strTooltip = resting;
    SetTrayIcon(frame.icon.Get());
    m_nCurrentFrame = (m_nCurrentFrame + 1) % static_cast<int>(m_frames.size());
}

LRESULT CSkinTrayIcon::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == m_nid.uCallbackMessage)
        return OnTrayNotification(wParam, lParam);
    return CWnd::WindowProc(message, wParam, lParam);
}

LRESULT CSkinTrayIcon::OnTrayNotification(WPARAM id, LPARAM message) {
    if (id != m_nid.uID || m_hOwner == nullptr)
        return 0;
    if (::SendMessageW(m_hOwner, kTrayCallbackMessage, id, message) != 0)
        return 1;
    const UINT event = LOWORD(message);
    if (event == WM_RBUTTONUP || event == WM_CONTEXTMENU || event == NIN_SELECT ||
        event == NIN_KEYSELECT) {
        const MenuHandle menu = LoadContextMenu();
        const HMENU popup = FirstSubMenu(menu.Get());
        if (popup == nullptr)
            return 0;
        ::SetMenuDefaultItem(popup, m_nDefaultItem, m_bDefaultByPosition);
        POINT cursor{};
        ::GetCursorPos(&cursor);
        ::SetForegroundWindow(m_hOwner);
        ::TrackPopupMenu(popup, TPM_LEFTBUTTON, cursor.x, cursor.y, 0, m_hOwner, nullptr);
        // Lets the menu close when the user clicks elsewhere.
        ::PostMessageW(m_hOwner, WM_NULL, 0, 0);
        ShellNotify(NIM_SETFOCUS);
        return 1;
    }
    if (event == WM_LBUTTONDBLCLK) {
        ::SetForegroundWindow(m_hOwner);
        UINT command = m_nDefaultItem;
        if (m_bDefaultByPosition) {
            const MenuHandle menu = LoadContextMenu();
            const HMENU popup = FirstSubMenu(menu.Get());
            if (popup == nullptr)
                return 0;
            command = ::GetMenuItemID(popup, static_cast<int>(m_nDefaultItem));
        }
        ::SendMessageW(m_hOwner, WM_COMMAND, command, 0);
        return 1;
    }
    return 1;
}

void CSkinTrayIcon::ParentToHiddenWindow(CWnd* window) {
    if (window == nullptr)
        return;
    if (m_hiddenParent.m_hWnd == nullptr &&
        !m_hiddenParent.CreateEx(0, AfxRegisterWndClass(0), L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                 nullptr))
        return;
    window->SetParent(&m_hiddenParent);
}

void CSkinTrayIcon::HideWindowToTray(CWnd* window) {
    if (window == nullptr)
        return;
    if (MinimizeAnimates()) {
        CRect from;
        CRect to;
        window->GetWindowRect(&from);
        if (GetTrayWindowRect(&to))
            ::DrawAnimatedRects(window->m_hWnd, IDANI_CAPTION, &from, &to);
    }
    ParentToHiddenWindow(window);
    window->ShowWindow(SW_HIDE);
}

void CSkinTrayIcon::RestoreWindowFromTray(CWnd* window) {
    if (window == nullptr)
        return;
    window->SetParent(nullptr);
    if (MinimizeAnimates()) {
        CRect from;
        CRect to;
        window->GetWindowRect(&to);
        if (GetTrayWindowRect(&from))
            ::DrawAnimatedRects(window->m_hWnd, IDANI_CAPTION, &from, &to);
    }
    window->SetWindowPos(nullptr, 0, 0, 0, 0,
                         SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED |
                             SWP_SHOWWINDOW);
    if (m_hiddenParent.m_hWnd != nullptr)
        m_hiddenParent.SetActiveWindow();
    window->SetActiveWindow();
    window->SetForegroundWindow();
}

BOOL CSkinTrayIcon::GetTrayWindowRect(RECT* rect) {
    if (rect == nullptr)
        return FALSE;
    if (HWND tray = ::FindWindowW(L"Shell_TrayWnd", nullptr)) {
        ::GetWindowRect(tray, rect);
        // The clock sits inside the notification area, so the walk goes through every
        // descendant, each window before its own children.
        ::EnumChildWindows(tray, &NarrowToNotificationArea, reinterpret_cast<LPARAM>(rect));
        return TRUE;
    }
    APPBARDATA bar{};
    bar.cbSize = sizeof(bar);
    if (::SHAppBarMessage(ABM_GETTASKBARPOS, &bar)) {
        const RECT& r = bar.rc;
        if (bar.uEdge == ABE_TOP || bar.uEdge == ABE_BOTTOM)
            *rect = RECT{r.right - 100, r.top, r.right - 16, r.bottom};
        else
            *rect = RECT{r.left, r.bottom - 100, r.right, r.bottom - 16};
        return TRUE;
    }
    RECT work{};
    if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0))
        return FALSE;
    *rect = RECT{work.right - 150, work.bottom - 30, work.right, work.bottom};
    return TRUE;
}
