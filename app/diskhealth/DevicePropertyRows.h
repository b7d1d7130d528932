// The property rows the devices tab shows for one device: each property that holds a value,
// in a fixed order, with flags, bus types and device types named.
#pragma once

#include <StorageDevice.h>

#include <string>
#include <utility>
#include <vector>

using DevicePropertyRow = std::pair<std::wstring, std::wstring>;

std::vector<DevicePropertyRow> DevicePropertyRows(const DeviceProperties& properties);

// The names of the set bits of a capabilities or configuration flag word, joined by ", ".
std::wstring CapabilityNames(DWORD capabilities);
std::wstring ConfigFlagNames(DWORD configFlags);
// FILE_DEVICE_ codes 1 to 58 by name; any other code "Unknown".
std::wstring DeviceTypeName(DWORD type);
