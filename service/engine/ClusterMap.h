// The cluster map the main program draws: N cells, each counting the free, otherwise used,
// contiguous-file, fragmented-file and MFT-zone clusters of K consecutive LCNs.
#pragma once

#include "DefragRecords.h"

#include <cstdint>

enum class MapTransfer {
    BitmapRun,      // a run of the bitmap: used ? used-other : free
    FileExtent,     // used-other -> contiguous or fragmented file
    MovedFrom,      // contiguous or fragmented file -> free
    MovedTo,        // free -> contiguous or fragmented file
    MftZone,        // counted again as MFT zone
    MadeContiguous, // fragmented file -> contiguous file
    MadeFragmented, // contiguous file -> fragmented file
};

struct ClusterMapView {
    ClusterMapBlock* cells;
    uint64_t cellCount;
    uint64_t clustersPerCell;
};

// Clusters per cell for a volume: total ÷ cells, rounded up.
uint64_t ClustersPerCell(uint64_t totalClusters, uint64_t cellCount);

// Applies a transfer to every cell that [firstLcn, lastLcn] touches; flag is "used" for a bitmap
// run and "fragmented" for the file transfers. A transfer moves at most what its source count
// holds, so no count drops below zero and the four counts of a cell keep their sum.
void UpdateClusterMap(const ClusterMapView& map, uint64_t firstLcn, uint64_t lastLcn,
                      MapTransfer transfer, bool flag);
