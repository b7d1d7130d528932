// Message maps: static tables that route window messages, commands and notifications to member
// functions.
//
// Each entry holds a small "thunk" that cracks wParam/lParam for one handler signature and
// calls the member. The thunks are templates instantiated where BEGIN_MESSAGE_MAP is written,
// so a handler's exception is caught in its own module (required on i686, where every module
// unwinds alone) and never unwinds through a window procedure.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "Export.h"

class CCmdTarget;
class CWnd;
class CDC;
class CMenu;
class CScrollBar;

// The pseudo message that stands for all WM_CTLCOLORxxx messages in a map.
#ifndef WM_CTLCOLOR
#define WM_CTLCOLOR 0x0019
#endif
// Sent by modal loops while they are idle; wParam is the filter code, lParam the idle count.
#define WM_KICKIDLE 0x036A
#define WM_IDLEUPDATECMDUI 0x0363

#define CN_COMMAND 0

// One message being dispatched; handlers that produce a result store it in *pResult.
struct AFX_MSG_CALL {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT* pResult;
};

// Calls one handler; answers whether the message counts as handled.
using AFX_PTHUNK = BOOL (*)(CCmdTarget* pTarget, AFX_MSG_CALL& call);

enum AfxEntryKind : UINT {
    AfxKindMessage = 1,    // a window message (nMessage)
    AfxKindRegistered,     // a registered message (*pnRegistered)
    AfxKindCommand,        // WM_COMMAND with code nCode and id in [nID, nLastID]
    AfxKindNotify,         // WM_NOTIFY with code nCode from a control in [nID, nLastID]
    AfxKindReflectCommand, // WM_COMMAND reflected back to the control that sent it
    AfxKindReflectNotify,  // WM_NOTIFY reflected back to the control that sent it
    AfxKindReflectMessage, // WM_CTLCOLOR/WM_DRAWITEM/... reflected back to the control
};

struct AFX_MSGMAP_ENTRY {
    UINT nKind;
    UINT nMessage;
    UINT nCode;
    UINT nID;
    UINT nLastID;
    const UINT* pnRegistered;
    AFX_PTHUNK pfnThunk;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// The first entry of the map chain (most derived first) that matches, or null.
XARN_CLASSLIB_API const AFX_MSGMAP_ENTRY* AfxFindMessageEntry(const AFX_MSGMAP* pMap, UINT nKind,
                                                              UINT nMessage, UINT nCode, UINT nID);
// Called when a handler threw: the exception has been caught and discarded. Records it for
// diagnostics (the count is what tests look at).
XARN_CLASSLIB_API void AfxNoteHandlerException();
XARN_CLASSLIB_API LONG AfxGetHandlerExceptionCount();

namespace xarn_msgmap {

template <class T> struct MemberClass;
template <class C, class R, class... A> struct MemberClass<R (C::*)(A...)> { using type = C; };
template <class C, class R, class... A> struct MemberClass<R (C::*)(A...) const> {
    using type = C;
};

template <auto F> inline auto* Target(CCmdTarget* p) {
    return static_cast<typename MemberClass<decltype(F)>::type*>(p);
}

// Runs one handler body; nothing thrown gets past this point.
template <class Body> inline BOOL Guard(Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        AfxNoteHandlerException();
        return TRUE;
    }
}

// Wrappers that turn handles into the library's objects; defined with the window classes.
XARN_CLASSLIB_API CWnd* WndFromHandle(HWND hWnd);
XARN_CLASSLIB_API CDC* DCFromHandle(HDC hDC);
XARN_CLASSLIB_API CMenu* MenuFromHandle(HMENU hMenu);

inline POINT PointOf(LPARAM lParam) {
    return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

} // namespace xarn_msgmap

// One thunk per handler signature. BODY sees p (the target), m (the call) and returns handled.
#define XARN_DEFINE_THUNK(name, ...)                                                               \
    namespace xarn_msgmap {                                                                        \
    template <auto F> BOOL name(CCmdTarget* t, [[maybe_unused]] AFX_MSG_CALL& m) noexcept {        \
        auto* p = Target<F>(t);                                                                    \
        return Guard([&]() -> BOOL { __VA_ARGS__ });                                               \
    }                                                                                              \
    }

XARN_DEFINE_THUNK(ThunkVoid, (p->*F)(); return TRUE;)
XARN_DEFINE_THUNK(ThunkBoolResult, return (p->*F)();)
XARN_DEFINE_THUNK(ThunkResultWL, *m.pResult = (p->*F)(m.wParam, m.lParam); return TRUE;)
XARN_DEFINE_THUNK(ThunkCommandRange, (p->*F)(static_cast<UINT>(LOWORD(m.wParam))); return TRUE;)
XARN_DEFINE_THUNK(ThunkNotify, (p->*F)(reinterpret_cast<NMHDR*>(m.lParam), m.pResult); return TRUE;)
XARN_DEFINE_THUNK(ThunkNotifyEx, return (p->*F)(reinterpret_cast<NMHDR*>(m.lParam), m.pResult);)
XARN_DEFINE_THUNK(ThunkNotifyRange,
                  (p->*F)(static_cast<UINT>(reinterpret_cast<NMHDR*>(m.lParam)->idFrom),
                          reinterpret_cast<NMHDR*>(m.lParam), m.pResult);
                  return TRUE;)
XARN_DEFINE_THUNK(ThunkCreate, *m.pResult = (p->*F)(reinterpret_cast<LPCREATESTRUCTW>(m.lParam));
                  return TRUE;)
XARN_DEFINE_THUNK(ThunkSize,
                  (p->*F)(static_cast<UINT>(m.wParam), static_cast<short>(LOWORD(m.lParam)),
                          static_cast<short>(HIWORD(m.lParam)));
                  return TRUE;)
XARN_DEFINE_THUNK(ThunkMove, (p->*F)(static_cast<short>(LOWORD(m.lParam)),
                                     static_cast<short>(HIWORD(m.lParam)));
                  return TRUE;)
XARN_DEFINE_THUNK(ThunkTimer, (p->*F)(static_cast<UINT_PTR>(m.wParam)); return TRUE;)
XARN_DEFINE_THUNK(ThunkEraseBkgnd,
                  *m.pResult = (p->*F)(DCFromHandle(reinterpret_cast<HDC>(m.wParam)));
                  return TRUE;)
XARN_DEFINE_THUNK(ThunkCtlColor, *m.pResult = reinterpret_cast<LRESULT>(
                                     (p->*F)(DCFromHandle(reinterpret_cast<HDC>(m.wParam)),
                                             WndFromHandle(reinterpret_cast<HWND>(m.lParam)),
                                             m.message - WM_CTLCOLORMSGBOX));
                  return TRUE;)
XARN_DEFINE_THUNK(ThunkCtlColorReflect,
                  HBRUSH brush = (p->*F)(DCFromHandle(reinterpret_cast<HDC>(m.wParam)),
                                         m.message - WM_CTLCOLORMSGBOX);
                  *m.pResult = reinterpret_cast<LRESULT>(brush); return brush != nullptr;)
XARN_DEFINE_THUNK(ThunkDrawItem,
                  (p->*F)(static_cast<int>(m.wParam), reinterpret_cast<LPDRAWITEMSTRUCT>(m.lParam));
                  *m.pResult = TRUE; return TRUE;)
XARN_DEFINE_THUNK(ThunkMeasureItem, (p->*F)(static_cast<int>(m.wParam),
                                            reinterpret_cast<LPMEASUREITEMSTRUCT>(m.lParam));
                  *m.pResult = TRUE; return TRUE;)
XARN_DEFINE_THUNK(ThunkMouse, (p->*F)(static_cast<UINT>(m.wParam), PointOf(m.lParam)); return TRUE;)
XARN_DEFINE_THUNK(ThunkNcMouse, (p->*F)(static_cast<UINT>(m.wParam), PointOf(m.lParam));
                  return TRUE;)
XARN_DEFINE_THUNK(ThunkMouseWheel,
                  *m.pResult = (p->*F)(static_cast<UINT>(LOWORD(m.wParam)),
                                       static_cast<short>(HIWORD(m.wParam)), PointOf(m.lParam));
                  return TRUE;)
XARN_DEFINE_THUNK(ThunkSetCursor,
                  *m.pResult = (p->*F)(WndFromHandle(reinterpret_cast<HWND>(m.wParam)),
                                       static_cast<UINT>(LOWORD(m.lParam)),
                                       static_cast<UINT>(HIWORD(m.lParam)));
                  return TRUE;)
XARN_DEFINE_THUNK(ThunkShowWindow,
                  (p->*F)(static_cast<BOOL>(m.wParam), static_cast<UINT>(m.lParam));
                  return TRUE;)
XARN_DEFINE_THUNK(ThunkWindowPos, (p->*F)(reinterpret_cast<WINDOWPOS*>(m.lParam)); return TRUE;)
XARN_DEFINE_THUNK(ThunkMinMax, (p->*F)(reinterpret_cast<MINMAXINFO*>(m.lParam)); return TRUE;)
XARN_DEFINE_THUNK(ThunkSysCommand, (p->*F)(static_cast<UINT>(m.wParam), m.lParam); return TRUE;)
XARN_DEFINE_THUNK(ThunkCopyData,
                  *m.pResult = (p->*F)(WndFromHandle(reinterpret_cast<HWND>(m.wParam)),
                                       reinterpret_cast<COPYDATASTRUCT*>(m.lParam));
                  return TRUE;)
XARN_DEFINE_THUNK(ThunkSettingChange,
                  (p->*F)(static_cast<UINT>(m.wParam), reinterpret_cast<LPCWSTR>(m.lParam));
                  return TRUE;)
XARN_DEFINE_THUNK(ThunkKey,
                  (p->*F)(static_cast<UINT>(m.wParam), static_cast<UINT>(LOWORD(m.lParam)),
                          static_cast<UINT>(HIWORD(m.lParam)));
                  return TRUE;)
XARN_DEFINE_THUNK(ThunkFocus, (p->*F)(WndFromHandle(reinterpret_cast<HWND>(m.wParam)));
                  return TRUE;)
XARN_DEFINE_THUNK(ThunkContextMenu,
                  (p->*F)(WndFromHandle(reinterpret_cast<HWND>(m.wParam)), PointOf(m.lParam));
                  return TRUE;)
XARN_DEFINE_THUNK(ThunkHelpInfo, *m.pResult = (p->*F)(reinterpret_cast<HELPINFO*>(m.lParam));
                  return TRUE;)
XARN_DEFINE_THUNK(ThunkInitMenuPopup,
                  (p->*F)(MenuFromHandle(reinterpret_cast<HMENU>(m.wParam)),
                          static_cast<UINT>(LOWORD(m.lParam)), static_cast<BOOL>(HIWORD(m.lParam)));
                  return TRUE;)
XARN_DEFINE_THUNK(
    ThunkScroll,
    (p->*F)(static_cast<UINT>(LOWORD(m.wParam)), static_cast<UINT>(HIWORD(m.wParam)),
            reinterpret_cast<CScrollBar*>(WndFromHandle(reinterpret_cast<HWND>(m.lParam))));
    return TRUE;)
XARN_DEFINE_THUNK(ThunkActivate, (p->*F)(static_cast<UINT>(LOWORD(m.wParam)),
                                         WndFromHandle(reinterpret_cast<HWND>(m.lParam)),
                                         static_cast<BOOL>(HIWORD(m.wParam)));
                  return TRUE;)
XARN_DEFINE_THUNK(ThunkNcHitTest, *m.pResult = (p->*F)(PointOf(m.lParam)); return TRUE;)
XARN_DEFINE_THUNK(ThunkNcCalcSize, (p->*F)(static_cast<BOOL>(m.wParam),
                                           reinterpret_cast<NCCALCSIZE_PARAMS*>(m.lParam));
                  return TRUE;)

// ---- declaring and defining maps ----

#define DECLARE_MESSAGE_MAP()                                                                      \
public:                                                                                            \
    static const AFX_MSGMAP* GetThisMessageMap();                                                  \
    const AFX_MSGMAP* GetMessageMap() const override;                                              \
                                                                                                   \
protected:

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                     \
    const AFX_MSGMAP* theClass::GetMessageMap() const {                                            \
        return GetThisMessageMap();                                                                \
    }                                                                                              \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                              \
        using ThisClass [[maybe_unused]] = theClass;                                               \
        using TheBaseClass = baseClass;                                                            \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                                          \
    { 0, 0, 0, 0, 0, nullptr, nullptr }                                                            \
    }                                                                                              \
    ;                                                                                              \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]};  \
    return &messageMap;                                                                            \
    }

// One map entry: what it matches (kind, message, notification code, id range) and the thunk
// that calls the handler.
#define XARN_MAP_ENTRY(kind, msg, code, id, idLast, thunk, fn)                                     \
    {kind,                                                                                         \
     msg,                                                                                          \
     static_cast<UINT>(code),                                                                      \
     static_cast<UINT>(id),                                                                        \
     static_cast<UINT>(idLast),                                                                    \
     nullptr,                                                                                      \
     &xarn_msgmap::thunk<fn>},
#define XARN_MSG_ENTRY(msg, thunk, fn) XARN_MAP_ENTRY(AfxKindMessage, msg, 0, 0, 0, thunk, fn)

// ---- general entries ----

#define ON_MESSAGE(message, memberFxn) XARN_MSG_ENTRY(message, ThunkResultWL, memberFxn)
#define ON_REGISTERED_MESSAGE(nMessageVariable, memberFxn)                                         \
    {AfxKindRegistered, 0, 0, 0, 0, &nMessageVariable, &xarn_msgmap::ThunkResultWL<memberFxn>},

#define ON_COMMAND(id, memberFxn)                                                                  \
    XARN_MAP_ENTRY(AfxKindCommand, WM_COMMAND, CN_COMMAND, id, id, ThunkVoid, memberFxn)
#define ON_COMMAND_RANGE(id, idLast, memberFxn)                                                    \
    XARN_MAP_ENTRY(AfxKindCommand, WM_COMMAND, CN_COMMAND, id, idLast, ThunkCommandRange, memberFxn)
#define ON_CONTROL(wNotifyCode, id, memberFxn)                                                     \
    XARN_MAP_ENTRY(AfxKindCommand, WM_COMMAND, wNotifyCode, id, id, ThunkVoid, memberFxn)
#define ON_CONTROL_RANGE(wNotifyCode, id, idLast, memberFxn)                                       \
    XARN_MAP_ENTRY(AfxKindCommand, WM_COMMAND, wNotifyCode, id, idLast, ThunkCommandRange,         \
                   memberFxn)
#define ON_NOTIFY(wNotifyCode, id, memberFxn)                                                      \
    XARN_MAP_ENTRY(AfxKindNotify, WM_NOTIFY, wNotifyCode, id, id, ThunkNotify, memberFxn)
#define ON_NOTIFY_RANGE(wNotifyCode, id, idLast, memberFxn)                                        \
    XARN_MAP_ENTRY(AfxKindNotify, WM_NOTIFY, wNotifyCode, id, idLast, ThunkNotifyRange, memberFxn)

// Reflected to the control that sent them; the _EX forms return FALSE to let the parent
// handle the message too.
#define ON_CONTROL_REFLECT(wNotifyCode, memberFxn)                                                 \
    XARN_MAP_ENTRY(AfxKindReflectCommand, WM_COMMAND, wNotifyCode, 0, 0, ThunkVoid, memberFxn)
#define ON_CONTROL_REFLECT_EX(wNotifyCode, memberFxn)                                              \
    XARN_MAP_ENTRY(AfxKindReflectCommand, WM_COMMAND, wNotifyCode, 0, 0, ThunkBoolResult, memberFxn)
#define ON_NOTIFY_REFLECT(wNotifyCode, memberFxn)                                                  \
    XARN_MAP_ENTRY(AfxKindReflectNotify, WM_NOTIFY, wNotifyCode, 0, 0, ThunkNotify, memberFxn)
#define ON_NOTIFY_REFLECT_EX(wNotifyCode, memberFxn)                                               \
    XARN_MAP_ENTRY(AfxKindReflectNotify, WM_NOTIFY, wNotifyCode, 0, 0, ThunkNotifyEx, memberFxn)
#define ON_WM_CTLCOLOR_REFLECT()                                                                   \
    XARN_MAP_ENTRY(AfxKindReflectMessage, WM_CTLCOLOR, 0, 0, 0, ThunkCtlColorReflect,              \
                   &ThisClass::CtlColor)

// ---- control notifications ----

#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_BN_DOUBLECLICKED(id, memberFxn) ON_CONTROL(BN_DOUBLECLICKED, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)
#define ON_CBN_DROPDOWN(id, memberFxn) ON_CONTROL(CBN_DROPDOWN, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
#define ON_EN_KILLFOCUS(id, memberFxn) ON_CONTROL(EN_KILLFOCUS, id, memberFxn)
#define ON_STN_CLICKED(id, memberFxn) ON_CONTROL(STN_CLICKED, id, memberFxn)

// ---- window messages (handler names and signatures as declared in CWnd) ----

#define ON_WM_CREATE() XARN_MSG_ENTRY(WM_CREATE, ThunkCreate, &ThisClass::OnCreate)
#define ON_WM_DESTROY() XARN_MSG_ENTRY(WM_DESTROY, ThunkVoid, &ThisClass::OnDestroy)
#define ON_WM_NCDESTROY() XARN_MSG_ENTRY(WM_NCDESTROY, ThunkVoid, &ThisClass::OnNcDestroy)
#define ON_WM_CLOSE() XARN_MSG_ENTRY(WM_CLOSE, ThunkVoid, &ThisClass::OnClose)
#define ON_WM_PAINT() XARN_MSG_ENTRY(WM_PAINT, ThunkVoid, &ThisClass::OnPaint)
#define ON_WM_NCPAINT() XARN_MSG_ENTRY(WM_NCPAINT, ThunkVoid, &ThisClass::OnNcPaint)
#define ON_WM_ERASEBKGND() XARN_MSG_ENTRY(WM_ERASEBKGND, ThunkEraseBkgnd, &ThisClass::OnEraseBkgnd)
#define ON_WM_SIZE() XARN_MSG_ENTRY(WM_SIZE, ThunkSize, &ThisClass::OnSize)
#define ON_WM_MOVE() XARN_MSG_ENTRY(WM_MOVE, ThunkMove, &ThisClass::OnMove)
#define ON_WM_TIMER() XARN_MSG_ENTRY(WM_TIMER, ThunkTimer, &ThisClass::OnTimer)
#define ON_WM_CTLCOLOR() XARN_MSG_ENTRY(WM_CTLCOLOR, ThunkCtlColor, &ThisClass::OnCtlColor)
#define ON_WM_DRAWITEM() XARN_MSG_ENTRY(WM_DRAWITEM, ThunkDrawItem, &ThisClass::OnDrawItem)
#define ON_WM_MEASUREITEM()                                                                        \
    XARN_MSG_ENTRY(WM_MEASUREITEM, ThunkMeasureItem, &ThisClass::OnMeasureItem)
#define ON_WM_LBUTTONDOWN() XARN_MSG_ENTRY(WM_LBUTTONDOWN, ThunkMouse, &ThisClass::OnLButtonDown)
#define ON_WM_LBUTTONUP() XARN_MSG_ENTRY(WM_LBUTTONUP, ThunkMouse, &ThisClass::OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK()                                                                      \
    XARN_MSG_ENTRY(WM_LBUTTONDBLCLK, ThunkMouse, &ThisClass::OnLButtonDblClk)
#define ON_WM_RBUTTONDOWN() XARN_MSG_ENTRY(WM_RBUTTONDOWN, ThunkMouse, &ThisClass::OnRButtonDown)
#define ON_WM_RBUTTONUP() XARN_MSG_ENTRY(WM_RBUTTONUP, ThunkMouse, &ThisClass::OnRButtonUp)
#define ON_WM_MOUSEMOVE() XARN_MSG_ENTRY(WM_MOUSEMOVE, ThunkMouse, &ThisClass::OnMouseMove)
#define ON_WM_MOUSEWHEEL() XARN_MSG_ENTRY(WM_MOUSEWHEEL, ThunkMouseWheel, &ThisClass::OnMouseWheel)
#define ON_WM_MOUSELEAVE() XARN_MSG_ENTRY(WM_MOUSELEAVE, ThunkVoid, &ThisClass::OnMouseLeave)
#define ON_WM_MOUSEHOVER() XARN_MSG_ENTRY(WM_MOUSEHOVER, ThunkMouse, &ThisClass::OnMouseHover)
#define ON_WM_NCLBUTTONDOWN()                                                                      \
    XARN_MSG_ENTRY(WM_NCLBUTTONDOWN, ThunkNcMouse, &ThisClass::OnNcLButtonDown)
#define ON_WM_NCHITTEST() XARN_MSG_ENTRY(WM_NCHITTEST, ThunkNcHitTest, &ThisClass::OnNcHitTest)
#define ON_WM_NCCALCSIZE() XARN_MSG_ENTRY(WM_NCCALCSIZE, ThunkNcCalcSize, &ThisClass::OnNcCalcSize)
#define ON_WM_SETCURSOR() XARN_MSG_ENTRY(WM_SETCURSOR, ThunkSetCursor, &ThisClass::OnSetCursor)
#define ON_WM_SHOWWINDOW() XARN_MSG_ENTRY(WM_SHOWWINDOW, ThunkShowWindow, &ThisClass::OnShowWindow)
#define ON_WM_WINDOWPOSCHANGING()                                                                  \
    XARN_MSG_ENTRY(WM_WINDOWPOSCHANGING, ThunkWindowPos, &ThisClass::OnWindowPosChanging)
#define ON_WM_WINDOWPOSCHANGED()                                                                   \
    XARN_MSG_ENTRY(WM_WINDOWPOSCHANGED, ThunkWindowPos, &ThisClass::OnWindowPosChanged)
#define ON_WM_GETMINMAXINFO()                                                                      \
    XARN_MSG_ENTRY(WM_GETMINMAXINFO, ThunkMinMax, &ThisClass::OnGetMinMaxInfo)
#define ON_WM_SYSCOMMAND() XARN_MSG_ENTRY(WM_SYSCOMMAND, ThunkSysCommand, &ThisClass::OnSysCommand)
#define ON_WM_COPYDATA() XARN_MSG_ENTRY(WM_COPYDATA, ThunkCopyData, &ThisClass::OnCopyData)
#define ON_WM_SETTINGCHANGE()                                                                      \
    XARN_MSG_ENTRY(WM_SETTINGCHANGE, ThunkSettingChange, &ThisClass::OnSettingChange)
#define ON_WM_KEYDOWN() XARN_MSG_ENTRY(WM_KEYDOWN, ThunkKey, &ThisClass::OnKeyDown)
#define ON_WM_SYSKEYDOWN() XARN_MSG_ENTRY(WM_SYSKEYDOWN, ThunkKey, &ThisClass::OnSysKeyDown)
#define ON_WM_CHAR() XARN_MSG_ENTRY(WM_CHAR, ThunkKey, &ThisClass::OnChar)
#define ON_WM_SETFOCUS() XARN_MSG_ENTRY(WM_SETFOCUS, ThunkFocus, &ThisClass::OnSetFocus)
#define ON_WM_KILLFOCUS() XARN_MSG_ENTRY(WM_KILLFOCUS, ThunkFocus, &ThisClass::OnKillFocus)
#define ON_WM_CONTEXTMENU()                                                                        \
    XARN_MSG_ENTRY(WM_CONTEXTMENU, ThunkContextMenu, &ThisClass::OnContextMenu)
#define ON_WM_HELPINFO() XARN_MSG_ENTRY(WM_HELP, ThunkHelpInfo, &ThisClass::OnHelpInfo)
#define ON_WM_INITMENUPOPUP()                                                                      \
    XARN_MSG_ENTRY(WM_INITMENUPOPUP, ThunkInitMenuPopup, &ThisClass::OnInitMenuPopup)
#define ON_WM_HSCROLL() XARN_MSG_ENTRY(WM_HSCROLL, ThunkScroll, &ThisClass::OnHScroll)
#define ON_WM_VSCROLL() XARN_MSG_ENTRY(WM_VSCROLL, ThunkScroll, &ThisClass::OnVScroll)
#define ON_WM_ACTIVATE() XARN_MSG_ENTRY(WM_ACTIVATE, ThunkActivate, &ThisClass::OnActivate)
