// Typed control messages for the inline control wrappers: the arguments go into WPARAM and
// LPARAM and the answer comes back as the wrapper's type; pointers and handles travel by
// address, numbers by value.
#pragma once

#include <windows.h>

#include <type_traits>

template <class To, class From> To MessageCast(From value) {
    if constexpr (std::is_pointer_v<To> || std::is_pointer_v<From>)
        return reinterpret_cast<To>(value);
    else
        return static_cast<To>(value);
}

template <class Result = LRESULT, class WParam = WPARAM, class LParam = LPARAM>
Result SendControlMessage(HWND control, UINT message, WParam wParam = 0, LParam lParam = 0) {
    return MessageCast<Result>(
        ::SendMessageW(control, message, MessageCast<WPARAM>(wParam), MessageCast<LPARAM>(lParam)));
}
