// Volume geometry, the run list read from the volume bitmap, and the cluster map built from it.
#include "DefragRun.h"

#include <algorithm>
#include <cwchar>
#include <new>

namespace {

constexpr DWORD kFileSystemNameBufferUnits = 128;
// The bitmap buffer's header (starting LCN and bitmap size) and slack for a partial last byte.
constexpr uint64_t kBitmapHeaderBytes = offsetof(VOLUME_BITMAP_BUFFER, Buffer);
constexpr uint64_t kBitmapSlackBytes = 8;

} // namespace

ClusterMapView CDefragRun::Map() const {
    return {state_.Cells(), state_.Cells() != nullptr ? state_.cellCount : 0,
            state_.clustersPerCell};
}

bool CDefragRun::QueryNtfsVolumeData(NTFS_VOLUME_DATA_BUFFER& data) {
    DWORD returned = 0;
    return volume_.DeviceIoControl(volumeHandle_.Get(), FSCTL_GET_NTFS_VOLUME_DATA, nullptr, 0,
                                   &data, sizeof data, &returned) &&
           returned >= sizeof data;
}

bool CDefragRun::QueryVolumeInfo(wchar_t drive) {
    const wchar_t root[] = {drive, L':', L'\\', L'\0'};
    wchar_t fileSystem[kFileSystemNameBufferUnits] = {};
    if (!volume_.GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, nullptr, fileSystem,
                                       kFileSystemNameBufferUnits)) {
        fileSystem[0] = L'\0';
    }
    fileSystem[kFileSystemNameBufferUnits - 1] = L'\0';
    ntfs_ = std::wcscmp(fileSystem, L"NTFS") == 0;
    statistics_.drive = drive;
    const size_t units = std::min(std::wcslen(fileSystem), kFileSystemNameUnits - 1);
    std::wmemcpy(statistics_.fileSystemName, fileSystem, units);
    statistics_.fileSystemName[units] = L'\0';

    if (ntfs_) {
        NTFS_VOLUME_DATA_BUFFER data{};
        if (!QueryNtfsVolumeData(data) || data.BytesPerSector == 0 ||
            data.TotalClusters.QuadPart < 0 || data.FreeClusters.QuadPart < 0) {
            return false;
        }
        statistics_.totalClusters = static_cast<uint64_t>(data.TotalClusters.QuadPart);
        statistics_.freeClusters = static_cast<uint64_t>(data.FreeClusters.QuadPart);
        statistics_.bytesPerSector = data.BytesPerSector;
        statistics_.sectorsPerCluster = data.BytesPerCluster / data.BytesPerSector;
        return true;
    }
    DWORD sectorsPerCluster = 0;
    DWORD bytesPerSector = 0;
    DWORD freeClusters = 0;
    DWORD totalClusters = 0;
    if (!volume_.GetDiskFreeSpaceW(root, &sectorsPerCluster, &bytesPerSector, &freeClusters,
                                   &totalClusters)) {
        return false;
    }
    statistics_.sectorsPerCluster = sectorsPerCluster;
    statistics_.bytesPerSector = bytesPerSector;
    statistics_.freeClusters = freeClusters;
    statistics_.totalClusters = totalClusters;
    return true;
}

// One call for the whole bitmap into a zeroed buffer; only what the call returned is read, and
// clusters it did not cover count as used.
void CDefragRun::ReadVolumeBitmap() {
    runList_.Clear();
    const uint64_t total = statistics_.totalClusters;
    const uint64_t bytes = kBitmapHeaderBytes + total / 8 + kBitmapSlackBytes;
    if (total == 0 || bytes > MAXDWORD) {
        return;
    }
    try {
        std::vector<uint8_t> buffer(static_cast<size_t>(bytes), 0);
        STARTING_LCN_INPUT_BUFFER start{};
        DWORD returned = 0;
        if (!volume_.DeviceIoControl(volumeHandle_.Get(), FSCTL_GET_VOLUME_BITMAP, &start,
                                     sizeof start, buffer.data(), static_cast<DWORD>(bytes),
                                     &returned) ||
            returned < kBitmapHeaderBytes) {
            return;
        }
        const auto* bitmap = reinterpret_cast<const VOLUME_BITMAP_BUFFER*>(buffer.data());
        if (bitmap->StartingLcn.QuadPart != 0 || bitmap->BitmapSize.QuadPart < 0) {
            return;
        }
        const uint64_t returnedClusters = (returned - kBitmapHeaderBytes) * 8;
        const uint64_t bitmapClusters =
            std::min(static_cast<uint64_t>(bitmap->BitmapSize.QuadPart), returnedClusters);
        runList_.Build(bitmap->Buffer, bitmapClusters, total);
    } catch (const std::bad_alloc&) {
        runList_.Clear();
    }
}

void CDefragRun::BuildRunList() {
    if (ClusterMapBlock* cells = state_.Cells()) {
        std::fill_n(cells, state_.cellCount, ClusterMapBlock{});
    }
    ReadVolumeBitmap();
    statistics_.usedClusters = runList_.UsedSum();
}

void CDefragRun::ReloadVolumeBitmap() {
    ReadVolumeBitmap();
    statistics_.usedClusters = runList_.UsedSum();
    ReserveMftZone();
}

void CDefragRun::MapRunListIntoClusterMap() {
    const ClusterMapView map = Map();
    for (const RunNode* node = runList_.Head(); node != nullptr; node = node->next) {
        UpdateClusterMap(map, node->startLcn, node->endLcn, MapTransfer::BitmapRun, node->used);
    }
}

// Marks the MFT zone used in the run list, so nothing is placed there, and counts it per cell;
// its clusters keep their free or used count in the cells.
void CDefragRun::ReserveMftZone() {
    NTFS_VOLUME_DATA_BUFFER data{};
    if (!ntfs_ || !QueryNtfsVolumeData(data)) {
        return;
    }
    const uint64_t total = statistics_.totalClusters;
    const uint64_t start = static_cast<uint64_t>(std::max<LONGLONG>(0, data.MftZoneStart.QuadPart));
    const uint64_t end =
        std::min(total, static_cast<uint64_t>(std::max<LONGLONG>(0, data.MftZoneEnd.QuadPart)));
    if (start < end) {
        // Fails only on an empty list (no bitmap), which places nothing anyway.
        static_cast<void>(runList_.SetRunRangeState(start, end - 1, true));
    }
    const ClusterMapView map = Map();
    for (uint64_t cell = 0; cell < map.cellCount; ++cell) {
        map.cells[cell].mftZoneClusters = 0;
    }
    if (start < end) {
        UpdateClusterMap(map, start, end - 1, MapTransfer::MftZone, false);
    }
}
