// Probes of the machine: Windows version, WOW64, administrator rights, size and date texts
// and drive space.
#pragma once

#include <windows.h>

#include <classlib/String.h>

DWORD GetOsMajorVersion();
DWORD GetOsMinorVersion();
bool IsWow64();
bool IsWow64Cached();
// The WOW64 system folder of a 32-bit process on 64-bit Windows, else empty.
void GetSystemWow64Folder(CString& folder);
bool IsUserAdmin();
// Whether the token lists the administrators group, whether or not its rights are in effect;
// true when the token cannot be read.
bool IsUserInAdminGroup();
// The byte count as kilobytes ("0.500 KB", "1.0 KB"); always returns 1.
int FormatSizeKB(ULONGLONG bytes, wchar_t* buffer, int bufferChars);
void FormatCurrentDateTime(CString& text);
// Free share of the system drive (or of every fixed and removable drive) as "12.34%".
void GetDrivesSpaceInfo(CString& text, double& percentage, bool allDrives);
