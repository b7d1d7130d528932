#include "UpdateServer.h"

#include "ProductIdentity.h"
#include "Registry.h"

namespace {
constexpr wchar_t kDefaultServer[] = L"updates.halvenor.com";
}

CString GetUpdateServerAddress() {
    CRegistry registry(HKEY_LOCAL_MACHINE);
    registry.SetAccess(KEY_READ);
    CString server;
    if (registry.Open(HKEY_LOCAL_MACHINE, GetProductRegistryKey(), false) &&
        registry.ReadString(L"UpdateServer", server)) {
        server.Trim();
        if (!server.IsEmpty())
            return server;
    }
    return CString(kDefaultServer);
}

CString MakeUpdateServerUrl(LPCWSTR path) {
    return L"http://" + GetUpdateServerAddress() + L"/" + path;
}
