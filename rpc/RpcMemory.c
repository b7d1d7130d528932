// Memory callbacks of the RPC runtime, for the client and the server stubs.
#include <rpc.h>

#include <stdlib.h>

void* __RPC_USER MIDL_user_allocate(size_t size) {
    return malloc(size);
}

void __RPC_USER MIDL_user_free(void* pointer) {
    free(pointer);
}
