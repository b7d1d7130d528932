#include "LauncherStatus.h"

#include "AppState.h"
#include "Paths.h"
#include "ProductIdentity.h"
#include "Registry.h"
#include "VantorixApp.h"

namespace {

struct ModuleKey {
    int module;
    const wchar_t* key;
};

// By tools-table row: the defragmenter, the duplicate finder and the junk cleaner, and the
// maker's other tools.
constexpr ModuleKey kModuleKeys[] = {
    {3, L"SystemClean"}, {4, L"RegistryClean"},    {5, L"PrivacyClean"},  {6, L"StartupOptimize"},
    {7, L"DiskDefrag"},  {8, L"InternetOptimize"}, {9, L"DupeFiles"},     {10, L"MemoryOptimize"},
    {11, L"Restore"},    {12, L"Update"},          {15, L"Backup"},       {16, L"FileShred"},
    {17, L"SysClean"},   {19, L"Uninstall"},       {23, L"BrowserClean"},
};

} // namespace

CString GetModuleStatusKey(int module) {
    for (const ModuleKey& entry : kModuleKeys)
        if (entry.module == module)
            return CString(entry.key);
    return CString();
}

namespace {

// Unknown modules would otherwise write into the parent key shared by all tools.
bool LauncherStatusKey(int module, CString& key) {
    const CString moduleKey = GetModuleStatusKey(module);
    if (moduleKey.IsEmpty())
        return false;
    key = GetProductRegistryKey();
    AppendPath(key, L"ScanStatusForLauncher");
    AppendPath(key, moduleKey);
    return true;
}

// The text key of a tool that has not run yet.
LPCWSTR NotYetRunTextKey(int module) {
    switch (module) {
    case 15:
        return L"IDS_NO_BACKUP";
    case 10:
        return L"IDS_MEM_NOTYET_OPT";
    case 19:
        return L"IDS_NO_UNINSTALL_PRFORM";
    default:
        return L"IDS_SCAN_YET_NOT_PERF";
    }
}

} // namespace

CString ReadLauncherStatus(int module, DWORD& iconStatus, bool home, bool wantDate) {
    CString message;
    CString lastRun;
    CString key;
    if (LauncherStatusKey(module, key)) {
        CRegistry registry(HKEY_CURRENT_USER);
        registry.SetAccess(KEY_READ);
        if (registry.Open(HKEY_CURRENT_USER, key, false)) {
            // A value that is missing leaves what was there: the caller's icon status, no text.
            static_cast<void>(registry.ReadDwordValue(L"iconStatus", iconStatus));
            static_cast<void>(registry.ReadString(home ? L"MSGOnHome" : L"MSG", message));
            static_cast<void>(registry.ReadString(L"LastScanDateTime", lastRun));
        }
    }
    if (message.IsEmpty() && !home) {
        CWinApp* app = GetAppObject();
        if (app && app->IsKindOf(RUNTIME_CLASS(CVantorixApp)))
            message = static_cast<CVantorixApp*>(app)->GetLangString(NotYetRunTextKey(module));
    }
    return wantDate ? lastRun : message;
}

void WriteLauncherStatus(int module, int iconStatus, CString pageMessage, CString homeMessage,
                         COleDateTime lastRun) {
    CString key;
    if (!LauncherStatusKey(module, key))
        return;
    CRegistry registry(HKEY_CURRENT_USER);
    if (!registry.Open(HKEY_CURRENT_USER, key, true))
        return;
    // The status only informs the launcher, and no caller could act on a failure: a value that
    // cannot be written keeps the last one.
    static_cast<void>(registry.WriteDwordValue(L"iconStatus", static_cast<DWORD>(iconStatus)));
    static_cast<void>(registry.WriteString(L"MSG", pageMessage));
    static_cast<void>(registry.WriteString(L"MSGOnHome", homeMessage));
    if (lastRun.m_dt != 0)
        static_cast<void>(
            registry.WriteString(L"LastScanDateTime", lastRun.Format(0, LOCALE_USER_DEFAULT)));
}
