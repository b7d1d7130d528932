#include "classlib/Window.h"

#include "classlib/Gdi.h"
#include "classlib/Menu.h"
#include "HookedCreate.h"
#include "WindowState.h"

#include <owners/LockGuards.h>

IMPLEMENT_DYNCREATE(CWnd, CCmdTarget)

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

// ---- handle maps ----

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
    return hWnd ? AfxWndMap().Lookup(hWnd) : nullptr;
}

CWnd* CWnd::FromHandle(HWND hWnd) {
    if (hWnd == nullptr)
        return nullptr;
    if (CWnd* p = FromHandlePermanent(hWnd))
        return p;
    auto& temps = AfxGetThreadState().tempWnds;
    auto& slot = temps[hWnd];
    if (!slot) {
        slot = std::make_unique<CWnd>();
        slot->m_hWnd = hWnd;
    }
    return slot.get();
}

CWnd* xarn_msgmap::WndFromHandle(HWND hWnd) {
    return CWnd::FromHandle(hWnd);
}

BOOL CWnd::Attach(HWND hWndNew) {
    if (hWndNew == nullptr || m_hWnd != nullptr)
        return FALSE;
    if (!AfxWndMap().Add(hWndNew, this))
        return FALSE;
    m_hWnd = hWndNew;
    return TRUE;
}

HWND CWnd::Detach() {
    HWND h = m_hWnd;
    if (h != nullptr)
        AfxWndMap().Remove(h, this);
    m_hWnd = nullptr;
    return h;
}

namespace {
// Routes the window's messages through AfxWndProc, remembering its own procedure.
void SubclassAttached(CWnd* pWnd) {
    auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(pWnd->m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
    if (previous != &AfxWndProc)
        pWnd->m_pfnSuper = previous;
}
} // namespace

BOOL CWnd::SubclassWindow(HWND hWnd) {
    if (!Attach(hWnd))
        return FALSE;
    PreSubclassWindow();
    SubclassAttached(this);
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent) {
    HWND hWndControl = ::GetDlgItem(HandleOf(pParent), static_cast<int>(nID));
    return hWndControl != nullptr && SubclassWindow(hWndControl);
}

HWND CWnd::UnsubclassWindow() {
    if (m_hWnd == nullptr)
        return nullptr;
    if (m_pfnSuper != nullptr)
        SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    m_pfnSuper = nullptr;
    return Detach();
}

CWnd::~CWnd() {
    if (m_hWnd != nullptr && FromHandlePermanent(m_hWnd) == this) {
        // The window outlives no object: destroy it, and if it survives, let it go.
        if (!::DestroyWindow(m_hWnd) || m_hWnd != nullptr)
            UnsubclassWindow();
    }
}

// ---- creation ----

namespace {
bool IsImeWindow(HWND hWnd) {
    wchar_t name[32] = {};
    ::GetClassNameW(hWnd, name, 32);
    return lstrcmpiW(name, L"IME") == 0 || lstrcmpiW(name, L"MSCTFIME UI") == 0;
}

LRESULT CALLBACK CbtFilterHook(int code, WPARAM wParam, LPARAM lParam) {
    AfxThreadState& state = AfxGetThreadState();
    if (code == HCBT_CREATEWND && state.pWndInit != nullptr) {
        auto hWnd = reinterpret_cast<HWND>(wParam);
        if (!IsImeWindow(hWnd)) {
            CWnd* pWnd = state.pWndInit;
            state.pWndInit = nullptr;
            if (pWnd->Attach(hWnd)) {
                state.hWndAttaching = hWnd;
                pWnd->PreSubclassWindow();
                state.hWndAttaching = nullptr;
                SubclassAttached(pWnd);
            }
        }
    }
    return CallNextHookEx(state.hHookCbt, code, wParam, lParam);
}
} // namespace

void AfxHookWindowCreate(CWnd* pWnd) {
    AfxThreadState& state = AfxGetThreadState();
    if (state.hHookCbt == nullptr)
        state.hHookCbt = SetWindowsHookExW(WH_CBT, &CbtFilterHook, nullptr, GetCurrentThreadId());
    state.pWndInit = pWnd;
}

BOOL AfxUnhookWindowCreate() {
    AfxThreadState& state = AfxGetThreadState();
    bool attached = state.pWndInit == nullptr;
    state.pWndInit = nullptr;
    return attached;
}

BOOL AfxIsWindowBeingCreated(HWND hWnd) {
    return hWnd != nullptr && AfxGetThreadState().hWndAttaching == hWnd;
}

BOOL AfxRegisterClass(WNDCLASSW* lpWndClass) {
    WNDCLASSW existing{};
    if (GetClassInfoW(lpWndClass->hInstance, lpWndClass->lpszClassName, &existing))
        return TRUE;
    return RegisterClassW(lpWndClass) != 0;
}

LPCWSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor, HBRUSH hbrBackground, HICON hIcon) {
    // One name per combination; the names live in a process-wide table.
    static SRWLOCK lock = SRWLOCK_INIT;
    static std::unordered_map<std::wstring, std::unique_ptr<wchar_t[]>> names;
    wchar_t name[96];
    wsprintfW(name, L"Xarn:%p:%x:%p:%p:%p", static_cast<void*>(GetModuleHandleW(nullptr)),
              nClassStyle, static_cast<void*>(hCursor), static_cast<void*>(hbrBackground),
              static_cast<void*>(hIcon));
    LPCWSTR result = nullptr;
    {
        const ExclusiveLockGuard hold(lock);
        auto& stored = names[name];
        if (!stored) {
            size_t length = wcslen(name) + 1;
            stored = std::make_unique<wchar_t[]>(length);
            wmemcpy(stored.get(), name, length);
        }
        result = stored.get();
    }
    WNDCLASSW wc{};
    wc.style = nClassStyle;
    wc.lpfnWndProc = &AfxWndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = hCursor;
    wc.hbrBackground = hbrBackground;
    wc.hIcon = hIcon;
    wc.lpszClassName = result;
    return AfxRegisterClass(&wc) ? result : nullptr;
}

BOOL CWnd::PreCreateWindow(CREATESTRUCTW& cs) {
    if (cs.lpszClass == nullptr)
        cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                           reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    return cs.lpszClass != nullptr;
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle,
                    int x, int y, int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu,
                    LPVOID lpParam) {
    if (m_hWnd != nullptr)
        return FALSE;
    CREATESTRUCTW cs{};
    cs.dwExStyle = dwExStyle;
    cs.lpszClass = lpszClassName;
    cs.lpszName = lpszWindowName;
    cs.style = static_cast<LONG>(dwStyle);
    cs.x = x;
    cs.y = y;
    cs.cx = nWidth;
    cs.cy = nHeight;
    cs.hwndParent = hWndParent;
    cs.hMenu = nIDorHMenu;
    cs.hInstance = GetModuleHandleW(nullptr);
    cs.lpCreateParams = lpParam;
    if (!PreCreateWindow(cs)) {
        PostNcDestroy();
        return FALSE;
    }
    return CreateHooked(this, [&] {
        return ::CreateWindowExW(cs.dwExStyle, cs.lpszClass, cs.lpszName,
                                 static_cast<DWORD>(cs.style), cs.x, cs.y, cs.cx, cs.cy,
                                 cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
    });
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle,
                    const RECT& rect, CWnd* pParentWnd, UINT nID, LPVOID lpParam) {
    return CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top,
                    rect.right - rect.left, rect.bottom - rect.top, HandleOf(pParentWnd),
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)), lpParam);
}

BOOL CWnd::Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                  CWnd* pParentWnd, UINT nID, void*) {
    return CreateEx(0, lpszClassName, lpszWindowName, dwStyle | WS_CHILD, rect, pParentWnd, nID);
}

BOOL CWnd::DestroyWindow() {
    return m_hWnd != nullptr && ::DestroyWindow(m_hWnd);
}

void CWnd::PreSubclassWindow() {}
void CWnd::PostNcDestroy() {}

// ---- the window procedure ----

namespace {
LRESULT CallWindowProcOf(CWnd* pWnd, HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    AfxThreadState& state = AfxGetThreadState();
    MSG saved = state.lastSent;
    state.lastSent = MSG{hWnd, message, wParam, lParam, 0, {0, 0}};
    LRESULT result = 0;
    try {
        result = pWnd->WindowProc(message, wParam, lParam);
    } catch (...) {
        AfxNoteHandlerException();
        result = message == WM_CREATE ? -1 : 0;
    }
    state.lastSent = saved;
    return result;
}
} // namespace

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
    if (pWnd == nullptr)
        return ::DefWindowProcW(hWnd, message, wParam, lParam);
    LRESULT result = CallWindowProcOf(pWnd, hWnd, message, wParam, lParam);
    if (message == WM_NCDESTROY && pWnd->m_hWnd == hWnd) {
        // The last message: let the object go before it may delete itself.
        pWnd->m_pfnSuper = nullptr;
        pWnd->Detach();
        try {
            pWnd->PostNcDestroy();
        } catch (...) {
            AfxNoteHandlerException();
        }
    }
    return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper != nullptr)
        return ::CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
    const MSG& msg = AfxGetThreadState().lastSent;
    return DefWindowProc(msg.message, msg.wParam, msg.lParam);
}

namespace {
bool IsCtlColor(UINT message) {
    return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
}

// The control that an owner message is about, for reflection.
HWND ChildOfOwnerMessage(HWND hWndParent, UINT message, WPARAM wParam, LPARAM lParam) {
    if (IsCtlColor(message) || message == WM_HSCROLL || message == WM_VSCROLL)
        return reinterpret_cast<HWND>(lParam);
    switch (message) {
    case WM_DRAWITEM: {
        auto* dis = reinterpret_cast<LPDRAWITEMSTRUCT>(lParam);
        return dis->CtlType == ODT_MENU ? nullptr : dis->hwndItem;
    }
    case WM_MEASUREITEM: {
        auto* mis = reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam);
        return mis->CtlType == ODT_MENU ? nullptr
                                        : ::GetDlgItem(hWndParent, static_cast<int>(mis->CtlID));
    }
    case WM_COMPAREITEM:
        return reinterpret_cast<LPCOMPAREITEMSTRUCT>(lParam)->hwndItem;
    case WM_DELETEITEM:
        return reinterpret_cast<LPDELETEITEMSTRUCT>(lParam)->hwndItem;
    case WM_CHARTOITEM:
    case WM_VKEYTOITEM:
        return reinterpret_cast<HWND>(lParam);
    default:
        (void)wParam;
        return nullptr;
    }
}

bool IsOwnerMessage(UINT message) {
    return IsCtlColor(message) || message == WM_DRAWITEM || message == WM_MEASUREITEM ||
           message == WM_COMPAREITEM || message == WM_DELETEITEM || message == WM_HSCROLL ||
           message == WM_VSCROLL || message == WM_CHARTOITEM || message == WM_VKEYTOITEM;
}

// Finds the CMenu whose item has this id and item data, searching hMenu and its sub-menus.
CMenu* FindMenuOfItem(HMENU hMenu, UINT itemID, ULONG_PTR itemData, int depth = 0) {
    if (hMenu == nullptr || depth > 16)
        return nullptr;
    int count = ::GetMenuItemCount(hMenu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID | MIIM_DATA | MIIM_SUBMENU;
        if (!::GetMenuItemInfoW(hMenu, static_cast<UINT>(i), TRUE, &info))
            continue;
        UINT id =
            info.hSubMenu ? static_cast<UINT>(reinterpret_cast<UINT_PTR>(info.hSubMenu)) : info.wID;
        if ((id == itemID || info.wID == itemID) && info.dwItemData == itemData) {
            if (CMenu* owner = CMenu::FromHandlePermanent(hMenu))
                return owner;
        }
        if (info.hSubMenu != nullptr) {
            if (CMenu* found = FindMenuOfItem(info.hSubMenu, itemID, itemData, depth + 1))
                return found;
        }
    }
    return nullptr;
}

CMenu* MenuOfMeasureItem(HWND hWnd, const MEASUREITEMSTRUCT* mis) {
    HMENU candidates[] = {AfxGetThreadState().hTrackingMenu, ::GetMenu(hWnd),
                          ::GetSystemMenu(hWnd, FALSE)};
    for (HMENU hMenu : candidates) {
        if (CMenu* found = FindMenuOfItem(hMenu, mis->itemID, mis->itemData))
            return found;
    }
    return nullptr;
}

// The default of the owner messages: menu items to their menu, control messages reflected.
BOOL HandleOwnerMessage(CWnd* pWnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (message == WM_DRAWITEM) {
        auto* dis = reinterpret_cast<LPDRAWITEMSTRUCT>(lParam);
        if (dis->CtlType == ODT_MENU) {
            CMenu* menu = CMenu::FromHandlePermanent(reinterpret_cast<HMENU>(dis->hwndItem));
            if (menu == nullptr)
                return FALSE;
            menu->DrawItem(dis);
            *pResult = TRUE;
            return TRUE;
        }
    }
    if (message == WM_MEASUREITEM) {
        auto* mis = reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam);
        if (mis->CtlType == ODT_MENU) {
            CMenu* menu = MenuOfMeasureItem(pWnd->m_hWnd, mis);
            if (menu == nullptr)
                return FALSE;
            menu->MeasureItem(mis);
            *pResult = TRUE;
            return TRUE;
        }
    }
    HWND hChild = ChildOfOwnerMessage(pWnd->m_hWnd, message, wParam, lParam);
    if (hChild == nullptr || hChild == pWnd->m_hWnd)
        return FALSE;
    CWnd* child = CWnd::FromHandlePermanent(hChild);
    return child != nullptr && child->OnChildNotify(message, wParam, lParam, pResult);
}
} // namespace

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    LRESULT result = 0;
    if (message == WM_COMMAND) {
        if (!OnCommand(wParam, lParam))
            return FALSE;
        *pResult = 0;
        return TRUE;
    }
    if (message == WM_NOTIFY) {
        if (!OnNotify(wParam, lParam, &result))
            return FALSE;
        *pResult = result;
        return TRUE;
    }
    if (message == WM_INITMENUPOPUP)
        AfxGetThreadState().hTrackingMenu = reinterpret_cast<HMENU>(wParam);

    const AFX_MSGMAP* map = GetMessageMap();
    UINT lookup = IsCtlColor(message) ? WM_CTLCOLOR : message;
    const AFX_MSGMAP_ENTRY* entry = AfxFindMessageEntry(map, AfxKindMessage, lookup, 0, 0);
    if (entry == nullptr && message >= 0xC000 && message <= 0xFFFF)
        entry = AfxFindMessageEntry(map, AfxKindRegistered, message, 0, 0);
    if (entry != nullptr) {
        AFX_MSG_CALL call{message, wParam, lParam, &result};
        if (!entry->pfnThunk(this, call))
            return FALSE;
        *pResult = result;
        return TRUE;
    }
    if (IsOwnerMessage(message) && HandleOwnerMessage(this, message, wParam, lParam, &result)) {
        *pResult = result;
        return TRUE;
    }
    return FALSE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    UINT nID = LOWORD(wParam);
    int nCode = HIWORD(wParam);
    auto hWndCtrl = reinterpret_cast<HWND>(lParam);
    if (hWndCtrl == nullptr) {
        if (nCode == 1) // accelerators count as menu commands
            nCode = CN_COMMAND;
    } else if (hWndCtrl != m_hWnd && ReflectLastMsg(hWndCtrl)) {
        return TRUE;
    }
    return OnCmdMsg(nID, nCode, nullptr, nullptr);
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* pResult) {
    auto* nmhdr = reinterpret_cast<NMHDR*>(lParam);
    if (nmhdr == nullptr)
        return FALSE;
    if (nmhdr->hwndFrom != nullptr && nmhdr->hwndFrom != m_hWnd &&
        ReflectLastMsg(nmhdr->hwndFrom, pResult))
        return TRUE;
    AFX_NOTIFY notify{pResult, nmhdr};
    return OnCmdMsg(static_cast<UINT>(nmhdr->idFrom), 0, &notify, nullptr);
}

BOOL CWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) {
    return CCmdTarget::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CWnd::ReflectLastMsg(HWND hChild, LRESULT* pResult) {
    CWnd* child = FromHandlePermanent(hChild);
    if (child == nullptr)
        return FALSE;
    const MSG& msg = AfxGetThreadState().lastSent;
    LRESULT ignored = 0;
    return child->OnChildNotify(msg.message, msg.wParam, msg.lParam, pResult ? pResult : &ignored);
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    return ReflectChildNotify(message, wParam, lParam, pResult);
}

BOOL CWnd::ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    const AFX_MSGMAP_ENTRY* entry = nullptr;
    if (message == WM_COMMAND)
        entry = AfxFindMessageEntry(GetMessageMap(), AfxKindReflectCommand, WM_COMMAND,
                                    HIWORD(wParam), 0);
    else if (message == WM_NOTIFY)
        entry = AfxFindMessageEntry(GetMessageMap(), AfxKindReflectNotify, WM_NOTIFY,
                                    reinterpret_cast<NMHDR*>(lParam)->code, 0);
    else
        entry = AfxFindMessageEntry(GetMessageMap(), AfxKindReflectMessage,
                                    IsCtlColor(message) ? WM_CTLCOLOR : message, 0, 0);
    if (entry == nullptr)
        return FALSE;
    LRESULT result = 0;
    AFX_MSG_CALL call{message, wParam, lParam, &result};
    if (!entry->pfnThunk(this, call))
        return FALSE;
    if (pResult != nullptr)
        *pResult = result;
    return TRUE;
}

BOOL CWnd::PreTranslateMessage(MSG*) {
    return FALSE;
}

BOOL CWnd::WalkPreTranslateTree(HWND hWndStop, MSG* pMsg) {
    for (HWND hWnd = pMsg->hwnd; hWnd != nullptr; hWnd = ::GetParent(hWnd)) {
        CWnd* pWnd = FromHandlePermanent(hWnd);
        if (pWnd != nullptr && pWnd->PreTranslateMessage(pMsg))
            return TRUE;
        if (hWnd == hWndStop || (::GetWindowLongW(hWnd, GWL_STYLE) & WS_CHILD) == 0)
            break;
    }
    return FALSE;
}

// ---- data exchange ----

void CWnd::DoDataExchange(CDataExchange*) {}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange dx(this, bSaveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (...) {
        AfxNoteHandlerException();
        return FALSE;
    }
    return TRUE;
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    if (rControl.m_hWnd != nullptr)
        return;
    HWND hWndControl = ::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, nIDC);
    if (hWndControl != nullptr)
        rControl.SubclassWindow(hWndControl);
}

// ---- styles, text, geometry ----

namespace {
BOOL ModifyStyleOf(HWND hWnd, int nIndex, DWORD dwRemove, DWORD dwAdd, UINT nFlags) {
    DWORD style = static_cast<DWORD>(::GetWindowLongW(hWnd, nIndex));
    DWORD newStyle = (style & ~dwRemove) | dwAdd;
    if (style == newStyle)
        return FALSE;
    ::SetWindowLongW(hWnd, nIndex, static_cast<LONG>(newStyle));
    if (nFlags != 0)
        ::SetWindowPos(hWnd, nullptr, 0, 0, 0, 0,
                       SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
    return TRUE;
}
} // namespace

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags) {
    return ModifyStyleOf(m_hWnd, GWL_STYLE, dwRemove, dwAdd, nFlags);
}

BOOL CWnd::ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags) {
    return ModifyStyleOf(m_hWnd, GWL_EXSTYLE, dwRemove, dwAdd, nFlags);
}

void CWnd::GetWindowText(CString& rString) const {
    int length = ::GetWindowTextLengthW(m_hWnd);
    LPWSTR buffer = rString.GetBuffer(length + 1);
    int copied = ::GetWindowTextW(m_hWnd, buffer, length + 1);
    rString.ReleaseBuffer(copied);
}

int CWnd::GetDlgItemText(int nID, CString& rString) const {
    HWND hItem = ::GetDlgItem(m_hWnd, nID);
    rString.Empty();
    if (hItem != nullptr)
        FromHandle(hItem)->GetWindowText(rString);
    return rString.GetLength();
}

void CWnd::SetFont(CFont* pFont, BOOL bRedraw) {
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(pFont ? pFont->m_hObject : nullptr), bRedraw);
}

CFont* CWnd::GetFont() const {
    return CFont::FromHandle(reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0)));
}

void CWnd::ClientToScreen(LPRECT lpRect) const {
    ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<LPPOINT>(lpRect), 2);
}

void CWnd::ScreenToClient(LPRECT lpRect) const {
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<LPPOINT>(lpRect), 2);
}

BOOL CWnd::SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags) {
    return ::SetWindowPos(m_hWnd, HandleOf(pWndInsertAfter), x, y, cx, cy, nFlags);
}

void CWnd::CenterWindow(CWnd* pAlternateOwner) {
    HWND hCenter = HandleOf(pAlternateOwner);
    if (hCenter == nullptr)
        hCenter = (GetStyle() & WS_CHILD) ? ::GetParent(m_hWnd) : ::GetWindow(m_hWnd, GW_OWNER);
    RECT area{};
    if (hCenter != nullptr && ::IsWindowVisible(hCenter) && !::IsIconic(hCenter)) {
        ::GetWindowRect(hCenter, &area);
    } else {
        MONITORINFO mi{};
        mi.cbSize = sizeof(mi);
        ::GetMonitorInfoW(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTOPRIMARY), &mi);
        area = mi.rcWork;
    }
    RECT self{};
    ::GetWindowRect(m_hWnd, &self);
    int width = self.right - self.left;
    int height = self.bottom - self.top;
    POINT topLeft{(area.left + area.right - width) / 2, (area.top + area.bottom - height) / 2};
    if (GetStyle() & WS_CHILD)
        ::ScreenToClient(::GetParent(m_hWnd), &topLeft);
    ::SetWindowPos(m_hWnd, nullptr, topLeft.x, topLeft.y, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

CDC* CWnd::GetDC() {
    return CDC::FromHandle(::GetDC(m_hWnd));
}
CDC* CWnd::GetWindowDC() {
    return CDC::FromHandle(::GetWindowDC(m_hWnd));
}
int CWnd::ReleaseDC(CDC* pDC) {
    return pDC ? ::ReleaseDC(m_hWnd, pDC->m_hDC) : 0;
}

namespace {
void SendToDescendants(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, BOOL bDeep,
                       BOOL bOnlyPerm) {
    for (HWND hChild = ::GetWindow(hWnd, GW_CHILD); hChild != nullptr;
         hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
        if (!bOnlyPerm || CWnd::FromHandlePermanent(hChild) != nullptr)
            ::SendMessageW(hChild, message, wParam, lParam);
        if (bDeep && ::GetWindow(hChild, GW_CHILD) != nullptr)
            SendToDescendants(hChild, message, wParam, lParam, bDeep, bOnlyPerm);
    }
}
} // namespace

void CWnd::SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam, BOOL bDeep,
                                    BOOL bOnlyPerm) {
    SendToDescendants(m_hWnd, message, wParam, lParam, bDeep, bOnlyPerm);
}

void CWnd::SendMessageToHandlingDescendants(UINT message, WPARAM wParam, LPARAM lParam) {
    for (CWnd* pWnd : AfxWndMap().Objects()) {
        const HWND hWnd = pWnd->m_hWnd;
        if (hWnd == nullptr || hWnd == m_hWnd ||
            AfxFindMessageEntry(pWnd->GetMessageMap(), AfxKindMessage, message, 0, 0) == nullptr)
            continue;
        if (::IsChild(m_hWnd, hWnd) && ::IsWindowVisible(hWnd))
            ::SendMessageW(hWnd, message, wParam, lParam);
    }
}

CMenu* CWnd::GetMenu() const {
    return CMenu::FromHandle(::GetMenu(m_hWnd));
}
BOOL CWnd::SetMenu(CMenu* pMenu) {
    return ::SetMenu(m_hWnd, pMenu ? pMenu->m_hMenu : nullptr);
}
CMenu* CWnd::GetSystemMenu(BOOL bRevert) const {
    return CMenu::FromHandle(::GetSystemMenu(m_hWnd, bRevert));
}

// ---- default handlers ----

int CWnd::OnCreate(LPCREATESTRUCTW) {
    return static_cast<int>(Default());
}
void CWnd::OnDestroy() {
    Default();
}
void CWnd::OnNcDestroy() {
    Default();
}
void CWnd::OnClose() {
    Default();
}
void CWnd::OnPaint() {
    Default();
}
void CWnd::OnNcPaint() {
    Default();
}
BOOL CWnd::OnEraseBkgnd(CDC*) {
    return static_cast<BOOL>(Default());
}
void CWnd::OnSize(UINT, int, int) {
    Default();
}
void CWnd::OnMove(int, int) {
    Default();
}
void CWnd::OnTimer(UINT_PTR) {
    Default();
}

HBRUSH CWnd::OnCtlColor(CDC*, CWnd* pWnd, UINT) {
    LRESULT result = 0;
    if (pWnd != nullptr && pWnd->m_hWnd != m_hWnd && ReflectLastMsg(pWnd->m_hWnd, &result))
        return reinterpret_cast<HBRUSH>(result);
    return reinterpret_cast<HBRUSH>(Default());
}

void CWnd::OnDrawItem(int, LPDRAWITEMSTRUCT lpDrawItemStruct) {
    LRESULT result = 0;
    if (!HandleOwnerMessage(this, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(lpDrawItemStruct),
                            &result))
        Default();
}

void CWnd::OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct) {
    LRESULT result = 0;
    if (!HandleOwnerMessage(this, WM_MEASUREITEM, static_cast<WPARAM>(nIDCtl),
                            reinterpret_cast<LPARAM>(lpMeasureItemStruct), &result))
        Default();
}

void CWnd::OnLButtonDown(UINT, CPoint) {
    Default();
}
void CWnd::OnLButtonUp(UINT, CPoint) {
    Default();
}
void CWnd::OnLButtonDblClk(UINT, CPoint) {
    Default();
}
void CWnd::OnRButtonDown(UINT, CPoint) {
    Default();
}
void CWnd::OnRButtonUp(UINT, CPoint) {
    Default();
}
void CWnd::OnMouseMove(UINT, CPoint) {
    Default();
}
BOOL CWnd::OnMouseWheel(UINT, short, CPoint) {
    return static_cast<BOOL>(Default());
}
void CWnd::OnMouseLeave() {
    Default();
}
void CWnd::OnMouseHover(UINT, CPoint) {
    Default();
}
void CWnd::OnNcLButtonDown(UINT, CPoint) {
    Default();
}
LRESULT CWnd::OnNcHitTest(CPoint) {
    return Default();
}
void CWnd::OnNcCalcSize(BOOL, NCCALCSIZE_PARAMS*) {
    Default();
}
BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT) {
    return static_cast<BOOL>(Default());
}
void CWnd::OnShowWindow(BOOL, UINT) {
    Default();
}
void CWnd::OnWindowPosChanging(WINDOWPOS*) {
    Default();
}
void CWnd::OnWindowPosChanged(WINDOWPOS*) {
    Default();
}
void CWnd::OnGetMinMaxInfo(MINMAXINFO*) {
    Default();
}
void CWnd::OnSysCommand(UINT, LPARAM) {
    Default();
}
BOOL CWnd::OnCopyData(CWnd*, COPYDATASTRUCT*) {
    return static_cast<BOOL>(Default());
}
void CWnd::OnSettingChange(UINT, LPCWSTR) {
    Default();
}
void CWnd::OnKeyDown(UINT, UINT, UINT) {
    Default();
}
void CWnd::OnSysKeyDown(UINT, UINT, UINT) {
    Default();
}
void CWnd::OnChar(UINT, UINT, UINT) {
    Default();
}
void CWnd::OnSetFocus(CWnd*) {
    Default();
}
void CWnd::OnKillFocus(CWnd*) {
    Default();
}
void CWnd::OnContextMenu(CWnd*, CPoint) {
    Default();
}
BOOL CWnd::OnHelpInfo(HELPINFO*) {
    return static_cast<BOOL>(Default());
}
void CWnd::OnInitMenuPopup(CMenu*, UINT, BOOL) {
    Default();
}

void CWnd::OnHScroll(UINT, UINT, CScrollBar* pScrollBar) {
    if (pScrollBar == nullptr || !ReflectLastMsg(reinterpret_cast<CWnd*>(pScrollBar)->m_hWnd))
        Default();
}

void CWnd::OnVScroll(UINT, UINT, CScrollBar* pScrollBar) {
    if (pScrollBar == nullptr || !ReflectLastMsg(reinterpret_cast<CWnd*>(pScrollBar)->m_hWnd))
        Default();
}

void CWnd::OnActivate(UINT, CWnd*, BOOL) {
    Default();
}
