// Owner of one kernel handle (file, event, thread): closed when replaced or destroyed.
#pragma once

#include <windows.h>

class CKernelHandle {
public:
    CKernelHandle() = default;
    // INVALID_HANDLE_VALUE, as CreateFileW answers a failure, is kept as no handle.
    explicit CKernelHandle(HANDLE handle) { Reset(handle); }
    ~CKernelHandle() { Close(); }
    CKernelHandle(const CKernelHandle&) = delete;
    CKernelHandle& operator=(const CKernelHandle&) = delete;

    HANDLE Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void Reset(HANDLE handle) {
        Close();
        handle_ = handle == INVALID_HANDLE_VALUE ? nullptr : handle;
    }
    void Close() {
        if (handle_)
            CloseHandle(handle_);
        handle_ = nullptr;
    }

private:
    HANDLE handle_ = nullptr;
};
