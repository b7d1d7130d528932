#include "SimulatedVolumeConfig.h"

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
    LONG status =
        RegGetValueW(parameters, nullptr, name.c_str(), RRF_RT_REG_SZ, nullptr, nullptr, &bytes);
    if (status == ERROR_FILE_NOT_FOUND)
        return std::nullopt;
    // RegGetValueW terminates what it reads, whatever the value holds.
    std::wstring path(status == ERROR_SUCCESS ? bytes / sizeof(wchar_t) + 1 : 0, L'\0');
    if (status == ERROR_SUCCESS) {
        bytes = static_cast<DWORD>(path.size() * sizeof(wchar_t));
        status = RegGetValueW(parameters, nullptr, name.c_str(), RRF_RT_REG_SZ, nullptr,
                              path.data(), &bytes);
    }
    path.resize(status == ERROR_SUCCESS ? wcsnlen(path.c_str(), path.size()) : 0);
    return path;
}

std::optional<std::wstring> FindSimulatedVolumeImage(wchar_t drive) {
    HKEY parameters = nullptr;
    const LONG status =
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, kServiceParametersKey, 0, KEY_QUERY_VALUE, &parameters);
    if (status == ERROR_FILE_NOT_FOUND)
        return std::nullopt;
    if (status != ERROR_SUCCESS)
        return std::wstring(); // a key that is there but cannot be read fails the run
    std::optional<std::wstring> image = ReadSimulatedVolumeImage(parameters, drive);
    RegCloseKey(parameters);
    return image;
}
