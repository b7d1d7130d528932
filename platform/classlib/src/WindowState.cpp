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

namespace {
// The per-thread state lives in a plain TLS slot, freed by DllMain when the thread (or the
// process) detaches: C++ thread_local objects with destructors in a DLL keep the process
// from exiting under Wine once a second thread has touched them.
DWORD g_tlsIndex = TlsAlloc();

// Clears the wrappers first: they own no handle and must not destroy one.
void ClearTemporaries(AfxThreadState& state) {
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

void FreeThreadState() {
    auto* state = static_cast<AfxThreadState*>(TlsGetValue(g_tlsIndex));
    if (state == nullptr)
        return;
    TlsSetValue(g_tlsIndex, nullptr);
    delete state;
}
} // namespace

AfxThreadState& AfxGetThreadState() {
    auto* state = static_cast<AfxThreadState*>(TlsGetValue(g_tlsIndex));
    if (state == nullptr) {
        state = new AfxThreadState;
        TlsSetValue(g_tlsIndex, state);
    }
    return *state;
}

AfxThreadState::~AfxThreadState() {
    ClearTemporaries(*this);
    if (hHookCbt != nullptr)
        UnhookWindowsHookEx(hHookCbt);
}

void AfxDeleteTempMaps() {
    ClearTemporaries(AfxGetThreadState());
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
    if (reason == DLL_THREAD_DETACH)
        FreeThreadState();
    else if (reason == DLL_PROCESS_DETACH && reserved == nullptr)
        FreeThreadState(); // unloaded while the process goes on
    return TRUE;
}

const MSG* AfxGetCurrentMessage() {
    return &AfxGetThreadState().msgCur;
}
