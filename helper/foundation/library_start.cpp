// What happens when the library is loaded: its process-wide objects are made in this order
// (one translation unit, so the order is the order of the definitions), then DllMain runs.
#include "access_rights.h"
#include "product_identity.h"
#include "protected_items.h"
#include "shared_globals.h"

#include <windows.h>

namespace {

// Modules kept loaded for the life of the process; one that is missing is ignored.
struct PreloadedModules {
    PreloadedModules() {
        for (const char* name :
             {"shell32.dll", "shlwapi.dll", "corvanesys.dll", "shdocvw.dll", "gdiplus.dll"})
            LoadLibraryA(name);
        GetResourceInstance();
    }
};
const PreloadedModules g_preloadedModules;

struct ProtectedItemsAtLoad {
    ProtectedItemsAtLoad() { BuildProtectedItemList(ProtectedItemList()); }
    ~ProtectedItemsAtLoad() { DestroyProtectedItemList(ProtectedItemList()); }
};
const ProtectedItemsAtLoad g_protectedItems;

} // namespace

HBRUSH g_hbrWhite = CreateSolidBrush(0xFFFFFF);
HBRUSH g_hbrHollow = static_cast<HBRUSH>(GetStockObject(HOLLOW_BRUSH));
CString g_strUIFontFace(L"tahoma");
const RECT g_rcLauncher[6] = {{15, 11, 67, 81},   {67, 12, 368, 35}, {359, 17, 376, 34},
                              {379, 17, 554, 70}, {67, 38, 368, 53}, {67, 54, 368, 70}};
UINT g_msgSchedulerHandOff =
    RegisterWindowMessageW(L"PELQ_SCHEDULER_MESSAGE_TO_BE_PASSED_TO_RUNNING_INSTANCE"
                           L"{969BB502-2ABB-40c4-BF80-F1530EFEB273}");
HBRUSH g_hbrOffWhite = CreateSolidBrush(0xFBFBFB);
UINT g_msgTaskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
CAccessRightsHelper g_accessRightsHelper;

// The class library's extension-module steps (registering the library's classes, pointing its
// resource handle at the resource library) belong to the window half and join this entry.
BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH)
        GetResourceInstance();
    return TRUE;
}
