#include "WindowsVolumeApi.h"

HANDLE CWindowsVolumeApi::CreateFileW(const wchar_t* path, DWORD access, DWORD shareMode,
                                      DWORD flagsAndAttributes) {
    return ::CreateFileW(path, access, shareMode, nullptr, OPEN_EXISTING, flagsAndAttributes,
                         nullptr);
}

BOOL CWindowsVolumeApi::CloseHandle(HANDLE handle) {
    return ::CloseHandle(handle);
}

BOOL CWindowsVolumeApi::DeviceIoControl(HANDLE device, DWORD controlCode, void* inBuffer,
                                        DWORD inBufferSize, void* outBuffer, DWORD outBufferSize,
                                        DWORD* bytesReturned) {
    return ::DeviceIoControl(device, controlCode, inBuffer, inBufferSize, outBuffer, outBufferSize,
                             bytesReturned, nullptr);
}

BOOL CWindowsVolumeApi::GetFileSizeEx(HANDLE item, LARGE_INTEGER* size) {
    return ::GetFileSizeEx(item, size);
}

BOOL CWindowsVolumeApi::GetFileInformationByHandle(HANDLE item, BY_HANDLE_FILE_INFORMATION* info) {
    return ::GetFileInformationByHandle(item, info);
}

HANDLE CWindowsVolumeApi::FindFirstFileW(const wchar_t* pattern, WIN32_FIND_DATAW* data) {
    return ::FindFirstFileW(pattern, data);
}

BOOL CWindowsVolumeApi::FindNextFileW(HANDLE find, WIN32_FIND_DATAW* data) {
    return ::FindNextFileW(find, data);
}

BOOL CWindowsVolumeApi::FindClose(HANDLE find) {
    return ::FindClose(find);
}

BOOL CWindowsVolumeApi::GetVolumeInformationW(const wchar_t* root, wchar_t* volumeName,
                                              DWORD volumeNameSize, DWORD* serialNumber,
                                              DWORD* maxComponentLength, DWORD* fileSystemFlags,
                                              wchar_t* fileSystemName, DWORD fileSystemNameSize) {
    return ::GetVolumeInformationW(root, volumeName, volumeNameSize, serialNumber,
                                   maxComponentLength, fileSystemFlags, fileSystemName,
                                   fileSystemNameSize);
}

BOOL CWindowsVolumeApi::GetDiskFreeSpaceW(const wchar_t* root, DWORD* sectorsPerCluster,
                                          DWORD* bytesPerSector, DWORD* freeClusters,
                                          DWORD* totalClusters) {
    return ::GetDiskFreeSpaceW(root, sectorsPerCluster, bytesPerSector, freeClusters,
                               totalClusters);
}
