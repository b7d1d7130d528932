#include "ShellFileOperation.h"

#include <cwchar>

CShellFileOperation::CShellFileOperation() : SHFILEOPSTRUCTW{} {
    fFlags = 0x4654;
}

int CShellFileOperation::DeleteToRecycleBin(const wchar_t* path, int length) {
    if (!path || length < 0 || length > MAX_PATH)
        return 0;
    wchar_t source[MAX_PATH + 2] = {};
    wmemcpy(source, path, static_cast<size_t>(length));
    wFunc = FO_DELETE;
    pFrom = source;
    pTo = nullptr;
    const int result = SHFileOperationW(this);
    pFrom = nullptr;
    return result;
}
