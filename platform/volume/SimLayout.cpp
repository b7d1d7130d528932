#include "SimLayout.h"

#include <algorithm>

void SimAppendExtent(std::vector<SimExtent>& extents, const SimExtent& extent, bool mayMerge) {
    if (extent.count == 0) {
        return;
    }
    if (mayMerge && !extents.empty()) {
        SimExtent& last = extents.back();
        const bool bothSparse = last.lcn == kSimSparseLcn && extent.lcn == kSimSparseLcn;
        const bool continues = last.lcn != kSimSparseLcn && extent.lcn != kSimSparseLcn &&
                               last.lcn + static_cast<int64_t>(last.count) == extent.lcn;
        if (bothSparse || continues) {
            last.count += extent.count;
            return;
        }
    }
    extents.push_back(extent);
}

DWORD SimCheckMove(const SimVolumeContent& content, const SimJournalMove& move,
                   std::vector<SimClusterCopy>* copies) {
    copies->clear();
    auto found = content.records.find(move.recordId);
    if (found == content.records.end()) {
        return ERROR_INVALID_HANDLE;
    }
    const SimRecord& record = found->second;
    if (record.flags & kSimImmovable) {
        return ERROR_ACCESS_DENIED;
    }
    const SimStream* stream = record.FindStream(move.streamKey);
    if (stream == nullptr) {
        return ERROR_INVALID_HANDLE;
    }
    if (stream->extents.empty()) {
        return ERROR_INVALID_PARAMETER; // resident or empty: nothing to move
    }
    if (move.count == 0) {
        return ERROR_SUCCESS;
    }
    const uint64_t total = content.geometry.totalClusters;
    if (move.lcn < 0 || static_cast<uint64_t>(move.lcn) >= total ||
        move.count > total - static_cast<uint64_t>(move.lcn) ||
        move.vcn >= SimSpanClusters(*stream) || move.count > SimSpanClusters(*stream) - move.vcn) {
        return ERROR_INVALID_PARAMETER;
    }
    const uint64_t end = move.vcn + move.count;
    for (const SimExtent& extent : stream->extents) {
        const uint64_t from = std::max(extent.vcn, move.vcn);
        const uint64_t to = std::min(extent.vcn + extent.count, end);
        if (from >= to || extent.lcn == kSimSparseLcn) {
            continue;
        }
        SimClusterCopy copy;
        copy.from = static_cast<uint64_t>(extent.lcn) + (from - extent.vcn);
        copy.to = static_cast<uint64_t>(move.lcn) + (from - move.vcn);
        copy.count = to - from;
        if (!content.used.IsFree(copy.to, copy.count)) {
            return ERROR_ACCESS_DENIED; // what NTFS answers for a target already allocated
        }
        copies->push_back(copy);
    }
    return ERROR_SUCCESS;
}

void SimApplyMove(SimVolumeContent& content, const SimJournalMove& move,
                  const std::vector<SimClusterCopy>& copies) {
    SimStream* stream = content.records.at(move.recordId).FindStream(move.streamKey);
    const uint64_t end = move.vcn + move.count;
    std::vector<SimExtent> remapped;
    bool lastWasMoved = false;
    for (const SimExtent& extent : stream->extents) {
        const uint64_t extentEnd = extent.vcn + extent.count;
        // Up to three parts: before the range, inside it, after it.
        const uint64_t cuts[4] = {extent.vcn, std::clamp(move.vcn, extent.vcn, extentEnd),
                                  std::clamp(end, extent.vcn, extentEnd), extentEnd};
        for (int part = 0; part < 3; ++part) {
            SimExtent piece;
            piece.vcn = cuts[part];
            piece.count = cuts[part + 1] - cuts[part];
            if (extent.lcn == kSimSparseLcn) {
                piece.lcn = kSimSparseLcn;
            } else if (part == 1) {
                piece.lcn = move.lcn + static_cast<int64_t>(piece.vcn - move.vcn);
            } else {
                piece.lcn = extent.lcn + static_cast<int64_t>(piece.vcn - extent.vcn);
            }
            const bool moved = part == 1 && piece.count > 0;
            SimAppendExtent(remapped, piece, moved || lastWasMoved);
            if (piece.count > 0) {
                lastWasMoved = moved;
            }
        }
    }
    stream->extents = std::move(remapped);
    for (const SimClusterCopy& copy : copies) {
        content.used.Remove(copy.from, copy.count);
    }
    for (const SimClusterCopy& copy : copies) {
        content.used.Add(copy.to, copy.count);
        content.patterned.Assign(copy.to, copy.count, false); // they hold the copied data now
    }
}
