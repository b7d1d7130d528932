// Path texts, existence tests, folder creation, shell file operations, file-system
// redirection, the version text of a file and file-name patterns.
#pragma once

#include <windows.h>

#include <classlib/String.h>

// Appends `name` to `path` with exactly one backslash between them; always 1.
int AppendPath(CString& path, const CString& name);
// The base text with each further text (as many as `count` says, in decimal) appended by
// AppendPath.
CString JoinPaths(const wchar_t* count, const wchar_t* base, ...);
// Removes one final backslash; with `keepShort`, only from texts longer than 2 characters.
int RemoveTrailingBackslash(CString& path, bool keepShort);
[[nodiscard]] BOOL RemoveFileSpec(CString& path);
// Drive and folder of the program file, with the final backslash.
void GetExeFolder(CString& folder);
[[nodiscard]] int GetSpecialFolderPath(int csidl, CString& path);
// A zero-filled copy with room for two more characters; the caller frees it with delete[].
void AllocStringCopy(const CString& text, wchar_t** copy);

// 1 when the path exists, 0 when not, -4 for an empty path, -1 on an exception.
int PathExists(const CString& path);
// 1 for a file, 0 for a folder or an empty text, -1 when the attributes cannot be read.
int GetPathKind(const wchar_t* path);
// 1 when the text names or begins with an existing file, 0 for a folder or no file path,
// -1 for a file path that does not exist.
int ClassifyFileReference(const wchar_t* text);
int IsExistingFolder(CString path);
// 1 locked (another program holds it, or it cannot be opened for this program alone), 0 free,
// -1 cannot be tested (missing, a folder, or its metadata may not be changed). Asks without
// changing anything of the file: its attributes, times and contents stay as they were.
int IsFileLocked(const wchar_t* path);
// 1 when the folder exists at the end, 0 when not, -1 on an exception.
[[nodiscard]] int CreateDirectoryTree(CString path);

[[nodiscard]] int ShellDeleteFiles(const wchar_t* path, int length, bool toRecycleBin);
[[nodiscard]] int ShellMoveIntoFolder(const CString& file, const CString& folder);
[[nodiscard]] int ShellMoveFiles(const CString& source, const CString& target);
void PumpPendingMessages();

[[nodiscard]] BOOL DisableWow64Redirection(void** oldValue);
[[nodiscard]] BOOL RevertWow64Redirection(void* oldValue);

// "0" when the file does not exist; else its version ("1.2.3.4", empty without a version).
CString GetFileVersionText(const CString& path);

// PathMatchSpecA of the file name against the pattern.
bool MatchesFileSpecA(const char* spec, const char* file);
