// A file of the build tree (a Linux path) as the tests' Windows programs open it: the path is
// outside every drive of the prefix.
#pragma once

#include <string>

inline std::wstring WindowsPathOfUnixFile(const wchar_t* unixPath) {
    std::wstring path = L"\\\\?\\unix" + std::wstring(unixPath);
    for (wchar_t& c : path)
        if (c == L'/')
            c = L'\\';
    return path;
}
