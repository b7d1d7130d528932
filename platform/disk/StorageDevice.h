// One Plug and Play device of the devices list: its class description, its name and the
// registry properties read for it.
#pragma once

#include <string>

#include <windows.h>

// Each property keeps its default when it cannot be read; multi-texts are joined by ";".
struct DeviceProperties {
    DWORD address = static_cast<DWORD>(-1);
    DWORD busNumber = static_cast<DWORD>(-1);
    GUID busTypeGuid{};
    DWORD capabilities = 0;
    DWORD characteristics = 0;
    std::wstring className;
    std::wstring classGuid;
    std::wstring compatibleIds;
    DWORD configFlags = 0;
    std::wstring deviceDescription;
    DWORD deviceType = 0;
    std::wstring driver;
    std::wstring enumeratorName;
    DWORD exclusive = static_cast<DWORD>(-1);
    std::wstring friendlyName;
    std::wstring hardwareId;
    DWORD legacyBusType = static_cast<DWORD>(-2);
    std::wstring locationInformation;
    std::wstring lowerFilters;
    std::wstring manufacturer;
    std::wstring physicalDeviceObjectName;
    DWORD removalPolicy = 0;
    DWORD removalPolicyHwDefault = 0;
    DWORD removalPolicyOverride = 0;
    std::wstring securityDescriptor;
    std::wstring service;
    std::wstring uiNumber;
    std::wstring upperFilters;
};

struct StorageDevice {
    std::wstring classDescription;
    // The friendly name, or else the device description.
    std::wstring name;
    DeviceProperties properties;
};
