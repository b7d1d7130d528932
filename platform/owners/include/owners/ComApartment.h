// The calling thread's COM apartment, held for a scope: entered on construction and left on
// destruction, on the same thread, when entering worked (a thread already in an apartment of
// that kind enters again and must leave again too).
#pragma once

#include <objbase.h>

class ComApartment {
public:
    ComApartment() noexcept : entered_(SUCCEEDED(::CoInitialize(nullptr))) {}
    ~ComApartment() {
        if (entered_)
            ::CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

    // False when the thread is in an apartment of another kind (or COM failed).
    bool Entered() const { return entered_; }

private:
    bool entered_;
};
