#include "RpcCommandSender.h"

#include "DefragRpcClient.h"

namespace {

constexpr int32_t kPriorityForJobs = kPriorityNormal;

} // namespace

bool RpcCommandSender::Send(int32_t code, wchar_t drive, int32_t mode) {
    const DefragCommand command{code, drive, mapBlockCount_, kPriorityForJobs, mode};
    return SafeRpcSendDefragCommand(command) == kRpcDone;
}
