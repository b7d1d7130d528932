// Test helper: whether a call throws the class library's invalid-argument exception.
#pragma once

#include <classlib/Classlib.h>

template <class F> bool ThrowsInvalidArg(F f) {
    try {
        f();
    } catch (CInvalidArgException* e) {
        e->Delete();
        return true;
    }
    return false;
}
