#include "classlib/CmdTarget.h"

#include "WindowState.h"

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

namespace {
volatile LONG g_handlerExceptions = 0;

bool EntryMatches(const AFX_MSGMAP_ENTRY& e, UINT nKind, UINT nMessage, UINT nCode, UINT nID) {
    if (e.nKind != nKind)
        return false;
    switch (nKind) {
    case AfxKindMessage:
    case AfxKindReflectMessage:
        return e.nMessage == nMessage;
    case AfxKindRegistered:
        return e.pnRegistered != nullptr && *e.pnRegistered != 0 && *e.pnRegistered == nMessage;
    case AfxKindCommand:
    case AfxKindNotify:
        return e.nCode == nCode && nID >= e.nID && nID <= e.nLastID;
    case AfxKindReflectCommand:
    case AfxKindReflectNotify:
        return e.nCode == nCode;
    default:
        return false;
    }
}
} // namespace

const AFX_MSGMAP_ENTRY* AfxFindMessageEntry(const AFX_MSGMAP* pMap, UINT nKind, UINT nMessage,
                                            UINT nCode, UINT nID) {
    for (; pMap != nullptr; pMap = pMap->pfnGetBaseMap ? pMap->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = pMap->lpEntries; e->nKind != 0; ++e) {
            if (EntryMatches(*e, nKind, nMessage, nCode, nID))
                return e;
        }
    }
    return nullptr;
}

void AfxNoteHandlerException() {
    InterlockedIncrement(&g_handlerExceptions);
    OutputDebugStringW(L"classlib: an exception left a message handler and was discarded\n");
}

LONG AfxGetHandlerExceptionCount() {
    return g_handlerExceptions;
}

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, 0, nullptr, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const {
    return GetThisMessageMap();
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* pExtra, void*) {
    LRESULT ignored = 0;
    if (pExtra != nullptr) {
        auto* notify = static_cast<AFX_NOTIFY*>(pExtra);
        const AFX_MSGMAP_ENTRY* e = AfxFindMessageEntry(GetMessageMap(), AfxKindNotify, WM_NOTIFY,
                                                        notify->pNMHDR->code, nID);
        if (e == nullptr)
            return FALSE;
        AFX_MSG_CALL call{WM_NOTIFY, static_cast<WPARAM>(nID),
                          reinterpret_cast<LPARAM>(notify->pNMHDR),
                          notify->pResult ? notify->pResult : &ignored};
        return e->pfnThunk(this, call);
    }
    const AFX_MSGMAP_ENTRY* e = AfxFindMessageEntry(GetMessageMap(), AfxKindCommand, WM_COMMAND,
                                                    static_cast<UINT>(nCode), nID);
    if (e == nullptr)
        return FALSE;
    AFX_MSG_CALL call{WM_COMMAND, MAKEWPARAM(nID, nCode), 0, &ignored};
    return e->pfnThunk(this, call);
}

void CCmdTarget::BeginWaitCursor() {
    AfxThreadState& state = AfxGetThreadState();
    HCURSOR previous = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    if (state.nWaitCursorCount++ == 0)
        state.hcurWaitRestore = previous;
}

void CCmdTarget::EndWaitCursor() {
    AfxThreadState& state = AfxGetThreadState();
    if (state.nWaitCursorCount == 0)
        return;
    if (--state.nWaitCursorCount == 0)
        ::SetCursor(state.hcurWaitRestore ? state.hcurWaitRestore
                                          : ::LoadCursorW(nullptr, IDC_ARROW));
}

void CCmdTarget::RestoreWaitCursor() {
    if (AfxGetThreadState().nWaitCursorCount > 0)
        ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
}

namespace {
// The wait cursor needs no particular target; one shared object serves CWaitCursor.
CCmdTarget& WaitTarget() {
    static CCmdTarget target;
    return target;
}
} // namespace

CWaitCursor::CWaitCursor() {
    WaitTarget().BeginWaitCursor();
}
CWaitCursor::~CWaitCursor() {
    WaitTarget().EndWaitCursor();
}
void CWaitCursor::Restore() {
    WaitTarget().RestoreWaitCursor();
}
