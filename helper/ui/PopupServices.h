// The product's message boxes in place of the system's, and pop-ups run over the dimming
// overlay.
#pragma once

#include <windows.h>

#include <classlib/Array.h>
#include <classlib/String.h>
#include <classlib/Window.h>

class CDlgBaseWndPopupNagBase;

// A system message-box type mapped onto the product's box; returns IDOK, IDCANCEL, IDYES, IDNO,
// IDABORT, IDRETRY or IDIGNORE.
int AppMessageBox(LPCWSTR text, UINT type, CWnd* parent, const RECT* box, bool html);
// The caller's buttons (with the check box) and an image beside or above the text; returns
// the pressed button's index (0 = rightmost), 2 on Escape.
int ShowMessageBox(LPCWSTR text, UINT imageId, int buttonCount, const CStringArray* captions,
                   RECT box, BOOL sideImage, CWnd* parent);
// The caller's buttons with a message icon by icon type (MB_ICONINFORMATION, MB_ICONERROR,
// MB_ICONQUESTION); the check box only when `withCheckBox`.
int ShowMessageBoxEx(LPCWSTR text, UINT iconType, int buttonCount, const CStringArray* captions,
                     RECT box, BOOL withCheckBox, int defaultButton, CWnd* parent);
// Runs the pop-up from its template over a translucent overlay on `parent`; returns the
// pop-up's result code.
int RunPopupOverParent(CWnd* parent, CDlgBaseWndPopupNagBase* popup, UINT templateId);
// Ends the overlay the pop-up runs over (its parent dialog), as OK.
void CloseDialogOk(CWnd* popup);

// The information pop-ups over the dimming overlay of `parent`; each returns when it closes.
void ShowAboutDialog(CWnd* parent);
// The shut-down countdown with `text` as its message: restarts Windows when `restart`, else
// shuts it down. `unused` is kept for callers that pass it; nothing reads it.
void ShowShutdownDialog(CWnd* parent, CString text, int unused, bool restart);
void ShowFeedbackDialog(CWnd* parent);
// The product's own word on an update check that cannot run here: without a connection the
// user can do something about it, otherwise the update program is missing.
void ShowUpdateCheckUnavailable(CWnd* parent);
