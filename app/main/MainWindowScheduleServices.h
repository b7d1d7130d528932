// The main window's side of the schedule page: the drive list and the heading above the page.
#pragma once

#include "SchedulePageServices.h"

class CDiskDefragDlg;

class MainWindowScheduleServices : public SchedulePageServices {
public:
    explicit MainWindowScheduleServices(CDiskDefragDlg& window) : m_window(window) {}

    void GetDriveEntries(CStringArray& entries) override;
    // The heading above the page is the title of the options tab's scheduler page; a heading set
    // while that page is being made is put there by ShowHeading once it is in its slot.
    void SetMainHeading(const CString& heading) override;
    void ShowHeading();

private:
    CDiskDefragDlg& m_window;
    CString m_heading;
};
