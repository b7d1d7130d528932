// The devices list of a real machine, read through SetupAPI.
#include "WindowsDiskApi.h"

#include <setupapi.h>

namespace {

// Owns a device information set.
struct DeviceInfoSet {
    HDEVINFO set;
    ~DeviceInfoSet() {
        if (set != INVALID_HANDLE_VALUE)
            SetupDiDestroyDeviceInfoList(set);
    }
};

// The raw bytes of a registry property, or empty when it cannot be read.
std::vector<BYTE> ReadProperty(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property) {
    DWORD size = 0;
    SetupDiGetDeviceRegistryPropertyW(set, &device, property, nullptr, nullptr, 0, &size);
    if (size == 0)
        return {};
    std::vector<BYTE> bytes(size);
    if (!SetupDiGetDeviceRegistryPropertyW(set, &device, property, nullptr, bytes.data(), size,
                                           nullptr))
        return {};
    return bytes;
}

// A text or multi-text property: every zero between strings becomes ";".
std::wstring ReadText(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property) {
    const std::vector<BYTE> bytes = ReadProperty(set, device, property);
    std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
    while (!text.empty() && text.back() == L'\0')
        text.pop_back();
    for (wchar_t& c : text)
        if (c == L'\0')
            c = L';';
    return text;
}

void ReadNumber(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property, DWORD& value) {
    const std::vector<BYTE> bytes = ReadProperty(set, device, property);
    if (bytes.size() >= sizeof(DWORD))
        memcpy(&value, bytes.data(), sizeof(DWORD));
}

DeviceProperties ReadProperties(HDEVINFO set, SP_DEVINFO_DATA& device) {
    DeviceProperties p;
    ReadNumber(set, device, SPDRP_ADDRESS, p.address);
    ReadNumber(set, device, SPDRP_BUSNUMBER, p.busNumber);
    const std::vector<BYTE> guid = ReadProperty(set, device, SPDRP_BUSTYPEGUID);
    if (guid.size() >= sizeof(GUID))
        memcpy(&p.busTypeGuid, guid.data(), sizeof(GUID));
    ReadNumber(set, device, SPDRP_CAPABILITIES, p.capabilities);
    ReadNumber(set, device, SPDRP_CHARACTERISTICS, p.characteristics);
    p.className = ReadText(set, device, SPDRP_CLASS);
    p.classGuid = ReadText(set, device, SPDRP_CLASSGUID);
    p.compatibleIds = ReadText(set, device, SPDRP_COMPATIBLEIDS);
    ReadNumber(set, device, SPDRP_CONFIGFLAGS, p.configFlags);
    p.deviceDescription = ReadText(set, device, SPDRP_DEVICEDESC);
    ReadNumber(set, device, SPDRP_DEVTYPE, p.deviceType);
    p.driver = ReadText(set, device, SPDRP_DRIVER);
    p.enumeratorName = ReadText(set, device, SPDRP_ENUMERATOR_NAME);
    ReadNumber(set, device, SPDRP_EXCLUSIVE, p.exclusive);
    p.friendlyName = ReadText(set, device, SPDRP_FRIENDLYNAME);
    p.hardwareId = ReadText(set, device, SPDRP_HARDWAREID);
    ReadNumber(set, device, SPDRP_LEGACYBUSTYPE, p.legacyBusType);
    p.locationInformation = ReadText(set, device, SPDRP_LOCATION_INFORMATION);
    p.lowerFilters = ReadText(set, device, SPDRP_LOWERFILTERS);
    p.manufacturer = ReadText(set, device, SPDRP_MFG);
    p.physicalDeviceObjectName = ReadText(set, device, SPDRP_PHYSICAL_DEVICE_OBJECT_NAME);
    ReadNumber(set, device, SPDRP_REMOVAL_POLICY, p.removalPolicy);
    ReadNumber(set, device, SPDRP_REMOVAL_POLICY_HW_DEFAULT, p.removalPolicyHwDefault);
    ReadNumber(set, device, SPDRP_REMOVAL_POLICY_OVERRIDE, p.removalPolicyOverride);
    p.securityDescriptor = ReadText(set, device, SPDRP_SECURITY_SDS);
    p.service = ReadText(set, device, SPDRP_SERVICE);
    p.uiNumber = ReadText(set, device, SPDRP_UI_NUMBER);
    p.upperFilters = ReadText(set, device, SPDRP_UPPERFILTERS);
    return p;
}

bool IsListedClass(const std::wstring& className, bool usbOnly) {
    if (_wcsicmp(className.c_str(), L"USB") == 0)
        return true;
    if (usbOnly)
        return false;
    for (const wchar_t* storage : {L"hdc", L"DiskDrive", L"SCSIAdapter"})
        if (_wcsicmp(className.c_str(), storage) == 0)
            return true;
    return false;
}

// Whether an interface of the device's class can be made and its detail path read.
bool HasInterfacePath(HDEVINFO set, SP_DEVINFO_DATA& device) {
    SP_DEVICE_INTERFACE_DATA interfaceData{};
    interfaceData.cbSize = sizeof(interfaceData);
    if (!SetupDiCreateDeviceInterfaceW(set, &device, &device.ClassGuid, nullptr, 0, &interfaceData))
        return false;
    DWORD size = 0;
    SetupDiGetDeviceInterfaceDetailW(set, &interfaceData, nullptr, 0, &size, nullptr);
    if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W))
        return false;
    std::vector<BYTE> detailBytes(size);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(detailBytes.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    return SetupDiGetDeviceInterfaceDetailW(set, &interfaceData, detail, size, nullptr, nullptr);
}

} // namespace

bool CWindowsDiskApi::EnumerateStorageDevices(bool usbOnly, std::vector<StorageDevice>& devices) {
    devices.clear();
    const DeviceInfoSet set{SetupDiGetClassDevsW(nullptr, nullptr, nullptr,
                                                 DIGCF_PRESENT | DIGCF_ALLCLASSES | DIGCF_PROFILE)};
    if (set.set == INVALID_HANDLE_VALUE)
        return false;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof(device);
    for (DWORD index = 0; SetupDiEnumDeviceInfo(set.set, index, &device); ++index) {
        const std::wstring className = ReadText(set.set, device, SPDRP_CLASS);
        if (!IsListedClass(className, usbOnly))
            continue;
        DWORD size = 0;
        SetupDiGetClassDescriptionW(&device.ClassGuid, nullptr, 0, &size);
        std::wstring description(size + 1, L'\0');
        if (size == 0 ||
            !SetupDiGetClassDescriptionW(&device.ClassGuid, description.data(), size + 1, nullptr))
            continue;
        description.resize(wcsnlen(description.c_str(), description.size()));
        size = 0;
        SetupDiGetDeviceInstanceIdW(set.set, &device, nullptr, 0, &size);
        std::wstring instanceId(size + 1, L'\0');
        if (size == 0 ||
            !SetupDiGetDeviceInstanceIdW(set.set, &device, instanceId.data(), size + 1, nullptr))
            continue;
        if (!HasInterfacePath(set.set, device))
            continue;
        StorageDevice entry;
        entry.classDescription = description;
        entry.properties = ReadProperties(set.set, device);
        entry.name = entry.properties.friendlyName.empty() ? entry.properties.deviceDescription
                                                           : entry.properties.friendlyName;
        if (entry.name.empty())
            continue;
        devices.push_back(std::move(entry));
    }
    return true;
}
