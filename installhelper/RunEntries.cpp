#include "RunEntries.h"

#include "ProductNames.h"

#include <windows.h>
#include <shlwapi.h>

void DeleteRunEntries() {
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        for (const wchar_t* valueName : kRunValueNames) {
            SHDeleteValueW(root, kRunKeyPath, valueName);
        }
    }
}
