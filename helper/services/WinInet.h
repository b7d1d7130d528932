// WinInet's entry points, bound by name when the library loads so that it loads without them.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <owners/OwnerTraits.h>

class CWinInet {
public:
    CWinInet();
    CWinInet(const CWinInet&) = delete;
    CWinInet& operator=(const CWinInet&) = delete;

    // Every entry point below was found: a transfer may call any of them.
    bool IsComplete() const;

    UniqueResource<owner_traits::Library> module;
    decltype(&::InternetGetConnectedState) InternetGetConnectedState = nullptr;
    decltype(&::InternetCloseHandle) InternetCloseHandle = nullptr;
    // The export of this name is the 8-bit form: status texts arrive as 8-bit text.
    decltype(&::InternetSetStatusCallbackA) InternetSetStatusCallback = nullptr;
    decltype(&::HttpSendRequestW) HttpSendRequestW = nullptr;
    decltype(&::HttpQueryInfoW) HttpQueryInfoW = nullptr;
    decltype(&::FtpOpenFileW) FtpOpenFileW = nullptr;
    decltype(&::HttpOpenRequestW) HttpOpenRequestW = nullptr;
    decltype(&::InternetConnectW) InternetConnectW = nullptr;
    decltype(&::InternetErrorDlg) InternetErrorDlg = nullptr;
    decltype(&::InternetReadFile) InternetReadFile = nullptr;
    decltype(&::InternetCrackUrlW) InternetCrackUrlW = nullptr;
    decltype(&::InternetOpenW) InternetOpenW = nullptr;
    decltype(&::InternetSetOptionW) InternetSetOptionW = nullptr;
    decltype(&::FtpFindFirstFileW) FtpFindFirstFileW = nullptr;
    decltype(&::InternetGetLastResponseInfoW) InternetGetLastResponseInfoW = nullptr;
};

// Made while the library loads, released when it unloads.
extern CWinInet g_winInet;

// True when the connection state cannot be asked; otherwise whether a modem or LAN
// connection is reported.
bool IsInternetConnected();
