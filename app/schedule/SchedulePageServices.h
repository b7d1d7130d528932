// What the schedule page asks of the main window and the system; the main window gives the
// real ones, tests their own.
#pragma once

#include <classlib/Array.h>
#include <classlib/String.h>

class SchedulePageServices {
public:
    virtual ~SchedulePageServices() = default;
    // The drive entries of the home page's list, e.g. "(C:) System (System drive)".
    virtual void GetDriveEntries(CStringArray& entries) = 0;
    // The main window's heading above the page.
    virtual void SetMainHeading(const CString& heading) = 0;
    // The folder of the main program (the tasks start "Xarn.exe" there).
    virtual CString ProgramFolder();
    // Makes sure the Task Scheduler's own service runs and starts automatically.
    virtual void StartTaskSchedulerService();
};
