#include "RegistryLastScanDate.h"

#include <AppLocations.h>
#include <Registry.h>

#include <classlib/Time.h>

CRegistryLastScanDate::CRegistryLastScanDate()
    : root_(HKEY_CURRENT_USER), path_(GetAppRegistryKey() + L"\\LastScanStatusDI") {}

bool CRegistryLastScanDate::Write() {
    CRegistry key(root_);
    key.SetAccess(KEY_READ | KEY_WRITE);
    if (!key.Open(root_, path_, true))
        return false;
    return key.WriteString(L"LastScanDate", COleDateTime::GetCurrentTime().Format());
}
