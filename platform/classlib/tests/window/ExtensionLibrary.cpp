// An extension DLL of the class library, the way the helper library registers itself: its
// resources join the search after the program's own.
#include <windows.h>

#include "classlib/Resources.h"

namespace {
AFX_EXTENSION_MODULE g_extension = {FALSE, nullptr, nullptr};
}

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        if (!AfxInitExtensionModule(g_extension, hInstance))
            return FALSE;
        new CDynLinkLibrary(g_extension);
    } else if (reason == DLL_PROCESS_DETACH) {
        AfxTermExtensionModule(g_extension);
    }
    return TRUE;
}
