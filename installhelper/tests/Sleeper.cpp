// Stands in for a program of the product in the install helper's tests: it only waits, and
// ends by itself (with code 3) long after any test.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    Sleep(180000);
    return 3;
}
