// Windowless entry of the install helper.
#include "KillXarnProcesses.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR arguments, int) {
    return KillXarnProcessesMain(arguments);
}
