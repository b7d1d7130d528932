#include "WinInet.h"

namespace {

template <typename Entry> void Bind(HMODULE module, const char* name, Entry& entry) {
    entry = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

} // namespace

CWinInet::CWinInet() : module(LoadLibraryW(L"wininet.dll")) {
    if (!module)
        return;
    Bind(module, "InternetGetConnectedState", InternetGetConnectedState);
    Bind(module, "InternetCloseHandle", InternetCloseHandle);
    Bind(module, "InternetSetStatusCallback", InternetSetStatusCallback);
    Bind(module, "HttpSendRequestW", HttpSendRequestW);
    Bind(module, "HttpQueryInfoW", HttpQueryInfoW);
    Bind(module, "FtpOpenFileW", FtpOpenFileW);
    Bind(module, "HttpOpenRequestW", HttpOpenRequestW);
    Bind(module, "InternetConnectW", InternetConnectW);
    Bind(module, "InternetErrorDlg", InternetErrorDlg);
    Bind(module, "InternetReadFile", InternetReadFile);
    Bind(module, "InternetCrackUrlW", InternetCrackUrlW);
    Bind(module, "InternetOpenW", InternetOpenW);
    Bind(module, "InternetSetOptionW", InternetSetOptionW);
    Bind(module, "FtpFindFirstFileW", FtpFindFirstFileW);
    Bind(module, "InternetGetLastResponseInfoW", InternetGetLastResponseInfoW);
}

CWinInet::~CWinInet() {
    if (module)
        FreeLibrary(module);
}

bool CWinInet::IsComplete() const {
    return InternetGetConnectedState && InternetCloseHandle && InternetSetStatusCallback &&
           HttpSendRequestW && HttpQueryInfoW && FtpOpenFileW && HttpOpenRequestW &&
           InternetConnectW && InternetErrorDlg && InternetReadFile && InternetCrackUrlW &&
           InternetOpenW && InternetSetOptionW && FtpFindFirstFileW && InternetGetLastResponseInfoW;
}

bool IsInternetConnected() {
    if (!g_winInet.InternetGetConnectedState)
        return true;
    DWORD flags = 0;
    return g_winInet.InternetGetConnectedState(&flags, 0) &&
           (flags & (INTERNET_CONNECTION_MODEM | INTERNET_CONNECTION_LAN)) != 0;
}
