// Binds the interface's implicit handle to a named-pipe endpoint on this computer for as long
// as the object lives.
#pragma once

#include "DefragRpc.h"

class DefragRpcBinding {
public:
    explicit DefragRpcBinding(const wchar_t* endpoint) {
        RPC_WSTR text = nullptr;
        status_ = RpcStringBindingComposeW(
            nullptr, reinterpret_cast<RPC_WSTR>(const_cast<wchar_t*>(L"ncacn_np")), nullptr,
            reinterpret_cast<RPC_WSTR>(const_cast<wchar_t*>(endpoint)), nullptr, &text);
        if (status_ == RPC_S_OK) {
            status_ = RpcBindingFromStringBindingW(text, &g_defragRpcBinding);
            RpcStringFreeW(&text);
        }
    }
    ~DefragRpcBinding() {
        if (g_defragRpcBinding)
            RpcBindingFree(&g_defragRpcBinding);
    }
    DefragRpcBinding(const DefragRpcBinding&) = delete;
    DefragRpcBinding& operator=(const DefragRpcBinding&) = delete;

    RPC_STATUS Status() const { return status_; }

private:
    RPC_STATUS status_;
};
