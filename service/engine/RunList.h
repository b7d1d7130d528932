// The engine's working copy of the volume bitmap: maximal runs of used or free clusters covering
// LCN 0 to the last LCN, with a bucket index (one slot per 128 clusters) that gives a relabel
// its starting node, and a max-tree over the buckets for the first-fit free-space search.
#pragma once

#include "FreeRunIndex.h"

#include <cstdint>
#include <memory>
#include <vector>

struct RunNode {
    RunNode* previous;
    RunNode* next;
    uint64_t startLcn;
    uint64_t endLcn; // inclusive
    uint32_t used;   // 1 used, 0 free

    uint64_t Length() const { return endLcn - startLcn + 1; }
};

class CRunList {
public:
    static constexpr unsigned kBucketShift = 7; // 128 clusters per bucket slot

    CRunList() = default;
    CRunList(const CRunList&) = delete;
    CRunList& operator=(const CRunList&) = delete;
    ~CRunList() { Clear(); }

    // Builds the list for totalClusters clusters from a volume bitmap (bit set = used, least
    // significant bit first). Clusters the bitmap does not cover (bitmapClusters below
    // totalClusters) are taken as used, so nothing is ever placed on them. A rebuild keeps the
    // memory of the last build, so rebuilding a volume of the same size allocates nothing.
    void Build(const uint8_t* bitmap, uint64_t bitmapClusters, uint64_t totalClusters);
    // Frees every node, the bucket index and the search tree.
    void Clear();
    // Bytes held for nodes, bucket index and search tree, whether in use or kept for a rebuild.
    size_t ReservedBytes() const;

    // Relabels [firstLcn, lastLcn]; false (nothing changed) when the range cannot be located.
    [[nodiscard]] bool SetRunRangeState(uint64_t firstLcn, uint64_t lastLcn, bool used);

    // First fit from the lowest LCN: the first free run of at least wantedClusters, whole;
    // else the longest free run (the first of equal lengths) if it holds minimumClusters.
    [[nodiscard]] bool FindFreeRun(uint64_t minimumClusters, uint64_t wantedClusters, uint64_t& lcn,
                                   uint64_t& length) const;
    // The first free run of at least wantedClusters (its start and its length), if it starts
    // below itemLcn.
    [[nodiscard]] bool FindFreeRunBelow(uint64_t itemLcn, uint64_t wantedClusters, uint64_t& lcn,
                                        uint64_t& length) const;
    // Length of the free run that holds lcn; 0 when lcn is used or past the volume.
    uint64_t FreeRunLengthAt(uint64_t lcn) const;
    // Length of the longest free run; 0 when there is none.
    uint64_t FindLargestFreeRun() const { return freeIndex_.Longest(); }

    bool Empty() const { return head_ == nullptr; }
    const RunNode* Head() const { return head_; }
    uint64_t LastLcn() const { return lastLcn_; }
    uint64_t UsedSum() const { return usedSum_; }
    uint64_t BucketCount() const { return buckets_.size(); }
    const RunNode* BucketNode(uint64_t slot) const { return buckets_[slot]; }

private:
    static uint64_t BucketOf(uint64_t lcn) { return lcn >> kBucketShift; }

    RunNode* NewNode(uint64_t start, uint64_t end, uint32_t used);
    void FreeNode(RunNode* node);
    void Append(uint64_t start, uint64_t end, uint32_t used);
    void OfferSlot(RunNode* node);
    void Unlink(RunNode* node);
    void InsertAfter(RunNode* previous, RunNode* node);
    RunNode* FindNodeContaining(uint64_t lcn) const;
    const RunNode* FirstFreeInBucket(uint64_t bucket, uint64_t minimumLength) const;
    void RefreshBucket(uint64_t bucket);
    // Empties the list but keeps its memory for the next build.
    void Reset();

    RunNode* head_ = nullptr;
    RunNode* tail_ = nullptr;
    std::vector<RunNode*> buckets_;
    uint64_t lastLcn_ = 0;
    uint64_t usedSum_ = 0;
    CFreeRunIndex freeIndex_;

    // Nodes come from blocks owned by the list and are recycled through a free chain; a rebuild
    // hands the blocks out again from the first.
    std::vector<std::unique_ptr<RunNode[]>> nodeBlocks_;
    size_t blocksInUse_ = 0;
    size_t nodesLeftInBlock_ = 0;
    RunNode* freeNodes_ = nullptr;
    std::vector<uint64_t> touchedBuckets_; // scratch of SetRunRangeState
};
