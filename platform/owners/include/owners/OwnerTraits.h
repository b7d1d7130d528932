// How each kind of Windows resource the product holds is told held and freed: the traits of
// UniqueResource. Headers that other layers include name owners through these traits, so that
// the short names of WinOwners.h reach only the files that ask for them.
#pragma once

#include "owners/UniqueResource.h"

#include <windows.h>
#include <winsvc.h>

namespace owner_traits {

// Kernel objects: files, events, mutexes, threads, processes, snapshots. CreateFileW answers a
// failure with INVALID_HANDLE_VALUE, the others with null; neither is held.
struct Kernel {
    using Type = HANDLE;
    static constexpr Type kEmpty = nullptr;
    static bool IsHeld(Type handle) { return handle && handle != INVALID_HANDLE_VALUE; }
    static bool Free(Type handle) { return CloseHandle(handle) != FALSE; }
};

struct Find {
    using Type = HANDLE;
    static inline const Type kEmpty = INVALID_HANDLE_VALUE;
    static bool IsHeld(Type handle) { return handle && handle != INVALID_HANDLE_VALUE; }
    static bool Free(Type handle) { return FindClose(handle) != FALSE; }
};

struct RegistryKey {
    using Type = HKEY;
    static constexpr Type kEmpty = nullptr;
    static bool IsHeld(Type key) { return key != nullptr; }
    static bool Free(Type key) { return RegCloseKey(key) == ERROR_SUCCESS; }
};

struct Service {
    using Type = SC_HANDLE;
    static constexpr Type kEmpty = nullptr;
    static bool IsHeld(Type handle) { return handle != nullptr; }
    static bool Free(Type handle) { return CloseServiceHandle(handle) != FALSE; }
};

template <typename Pointer> struct LocalMemory {
    using Type = Pointer;
    static constexpr Type kEmpty = nullptr;
    static bool IsHeld(Type block) { return block != nullptr; }
    static bool Free(Type block) { return LocalFree(reinterpret_cast<HLOCAL>(block)) == nullptr; }
};

// A block of the process heap.
template <typename Pointer> struct HeapMemory {
    using Type = Pointer;
    static constexpr Type kEmpty = nullptr;
    static bool IsHeld(Type block) { return block != nullptr; }
    static bool Free(Type block) { return HeapFree(GetProcessHeap(), 0, block) != FALSE; }
};

// A SID built by AllocateAndInitializeSid.
struct AllocatedSid {
    using Type = PSID;
    static constexpr Type kEmpty = nullptr;
    static bool IsHeld(Type sid) { return sid != nullptr; }
    static bool Free(Type sid) { return FreeSid(sid) == nullptr; }
};

struct Library {
    using Type = HMODULE;
    static constexpr Type kEmpty = nullptr;
    static bool IsHeld(Type module) { return module != nullptr; }
    static bool Free(Type module) { return FreeLibrary(module) != FALSE; }
};

template <typename Object> struct GdiObject {
    using Type = Object;
    static constexpr Type kEmpty = nullptr;
    static bool IsHeld(Type object) { return object != nullptr; }
    static bool Free(Type object) { return DeleteObject(object) != FALSE; }
};

struct Icon {
    using Type = HICON;
    static constexpr Type kEmpty = nullptr;
    static bool IsHeld(Type icon) { return icon != nullptr; }
    static bool Free(Type icon) { return DestroyIcon(icon) != FALSE; }
};

struct Menu {
    using Type = HMENU;
    static constexpr Type kEmpty = nullptr;
    static bool IsHeld(Type menu) { return menu != nullptr; }
    static bool Free(Type menu) { return DestroyMenu(menu) != FALSE; }
};

} // namespace owner_traits
