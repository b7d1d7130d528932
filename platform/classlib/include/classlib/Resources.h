// Where resources come from: the program's resource handle first, then the extension DLLs
// (CDynLinkLibrary) in the order they registered; and the start-up helpers of the class
// library's subsystems (sockets, OLE, rich edit).
#pragma once

#include <windows.h>

#include "CmdTarget.h"

// The program's instance (the .exe) and the module its own resources come from.
XARN_CLASSLIB_API HINSTANCE AfxGetInstanceHandle();
XARN_CLASSLIB_API HINSTANCE AfxGetResourceHandle();
XARN_CLASSLIB_API void AfxSetResourceHandle(HINSTANCE hInstResource);
// The first module that holds the resource: the program's resource handle, then each
// registered extension DLL's resource module; the program's resource handle when none has it.
XARN_CLASSLIB_API HINSTANCE AfxFindResourceHandle(LPCWSTR lpszName, LPCWSTR lpszType);

// The state of the module the calling code runs for: the program's instance and its resource
// module (one state per process here: the class library is one DLL).
struct AFX_MODULE_STATE {
    HINSTANCE m_hCurrentInstanceHandle;
    HINSTANCE m_hCurrentResourceHandle;
};
// The current module state, refreshed from the instance and resource handles on each call.
XARN_CLASSLIB_API AFX_MODULE_STATE* AfxGetModuleState();

// The state of an extension DLL. hResource is where the DLL's resources are looked up.
struct AFX_EXTENSION_MODULE {
    BOOL bInitialized;
    HMODULE hModule;
    HMODULE hResource;
};

// Records the DLL's module; its resource module becomes the DLL itself.
XARN_CLASSLIB_API BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE hModule);
// Unregisters every CDynLinkLibrary of the DLL (all of them with bAll).
XARN_CLASSLIB_API void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL bAll = FALSE);

// Puts an extension DLL's resource module into the resource search; lives until the DLL is
// terminated with AfxTermExtensionModule (which deletes it).
class XARN_CLASSLIB_API CDynLinkLibrary : public CCmdTarget {
    DECLARE_DYNAMIC(CDynLinkLibrary)
public:
    explicit CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL bSystem = FALSE);
    ~CDynLinkLibrary() override;
    HMODULE m_hModule;
    HMODULE m_hResource;
    BOOL m_bSystem;
};

// Windows Sockets 2.2 for the process; FALSE when it cannot start.
XARN_CLASSLIB_API BOOL AfxSocketInit(struct WSAData* lpwsaData = nullptr);
// OLE for the calling thread; FALSE when it cannot start.
XARN_CLASSLIB_API BOOL AfxOleInit();
// Controls in dialogs need no container of their own here.
XARN_CLASSLIB_API void AfxEnableControlContainer();
// Makes the rich edit 2.0 window classes available.
XARN_CLASSLIB_API BOOL AfxInitRichEdit2();

// The settings of the OLE message filter of the user-interface thread.
class XARN_CLASSLIB_API COleMessageFilter {
public:
    void SetMessagePendingDelay(DWORD nTimeout = 5000) { m_nTimeout = nTimeout; }
    void EnableBusyDialog(BOOL bEnableBusy = TRUE) { m_bEnableBusy = bEnableBusy; }
    void EnableNotRespondingDialog(BOOL bEnabled = TRUE) { m_bEnableNotResponding = bEnabled; }
    DWORD m_nTimeout = 5000;
    BOOL m_bEnableBusy = TRUE;
    BOOL m_bEnableNotResponding = TRUE;
};
XARN_CLASSLIB_API COleMessageFilter* AfxOleGetMessageFilter();
