// The physical-disk and volume calls of the disk health tools, behind one narrow interface so
// that the same code reads a real machine's drives (CWindowsDiskApi) and simulated disks
// described in files (CSimDiskApi).
//
// Every call has the shape, buffer semantics and error codes of the Win32 call it is named
// after: failures return FALSE (or INVALID_HANDLE_VALUE) and set the calling thread's last
// error. DeviceIoControl takes the real control codes and records of <winioctl.h>:
//   on "\\.\PHYSICALDRIVEn": IOCTL_DISK_GET_DRIVE_GEOMETRY, IOCTL_STORAGE_QUERY_PROPERTY
//     (StorageDeviceProperty), SMART_GET_VERSION, SMART_SEND_DRIVE_COMMAND (enable operations),
//     SMART_RCV_DRIVE_DATA (IDENTIFY 0xEC, IDENTIFY PACKET 0xA1, attribute values 0xD0 and
//     thresholds 0xD1), IOCTL_DISK_GET_DRIVE_LAYOUT_EX;
//   on a volume name without its trailing backslash: IOCTL_DISK_GET_PARTITION_INFO_EX,
//     IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS.
// Handles returned by one CDiskApi are valid only with that same object. An object may be used
// from several threads at once.
#pragma once

#include "StorageDevice.h"

#include <vector>

#include <windows.h>
#include <winioctl.h>

class CDiskApi {
public:
    virtual ~CDiskApi() = default;

    virtual HANDLE CreateFileW(const wchar_t* path, DWORD access, DWORD shareMode,
                               DWORD flagsAndAttributes) = 0;
    virtual BOOL CloseHandle(HANDLE handle) = 0;
    virtual BOOL DeviceIoControl(HANDLE device, DWORD controlCode, void* inBuffer,
                                 DWORD inBufferSize, void* outBuffer, DWORD outBufferSize,
                                 DWORD* bytesReturned) = 0;
    // A drive opened with FILE_FLAG_NO_BUFFERING reads only whole sectors at sector offsets
    // into sector-aligned buffers (ERROR_INVALID_PARAMETER otherwise).
    virtual BOOL ReadFile(HANDLE file, void* buffer, DWORD bytesToRead, DWORD* bytesRead) = 0;
    virtual BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, LARGE_INTEGER* newPosition,
                                  DWORD moveMethod) = 0;

    // Volume enumeration: names are "\\?\Volume{GUID}\".
    virtual HANDLE FindFirstVolumeW(wchar_t* name, DWORD nameChars) = 0;
    virtual BOOL FindNextVolumeW(HANDLE find, wchar_t* name, DWORD nameChars) = 0;
    virtual BOOL FindVolumeClose(HANDLE find) = 0;
    virtual BOOL GetVolumePathNamesForVolumeNameW(const wchar_t* volumeName, wchar_t* paths,
                                                  DWORD pathChars, DWORD* returnedChars) = 0;
    virtual UINT GetDriveTypeW(const wchar_t* root) = 0;
    virtual BOOL GetVolumeInformationW(const wchar_t* root, wchar_t* label, DWORD labelChars,
                                       wchar_t* fileSystem, DWORD fileSystemChars) = 0;
    virtual BOOL GetDiskFreeSpaceExW(const wchar_t* root, ULARGE_INTEGER* freeToCaller,
                                     ULARGE_INTEGER* totalBytes, ULARGE_INTEGER* totalFree) = 0;

    // The present Plug and Play devices of class "USB", and unless usbOnly also "hdc",
    // "DiskDrive" and "SCSIAdapter", with their registry properties; false when the device
    // set cannot be built.
    [[nodiscard]] virtual bool EnumerateStorageDevices(bool usbOnly,
                                                       std::vector<StorageDevice>& devices) = 0;
};

// The ATA pass-through records are the wire format of both backends.
static_assert(sizeof(GETVERSIONINPARAMS) == 24);
static_assert(offsetof(SENDCMDINPARAMS, bBuffer) == 32);
static_assert(offsetof(SENDCMDOUTPARAMS, bBuffer) == 16);
static_assert(sizeof(DISK_GEOMETRY) == 24);
static_assert(sizeof(STORAGE_PROPERTY_QUERY) == 12);
