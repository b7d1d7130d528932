#include "FreeSpaceRule.h"

bool ReadDriveFreeSpace(wchar_t drive, ULONGLONG& availableBytes, ULONGLONG& totalBytes) {
    const wchar_t root[] = {drive, L':', L'\\', L'\0'};
    ULARGE_INTEGER available{};
    ULARGE_INTEGER total{};
    if (!GetDiskFreeSpaceExW(root, &available, &total, nullptr))
        return false;
    availableBytes = available.QuadPart;
    totalBytes = total.QuadPart;
    return true;
}

bool HasEnoughFreeSpace(ULONGLONG freeBytes, ULONGLONG totalBytes) {
    if (totalBytes == 0)
        return false;
    if (freeBytes >= kFreeSpaceFloorBytes)
        return true;
    // Below 1 GiB free, free × 100 cannot overflow.
    return freeBytes * 100 / totalBytes >= kFreeSpaceMinimumPercent;
}

bool DriveHasEnoughFreeSpace(wchar_t drive) {
    ULONGLONG available = 0;
    ULONGLONG total = 0;
    return ReadDriveFreeSpace(drive, available, total) && HasEnoughFreeSpace(available, total);
}

ULONGLONG DriveTotalBytes(wchar_t drive) {
    ULONGLONG available = 0;
    ULONGLONG total = 0;
    return ReadDriveFreeSpace(drive, available, total) ? total : 0;
}
