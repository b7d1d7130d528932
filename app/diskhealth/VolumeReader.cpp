// The volume table: every volume of the system with its partition, the drives it lies on,
// its label, file system and sizes.
#include "PhysicalDiskReader.h"

#include "DiskTexts.h"

#include <classlib/String.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

void ClearVolumeEntry(VolumeEntry& entry) {
    memset(&entry, 0, sizeof(entry));
    entry.index = -1;
    for (int32_t& disk : entry.diskNumbers)
        disk = -1;
}

// The entry's path: the volume's first mount path, else its name.
void ReadVolumePath(CDiskApi& api, VolumeEntry& entry, const wchar_t* name) {
    std::vector<wchar_t> paths(65536, L'\0');
    DWORD returned = 0;
    if (!api.GetVolumePathNamesForVolumeNameW(name, paths.data(), static_cast<DWORD>(paths.size()),
                                              &returned))
        paths[0] = L'\0';
    SetField(entry.path, paths[0] ? paths.data() : name);
    DiskInfoTrace(L"%s; %s", name, paths.data());
}

// Fills the entry of a fixed or removable MBR volume; false (the entry keeps only its path)
// for any other.
bool ReadVolumeDetails(CDiskApi& api, const wchar_t* name, int k, VolumeEntry& entry) {
    const UINT type = api.GetDriveTypeW(name);
    if (type != DRIVE_FIXED && type != DRIVE_REMOVABLE)
        return false;
    std::wstring device = name;
    if (!device.empty() && device.back() == L'\\')
        device.pop_back();
    const CDiskHandle volume(
        api, api.CreateFileW(device.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, 0));
    if (!volume.IsValid())
        return false;
    std::vector<BYTE> buffer(65536, 0);
    DWORD returned = 0;
    PARTITION_INFORMATION_EX partition{};
    if (!api.DeviceIoControl(volume.Get(), IOCTL_DISK_GET_PARTITION_INFO_EX, nullptr, 0,
                             buffer.data(), static_cast<DWORD>(buffer.size()), &returned) ||
        returned < sizeof(partition))
        return false;
    memcpy(&partition, buffer.data(), sizeof(partition));
    if (partition.PartitionStyle != PARTITION_STYLE_MBR || partition.PartitionLength.QuadPart == 0)
        return false;
    entry.startingOffset = static_cast<uint64_t>(partition.StartingOffset.QuadPart);
    entry.bootIndicator = partition.Mbr.BootIndicator;
    entry.partitionType = partition.Mbr.PartitionType;
    entry.partitionLength = static_cast<uint64_t>(partition.PartitionLength.QuadPart);
    entry.partitionNumber = partition.PartitionNumber;

    buffer.assign(buffer.size(), 0);
    if (!api.DeviceIoControl(volume.Get(), IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, nullptr, 0,
                             buffer.data(), static_cast<DWORD>(buffer.size()), &returned))
        return false;
    DWORD extents = 0;
    memcpy(&extents, buffer.data(), sizeof(extents));
    const size_t first = offsetof(VOLUME_DISK_EXTENTS, Extents);
    const size_t inReply = returned > first ? (returned - first) / sizeof(DISK_EXTENT) : 0;
    const size_t kept = std::min<size_t>(std::min<size_t>(extents, inReply), kMaxPhysicalDrives);
    for (size_t i = 0; i < kept; ++i) {
        DISK_EXTENT extent{};
        memcpy(&extent, buffer.data() + first + i * sizeof(extent), sizeof(extent));
        entry.diskNumbers[i] = static_cast<int32_t>(extent.DiskNumber);
    }
    DiskInfoTrace(L"vn=%u; pn=%u; type=%u; boot=%u; start=%I64u; length=%I64u", k,
                  entry.partitionNumber, static_cast<unsigned>(entry.partitionType),
                  static_cast<unsigned>(entry.bootIndicator), entry.startingOffset,
                  entry.partitionLength);

    if (!api.GetVolumeInformationW(name, entry.label, 260, entry.fileSystem, 32))
        entry.label[0] = entry.fileSystem[0] = L'\0';
    ULARGE_INTEGER total{}, free{};
    if (api.GetDiskFreeSpaceExW(name, nullptr, &total, &free)) {
        entry.totalBytes = total.QuadPart;
        entry.freeBytes = free.QuadPart;
    }
    FormatSizeShort(1024, entry.totalBytes, entry.sizeText);
    CString used = L"100 %";
    if (entry.totalBytes != 0)
        used.Format(L"%0.1f %%", static_cast<double>(entry.totalBytes - entry.freeBytes) /
                                     static_cast<double>(entry.totalBytes) * 100.0);
    SetField(entry.usedText, used);
    entry.index = k;
    DiskInfoTrace(L"label=%s; fs=%s; size=%I64u; free=%I64u", entry.label, entry.fileSystem,
                  entry.totalBytes, entry.freeBytes);
    return true;
}

// Closes a volume search when the enumeration ends.
struct VolumeSearch {
    CDiskApi& api;
    HANDLE find;
    ~VolumeSearch() {
        if (find != INVALID_HANDLE_VALUE)
            api.FindVolumeClose(find);
    }
};

} // namespace

int EnumerateVolumes(CDiskApi& api, VolumeEntry (&volumes)[kMaxVolumeEntries]) {
    for (VolumeEntry& entry : volumes)
        ClearVolumeEntry(entry);
    wchar_t name[260] = {};
    const VolumeSearch search{api, api.FindFirstVolumeW(name, 260)};
    if (search.find == INVALID_HANDLE_VALUE)
        return 0;
    int k = 0;
    do {
        ReadVolumePath(api, volumes[k], name);
        ReadVolumeDetails(api, name, k, volumes[k]);
        ++k;
    } while (k < kMaxVolumeEntries && api.FindNextVolumeW(search.find, name, 260));
    return 1;
}
