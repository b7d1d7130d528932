#include "ContentComparer.h"

#include <cstring>

namespace {

// Reads `bytes` at `offset` (the handle's own position does not matter); false unless all came.
bool ReadAt(HANDLE file, ULONGLONG offset, BYTE* buffer, DWORD bytes) {
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD read = 0;
    return ReadFile(file, buffer, bytes, &read, &at) && read == bytes;
}

} // namespace

bool CContentComparer::SameContent(HANDLE left, HANDLE right) {
    LARGE_INTEGER leftSize, rightSize;
    if (!GetFileSizeEx(left, &leftSize) || !GetFileSizeEx(right, &rightSize) ||
        leftSize.QuadPart != rightSize.QuadPart)
        return false;
    const ULONGLONG size = static_cast<ULONGLONG>(leftSize.QuadPart);
    for (ULONGLONG offset = 0; offset < size;) {
        const DWORD bytes =
            size - offset < kBlockBytes ? static_cast<DWORD>(size - offset) : kBlockBytes;
        if (!ReadAt(left, offset, left_.data(), bytes) ||
            !ReadAt(right, offset, right_.data(), bytes) ||
            std::memcmp(left_.data(), right_.data(), bytes) != 0)
            return false;
        offset += bytes;
    }
    return true;
}
