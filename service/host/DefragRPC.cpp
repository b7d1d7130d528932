#include "DefragRPC.h"

#include "DefragRpcListener.h"

DWORD CDefragRPC::Run() {
    return static_cast<DWORD>(RunDefragRpcListener(stopEvent_));
}
