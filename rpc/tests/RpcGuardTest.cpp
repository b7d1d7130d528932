// The client call guard: calls that raise RPC exceptions answer 0 and the client goes on.
#include "RpcGuard.h"
#include "DefragRpcBinding.h"

#include <gtest/gtest.h>

namespace {

int GetState(void* context) {
    int* out = static_cast<int*>(context);
    return RpcGetDefragState(&out[0], &out[1]);
}

int Raise(void* context) {
    RaiseException(*static_cast<DWORD*>(context), 0, 0, nullptr);
    return 9;
}

int Answer(void*) {
    return 7;
}

} // namespace

TEST(RpcGuard, CallToAnEndpointWithoutServerAnswersZero) {
    DefragRpcBinding binding(L"\\pipe\\xarn_guard_test_nobody");
    ASSERT_EQ(RPC_S_OK, binding.Status());
    for (int attempt = 0; attempt < 3; ++attempt) {
        int out[2] = {-5, -5};
        unsigned long code = 0;
        EXPECT_EQ(0, RunGuardedRpcCall(GetState, out, &code));
        EXPECT_NE(0u, code) << "an RPC exception was raised";
        EXPECT_EQ(-5, out[0]) << "out-values stay as they were";
    }
}

TEST(RpcGuard, UnboundHandleAnswersZeroWithoutCalling) {
    ASSERT_EQ(nullptr, g_defragRpcBinding);
    int out[2] = {-5, -5};
    unsigned long code = 0;
    EXPECT_EQ(0, RunDefragRpcCall([&] { return GetState(out); }, &code));
    EXPECT_EQ(static_cast<unsigned long>(RPC_S_INVALID_BINDING), code);
    EXPECT_EQ(-5, out[0]) << "no call was made";
}

TEST(RpcGuard, BoundCallsPassThroughTheGuard) {
    DefragRpcBinding binding(L"\\pipe\\xarn_guard_test_nobody");
    ASSERT_EQ(RPC_S_OK, binding.Status());
    int out[2] = {-5, -5};
    unsigned long code = 0;
    EXPECT_EQ(0, RunDefragRpcCall([&] { return GetState(out); }, &code));
    EXPECT_NE(0u, code) << "the call was made and raised";
    EXPECT_NE(static_cast<unsigned long>(RPC_S_INVALID_BINDING), code);
}

TEST(RpcGuard, PassesTheResultAndCatchesRaisedCodes) {
    unsigned long code = 1;
    EXPECT_EQ(7, RunGuardedRpcCall(Answer, nullptr, &code));
    EXPECT_EQ(0u, code);
    DWORD raised = RPC_S_CALL_FAILED;
    EXPECT_EQ(0, RunGuardedRpcCall(Raise, &raised, nullptr));
    EXPECT_EQ(0, RunGuardedRpcCall(Raise, &raised, &code));
    EXPECT_EQ(RPC_S_CALL_FAILED, code);
    // The guard leaves nothing behind: later calls and exceptions behave as before.
    EXPECT_EQ(7, RunGuardedRpcCall(Answer, nullptr, &code));
}
