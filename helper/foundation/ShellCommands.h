// Starting documents, programs and web addresses through the shell.
#pragma once

#include <windows.h>

// ShellExecuteExW without zone checks; an owner that is not a window is replaced by the
// application's main window (or none). Returns the call's instance value (above 32: started).
HINSTANCE ShellExecuteSafe(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters,
                           LPCWSTR directory, int show);
HINSTANCE RunShellCommand(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters,
                          LPCWSTR directory, int show);

// The product's page, maximised.
void OpenStoredWebPage();
// The help page; an anchor of two or more characters is appended as a further query part.
void OpenHelpPage(LPCWSTR anchor = nullptr);
// A new mail to the support address.
void OpenSupportMail();
