#include "FileIdentity.h"

#include <winternl.h>

#include <mutex>
#include <string>
#include <unordered_map>

namespace {

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
    DWORD serial = 0;
    if (!GetVolumeInformationByHandleW(item, nullptr, 0, &serial, nullptr, nullptr, nullptr, 0))
        serial = 0;
    if (!key.empty()) {
        const std::lock_guard<std::mutex> guard(lock);
        if (serials.size() >= kMostFoldersKept)
            serials.clear();
        serials.emplace(key, serial);
    }
    return serial;
}

// One question about an open item; false when the system cannot answer it.
template <class Answer> bool Ask(HANDLE item, FILE_INFORMATION_CLASS question, Answer& answer) {
    IO_STATUS_BLOCK status = {};
    return NtQueryInformationFile(item, &status, &answer, sizeof answer, question) >= 0;
}

} // namespace

bool ReadFileIdentity(HANDLE item, const CString& literalPath, FileIdentity& identity) {
    // Three small questions rather than one for everything: that one also asks for the item's
    // name, which costs Wine a round trip to its server and a search of its drives.
    FILE_BASIC_INFORMATION basic;
    FILE_STANDARD_INFORMATION standard;
    FILE_INTERNAL_INFORMATION internal;
    if (!Ask(item, FileBasicInformation, basic) || !Ask(item, FileStandardInformation, standard) ||
        !Ask(item, FileInternalInformation, internal))
        return false;
    identity.volumeSerial = VolumeSerialOf(item, literalPath);
    identity.fileId = static_cast<ULONGLONG>(internal.IndexNumber.QuadPart);
    identity.folder = standard.Directory != FALSE;
    // A folder's size says nothing about it (and differs between file systems).
    identity.size = identity.folder ? 0 : static_cast<ULONGLONG>(standard.EndOfFile.QuadPart);
    identity.lastWriteTime = static_cast<ULONGLONG>(basic.LastWriteTime.QuadPart);
    identity.changeTime = static_cast<ULONGLONG>(basic.ChangeTime.QuadPart);
    identity.attributes = basic.FileAttributes;
    identity.creationTime = static_cast<ULONGLONG>(basic.CreationTime.QuadPart);
    return true;
}
