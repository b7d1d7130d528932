// The physical disk table and the volume table the application object holds inline: fixed-size
// records the disk tools fill at start-up and on refresh and the tabs read.
#pragma once

#include <cstdint>

#include <windows.h>

inline constexpr int kMaxPhysicalDrives = 32;
inline constexpr int kMaxVolumeEntries = 256;
inline constexpr int kSmartAttributeSlots = 256;
inline constexpr int kAtaFeatureFlags = 54;

struct SmartAttributeText {
    int32_t id; // equal to the slot's index; -1 = empty slot
    wchar_t current[32];
    wchar_t worst[32];
    wchar_t threshold[32];
    wchar_t rawData[32]; // 12 upper-case hexadecimal digits
    wchar_t flags[32];   // 4 upper-case hexadecimal digits
    wchar_t status[32];  // "OK" or "BAD"
};

struct PhysicalDriveInfo {
    int32_t driveNumber; // -1 = no drive
    uint32_t bytesPerSector;
    uint32_t sectorsPerTrack;
    uint32_t tracksPerCylinder;
    uint64_t cylinders;
    uint64_t totalSectors;
    uint32_t bufferSize;     // 0 without IDENTIFY data
    uint64_t lbaSectorCount; // 0 without IDENTIFY data
    wchar_t displayName[256];
    wchar_t model[41];
    wchar_t serialNumber[21];
    wchar_t firmwareRevision[9];
    wchar_t capacityText[32];
    wchar_t bufferSizeText[32];
    wchar_t ataStandardText[128];
    int32_t smartCapable;
    wchar_t pioModesSupported[128];
    wchar_t pioModeActive[128];
    wchar_t multiwordDmaModesSupported[128];
    wchar_t multiwordDmaModeActive[128];
    wchar_t ultraDmaModesSupported[128];
    wchar_t ultraDmaModeActive[128];
    // Per feature row (AtaFeatureRow order): the supported flag, then the enabled flag for
    // the rows that have one.
    int32_t featureFlags[kAtaFeatureFlags];
    SmartAttributeText attributes[kSmartAttributeSlots];
};

struct VolumeEntry {
    int32_t index;                           // the entry's own position; -1 = empty
    int32_t diskNumbers[kMaxPhysicalDrives]; // -1 = none
    uint64_t totalBytes;
    uint64_t freeBytes;
    wchar_t path[260];
    wchar_t label[260];
    wchar_t sizeText[32];
    wchar_t usedText[32];
    wchar_t fileSystem[32];
    uint64_t startingOffset;
    uint64_t partitionLength;
    uint32_t partitionNumber;
    uint8_t bootIndicator;
    uint8_t partitionType;
};

// The two tables and the drive the tabs show, in the application object's order.
struct PhysicalDiskTables {
    int32_t selectedDrive = -1;
    PhysicalDriveInfo drives[kMaxPhysicalDrives];
    VolumeEntry volumes[kMaxVolumeEntries];
};
