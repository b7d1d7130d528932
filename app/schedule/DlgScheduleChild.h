// CDlgScheduleChild: the body of the schedule page: the optimise and clean tasks, when each
// runs (once, daily, weekly or not at all), the drive and the options, written on Apply.
#pragma once

#include <windows.h>

#include <DlgBaseWnd.h>
#include <HoverButtonWithText.h>
#include <TabButton.h>
#include <classlib/Gdi.h>
#include <classlib/MessageMap.h>
#include <classlib/String.h>

#include "ScheduleManager.h"
#include "SchedulePageServices.h"

inline constexpr UINT kScheduleChildTemplateId = 152;
inline constexpr wchar_t kScheduleChildLangSection[] = L"IDD_DLG_SCHEDULE_CHILD";

class CDlgScheduleChild : public CDlgBaseWnd {
    DECLARE_MESSAGE_MAP()
public:
    CDlgScheduleChild(CWnd* parent, SchedulePageServices& services);
    ~CDlgScheduleChild() override;

    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}

    void OnTabOptimize();
    void OnTabClean();
    // Reads the chosen task back from the Task Scheduler into the controls.
    void RefreshTaskState();
    void OnBnClickedApply();

    // The name of the task the page shows ("Xarn-Optimize" or "Xarn-Clean").
    const wchar_t* TaskName() const { return m_bOptimise ? kOptimizeTaskName : kCleanTaskName; }
    ScheduleMode Mode() const { return m_mode; }
    bool IsScheduled() const { return m_bScheduled; }
    const CString& InfoText() const { return m_strInfo; }
    const CString& NextRunText() const { return m_strNextRun; }

    CScheduleManager m_manager;
    CHoverButtonWithText m_btnApply;
    // The two task buttons: the chosen task's is drawn pushed, as the window's current tab.
    CTabButton m_btnOptimizeTask;
    CTabButton m_btnCleanTask;

protected:
    void OnPaint();
    void OnSize(UINT type, int cx, int cy);
    HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT type);
    void OnModeRadio(UINT id);
    void OnChanged();
    void OnWeekDayBox(UINT id);
    void OnDateTimeChanged(NMHDR* header, LRESULT* result);
    void OnFixBox();
    void OnShutdownBox();

    void SwitchTask(bool optimise);
    void PlaceControls();
    void SetMode(ScheduleMode mode);
    // Selects the entry of `taskDrive` when it is listed, else the system drive's.
    void FillDriveList(wchar_t taskDrive);
    wchar_t SelectedDrive() const;
    // The trigger of the stored task into the pickers, week days and mode.
    void LoadTaskTrigger(const TASK_TRIGGER& trigger, int type);
    void EnableApply(bool enable);
    void ShowItem(int id, bool show);
    void EnableItem(int id, bool enable);
    void MoveItem(int id, int x, int y, int width, int height);

    SchedulePageServices& m_services;
    bool m_bOptimise = true;
    ScheduleMode m_mode = ScheduleMode::kNotScheduled;
    bool m_bScheduled = false;
    CString m_strInfo;
    CString m_strNextRun;
    CBrush m_whiteBrush;
    // The information text's place, fixed at the first painting.
    CRect m_rcInfo;
};
