#include "ServiceConsole.h"

#include <windows.h>

namespace {

HANDLE ConsoleOutput() {
    static const HANDLE output = [] {
        HANDLE given = GetStdHandle(STD_OUTPUT_HANDLE);
        if (given && given != INVALID_HANDLE_VALUE)
            return given;
        if (!AttachConsole(ATTACH_PARENT_PROCESS))
            return INVALID_HANDLE_VALUE;
        return CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    }();
    return output;
}

} // namespace

void PrintConsole(const std::string& text) {
    const HANDLE output = ConsoleOutput();
    if (output == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(output, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}
