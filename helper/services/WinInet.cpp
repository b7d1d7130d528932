#include "WinInet.h"

namespace {

template <typename Entry> void Bind(HMODULE module, const char* name, Entry& entry) {
    entry = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

} // namespace

CWinInet::CWinInet() : module(LoadLibraryW(L"wininet.dll")) {
    if (!module)
        return;
    const HMODULE loaded = module.Get();
    Bind(loaded, "InternetGetConnectedState", InternetGetConnectedState);
    Bind(loaded, "InternetCloseHandle", InternetCloseHandle);
    Bind(loaded, "InternetSetStatusCallback", InternetSetStatusCallback);
    Bind(loaded, "HttpSendRequestW", HttpSendRequestW);
    Bind(loaded, "HttpQueryInfoW", HttpQueryInfoW);
    Bind(loaded, "FtpOpenFileW", FtpOpenFileW);
    Bind(loaded, "HttpOpenRequestW", HttpOpenRequestW);
    Bind(loaded, "InternetConnectW", InternetConnectW);
    Bind(loaded, "InternetErrorDlg", InternetErrorDlg);
    Bind(loaded, "InternetReadFile", InternetReadFile);
    Bind(loaded, "InternetCrackUrlW", InternetCrackUrlW);
    Bind(loaded, "InternetOpenW", InternetOpenW);
    Bind(loaded, "InternetSetOptionW", InternetSetOptionW);
    Bind(loaded, "FtpFindFirstFileW", FtpFindFirstFileW);
    Bind(loaded, "InternetGetLastResponseInfoW", InternetGetLastResponseInfoW);
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
