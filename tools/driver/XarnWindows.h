// Xarn's windows seen from another process: its main window, the defragmentation tab's pages
// and those of the junk cleaner and the duplicate finder, told apart by the controls of their
// dialog templates, and the product's message box.
#pragma once

#include <windows.h>

#include <functional>

enum class DefragPage { kHome, kProgress, kAnalysisResults, kDefragResults };

using WindowTest = std::function<bool(HWND)>;

// The dialog holds a control of that id.
bool HasControl(HWND dialog, int id);

// The first window below `parent` that passes the test; null when none does.
HWND FirstDescendant(HWND parent, const WindowTest& test);

// The main window of the process: the top-level window that holds the defragmentation home
// page; null until it exists.
HWND FindMainWindow(DWORD processId);

// The defragmentation tab's page in the main window, or null.
HWND FindDefragPage(HWND mainWindow, DefragPage page);

// The page when it is shown (it and every window above it visible), else null.
HWND ShownDefragPage(HWND mainWindow, DefragPage page);

// The controls of the other tools' pages that a run uses.
enum class ToolControl {
    kJunkStartScan,        // "Scan now" on the junk cleaner's first page
    kJunkClean,            // "Clean" on its results page
    kDupesChooseLocations, // the duplicate finder's first page
    kDupesLocationEdit,
    kDupesAddLocation,
    kDupesLocationList,
    kDupesScan,
    kDupesResultList,
    kDupesResultsCancel, // enabled once the results are listed and grouped
    kDupesRemove,
};

// The control's id in its page's dialog template.
int ToolControlId(ToolControl control);

// A page of the junk cleaner or the duplicate finder.
enum class ToolPage {
    kJunkHome,
    kJunkResults,
    kJunkSummary,
    kDupesWelcome,
    kDupesLocations,
    kDupesResults,
    kDupesFinish,
};

// The page when it is shown in the main window (it and every window above it visible), else
// null.
HWND ShownToolPage(HWND mainWindow, ToolPage page);

// The one-click scan summary, a pop-up window of the process, when it is shown; else null.
HWND FindOneClickSummary(DWORD processId);

// The product's message box that the process shows, or null.
HWND FindMessageBox(DWORD processId);

// A question of the system's own (a dialog of the standard class with a Yes button) that the
// process shows, such as the shell's confirmation of a removal; null when none is up.
HWND FindSystemQuestion(DWORD processId);

// Answers the product's message box with OK, as the tests' answer hook does.
void AnswerMessageBoxOk(HWND box);

// Presses a dialog's button the way the button itself tells its dialog (posted, so that the
// driver never waits on a job the click starts).
void PressButton(HWND dialog, int buttonId);
