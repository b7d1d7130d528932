// The simulated disk answers as a drive does: its records, its read rules and its faults.
#include <DiskHandle.h>
#include <SimDiskApi.h>
#include <SimDiskReplies.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

namespace {

SimDiskDescription Parse(const std::string& text) {
    std::string error;
    std::optional<SimDiskDescription> disk = ParseSimDiskDescription(text, &error);
    EXPECT_TRUE(disk) << error;
    return disk.value_or(SimDiskDescription{});
}

const char kDisk[] = "geometry 512 63 255 2\n"
                     "model WDC WD5000\n"
                     "serial  S123\n"
                     "firmware 01.02\n"
                     "word 88 0x203F\n"
                     "attribute 5 0x0033 100 99 36 010203040506\n"
                     "partition 1 7 1 32256 8000000\n"
                     "volume 1 T:\\ DATA NTFS 8000000 2000000\n";

HANDLE OpenDrive(CDiskApi& api, int number, DWORD flags = FILE_FLAG_NO_BUFFERING) {
    wchar_t path[32];
    _snwprintf(path, 32, L"\\\\.\\PHYSICALDRIVE%d", number);
    return api.CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, flags);
}

TEST(SimDiskDescriptionTest, ReadsEveryKeyAndNamesABadLine) {
    const SimDiskDescription disk = Parse(kDisk);
    EXPECT_EQ(disk.TotalBytes(), 2ull * 255 * 63 * 512);
    EXPECT_EQ(disk.serial, " S123"); // taken verbatim after one blank
    ASSERT_EQ(disk.attributes.size(), 1u);
    EXPECT_EQ(disk.attributes[0].raw[5], 6);
    ASSERT_EQ(disk.volumes.size(), 1u);
    EXPECT_EQ(disk.volumes[0].mountPath, L"T:\\");

    std::string error;
    EXPECT_FALSE(ParseSimDiskDescription("geometry 512 63 255 2\nattribute 5 1 2\n", &error));
    EXPECT_EQ(error, "line 2: attribute 5 1 2");
    EXPECT_FALSE(ParseSimDiskDescription("model X\n", &error)); // no geometry
    EXPECT_FALSE(ParseSimDiskDescription("geometry 500 63 255 2\n", &error));
}

TEST(SimDiskRepliesTest, IdentifyStringsLieInAtaByteOrder) {
    const std::vector<BYTE> identify = BuildIdentifyData(Parse(kDisk));
    ASSERT_EQ(identify.size(), 512u);
    // "WD" in word 27: 'W' in the high byte.
    EXPECT_EQ(identify[54], 'D');
    EXPECT_EQ(identify[55], 'W');
    EXPECT_EQ(identify[88 * 2], 0x3F);
    EXPECT_EQ(identify[88 * 2 + 1], 0x20);
    const std::vector<BYTE> values = BuildSmartValues(Parse(kDisk));
    const std::vector<BYTE> thresholds = BuildSmartThresholds(Parse(kDisk));
    EXPECT_EQ(values[2], 5);
    EXPECT_EQ(values[3], 0x33);
    EXPECT_EQ(values[5], 100);
    EXPECT_EQ(values[7], 1);
    EXPECT_EQ(thresholds[3], 36);
}

TEST(SimDiskApiTest, AnswersTheDriveRequests) {
    CSimDiskApi api;
    ASSERT_EQ(api.AddDisk(0, Parse(kDisk)), ERROR_SUCCESS);
    const CDiskHandle drive(api, OpenDrive(api, 0));
    ASSERT_TRUE(drive.IsValid());
    DISK_GEOMETRY geometry{};
    DWORD returned = 0;
    ASSERT_TRUE(api.DeviceIoControl(drive.Get(), IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0,
                                    &geometry, sizeof(geometry), &returned));
    EXPECT_EQ(geometry.BytesPerSector, 512u);
    EXPECT_EQ(geometry.Cylinders.QuadPart, 2);

    GETVERSIONINPARAMS version{};
    ASSERT_TRUE(api.DeviceIoControl(drive.Get(), SMART_GET_VERSION, nullptr, 0, &version,
                                    sizeof(version), &returned));
    SENDCMDINPARAMS command{};
    command.irDriveRegs.bCommandReg = ID_CMD;
    std::vector<BYTE> reply(528);
    ASSERT_TRUE(api.DeviceIoControl(drive.Get(), SMART_RCV_DRIVE_DATA, &command, 32, reply.data(),
                                    528, &returned));
    EXPECT_EQ(returned, 528u);
    // A packet command to an ATA drive is refused, as is a too small reply buffer.
    command.irDriveRegs.bCommandReg = ATAPI_ID_CMD;
    EXPECT_FALSE(api.DeviceIoControl(drive.Get(), SMART_RCV_DRIVE_DATA, &command, 32, reply.data(),
                                     528, &returned));
    command.irDriveRegs.bCommandReg = ID_CMD;
    EXPECT_FALSE(api.DeviceIoControl(drive.Get(), SMART_RCV_DRIVE_DATA, &command, 32, reply.data(),
                                     100, &returned));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

    std::vector<BYTE> layout(65536);
    ASSERT_TRUE(api.DeviceIoControl(drive.Get(), IOCTL_DISK_GET_DRIVE_LAYOUT_EX, nullptr, 0,
                                    layout.data(), 65536, &returned));
    const auto* info = reinterpret_cast<const DRIVE_LAYOUT_INFORMATION_EX*>(layout.data());
    EXPECT_EQ(info->PartitionCount, 4u); // padded with empty entries as Windows does
    EXPECT_EQ(info->PartitionEntry[0].Mbr.PartitionType, 7);
    EXPECT_EQ(info->PartitionEntry[1].Mbr.PartitionType, 0);
}

TEST(SimDiskApiTest, UnbufferedReadsNeedWholeAlignedSectors) {
    const std::wstring backing = L"sim_disk_backing.bin";
    {
        std::ofstream file(backing.c_str(), std::ios::binary);
        std::vector<char> bytes(4096);
        for (size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<char>(i / 512 + 1);
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    CSimDiskApi api;
    SimDiskDescription disk = Parse("geometry 512 4 1 4\n"); // 16 sectors
    disk.backingFile = backing;
    ASSERT_EQ(api.AddDisk(2, disk), ERROR_SUCCESS);
    const CDiskHandle drive(api, OpenDrive(api, 2));
    ASSERT_TRUE(drive.IsValid());
    alignas(4096) static BYTE buffer[4096 + 512];
    DWORD read = 0;
    LARGE_INTEGER at{};
    at.QuadPart = 1024;
    ASSERT_TRUE(api.SetFilePointerEx(drive.Get(), at, nullptr, FILE_BEGIN));
    ASSERT_TRUE(api.ReadFile(drive.Get(), buffer, 1024, &read));
    EXPECT_EQ(read, 1024u);
    EXPECT_EQ(buffer[0], 3);
    EXPECT_EQ(buffer[1023], 4);
    EXPECT_FALSE(api.ReadFile(drive.Get(), buffer, 100, &read));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(api.ReadFile(drive.Get(), buffer + 1, 512, &read));
    // Past the backing file the disk reads zeros; at its end a read is short.
    at.QuadPart = 7 * 512;
    ASSERT_TRUE(api.SetFilePointerEx(drive.Get(), at, nullptr, FILE_BEGIN));
    ASSERT_TRUE(api.ReadFile(drive.Get(), buffer, 1024, &read));
    EXPECT_EQ(buffer[0], 8);
    EXPECT_EQ(buffer[512], 0);
    at.QuadPart = 15 * 512;
    ASSERT_TRUE(api.SetFilePointerEx(drive.Get(), at, nullptr, FILE_BEGIN));
    ASSERT_TRUE(api.ReadFile(drive.Get(), buffer, 4096, &read));
    EXPECT_EQ(read, 512u);
    DeleteFileW(backing.c_str());
}

TEST(SimDiskApiTest, FaultsAndAbsentDrives) {
    CSimDiskApi api;
    ASSERT_EQ(api.AddDisk(0, Parse("geometry 512 4 1 4\nfault read\n")), ERROR_SUCCESS);
    ASSERT_EQ(api.AddDisk(1, Parse("geometry 512 4 1 4\nfault open\n")), ERROR_SUCCESS);
    ASSERT_EQ(api.AddDisk(3, Parse("geometry 512 4 1 4\nbus usb\nvendor SanDisk\n")),
              ERROR_SUCCESS);
    SimDiskDescription missing = Parse("geometry 512 4 1 4\n");
    missing.backingFile = L"no_such_backing.bin";
    EXPECT_EQ(api.AddDisk(4, missing), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    const CDiskHandle failing(api, OpenDrive(api, 0));
    alignas(512) static BYTE buffer[512];
    DWORD read = 0;
    EXPECT_FALSE(api.ReadFile(failing.Get(), buffer, 512, &read));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CRC));
    EXPECT_EQ(OpenDrive(api, 1), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(OpenDrive(api, 4), INVALID_HANDLE_VALUE);

    const CDiskHandle stick(api, OpenDrive(api, 3));
    GETVERSIONINPARAMS version{};
    DWORD returned = 0;
    EXPECT_FALSE(api.DeviceIoControl(stick.Get(), SMART_GET_VERSION, nullptr, 0, &version,
                                     sizeof(version), &returned));
    std::vector<StorageDevice> devices;
    ASSERT_TRUE(api.EnumerateStorageDevices(true, devices));
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0].properties.className, L"USB");
    ASSERT_TRUE(api.EnumerateStorageDevices(false, devices));
    EXPECT_EQ(devices.size(), 4u);
    EXPECT_EQ(api.OpenHandleCount(), 2u);
}

TEST(SimDiskApiTest, EnumeratesVolumesWithTheirPartitionsAndExtents) {
    CSimDiskApi api;
    ASSERT_EQ(api.AddDisk(1, Parse(kDisk)), ERROR_SUCCESS);
    wchar_t name[260];
    const HANDLE find = api.FindFirstVolumeW(name, 260);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_EQ(name, CSimDiskApi::VolumeName(1, 0));
    EXPECT_FALSE(api.FindNextVolumeW(find, name, 260));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    ASSERT_TRUE(api.FindVolumeClose(find));

    EXPECT_EQ(api.GetDriveTypeW(name), static_cast<UINT>(DRIVE_FIXED));
    wchar_t paths[16];
    DWORD chars = 0;
    ASSERT_TRUE(api.GetVolumePathNamesForVolumeNameW(name, paths, 16, &chars));
    EXPECT_STREQ(paths, L"T:\\");
    std::wstring device = name;
    device.pop_back();
    const CDiskHandle volume(api, api.CreateFileW(device.c_str(), GENERIC_READ, 0, 0));
    ASSERT_TRUE(volume.IsValid());
    VOLUME_DISK_EXTENTS extents{};
    DWORD returned = 0;
    ASSERT_TRUE(api.DeviceIoControl(volume.Get(), IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, nullptr, 0,
                                    &extents, sizeof(extents), &returned));
    EXPECT_EQ(extents.Extents[0].DiskNumber, 1u);
    PARTITION_INFORMATION_EX partition{};
    ASSERT_TRUE(api.DeviceIoControl(volume.Get(), IOCTL_DISK_GET_PARTITION_INFO_EX, nullptr, 0,
                                    &partition, sizeof(partition), &returned));
    EXPECT_EQ(partition.PartitionLength.QuadPart, 8000000);
    EXPECT_TRUE(partition.Mbr.BootIndicator);
}

} // namespace
