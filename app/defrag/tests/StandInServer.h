// A stand-in of the defragmentation service in the test program itself: the server side of the
// same interface listening on its own pipe, and the client bound to it. The test defines the
// server procedures.
#pragma once

#include "DefragRpcBinding.h"

#include <gtest/gtest.h>

#include <memory>

class StandInServer : public testing::Environment {
public:
    explicit StandInServer(const wchar_t* endpoint) : endpoint_(endpoint) {}
    void SetUp() override {
        ASSERT_EQ(RPC_S_OK,
                  RpcServerUseProtseqEpW(
                      reinterpret_cast<RPC_WSTR>(const_cast<wchar_t*>(L"ncacn_np")),
                      RPC_C_PROTSEQ_MAX_REQS_DEFAULT,
                      reinterpret_cast<RPC_WSTR>(const_cast<wchar_t*>(endpoint_)), nullptr));
        ASSERT_EQ(RPC_S_OK, RpcServerRegisterIf(ServerDefragRpc_v1_0_s_ifspec, nullptr, nullptr));
        ASSERT_EQ(RPC_S_OK, RpcServerListen(1, RPC_C_LISTEN_MAX_CALLS_DEFAULT, TRUE));
        binding_ = std::make_unique<DefragRpcBinding>(endpoint_);
        ASSERT_EQ(RPC_S_OK, binding_->Status());
    }
    void TearDown() override {
        binding_.reset();
        RpcMgmtStopServerListening(nullptr);
        RpcMgmtWaitServerListen();
    }

private:
    const wchar_t* endpoint_;
    std::unique_ptr<DefragRpcBinding> binding_;
};
