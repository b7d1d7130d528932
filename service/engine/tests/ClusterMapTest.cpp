// Cluster map: cell geometry, every transfer, and the four counts of a cell adding up.
#include "ClusterMap.h"
#include "RunList.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

uint64_t FourCounts(const ClusterMapBlock& cell) {
    return cell.freeClusters + cell.otherUsedClusters + cell.contiguousClusters +
           cell.fragmentedClusters;
}

// Clusters of the volume that cell i covers.
uint64_t Covered(uint64_t cell, uint64_t perCell, uint64_t total) {
    const uint64_t first = cell * perCell;
    if (first >= total) {
        return 0;
    }
    return std::min(total, first + perCell) - first;
}

TEST(ClusterMap, ThousandClustersIn248CellsHaveFivePerCellAndTheLastCellsStayEmpty) {
    EXPECT_EQ(5u, ClustersPerCell(1000, 248));
    EXPECT_EQ(0u, ClustersPerCell(1000, 0));
    std::vector<ClusterMapBlock> cells(248);
    const ClusterMapView map{cells.data(), cells.size(), ClustersPerCell(1000, 248)};
    UpdateClusterMap(map, 0, 999, MapTransfer::BitmapRun, false);
    for (size_t i = 0; i < 200; ++i) {
        EXPECT_EQ(5u, cells[i].freeClusters) << i;
    }
    for (size_t i = 200; i < 248; ++i) {
        EXPECT_EQ(0u, FourCounts(cells[i])) << i;
    }
}

TEST(ClusterMap, EachTransferMovesBetweenItsCounts) {
    std::vector<ClusterMapBlock> cells(4);
    const ClusterMapView map{cells.data(), cells.size(), 10};
    UpdateClusterMap(map, 0, 39, MapTransfer::BitmapRun, true);
    // A range cut at cell boundaries: 7..22 touches cells 0 (3), 1 (10) and 2 (3).
    UpdateClusterMap(map, 7, 22, MapTransfer::FileExtent, true);
    EXPECT_EQ(7u, cells[0].otherUsedClusters);
    EXPECT_EQ(3u, cells[0].fragmentedClusters);
    EXPECT_EQ(10u, cells[1].fragmentedClusters);
    EXPECT_EQ(3u, cells[2].fragmentedClusters);
    UpdateClusterMap(map, 10, 14, MapTransfer::MovedFrom, true);
    EXPECT_EQ(5u, cells[1].freeClusters);
    EXPECT_EQ(5u, cells[1].fragmentedClusters);
    UpdateClusterMap(map, 10, 12, MapTransfer::MovedTo, false);
    EXPECT_EQ(2u, cells[1].freeClusters);
    EXPECT_EQ(3u, cells[1].contiguousClusters);
    UpdateClusterMap(map, 15, 19, MapTransfer::MadeContiguous, false);
    EXPECT_EQ(0u, cells[1].fragmentedClusters);
    EXPECT_EQ(8u, cells[1].contiguousClusters);
    UpdateClusterMap(map, 10, 11, MapTransfer::MadeFragmented, false);
    EXPECT_EQ(2u, cells[1].fragmentedClusters);
    EXPECT_EQ(6u, cells[1].contiguousClusters);
    UpdateClusterMap(map, 5, 25, MapTransfer::MftZone, false);
    EXPECT_EQ(5u, cells[0].mftZoneClusters);
    EXPECT_EQ(10u, cells[1].mftZoneClusters);
    EXPECT_EQ(6u, cells[2].mftZoneClusters);
    for (size_t i = 0; i < cells.size(); ++i) {
        EXPECT_EQ(10u, FourCounts(cells[i])) << i;
    }
}

TEST(ClusterMap, CountsNeverWrapBelowZeroAfterTheClientOverwroteTheCells) {
    std::vector<ClusterMapBlock> cells(2);
    const ClusterMapView map{cells.data(), cells.size(), 10};
    cells[0] = {2, 1, 0, 0, 0}; // as a client may have written it
    UpdateClusterMap(map, 0, 9, MapTransfer::FileExtent, false);
    UpdateClusterMap(map, 0, 9, MapTransfer::MovedTo, true);
    UpdateClusterMap(map, 0, 9, MapTransfer::MovedFrom, true);
    UpdateClusterMap(map, 0, 9, MapTransfer::MadeContiguous, false);
    for (const uint64_t count : {cells[0].freeClusters, cells[0].otherUsedClusters,
                                 cells[0].contiguousClusters, cells[0].fragmentedClusters}) {
        EXPECT_LE(count, 3u);
    }
    EXPECT_EQ(3u, FourCounts(cells[0]));
}

TEST(ClusterMap, RangesPastTheLastCellTouchNoCellBeyondIt) {
    std::vector<ClusterMapBlock> cells(3, ClusterMapBlock{});
    cells.push_back({99, 99, 99, 99, 99}); // a guard just past the map
    const ClusterMapView map{cells.data(), 3, 10};
    UpdateClusterMap(map, 25, 1000, MapTransfer::MftZone, false);
    UpdateClusterMap(map, 500, 1000, MapTransfer::BitmapRun, true);
    EXPECT_EQ(5u, cells[2].mftZoneClusters);
    EXPECT_EQ(99u, cells[3].mftZoneClusters);
    EXPECT_EQ(99u, cells[3].otherUsedClusters);
}

TEST(ClusterMap, FourCountsAddUpAfterRandomMovesOverAMapBuiltFromTheRunList) {
    std::mt19937 random(11);
    const uint64_t total = 3001;
    const uint64_t cellCount = 37;
    std::vector<uint8_t> bitmap((total + 7) / 8);
    for (auto& byte : bitmap) {
        byte = static_cast<uint8_t>(random());
    }
    CRunList list;
    list.Build(bitmap.data(), total, total);
    std::vector<ClusterMapBlock> cells(cellCount);
    const ClusterMapView map{cells.data(), cellCount, ClustersPerCell(total, cellCount)};
    for (const RunNode* node = list.Head(); node != nullptr; node = node->next) {
        UpdateClusterMap(map, node->startLcn, node->endLcn, MapTransfer::BitmapRun, node->used);
    }
    const MapTransfer transfers[] = {MapTransfer::FileExtent,     MapTransfer::MovedFrom,
                                     MapTransfer::MovedTo,        MapTransfer::MadeContiguous,
                                     MapTransfer::MadeFragmented, MapTransfer::MftZone};
    for (int step = 0; step < 2000; ++step) {
        const uint64_t first = random() % total;
        const uint64_t last = std::min(total - 1, first + random() % 200);
        UpdateClusterMap(map, first, last, transfers[random() % 6], random() % 2);
    }
    for (uint64_t i = 0; i < cellCount; ++i) {
        EXPECT_EQ(Covered(i, map.clustersPerCell, total), FourCounts(cells[i])) << i;
    }
}

} // namespace
