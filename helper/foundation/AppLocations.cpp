#include "AppLocations.h"

#include "AppState.h"
#include "Paths.h"
#include "ProductIdentity.h"

#include <classlib/Resources.h>
#include <owners/WinOwners.h>

#include <shellapi.h>

CString GetAppRegistryKey() {
    CString key(GetProductRegistryKey());
    AppendPath(key, GetAppTitle());
    return key;
}

CString GetAppDataFolder() {
    CString folder = GetAppTitle();
    if (!GetUserDataFolder(folder))
        folder.Empty(); // never a bare title, which would name a folder below the current one
    return folder;
}

CString GetAppModulePath() {
    wchar_t path[1040] = {};
    GetModuleFileNameW(AfxGetInstanceHandle(), path, 1039);
    if (GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES)
        return CString(path);
    CString first;
    int count = 0;
    if (const LocalMemory<LPWSTR*> arguments(CommandLineToArgvW(GetCommandLineW(), &count));
        arguments && count > 0)
        first = arguments.Get()[0];
    return first;
}
