#include "FreeSpaceRule.h"

namespace {

bool ReadDriveSpace(wchar_t drive, ULARGE_INTEGER& available, ULARGE_INTEGER& total) {
    const wchar_t root[] = {drive, L':', L'\\', L'\0'};
    return GetDiskFreeSpaceExW(root, &available, &total, nullptr) != FALSE;
}

} // namespace

bool HasEnoughFreeSpace(ULONGLONG freeBytes, ULONGLONG totalBytes) {
    if (totalBytes == 0)
        return false;
    if (freeBytes >= kFreeSpaceFloorBytes)
        return true;
    // Below 1 GiB free, free × 100 cannot overflow.
    return freeBytes * 100 / totalBytes >= kFreeSpaceMinimumPercent;
}

bool DriveHasEnoughFreeSpace(wchar_t drive) {
    ULARGE_INTEGER available{};
    ULARGE_INTEGER total{};
    return ReadDriveSpace(drive, available, total) &&
           HasEnoughFreeSpace(available.QuadPart, total.QuadPart);
}

ULONGLONG DriveTotalBytes(wchar_t drive) {
    ULARGE_INTEGER available{};
    ULARGE_INTEGER total{};
    return ReadDriveSpace(drive, available, total) ? total.QuadPart : 0;
}
