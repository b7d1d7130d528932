#include "ContentComparer.h"

#include "FileReadAt.h"

#include <cstring>

bool CContentComparer::SameContent(HANDLE left, HANDLE right) {
    LARGE_INTEGER leftSize, rightSize;
    if (!GetFileSizeEx(left, &leftSize) || !GetFileSizeEx(right, &rightSize) ||
        leftSize.QuadPart != rightSize.QuadPart)
        return false;
    const ULONGLONG size = static_cast<ULONGLONG>(leftSize.QuadPart);
    for (ULONGLONG offset = 0; offset < size;) {
        const DWORD bytes =
            size - offset < kBlockBytes ? static_cast<DWORD>(size - offset) : kBlockBytes;
        if (!ReadFileAt(left, offset, left_.data(), bytes) ||
            !ReadFileAt(right, offset, right_.data(), bytes) ||
            std::memcmp(left_.data(), right_.data(), bytes) != 0)
            return false;
        offset += bytes;
    }
    return true;
}
