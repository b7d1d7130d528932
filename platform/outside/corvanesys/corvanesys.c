// Stand-in for the outside library corvanesys: the helper library only loads it, so it
// exports nothing and does nothing when loaded.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD reason, LPVOID reserved) {
    (void)hInstance;
    (void)reason;
    (void)reserved;
    return TRUE;
}
