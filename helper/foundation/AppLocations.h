// Where the running application keeps its settings and data, and where its program file is.
#pragma once

#include <windows.h>

#include <classlib/String.h>

// The product key joined with the application title: the application's own settings.
CString GetAppRegistryKey();
// The application's per-user data folder (named after its title), created when missing.
CString GetAppDataFolder();
// The program file's path; the first command-line argument when that file is gone.
CString GetAppModulePath();
