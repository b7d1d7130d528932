// The Windows version as the system reports it, with tests for each release and family.
#pragma once

#include <windows.h>

class COsVersionInfo {
public:
    COsVersionInfo();
    COsVersionInfo(const COsVersionInfo& other) = default;
    COsVersionInfo& operator=(const COsVersionInfo& other);

    bool IsWin32s() const;
    bool IsWindows95() const;
    bool IsWindows98() const;
    bool IsWindowsMe() const;
    bool IsWindowsNT4() const;
    bool IsWindows2000() const;
    bool IsWindowsXP() const;
    bool IsWindowsVista() const;
    bool IsWindowsVistaFamily() const;
    bool IsWindows9xFamily() const;
    bool IsWindows98OrLater() const;
    bool IsWindowsMeOrLater() const;
    bool IsWindowsNT4OrLater() const;
    bool IsWindows2000OrLater() const;
    bool IsWindowsXPOrLater() const;
    bool IsVersion(DWORD major, DWORD minor) const;
    bool IsVersionOrLater(DWORD major, DWORD minor) const;

    OSVERSIONINFOW info;
};
