// Owner-draw reflection shared by the controls that paint themselves (internal).
#pragma once

#include "classlib/Window.h"

// WM_DRAWITEM (and WM_MEASUREITEM, for controls that size their items) reflected by the parent
// go to the control's virtual painters; every other message to its reflect map.
template <class Control>
BOOL OwnerDrawChildNotify(Control* control, UINT message, WPARAM wParam, LPARAM lParam,
                          LRESULT* pResult) {
    if (message == WM_DRAWITEM) {
        control->DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
        *pResult = TRUE;
        return TRUE;
    }
    if constexpr (requires { control->MeasureItem(nullptr); }) {
        if (message == WM_MEASUREITEM) {
            control->MeasureItem(reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam));
            *pResult = TRUE;
            return TRUE;
        }
    }
    return control->CWnd::OnChildNotify(message, wParam, lParam, pResult);
}
