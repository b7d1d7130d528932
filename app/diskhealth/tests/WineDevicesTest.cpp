// The machine's own disks through the Windows backend: under Wine none answers, and the tables
// and the devices list come back empty without a crash.
#include <PhysicalDiskReader.h>
#include <SimulatedDiskConfig.h>
#include <WindowsDiskApi.h>
#include <owners/WinOwners.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace {

TEST(WindowsDisksTest, ReadsWhateverTheMachineHasWithoutACrash) {
    CWindowsDiskApi api;
    auto tables = std::make_unique<PhysicalDiskTables>();
    EnumerateVolumes(api, tables->volumes);
    EXPECT_EQ(ReadPhysicalDrivesInfo(api, tables->drives, tables->volumes), 1);
    int present = 0;
    for (const PhysicalDriveInfo& drive : tables->drives) {
        if (drive.driveNumber != -1) {
            ++present;
            std::printf("drive %d: %ls, S.M.A.R.T. %d, %llu sectors\n", drive.driveNumber,
                        drive.displayName, drive.smartCapable,
                        static_cast<unsigned long long>(drive.totalSectors));
            EXPECT_NE(drive.displayName[0], L'\0');
        }
    }
    int volumes = 0;
    for (const VolumeEntry& volume : tables->volumes)
        volumes += volume.index != -1;
    std::printf("present drives: %d, listed volumes: %d\n", present, volumes);
    std::vector<StorageDevice> devices;
    const bool listed = api.EnumerateStorageDevices(false, devices);
    std::printf("device set built: %d, devices: %zu\n", listed, devices.size());
    if (listed) {
        for (const StorageDevice& device : devices) {
            EXPECT_FALSE(device.name.empty());
        }
    }
}

TEST(SimulatedDiskConfigTest, ValuesNameTheSimulatedDisks) {
    const wchar_t kKey[] = L"Software\\XarnDiskHealthTest\\Config";
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\XarnDiskHealthTest");
    RegistryKey key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              key.Put(), nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(CreateSimulatedDiskApi(key.Get()), nullptr);

    const char description[] = "geometry 512 63 255 10\nmodel SIMULATED\n";
    wchar_t path[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH - 20, path), 0u);
    wcscat(path, L"xarn_config_disk.txt");
    KernelHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(file);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file.Get(), description, sizeof(description) - 1, &written, nullptr));
    ASSERT_TRUE(file.Close());
    const std::wstring name = SimulatedDiskValueName(3);
    EXPECT_EQ(name, L"SimulatedDisk3");
    ASSERT_EQ(RegSetValueExW(key.Get(), name.c_str(), 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(path),
                             static_cast<DWORD>((wcslen(path) + 1) * 2)),
              ERROR_SUCCESS);
    // A value naming a missing description leaves its drive empty.
    const wchar_t missing[] = L"C:\\no\\such\\disk.txt";
    ASSERT_EQ(RegSetValueExW(key.Get(), L"SimulatedDisk1", 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(missing), sizeof(missing)),
              ERROR_SUCCESS);
    const std::unique_ptr<CDiskApi> api = CreateSimulatedDiskApi(key.Get());
    key.Reset();
    ASSERT_NE(api, nullptr);
    auto tables = std::make_unique<PhysicalDiskTables>();
    EnumerateVolumes(*api, tables->volumes);
    ReadPhysicalDrivesInfo(*api, tables->drives, tables->volumes);
    EXPECT_EQ(tables->drives[1].driveNumber, -1);
    EXPECT_EQ(tables->drives[3].driveNumber, 3);
    EXPECT_STREQ(tables->drives[3].model, L"SIMULATED");
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\XarnDiskHealthTest");
    DeleteFileW(path);
}

} // namespace
