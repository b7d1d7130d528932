// The ATA feature rows of the disk information, the IDENTIFY words and bits behind each, and
// their supported and enabled flags in a drive record.
#pragma once

#include "PhysicalDiskTable.h"

inline constexpr int kAtaFeatureRows = 29;

struct AtaFeatureRow {
    const wchar_t* name;
    int supportedWord;
    uint16_t supportedBits; // any of them set
    int enabledWord;        // -1: the row has no enabled flag ("-")
    uint16_t enabledBits;
};

// The rows in display order (after the three transfer-mode rows).
extern const AtaFeatureRow kAtaFeatureRowTable[kAtaFeatureRows];

// Sets the drive's flags from 256 IDENTIFY words; an enabled flag only where supported.
void DecodeAtaFeatures(const uint16_t (&words)[256], PhysicalDriveInfo& drive);
bool IsFeatureSupported(const PhysicalDriveInfo& drive, int row);
// 1 or 0; -1 for a row without an enabled flag.
int FeatureEnabledState(const PhysicalDriveInfo& drive, int row);
