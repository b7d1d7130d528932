// Gathers the physical disk table and the volume table through the disk layer: geometry,
// identity, transfer modes, features and S.M.A.R.T. attributes of every drive, and the volumes
// and unmounted partitions on them.
#pragma once

#include "PhysicalDiskTable.h"

#include <DiskApi.h>
#include <DiskHandle.h>

// "\\.\PHYSICALDRIVE%d" (the number taken modulo 256) for reading and writing, shared, without
// buffering, write-through and for random access; invalid when it cannot be opened.
CDiskHandle OpenPhysicalDrive(CDiskApi& api, int driveNumber);

// Clears and fills the volume table; 1, or 0 when no volume can be enumerated.
int EnumerateVolumes(CDiskApi& api, VolumeEntry (&volumes)[kMaxVolumeEntries]);

// Clears and fills the drive table and adds the partitions that have no volume to the volume
// table (call it after EnumerateVolumes); always 1.
int ReadPhysicalDrivesInfo(CDiskApi& api, PhysicalDriveInfo (&drives)[kMaxPhysicalDrives],
                           VolumeEntry (&volumes)[kMaxVolumeEntries]);

// Reads the attribute values and thresholds of an open drive into its slots; false (slots
// unchanged) when either read fails.
[[nodiscard]] bool ReadSmartAttributes(CDiskApi& api, HANDLE drive, int driveNumber,
                                       SmartAttributeText (&slots)[kSmartAttributeSlots]);

// Adds the drive's MBR partitions that no volume entry lists (extended and empty ones never).
void ReadPartitionLayout(CDiskApi& api, HANDLE drive, int driveNumber,
                         VolumeEntry (&volumes)[kMaxVolumeEntries]);
