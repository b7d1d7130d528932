#include "WindowsDiskApi.h"

HANDLE CWindowsDiskApi::CreateFileW(const wchar_t* path, DWORD access, DWORD shareMode,
                                    DWORD flagsAndAttributes) {
    return ::CreateFileW(path, access, shareMode, nullptr, OPEN_EXISTING, flagsAndAttributes,
                         nullptr);
}

BOOL CWindowsDiskApi::CloseHandle(HANDLE handle) {
    return ::CloseHandle(handle);
}

BOOL CWindowsDiskApi::DeviceIoControl(HANDLE device, DWORD controlCode, void* inBuffer,
                                      DWORD inBufferSize, void* outBuffer, DWORD outBufferSize,
                                      DWORD* bytesReturned) {
    return ::DeviceIoControl(device, controlCode, inBuffer, inBufferSize, outBuffer, outBufferSize,
                             bytesReturned, nullptr);
}

BOOL CWindowsDiskApi::ReadFile(HANDLE file, void* buffer, DWORD bytesToRead, DWORD* bytesRead) {
    return ::ReadFile(file, buffer, bytesToRead, bytesRead, nullptr);
}

BOOL CWindowsDiskApi::SetFilePointerEx(HANDLE file, LARGE_INTEGER distance,
                                       LARGE_INTEGER* newPosition, DWORD moveMethod) {
    return ::SetFilePointerEx(file, distance, newPosition, moveMethod);
}

HANDLE CWindowsDiskApi::FindFirstVolumeW(wchar_t* name, DWORD nameChars) {
    return ::FindFirstVolumeW(name, nameChars);
}

BOOL CWindowsDiskApi::FindNextVolumeW(HANDLE find, wchar_t* name, DWORD nameChars) {
    return ::FindNextVolumeW(find, name, nameChars);
}

BOOL CWindowsDiskApi::FindVolumeClose(HANDLE find) {
    return ::FindVolumeClose(find);
}

BOOL CWindowsDiskApi::GetVolumePathNamesForVolumeNameW(const wchar_t* volumeName, wchar_t* paths,
                                                       DWORD pathChars, DWORD* returnedChars) {
    return ::GetVolumePathNamesForVolumeNameW(volumeName, paths, pathChars, returnedChars);
}

UINT CWindowsDiskApi::GetDriveTypeW(const wchar_t* root) {
    return ::GetDriveTypeW(root);
}

BOOL CWindowsDiskApi::GetVolumeInformationW(const wchar_t* root, wchar_t* label, DWORD labelChars,
                                            wchar_t* fileSystem, DWORD fileSystemChars) {
    return ::GetVolumeInformationW(root, label, labelChars, nullptr, nullptr, nullptr, fileSystem,
                                   fileSystemChars);
}

BOOL CWindowsDiskApi::GetDiskFreeSpaceExW(const wchar_t* root, ULARGE_INTEGER* freeToCaller,
                                          ULARGE_INTEGER* totalBytes, ULARGE_INTEGER* totalFree) {
    return ::GetDiskFreeSpaceExW(root, freeToCaller, totalBytes, totalFree);
}
