#include "MainWindowScheduleServices.h"

#include "DiskDefragDlg.h"

namespace {
constexpr int kOptionsTab = 4;
constexpr int kSchedulerSlot = 3;
} // namespace

void MainWindowScheduleServices::GetDriveEntries(CStringArray& entries) {
    const CStringArray& texts = m_window.DriveTexts();
    entries.RemoveAll();
    for (INT_PTR index = 0; index < texts.GetSize(); ++index)
        entries.Add(texts[index]);
}

void MainWindowScheduleServices::SetMainHeading(const CString& heading) {
    m_heading = heading;
    ShowHeading();
}

void MainWindowScheduleServices::ShowHeading() {
    CWnd* page = m_window.PageInSlot(kOptionsTab, kSchedulerSlot);
    if (page == nullptr || page->GetSafeHwnd() == nullptr || m_heading.IsEmpty())
        return;
    page->SetWindowText(m_heading);
    page->Invalidate(FALSE);
}
