#include "OsVersionInfo.h"

COsVersionInfo::COsVersionInfo() {
    ZeroMemory(&info, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
    GetVersionExW(&info);
}

COsVersionInfo& COsVersionInfo::operator=(const COsVersionInfo& other) {
    info = other.info;
    return *this;
}

bool COsVersionInfo::IsWin32s() const {
    return info.dwPlatformId == 0;
}
bool COsVersionInfo::IsWindows95() const {
    return info.dwPlatformId == 1 && info.dwMajorVersion == 4 && info.dwMinorVersion < 10;
}
bool COsVersionInfo::IsWindows98() const {
    return info.dwPlatformId == 1 && IsVersion(4, 10);
}
bool COsVersionInfo::IsWindowsMe() const {
    return info.dwPlatformId == 1 && IsVersion(4, 90);
}
bool COsVersionInfo::IsWindowsNT4() const {
    return info.dwPlatformId == 2 && IsVersion(4, 0);
}
bool COsVersionInfo::IsWindows2000() const {
    return info.dwPlatformId == 2 && IsVersion(5, 0);
}
bool COsVersionInfo::IsWindowsXP() const {
    return info.dwPlatformId == 2 && IsVersion(5, 1);
}
bool COsVersionInfo::IsWindowsVista() const {
    return info.dwPlatformId == 2 && IsVersion(6, 0);
}
bool COsVersionInfo::IsWindowsVistaFamily() const {
    return IsWindowsVista();
}
bool COsVersionInfo::IsWindows9xFamily() const {
    return info.dwPlatformId == 1 && info.dwMajorVersion > 3;
}
bool COsVersionInfo::IsWindows98OrLater() const {
    return info.dwPlatformId == 1 && IsVersionOrLater(4, 10);
}
bool COsVersionInfo::IsWindowsMeOrLater() const {
    return info.dwPlatformId == 1 && IsVersionOrLater(4, 90);
}
bool COsVersionInfo::IsWindowsNT4OrLater() const {
    return info.dwPlatformId >= 2 && info.dwMajorVersion >= 4;
}
bool COsVersionInfo::IsWindows2000OrLater() const {
    return info.dwPlatformId >= 2 && info.dwMajorVersion >= 5;
}
bool COsVersionInfo::IsWindowsXPOrLater() const {
    return info.dwPlatformId > 1 && IsVersionOrLater(5, 1);
}
bool COsVersionInfo::IsVersion(DWORD major, DWORD minor) const {
    return info.dwMajorVersion == major && info.dwMinorVersion == minor;
}
bool COsVersionInfo::IsVersionOrLater(DWORD major, DWORD minor) const {
    return info.dwMajorVersion > major ||
           (info.dwMajorVersion == major && info.dwMinorVersion >= minor);
}
