// i686: a frame-based handler of our own. The guard links an exception registration record
// into the thread's list (fs:[0]) around the call; when an exception the RPC filter accepts
// reaches it, the handler unwinds the frames inside the call (running their termination
// handlers and unlinking their records) and jumps back into the guard.
#include "RpcGuard.h"

#include <windows.h>
#include <rpc.h>
#include <intrin.h>

typedef struct GuardFrame {
    // First member: the system hands the handler this record's address.
    EXCEPTION_REGISTRATION_RECORD registration;
    void* resume[5]; // __builtin_setjmp buffer
    unsigned long code;
} GuardFrame;

static EXCEPTION_DISPOSITION NTAPI GuardHandler(struct _EXCEPTION_RECORD* record,
                                                PVOID establisherFrame, struct _CONTEXT* context,
                                                PVOID dispatcherContext) {
    (void)context;
    (void)dispatcherContext;
    if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND))
        return ExceptionContinueSearch;
    if (I_RpcExceptionFilter(record->ExceptionCode) != EXCEPTION_EXECUTE_HANDLER)
        return ExceptionContinueSearch;
    GuardFrame* frame = (GuardFrame*)establisherFrame;
    frame->code = record->ExceptionCode;
    // Returns with this frame's record at the head of the list.
    RtlUnwind(establisherFrame, NULL, record, NULL);
    __builtin_longjmp(frame->resume, 1);
}

int RunGuardedRpcCall(RpcGuardedCall call, void* context, unsigned long* exceptionCode) {
    GuardFrame frame;
    int result;
    frame.code = 0;
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
