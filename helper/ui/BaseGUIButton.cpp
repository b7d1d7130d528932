#include "BaseGUIButton.h"

#include "ParentBackground.h"
#include "ProductIdentity.h"

#include <commctrl.h>

IMPLEMENT_DYNAMIC(CBaseGUIButton, CButton)

BEGIN_MESSAGE_MAP(CBaseGUIButton, CButton)
ON_WM_MOUSEMOVE()
ON_WM_ERASEBKGND()
ON_WM_MOUSELEAVE()
ON_WM_MOUSEHOVER()
ON_WM_SETCURSOR()
END_MESSAGE_MAP()

namespace {
constexpr UINT kHandCursorId = 1228;
constexpr DWORD kHoverMilliseconds = 2;
} // namespace

CBaseGUIButton::CBaseGUIButton()
    : m_hHandCursor(::LoadCursorW(GetResourceInstance(), MAKEINTRESOURCEW(kHandCursorId))) {}

CBaseGUIButton::~CBaseGUIButton() = default;

CBaseGUIButton& CBaseGUIButton::ShowHandCursor(bool show) {
    m_bHandCursorEnabled = show;
    return *this;
}

void CBaseGUIButton::PreSubclassWindow() {
    ModifyStyle(0, BS_OWNERDRAW);
    CButton::PreSubclassWindow();
}

void CBaseGUIButton::PaintParentBackground(CWnd* wnd, CDC* dc, const RECT* clip) {
    ::PaintParentBackground(wnd, dc, clip);
}

void CBaseGUIButton::OnMouseMove(UINT, CPoint) {
    if (!m_bTracking) {
        TRACKMOUSEEVENT track{};
        track.cbSize = sizeof(track);
        track.dwFlags = TME_HOVER | TME_LEAVE;
        track.hwndTrack = m_hWnd;
        track.dwHoverTime = kHoverMilliseconds;
        m_bTracking = ::TrackMouseEvent(&track) != FALSE;
    }
    m_hActiveCursor = m_hHandCursor;
    Default();
}

BOOL CBaseGUIButton::OnEraseBkgnd(CDC*) {
    return FALSE;
}

void CBaseGUIButton::OnMouseHover(UINT, CPoint) {
    m_bHovering = true;
    Invalidate(FALSE);
    m_hActiveCursor = m_hHandCursor;
}

void CBaseGUIButton::OnMouseLeave() {
    m_bTracking = false;
    m_bHovering = false;
    Invalidate(FALSE);
    m_hActiveCursor = nullptr;
}

BOOL CBaseGUIButton::OnSetCursor(CWnd*, UINT, UINT) {
    if (m_bHandCursorEnabled && m_hActiveCursor != nullptr) {
        ::SetCursor(m_hActiveCursor);
        return TRUE;
    }
    return static_cast<BOOL>(Default());
}
