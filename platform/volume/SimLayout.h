// Moving a stream's clusters in a simulated volume's content: the checks FSCTL_MOVE_FILE makes
// and the remapping it commits, shared by live moves and journal replay.
#pragma once

#include "SimImageCodec.h"
#include "SimVolumeModel.h"

#include <vector>

// count clusters whose data goes from one LCN to another.
struct SimClusterCopy {
    uint64_t from = 0;
    uint64_t to = 0;
    uint64_t count = 0;
};

// ERROR_SUCCESS with the copies the move needs (sparse clusters stay sparse), or the error the
// file system gives: ERROR_INVALID_PARAMETER for a range outside the stream or the volume,
// ERROR_ACCESS_DENIED for an immovable item or a target cluster in use.
[[nodiscard]] DWORD SimCheckMove(const SimVolumeContent& content, const SimJournalMove& move,
                                 std::vector<SimClusterCopy>* copies);

// Remaps the moved range, merges the runs it touches where they became adjacent (runs the move
// did not touch keep their boundaries), frees the old clusters and marks the new ones used. The
// move must have passed SimCheckMove.
void SimApplyMove(SimVolumeContent& content, const SimJournalMove& move,
                  const std::vector<SimClusterCopy>& copies);

// Appends a run in VCN order; with mayMerge, into the last run when it continues it.
void SimAppendExtent(std::vector<SimExtent>& extents, const SimExtent& extent, bool mayMerge);
