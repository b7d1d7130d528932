// Releases a handle or memory block of the system when the scope ends; a null one is left alone.
#pragma once

template <typename Handle, typename Release> class ScopedRelease {
public:
    ScopedRelease(Handle handle, Release release) : handle_(handle), release_(release) {}
    ~ScopedRelease() {
        if (handle_)
            release_(handle_);
    }
    ScopedRelease(const ScopedRelease&) = delete;
    ScopedRelease& operator=(const ScopedRelease&) = delete;

private:
    Handle handle_;
    Release release_;
};
