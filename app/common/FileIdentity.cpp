#include "FileIdentity.h"

#include <winternl.h>

#include <mutex>
#include <string>
#include <unordered_map>

namespace {

constexpr NTSTATUS kBufferOverflow = static_cast<NTSTATUS>(0x80000005); // the name cut short
constexpr size_t kMostFoldersKept = 4096;

// The folder that holds the item (a root holds itself), as the key of the serial numbers kept.
std::wstring FolderKey(const CString& literalPath) {
    std::wstring key(literalPath.GetString());
    const size_t slash = key.find_last_of(L'\\');
    if (slash != std::wstring::npos && slash + 1 < key.size())
        key.erase(slash);
    CharUpperBuffW(key.data(), static_cast<DWORD>(key.size()));
    return key;
}

// A volume that cannot tell its serial number (a drive Wine maps to a host folder, a file
// system without one) counts as serial 0, as GetFileInformationByHandle reports it: the item's
// number still tells the item.
DWORD VolumeSerialOf(HANDLE item, const CString& literalPath) {
    static std::mutex lock;
    static std::unordered_map<std::wstring, DWORD> serials;
    const std::wstring key = literalPath.IsEmpty() ? std::wstring() : FolderKey(literalPath);
    if (!key.empty()) {
        const std::lock_guard<std::mutex> guard(lock);
        if (const auto known = serials.find(key); known != serials.end())
            return known->second;
    }
    const DWORD serial = VolumeSerialOfItem(item);
    if (!key.empty()) {
        const std::lock_guard<std::mutex> guard(lock);
        if (serials.size() >= kMostFoldersKept)
            serials.clear();
        serials.emplace(key, serial);
    }
    return serial;
}

} // namespace

DWORD VolumeSerialOfItem(HANDLE item) {
    DWORD serial = 0;
    if (!GetVolumeInformationByHandleW(item, nullptr, 0, &serial, nullptr, nullptr, nullptr, 0))
        serial = 0;
    return serial;
}

bool ReadFileIdentity(HANDLE item, const CString& literalPath, FileIdentity& identity) {
    return ReadFileIdentityOnVolume(item, VolumeSerialOf(item, literalPath), identity);
}

bool ReadFileIdentityOnVolume(HANDLE item, DWORD volumeSerial, FileIdentity& identity) {
    // Everything but the volume in one question; the name at its end may not fit.
    alignas(8) BYTE buffer[sizeof(FILE_ALL_INFORMATION) + 512];
    IO_STATUS_BLOCK status = {};
    const NTSTATUS result =
        NtQueryInformationFile(item, &status, buffer, sizeof buffer, FileAllInformation);
    if (result < 0 && result != kBufferOverflow)
        return false;
    const auto* all = reinterpret_cast<const FILE_ALL_INFORMATION*>(buffer);
    identity.volumeSerial = volumeSerial;
    identity.fileId = static_cast<ULONGLONG>(all->InternalInformation.IndexNumber.QuadPart);
    identity.folder = all->StandardInformation.Directory != FALSE;
    // A folder's size says nothing about it (and differs between file systems).
    identity.size =
        identity.folder ? 0 : static_cast<ULONGLONG>(all->StandardInformation.EndOfFile.QuadPart);
    identity.lastWriteTime = static_cast<ULONGLONG>(all->BasicInformation.LastWriteTime.QuadPart);
    identity.changeTime = static_cast<ULONGLONG>(all->BasicInformation.ChangeTime.QuadPart);
    identity.attributes = all->BasicInformation.FileAttributes;
    identity.creationTime = static_cast<ULONGLONG>(all->BasicInformation.CreationTime.QuadPart);
    return true;
}
