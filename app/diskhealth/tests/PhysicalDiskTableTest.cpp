// The physical disk and volume tables read from simulated disks.
#include "DiskTestSupport.h"

#include <AtaFeatures.h>
#include <DiskTexts.h>
#include <DriveCombo.h>
#include <PhysicalDiskReader.h>

#include <string>

namespace {

struct Tables {
    std::unique_ptr<PhysicalDiskTables> t = std::make_unique<PhysicalDiskTables>();

    void Read(CDiskApi& api) {
        EnumerateVolumes(api, t->volumes);
        ASSERT_EQ(ReadPhysicalDrivesInfo(api, t->drives, t->volumes), 1);
    }
    const PhysicalDriveInfo& Drive(int n) const { return t->drives[n]; }
    int CountVolumes() const {
        int count = 0;
        for (const VolumeEntry& v : t->volumes)
            count += v.index != -1;
        return count;
    }
};

// A drive of 1000 cylinders (8,225,280,000 bytes).
const std::string kGeometry = "geometry 512 63 255 1000\n";

int FeatureRow(const wchar_t* name) {
    for (int row = 0; row < kAtaFeatureRows; ++row)
        if (std::wstring(kAtaFeatureRowTable[row].name) == name)
            return row;
    return -1;
}

TEST(PhysicalDiskTableTest, IdentityStringsAreSwappedAndTrimmedAndSizesFollow) {
    CSimDiskApi api;
    AddDisk(api, 0,
            kGeometry + "model   WDC WD5000AAKS-00V1A0\nserial \tWD-WCAWF123\n"
                        "firmware 05.01D05\nword 21 16384\n");
    Tables tables;
    tables.Read(api);
    const PhysicalDriveInfo& d = tables.Drive(0);
    EXPECT_EQ(d.driveNumber, 0);
    EXPECT_STREQ(d.model, L"WDC WD5000AAKS-00V1A0");
    EXPECT_STREQ(d.serialNumber, L"WD-WCAWF123");
    EXPECT_STREQ(d.firmwareRevision, L"05.01D05");
    EXPECT_EQ(d.totalSectors, 1000ull * 255 * 63);
    EXPECT_STREQ(d.capacityText, L"7.7 GB");
    // The name carries the same size text as Capacity: one unit, one rounding.
    EXPECT_STREQ(d.displayName, L"WDC WD5000AAKS-00V1A0 (7.7 GB)");
    EXPECT_EQ(d.bufferSize, 16384u * 512);
    EXPECT_STREQ(d.bufferSizeText, L"8.0 MB");
    EXPECT_EQ(d.smartCapable, 1);
    // Words 60-61 without 48-bit addressing.
    EXPECT_EQ(d.lbaSectorCount, 1000ull * 255 * 63);
    for (int n = 1; n < kMaxPhysicalDrives; ++n)
        EXPECT_EQ(tables.Drive(n).driveNumber, -1);
}

TEST(PhysicalDiskTableTest, LbaCountAndPacketDevices) {
    CSimDiskApi api;
    AddDisk(api, 0,
            kGeometry + "model A\nword 83 0x0400\nword 100 0x5678\nword 101 0x1234\n"
                        "word 102 1\n");
    AddDisk(api, 1, kGeometry + "model DVD WRITER\natapi yes\n");
    // An ATAPI device above the four the device map knows gets IDENTIFY DEVICE, which it aborts.
    AddDisk(api, 5,
            kGeometry + "model DVD WRITER\natapi yes\nvendor HL-DT-ST\nproduct DVDRAM\n"
                        "revision 1.00\n");
    Tables tables;
    tables.Read(api);
    EXPECT_EQ(tables.Drive(0).lbaSectorCount, 0x112345678ull);
    EXPECT_STREQ(tables.Drive(1).model, L"DVD WRITER");
    EXPECT_EQ(tables.Drive(5).model[0], L'\0');
    EXPECT_STREQ(tables.Drive(5).bufferSizeText, L"N/A");
    EXPECT_STREQ(tables.Drive(5).displayName, L"HL-DT-ST DVDRAM 1.00 (7.7 GB)");
}

TEST(PhysicalDiskTableTest, AtaStandardAndTransferModes) {
    CSimDiskApi api;
    AddDisk(api, 0,
            kGeometry + "capabilities 3\nword 80 0x00F0\nword 88 0x203F\n"
                        "word 63 0x0407\nword 64 3\n");
    AddDisk(api, 1, kGeometry + "capabilities 1\nword 80 0x0040\nword 88 0x013F\nword 64 1\n");
    AddDisk(api, 2, kGeometry + "capabilities 2\n");
    Tables tables;
    tables.Read(api);
    const PhysicalDriveInfo& a = tables.Drive(0);
    EXPECT_STREQ(a.ataStandardText, L"ATA/ATAPI-7 or SATA I");
    EXPECT_STREQ(a.ultraDmaModesSupported, L"0, 1, 2, 3, 4, 5");
    EXPECT_STREQ(a.ultraDmaModeActive, L"5");
    EXPECT_STREQ(a.multiwordDmaModesSupported, L"0, 1, 2");
    EXPECT_STREQ(a.multiwordDmaModeActive, L"2");
    EXPECT_STREQ(a.pioModesSupported, L"0, 1, 2, 3, 4");
    EXPECT_STREQ(a.pioModeActive, L"-");
    const PhysicalDriveInfo& b = tables.Drive(1);
    EXPECT_STREQ(b.ataStandardText, L"ATA-6");
    EXPECT_STREQ(b.ultraDmaModeActive, L"0");
    EXPECT_STREQ(b.multiwordDmaModesSupported, L"-");
    EXPECT_STREQ(b.multiwordDmaModeActive, L"-");
    EXPECT_STREQ(b.pioModesSupported, L"0, 1, 2, 3");
    EXPECT_STREQ(tables.Drive(2).ataStandardText, L"ATAPI-1");
}

TEST(PhysicalDiskTableTest, FeatureFlagsEnabledOnlyWhereSupported) {
    CSimDiskApi api;
    // Write cache supported but off; host protected area on without support; NCQ supported.
    AddDisk(api, 0,
            kGeometry + "word 82 0x0061\nword 85 0x0441\nword 76 0x0100\n"
                        "word 214 0x0030\n");
    Tables tables;
    tables.Read(api);
    const PhysicalDriveInfo& d = tables.Drive(0);
    const int writeCache = FeatureRow(L"Write Cache");
    EXPECT_TRUE(IsFeatureSupported(d, writeCache));
    EXPECT_EQ(FeatureEnabledState(d, writeCache), 0);
    const int smart = FeatureRow(L"S.M.A.R.T.");
    EXPECT_TRUE(IsFeatureSupported(d, smart));
    EXPECT_EQ(FeatureEnabledState(d, smart), 1);
    const int hpa = FeatureRow(L"Host Protected Area");
    EXPECT_FALSE(IsFeatureSupported(d, hpa));
    EXPECT_EQ(FeatureEnabledState(d, hpa), 0);
    const int ncq = FeatureRow(L"Native Command Queuing");
    EXPECT_TRUE(IsFeatureSupported(d, ncq));
    EXPECT_EQ(FeatureEnabledState(d, ncq), -1);
    const int nvCache = FeatureRow(L"NV Cache");
    EXPECT_TRUE(IsFeatureSupported(d, nvCache));
    EXPECT_EQ(FeatureEnabledState(d, nvCache), 1);
    EXPECT_TRUE(IsFeatureSupported(d, FeatureRow(L"Read Look-Ahead")));
    EXPECT_EQ(FeatureEnabledState(d, FeatureRow(L"Read Look-Ahead")), 1);
}

TEST(PhysicalDiskTableTest, AttributeRowsAndTheOkBadRule) {
    CSimDiskApi api;
    AddDisk(api, 0,
            kGeometry + "attribute 1 0x0032 100 90 100 010203040506\n" // current = threshold
                        "attribute 0 0 0 0 0 000000000000\n"           // only marks slot 0 empty
                        "attribute 194 0x0022 40 35 0 00000000001E\n"  // threshold 0
                        "attribute 5 0x0033 200 200 36 000000000000\n");
    Tables tables;
    tables.Read(api);
    const PhysicalDriveInfo& d = tables.Drive(0);
    const SmartAttributeText& first = d.attributes[1];
    EXPECT_EQ(first.id, 1);
    EXPECT_STREQ(first.current, L"100");
    EXPECT_STREQ(first.worst, L"90");
    EXPECT_STREQ(first.threshold, L"100");
    EXPECT_STREQ(first.rawData, L"010203040506");
    EXPECT_STREQ(first.flags, L"0032");
    EXPECT_STREQ(first.status, L"BAD");
    EXPECT_EQ(d.attributes[0].id, -1);
    EXPECT_STREQ(d.attributes[194].status, L"OK");
    EXPECT_STREQ(d.attributes[194].rawData, L"00000000001E");
    EXPECT_STREQ(d.attributes[5].status, L"OK");
    int rows = 0;
    for (const SmartAttributeText& slot : d.attributes)
        rows += slot.id != -1;
    EXPECT_EQ(rows, 3);
}

TEST(PhysicalDiskTableTest, ARepeatedIdEndsTheListAndOnlyThirtyEntriesAreRead) {
    CSimDiskApi api;
    AddDisk(api, 0,
            kGeometry + "attribute 1 0 100 100 1 000000000000\n"
                        "attribute 5 0 100 100 1 000000000000\n"
                        "attribute 1 0 50 50 1 000000000000\n"
                        "attribute 9 0 100 100 1 000000000000\n");
    std::string many = kGeometry;
    for (int id = 1; id <= 31; ++id)
        many += "attribute " + std::to_string(id) + " 0 100 100 1 000000000000\n";
    AddDisk(api, 1, many);
    Tables tables;
    tables.Read(api);
    EXPECT_STREQ(tables.Drive(0).attributes[1].current, L"100");
    EXPECT_EQ(tables.Drive(0).attributes[5].id, 5);
    EXPECT_EQ(tables.Drive(0).attributes[9].id, -1);
    EXPECT_EQ(tables.Drive(1).attributes[30].id, 30);
    EXPECT_EQ(tables.Drive(1).attributes[31].id, -1);
}

TEST(PhysicalDiskTableTest, UsbStickWithoutSmart) {
    CSimDiskApi api;
    AddDisk(api, 2,
            "geometry 512 63 255 250\nbus usb\nvendor  SanDisk \nproduct Cruzer Blade\n"
            "revision 1.00\nmodel ignored\nword 88 0x203F\n");
    AddDisk(api, 4, "geometry 512 63 255 250\nbus usb\n");
    AddDisk(api, 6, "geometry 512 63 255 250\nbus usb\nvendor SanDisk\n");
    Tables tables;
    tables.Read(api);
    const PhysicalDriveInfo& d = tables.Drive(2);
    EXPECT_EQ(d.driveNumber, 2);
    EXPECT_EQ(d.smartCapable, 0);
    EXPECT_STREQ(d.displayName, L"SanDisk Cruzer Blade 1.00 (1.9 GB)");
    EXPECT_STREQ(d.capacityText, L"1.9 GB");
    EXPECT_STREQ(d.bufferSizeText, L"N/A");
    EXPECT_STREQ(d.ataStandardText, L"N/A");
    EXPECT_STREQ(d.ultraDmaModesSupported, L"-");
    EXPECT_STREQ(d.ultraDmaModeActive, L"-");
    EXPECT_STREQ(d.pioModesSupported, L"-");
    EXPECT_EQ(d.model[0], L'\0');
    EXPECT_EQ(d.lbaSectorCount, 0u);
    for (const SmartAttributeText& slot : d.attributes)
        EXPECT_EQ(slot.id, -1);
    // Without any descriptor string the drive is named by its number.
    EXPECT_STREQ(tables.Drive(4).displayName, L"HDD4 (1.9 GB)");
    EXPECT_STREQ(tables.Drive(6).displayName, L"SanDisk   (1.9 GB)");
}

TEST(PhysicalDiskTableTest, PartitionsWithoutVolumesAndUsedTexts) {
    CSimDiskApi api;
    AddDisk(api, 0,
            kGeometry + "partition 1 7 1 32256 8000000\n"
                        "partition 2 11 0 8032256 4000000\n"
                        "partition 3 5 0 12032256 1000000\n"
                        "partition 4 131 0 13032256 1000000\n"
                        "volume 1 C:\\ SYSTEM NTFS 8000000 2000000\n");
    AddDisk(api, 1,
            kGeometry + "partition 1 7 0 32256 4096\n"
                        "volume 1 - - NTFS 0 0\n");
    Tables tables;
    tables.Read(api);
    const VolumeEntry* v = tables.t->volumes;
    // The volumes in enumeration order: C: and the unmounted one.
    EXPECT_EQ(v[0].index, 0);
    EXPECT_STREQ(v[0].path, L"C:\\");
    EXPECT_STREQ(v[0].label, L"SYSTEM");
    EXPECT_STREQ(v[0].usedText, L"75.0 %");
    EXPECT_EQ(v[0].diskNumbers[0], 0);
    EXPECT_EQ(v[0].diskNumbers[1], -1);
    EXPECT_EQ(v[0].bootIndicator, 1);
    EXPECT_EQ(v[1].index, 1);
    EXPECT_STREQ(v[1].usedText, L"100 %");
    EXPECT_EQ(v[1].path, CSimDiskApi::VolumeName(1, 0)); // no mount path: the volume name
    // Partitions 2 (FAT32) and 4 (unknown type) of drive 0 are added once, the extended one
    // never.
    EXPECT_EQ(v[2].index, 2);
    EXPECT_EQ(v[2].partitionNumber, 2u);
    EXPECT_STREQ(v[2].fileSystem, L"FAT32");
    EXPECT_STREQ(v[2].path, L"N/A");
    EXPECT_STREQ(v[2].label, L"N/A");
    EXPECT_STREQ(v[2].usedText, L"N/A");
    EXPECT_EQ(v[2].totalBytes, 4000000u);
    EXPECT_EQ(v[2].freeBytes, 4000000u);
    EXPECT_STREQ(v[2].sizeText, L"3.8 MB");
    EXPECT_EQ(v[3].partitionNumber, 4u);
    EXPECT_STREQ(v[3].fileSystem, L"N/A");
    EXPECT_EQ(tables.CountVolumes(), 4);
}

TEST(PhysicalDiskTableTest, GptVolumesKeepOnlyTheirPathAndGptPartitionsAreNotAdded) {
    CSimDiskApi api;
    AddDisk(api, 3,
            kGeometry + "style gpt\npartition 1 7 0 1048576 8000000\n"
                        "partition 2 7 0 9048576 8000000\n"
                        "volume 1 G:\\ DATA NTFS 8000000 0\n");
    Tables tables;
    tables.Read(api);
    EXPECT_EQ(tables.t->volumes[0].index, -1);
    EXPECT_STREQ(tables.t->volumes[0].path, L"G:\\");
    EXPECT_EQ(tables.CountVolumes(), 0);
    EXPECT_EQ(tables.Drive(3).driveNumber, 3);
}

TEST(PhysicalDiskTableTest, ThirtyTwoDrivesAndTwoHundredFiftySixVolumesAtTheirCaps) {
    CSimDiskApi api;
    for (int n = 0; n <= kMaxPhysicalDrives; ++n) {
        std::string disk = kGeometry + "model Disk" + std::to_string(n) + "\n";
        for (int p = 1; p <= 9; ++p) {
            disk += "partition " + std::to_string(p) + " 7 0 " + std::to_string(p * 1048576) +
                    " 1048576\n";
            if (p <= 5)
                disk += "volume " + std::to_string(p) + " - - NTFS 1048576 0\n";
        }
        AddDisk(api, static_cast<uint32_t>(n), disk);
    }
    Tables tables;
    tables.Read(api);
    for (int n = 0; n < kMaxPhysicalDrives; ++n)
        EXPECT_EQ(tables.Drive(n).driveNumber, n);
    // 33 x 5 volumes, then partitions, until the table is full.
    EXPECT_EQ(tables.CountVolumes(), kMaxVolumeEntries);
    for (int i = 0; i < kMaxVolumeEntries; ++i)
        EXPECT_EQ(tables.t->volumes[i].index, i);
    EXPECT_STREQ(tables.t->volumes[255].path, L"N/A");
}

TEST(PhysicalDiskTableTest, TheDriveComboListsPresentDrivesInTableOrder) {
    CSimDiskApi api;
    AddDisk(api, 3, kGeometry + "model Third\n");
    AddDisk(api, 1, kGeometry + "model First\n");
    AddDisk(api, 2, kGeometry + "model Unopenable\nfault open\n");
    Tables tables;
    tables.Read(api);
    // Not sorted: the table's order is the combo's.
    const HWND combo = CreateWindowW(L"COMBOBOX", L"", CBS_DROPDOWNLIST, 0, 0, 200, 200,
                                     HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr);
    const HWND tab = CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(combo, nullptr);
    ASSERT_NE(tab, nullptr);
    EXPECT_EQ(tables.t->selectedDrive, -1);
    FillPhysicalDiskCombo(combo, *tables.t);
    ASSERT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 2);
    wchar_t text[256];
    SendMessageW(combo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, L"First (7.7 GB)");
    EXPECT_EQ(SendMessageW(combo, CB_GETITEMDATA, 1, 0), 3);
    EXPECT_EQ(tables.t->selectedDrive, 1);
    SendMessageW(combo, CB_SETCURSEL, 1, 0);
    OnPhysicalDiskComboChange(combo, *tables.t, tab);
    EXPECT_EQ(tables.t->selectedDrive, 3);
    MSG message;
    EXPECT_TRUE(
        PeekMessageW(&message, tab, kDriveSelectionChanged, kDriveSelectionChanged, PM_REMOVE));
    DestroyWindow(combo);
    DestroyWindow(tab);

    // No drive at all: the combo stays empty and nothing is selected.
    CSimDiskApi none;
    Tables empty;
    empty.Read(none);
    const HWND emptyCombo =
        CreateWindowW(L"COMBOBOX", L"", CBS_DROPDOWNLIST, 0, 0, 200, 200, HWND_MESSAGE, nullptr,
                      GetModuleHandleW(nullptr), nullptr);
    FillPhysicalDiskCombo(emptyCombo, *empty.t);
    EXPECT_EQ(SendMessageW(emptyCombo, CB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(empty.t->selectedDrive, -1);
    DestroyWindow(emptyCombo);
}

TEST(PhysicalDiskTableTest, SizeTexts) {
    wchar_t text[32];
    FormatSizeShort(1024, 1023, text);
    EXPECT_STREQ(text, L"1023 B");
    FormatSizeShort(1000, 1500, text);
    EXPECT_STREQ(text, L"1.5 KB");
    FormatSizeShort(1024, 5ull << 40, text);
    EXPECT_STREQ(text, L"5.0 TB");
    FormatSizeShort(1000, 0, text);
    EXPECT_STREQ(text, L"0 B");
}

} // namespace
