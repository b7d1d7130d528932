#include "ConfigurationManager.h"

#include "Paths.h"
#include "ProductIdentity.h"
#include "Registry.h"

#include <owners/WinOwners.h>

#include <algorithm>
#include <new>
#include <vector>

IMPLEMENT_DYNAMIC(CConfigurationManager, CObject)

namespace {

// The text getter's results, shared by every manager and thread.
struct ResultRing {
    CCritSecLock lock;
    CString slots[8];
    int index = 0;
};

ResultRing& Ring() {
    static ResultRing ring;
    return ring;
}

} // namespace

CConfigurationManager::CConfigurationManager() = default;

CConfigurationManager::CConfigurationManager(const CString& key) : key_(key) {}

CConfigurationManager::~CConfigurationManager() = default;

DWORD CConfigurationManager::GetDword(LPCWSTR name) {
    if (!RegValueExistsAt(HKEY_CURRENT_USER, key_, name))
        return 0;
    return RegReadDwordAt(HKEY_CURRENT_USER, key_, name);
}

bool CConfigurationManager::ReadDword(LPCWSTR name, DWORD& value) {
    if (!RegValueExistsAt(HKEY_CURRENT_USER, key_, name))
        return false;
    value = RegReadDwordAt(HKEY_CURRENT_USER, key_, name);
    return true;
}

bool CConfigurationManager::SetDword(LPCWSTR name, DWORD value) {
    return RegWriteDwordAt(HKEY_CURRENT_USER, key_, name, value);
}

LPCWSTR CConfigurationManager::GetString(LPCWSTR name) {
    ResultRing& ring = Ring();
    CCritSecGuard guard(ring.lock);
    ring.index = (ring.index + 1) % 8;
    CString& slot = ring.slots[ring.index];
    slot.Empty();
    if (RegValueExistsAt(HKEY_CURRENT_USER, key_, name)) {
        CRegistry registry(HKEY_CURRENT_USER);
        registry.SetAccess(KEY_READ);
        // A value that is not text leaves the slot empty.
        if (registry.Open(HKEY_CURRENT_USER, key_, true))
            static_cast<void>(registry.ReadString(name, slot));
        registry.Close();
    }
    return slot;
}

bool CConfigurationManager::ReadString(LPCWSTR name, const CString& text) {
    if (!RegValueExistsAt(HKEY_CURRENT_USER, key_, name))
        return false;
    CString trimmed(text);
    trimmed.Trim();
    std::vector<wchar_t> buffer(static_cast<size_t>(std::max(trimmed.GetLength() + 1, 260)));
    // The answer is only whether the value exists; what it holds is not kept.
    static_cast<void>(RegReadStringAt(HKEY_CURRENT_USER, key_, name, buffer.data(),
                                      static_cast<int>(buffer.size())));
    return true;
}

bool CConfigurationManager::SetString(LPCWSTR name, LPCWSTR text) {
    return RegWriteStringAt(HKEY_CURRENT_USER, key_, name, text);
}

ULONGLONG CConfigurationManager::GetQword(LPCWSTR name) {
    try {
        RegistryKey key;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, key_, 0, KEY_READ, key.Put()) != ERROR_SUCCESS)
            return 0;
        ULONGLONG value = 0;
        DWORD type = REG_NONE;
        DWORD bytes = sizeof value;
        const bool read =
            RegQueryValueExW(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value),
                             &bytes) == ERROR_SUCCESS &&
            type == REG_QWORD;
        return read ? value : 0;
    } catch (CException* error) {
        error->Delete();
        return 0;
    }
}

bool CConfigurationManager::SetQword(LPCWSTR name, DWORD low, DWORD high) {
    try {
        RegistryKey key;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, key_, 0, KEY_READ | KEY_WRITE, key.Put()) !=
            ERROR_SUCCESS)
            return false;
        const ULONGLONG value = (ULONGLONG{high} << 32) | low;
        return RegSetValueExW(key.Get(), name, 0, REG_QWORD, reinterpret_cast<const BYTE*>(&value),
                              sizeof value) == ERROR_SUCCESS;
    } catch (CException* error) {
        error->Delete();
        return false;
    }
}

CConfigurationManager* CreateConfigurationManager(LPCWSTR title) {
    try {
        CString key;
        BuildProductRegistryKey(key);
        CString trimmed(title);
        trimmed.Trim();
        AppendPath(key, trimmed);
        return new (std::nothrow) CConfigurationManager(key);
    } catch (CException* error) {
        error->Delete();
        return nullptr;
    }
}

CConfigurationManager* CreateEmptyConfigurationManager() {
    return new (std::nothrow) CConfigurationManager;
}
