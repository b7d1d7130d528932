#include "RunList.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kNodesPerBlock = 4096;

bool BitAt(const uint8_t* bitmap, uint64_t lcn) {
    return ((bitmap[lcn >> 3] >> (lcn & 7)) & 1) != 0;
}

// The first LCN at or after lcn and below end whose bit differs from used; end if none.
// Reads eight bytes at a time, so long runs cost one step per 57 to 64 clusters.
uint64_t NextChange(const uint8_t* bitmap, uint64_t end, uint64_t lcn, bool used) {
    const uint64_t byteCount = (end + 7) / 8;
    while (lcn < end) {
        const uint64_t byte = lcn >> 3;
        if (byte + 8 > byteCount) {
            if (BitAt(bitmap, lcn) != used) {
                return lcn;
            }
            ++lcn;
            continue;
        }
        uint64_t word;
        std::memcpy(&word, bitmap + byte, sizeof word);
        const unsigned shift = static_cast<unsigned>(lcn & 7);
        word >>= shift;
        if (used) {
            word = ~word;
        }
        const unsigned validBits = 64 - shift;
        if (validBits < 64) {
            word &= (uint64_t{1} << validBits) - 1;
        }
        if (word != 0) {
            return std::min(end, lcn + static_cast<uint64_t>(__builtin_ctzll(word)));
        }
        lcn += validBits;
    }
    return end;
}

} // namespace

void CRunList::Build(const uint8_t* bitmap, uint64_t bitmapClusters, uint64_t totalClusters) {
    if (totalClusters == 0) {
        Clear();
        return;
    }
    Reset();
    lastLcn_ = totalClusters - 1;
    buckets_.assign(static_cast<size_t>(BucketOf(lastLcn_) + 1), nullptr);
    freeIndex_.Reset(buckets_.size());

    const uint64_t scanned = std::min(bitmapClusters, totalClusters);
    for (uint64_t lcn = 0; lcn < scanned;) {
        const bool used = BitAt(bitmap, lcn);
        const uint64_t end = NextChange(bitmap, scanned, lcn, used);
        Append(lcn, end - 1, used ? 1 : 0);
        lcn = end;
    }
    if (scanned < totalClusters) {
        if (tail_ != nullptr && tail_->used) {
            usedSum_ += totalClusters - scanned;
            tail_->endLcn = lastLcn_;
        } else {
            Append(scanned, lastLcn_, 1);
        }
    }
    freeIndex_.RebuildInnerNodes();
}

void CRunList::Reset() {
    head_ = tail_ = nullptr;
    blocksInUse_ = 0;
    nodesLeftInBlock_ = 0;
    freeNodes_ = nullptr;
    lastLcn_ = 0;
    usedSum_ = 0;
}

void CRunList::Clear() {
    Reset();
    std::vector<RunNode*>().swap(buckets_);
    freeIndex_.Release();
    std::vector<std::unique_ptr<RunNode[]>>().swap(nodeBlocks_);
    std::vector<uint64_t>().swap(touchedBuckets_);
}

size_t CRunList::ReservedBytes() const {
    return nodeBlocks_.size() * kNodesPerBlock * sizeof(RunNode) +
           buckets_.capacity() * sizeof(RunNode*) + freeIndex_.ReservedBytes() +
           touchedBuckets_.capacity() * sizeof(uint64_t);
}

RunNode* CRunList::NewNode(uint64_t start, uint64_t end, uint32_t used) {
    RunNode* node;
    if (freeNodes_ != nullptr) {
        node = freeNodes_;
        freeNodes_ = node->next;
    } else {
        if (nodesLeftInBlock_ == 0) {
            if (blocksInUse_ == nodeBlocks_.size()) {
                nodeBlocks_.push_back(std::make_unique_for_overwrite<RunNode[]>(kNodesPerBlock));
            }
            ++blocksInUse_;
            nodesLeftInBlock_ = kNodesPerBlock;
        }
        node = nodeBlocks_[blocksInUse_ - 1].get() + (kNodesPerBlock - nodesLeftInBlock_--);
    }
    *node = RunNode{nullptr, nullptr, start, end, used};
    return node;
}

void CRunList::FreeNode(RunNode* node) {
    node->next = freeNodes_;
    freeNodes_ = node;
}

void CRunList::Append(uint64_t start, uint64_t end, uint32_t used) {
    RunNode* node = NewNode(start, end, used);
    node->previous = tail_;
    if (tail_ != nullptr) {
        tail_->next = node;
    } else {
        head_ = node;
    }
    tail_ = node;
    RunNode*& slot = buckets_[BucketOf(start)];
    if (slot == nullptr) {
        slot = node;
    }
    if (used) {
        usedSum_ += node->Length();
    } else {
        freeIndex_.RaiseLeafDeferred(BucketOf(start), node->Length());
    }
}

// A slot takes a node when it is empty or holds a node that starts later.
void CRunList::OfferSlot(RunNode* node) {
    if (node == nullptr) {
        return;
    }
    RunNode*& slot = buckets_[BucketOf(node->startLcn)];
    if (slot == nullptr || slot->startLcn > node->startLcn) {
        slot = node;
    }
}

void CRunList::Unlink(RunNode* node) {
    RunNode*& slot = buckets_[BucketOf(node->startLcn)];
    if (slot == node) {
        slot = nullptr;
    }
    RunNode* previous = node->previous;
    RunNode* next = node->next;
    (previous != nullptr ? previous->next : head_) = next;
    (next != nullptr ? next->previous : tail_) = previous;
    OfferSlot(previous);
    OfferSlot(next);
    if (node->used) {
        usedSum_ -= node->Length();
    }
}

void CRunList::InsertAfter(RunNode* previous, RunNode* node) {
    RunNode* next = previous != nullptr ? previous->next : head_;
    node->previous = previous;
    node->next = next;
    (previous != nullptr ? previous->next : head_) = node;
    (next != nullptr ? next->previous : tail_) = node;
    OfferSlot(node);
    if (node->used) {
        usedSum_ += node->Length();
    }
}

RunNode* CRunList::FindNodeContaining(uint64_t lcn) const {
    if (head_ == nullptr || lcn > lastLcn_) {
        return nullptr;
    }
    uint64_t slot = BucketOf(lcn);
    while (buckets_[slot] == nullptr) {
        if (slot == 0) {
            return nullptr;
        }
        --slot;
    }
    RunNode* node = buckets_[slot];
    while (node != nullptr && node->startLcn > lcn) {
        node = node->previous;
    }
    while (node != nullptr && node->endLcn < lcn) {
        node = node->next;
    }
    if (node == nullptr || lcn < node->startLcn) {
        return nullptr;
    }
    return node;
}

bool CRunList::SetRunRangeState(uint64_t firstLcn, uint64_t lastLcn, bool used) {
    if (firstLcn > lastLcn || lastLcn > lastLcn_) {
        return false;
    }
    RunNode* first = FindNodeContaining(firstLcn);
    if (first == nullptr) {
        return false;
    }
    RunNode* last = first;
    while (last != nullptr && last->endLcn < lastLcn) {
        last = last->next;
    }
    if (last == nullptr) {
        return false;
    }
    const uint32_t flag = used ? 1 : 0;
    if (first == last && first->used == flag) {
        return true; // already labelled so
    }

    // Widen over neighbours that already carry the new flag.
    uint64_t start = firstLcn;
    uint64_t end = lastLcn;
    if (start == first->startLcn) {
        while (first->previous != nullptr && first->previous->used == flag) {
            first = first->previous;
            start = first->startLcn;
        }
    }
    if (end == last->endLcn) {
        while (last->next != nullptr && last->next->used == flag) {
            last = last->next;
            end = last->endLcn;
        }
    }

    // The parts of the outer nodes outside the range stay as they were, or merge into it.
    const uint64_t leftStart = first->startLcn;
    const uint32_t leftFlag = first->used;
    bool leftPiece = false;
    if (start > leftStart) {
        if (leftFlag == flag) {
            start = leftStart;
        } else {
            leftPiece = true;
        }
    }
    const uint64_t rightEnd = last->endLcn;
    const uint32_t rightFlag = last->used;
    bool rightPiece = false;
    if (end < rightEnd) {
        if (rightFlag == flag) {
            end = rightEnd;
        } else {
            rightPiece = true;
        }
    }

    RunNode* before = first->previous;
    touchedBuckets_.clear();
    for (RunNode* node = first;;) {
        RunNode* next = node->next;
        const bool wasLast = node == last;
        touchedBuckets_.push_back(BucketOf(node->startLcn));
        Unlink(node);
        FreeNode(node);
        if (wasLast) {
            break;
        }
        node = next;
    }
    auto insert = [&](uint64_t pieceStart, uint64_t pieceEnd, uint32_t pieceFlag) {
        RunNode* node = NewNode(pieceStart, pieceEnd, pieceFlag);
        InsertAfter(before, node);
        before = node;
        touchedBuckets_.push_back(BucketOf(pieceStart));
    };
    if (leftPiece) {
        insert(leftStart, start - 1, leftFlag);
    }
    insert(start, end, flag);
    if (rightPiece) {
        insert(end + 1, rightEnd, rightFlag);
    }

    std::sort(touchedBuckets_.begin(), touchedBuckets_.end());
    touchedBuckets_.erase(std::unique(touchedBuckets_.begin(), touchedBuckets_.end()),
                          touchedBuckets_.end());
    for (const uint64_t bucket : touchedBuckets_) {
        RefreshBucket(bucket);
    }
    return true;
}

void CRunList::RefreshBucket(uint64_t bucket) {
    uint64_t longest = 0;
    for (const RunNode* node = buckets_[bucket];
         node != nullptr && BucketOf(node->startLcn) == bucket; node = node->next) {
        if (!node->used) {
            longest = std::max(longest, node->Length());
        }
    }
    freeIndex_.SetLeaf(bucket, longest);
}

const RunNode* CRunList::FirstFreeInBucket(uint64_t bucket, uint64_t minimumLength) const {
    for (const RunNode* node = buckets_[bucket];
         node != nullptr && BucketOf(node->startLcn) == bucket; node = node->next) {
        if (!node->used && node->Length() >= minimumLength) {
            return node;
        }
    }
    return nullptr;
}

bool CRunList::FindFreeRun(uint64_t minimumClusters, uint64_t wantedClusters, uint64_t& lcn,
                           uint64_t& length) const {
    // Every free run holds at least one cluster, so asking for 0 asks for any.
    uint64_t needed = std::max<uint64_t>(wantedClusters, 1);
    uint64_t bucket = freeIndex_.FirstBucketAtLeast(needed);
    if (bucket == CFreeRunIndex::kNone) {
        const uint64_t longest = freeIndex_.Longest();
        if (longest == 0 || longest < minimumClusters) {
            return false;
        }
        needed = longest;
        bucket = freeIndex_.FirstBucketAtLeast(needed);
    }
    const RunNode* node = FirstFreeInBucket(bucket, needed);
    if (node == nullptr) {
        return false;
    }
    lcn = node->startLcn;
    length = node->Length();
    return true;
}

bool CRunList::FindFreeRunBelow(uint64_t itemLcn, uint64_t wantedClusters, uint64_t& lcn,
                                uint64_t& length) const {
    const uint64_t needed = std::max<uint64_t>(wantedClusters, 1);
    const uint64_t bucket = freeIndex_.FirstBucketAtLeast(needed);
    if (bucket == CFreeRunIndex::kNone) {
        return false;
    }
    const RunNode* node = FirstFreeInBucket(bucket, needed);
    if (node == nullptr || node->startLcn >= itemLcn) {
        return false;
    }
    lcn = node->startLcn;
    length = node->Length();
    return true;
}

uint64_t CRunList::FreeRunLengthAt(uint64_t lcn) const {
    const RunNode* node = FindNodeContaining(lcn);
    return node != nullptr && !node->used ? node->Length() : 0;
}
