#include "ClusterMap.h"

#include <algorithm>

namespace {

void Shift(uint64_t& from, uint64_t& to, uint64_t clusters) {
    const uint64_t moved = std::min(from, clusters);
    from -= moved;
    to += moved;
}

void ApplyToCell(ClusterMapBlock& cell, uint64_t clusters, MapTransfer transfer, bool flag) {
    uint64_t& fileClusters = flag ? cell.fragmentedClusters : cell.contiguousClusters;
    switch (transfer) {
    case MapTransfer::BitmapRun:
        (flag ? cell.otherUsedClusters : cell.freeClusters) += clusters;
        break;
    case MapTransfer::FileExtent:
        Shift(cell.otherUsedClusters, fileClusters, clusters);
        break;
    case MapTransfer::MovedFrom:
        Shift(fileClusters, cell.freeClusters, clusters);
        break;
    case MapTransfer::MovedTo:
        Shift(cell.freeClusters, fileClusters, clusters);
        break;
    case MapTransfer::MftZone:
        cell.mftZoneClusters += clusters;
        break;
    case MapTransfer::MadeContiguous:
        Shift(cell.fragmentedClusters, cell.contiguousClusters, clusters);
        break;
    case MapTransfer::MadeFragmented:
        Shift(cell.contiguousClusters, cell.fragmentedClusters, clusters);
        break;
    }
}

} // namespace

uint64_t ClustersPerCell(uint64_t totalClusters, uint64_t cellCount) {
    return cellCount == 0 ? 0 : (totalClusters + cellCount - 1) / cellCount;
}

void UpdateClusterMap(const ClusterMapView& map, uint64_t firstLcn, uint64_t lastLcn,
                      MapTransfer transfer, bool flag) {
    const uint64_t perCell = map.clustersPerCell;
    if (map.cells == nullptr || perCell == 0 || firstLcn > lastLcn) {
        return;
    }
    for (uint64_t cell = firstLcn / perCell; cell < map.cellCount && cell * perCell <= lastLcn;
         ++cell) {
        const uint64_t from = std::max(firstLcn, cell * perCell);
        const uint64_t to = std::min(lastLcn, (cell + 1) * perCell - 1);
        ApplyToCell(map.cells[cell], to - from + 1, transfer, flag);
    }
}
