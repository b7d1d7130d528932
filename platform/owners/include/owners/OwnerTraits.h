// How each kind of Windows resource the product holds is told held and freed: the traits of
// UniqueResource. Headers that other layers include name owners through these traits, so that
// the short names of WinOwners.h reach only the files that ask for them.
#pragma once

#include "owners/UniqueResource.h"

#include <windows.h>
#include <lmcons.h>
#include <lmerr.h>
#include <lmapibuf.h>
#include <winsvc.h>

namespace owner_traits {

// What the release calls answer on success: TRUE, ERROR_SUCCESS, NERR_Success, or no block
// left (null).
[[nodiscard]] inline bool Released(BOOL result) {
    return result != FALSE;
}
[[nodiscard]] inline bool Released(LONG result) {
    return result == ERROR_SUCCESS;
}
[[nodiscard]] inline bool Released(NET_API_STATUS result) {
    return result == NERR_Success;
}
[[nodiscard]] inline bool Released(void* remaining) {
    return remaining == nullptr;
}

// A resource that null means "none" for and that one call of the system frees.
template <typename Handle, auto Release> struct NullMeansNone {
    using Type = Handle;
    static constexpr Type kEmpty = nullptr;
    static bool IsHeld(Type resource) { return resource != nullptr; }
    [[nodiscard]] static bool Free(Type resource) { return Released(Release(resource)); }
};

// Kernel objects: files, events, mutexes, threads, processes, snapshots. CreateFileW answers a
// failure with INVALID_HANDLE_VALUE, the others with null; neither is held.
struct Kernel {
    using Type = HANDLE;
    static constexpr Type kEmpty = nullptr;
    static bool IsHeld(Type handle) { return handle && handle != INVALID_HANDLE_VALUE; }
    [[nodiscard]] static bool Free(Type handle) { return CloseHandle(handle) != FALSE; }
};

struct Find {
    using Type = HANDLE;
    static inline const Type kEmpty = INVALID_HANDLE_VALUE;
    static bool IsHeld(Type handle) { return handle && handle != INVALID_HANDLE_VALUE; }
    [[nodiscard]] static bool Free(Type handle) { return FindClose(handle) != FALSE; }
};

// A block of the process heap.
template <typename Pointer> struct HeapMemory {
    using Type = Pointer;
    static constexpr Type kEmpty = nullptr;
    static bool IsHeld(Type block) { return block != nullptr; }
    [[nodiscard]] static bool Free(Type block) {
        return HeapFree(GetProcessHeap(), 0, block) != FALSE;
    }
};

using RegistryKey = NullMeansNone<HKEY, &RegCloseKey>;
using Service = NullMeansNone<SC_HANDLE, &CloseServiceHandle>;
template <typename Pointer> using LocalMemory = NullMeansNone<Pointer, &LocalFree>;
// A buffer the network management functions allocated (NetWkstaTransportEnum and the like).
template <typename Pointer> using NetApiBuffer = NullMeansNone<Pointer, &NetApiBufferFree>;
// A SID built by AllocateAndInitializeSid.
using AllocatedSid = NullMeansNone<PSID, &FreeSid>;
using Library = NullMeansNone<HMODULE, &FreeLibrary>;
// A GDI object that no class-library object owns.
template <typename Object> using GdiObject = NullMeansNone<Object, &DeleteObject>;
// A device context made by CreateDC or CreateCompatibleDC (one that GetDC lends goes back
// through ReleaseDC instead).
using DeviceContext = NullMeansNone<HDC, &DeleteDC>;
using Icon = NullMeansNone<HICON, &DestroyIcon>;
using Menu = NullMeansNone<HMENU, &DestroyMenu>;

} // namespace owner_traits
