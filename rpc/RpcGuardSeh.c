// x86_64: compiled by clang with -fms-extensions, which gives C its structured exception
// handling on this target (mingw's gcc has none).
#include "RpcGuard.h"

#include <windows.h>
#include <rpc.h>

typedef int (*ExceptionFilter)(unsigned long code);

static int AnyException(unsigned long code) {
    (void)code;
    return EXCEPTION_EXECUTE_HANDLER;
}

static int RpcException(unsigned long code) {
    return I_RpcExceptionFilter(code);
}

static int RunGuarded(RpcGuardedCall call, void* context, ExceptionFilter filter,
                      unsigned long* exceptionCode) {
    unsigned long code = 0;
    int result = 0;
    __try {
        result = call(context);
    } __except (filter(code = GetExceptionCode())) {
        result = 0;
    }
    if (exceptionCode)
        *exceptionCode = code;
    return result;
}

int RunGuardedRpcCall(RpcGuardedCall call, void* context, unsigned long* exceptionCode) {
    return RunGuarded(call, context, RpcException, exceptionCode);
}

int RunFaultGuardedCall(RpcGuardedCall call, void* context, unsigned long* exceptionCode) {
    return RunGuarded(call, context, AnyException, exceptionCode);
}
