// Movable owners of a file handle and a find handle: each closes what it holds when it goes.
#pragma once

#include <windows.h>

#include <utility>

template <BOOL(WINAPI* Close)(HANDLE)> class OwnedHandle {
public:
    OwnedHandle() = default;
    explicit OwnedHandle(HANDLE handle) : handle_(handle) {}
    ~OwnedHandle() { Reset(); }
    OwnedHandle(OwnedHandle&& other) noexcept
        : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
    OwnedHandle& operator=(OwnedHandle&& other) noexcept {
        if (this != &other) {
            Reset();
            handle_ = std::exchange(other.handle_, INVALID_HANDLE_VALUE);
        }
        return *this;
    }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;

    HANDLE Get() const { return handle_; }
    bool IsValid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    void Reset() {
        if (IsValid())
            Close(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }
    // Closes the handle now and tells whether the system closed it cleanly.
    [[nodiscard]] bool CloseNow() {
        const bool closed = !IsValid() || Close(handle_);
        handle_ = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

using FileHandle = OwnedHandle<CloseHandle>;
using FindHandle = OwnedHandle<FindClose>;
