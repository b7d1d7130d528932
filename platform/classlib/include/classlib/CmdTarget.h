// CCmdTarget: the root of everything that has a message map.
#pragma once

#include "MessageMap.h"
#include "Object.h"

// The extra data of a WM_NOTIFY routed through OnCmdMsg.
struct AFX_NOTIFY {
    LRESULT* pResult;
    NMHDR* pNMHDR;
};

class XARN_CLASSLIB_API CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)
public:
    CCmdTarget() = default;

    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;

    // Routes a command (pExtra null: WM_COMMAND with code nCode) or a notification (pExtra an
    // AFX_NOTIFY) with control id nID to this object's map. TRUE when a handler took it.
    virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo);

    // The hourglass for long waits on the user-interface thread; nests.
    void BeginWaitCursor();
    void EndWaitCursor();
    void RestoreWaitCursor();
};

// Shows the wait cursor for its lifetime.
class XARN_CLASSLIB_API CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
    void Restore();
};
