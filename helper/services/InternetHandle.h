// Owner of one WinInet handle: closed through the bound WinInet when replaced or destroyed.
// The cancel path closes it from another thread while the worker uses it, so the handle is
// taken atomically and closed exactly once.
#pragma once

#include <atomic>

#include "WinInet.h"

class CInternetHandle {
public:
    CInternetHandle() = default;
    ~CInternetHandle() { Close(); }
    CInternetHandle(const CInternetHandle&) = delete;
    CInternetHandle& operator=(const CInternetHandle&) = delete;

    HINTERNET Get() const { return handle_.load(); }
    explicit operator bool() const { return Get() != nullptr; }
    void Reset(HINTERNET handle) { Close(handle_.exchange(handle)); }
    void Close() { Close(handle_.exchange(nullptr)); }

private:
    static void Close(HINTERNET handle) {
        if (handle && g_winInet.InternetCloseHandle)
            g_winInet.InternetCloseHandle(handle);
    }

    std::atomic<HINTERNET> handle_{nullptr};
};
