// CDlgScheduler: the options tab's schedule page; it hosts the schedule body below its title.
#pragma once

#include <windows.h>

#include <DlgLeftSideChild.h>
#include <classlib/MessageMap.h>

#include "DlgScheduleChild.h"
#include "SchedulePageServices.h"

#include <memory>

inline constexpr UINT kSchedulerTemplateId = 8089;

class CDlgScheduler : public CDlgLeftSideChild {
    DECLARE_MESSAGE_MAP()
public:
    // The services must outlive the page.
    CDlgScheduler(CWnd* parent, SchedulePageServices& services);
    ~CDlgScheduler() override;

    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}

    // The title alone: the schedule body covers the band below it.
    void DrawPageTitle(CDC* dc, const RECT& client, BOOL drawIcon) override;

    CDlgScheduleChild* Child() const { return m_child.get(); }

protected:
    void OnSize(UINT type, int cx, int cy);

    SchedulePageServices& m_services;
    std::unique_ptr<CDlgScheduleChild> m_child;
};
