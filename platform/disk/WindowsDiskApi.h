// The disk calls of a real Windows machine: each forwards to the Win32 call of its name; the
// devices come from SetupAPI.
#pragma once

#include "DiskApi.h"

class CWindowsDiskApi final : public CDiskApi {
public:
    HANDLE CreateFileW(const wchar_t* path, DWORD access, DWORD shareMode,
                       DWORD flagsAndAttributes) override;
    BOOL CloseHandle(HANDLE handle) override;
    BOOL DeviceIoControl(HANDLE device, DWORD controlCode, void* inBuffer, DWORD inBufferSize,
                         void* outBuffer, DWORD outBufferSize, DWORD* bytesReturned) override;
    BOOL ReadFile(HANDLE file, void* buffer, DWORD bytesToRead, DWORD* bytesRead) override;
    BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, LARGE_INTEGER* newPosition,
                          DWORD moveMethod) override;
    HANDLE FindFirstVolumeW(wchar_t* name, DWORD nameChars) override;
    BOOL FindNextVolumeW(HANDLE find, wchar_t* name, DWORD nameChars) override;
    BOOL FindVolumeClose(HANDLE find) override;
    BOOL GetVolumePathNamesForVolumeNameW(const wchar_t* volumeName, wchar_t* paths,
                                          DWORD pathChars, DWORD* returnedChars) override;
    UINT GetDriveTypeW(const wchar_t* root) override;
    BOOL GetVolumeInformationW(const wchar_t* root, wchar_t* label, DWORD labelChars,
                               wchar_t* fileSystem, DWORD fileSystemChars) override;
    BOOL GetDiskFreeSpaceExW(const wchar_t* root, ULARGE_INTEGER* freeToCaller,
                             ULARGE_INTEGER* totalBytes, ULARGE_INTEGER* totalFree) override;
    [[nodiscard]] bool EnumerateStorageDevices(bool usbOnly,
                                               std::vector<StorageDevice>& devices) override;
};
