// Wine's own entries for reaching the host from a test or benchmark: the Unix name of a path
// and running a host program, and where the prefix keeps its drive letters.
#pragma once

#include <windows.h>

#include <owners/WinOwners.h>
#include <string>
#include <vector>

namespace junktest {

// The Unix name of a Windows path; empty when not under Wine.
inline std::string UnixPath(const std::wstring& path) {
    using UnixNameFn = char*(CDECL*)(const wchar_t*);
    const auto unixName = reinterpret_cast<UnixNameFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!unixName)
        return std::string();
    const HeapMemory<char*> name(unixName(path.c_str()));
    return name ? std::string(name.Get()) : std::string();
}

// Runs a host program and waits for it; true when it exited with 0.
inline bool RunOnHost(std::vector<std::string> arguments) {
    // A system-call entry: the callee pops its arguments on i686.
    using SpawnFn = LONG(WINAPI*)(char* const*, int);
    const auto spawn = reinterpret_cast<SpawnFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "__wine_unix_spawnvp")));
    if (!spawn)
        return false;
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    return spawn(argv.data(), 1) == 0;
}

// The prefix's folder of drive letters, each a link to the host folder it maps.
inline std::string DosDevicesFolder() {
    std::string devices = UnixPath(L"C:\\");
    const size_t named = devices.rfind("/dosdevices/");
    const size_t driveC = devices.rfind("/drive_c");
    if (named != std::string::npos)
        return devices.substr(0, named) + "/dosdevices";
    if (driveC != std::string::npos)
        return devices.substr(0, driveC) + "/dosdevices";
    return devices;
}

inline bool RunsOnWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

} // namespace junktest
