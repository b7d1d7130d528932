#include "MainWindowScheduleServices.h"

#include "DiskDefragDlg.h"

void MainWindowScheduleServices::GetDriveEntries(CStringArray& entries) {
    entries.RemoveAll();
    for (INT_PTR index = 0; index < m_window.m_driveTexts.GetSize(); ++index)
        entries.Add(m_window.m_driveTexts[index]);
}
