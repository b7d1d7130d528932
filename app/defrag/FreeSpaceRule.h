// The free space a defragmentation needs: at least 8 % of the volume, or 1 GiB.
#pragma once

#include <windows.h>

constexpr ULONGLONG kFreeSpaceFloorBytes = 1'073'741'824;
constexpr ULONGLONG kFreeSpaceMinimumPercent = 8;

// A volume of size 0 (a failed or meaningless query) never has enough.
[[nodiscard]] bool HasEnoughFreeSpace(ULONGLONG freeBytes, ULONGLONG totalBytes);

// The bytes available to the user and the volume's size of a drive's root; false when they
// cannot be read.
[[nodiscard]] bool ReadDriveFreeSpace(wchar_t drive, ULONGLONG& availableBytes,
                                      ULONGLONG& totalBytes);

// The rule on a drive's root (e.g. L'C'), with the bytes available to the user; false when the
// sizes cannot be read.
[[nodiscard]] bool DriveHasEnoughFreeSpace(wchar_t drive);

// The volume's size, or 0 when it cannot be read.
ULONGLONG DriveTotalBytes(wchar_t drive);
