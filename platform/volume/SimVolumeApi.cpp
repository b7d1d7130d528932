#include "SimVolumeApi.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cwctype>
#include <string_view>

namespace {

// The units of a terminated text before its terminator. A walk passes every path it opens
// here, so four units are tested a step: the reads are 8-byte aligned, so none crosses into a
// page the text does not reach.
size_t UnitsOf(const wchar_t* text) {
    static_assert(sizeof(wchar_t) == 2);
    size_t units = 0;
    while (reinterpret_cast<uintptr_t>(text + units) % sizeof(uint64_t) != 0) {
        if (text[units] == L'\0') {
            return units;
        }
        ++units;
    }
    constexpr uint64_t kLowBits = 0x0001000100010001ull;
    constexpr uint64_t kHighBits = 0x8000800080008000ull;
    for (;; units += 4) {
        uint64_t word = 0;
        std::memcpy(&word, text + units, sizeof word);
        const uint64_t zeroUnits = (word - kLowBits) & ~word & kHighBits;
        if (zeroUnits != 0) {
            // The lowest flagged unit is the first zero one (little-endian).
            return units + static_cast<size_t>(__builtin_ctzll(zeroUnits)) / 16;
        }
    }
}

// "\\?\X:\..." names the same object as "X:\...".
std::wstring_view WithoutLongPrefix(const wchar_t* path) {
    std::wstring_view text = path != nullptr ? std::wstring_view(path, UnitsOf(path)) : L"";
    if (text.starts_with(L"\\\\?\\")) {
        text.remove_prefix(4);
    }
    return text;
}

bool IsDriveLetter(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

wchar_t NormalLetter(wchar_t c) {
    return static_cast<wchar_t>(std::towupper(c));
}

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

HANDLE FailHandle(DWORD error) {
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
}

constexpr uintptr_t kFirstHandle = 0x10000;
constexpr uintptr_t kGenerations = 256;

DWORD Clamp32(uint64_t value) {
    return static_cast<DWORD>(std::min<uint64_t>(value, 0xFFFFFFFFu));
}

} // namespace

void CSimVolumeApi::Mount(wchar_t driveLetter, std::shared_ptr<CSimVolume> volume) {
    std::lock_guard lock(mutex_);
    volumes_[NormalLetter(driveLetter)] = std::move(volume);
}

DWORD CSimVolumeApi::MountImage(wchar_t driveLetter, const std::wstring& imagePath) {
    DWORD error = ERROR_SUCCESS;
    std::shared_ptr<CSimVolume> volume = CSimVolume::Open(imagePath, &error);
    if (volume) {
        Mount(driveLetter, std::move(volume));
    }
    return error;
}

std::shared_ptr<CSimVolume> CSimVolumeApi::VolumeAt(wchar_t driveLetter) const {
    std::lock_guard lock(mutex_);
    auto found = volumes_.find(NormalLetter(driveLetter));
    return found == volumes_.end() ? nullptr : found->second;
}

std::shared_ptr<CSimVolume> CSimVolumeApi::VolumeOfRoot(const wchar_t* root) const {
    const std::wstring_view text = WithoutLongPrefix(root);
    if (text.size() != 3 || !IsDriveLetter(text[0]) || text[1] != L':' || text[2] != L'\\') {
        return nullptr;
    }
    return VolumeAt(text[0]);
}

HANDLE CSimVolumeApi::AddHandle(OpenHandle handle) {
    std::lock_guard lock(mutex_);
    size_t index = slots_.size();
    if (!freeSlots_.empty()) {
        index = freeSlots_.back();
        freeSlots_.pop_back();
    } else {
        slots_.emplace_back();
    }
    Slot& slot = slots_[index];
    slot.handle = std::move(handle);
    slot.open = true;
    ++openCount_;
    return reinterpret_cast<HANDLE>(kFirstHandle +
                                    4 * (index * kGenerations + slot.generation % kGenerations));
}

const CSimVolumeApi::OpenHandle* CSimVolumeApi::OpenLocked(HANDLE handle) const {
    const uintptr_t value = reinterpret_cast<uintptr_t>(handle);
    if (value < kFirstHandle || value % 4 != 0) {
        return nullptr;
    }
    const uintptr_t number = (value - kFirstHandle) / 4;
    const size_t index = number / kGenerations;
    if (index >= slots_.size() || !slots_[index].open ||
        slots_[index].generation % kGenerations != number % kGenerations) {
        return nullptr;
    }
    return &slots_[index].handle;
}

CSimVolumeApi::OpenHandle* CSimVolumeApi::OpenLocked(HANDLE handle) {
    return const_cast<OpenHandle*>(static_cast<const CSimVolumeApi*>(this)->OpenLocked(handle));
}

void CSimVolumeApi::CloseLocked(HANDLE handle) {
    const size_t index = (reinterpret_cast<uintptr_t>(handle) - kFirstHandle) / 4 / kGenerations;
    Slot& slot = slots_[index];
    slot.open = false;
    ++slot.generation;
    slot.handle.volume.reset();
    slot.handle.listing = SimListing{}; // a closed handle holds no listing
    freeSlots_.push_back(index);
    --openCount_;
}

bool CSimVolumeApi::FindHandle(HANDLE handle, std::initializer_list<HandleKind> kinds,
                               OpenHandle* out) const {
    std::lock_guard lock(mutex_);
    const OpenHandle* found = OpenLocked(handle);
    if (found == nullptr || std::find(kinds.begin(), kinds.end(), found->kind) == kinds.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    out->kind = found->kind;
    out->volume = found->volume;
    out->item = found->item;
    return true;
}

size_t CSimVolumeApi::OpenHandleCount() const {
    std::lock_guard lock(mutex_);
    return openCount_;
}

HANDLE CSimVolumeApi::CreateFileW(const wchar_t* path, DWORD, DWORD, DWORD flagsAndAttributes) {
    const std::wstring_view text = WithoutLongPrefix(path);
    constexpr std::wstring_view devicePrefix = L"\\\\.\\";
    if (text.starts_with(devicePrefix)) {
        const std::wstring_view device = text.substr(devicePrefix.size());
        std::shared_ptr<CSimVolume> volume;
        if (device.size() == 2 && IsDriveLetter(device[0]) && device[1] == L':') {
            volume = VolumeAt(device[0]);
        }
        if (!volume) {
            return FailHandle(ERROR_FILE_NOT_FOUND);
        }
        OpenHandle handle;
        handle.kind = HandleKind::Volume;
        handle.volume = std::move(volume);
        return AddHandle(std::move(handle));
    }
    if (text.size() < 3 || !IsDriveLetter(text[0]) || text[1] != L':' || text[2] != L'\\') {
        return FailHandle(ERROR_INVALID_NAME);
    }
    std::shared_ptr<CSimVolume> volume = VolumeAt(text[0]);
    if (!volume) {
        return FailHandle(ERROR_PATH_NOT_FOUND);
    }
    OpenHandle handle;
    handle.kind = HandleKind::Item;
    const DWORD error = volume->OpenItem(text.substr(2), flagsAndAttributes, &handle.item);
    if (error != ERROR_SUCCESS) {
        return FailHandle(error);
    }
    handle.volume = std::move(volume);
    return AddHandle(std::move(handle));
}

BOOL CSimVolumeApi::CloseHandle(HANDLE handle) {
    std::lock_guard lock(mutex_);
    const OpenHandle* found = OpenLocked(handle);
    if (found == nullptr || found->kind == HandleKind::Find) {
        return Fail(ERROR_INVALID_HANDLE);
    }
    CloseLocked(handle);
    return TRUE;
}

BOOL CSimVolumeApi::DeviceIoControl(HANDLE device, DWORD controlCode, void* inBuffer,
                                    DWORD inBufferSize, void* outBuffer, DWORD outBufferSize,
                                    DWORD* bytesReturned) {
    if (bytesReturned == nullptr) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    *bytesReturned = 0;
    OpenHandle target;
    if (!FindHandle(device, {HandleKind::Volume, HandleKind::Item}, &target)) {
        return Fail(ERROR_INVALID_HANDLE);
    }
    const bool onVolume = target.kind == HandleKind::Volume;
    DWORD error = ERROR_INVALID_FUNCTION;
    switch (controlCode) {
    case FSCTL_GET_NTFS_VOLUME_DATA:
        error = onVolume ? target.volume->GetNtfsVolumeData(outBuffer, outBufferSize, bytesReturned)
                         : ERROR_INVALID_PARAMETER;
        break;
    case FSCTL_GET_VOLUME_BITMAP:
        error = onVolume ? target.volume->GetVolumeBitmap(inBuffer, inBufferSize, outBuffer,
                                                          outBufferSize, bytesReturned)
                         : ERROR_INVALID_PARAMETER;
        break;
    case FSCTL_GET_RETRIEVAL_POINTERS:
        error = onVolume
                    ? ERROR_INVALID_PARAMETER
                    : target.volume->GetRetrievalPointers(target.item, inBuffer, inBufferSize,
                                                          outBuffer, outBufferSize, bytesReturned);
        break;
    case FSCTL_MOVE_FILE: {
        if (inBuffer == nullptr || inBufferSize < sizeof(MOVE_FILE_DATA)) {
            error = ERROR_INVALID_PARAMETER;
            break;
        }
        MOVE_FILE_DATA move;
        std::memcpy(&move, inBuffer, sizeof move);
        OpenHandle file;
        if (!FindHandle(move.FileHandle, {HandleKind::Item}, &file)) {
            error = ERROR_INVALID_HANDLE;
        } else if (file.volume != target.volume) {
            error = ERROR_INVALID_PARAMETER; // the file lies on another volume
        } else {
            error = file.volume->MoveClusters(file.item, move.StartingVcn.QuadPart,
                                              move.StartingLcn.QuadPart, move.ClusterCount);
        }
        break;
    }
    default:
        break;
    }
    return error == ERROR_SUCCESS ? TRUE : Fail(error);
}

BOOL CSimVolumeApi::GetFileSizeEx(HANDLE item, LARGE_INTEGER* size) {
    OpenHandle handle;
    if (!FindHandle(item, {HandleKind::Item}, &handle)) {
        return FALSE;
    }
    uint64_t bytes = 0;
    const DWORD error = handle.volume->ItemSize(handle.item, &bytes);
    if (error != ERROR_SUCCESS) {
        return Fail(error);
    }
    size->QuadPart = static_cast<LONGLONG>(bytes);
    return TRUE;
}

BOOL CSimVolumeApi::GetFileInformationByHandle(HANDLE item, BY_HANDLE_FILE_INFORMATION* info) {
    OpenHandle handle;
    if (!FindHandle(item, {HandleKind::Item}, &handle)) {
        return FALSE;
    }
    if (info == nullptr) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    const DWORD error = handle.volume->ItemInformation(handle.item, info);
    return error == ERROR_SUCCESS ? TRUE : Fail(error);
}

HANDLE CSimVolumeApi::FindFirstFileW(const wchar_t* pattern, WIN32_FIND_DATAW* data) {
    const std::wstring_view text = WithoutLongPrefix(pattern);
    if (text.size() < 4 || !IsDriveLetter(text[0]) || text[1] != L':' || text[2] != L'\\' ||
        text.compare(text.size() - 2, 2, L"\\*") != 0) {
        return FailHandle(ERROR_INVALID_PARAMETER); // only "X:\dir\*" is supported
    }
    std::shared_ptr<CSimVolume> volume = VolumeAt(text[0]);
    if (!volume) {
        return FailHandle(ERROR_PATH_NOT_FOUND);
    }
    std::wstring_view directory = text.substr(2, text.size() - 4);
    if (directory.empty()) {
        directory = L"\\";
    }
    OpenHandle handle;
    handle.kind = HandleKind::Find;
    const DWORD error = volume->ListDirectory(directory, &handle.listing);
    if (error != ERROR_SUCCESS) {
        return FailHandle(error);
    }
    handle.listing.Fill(0, data);
    handle.next = 1;
    handle.volume = std::move(volume);
    return AddHandle(std::move(handle));
}

BOOL CSimVolumeApi::FindNextFileW(HANDLE find, WIN32_FIND_DATAW* data) {
    std::lock_guard lock(mutex_);
    OpenHandle* found = OpenLocked(find);
    if (found == nullptr || found->kind != HandleKind::Find) {
        return Fail(ERROR_INVALID_HANDLE);
    }
    OpenHandle& handle = *found;
    if (handle.next >= handle.listing.entries.size()) {
        return Fail(ERROR_NO_MORE_FILES);
    }
    handle.listing.Fill(handle.next++, data);
    return TRUE;
}

BOOL CSimVolumeApi::FindClose(HANDLE find) {
    std::lock_guard lock(mutex_);
    const OpenHandle* found = OpenLocked(find);
    if (found == nullptr || found->kind != HandleKind::Find) {
        return Fail(ERROR_INVALID_HANDLE);
    }
    CloseLocked(find);
    return TRUE;
}

BOOL CSimVolumeApi::GetVolumeInformationW(const wchar_t* root, wchar_t* volumeName,
                                          DWORD volumeNameSize, DWORD* serialNumber,
                                          DWORD* maxComponentLength, DWORD* fileSystemFlags,
                                          wchar_t* fileSystemName, DWORD fileSystemNameSize) {
    std::shared_ptr<CSimVolume> volume = VolumeOfRoot(root);
    if (!volume) {
        return Fail(root != nullptr && WithoutLongPrefix(root).size() == 3 ? ERROR_PATH_NOT_FOUND
                                                                           : ERROR_INVALID_NAME);
    }
    const SimGeometry g = volume->Geometry();
    if ((volumeName != nullptr && volumeNameSize <= g.label.size()) ||
        (fileSystemName != nullptr && fileSystemNameSize <= g.fileSystemName.size())) {
        return Fail(ERROR_BAD_LENGTH);
    }
    if (volumeName != nullptr) {
        std::wcscpy(volumeName, g.label.c_str());
    }
    if (fileSystemName != nullptr) {
        std::wcscpy(fileSystemName, g.fileSystemName.c_str());
    }
    if (serialNumber != nullptr) {
        *serialNumber = g.serialNumber;
    }
    if (maxComponentLength != nullptr) {
        *maxComponentLength = 255;
    }
    if (fileSystemFlags != nullptr) {
        *fileSystemFlags = g.IsNtfs() ? FILE_CASE_SENSITIVE_SEARCH | FILE_CASE_PRESERVED_NAMES |
                                            FILE_UNICODE_ON_DISK | FILE_PERSISTENT_ACLS |
                                            FILE_NAMED_STREAMS | FILE_SUPPORTS_SPARSE_FILES |
                                            FILE_SUPPORTS_REPARSE_POINTS
                                      : FILE_CASE_PRESERVED_NAMES | FILE_UNICODE_ON_DISK;
    }
    return TRUE;
}

BOOL CSimVolumeApi::GetDiskFreeSpaceW(const wchar_t* root, DWORD* sectorsPerCluster,
                                      DWORD* bytesPerSector, DWORD* freeClusters,
                                      DWORD* totalClusters) {
    std::shared_ptr<CSimVolume> volume = VolumeOfRoot(root);
    if (!volume) {
        return Fail(ERROR_PATH_NOT_FOUND);
    }
    const SimGeometry g = volume->Geometry();
    const uint64_t used = volume->UsedClusters();
    if (sectorsPerCluster != nullptr) {
        *sectorsPerCluster = g.bytesPerCluster / g.bytesPerSector;
    }
    if (bytesPerSector != nullptr) {
        *bytesPerSector = g.bytesPerSector;
    }
    if (freeClusters != nullptr) {
        *freeClusters = Clamp32(g.totalClusters - used);
    }
    if (totalClusters != nullptr) {
        *totalClusters = Clamp32(g.totalClusters);
    }
    return TRUE;
}
