#include "WindowUtilities.h"

namespace {
using SetLayeredWindowAttributesFn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);

// Looked up once per process, also when it is missing.
SetLayeredWindowAttributesFn LayeredAttributes() {
    static const auto function = [] {
        const HMODULE user32 = ::LoadLibraryA("user32.dll");
        return user32 == nullptr
                   ? nullptr
                   : reinterpret_cast<SetLayeredWindowAttributesFn>(reinterpret_cast<void*>(
                         ::GetProcAddress(user32, "SetLayeredWindowAttributes")));
    }();
    return function;
}
} // namespace

BOOL SetWindowTransparency(HWND wnd, BYTE alpha) {
    const SetLayeredWindowAttributesFn setAttributes = LayeredAttributes();
    if (setAttributes == nullptr)
        return 0;
    ::SetLastError(0);
    ::SetWindowLongW(wnd, GWL_EXSTYLE, ::GetWindowLongW(wnd, GWL_EXSTYLE) | WS_EX_LAYERED);
    if (::GetLastError() != 0)
        return 0;
    return setAttributes(wnd, RGB(255, 255, 255), alpha, LWA_ALPHA);
}

bool ForceForegroundWindow(HWND wnd) {
    const HWND foreground = ::GetForegroundWindow();
    if (foreground == wnd)
        return true;
    const DWORD foregroundThread = ::GetWindowThreadProcessId(foreground, nullptr);
    const DWORD windowThread = ::GetWindowThreadProcessId(wnd, nullptr);
    BOOL result = FALSE;
    if (foregroundThread == windowThread) {
        result = ::SetForegroundWindow(wnd);
    } else {
        ::AttachThreadInput(foregroundThread, windowThread, TRUE);
        result = ::SetForegroundWindow(wnd);
        ::AttachThreadInput(foregroundThread, windowThread, FALSE);
    }
    ::ShowWindow(wnd, ::IsIconic(wnd) ? SW_RESTORE : SW_SHOW);
    return result != FALSE;
}

void SelectListCtrlItem(CListCtrl* list, int item) {
    list->SetItemState(item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void SetTrackSizesAboveTaskbar(MINMAXINFO* info, int minWidth, int minHeight) {
    int taskbarHeight = 0;
    if (const HWND taskbar = ::FindWindowW(L"Shell_TrayWnd", nullptr)) {
        RECT client{};
        if (::GetClientRect(taskbar, &client))
            taskbarHeight = client.bottom - client.top;
    }
    info->ptMinTrackSize.x = minWidth;
    info->ptMinTrackSize.y = minHeight;
    info->ptMaxTrackSize.x = ::GetSystemMetrics(SM_CXMAXTRACK);
    info->ptMaxTrackSize.y = ::GetSystemMetrics(SM_CYMAXTRACK) - taskbarHeight - 5;
}
