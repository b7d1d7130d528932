// Simulated physical disks at drive numbers 0 to 31, each answering from its description and
// serving reads from its backing file; their volumes are enumerated as the system's volumes.
#pragma once

#include "DiskApi.h"
#include "SimDiskDescription.h"

#include <map>
#include <memory>
#include <mutex>

class CSimDiskApi final : public CDiskApi {
public:
    // Places a disk at a drive number (replacing any there); ERROR_SUCCESS, or the error of
    // opening its backing file.
    [[nodiscard]] DWORD AddDisk(uint32_t driveNumber, SimDiskDescription description);

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

    // The volume name of a disk's k-th volume: "\\?\Volume{...}\".
    static std::wstring VolumeName(uint32_t driveNumber, size_t volumeIndex);
    // Handles not yet closed, so tests can see leaks.
    size_t OpenHandleCount() const;

private:
    struct Disk {
        SimDiskDescription description;
        std::shared_ptr<void> backing; // the open backing file; null without one
    };
    struct VolumeRef {
        uint32_t driveNumber = 0;
        size_t index = 0;
    };
    enum class HandleKind { Drive, Volume, Find };
    struct OpenHandle {
        HandleKind kind = HandleKind::Drive;
        VolumeRef target;
        bool unbuffered = false;
        uint64_t position = 0;
        size_t nextVolume = 0;
    };

    std::vector<VolumeRef> AllVolumes() const;
    // The volume a root names: its volume name (with or without the trailing backslash) or
    // its mount path.
    bool FindVolume(const wchar_t* root, VolumeRef& volume) const;
    HANDLE AddHandle(const OpenHandle& handle);
    OpenHandle* FindHandle(HANDLE handle, HandleKind kind);
    BOOL DriveControl(uint32_t driveNumber, const Disk& disk, DWORD controlCode, const void* in,
                      DWORD inSize, void* out, DWORD outSize, DWORD* returned);
    BOOL VolumeControl(const VolumeRef& volume, DWORD controlCode, void* out, DWORD outSize,
                       DWORD* returned);

    mutable std::mutex mutex_;
    std::map<uint32_t, Disk> disks_;
    std::map<uintptr_t, OpenHandle> handles_;
    uintptr_t nextHandle_ = 0x20000;
};
