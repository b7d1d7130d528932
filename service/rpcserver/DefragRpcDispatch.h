// The server's own entries in the interface's dispatch table. The stub's interpreter trusts a
// request's size arguments (the interface compiler ignores robust checks), so every request is
// first checked against what actually arrived; out sizes are capped at what the service can
// ever answer; and the interpreter runs under a guard that frees what the runtime left behind.
#pragma once

#include <rpc.h>

#include <cstdint>

// The interface's operation numbers that requests name.
enum DefragProcedure : unsigned {
    kGetDefragState = 0,
    kSendDefragCommand = 1,
    kSetClusterMap = 2,
    kGetClusterMap = 3,
    kGetDefragStatistics = 4,
    kGetReportCount = 5,
    kGetReportItem = 6,
    kProcedureCount = 11,
};

// Checks one request (procedure procNum, its NDR bytes as received) and caps in place the out
// size it asks for: RPC_S_OK, or the fault to answer with. A size argument must match its
// array's conformance and the bytes that arrived; a request too short for its arguments, or
// not in the local data representation, is refused. cellBytes is the cell array's size now
// (0 when none): a map request that the procedure would refuse asks for no buffer at all.
// Sizes outside the interface's ranges are left to the stub, which refuses them.
[[nodiscard]] RPC_STATUS CheckDefragRequest(unsigned procNum, unsigned char* buffer,
                                            unsigned length, unsigned long dataRepresentation,
                                            uint64_t cellBytes);

// The interface with the checked dispatch, to register in place of the generated one; null
// when the generated table is not the one this dispatch was written for.
RPC_IF_HANDLE CheckedDefragRpcInterface();
