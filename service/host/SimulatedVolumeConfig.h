// Which drives the service runs on a simulated volume instead of the drive's own volume device
// (under Wine, for one, the volume bitmap cannot be read). The service's own key
// HKLM\SYSTEM\CurrentControlSet\Services\XarnStellmark\Parameters holds one REG_SZ value (or
// REG_EXPAND_SZ, expanded in the service's environment) per such drive, named "SimulatedVolume"
// followed by the drive letter ("SimulatedVolumeT"), whose data is the full path of the volume's
// image file. It is read at the start of every run.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

inline constexpr wchar_t kServiceParametersKey[] =
    L"SYSTEM\\CurrentControlSet\\Services\\XarnStellmark\\Parameters";

// "SimulatedVolume" + the drive letter.
std::wstring SimulatedVolumeValueName(wchar_t drive);

// The image configured for drive under an open parameters key: nullopt when there is no value
// for it (the drive's own volume is used), an empty text when the value is there but holds no
// path (the run must fail rather than touch the real drive).
[[nodiscard]] std::optional<std::wstring> ReadSimulatedVolumeImage(HKEY parameters, wchar_t drive);

// The same under the service's own key; a key that exists but cannot be read is unusable too.
[[nodiscard]] std::optional<std::wstring> FindSimulatedVolumeImage(wchar_t drive);
