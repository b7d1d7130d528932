// The shell's file-operation record with the product's silent flags.
#pragma once

#include <windows.h>
#include <shellapi.h>

class CShellFileOperation : public SHFILEOPSTRUCTW {
public:
    CShellFileOperation();
    // Deletes into the recycle bin; a length above 260 is refused (result 0, nothing done).
    [[nodiscard]] int DeleteToRecycleBin(const wchar_t* path, int length);
};
