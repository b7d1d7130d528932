// FSCTL_MOVE_FILE on a simulated volume: the checks, the copy of the data, the journal record
// that commits each move, and the flushes that keep a loss of power from undoing more than
// kSimCommitBytes of moves or any byte of a file.
#include "SimVolume.h"

#include <algorithm>

namespace {

constexpr uint64_t kCopyChunkClusters = 256;

// The next part of a move: from copies[next] on, of which done clusters are moved already, at
// most room clusters. The part's VCN range ends where the following part's first copy begins,
// or with the move, so that sparse clusters go with the part before them.
void TakePart(const SimJournalMove& move, const std::vector<SimClusterCopy>& copies, size_t& next,
              uint64_t& done, uint64_t room, std::vector<SimClusterCopy>* part, uint64_t* endVcn) {
    part->clear();
    while (next < copies.size() && room > 0) {
        const SimClusterCopy& copy = copies[next];
        const uint64_t n = std::min(room, copy.count - done);
        part->push_back({copy.from + done, copy.to + done, n});
        room -= n;
        done += n;
        if (done == copy.count) {
            ++next;
            done = 0;
        }
    }
    *endVcn = next < copies.size()
                  ? move.vcn + (copies[next].to - static_cast<uint64_t>(move.lcn)) + done
                  : move.vcn + move.count;
}

} // namespace

DWORD CSimVolume::MoveClusters(const SimItemRef& item, int64_t vcn, int64_t lcn, uint32_t count) {
    std::function<void(const SimMoveEvent&)> hook;
    SimMoveEvent event;
    {
        std::lock_guard lock(mutex_);
        hook = beforeMove_;
        // The path costs a walk up the tree: only a hook or an armed fault asks for it.
        if (hook || !moveFaults_.empty()) {
            event = SimMoveEvent{PathOfLocked(item.recordId), item.streamKey,
                                 static_cast<uint64_t>(vcn), lcn, count};
        }
    }
    if (hook) {
        hook(event);
    }
    std::lock_guard lock(mutex_);
    if (image_->Crashed()) {
        return ERROR_NOT_READY;
    }
    DWORD error = ERROR_SUCCESS;
    if (!moveFaults_.empty()) {
        if (event.path.empty()) { // a fault armed since the first look
            event.path = PathOfLocked(item.recordId);
        }
        if (TakeFault(moveFaults_, event.path, &error)) {
            return error;
        }
    }
    if (vcn < 0) {
        return ERROR_INVALID_PARAMETER;
    }
    const SimJournalMove move{item.recordId, item.streamKey, static_cast<uint64_t>(vcn), lcn,
                              count};
    std::vector<SimClusterCopy>& copies = copiesScratch_;
    error = SimCheckMove(content_, move, &copies);
    if (error != ERROR_SUCCESS || copies.empty()) {
        return error;
    }
    // Checked as a whole, the move is committed in parts: each fills the current group of
    // unflushed moves as far as it has room, so that the volume flushes once for every
    // kSimCommitBytes moved, and never lets more than that wait for a flush.
    const uint64_t groupClusters =
        std::max<uint64_t>(1, kSimCommitBytes / content_.geometry.bytesPerCluster);
    std::vector<SimClusterCopy>& part = partScratch_;
    size_t next = 0;
    uint64_t done = 0;
    uint64_t partVcn = move.vcn;
    while (next < copies.size()) {
        if (unflushedMoveClusters_ >= groupClusters && !FlushMovesLocked()) {
            return image_->Crashed() ? ERROR_NOT_READY : ERROR_WRITE_FAULT;
        }
        size_t partNext = next;
        uint64_t partDone = done;
        uint64_t endVcn = 0;
        TakePart(move, copies, partNext, partDone, groupClusters - unflushedMoveClusters_, &part,
                 &endVcn);
        // Clusters that an unflushed move freed keep their data until that move is durable: a
        // loss of power before then undoes the move, and its file reads them again.
        const bool reusesFreed = std::any_of(part.begin(), part.end(), [&](const auto& copy) {
            return !freedByUnflushedMoves_.IsFree(copy.to, copy.count);
        });
        if (reusesFreed) {
            if (!FlushMovesLocked()) {
                return image_->Crashed() ? ERROR_NOT_READY : ERROR_WRITE_FAULT;
            }
            continue; // the part again, with the whole group's room
        }
        const SimJournalMove partMove{move.recordId, move.streamKey, partVcn,
                                      move.lcn + static_cast<int64_t>(partVcn - move.vcn),
                                      static_cast<uint32_t>(endVcn - partVcn)};
        error = CommitMovePartLocked(partMove, part);
        if (error != ERROR_SUCCESS) {
            return error;
        }
        next = partNext;
        done = partDone;
        partVcn = endVcn;
    }
    if (image_->JournalIsLarge() && batchDepth_ == 0 && image_->Checkpoint(content_)) {
        dirty_ = false;
        MovesFlushedLocked();
    }
    return ERROR_SUCCESS;
}

bool CSimVolume::FlushMovesLocked() {
    if (!image_->Flush()) {
        return false;
    }
    MovesFlushedLocked();
    return true;
}

// Copies the part's data into its free target clusters, one write for each stretch of adjacent
// targets, then appends its journal record with the data's digest (so that a record whose data
// never reached the disk is not replayed): the commit. Only then are the old clusters free.
DWORD CSimVolume::CommitMovePartLocked(SimJournalMove move,
                                       const std::vector<SimClusterCopy>& copies) {
    const uint32_t bytesPerCluster = content_.geometry.bytesPerCluster;
    std::vector<uint8_t>& buffer = copyBuffer_;
    uint64_t pendingLcn = 0;
    uint64_t pending = 0; // clusters in the buffer, for pendingLcn on
    const auto writePending = [&] {
        const bool written =
            pending == 0 || WriteClustersLocked(pendingLcn, pending, buffer.data());
        pending = 0;
        return written;
    };
    move.dataDigest = kSimDataDigestStart;
    for (const SimClusterCopy& copy : copies) {
        for (uint64_t done = 0; done < copy.count;) {
            if (pending == kCopyChunkClusters ||
                (pending > 0 && copy.to + done != pendingLcn + pending)) {
                if (!writePending()) {
                    return image_->Crashed() ? ERROR_NOT_READY : ERROR_WRITE_FAULT;
                }
            }
            if (pending == 0) {
                pendingLcn = copy.to + done;
            }
            const uint64_t n = std::min(kCopyChunkClusters - pending, copy.count - done);
            buffer.resize(static_cast<size_t>((pending + n) * bytesPerCluster));
            uint8_t* const at = buffer.data() + pending * bytesPerCluster;
            if (!ReadClustersLocked(copy.from + done, n, at)) {
                return ERROR_READ_FAULT;
            }
            move.dataDigest = SimDataDigest(move.dataDigest, at, n * bytesPerCluster);
            pending += n;
            done += n;
        }
    }
    if (!writePending()) {
        return image_->Crashed() ? ERROR_NOT_READY : ERROR_WRITE_FAULT;
    }
    if (image_->Reached(SimCrashPoint::AfterDataCopy)) {
        return ERROR_NOT_READY;
    }
    if (!image_->AppendMove(move)) {
        return image_->Crashed() ? ERROR_NOT_READY : ERROR_WRITE_FAULT;
    }
    SimApplyMove(content_, move, copies);
    index_.MarkExtentsStale(move.recordId);
    for (const SimClusterCopy& copy : copies) {
        movedClusters_ += copy.count;
        unflushedMoveClusters_ += copy.count;
        freedByUnflushedMoves_.Add(copy.from, copy.count);
    }
    dirty_ = true;
    // The record is written: the move has happened, but the device may be gone.
    return image_->Crashed() ? ERROR_NOT_READY : ERROR_SUCCESS;
}
