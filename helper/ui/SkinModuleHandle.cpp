#include "SkinModuleHandle.h"

CSkinModuleHandle::CSkinModuleHandle() = default;

CSkinModuleHandle::CSkinModuleHandle(LPCWSTR name) : m_strName(name) {
    m_hModule = ::GetModuleHandleW(name);
    if (m_hModule != nullptr) {
        m_how = kFound;
        return;
    }
    m_loaded.Reset(::LoadLibraryW(name));
    m_hModule = m_loaded.Get();
    if (m_hModule != nullptr)
        m_how = kLoaded;
}

CSkinModuleHandle::~CSkinModuleHandle() {
    Free();
}

void CSkinModuleHandle::Free() {
    m_loaded.Reset();
    m_hModule = nullptr;
    m_how = kNone;
    m_strName.Empty();
}

DWORD CSkinModuleHandle::QueryVersion() {
    if (m_version.cbSize == 0) {
        m_version.cbSize = sizeof(m_version);
        const auto getVersion = m_hModule != nullptr
                                    ? reinterpret_cast<DLLGETVERSIONPROC>(reinterpret_cast<void*>(
                                          ::GetProcAddress(m_hModule, "DllGetVersion")))
                                    : nullptr;
        if (getVersion == nullptr || FAILED(getVersion(&m_version)))
            return 0;
    }
    return m_version.dwMajorVersion * 65536 + (m_version.dwMinorVersion & 0xFFFF);
}

BOOL ShellHasVersion5() {
    static const BOOL hasVersion5 = [] {
        CSkinModuleHandle shell(L"shell32.dll");
        return shell.QueryVersion() > 0x4FFFF ? TRUE : FALSE;
    }();
    return hasVersion5;
}
