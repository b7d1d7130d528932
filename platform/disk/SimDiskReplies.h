// The data blocks a simulated disk answers its device controls with, built from its
// description in the layouts of <winioctl.h> and the ATA command set.
#pragma once

#include "SimDiskDescription.h"

#include <vector>

#include <windows.h>
#include <winioctl.h>

// IDENTIFY DEVICE (or IDENTIFY PACKET DEVICE) data: 256 little-endian words, strings in ATA
// byte order (the first character in each word's high byte).
std::vector<BYTE> BuildIdentifyData(const SimDiskDescription& disk);
// READ ATTRIBUTE VALUES and READ ATTRIBUTE THRESHOLDS data: 512 bytes each, a revision word
// and 30 entries of 12 bytes, the thresholds at the positions of their values.
std::vector<BYTE> BuildSmartValues(const SimDiskDescription& disk);
std::vector<BYTE> BuildSmartThresholds(const SimDiskDescription& disk);
// STORAGE_DEVICE_DESCRIPTOR with the vendor, product and revision strings behind it.
std::vector<BYTE> BuildDeviceDescriptor(const SimDiskDescription& disk);
// DRIVE_LAYOUT_INFORMATION_EX; an MBR layout is padded with empty entries to a multiple of 4,
// as Windows reports it.
std::vector<BYTE> BuildDriveLayout(const SimDiskDescription& disk);
// PARTITION_INFORMATION_EX of one partition.
PARTITION_INFORMATION_EX BuildPartitionInfo(const SimDiskDescription& disk,
                                            const SimPartition& partition);
