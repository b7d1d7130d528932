#include "SimulatedVolumeConfig.h"

#include <owners/WinOwners.h>

namespace {

bool IsDriveLetter(wchar_t drive) {
    return (drive >= L'A' && drive <= L'Z') || (drive >= L'a' && drive <= L'z');
}

} // namespace

std::wstring SimulatedVolumeValueName(wchar_t drive) {
    return std::wstring(L"SimulatedVolume") + drive;
}

std::optional<std::wstring> ReadSimulatedVolumeImage(HKEY parameters, wchar_t drive) {
    if (!IsDriveLetter(drive))
        return std::nullopt;
    const std::wstring name = SimulatedVolumeValueName(drive);
    DWORD bytes = 0;
    const LONG status =
        RegGetValueW(parameters, nullptr, name.c_str(), RRF_RT_REG_SZ, nullptr, nullptr, &bytes);
    if (status == ERROR_FILE_NOT_FOUND)
        return std::nullopt;
    // A value that is there but unusable gives the empty path, which fails the run.
    if (status != ERROR_SUCCESS)
        return std::wstring();
    // RegGetValueW terminates what it reads, whatever the value holds.
    std::wstring path(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(path.size() * sizeof(wchar_t));
    if (RegGetValueW(parameters, nullptr, name.c_str(), RRF_RT_REG_SZ, nullptr, path.data(),
                     &bytes) != ERROR_SUCCESS)
        return std::wstring();
    path.resize(wcsnlen(path.c_str(), path.size()));
    return path;
}

std::optional<std::wstring> FindSimulatedVolumeImage(wchar_t drive) {
    RegistryKey parameters;
    const LONG status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kServiceParametersKey, 0, KEY_QUERY_VALUE,
                                      parameters.Put());
    if (status == ERROR_FILE_NOT_FOUND)
        return std::nullopt;
    if (status != ERROR_SUCCESS)
        return std::wstring(); // a key that is there but cannot be read fails the run
    return ReadSimulatedVolumeImage(parameters.Get(), drive);
}
