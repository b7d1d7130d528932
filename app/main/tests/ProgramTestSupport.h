// What the tests that start the program Xarn itself share: a started process ended at the
// end of the test, its top-level windows, its main window, and a close as a user would.
#pragma once

#include <windows.h>

#include <owners/WinOwners.h>
#include <string>
#include <vector>

// The folder of the running test program, with a trailing backslash (the program lies there).
std::wstring ProgramFolder();

class Process {
public:
    Process() = default;
    // Started as `"program" arguments`, in `workingFolder` when one is given.
    explicit Process(const std::wstring& program, const std::wstring& arguments = L"",
                     const std::wstring& workingFolder = L"");
    // A process still running is ended.
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool Started() const { return started_; }
    DWORD Id() const { return id_; }
    bool HasEnded(DWORD milliseconds) const;

private:
    bool started_ = false;
    DWORD id_ = 0;
    KernelHandle process_;
    KernelHandle thread_;
};

std::vector<HWND> TopLevelWindowsOf(DWORD processId);

// The program's main window: the dialog a second start finds by the application's title
// (g_strAppTitle must hold the program's title); null after `milliseconds`.
HWND MainWindowOf(const Process& program, DWORD milliseconds);

// Answers every box of the program with Escape and presses the main window's close button;
// true once the program has ended.
bool CloseProgram(const Process& program);
