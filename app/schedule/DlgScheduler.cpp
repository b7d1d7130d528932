#include "DlgScheduler.h"

#include "PageTexts.h"

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
    SetWindowText(AppText(L"TAB5LEFTBTN3"));
    m_child = std::make_unique<CDlgScheduleChild>(this, m_services);
    if (m_child->Create(kScheduleChildTemplateId, this)) {
        CRect client;
        GetClientRect(&client);
        OnSize(SIZE_RESTORED, client.Width(), client.Height());
        m_child->ShowWindow(SW_SHOW);
    }
    return result;
}

void CDlgScheduler::DrawPageTitle(CDC* dc, const RECT& client, BOOL) {
    CDlgLeftSideChild::DrawPageTitle(dc, client, FALSE);
}

void CDlgScheduler::OnSize(UINT type, int, int) {
    CDlgLeftSideChild::OnSize(type, 0, 0);
    // The base posts a size of its template's that may arrive after the page was resized.
    CRect client;
    GetClientRect(&client);
    const int cx = client.Width();
    const int cy = client.Height();
    if (m_child && m_child->GetSafeHwnd() != nullptr)
        m_child->MoveWindow(0, kTitleBand, cx, cy - kTitleBand, TRUE);
}
