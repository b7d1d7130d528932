#include "BootExecuteStore.h"

#include <scoped_release.h>

bool CRegistryBootExecuteStore::Read(std::vector<wchar_t>& data) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root_, path_.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    const ScopedRelease keyOwner(key, RegCloseKey);
    data.assign(kBootExecuteMaxBytes / sizeof(wchar_t), L'\0');
    DWORD bytes = kBootExecuteMaxBytes;
    if (RegQueryValueExW(key, kBootExecuteValue, nullptr, nullptr,
                         reinterpret_cast<BYTE*>(data.data()), &bytes) != ERROR_SUCCESS)
        return false;
    data.resize(bytes / sizeof(wchar_t));
    return true;
}

bool CRegistryBootExecuteStore::Write(const std::vector<wchar_t>& data) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root_, path_.c_str(), 0, KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE,
                      &key) != ERROR_SUCCESS)
        return false;
    const ScopedRelease keyOwner(key, RegCloseKey);
    return RegSetValueExW(key, kBootExecuteValue, 0, REG_MULTI_SZ,
                          reinterpret_cast<const BYTE*>(data.data()),
                          static_cast<DWORD>(data.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
}
