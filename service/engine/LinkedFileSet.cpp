#include "LinkedFileSet.h"

#include <functional>

size_t CLinkedFileSet::IdentityHash::operator()(const Identity& identity) const noexcept {
    const uint64_t mixed = identity.fileIndex ^ (uint64_t{identity.volumeSerial} << 29) ^
                           (static_cast<uint64_t>(identity.stream) << 62);
    return std::hash<uint64_t>{}(mixed);
}

bool CLinkedFileSet::AddIfFirst(const BY_HANDLE_FILE_INFORMATION& info, ItemStream stream) {
    if (info.nNumberOfLinks <= 1) {
        return true;
    }
    const uint64_t fileIndex = (uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    return seen_.insert({info.dwVolumeSerialNumber, fileIndex, stream}).second;
}
