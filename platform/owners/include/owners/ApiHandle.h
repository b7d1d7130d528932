// Owner of a handle opened through an interface object (a device layer with a real and a
// simulated backend) and closed through the same object and member.
#pragma once

#include <windows.h>

#include <utility>

template <typename Api, BOOL (Api::*Close)(HANDLE)> class ApiHandle {
public:
    ApiHandle() noexcept = default;
    ApiHandle(Api& api, HANDLE handle) noexcept : api_(&api), handle_(handle) {}
    ~ApiHandle() { Reset(); }
    ApiHandle(ApiHandle&& other) noexcept
        : api_(other.api_), handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
    ApiHandle& operator=(ApiHandle&& other) noexcept {
        if (this != &other) {
            Reset();
            api_ = other.api_;
            handle_ = std::exchange(other.handle_, INVALID_HANDLE_VALUE);
        }
        return *this;
    }
    ApiHandle(const ApiHandle&) = delete;
    ApiHandle& operator=(const ApiHandle&) = delete;

    HANDLE Get() const noexcept { return handle_; }
    bool IsValid() const noexcept { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    explicit operator bool() const noexcept { return IsValid(); }
    void Reset() noexcept {
        if (IsValid())
            static_cast<void>((api_->*Close)(handle_));
        handle_ = INVALID_HANDLE_VALUE;
    }

private:
    Api* api_ = nullptr;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};
