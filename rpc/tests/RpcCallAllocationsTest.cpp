// The server call's collection of runtime blocks: what the runtime leaves is freed at the end
// of the call, what it gives back is not freed twice, and other threads are not affected.
#include "RpcCallAllocations.h"

#include "ProcessMemory.h"

#include <rpc.h>

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

namespace {

SIZE_T PrivateBytes() {
    return MemoryCountersOf(GetCurrentProcess()).PagefileUsage;
}

} // namespace

TEST(RpcCallAllocations, BlocksLeftByTheRuntimeAreFreedWhenTheCallEnds) {
    void* kept = MIDL_user_allocate(64);
    ASSERT_NE(nullptr, kept);
    {
        RpcCallAllocations call;
        void* givenBack = MIDL_user_allocate(32);
        void* leftBehind = MIDL_user_allocate(65'856);
        ASSERT_NE(nullptr, givenBack);
        ASSERT_NE(nullptr, leftBehind);
        EXPECT_EQ(2u, call.Count());
        MIDL_user_free(givenBack);
        EXPECT_EQ(1u, call.Count());
        MIDL_user_free(nullptr);
        EXPECT_EQ(1u, call.Count());

        // Another thread's blocks (a client's) are its own.
        std::thread other([] {
            void* block = MIDL_user_allocate(16);
            MIDL_user_free(block);
        });
        other.join();
        EXPECT_EQ(1u, call.Count());
    }
    // Allocated before the call: still ours, and not collected by a later call.
    {
        RpcCallAllocations call;
        EXPECT_EQ(0u, call.Count());
    }
    MIDL_user_free(kept);
}

TEST(RpcCallAllocations, ManyCallsLeaveNothingBehind) {
    // A block of every call is left to the collection, as Wine's interpreter leaves [out]
    // arrays: 500 MB if none were freed.
    constexpr size_t kBlock = 256 * 1024;
    const SIZE_T before = PrivateBytes();
    for (int i = 0; i < 2'000; ++i) {
        RpcCallAllocations call;
        void* block = MIDL_user_allocate(kBlock);
        ASSERT_NE(nullptr, block);
        std::memset(block, 1, kBlock); // the pages are really taken
    }
    EXPECT_LT(PrivateBytes(), before + 32 * 1024 * 1024);
}
