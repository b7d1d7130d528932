// x86_64: compiled by clang with -fms-extensions, which gives C its structured exception
// handling on this target (mingw's gcc has none).
#include "RpcGuard.h"

#include <windows.h>
#include <rpc.h>

int RunGuardedRpcCall(RpcGuardedCall call, void* context, unsigned long* exceptionCode) {
    unsigned long code = 0;
    int result = 0;
    __try {
        result = call(context);
    } __except (I_RpcExceptionFilter(code = GetExceptionCode())) {
        result = 0;
    }
    if (exceptionCode)
        *exceptionCode = code;
    return result;
}
