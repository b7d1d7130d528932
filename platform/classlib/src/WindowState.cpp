#include "WindowState.h"

#include "classlib/CommonControls.h"
#include "classlib/Gdi.h"
#include "classlib/Menu.h"
#include "classlib/Window.h"

PermanentMap<HWND, CWnd>& AfxWndMap() {
    static PermanentMap<HWND, CWnd> map;
    return map;
}

PermanentMap<HDC, CDC>& AfxDCMap() {
    static PermanentMap<HDC, CDC> map;
    return map;
}

PermanentMap<HMENU, CMenu>& AfxMenuMap() {
    static PermanentMap<HMENU, CMenu> map;
    return map;
}

PermanentMap<HGDIOBJ, CGdiObject>& AfxGdiMap() {
    static PermanentMap<HGDIOBJ, CGdiObject> map;
    return map;
}

AfxThreadState& AfxGetThreadState() {
    thread_local AfxThreadState state;
    return state;
}

AfxThreadState::~AfxThreadState() {
    AfxDeleteTempMaps();
    if (hHookCbt != nullptr)
        UnhookWindowsHookEx(hHookCbt);
}

void AfxDeleteTempMaps() {
    // The wrappers own no handle: clear each one before it is deleted.
    AfxThreadState& state = AfxGetThreadState();
    for (auto& [handle, wnd] : state.tempWnds)
        wnd->m_hWnd = nullptr;
    state.tempWnds.clear();
    for (auto& [handle, dc] : state.tempDCs)
        dc->m_hDC = dc->m_hAttribDC = nullptr;
    state.tempDCs.clear();
    for (auto& [handle, menu] : state.tempMenus)
        menu->m_hMenu = nullptr;
    state.tempMenus.clear();
    for (auto& [handle, object] : state.tempGdi)
        object->m_hObject = nullptr;
    state.tempGdi.clear();
    for (auto& [handle, list] : state.tempImageLists)
        list->m_hImageList = nullptr;
    state.tempImageLists.clear();
}

const MSG* AfxGetCurrentMessage() {
    return &AfxGetThreadState().msgCur;
}
