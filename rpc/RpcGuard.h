// Runs one call so that an exception raised inside it becomes the result 0 instead of ending the
// program: RPC exceptions for a client call (no server, an unbound handle, a broken pipe), or
// every exception for the server's own code that must never leave a call half done.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

typedef int (*RpcGuardedCall)(void* context);

// Answers call(context), or 0 when it raised an exception that the RPC runtime's filter lets
// a client handle; faults such as access violations still reach the program's own handlers.
// exceptionCode (may be null) receives the caught exception's code, or 0.
// The unwind out of a failed call runs no C++ destructors: the call must keep only C frames
// (or frames without objects to destroy) between itself and the stub.
int RunGuardedRpcCall(RpcGuardedCall call, void* context, unsigned long* exceptionCode);

// The same for every exception, access violations included; for the server's copies and
// dispatch, where a fault must end one call and nothing else. Same rule on C++ frames.
int RunFaultGuardedCall(RpcGuardedCall call, void* context, unsigned long* exceptionCode);

#ifdef __cplusplus
}

// C++ forms: call is a lambda that owns nothing to destroy.
template <typename Call>
[[nodiscard]] int RunGuarded(Call call, unsigned long* exceptionCode = nullptr) {
    return RunGuardedRpcCall([](void* context) { return (*static_cast<Call*>(context))(); }, &call,
                             exceptionCode);
}

template <typename Call>
[[nodiscard]] int RunFaultGuarded(Call call, unsigned long* exceptionCode = nullptr) {
    return RunFaultGuardedCall([](void* context) { return (*static_cast<Call*>(context))(); },
                               &call, exceptionCode);
}
#endif
