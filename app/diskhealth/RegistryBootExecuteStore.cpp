#include "RegistryBootExecuteStore.h"

#include <owners/WinOwners.h>

bool CRegistryBootExecuteStore::Read(std::vector<wchar_t>& data) {
    RegistryKey key;
    if (RegOpenKeyExW(root_, path_.c_str(), 0, KEY_QUERY_VALUE, key.Put()) != ERROR_SUCCESS)
        return false;
    data.assign(kBootExecuteMaxBytes / sizeof(wchar_t), L'\0');
    DWORD bytes = kBootExecuteMaxBytes;
    if (RegQueryValueExW(key.Get(), kBootExecuteValue, nullptr, nullptr,
                         reinterpret_cast<BYTE*>(data.data()), &bytes) != ERROR_SUCCESS)
        return false;
    data.resize(bytes / sizeof(wchar_t));
    return true;
}

bool CRegistryBootExecuteStore::Write(const std::vector<wchar_t>& data) {
    RegistryKey key;
    if (RegOpenKeyExW(root_, path_.c_str(), 0, KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE,
                      key.Put()) != ERROR_SUCCESS)
        return false;
    return RegSetValueExW(key.Get(), kBootExecuteValue, 0, REG_MULTI_SZ,
                          reinterpret_cast<const BYTE*>(data.data()),
                          static_cast<DWORD>(data.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
}
