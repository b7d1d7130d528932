// Xarn's windows seen from another process: its main window, the defragmentation tab's pages
// told apart by the controls of their dialog templates, and the product's message box.
#pragma once

#include <windows.h>

enum class DefragPage { kHome, kProgress, kAnalysisResults, kDefragResults };

// The main window of the process: the top-level window that holds the defragmentation home
// page; null until it exists.
HWND FindMainWindow(DWORD processId);

// The defragmentation tab's page in the main window, or null.
HWND FindDefragPage(HWND mainWindow, DefragPage page);

// The page when it is shown (it and every window above it visible), else null.
HWND ShownDefragPage(HWND mainWindow, DefragPage page);

// The product's message box that the process shows, or null.
HWND FindMessageBox(DWORD processId);

// Answers the product's message box with OK, as the tests' answer hook does.
void AnswerMessageBoxOk(HWND box);

// Presses a dialog's button the way the button itself tells its dialog (posted, so that the
// driver never waits on a job the click starts).
void PressButton(HWND dialog, int buttonId);
