#include "DefragRpcListener.h"

#include "DefragRecords.h"
#include "DefragRpcDispatch.h"

namespace {

constexpr unsigned kMaxProtseqCalls = 10;
constexpr unsigned kMinListenCalls = 1;
constexpr unsigned kMaxListenCalls = 1234;

RPC_WSTR WideRpcText(const wchar_t* text) {
    return reinterpret_cast<RPC_WSTR>(const_cast<wchar_t*>(text));
}

} // namespace

int RunDefragRpcListener(HANDLE stopEvent) {
    if (RpcServerUseProtseqEpW(WideRpcText(L"ncacn_np"), kMaxProtseqCalls,
                               WideRpcText(kDefragRpcEndpoint), nullptr) != RPC_S_OK)
        return 0;
    const RPC_IF_HANDLE checkedInterface = CheckedDefragRpcInterface();
    if (!checkedInterface || RpcServerRegisterIf(checkedInterface, nullptr, nullptr) != RPC_S_OK)
        return 0;
    // Local callers reach the named pipe without it, so the service listens all the same.
    static_cast<void>(RpcServerRegisterAuthInfoW(nullptr, RPC_C_AUTHN_WINNT, nullptr, nullptr));
    // Listening does not block here: the end comes from the stop event, so a stop that arrives
    // while the listener is still registering is never lost (and Wine's blocking listen can
    // miss a stop that comes just as it starts).
    if (RpcServerListen(kMinListenCalls, kMaxListenCalls, TRUE) != RPC_S_OK)
        return 0;
    WaitForSingleObject(stopEvent, INFINITE);
    // Neither failure leaves anything to do: a stop of this process's own server cannot be
    // refused, and a wait fails only when no server listens any more.
    static_cast<void>(RpcMgmtStopServerListening(nullptr));
    // Calls already in progress still use the engine state: the listener ends only after them,
    // so whoever waits for it may free what they read.
    static_cast<void>(RpcMgmtWaitServerListen());
    return 1;
}
