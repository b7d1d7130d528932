// The duplicate finder's settings: registry values in subkeys of the application's per-user
// key, read with a default that the first reader stores, the built-in ignored folders and the
// name of the backup archive.
#pragma once

#include <windows.h>

#include <classlib/Array.h>
#include <classlib/String.h>

#include "DupeFinder.h"

#include <vector>

// Subkeys of the application's key.
inline constexpr wchar_t kFindOptionsKey[] = L"FindOptions";
inline constexpr wchar_t kFilesToSearchKey[] = L"FilesToSearch";
inline constexpr wchar_t kIgnoreListKey[] = L"IgnoreListDupp";
inline constexpr wchar_t kRemovalOptionsKey[] = L"RemovalOptions";
inline constexpr wchar_t kSelectedLocationsKey[] = L"Selected";
inline constexpr wchar_t kLastScanStatusKey[] = L"LastScanStatusDFR";

// The path of a subkey of the application's key (under HKEY_CURRENT_USER).
CString DupeSettingsKeyPath(LPCWSTR subkey);

// Removal choices.
enum DupeRemovalOption : DWORD { kRemoveToRecycleBin = 1, kRemoveWithZipBackup = 2 };

// The value under "FindOptions"; a missing value is stored as `defaultValue` and returned.
DWORD ReadFindOption(LPCWSTR name, DWORD defaultValue);
[[nodiscard]] bool WriteFindOption(LPCWSTR name, DWORD value);
// Name, size, last-write time, content and size limit from the store (engine defaults: name
// and size on, time and content off, size limit on). Creation time and the extra flag stay.
void ReadAllFindOptions(DupeMatchOptions& options);

// A value under "FilesToSearch" (default 1).
DWORD ReadFileTypeSetting(LPCWSTR name);
[[nodiscard]] bool WriteFileTypeSetting(LPCWSTR name, DWORD value);
// The file types a scan records; empty (every file) when "SEARCH_ALL_FILES" is on.
std::vector<int> BuildFileTypeList();

// The folder texts a scan leaves out: every value name under "IgnoreListDupp", or the
// built-in list when that key cannot be opened or read. A key without values is a list the
// user emptied: nothing is left out.
void ReadIgnoreListForScan(CStringArray& list);
// The value names of the open "IgnoreListDupp" key; false (and an empty list) when the key
// cannot be read. A key without values gives true and an empty list.
[[nodiscard]] bool ReadIgnoreListNames(HKEY key, CStringArray& names);
// The 35 built-in folder texts, in order.
void AddBuiltInIgnoreFolders(CStringArray& list);

DWORD ReadRemovalOption();
[[nodiscard]] bool WriteRemovalOption(DWORD option);
// The backup folder ("Location_Name"); empty when not set.
CString ReadBackupFolder();
[[nodiscard]] bool WriteBackupFolder(LPCWSTR folder);

// "<company word> Pairlint- <yyyymmddhh_mmss><AM|PM>.zip" for the local time `now`.
CString MakeBackupArchiveName(const SYSTEMTIME& now);
