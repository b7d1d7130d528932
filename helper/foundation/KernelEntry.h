// An entry of the system's kernel library looked up by name, for functions that older systems
// lack.
#pragma once

#include <windows.h>

// Null when the library or the entry is missing.
template <typename Fn> Fn KernelEntry(const char* name) {
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    return kernel ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(kernel, name)))
                  : nullptr;
}
