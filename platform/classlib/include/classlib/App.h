// CWinThread (a thread with a message pump, or a worker started by AfxBeginThread) and
// CWinApp, the program's one application object, with its profile settings.
#pragma once

#include <windows.h>

#include "CmdTarget.h"
#include "Exceptions.h"
#include "String.h"

class CWnd;

using AFX_THREADPROC = UINT(__cdecl*)(LPVOID);
using AFX_THREADGUARD = UINT (*)(AFX_THREADPROC pfnThreadProc, LPVOID pParam);

class XARN_CLASSLIB_API CWinThread : public CCmdTarget {
    DECLARE_DYNAMIC(CWinThread)
public:
    CWinThread();
    CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam);
    ~CWinThread() override;

    HANDLE m_hThread = nullptr;
    DWORD m_nThreadID = 0;
    // Delete the object when its worker ends (set to FALSE to wait on m_hThread).
    BOOL m_bAutoDelete = TRUE;
    CWnd* m_pMainWnd = nullptr;
    AFX_THREADPROC m_pfnThreadProc = nullptr;
    LPVOID m_pThreadParams = nullptr;
    // Runs m_pfnThreadProc in the module that started the worker; null: called directly.
    AFX_THREADGUARD m_pfnGuard = nullptr;

    operator HANDLE() const { return m_hThread; }
    BOOL CreateThread(DWORD dwCreateFlags = 0, UINT nStackSize = 0,
                      LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
    DWORD ResumeThread() { return ::ResumeThread(m_hThread); }
    DWORD SuspendThread() { return ::SuspendThread(m_hThread); }
    BOOL SetThreadPriority(int nPriority) { return ::SetThreadPriority(m_hThread, nPriority); }
    int GetThreadPriority() const { return ::GetThreadPriority(m_hThread); }

    virtual BOOL InitInstance();
    virtual int ExitInstance();
    // The message loop: idle processing while the queue is empty; ends with ExitInstance's
    // result when WM_QUIT arrives.
    virtual int Run();
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    // Fetches and dispatches one message; FALSE for WM_QUIT.
    virtual BOOL PumpMessage();
    // Idle work; TRUE asks for more idle calls.
    virtual BOOL OnIdle(LONG lCount);
    virtual BOOL IsIdleMessage(MSG* pMsg);
    virtual CWnd* GetMainWnd();
};

// Runs a worker function and stops whatever escapes it. It must run in the worker's own
// module (on i686 each module has its own unwinder, so a catch in this DLL would not see an
// exception thrown in the program): AfxBeginThread below hands over this inline copy.
inline UINT AfxRunWorkerGuarded(AFX_THREADPROC pfnThreadProc, LPVOID pParam) {
    try {
        return pfnThreadProc(pParam);
    } catch (CException* e) {
        e->Delete();
    } catch (...) {
    }
    AfxNoteHandlerException();
    return static_cast<UINT>(-1);
}

// Starts a worker whose function runs through pfnGuard (see AfxBeginThread).
XARN_CLASSLIB_API CWinThread* AfxBeginGuardedThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam,
                                                    AFX_THREADGUARD pfnGuard, int nPriority,
                                                    UINT nStackSize, DWORD dwCreateFlags,
                                                    LPSECURITY_ATTRIBUTES lpSecurityAttrs);

// A worker thread running pfnThreadProc(pParam); its exit code is the function's result, or
// (UINT)-1 when an exception escaped it (the exception is discarded and the thread ends).
inline CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam,
                                  int nPriority = THREAD_PRIORITY_NORMAL, UINT nStackSize = 0,
                                  DWORD dwCreateFlags = 0,
                                  LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr) {
    return AfxBeginGuardedThread(pfnThreadProc, pParam, &AfxRunWorkerGuarded, nPriority, nStackSize,
                                 dwCreateFlags, lpSecurityAttrs);
}
// The thread object of the calling thread (the application on the main thread), or null.
XARN_CLASSLIB_API CWinThread* AfxGetThread();

class XARN_CLASSLIB_API CWinApp : public CWinThread {
    DECLARE_DYNAMIC(CWinApp)
public:
    explicit CWinApp(LPCWSTR lpszAppName = nullptr);
    ~CWinApp() override;

    HINSTANCE m_hInstance = nullptr;
    LPWSTR m_lpCmdLine = nullptr;
    int m_nCmdShow = SW_SHOWNORMAL;
    LPCWSTR m_pszAppName = nullptr;     // the application's name (title)
    LPCWSTR m_pszExeName = nullptr;     // the program's file name without extension
    LPCWSTR m_pszRegistryKey = nullptr; // under HKCU\Software; null: profile in an ini file
    LPCWSTR m_pszProfileName = nullptr; // the profile's key (or ini file) name

    virtual BOOL InitApplication();
    BOOL InitInstance() override;
    // The wParam of the WM_QUIT that ended the thread's pumping (0 when none came).
    int ExitInstance() override;
    virtual void WinHelp(DWORD_PTR dwData, UINT nCmd = HELP_CONTEXT);
    virtual void HtmlHelp(DWORD_PTR dwData, UINT nCmd = 0x000F);

    HICON LoadIcon(UINT nIDResource) const;
    HICON LoadIcon(LPCWSTR lpszResourceName) const;
    HCURSOR LoadCursor(UINT nIDResource) const;
    HCURSOR LoadStandardCursor(LPCWSTR lpszCursorName) const {
        return ::LoadCursorW(nullptr, lpszCursorName);
    }
    HICON LoadStandardIcon(LPCWSTR lpszIconName) const {
        return ::LoadIconW(nullptr, lpszIconName);
    }

    // Profile: HKCU\Software\<registry key>\<profile name>\<section> once SetRegistryKey ran,
    // otherwise the ini file <profile name> in the Windows folder.
    void SetRegistryKey(LPCWSTR lpszRegistryKey);
    void SetRegistryKey(UINT nIDRegistryKey);
    HKEY GetAppRegistryKey();
    HKEY GetSectionKey(LPCWSTR lpszSection);
    UINT GetProfileInt(LPCWSTR lpszSection, LPCWSTR lpszEntry, int nDefault);
    BOOL WriteProfileInt(LPCWSTR lpszSection, LPCWSTR lpszEntry, int nValue);
    CString GetProfileString(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPCWSTR lpszDefault = nullptr);
    BOOL WriteProfileString(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPCWSTR lpszValue);

    // Called by AfxWinMain before InitApplication.
    void SetCurrentHandles(HINSTANCE hInstance, LPWSTR lpCmdLine, int nCmdShow);

private:
    CString m_strAppName;
    CString m_strExeName;
    CString m_strRegistryKey;
    CString m_strProfileName;
};

XARN_CLASSLIB_API CWinApp* AfxGetApp();
// The calling thread's main window (the application's on the main thread).
XARN_CLASSLIB_API CWnd* AfxGetMainWnd();
XARN_CLASSLIB_API LPCWSTR AfxGetAppName();
// The program's entry: initialise the application object, InitInstance, Run or ExitInstance.
XARN_CLASSLIB_API int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine,
                                 int nCmdShow);
