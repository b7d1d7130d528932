// CSkinModuleHandle: a module handle that knows whether it must free the module, and reports
// the module's version (DllGetVersion).
#pragma once

#include <windows.h>

#include <shlwapi.h>

#include <classlib/String.h>
#include <owners/OwnerTraits.h>

class CSkinModuleHandle {
public:
    CSkinModuleHandle();
    // The module already loaded under that name, else loaded (and freed again later).
    explicit CSkinModuleHandle(LPCWSTR name);
    virtual ~CSkinModuleHandle();
    CSkinModuleHandle(const CSkinModuleHandle&) = delete;
    CSkinModuleHandle& operator=(const CSkinModuleHandle&) = delete;

    enum How : DWORD { kNone = 0, kFound = 1, kLoaded = 2 };

    void Free();
    HMODULE Get() const { return m_hModule; }
    DWORD GetHow() const { return m_how; }
    // major * 65536 + minor, or 0 when the module reports none.
    DWORD QueryVersion();

private:
    CString m_strName;
    HMODULE m_hModule = nullptr;
    // Holds the module only when this handle loaded it.
    UniqueResource<owner_traits::Library> m_loaded;
    DWORD m_how = kNone;
    DLLVERSIONINFO m_version{};
};

// Whether the shell is version 5.0 or later; decided once per process.
BOOL ShellHasVersion5();
