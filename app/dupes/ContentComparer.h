// Byte-for-byte comparison of two open files, stopping at the first difference.
#pragma once

#include <windows.h>

#include <vector>

class CContentComparer {
public:
    static constexpr DWORD kBlockBytes = 1048576;

    CContentComparer() : left_(kBlockBytes), right_(kBlockBytes) {}

    // True when both files (open for reading) hold the same bytes from their start to their end;
    // false at the first difference, or when either cannot be read.
    [[nodiscard]] bool SameContent(HANDLE left, HANDLE right);

private:
    std::vector<BYTE> left_;
    std::vector<BYTE> right_;
};
