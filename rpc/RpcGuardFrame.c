// i686: a frame-based handler of our own. The guard links an exception registration record
// into the thread's list (fs:[0]) around the call; when an exception its filter accepts
// reaches it, the handler unwinds the frames inside the call (running their termination
// handlers and unlinking their records) and jumps back into the guard.
#include "RpcGuard.h"

#include <windows.h>
#include <rpc.h>
#include <intrin.h>

typedef int (*ExceptionFilter)(unsigned long code);

typedef struct GuardFrame {
    // First member: the system hands the handler this record's address.
    EXCEPTION_REGISTRATION_RECORD registration;
    void* resume[5]; // __builtin_setjmp buffer
    ExceptionFilter filter;
    unsigned long code;
} GuardFrame;

static int AnyException(unsigned long code) {
    (void)code;
    return EXCEPTION_EXECUTE_HANDLER;
}

static int RpcException(unsigned long code) {
    return I_RpcExceptionFilter(code);
}

static EXCEPTION_DISPOSITION NTAPI GuardHandler(struct _EXCEPTION_RECORD* record,
                                                PVOID establisherFrame, struct _CONTEXT* context,
                                                PVOID dispatcherContext) {
    (void)context;
    (void)dispatcherContext;
    if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND))
        return ExceptionContinueSearch;
    GuardFrame* frame = (GuardFrame*)establisherFrame;
    if (frame->filter(record->ExceptionCode) != EXCEPTION_EXECUTE_HANDLER)
        return ExceptionContinueSearch;
    frame->code = record->ExceptionCode;
    // Returns with this frame's record at the head of the list.
    RtlUnwind(establisherFrame, NULL, record, NULL);
    __builtin_longjmp(frame->resume, 1);
}

static int RunGuarded(RpcGuardedCall call, void* context, ExceptionFilter filter,
                      unsigned long* exceptionCode) {
    GuardFrame frame;
    int result;
    frame.code = 0;
    frame.filter = filter;
    frame.registration.Handler = GuardHandler;
    frame.registration.Next = (EXCEPTION_REGISTRATION_RECORD*)__readfsdword(0);
    if (__builtin_setjmp(frame.resume) == 0) {
        __writefsdword(0, (DWORD)(ULONG_PTR)&frame.registration);
        __asm__ __volatile__("" ::: "memory");
        result = call(context);
    } else {
        result = 0;
    }
    __asm__ __volatile__("" ::: "memory");
    __writefsdword(0, (DWORD)(ULONG_PTR)frame.registration.Next);
    if (exceptionCode)
        *exceptionCode = frame.code;
    return result;
}

int RunGuardedRpcCall(RpcGuardedCall call, void* context, unsigned long* exceptionCode) {
    return RunGuarded(call, context, RpcException, exceptionCode);
}

int RunFaultGuardedCall(RpcGuardedCall call, void* context, unsigned long* exceptionCode) {
    return RunGuarded(call, context, AnyException, exceptionCode);
}
