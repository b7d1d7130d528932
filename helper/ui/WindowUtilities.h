// Window services of the framework: whole-window translucency, bringing a window to the
// front, selecting a list-view row.
#pragma once

#include <windows.h>

#include <classlib/CommonControls.h>

// 0 when the system has no layered windows or the style could not be set.
BOOL SetWindowTransparency(HWND wnd, BYTE alpha);
// Also when another thread owns the foreground window; whether SetForegroundWindow worked.
bool ForceForegroundWindow(HWND wnd);
void SelectListCtrlItem(CListCtrl* list, int item);
// The given minimum tracking size and the largest the screen allows above the taskbar
// (the client height of "Shell_TrayWnd", 0 without one) less 5 pixels.
void SetTrackSizesAboveTaskbar(MINMAXINFO* info, int minWidth, int minHeight);
