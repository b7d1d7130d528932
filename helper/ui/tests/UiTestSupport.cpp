#include "UiTestSupport.h"

BEGIN_MESSAGE_MAP(HostWindow, CWnd)
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

BOOL HostWindow::OnEraseBkgnd(CDC* dc) {
    ++m_erases;
    CRect client;
    GetClientRect(&client);
    dc->FillSolidRect(&client, m_background);
    return TRUE;
}

namespace {
const auto* const g_gdiPlus = ::testing::AddGlobalTestEnvironment(new GdiPlusEnvironment);
} // namespace
