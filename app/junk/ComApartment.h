// ComApartment: COM on the current thread for a scope (the shell's file operations and the
// known folders' list need it); a thread that has COM already keeps it as it is.
#pragma once

#include <objbase.h>

class ComApartment {
public:
    ComApartment() : initialised_(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComApartment() {
        if (initialised_)
            CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool initialised_;
};
