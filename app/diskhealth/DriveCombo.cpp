#include "DriveCombo.h"

void FillPhysicalDiskCombo(HWND combo, PhysicalDiskTables& tables) {
    for (const PhysicalDriveInfo& drive : tables.drives) {
        if (drive.driveNumber == -1)
            continue;
        const LRESULT item =
            SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(drive.displayName));
        if (item >= 0)
            SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(item), drive.driveNumber);
    }
    if (SendMessageW(combo, CB_GETCOUNT, 0, 0) > 0) {
        SendMessageW(combo, CB_SETCURSEL, 0, 0);
        tables.selectedDrive = static_cast<int32_t>(SendMessageW(combo, CB_GETITEMDATA, 0, 0));
    }
}

void OnPhysicalDiskComboChange(HWND combo, PhysicalDiskTables& tables, HWND tab) {
    const LRESULT item = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (item == CB_ERR)
        return;
    tables.selectedDrive =
        static_cast<int32_t>(SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(item), 0));
    PostMessageW(tab, kDriveSelectionChanged, 0, 0);
}
