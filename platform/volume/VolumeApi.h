// The platform calls the defragmentation engine makes on a volume, behind one narrow interface
// so that the same engine code runs on a real drive (CWindowsVolumeApi) and on a simulated,
// image-backed volume (CSimVolumeApi).
//
// Every call has the shape, the buffer semantics and the error codes of the Win32 call it is
// named after:
// - Failures return FALSE (or INVALID_HANDLE_VALUE) and set the calling thread's last error;
//   read it with ::GetLastError() right after the call, as with the real function.
// - DeviceIoControl takes the real control codes and records of <winioctl.h>:
//     FSCTL_GET_NTFS_VOLUME_DATA   volume handle -> NTFS_VOLUME_DATA_BUFFER (96 bytes)
//     FSCTL_GET_VOLUME_BITMAP      volume handle, STARTING_LCN_INPUT_BUFFER -> VOLUME_BITMAP_BUFFER
//                                  (starting LCN rounded down to a multiple of 8; a buffer too
//                                  small for the rest of the bitmap is filled as far as it goes
//                                  and the call fails with ERROR_MORE_DATA, *bytesReturned set)
//     FSCTL_GET_RETRIEVAL_POINTERS item handle, STARTING_VCN_INPUT_BUFFER ->
//                                  RETRIEVAL_POINTERS_BUFFER (ERROR_MORE_DATA when more extents
//                                  follow than fit, ERROR_HANDLE_EOF for a resident or empty
//                                  stream or a starting VCN past its end; sparse runs have
//                                  Lcn == -1)
//     FSCTL_MOVE_FILE              volume handle, MOVE_FILE_DATA whose FileHandle is an item
//                                  handle from the same CVolumeApi (ERROR_ACCESS_DENIED when a
//                                  target cluster is in use)
// - Handles returned by one CVolumeApi are valid only with that same object: a simulated
//   volume's handles are not kernel handles.
//
// An object may be used from several threads at once; each call is atomic with respect to the
// others on the same volume.
#pragma once

#include <cstddef>

#include <owners/ApiHandle.h>

#include <windows.h>
#include <winioctl.h>

class CVolumeApi {
public:
    virtual ~CVolumeApi() = default;

    // Opens an existing object (OPEN_EXISTING): the volume device "\\.\D:", a directory or file
    // "D:\dir\name", or an attribute stream of one, "D:\dir\name::$BITMAP",
    // "D:\dir\name::$ATTRIBUTE_LIST" or "D:\dir\name:stream". access, shareMode and
    // flagsAndAttributes are those of CreateFileW (a directory needs FILE_FLAG_BACKUP_SEMANTICS).
    [[nodiscard]] virtual HANDLE CreateFileW(const wchar_t* path, DWORD access, DWORD shareMode,
                                             DWORD flagsAndAttributes) = 0;
    [[nodiscard]] virtual BOOL CloseHandle(HANDLE handle) = 0;

    [[nodiscard]] virtual BOOL DeviceIoControl(HANDLE device, DWORD controlCode, void* inBuffer,
                                               DWORD inBufferSize, void* outBuffer,
                                               DWORD outBufferSize, DWORD* bytesReturned) = 0;

    // Size in bytes of the opened file or stream (0 for a directory).
    [[nodiscard]] virtual BOOL GetFileSizeEx(HANDLE item, LARGE_INTEGER* size) = 0;

    // The identity of the opened item (volume serial number and file index, the same for every
    // name of a hard-linked file and for each of its streams), its link count, attributes and
    // the opened stream's size.
    [[nodiscard]] virtual BOOL GetFileInformationByHandle(HANDLE item,
                                                          BY_HANDLE_FILE_INFORMATION* info) = 0;

    // Directory enumeration: pattern is "D:\dir\*". Entries come as WIN32_FIND_DATAW, with
    // "." and ".." first in every directory but the root, as NTFS lists them.
    [[nodiscard]] virtual HANDLE FindFirstFileW(const wchar_t* pattern, WIN32_FIND_DATAW* data) = 0;
    [[nodiscard]] virtual BOOL FindNextFileW(HANDLE find, WIN32_FIND_DATAW* data) = 0;
    [[nodiscard]] virtual BOOL FindClose(HANDLE find) = 0;

    // root is "D:\". Any output pointer may be null, as with the Win32 calls.
    [[nodiscard]] virtual BOOL
    GetVolumeInformationW(const wchar_t* root, wchar_t* volumeName, DWORD volumeNameSize,
                          DWORD* serialNumber, DWORD* maxComponentLength, DWORD* fileSystemFlags,
                          wchar_t* fileSystemName, DWORD fileSystemNameSize) = 0;
    [[nodiscard]] virtual BOOL GetDiskFreeSpaceW(const wchar_t* root, DWORD* sectorsPerCluster,
                                                 DWORD* bytesPerSector, DWORD* freeClusters,
                                                 DWORD* totalClusters) = 0;
};

// Owners of what a CVolumeApi opens, closed through the same backend.
using VolumeItemHandle = ApiHandle<CVolumeApi, &CVolumeApi::CloseHandle>;
using VolumeFindHandle = ApiHandle<CVolumeApi, &CVolumeApi::FindClose>;

// The documented records are the wire format of both backends.
static_assert(sizeof(NTFS_VOLUME_DATA_BUFFER) == 96);
static_assert(sizeof(STARTING_LCN_INPUT_BUFFER) == 8 && sizeof(STARTING_VCN_INPUT_BUFFER) == 8);
static_assert(offsetof(VOLUME_BITMAP_BUFFER, Buffer) == 16);
static_assert(offsetof(RETRIEVAL_POINTERS_BUFFER, StartingVcn) == 8);
static_assert(offsetof(RETRIEVAL_POINTERS_BUFFER, Extents) == 16);
static_assert(sizeof(RETRIEVAL_POINTERS_BUFFER::Extents[0]) == 16);
static_assert(sizeof(MOVE_FILE_DATA) == 32 && offsetof(MOVE_FILE_DATA, StartingVcn) == 8);
