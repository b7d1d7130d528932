// Binds the interface's implicit handle to a named-pipe endpoint on this computer for as long
// as the object lives.
#pragma once

#include "DefragRpc.h"
#include "RpcGuard.h"

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

// Runs one call of the interface through the guard (see RunGuarded). Without a binding it
// answers 0 with RPC_S_INVALID_BINDING and makes no call: a call through an unbound implicit
// handle is not refused by raising everywhere (under Wine it returns 0, and the process may end
// later), so it is never made.
template <typename Call>
[[nodiscard]] int RunDefragRpcCall(Call call, unsigned long* exceptionCode = nullptr) {
    if (g_defragRpcBinding == nullptr) {
        if (exceptionCode)
            *exceptionCode = RPC_S_INVALID_BINDING;
        return 0;
    }
    return RunGuarded(call, exceptionCode);
}
