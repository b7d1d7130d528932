#include "classlib/Menu.h"

#include "classlib/Resources.h"
#include "classlib/Window.h"
#include "WindowState.h"

IMPLEMENT_DYNCREATE(CMenu, CObject)

CMenu::~CMenu() {
    DestroyMenu();
}

CMenu* CMenu::FromHandlePermanent(HMENU hMenu) {
    return hMenu ? AfxMenuMap().Lookup(hMenu) : nullptr;
}

CMenu* CMenu::FromHandle(HMENU hMenu) {
    if (hMenu == nullptr)
        return nullptr;
    if (CMenu* p = FromHandlePermanent(hMenu))
        return p;
    auto& slot = AfxGetThreadState().tempMenus[hMenu];
    if (!slot) {
        slot = std::make_unique<CMenu>();
        slot->m_hMenu = hMenu;
    }
    return slot.get();
}

CMenu* xarn_msgmap::MenuFromHandle(HMENU hMenu) {
    return CMenu::FromHandle(hMenu);
}

BOOL CMenu::Attach(HMENU hMenu) {
    if (hMenu == nullptr || m_hMenu != nullptr)
        return FALSE;
    if (!AfxMenuMap().Add(hMenu, this))
        return FALSE;
    m_hMenu = hMenu;
    return TRUE;
}

HMENU CMenu::Detach() {
    HMENU h = m_hMenu;
    if (h != nullptr)
        AfxMenuMap().Remove(h, this);
    m_hMenu = nullptr;
    return h;
}

BOOL CMenu::DestroyMenu() {
    HMENU h = Detach();
    return h != nullptr && ::DestroyMenu(h);
}

BOOL CMenu::LoadMenu(LPCWSTR lpszResourceName) {
    HINSTANCE hInst = AfxFindResourceHandle(lpszResourceName, RT_MENU);
    return Attach(::LoadMenuW(hInst, lpszResourceName));
}

BOOL CMenu::LoadMenu(UINT nIDResource) {
    return LoadMenu(MAKEINTRESOURCEW(nIDResource));
}

int CMenu::GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const {
    int length = ::GetMenuStringW(m_hMenu, nIDItem, nullptr, 0, nFlags);
    LPWSTR buffer = rString.GetBuffer(length + 1);
    int copied = ::GetMenuStringW(m_hMenu, nIDItem, buffer, length + 1, nFlags);
    rString.ReleaseBuffer(copied);
    return copied;
}

BOOL CMenu::TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT lpRect) {
    AfxGetThreadState().hTrackingMenu = m_hMenu;
    BOOL result = ::TrackPopupMenu(m_hMenu, nFlags, x, y, 0, CWnd::HandleOf(pWnd), lpRect);
    AfxGetThreadState().hTrackingMenu = nullptr;
    return result;
}

void CMenu::DrawItem(LPDRAWITEMSTRUCT) {}
void CMenu::MeasureItem(LPMEASUREITEMSTRUCT) {}
