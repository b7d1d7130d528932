#include "classlib/App.h"

#include "classlib/Resources.h"
#include "classlib/Window.h"
#include "WindowState.h"

#include <owners/WinOwners.h>

#include <process.h>

IMPLEMENT_DYNAMIC(CWinThread, CCmdTarget)
IMPLEMENT_DYNAMIC(CWinApp, CWinThread)

namespace {
CWinApp* g_pApp = nullptr;

unsigned __stdcall WorkerStart(void* pParam) {
    auto* thread = static_cast<CWinThread*>(pParam);
    AfxGetThreadState().pThread = thread;
    UINT result = 0;
    try {
        result = thread->m_pfnGuard
                     ? thread->m_pfnGuard(thread->m_pfnThreadProc, thread->m_pThreadParams)
                     : thread->m_pfnThreadProc(thread->m_pThreadParams);
    } catch (...) { // a worker made without a guard (CWinThread + CreateThread)
        AfxNoteHandlerException();
        result = static_cast<UINT>(-1);
    }
    AfxGetThreadState().pThread = nullptr;
    if (thread->m_bAutoDelete)
        delete thread;
    return result;
}
} // namespace

// ---- CWinThread ----

CWinThread::CWinThread() = default;

CWinThread::CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam)
    : m_pfnThreadProc(pfnThreadProc), m_pThreadParams(pParam) {}

CWinThread::~CWinThread() {
    if (m_hThread != nullptr)
        ::CloseHandle(m_hThread);
    AfxThreadState& state = AfxGetThreadState();
    if (state.pThread == this)
        state.pThread = nullptr;
}

BOOL CWinThread::CreateThread(DWORD dwCreateFlags, UINT nStackSize,
                              LPSECURITY_ATTRIBUTES lpSecurityAttrs) {
    if (m_pfnThreadProc == nullptr || m_hThread != nullptr)
        return FALSE;
    unsigned threadId = 0;
    // Start suspended so that m_hThread is set before the worker may delete the object.
    auto handle = reinterpret_cast<HANDLE>(_beginthreadex(lpSecurityAttrs, nStackSize, &WorkerStart,
                                                          this, CREATE_SUSPENDED, &threadId));
    if (handle == nullptr)
        return FALSE;
    m_hThread = handle;
    m_nThreadID = threadId;
    if ((dwCreateFlags & CREATE_SUSPENDED) == 0)
        ::ResumeThread(handle);
    return TRUE;
}

CWinThread* AfxBeginGuardedThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam,
                                  AFX_THREADGUARD pfnGuard, int nPriority, UINT nStackSize,
                                  DWORD dwCreateFlags, LPSECURITY_ATTRIBUTES lpSecurityAttrs) {
    auto* thread = new CWinThread(pfnThreadProc, pParam);
    thread->m_pfnGuard = pfnGuard;
    if (!thread->CreateThread(dwCreateFlags | CREATE_SUSPENDED, nStackSize, lpSecurityAttrs)) {
        delete thread;
        return nullptr;
    }
    thread->SetThreadPriority(nPriority);
    if ((dwCreateFlags & CREATE_SUSPENDED) == 0)
        thread->ResumeThread();
    return thread;
}

CWinThread* AfxGetThread() {
    if (CWinThread* thread = AfxGetThreadState().pThread)
        return thread;
    if (g_pApp != nullptr && g_pApp->m_nThreadID == ::GetCurrentThreadId())
        return g_pApp;
    return nullptr;
}

BOOL CWinThread::InitInstance() {
    return FALSE;
}

int CWinThread::ExitInstance() {
    return static_cast<int>(AfxGetCurrentMessage()->wParam);
}

BOOL CWinThread::IsIdleMessage(MSG* pMsg) {
    POINT& lastMouse = AfxGetThreadState().lastMouse;
    if (pMsg->message == WM_MOUSEMOVE || pMsg->message == WM_NCMOUSEMOVE) {
        bool same = pMsg->pt.x == lastMouse.x && pMsg->pt.y == lastMouse.y;
        lastMouse = pMsg->pt;
        return !same;
    }
    return pMsg->message != WM_PAINT && pMsg->message != 0x0118; // 0x0118: the caret's timer
}

BOOL CWinThread::OnIdle(LONG) {
    AfxDeleteTempMaps();
    return FALSE;
}

CWnd* CWinThread::GetMainWnd() {
    return m_pMainWnd;
}

BOOL CWinThread::PreTranslateMessage(MSG* pMsg) {
    CWnd* mainWnd = GetMainWnd();
    return CWnd::WalkPreTranslateTree(CWnd::HandleOf(mainWnd), pMsg);
}

BOOL CWinThread::PumpMessage() {
    MSG& msg = AfxGetThreadState().msgCur;
    if (::GetMessageW(&msg, nullptr, 0, 0) <= 0)
        return FALSE;
    if (!PreTranslateMessage(&msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return TRUE;
}

BOOL AfxPumpMessage() {
    if (CWinThread* thread = AfxGetThread())
        return thread->PumpMessage();
    MSG& msg = AfxGetThreadState().msgCur;
    if (::GetMessageW(&msg, nullptr, 0, 0) <= 0)
        return FALSE;
    if (!CWnd::WalkPreTranslateTree(nullptr, &msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return TRUE;
}

int CWinThread::Run() {
    bool idle = true;
    LONG idleCount = 0;
    MSG peek{};
    for (;;) {
        while (idle && !::PeekMessageW(&peek, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!OnIdle(idleCount++))
                idle = false;
        }
        do {
            if (!PumpMessage())
                return ExitInstance();
            if (IsIdleMessage(&AfxGetThreadState().msgCur)) {
                idle = true;
                idleCount = 0;
            }
        } while (::PeekMessageW(&peek, nullptr, 0, 0, PM_NOREMOVE));
    }
}

// ---- CWinApp ----

CWinApp::CWinApp(LPCWSTR lpszAppName) {
    if (lpszAppName != nullptr)
        m_strAppName = lpszAppName;
    m_pszAppName = m_strAppName.IsEmpty() ? nullptr : m_strAppName.GetString();
    m_nThreadID = ::GetCurrentThreadId();
    m_bAutoDelete = FALSE;
    if (g_pApp == nullptr)
        g_pApp = this;
}

CWinApp::~CWinApp() {
    if (g_pApp == this)
        g_pApp = nullptr;
}

CWinApp* AfxGetApp() {
    return g_pApp;
}

CWnd* AfxGetMainWnd() {
    CWinThread* thread = AfxGetThread();
    return thread != nullptr ? thread->GetMainWnd() : nullptr;
}

LPCWSTR AfxGetAppName() {
    return g_pApp != nullptr ? g_pApp->m_pszAppName : nullptr;
}

void CWinApp::SetCurrentHandles(HINSTANCE hInstance, LPWSTR lpCmdLine, int nCmdShow) {
    m_hInstance = hInstance;
    m_lpCmdLine = lpCmdLine;
    m_nCmdShow = nCmdShow;
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(hInstance, path, MAX_PATH);
    CString exe(path);
    exe = exe.Mid(exe.ReverseFind(L'\\') + 1);
    if (int dot = exe.ReverseFind(L'.'); dot >= 0)
        exe = exe.Left(dot);
    m_strExeName = exe;
    m_pszExeName = m_strExeName;
    if (m_strAppName.IsEmpty()) {
        // The title string of the program's resources, else the program's name.
        constexpr UINT kAppTitleId = 0xE000;
        if (!m_strAppName.LoadString(
                AfxFindResourceHandle(MAKEINTRESOURCEW(kAppTitleId / 16 + 1), RT_STRING),
                kAppTitleId))
            m_strAppName = exe;
        m_pszAppName = m_strAppName;
    }
    if (m_strProfileName.IsEmpty()) {
        m_strProfileName = m_strExeName + L".INI";
        m_pszProfileName = m_strProfileName;
    }
}

BOOL CWinApp::InitApplication() {
    return TRUE;
}
BOOL CWinApp::InitInstance() {
    return TRUE;
}
int CWinApp::ExitInstance() {
    return CWinThread::ExitInstance();
}
void CWinApp::WinHelp(DWORD_PTR, UINT) {}
void CWinApp::HtmlHelp(DWORD_PTR, UINT) {}

HICON CWinApp::LoadIcon(LPCWSTR lpszResourceName) const {
    return ::LoadIconW(AfxFindResourceHandle(lpszResourceName, RT_GROUP_ICON), lpszResourceName);
}

HICON CWinApp::LoadIcon(UINT nIDResource) const {
    return LoadIcon(MAKEINTRESOURCEW(nIDResource));
}

HCURSOR CWinApp::LoadCursor(UINT nIDResource) const {
    LPCWSTR name = MAKEINTRESOURCEW(nIDResource);
    return ::LoadCursorW(AfxFindResourceHandle(name, RT_GROUP_CURSOR), name);
}

void CWinApp::SetRegistryKey(LPCWSTR lpszRegistryKey) {
    m_strRegistryKey = lpszRegistryKey;
    m_pszRegistryKey = m_strRegistryKey;
    m_strProfileName = m_pszAppName != nullptr ? m_pszAppName : L"";
    m_pszProfileName = m_strProfileName;
}

void CWinApp::SetRegistryKey(UINT nIDRegistryKey) {
    CString key;
    key.LoadString(AfxFindResourceHandle(MAKEINTRESOURCEW(nIDRegistryKey / 16 + 1), RT_STRING),
                   nIDRegistryKey);
    SetRegistryKey(key);
}

HKEY CWinApp::GetAppRegistryKey() {
    if (m_pszRegistryKey == nullptr || m_pszProfileName == nullptr)
        return nullptr;
    CString path = CString(L"Software\\") + m_pszRegistryKey + L"\\" + m_pszProfileName;
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_READ | KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

HKEY CWinApp::GetSectionKey(LPCWSTR lpszSection) {
    const RegistryKey app(GetAppRegistryKey());
    if (!app)
        return nullptr;
    HKEY section = nullptr;
    if (::RegCreateKeyExW(app.Get(), lpszSection, 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_READ | KEY_WRITE, nullptr, &section, nullptr) != ERROR_SUCCESS)
        section = nullptr;
    return section;
}

UINT CWinApp::GetProfileInt(LPCWSTR lpszSection, LPCWSTR lpszEntry, int nDefault) {
    if (m_pszRegistryKey == nullptr)
        return ::GetPrivateProfileIntW(lpszSection, lpszEntry, nDefault, m_pszProfileName);
    const RegistryKey key(GetSectionKey(lpszSection));
    if (!key)
        return static_cast<UINT>(nDefault);
    DWORD value = 0;
    DWORD type = 0;
    DWORD size = sizeof(value);
    LONG status = ::RegQueryValueExW(key.Get(), lpszEntry, nullptr, &type,
                                     reinterpret_cast<BYTE*>(&value), &size);
    return status == ERROR_SUCCESS && type == REG_DWORD && size == sizeof(value)
               ? value
               : static_cast<UINT>(nDefault);
}

BOOL CWinApp::WriteProfileInt(LPCWSTR lpszSection, LPCWSTR lpszEntry, int nValue) {
    if (m_pszRegistryKey == nullptr) {
        wchar_t text[16];
        wsprintfW(text, L"%d", nValue);
        return ::WritePrivateProfileStringW(lpszSection, lpszEntry, text, m_pszProfileName);
    }
    const RegistryKey key(GetSectionKey(lpszSection));
    if (!key)
        return FALSE;
    DWORD value = static_cast<DWORD>(nValue);
    return ::RegSetValueExW(key.Get(), lpszEntry, 0, REG_DWORD,
                            reinterpret_cast<const BYTE*>(&value), sizeof(value)) == ERROR_SUCCESS;
}

CString CWinApp::GetProfileString(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPCWSTR lpszDefault) {
    CString result(lpszDefault ? lpszDefault : L"");
    if (m_pszRegistryKey == nullptr) {
        wchar_t buffer[4096] = {};
        ::GetPrivateProfileStringW(lpszSection, lpszEntry, lpszDefault ? lpszDefault : L"", buffer,
                                   4096, m_pszProfileName);
        return CString(buffer);
    }
    const RegistryKey key(GetSectionKey(lpszSection));
    if (!key)
        return result;
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExW(key.Get(), lpszEntry, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        type == REG_SZ) {
        CString value;
        LPWSTR buffer = value.GetBuffer(static_cast<int>(size / sizeof(wchar_t)) + 1);
        if (::RegQueryValueExW(key.Get(), lpszEntry, nullptr, &type,
                               reinterpret_cast<BYTE*>(buffer), &size) == ERROR_SUCCESS) {
            buffer[size / sizeof(wchar_t)] = 0;
            value.ReleaseBuffer();
            result = value;
        } else {
            value.ReleaseBuffer(0);
        }
    }
    return result;
}

BOOL CWinApp::WriteProfileString(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPCWSTR lpszValue) {
    if (m_pszRegistryKey == nullptr)
        return ::WritePrivateProfileStringW(lpszSection, lpszEntry, lpszValue, m_pszProfileName);
    const RegistryKey key(GetSectionKey(lpszSection));
    if (!key)
        return FALSE;
    LONG status;
    if (lpszValue == nullptr) {
        status = lpszEntry ? ::RegDeleteValueW(key.Get(), lpszEntry) : ERROR_SUCCESS;
    } else {
        status = ::RegSetValueExW(key.Get(), lpszEntry, 0, REG_SZ,
                                  reinterpret_cast<const BYTE*>(lpszValue),
                                  static_cast<DWORD>((wcslen(lpszValue) + 1) * sizeof(wchar_t)));
    }
    return status == ERROR_SUCCESS;
}

int AfxWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR lpCmdLine, int nCmdShow) {
    CWinApp* app = AfxGetApp();
    if (app == nullptr)
        return -1;
    app->SetCurrentHandles(hInstance, lpCmdLine, nCmdShow);
    int result;
    if (!app->InitApplication() || !app->InitInstance())
        result = app->ExitInstance();
    else
        result = app->Run();
    AfxDeleteTempMaps();
    return result;
}
