// What the defragmentation progress page needs of the program around it: the service client,
// the application's run modes and current drive, the main window's lock and last state, the
// last-scan values and the results pages. The program's main window provides it;
// PlainDefragPageHost is all a page needs outside the main window.
#pragma once

#include "DefragRpcClient.h"
#include "DefragServiceClient.h"

#include <PanelPageCommands.h>
#include <classlib/String.h>
#include <classlib/Window.h>

#include <memory>

// Commands posted to the defragmentation tab's panel, by the slot of each page.
enum DefragPageCommand : UINT {
    kShowDefragHome = PanelPageCommand(1),
    kShowAnalysisProgress = PanelPageCommand(2),
    kShowAnalysisResults = PanelPageCommand(3),
    kShowDefragProgress = PanelPageCommand(4),
    kShowDefragResults = PanelPageCommand(5),
};

class DefragPageHost {
public:
    virtual ~DefragPageHost() = default;

    // The one way to the service: every command, poll, pause, resume and abort of the page.
    virtual DefragServiceClient& ServiceClient() = 0;
    // The job state and worker priority the last poll read (kept by the main window).
    virtual void StoreJobState(int state, int priority) = 0;
    virtual int LastJobState() const = 0;

    // The application's drive of the current or last job.
    virtual wchar_t CurrentDrive() const = 0;
    virtual void SetCurrentDrive(wchar_t drive) = 0;
    // Run modes set at start-up.
    virtual bool HiddenStart() const = 0;
    virtual bool AutomaticMode() const = 0;
    // A job has ended (finished or stopped): the automatic mode ends with it.
    virtual void ClearAutomaticMode() = 0;
    virtual bool ShutdownSwitch() const = 0;
    // A scheduled optimisation has ended: the scheduled-with-drives mode is cleared.
    virtual void EndScheduledRun() = 0;
    // The shut-down dialog in shut-down mode over the main window.
    virtual void ShowShutdownDialog(const CString& text) = 0;

    // Greys (or restores) the main window's close controls, its tab buttons and the
    // defragmentation tab's left-panel buttons while a job runs.
    virtual void LockMainWindow(bool locked) = 0;
    // The window message boxes belong to and that is repainted when a job is stopped.
    virtual CWnd* MainWindow() = 0;

    // Last-scan values (the registry's and the main window's copies).
    virtual void SaveLastScanValue(const wchar_t* valueName, const CString& text) = 0;
    // Saves the current time as the last-scan date and answers its text.
    virtual CString SaveLastScanDate() = 0;

    // The results pages fill themselves from what the page read of the pass that ended.
    virtual void ShowAnalysisResults(std::shared_ptr<const RunResults> results) = 0;
    virtual void ShowFirstPassResults(std::shared_ptr<const RunResults> results) = 0;
    virtual void ShowDefragResults(std::shared_ptr<const RunResults> results) = 0;

    // The bytes available to the user and the volume's size; false when they cannot be read.
    virtual bool ReadDriveSpace(wchar_t drive, ULONGLONG& freeBytes, ULONGLONG& totalBytes) = 0;
};
