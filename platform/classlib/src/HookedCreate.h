// Window creation under the creation hook (internal).
#pragma once

#include "classlib/Window.h"

// Runs `create` (which makes the window and returns its handle) with the creation hook set for
// `window`, so the new window is attached from its first message. A window that failed after it
// was attached (in WM_CREATE or WM_INITDIALOG) has been destroyed already and is detached.
template <class Create> BOOL CreateHooked(CWnd* window, Create create) {
    AfxHookWindowCreate(window);
    const HWND created = create();
    AfxUnhookWindowCreate();
    if (created == nullptr) {
        if (window->m_hWnd != nullptr)
            window->Detach();
        return FALSE;
    }
    return TRUE;
}
