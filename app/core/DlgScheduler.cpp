#include "DlgScheduler.h"

BEGIN_MESSAGE_MAP(CDlgScheduler, CDlgLeftSideChild)
ON_WM_SIZE()
END_MESSAGE_MAP()

namespace {
// The page's title band above the schedule body.
constexpr int kTitleBand = 50;
} // namespace

CDlgScheduler::CDlgScheduler(CWnd* parent, SchedulePageServices& services)
    : CDlgLeftSideChild(kSchedulerTemplateId, parent), m_services(services) {}

CDlgScheduler::~CDlgScheduler() {
    if (m_child && m_child->GetSafeHwnd() != nullptr)
        m_child->DestroyWindow();
}

BOOL CDlgScheduler::OnInitDialog() {
    const BOOL result = CDlgLeftSideChild::OnInitDialog();
    m_child = std::make_unique<CDlgScheduleChild>(this, m_services);
    if (m_child->Create(kScheduleChildTemplateId, this)) {
        CRect client;
        GetClientRect(&client);
        OnSize(SIZE_RESTORED, client.Width(), client.Height());
        m_child->ShowWindow(SW_SHOW);
    }
    return result;
}

void CDlgScheduler::OnSize(UINT type, int cx, int cy) {
    CDlgLeftSideChild::OnSize(type, cx, cy);
    if (m_child && m_child->GetSafeHwnd() != nullptr)
        m_child->MoveWindow(0, kTitleBand, cx, cy - kTitleBand, TRUE);
}
