// The volume calls of a real Windows drive: each one forwards to the Win32 call of its name.
#pragma once

#include "VolumeApi.h"

class CWindowsVolumeApi final : public CVolumeApi {
public:
    [[nodiscard]] HANDLE CreateFileW(const wchar_t* path, DWORD access, DWORD shareMode,
                                     DWORD flagsAndAttributes) override;
    [[nodiscard]] BOOL CloseHandle(HANDLE handle) override;
    [[nodiscard]] BOOL DeviceIoControl(HANDLE device, DWORD controlCode, void* inBuffer,
                                       DWORD inBufferSize, void* outBuffer, DWORD outBufferSize,
                                       DWORD* bytesReturned) override;
    [[nodiscard]] BOOL GetFileSizeEx(HANDLE item, LARGE_INTEGER* size) override;
    [[nodiscard]] BOOL GetFileInformationByHandle(HANDLE item,
                                                  BY_HANDLE_FILE_INFORMATION* info) override;
    [[nodiscard]] HANDLE FindFirstFileW(const wchar_t* pattern, WIN32_FIND_DATAW* data) override;
    [[nodiscard]] BOOL FindNextFileW(HANDLE find, WIN32_FIND_DATAW* data) override;
    [[nodiscard]] BOOL FindClose(HANDLE find) override;
    [[nodiscard]] BOOL GetVolumeInformationW(const wchar_t* root, wchar_t* volumeName,
                                             DWORD volumeNameSize, DWORD* serialNumber,
                                             DWORD* maxComponentLength, DWORD* fileSystemFlags,
                                             wchar_t* fileSystemName,
                                             DWORD fileSystemNameSize) override;
    [[nodiscard]] BOOL GetDiskFreeSpaceW(const wchar_t* root, DWORD* sectorsPerCluster,
                                         DWORD* bytesPerSector, DWORD* freeClusters,
                                         DWORD* totalClusters) override;
};
