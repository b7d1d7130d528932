// The running application's per-user settings under HKEY_CURRENT_USER, product key + title.
// Every access opens the key, does one thing and closes it again.
#pragma once

#include <windows.h>

#include <classlib/Object.h>
#include <classlib/String.h>

#include "CritSecLock.h"

class CConfigurationManager : public CObject {
    DECLARE_DYNAMIC(CConfigurationManager)
public:
    CConfigurationManager();
    explicit CConfigurationManager(const CString& key);
    ~CConfigurationManager() override;

    const CString& GetKey() const { return key_; }

    // 0 when the value is missing or not a REG_DWORD.
    DWORD GetDword(LPCWSTR name);
    [[nodiscard]] bool ReadDword(LPCWSTR name, DWORD& value);
    [[nodiscard]] bool SetDword(LPCWSTR name, DWORD value);
    // A text held in a ring of eight shared by every manager: valid until eight further
    // calls, so callers copy it at once. Empty when the value is missing.
    LPCWSTR GetString(LPCWSTR name);
    // Whether the value exists; `text` (trimmed) only sizes the read buffer.
    [[nodiscard]] bool ReadString(LPCWSTR name, const CString& text);
    [[nodiscard]] bool SetString(LPCWSTR name, LPCWSTR text);
    ULONGLONG GetQword(LPCWSTR name);
    // Writes into an existing key only.
    [[nodiscard]] bool SetQword(LPCWSTR name, DWORD low, DWORD high);

private:
    CCritSecLock lock_;
    CString key_;
};

// A manager for the application's key "Software\Halvenor\Xarn\" + the trimmed title.
CConfigurationManager* CreateConfigurationManager(LPCWSTR title);
// A manager with an empty key.
CConfigurationManager* CreateEmptyConfigurationManager();
