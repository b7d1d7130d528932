#include "PhysicalDiskReader.h"

#include "AtaFeatures.h"
#include "AtaIdentify.h"
#include "DiskTexts.h"

#include <classlib/String.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr DWORD kIdentifyOutputBytes = 528;
constexpr DWORD kAttributeValuesOutputBytes = 65536;
constexpr DWORD kThresholdsOutputBytes = 528;
constexpr DWORD kCommandInputBytes = offsetof(SENDCMDINPARAMS, bBuffer);
constexpr DWORD kReplyDataOffset = offsetof(SENDCMDOUTPARAMS, bBuffer);

struct AtaCommand {
    DWORD controlCode;
    BYTE features, count, number, cylLow, cylHigh, command;
    DWORD bufferSize;
    DWORD outputBytes;
};

constexpr AtaCommand kSmartEnable{
    SMART_SEND_DRIVE_COMMAND, 0xD8, 1, 1, SMART_CYL_LOW, SMART_CYL_HI, SMART_CMD, 0, 17};
constexpr AtaCommand kReadAttributeValues{
    SMART_RCV_DRIVE_DATA,       0xD0, 1, 1, SMART_CYL_LOW, SMART_CYL_HI, SMART_CMD, 512,
    kAttributeValuesOutputBytes};
constexpr AtaCommand kReadThresholds{SMART_RCV_DRIVE_DATA,  0xD1,         1,         1,
                                     SMART_CYL_LOW,         SMART_CYL_HI, SMART_CMD, 512,
                                     kThresholdsOutputBytes};

// Sends one ATA command; the reply (zeroed first) is in `output`.
bool SendAtaCommand(CDiskApi& api, HANDLE drive, int driveNumber, const AtaCommand& c,
                    std::vector<BYTE>& output) {
    SENDCMDINPARAMS input{};
    input.cBufferSize = c.bufferSize;
    input.irDriveRegs = {c.features, c.count,   c.number,
                         c.cylLow,   c.cylHigh, static_cast<BYTE>(driveNumber & 1 ? 0xB0 : 0xA0),
                         c.command,  0};
    input.bDriveNumber = static_cast<BYTE>(driveNumber);
    output.assign(c.outputBytes, 0);
    DWORD returned = 0;
    return api.DeviceIoControl(drive, c.controlCode, &input, kCommandInputBytes, output.data(),
                               c.outputBytes, &returned) != FALSE;
}

void ClearDriveRecord(PhysicalDriveInfo& drive) {
    memset(&drive, 0, sizeof(drive));
    drive.driveNumber = -1;
    for (SmartAttributeText& slot : drive.attributes)
        slot.id = -1;
}

bool ListsDrive(const VolumeEntry& entry, int driveNumber) {
    for (int32_t disk : entry.diskNumbers)
        if (disk == driveNumber)
            return true;
    return false;
}

const wchar_t* FileSystemOfType(uint8_t type) {
    switch (type) {
    case 1:
        return L"FAT12";
    case 4:
        return L"FAT16";
    case 6:
        return L"FAT";
    case 7:
        return L"NTFS";
    case 11:
    case 12:
        return L"FAT32";
    default:
        return L"N/A";
    }
}

// A descriptor string at an offset (0: absent), at most 127 bytes, trimmed.
CString DescriptorString(const std::vector<BYTE>& descriptor, DWORD offset, DWORD size) {
    if (offset == 0 || offset >= size)
        return CString();
    const char* start = reinterpret_cast<const char*>(descriptor.data() + offset);
    const size_t length = strnlen(start, std::min<size_t>(127, size - offset));
    CString text;
    for (size_t i = 0; i < length; ++i)
        text += static_cast<wchar_t>(static_cast<unsigned char>(start[i]));
    text.Trim();
    return text;
}

// The name the combo boxes list for a drive without IDENTIFY data.
void SetDescriptorName(CDiskApi& api, HANDLE drive, PhysicalDriveInfo& info,
                       const wchar_t* sizeText) {
    STORAGE_PROPERTY_QUERY query{};
    query.PropertyId = StorageDeviceProperty;
    query.QueryType = PropertyStandardQuery;
    std::vector<BYTE> descriptor(4096, 0);
    DWORD returned = 0;
    CString vendor, product, revision;
    if (api.DeviceIoControl(drive, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof(query),
                            descriptor.data(), static_cast<DWORD>(descriptor.size()), &returned) &&
        returned >= offsetof(STORAGE_DEVICE_DESCRIPTOR, RawDeviceProperties)) {
        STORAGE_DEVICE_DESCRIPTOR header{};
        memcpy(&header, descriptor.data(),
               offsetof(STORAGE_DEVICE_DESCRIPTOR, RawDeviceProperties));
        vendor = DescriptorString(descriptor, header.VendorIdOffset, returned);
        product = DescriptorString(descriptor, header.ProductIdOffset, returned);
        revision = DescriptorString(descriptor, header.ProductRevisionOffset, returned);
    }
    CString name;
    // A descriptor without any string (Wine answers so) names the drive by its number, as a
    // failed query does, rather than by blanks.
    if (vendor.IsEmpty() && product.IsEmpty() && revision.IsEmpty())
        name.Format(L"HDD%u (%s)", static_cast<unsigned>(info.driveNumber), sizeText);
    else
        name.Format(L"%s %s %s (%s)", static_cast<LPCWSTR>(vendor), static_cast<LPCWSTR>(product),
                    static_cast<LPCWSTR>(revision), sizeText);
    SetField(info.displayName, name);
}

// Identity strings, sizes and display name (step 8 of the drive reading).
void SetIdentityAndSizes(CDiskApi& api, HANDLE drive, const BYTE* identify,
                         const uint16_t (&words)[256], PhysicalDriveInfo& info) {
    const uint64_t capacity = info.totalSectors * info.bytesPerSector;
    // One size text for the drive: the name shows the capacity as the Capacity field and the
    // volume list do (units of 1024), not the same bytes rounded in units of 1000.
    FormatSizeShort(1024, capacity, info.capacityText);
    if (!identify) {
        SetField(info.bufferSizeText, L"N/A");
        SetDescriptorName(api, drive, info, info.capacityText);
        return;
    }
    DecodeIdentityStrings(identify, info);
    info.bufferSize = words[21] * info.bytesPerSector;
    FormatSizeShort(1024, info.bufferSize, info.bufferSizeText);
    CString name;
    name.Format(L"%s (%s)", info.model, info.capacityText);
    SetField(info.displayName, name);
}

uint64_t LbaSectorCount(const uint16_t (&words)[256]) {
    if (words[83] & (1u << 10))
        return uint64_t{words[100]} | uint64_t{words[101]} << 16 | uint64_t{words[102]} << 32 |
               uint64_t{words[103]} << 48;
    return uint64_t{words[60]} | uint64_t{words[61]} << 16;
}

void ReadDrive(CDiskApi& api, int driveNumber, PhysicalDriveInfo& info,
               VolumeEntry (&volumes)[kMaxVolumeEntries]) {
    const CDiskHandle drive = OpenPhysicalDrive(api, driveNumber);
    if (!drive.IsValid())
        return;
    DISK_GEOMETRY geometry{};
    DWORD returned = 0;
    if (!api.DeviceIoControl(drive.Get(), IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, &geometry,
                             sizeof(geometry), &returned))
        return;
    info.driveNumber = driveNumber;
    info.bytesPerSector = geometry.BytesPerSector;
    info.sectorsPerTrack = geometry.SectorsPerTrack;
    info.tracksPerCylinder = geometry.TracksPerCylinder;
    info.cylinders = static_cast<uint64_t>(geometry.Cylinders.QuadPart);
    info.totalSectors = info.cylinders * info.tracksPerCylinder * info.sectorsPerTrack;

    ReadPartitionLayout(api, drive.Get(), driveNumber, volumes);

    GETVERSIONINPARAMS version{};
    bool haveVersion = api.DeviceIoControl(drive.Get(), SMART_GET_VERSION, nullptr, 0, &version,
                                           sizeof(version), &returned) != FALSE;
    info.smartCapable = haveVersion;
    std::vector<BYTE> identifyReply;
    bool haveIdentify = false;
    if (haveVersion && SendAtaCommand(api, drive.Get(), driveNumber, kSmartEnable, identifyReply)) {
        const bool packet = (version.bIDEDeviceMap >> driveNumber) & 0x10;
        const AtaCommand identify{SMART_RCV_DRIVE_DATA,
                                  0,
                                  1,
                                  1,
                                  0,
                                  0,
                                  static_cast<BYTE>(packet ? ATAPI_ID_CMD : ID_CMD),
                                  512,
                                  kIdentifyOutputBytes};
        haveIdentify = SendAtaCommand(api, drive.Get(), driveNumber, identify, identifyReply) &&
                       ReadSmartAttributes(api, drive.Get(), driveNumber, info.attributes);
    }
    const BYTE* identify = haveIdentify ? identifyReply.data() + kReplyDataOffset : nullptr;
    uint16_t words[256] = {};
    if (identify) {
        IdentifyWords(identify, words);
        DecodeAtaFeatures(words, info);
        info.lbaSectorCount = LbaSectorCount(words);
    }
    SetIdentityAndSizes(api, drive.Get(), identify, words, info);
    SetDefaultModeTexts(info);
    if (identify)
        DecodeModeTexts(words, version.fCapabilities, info);
}

} // namespace

CDiskHandle OpenPhysicalDrive(CDiskApi& api, int driveNumber) {
    wchar_t path[32];
    _snwprintf(path, 32, L"\\\\.\\PHYSICALDRIVE%d", driveNumber % 256);
    return CDiskHandle(api, api.CreateFileW(path, GENERIC_READ | GENERIC_WRITE,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE,
                                            FILE_FLAG_WRITE_THROUGH | FILE_FLAG_NO_BUFFERING |
                                                FILE_FLAG_RANDOM_ACCESS));
}

bool ReadSmartAttributes(CDiskApi& api, HANDLE drive, int driveNumber,
                         SmartAttributeText (&slots)[kSmartAttributeSlots]) {
    std::vector<BYTE> values, thresholds;
    if (!SendAtaCommand(api, drive, driveNumber, kReadAttributeValues, values) ||
        !SendAtaCommand(api, drive, driveNumber, kReadThresholds, thresholds))
        return false;
    ParseSmartAttributes(values.data() + kReplyDataOffset, thresholds.data() + kReplyDataOffset,
                         slots);
    return true;
}

void ReadPartitionLayout(CDiskApi& api, HANDLE drive, int driveNumber,
                         VolumeEntry (&volumes)[kMaxVolumeEntries]) {
    std::vector<BYTE> buffer(65536, 0);
    DWORD returned = 0;
    if (!api.DeviceIoControl(drive, IOCTL_DISK_GET_DRIVE_LAYOUT_EX, nullptr, 0, buffer.data(),
                             static_cast<DWORD>(buffer.size()), &returned))
        return;
    const size_t header = offsetof(DRIVE_LAYOUT_INFORMATION_EX, PartitionEntry);
    DWORD count = 0;
    memcpy(&count, buffer.data() + offsetof(DRIVE_LAYOUT_INFORMATION_EX, PartitionCount),
           sizeof(count));
    // Only the entries that lie in what the call returned.
    const size_t present =
        returned > header ? (returned - header) / sizeof(PARTITION_INFORMATION_EX) : 0;
    for (size_t i = 0; i < std::min<size_t>(count, present); ++i) {
        PARTITION_INFORMATION_EX entry{};
        memcpy(&entry, buffer.data() + header + i * sizeof(entry), sizeof(entry));
        if (entry.PartitionStyle != PARTITION_STYLE_MBR)
            continue;
        const uint8_t type = entry.Mbr.PartitionType;
        if (type == 0 || type == 5 || type == 15)
            continue;
        bool known = false;
        for (const VolumeEntry& volume : volumes)
            if (volume.index != -1 && volume.partitionNumber == entry.PartitionNumber &&
                ListsDrive(volume, driveNumber))
                known = true;
        if (known)
            continue;
        int free = 0;
        while (free < kMaxVolumeEntries && volumes[free].index != -1)
            ++free;
        if (free == kMaxVolumeEntries)
            return;
        VolumeEntry& added = volumes[free];
        added.index = free;
        added.diskNumbers[0] = driveNumber;
        added.startingOffset = static_cast<uint64_t>(entry.StartingOffset.QuadPart);
        added.partitionLength = static_cast<uint64_t>(entry.PartitionLength.QuadPart);
        added.partitionNumber = entry.PartitionNumber;
        added.bootIndicator = entry.Mbr.BootIndicator;
        added.partitionType = type;
        added.totalBytes = added.freeBytes = added.partitionLength;
        FormatSizeShort(1024, added.partitionLength, added.sizeText);
        SetField(added.path, L"N/A");
        SetField(added.label, L"N/A");
        SetField(added.usedText, L"N/A");
        SetField(added.fileSystem, FileSystemOfType(type));
    }
}

int ReadPhysicalDrivesInfo(CDiskApi& api, PhysicalDriveInfo (&drives)[kMaxPhysicalDrives],
                           VolumeEntry (&volumes)[kMaxVolumeEntries]) {
    for (PhysicalDriveInfo& drive : drives)
        ClearDriveRecord(drive);
    for (int number = 0; number < kMaxPhysicalDrives; ++number)
        ReadDrive(api, number, drives[number], volumes);
    return 1;
}
