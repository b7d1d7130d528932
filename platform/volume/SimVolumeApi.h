// The volume calls on simulated volumes mounted at drive letters: "\\.\T:" opens the volume
// device of the volume mounted at T, "T:\dir\name" its items.
#pragma once

#include "SimVolume.h"
#include "VolumeApi.h"

#include <initializer_list>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

class CSimVolumeApi final : public CVolumeApi {
public:
    // Mounts a volume at a drive letter (replacing any volume there); the api shares it.
    void Mount(wchar_t driveLetter, std::shared_ptr<CSimVolume> volume);
    // Opens the image file at path and mounts it; ERROR_SUCCESS or the error.
    [[nodiscard]] DWORD MountImage(wchar_t driveLetter, const std::wstring& imagePath);
    std::shared_ptr<CSimVolume> VolumeAt(wchar_t driveLetter) const;

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

    // Handles not yet closed, so tests can see leaks.
    size_t OpenHandleCount() const;

private:
    enum class HandleKind { Volume, Item, Find };
    struct OpenHandle {
        HandleKind kind = HandleKind::Volume;
        std::shared_ptr<CSimVolume> volume;
        SimItemRef item;
        SimListing listing;
        size_t next = 0;
    };
    // A handle's place in the table; the value also carries the slot's generation, so a closed
    // handle does not name the next handle that takes its slot.
    struct Slot {
        OpenHandle handle;
        uint32_t generation = 0;
        bool open = false;
    };

    std::shared_ptr<CSimVolume> VolumeOfRoot(const wchar_t* root) const;
    [[nodiscard]] HANDLE AddHandle(OpenHandle handle);
    // A copy of the handle's entry if it is open and of one of the kinds; else sets the last
    // error.
    [[nodiscard]] bool FindHandle(HANDLE handle, std::initializer_list<HandleKind> kinds,
                                  OpenHandle* out) const;
    // The open handle's entry, or null; under mutex_.
    OpenHandle* OpenLocked(HANDLE handle);
    const OpenHandle* OpenLocked(HANDLE handle) const;
    void CloseLocked(HANDLE handle);

    mutable std::mutex mutex_;
    std::map<wchar_t, std::shared_ptr<CSimVolume>> volumes_;
    // Slots are reused, so opening and closing costs no allocation once the table has grown.
    std::vector<Slot> slots_;
    std::vector<size_t> freeSlots_;
    size_t openCount_ = 0;
};
