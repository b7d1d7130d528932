// Owns one handle opened through a CDiskApi and closes it through the same api.
#pragma once

#include "DiskApi.h"

#include <utility>

class CDiskHandle {
public:
    CDiskHandle(CDiskApi& api, HANDLE handle) : api_(&api), handle_(handle) {}
    ~CDiskHandle() { Close(); }
    CDiskHandle(const CDiskHandle&) = delete;
    CDiskHandle& operator=(const CDiskHandle&) = delete;
    CDiskHandle(CDiskHandle&& other) noexcept
        : api_(other.api_), handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}

    bool IsValid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE Get() const { return handle_; }
    void Close() {
        if (IsValid())
            api_->CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

private:
    CDiskApi* api_;
    HANDLE handle_;
};
