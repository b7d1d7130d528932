#include "RpcCallAllocations.h"

#include <rpc.h>

#include <cstdlib>

namespace {

thread_local RpcCallAllocations* t_currentCall = nullptr;

} // namespace

RpcCallAllocations::RpcCallAllocations() {
    t_currentCall = this;
}

RpcCallAllocations::~RpcCallAllocations() {
    t_currentCall = nullptr;
    for (size_t i = 0; i < count_; ++i)
        std::free(blocks_[i]);
}

void RpcCallAllocations::Add(void* block) {
    if (count_ < kCapacity)
        blocks_[count_++] = block;
}

void RpcCallAllocations::Remove(void* block) {
    for (size_t i = 0; i < count_; ++i) {
        if (blocks_[i] == block) {
            blocks_[i] = blocks_[--count_];
            return;
        }
    }
}

// The runtime's memory callbacks, for the client and the server stubs.
extern "C" void* __RPC_USER MIDL_user_allocate(size_t size) {
    void* block = std::malloc(size);
    if (block && t_currentCall)
        t_currentCall->Add(block);
    return block;
}

extern "C" void __RPC_USER MIDL_user_free(void* block) {
    if (block && t_currentCall)
        t_currentCall->Remove(block);
    std::free(block);
}
