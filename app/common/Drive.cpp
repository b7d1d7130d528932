#include "Drive.h"

#include <iterator>

DriveList BuildDriveList() {
    DriveList drives;
    const DWORD mask = GetLogicalDrives();
    for (wchar_t letter = L'C'; letter <= L'Z'; ++letter) {
        if ((mask & (1u << (letter - L'A'))) == 0)
            continue;
        const wchar_t root[] = {letter, L':', L'\\', L'\0'};
        if (GetDriveTypeW(root) != DRIVE_FIXED)
            continue;
        wchar_t label[32];
        wchar_t fileSystem[32];
        if (!GetVolumeInformationW(root, label, static_cast<DWORD>(std::size(label)), nullptr,
                                   nullptr, nullptr, fileSystem,
                                   static_cast<DWORD>(std::size(fileSystem))))
            continue;
        ULARGE_INTEGER available{};
        ULARGE_INTEGER total{};
        ULARGE_INTEGER totalFree{};
        if (!GetDiskFreeSpaceExW(root, &available, &total, &totalFree))
            continue;
        CString name;
        name.Format(L"%s (%0.2s)", label, root);
        auto drive = std::make_unique<CDrive>(name, fileSystem, root);
        drive->SetSizes(total.QuadPart, totalFree.QuadPart);
        drives.push_back(std::move(drive));
    }
    return drives;
}
