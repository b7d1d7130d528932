// Which physical drives the disk tools read as simulated disks (under Wine, for one, no drive
// answers the S.M.A.R.T. or layout requests). Under HKEY_LOCAL_MACHINE's product key
// ("Software\Halvenor\Xarn") one REG_SZ value per simulated drive (REG_EXPAND_SZ is expanded),
// named "SimulatedDisk" followed by the drive number 0 to 31 ("SimulatedDisk0"), holds the full
// path of the disk's description file. With at least one such value every disk, volume and
// device call goes to the simulated disks and never to the machine's own drives; a value whose
// description cannot be loaded leaves its drive number empty.
#pragma once

#include <DiskApi.h>

#include <memory>
#include <string>

// "SimulatedDisk" + the drive number.
std::wstring SimulatedDiskValueName(int driveNumber);

// The simulated disks configured under an open key, or null when it names none.
std::unique_ptr<CDiskApi> CreateSimulatedDiskApi(HKEY key);

// The disk layer the program uses: the configured simulated disks, else the machine's own.
std::unique_ptr<CDiskApi> CreateConfiguredDiskApi();
