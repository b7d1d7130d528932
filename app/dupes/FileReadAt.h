// Reads at an offset of an open file, whatever the handle's own position.
#pragma once

#include <windows.h>

// True when all `bytes` came from `offset`.
[[nodiscard]] inline bool ReadFileAt(HANDLE file, ULONGLONG offset, void* buffer, DWORD bytes) {
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD read = 0;
    return ReadFile(file, buffer, bytes, &read, &at) && read == bytes;
}
