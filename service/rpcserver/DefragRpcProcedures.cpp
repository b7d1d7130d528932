// The server side of the interface's eleven procedures, over the engine state, the command
// queue and the worker handle. Sizes come from the client and are never trusted: the dispatch
// has checked them against what arrived and capped the out sizes (DefragRpcDispatch.h); a
// buffer is written only when it holds the whole record, and the reported length is what was
// written. Nothing here throws: every failure is a refusal.
#include "DefragCommandQueue.h"
#include "DefragEngineState.h"
#include "DefragRpc.h"
#include "DefragWorkerHandle.h"

#include <cstring>

namespace {

DefragEngineState& State() {
    return g_defragEngineState;
}

bool IsStartCommand(int32_t code) {
    return code == kCommandDefragment || code == kCommandAnalyse;
}

} // namespace

int ServerRpcGetDefragState(int* state, int* priority) {
    *state = State().jobState;
    *priority = g_defragWorker.Priority();
    return kRpcDone;
}

int ServerRpcSendDefragCommand(int size, const byte command[]) {
    if (size != static_cast<int>(sizeof(DefragCommand)))
        return kRpcRefused;
    DefragCommand copy;
    std::memcpy(&copy, command, sizeof copy);
    // The cell array is count × 40 bytes and clusters per cell divide by the count.
    if (IsStartCommand(copy.code) &&
        (copy.mapBlockCount < 1 || copy.mapBlockCount > kMaxMapBlockCount))
        return kRpcRefused;
    if (IsStartCommand(copy.code) || copy.code == kCommandRelease)
        return g_defragCommands.Post(copy) ? kRpcDone : kRpcRefused;
    return kRpcDone; // other codes are accepted and ignored
}

int ServerRpcSetClusterMap(int size, const byte cells[]) {
    if (size < 0)
        return kRpcRefused;
    return State().CopyCellsIn(cells, static_cast<uint64_t>(size)) ? kRpcDone : kRpcRefused;
}

int ServerRpcGetClusterMap(int size, int* len, byte cells[]) {
    *len = 0;
    uint64_t copied = 0;
    if (size < 0 || !State().CopyCellsOut(cells, static_cast<uint64_t>(size), copied))
        return kRpcRefused;
    *len = static_cast<int>(copied);
    return kRpcDone;
}

int ServerRpcGetDefragStatistics(int size, int* len, byte statistics[]) {
    *len = 0;
    if (size < static_cast<int>(sizeof(DefragStatistics)))
        return kRpcRefused;
    // The stub's buffer comes from MIDL_user_allocate, aligned for any record.
    if (!State().CopyStatistics(*reinterpret_cast<DefragStatistics*>(statistics)))
        return kRpcRefused;
    *len = sizeof(DefragStatistics);
    return kRpcDone;
}

int ServerRpcGetReportCount(int* count) {
    *count = static_cast<int>(State().ReportCount());
    return kRpcDone;
}

int ServerRpcGetReportItem(int index, int size, int* len, byte record[]) {
    *len = 0;
    // A negative index compares as a huge unsigned one and is refused with the others.
    if (size < static_cast<int>(sizeof(FileReportRecord)) ||
        !State().GetReportItem(static_cast<uint32_t>(index),
                               *reinterpret_cast<FileReportRecord*>(record)))
        return kRpcRefused;
    *len = sizeof(FileReportRecord);
    return kRpcDone;
}

int ServerRpcIsDefragPaused(int* paused) {
    *paused = State().paused;
    return kRpcDone;
}

int ServerRpcPauseDefrag() {
    State().SetClientPause(true);
    return kRpcDone;
}

int ServerRpcResumeDefrag() {
    State().SetClientPause(false);
    return kRpcDone;
}

int ServerRpcAbortDefrag() {
    // A paused worker would otherwise sleep on instead of seeing the abort.
    if (State().paused)
        State().SetClientPause(false);
    State().RequestAbort();
    return kRpcDone;
}
