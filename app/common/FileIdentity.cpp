#include "FileIdentity.h"

#include <winternl.h>

#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

namespace {

constexpr size_t kMostFoldersKept = 4096;
constexpr size_t kMostFolderCharsKept = MAX_PATH;

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
    // Items come folder by folder: each thread keeps the last folder's answer at hand, as plain
    // data (a thread's objects with destructors are not safe at its exit, see ownership.md).
    thread_local wchar_t lastFolder[kMostFolderCharsKept];
    thread_local size_t lastFolderLength = 0;
    thread_local DWORD lastSerial = 0;
    const std::wstring_view path(literalPath.GetString(),
                                 static_cast<size_t>(literalPath.GetLength()));
    const std::wstring_view folder = path.substr(0, path.find_last_of(L'\\') + 1);
    const auto keepAtHand = [&](DWORD serial) {
        lastFolderLength = folder.size() <= kMostFolderCharsKept ? folder.size() : 0;
        folder.copy(lastFolder, lastFolderLength);
        lastSerial = serial;
        return serial;
    };
    if (!folder.empty() && folder == std::wstring_view(lastFolder, lastFolderLength))
        return lastSerial;
    static std::mutex lock;
    static std::unordered_map<std::wstring, DWORD> serials;
    const std::wstring key = literalPath.IsEmpty() ? std::wstring() : FolderKey(literalPath);
    if (!key.empty()) {
        const std::lock_guard<std::mutex> guard(lock);
        if (const auto known = serials.find(key); known != serials.end())
            return keepAtHand(known->second);
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
    return keepAtHand(serial);
}

// One question about an open item; false when the system cannot answer it.
template <class Answer> bool Ask(HANDLE item, FILE_INFORMATION_CLASS question, Answer& answer) {
    IO_STATUS_BLOCK status = {};
    return NtQueryInformationFile(item, &status, &answer, sizeof answer, question) >= 0;
}

} // namespace

bool ReadFileIdentity(HANDLE item, const CString& literalPath, FileIdentity& identity) {
    // Two questions that the file system answers from the item itself; the one that holds
    // everything also asks for the item's name, which Wine works out through the drive mapping
    // at several times the cost of both.
    FILE_NETWORK_OPEN_INFORMATION facts = {};
    FILE_INTERNAL_INFORMATION number = {};
    if (!Ask(item, FileNetworkOpenInformation, facts) ||
        !Ask(item, FileInternalInformation, number))
        return false;
    identity.volumeSerial = VolumeSerialOf(item, literalPath);
    identity.fileId = static_cast<ULONGLONG>(number.IndexNumber.QuadPart);
    identity.attributes = facts.FileAttributes;
    identity.folder = (facts.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    // A folder's size says nothing about it (and differs between file systems).
    identity.size = identity.folder ? 0 : static_cast<ULONGLONG>(facts.EndOfFile.QuadPart);
    identity.lastWriteTime = static_cast<ULONGLONG>(facts.LastWriteTime.QuadPart);
    identity.changeTime = static_cast<ULONGLONG>(facts.ChangeTime.QuadPart);
    identity.creationTime = static_cast<ULONGLONG>(facts.CreationTime.QuadPart);
    return true;
}
