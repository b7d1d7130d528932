#include "DefragRpcDispatch.h"

#include "DefragEngineState.h"
#include "DefragRpc.h"
#include "RpcCallAllocations.h"
#include "RpcGuard.h"

#include <array>
#include <cstring>

namespace {

// Bytes of the fixed arguments each request carries: the 32-bit integers, and the conformance
// of an in array; NDR aligns each to 4 bytes, so they follow one another.
constexpr std::array<unsigned, kProcedureCount> kFixedBytes = {0, 8, 8, 4, 4, 0, 8, 0, 0, 0, 0};

int32_t ReadInt32(const unsigned char* at) {
    int32_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

void WriteInt32(unsigned char* at, int32_t value) {
    std::memcpy(at, &value, sizeof value);
}

// In arrays: [size][conformance][bytes].
RPC_STATUS CheckInArray(const unsigned char* buffer, unsigned length) {
    const int32_t size = ReadInt32(buffer);
    const uint32_t conformance = static_cast<uint32_t>(ReadInt32(buffer + 4));
    if (size < 0 || conformance != static_cast<uint32_t>(size) || length - 8 < conformance)
        return RPC_X_BAD_STUB_DATA;
    return RPC_S_OK;
}

// The range the interface gives the record procedures' sizes.
constexpr int32_t kMaxRecordRequest = 1'048'576;

// Out sizes: the stub allocates what the size asks before the procedure runs. Sizes outside
// the interface's range stay for the stub's range check to refuse.
void CapRecordSize(unsigned char* at, int32_t recordBytes) {
    const int32_t size = ReadInt32(at);
    if (size > recordBytes && size <= kMaxRecordRequest)
        WriteInt32(at, recordBytes);
}

// The map is answered only when size ÷ 40 is the cell count; any other size gets nothing.
void CapMapSize(unsigned char* at, uint64_t cellBytes) {
    const int32_t size = ReadInt32(at);
    if (size >= 0 && (cellBytes == 0 || static_cast<uint64_t>(size) / sizeof(ClusterMapBlock) !=
                                            cellBytes / sizeof(ClusterMapBlock)))
        WriteInt32(at, 0);
}

// Runs the stub's interpreter; the code of the exception it raised, or 0. Blocks the runtime
// leaves behind are freed when the call is over, faulted or not.
unsigned long RunInterpreter(PRPC_MESSAGE message) {
    RpcCallAllocations allocations;
    unsigned long code = 0;
    // Its answer is 1 or, after a fault, 0: the code says the same and more.
    static_cast<void>(RunFaultGuarded(
        [message] {
            NdrServerCall2(message);
            return 1;
        },
        &code));
    return code;
}

// Nothing with a destructor lives here when the fault is raised back to the runtime.
void __RPC_STUB CheckedServerCall(PRPC_MESSAGE message) {
    RPC_STATUS status = CheckDefragRequest(
        message->ProcNum, static_cast<unsigned char*>(message->Buffer), message->BufferLength,
        message->DataRepresentation, g_defragEngineState.CellBytes());
    if (status == RPC_S_OK)
        status = static_cast<RPC_STATUS>(RunInterpreter(message));
    if (status != RPC_S_OK)
        RpcRaiseException(status);
}

} // namespace

RPC_STATUS CheckDefragRequest(unsigned procNum, unsigned char* buffer, unsigned length,
                              unsigned long dataRepresentation, uint64_t cellBytes) {
    if (procNum >= kProcedureCount)
        return RPC_S_PROCNUM_OUT_OF_RANGE;
    if ((dataRepresentation & 0xFFFF) != NDR_LOCAL_DATA_REPRESENTATION)
        return RPC_X_BAD_STUB_DATA;
    if (length < kFixedBytes[procNum] || (kFixedBytes[procNum] != 0 && !buffer))
        return RPC_X_BAD_STUB_DATA;
    switch (procNum) {
    case kSendDefragCommand:
    case kSetClusterMap:
        return CheckInArray(buffer, length);
    case kGetClusterMap:
        CapMapSize(buffer, cellBytes);
        break;
    case kGetDefragStatistics:
        CapRecordSize(buffer, sizeof(DefragStatistics));
        break;
    case kGetReportItem:
        CapRecordSize(buffer + 4, sizeof(FileReportRecord));
        break;
    default:
        break;
    }
    return RPC_S_OK;
}

RPC_IF_HANDLE CheckedDefragRpcInterface() {
    static std::array<RPC_DISPATCH_FUNCTION, kProcedureCount> entries;
    static RPC_DISPATCH_TABLE dispatch{kProcedureCount, entries.data(), 0};
    static RPC_SERVER_INTERFACE checked;
    const auto* generated = static_cast<const RPC_SERVER_INTERFACE*>(ServerDefragRpc_v1_0_s_ifspec);
    if (generated->DispatchTable->DispatchTableCount != kProcedureCount)
        return nullptr;
    entries.fill(CheckedServerCall);
    checked = *generated;
    checked.DispatchTable = &dispatch;
    return &checked;
}
