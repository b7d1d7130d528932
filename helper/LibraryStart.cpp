// What happens when the library is loaded: its process-wide objects are made in this order
// (one translation unit, so the order is the order of the definitions), then DllMain runs.
#include "DownloadQueue.h"
#include "WinInet.h"
#include "HyperLinkBtn.h"
#include "LauncherLeftSideBtns.h"
#include "SkinImages.h"
#include "AccessRightsHelper.h"
#include "ProductIdentity.h"
#include "ProtectedItems.h"
#include "SharedGlobals.h"
#include "VantorixApp.h"
#include "XarnSysBinding.h"

#include "SkinMenu.h"

#include <windows.h>

#include <classlib/Resources.h>

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

AFX_EXTENSION_MODULE g_extensionModule = {FALSE, nullptr, nullptr};

} // namespace

HBRUSH g_hbrWhite = CreateSolidBrush(0xFFFFFF);
HBRUSH g_hbrHollow = static_cast<HBRUSH>(GetStockObject(HOLLOW_BRUSH));
CString g_strUIFontFace(L"tahoma");
// The link buttons' shared fonts and the side and launcher buttons' images: made empty here,
// filled by the first button that needs them.
CFont g_fontLinkBold;
CFont g_fontLinkBoldUnderline;
CFont g_fontLinkNormal;
CFont g_fontLinkNormalUnderline;
CSTBitmap g_bmpLeftPanel;
namespace {
SharedSkinPngs g_skinPngs;
} // namespace
SharedSkinPngs& SkinPngs() {
    return g_skinPngs;
}
CSTBitmap& LeftPanelBitmap() {
    return g_bmpLeftPanel;
}
CBitmap* g_pLauncherPanelBitmap = nullptr;
const RECT g_rcLauncher[6] = {{15, 11, 67, 81},   {67, 12, 368, 35}, {359, 17, 376, 34},
                              {379, 17, 554, 70}, {67, 38, 368, 53}, {67, 54, 368, 70}};
CString CVantorixApp::strCurLangPath = XarnSysLanguageName();
UINT g_msgSchedulerHandOff =
    RegisterWindowMessageW(L"PELQ_SCHEDULER_MESSAGE_TO_BE_PASSED_TO_RUNNING_INSTANCE"
                           L"{969BB502-2ABB-40c4-BF80-F1530EFEB273}");
HBRUSH g_hbrOffWhite = CreateSolidBrush(0xFBFBFB);
UINT g_msgTaskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
CAccessRightsHelper g_accessRightsHelper;
CWinInet g_winInet;
CDownloaderState g_downloader;
// The owner-drawn menus' system kind, fonts and image list, made last.
SkinMenuShared CSkinMenu::s_shared;

// The library is an extension module of the class library whose resources come from the
// resource library: what the program itself lacks is looked up there.
BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_extensionModule.hResource = GetResourceInstance();
        if (!AfxInitExtensionModule(g_extensionModule, hInstance))
            return FALSE;
        // AfxInitExtensionModule points the resources back at the library itself.
        g_extensionModule.hResource = GetResourceInstance();
        new CDynLinkLibrary(g_extensionModule); // deleted by AfxTermExtensionModule
        return AfxSocketInit();
    }
    if (reason == DLL_PROCESS_DETACH)
        AfxTermExtensionModule(g_extensionModule);
    return TRUE;
}
