// A max-tree over the run list's 128-cluster buckets: each leaf holds the length of the longest
// free run that starts in its bucket. It answers "the first bucket holding a free run of at
// least n clusters" in logarithmic time, so the first-fit search never walks the whole list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class CFreeRunIndex {
public:
    static constexpr uint64_t kNone = UINT64_MAX;

    // Sizes the tree for bucketCount leaves, all 0 (no free run), in the memory it already holds
    // when that is large enough.
    void Reset(uint64_t bucketCount);
    void Release();
    size_t ReservedBytes() const { return tree_.capacity() * sizeof(uint64_t); }

    void SetLeaf(uint64_t bucket, uint64_t longestFreeRun);
    // For bulk loading: raises a leaf without updating the nodes above it; one
    // RebuildInnerNodes call completes the batch.
    void RaiseLeafDeferred(uint64_t bucket, uint64_t freeRunLength) {
        uint64_t& leaf = tree_[leafBase_ + bucket];
        if (freeRunLength > leaf) {
            leaf = freeRunLength;
        }
    }
    void RebuildInnerNodes();

    uint64_t Longest() const { return tree_.empty() ? 0 : tree_[1]; }
    // The lowest bucket whose leaf is at least minimumLength (> 0), or kNone.
    uint64_t FirstBucketAtLeast(uint64_t minimumLength) const;

private:
    std::vector<uint64_t> tree_; // 1-based heap layout; leaves from leafBase_
    uint64_t leafBase_ = 0;
};
