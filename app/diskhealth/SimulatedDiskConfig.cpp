#include "SimulatedDiskConfig.h"

#include "PhysicalDiskTable.h"

#include <SimDiskApi.h>
#include <WindowsDiskApi.h>
#include <ProductIdentity.h>
#include <owners/WinOwners.h>

namespace {

// The path a value holds; empty when it is missing or unreadable.
std::wstring ReadPath(HKEY key, const std::wstring& name) {
    DWORD bytes = 0;
    if (RegGetValueW(key, nullptr, name.c_str(), RRF_RT_REG_SZ, nullptr, nullptr, &bytes) !=
        ERROR_SUCCESS)
        return {};
    std::wstring path(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(path.size() * sizeof(wchar_t));
    if (RegGetValueW(key, nullptr, name.c_str(), RRF_RT_REG_SZ, nullptr, path.data(), &bytes) !=
        ERROR_SUCCESS)
        return {};
    path.resize(wcsnlen(path.c_str(), path.size()));
    return path;
}

} // namespace

std::wstring SimulatedDiskValueName(int driveNumber) {
    return L"SimulatedDisk" + std::to_wstring(driveNumber);
}

std::unique_ptr<CDiskApi> CreateSimulatedDiskApi(HKEY key) {
    auto api = std::make_unique<CSimDiskApi>();
    bool configured = false;
    for (int number = 0; number < kMaxPhysicalDrives; ++number) {
        const std::wstring name = SimulatedDiskValueName(number);
        if (RegGetValueW(key, nullptr, name.c_str(), RRF_RT_ANY, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            continue;
        configured = true;
        const std::wstring path = ReadPath(key, name);
        if (path.empty())
            continue;
        std::optional<SimDiskDescription> description = LoadSimDiskDescription(path);
        if (description &&
            api->AddDisk(static_cast<uint32_t>(number), std::move(*description)) != ERROR_SUCCESS)
            continue; // its backing file cannot be opened: the drive stays empty
    }
    return configured ? std::move(api) : nullptr;
}

std::unique_ptr<CDiskApi> CreateConfiguredDiskApi() {
    RegistryKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, GetProductRegistryKey(), 0, KEY_QUERY_VALUE, key.Put()) ==
        ERROR_SUCCESS) {
        if (std::unique_ptr<CDiskApi> simulated = CreateSimulatedDiskApi(key.Get()))
            return simulated;
    }
    return std::make_unique<CWindowsDiskApi>();
}
