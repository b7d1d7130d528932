// The devices list of the simulated disks: a disk drive for each disk, and for a USB drive
// the USB mass-storage device it hangs on.
#include "SimDiskApi.h"

namespace {

std::wstring Widen(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

StorageDevice DiskDriveDevice(uint32_t number, const SimDiskDescription& disk) {
    StorageDevice device;
    device.classDescription = L"Disk drives";
    DeviceProperties& p = device.properties;
    p.className = L"DiskDrive";
    p.classGuid = L"{4d36e967-e325-11ce-bfc1-08002be10318}";
    p.deviceDescription = L"Disk drive";
    p.friendlyName =
        disk.model.empty() ? Widen(disk.vendor + " " + disk.product) : Widen(disk.model);
    p.enumeratorName = disk.usb ? L"USBSTOR" : L"IDE";
    p.hardwareId = (disk.usb ? L"USBSTOR\\Disk" : L"IDE\\Disk") + p.friendlyName + L";GenDisk";
    p.service = L"disk";
    p.manufacturer = L"(Standard disk drives)";
    p.address = number;
    p.busNumber = 0;
    p.deviceType = FILE_DEVICE_DISK;
    p.capabilities = disk.usb ? 0x10 | 0x4 | 0x80 : 0x10; // UniqueID, Removable, SurpriseRemovalOK
    p.removalPolicy = disk.usb ? 3 : 1;
    device.name = p.friendlyName;
    return device;
}

StorageDevice UsbStorageDevice(uint32_t number) {
    StorageDevice device;
    device.classDescription = L"Universal Serial Bus controllers";
    DeviceProperties& p = device.properties;
    p.className = L"USB";
    p.classGuid = L"{36fc9e60-c465-11cf-8056-444553540000}";
    p.deviceDescription = L"USB Mass Storage Device";
    p.enumeratorName = L"USB";
    p.service = L"USBSTOR";
    p.address = number;
    p.locationInformation = L"Port_#000" + std::to_wstring(number + 1);
    device.name = p.deviceDescription;
    return device;
}

} // namespace

bool CSimDiskApi::EnumerateStorageDevices(bool usbOnly, std::vector<StorageDevice>& devices) {
    std::lock_guard lock(mutex_);
    devices.clear();
    for (const auto& [number, disk] : disks_) {
        if (disk.description.usb)
            devices.push_back(UsbStorageDevice(number));
        if (!usbOnly)
            devices.push_back(DiskDriveDevice(number, disk.description));
    }
    return true;
}
