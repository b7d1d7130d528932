// Where one item's clusters lie: its extents in virtual-cluster order, as the file system's
// retrieval pointers give them, with the running sums the moves need.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct Extent {
    int64_t lcn;                // -1 for a sparse run
    uint64_t allocatedClusters; // 0 for a sparse run
    uint64_t span;              // own clusters plus those of the sparse runs that follow
    uint64_t allocatedBefore;   // allocated clusters of the earlier entries
    uint64_t startVcn;          // spans of the earlier entries

    bool IsSparse() const { return lcn < 0; }
    uint64_t NextLcn() const { return static_cast<uint64_t>(lcn) + allocatedClusters; }
};

struct ExtentList {
    uint64_t allocatedClusters = 0; // clusters of real extents
    uint64_t totalClusters = 0;     // virtual-cluster span, sparse runs included
    uint32_t fragmentCount = 0;
    std::vector<Extent> extents;

    void Clear();
    // Appends one retrieval-pointer extent of length clusters (lcn -1: sparse).
    void Append(int64_t lcn, uint64_t length);
    uint32_t ExtentCount() const { return static_cast<uint32_t>(extents.size()); }
    // Index of the first real entry: 1 when the item begins with a sparse run, else 0.
    uint32_t FirstRealIndex() const { return !extents.empty() && extents[0].IsSparse() ? 1 : 0; }
    // Allocated clusters of the entries from index on.
    uint64_t AllocatedFrom(uint32_t index) const;
    // True when entry index begins a new fragment after entry index - 1.
    bool StartsFragment(uint32_t index) const;
};
