// The entry of a windowed program built on the class library.
#include <windows.h>

#include "classlib/App.h"

namespace {
// The command line after the program's own name.
LPWSTR ArgumentsOf(LPWSTR commandLine) {
    LPWSTR p = commandLine;
    if (*p == L'"') {
        ++p;
        while (*p != 0 && *p != L'"')
            ++p;
        if (*p == L'"')
            ++p;
    } else {
        while (*p > L' ')
            ++p;
    }
    while (*p != 0 && *p <= L' ')
        ++p;
    return p;
}
} // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR, int nCmdShow) {
    return AfxWinMain(hInstance, hPrevInstance, ArgumentsOf(::GetCommandLineW()), nCmdShow);
}
