#include "ExtentList.h"

void ExtentList::Clear() {
    allocatedClusters = 0;
    totalClusters = 0;
    fragmentCount = 0;
    extents.clear();
}

void ExtentList::Append(int64_t lcn, uint64_t length) {
    if (lcn < 0 && !extents.empty()) {
        // A sparse run inside the item belongs to the extent before it.
        extents.back().span += length;
        totalClusters += length;
        return;
    }
    if (lcn >= 0) {
        const Extent* previousReal =
            extents.empty() || extents.back().IsSparse() ? nullptr : &extents.back();
        if (previousReal == nullptr || previousReal->NextLcn() != static_cast<uint64_t>(lcn)) {
            ++fragmentCount;
        }
        extents.push_back({lcn, length, length, allocatedClusters, totalClusters});
        allocatedClusters += length;
    } else {
        extents.push_back({-1, 0, length, 0, 0});
    }
    totalClusters += length;
}

uint64_t ExtentList::AllocatedFrom(uint32_t index) const {
    uint64_t clusters = 0;
    for (size_t i = index; i < extents.size(); ++i) {
        clusters += extents[i].allocatedClusters;
    }
    return clusters;
}

bool ExtentList::StartsFragment(uint32_t index) const {
    if (index == 0 || extents[index - 1].IsSparse()) {
        return true;
    }
    return extents[index - 1].NextLcn() != static_cast<uint64_t>(extents[index].lcn);
}
