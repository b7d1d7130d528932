// The main window's side of the schedule page: the drive list.
#pragma once

#include "SchedulePageServices.h"

class CDiskDefragDlg;

class MainWindowScheduleServices : public SchedulePageServices {
public:
    explicit MainWindowScheduleServices(CDiskDefragDlg& window) : m_window(window) {}

    void GetDriveEntries(CStringArray& entries) override;
    // The main window has no heading of its own above the pages: the page's title says which
    // schedule it shows.
    void SetMainHeading(const CString& /*heading*/) override {}

private:
    CDiskDefragDlg& m_window;
};
