#include "FreeRunIndex.h"

#include <algorithm>

void CFreeRunIndex::Reset(uint64_t bucketCount) {
    leafBase_ = 1;
    while (leafBase_ < bucketCount) {
        leafBase_ <<= 1;
    }
    tree_.assign(static_cast<size_t>(2 * leafBase_), 0);
}

void CFreeRunIndex::Release() {
    std::vector<uint64_t>().swap(tree_);
    leafBase_ = 0;
}

void CFreeRunIndex::SetLeaf(uint64_t bucket, uint64_t longestFreeRun) {
    uint64_t node = leafBase_ + bucket;
    tree_[node] = longestFreeRun;
    for (node >>= 1; node != 0; node >>= 1) {
        const uint64_t longest = std::max(tree_[2 * node], tree_[2 * node + 1]);
        if (tree_[node] == longest) {
            break; // nothing above changes either
        }
        tree_[node] = longest;
    }
}

void CFreeRunIndex::RebuildInnerNodes() {
    for (uint64_t node = leafBase_ - 1; node != 0; --node) {
        tree_[node] = std::max(tree_[2 * node], tree_[2 * node + 1]);
    }
}

uint64_t CFreeRunIndex::FirstBucketAtLeast(uint64_t minimumLength) const {
    if (tree_.empty() || tree_[1] < minimumLength) {
        return kNone;
    }
    uint64_t node = 1;
    while (node < leafBase_) {
        node = tree_[2 * node] >= minimumLength ? 2 * node : 2 * node + 1;
    }
    return node - leafBase_;
}
