// The product's identity texts, registry key, data folders and module locations.
#pragma once

#include <windows.h>

#include <classlib/String.h>

CString GetCompanyKeyName();
CString GetCompanyName();
CString GetProductName();
CString GetProductShortName();
CString GetOwnershipNotice();
CString GetWebSiteAddress();
CString GetProductPageUrl();
CString GetSupportEmail();
CString GetSupportPageUrl();
// "Halvenor\Xarn"
CString GetCompanyProductPath();
// Name of the registry value that holds the cleaning schedule's status.
void GetCleanerScheduleValueName(CString& name);

// "Software\Halvenor\Xarn", computed once.
void BuildProductRegistryKey(CString& key);
LPCWSTR GetProductRegistryKey();

// The product folder under the common (or per-user) application data folder joined with
// `sub`, created when missing; false when it cannot be had.
[[nodiscard]] bool GetCommonDataSubFolder(CString& path, const CString& sub);
[[nodiscard]] bool GetCommonDataFolder(CString& path);
[[nodiscard]] bool GetUserDataSubFolder(CString& path, const CString& sub);
// In: a sub-folder name (ignored when it holds a backslash); out: the folder.
[[nodiscard]] bool GetUserDataFolder(CString& name);

// Folder of a module's file without the final backslash; when that file no longer exists,
// the drive and folder of the program's first command-line argument.
LPCWSTR GetModuleFolder(HMODULE module, CString& folder);

// The shared library's own module.
HINSTANCE GetOwnModuleHandle();
// The resource library named by xarnsys, loaded on first use.
HINSTANCE GetResourceInstance();
// The text of a string resource of the resource library; empty when it has none.
void LoadResourceText(CString& text, UINT id);
