// The blocks the RPC runtime takes from MIDL_user_allocate while one server call runs on this
// thread. Wine's interpreter never gives back an [out] array that it allocated for the call
// (the size_is buffers of the map, statistics and report procedures): whatever the runtime
// still holds when the call has been answered is freed then. Windows frees those blocks itself
// before the call returns, so there the list is empty by then and nothing more happens.
#pragma once

#include <cstddef>

class RpcCallAllocations {
public:
    // Starts collecting on this thread; calls do not nest.
    RpcCallAllocations();
    // Frees what the runtime did not, and stops collecting.
    ~RpcCallAllocations();
    RpcCallAllocations(const RpcCallAllocations&) = delete;
    RpcCallAllocations& operator=(const RpcCallAllocations&) = delete;

    void Add(void* block);
    void Remove(void* block);
    // What is held now; for tests.
    size_t Count() const { return count_; }

private:
    // A call of this interface holds one out array at most; the in arrays are read in place.
    // A block beyond the list is simply not collected.
    static constexpr size_t kCapacity = 8;
    void* blocks_[kCapacity] = {};
    size_t count_ = 0;
};
