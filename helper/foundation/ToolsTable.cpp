#include "ToolsTable.h"

#include <iterator>

namespace {

struct ToolRow {
    int iconId;
    const wchar_t* title;
    const wchar_t* caption;
    const wchar_t* iniName;
    const wchar_t* exeName;
};

constexpr ToolRow kToolRows[kToolCount] = {
    {-1, L"Stellmark", L"Stellmark", L"pelq.ini", L"Xarn.exe"},
    {1155, L"Stellmark", L"Stellmark", L"pelq.ini", L"Xarn.exe"},
    {1156, L"Halvenor Tutorial", L"Tutorial", L"Tutorial.ini", L"XarnTutorial.exe"},
    {1157, L"Halvenor System Cleaner", L"System Cleaner", L"SysCleaner.ini", L"XarnClean.exe"},
    {1158, L"Halvenor Registry Cleaner", L"Registry Cleaner", L"RegCleaner.ini",
     L"XarnRegClean.exe"},
    {1159, L"Halvenor Privacy Cleaner", L"Privacy Cleaner", L"Privacy.ini", L"XarnPrivacy.exe"},
    {1160, L"Halvenor Startup Optimizer", L"Startup Optimizer", L"Startup.ini", L"XarnStartup.exe"},
    {1147, L"Stellmark", L"Stellmark", L"Stellmark.ini", L"Stellmark.exe"},
    {1161, L"Halvenor Memory Optimizer", L"Memory Optimizer", L"Memory.ini", L"XarnMemory.exe"},
    {1162, L"Halvenor Internet Optimizer", L"Internet Optimizer", L"Internet.ini", L"XarnNet.exe"},
    {1163, L"Halvenor Backup", L"Backup", L"Backup.ini", L"XarnBackup.exe"},
    {1164, L"Halvenor Restore", L"Restore", L"Restore.ini", L"XarnRestore.exe"},
    {1165, L"Halvenor Updater", L"Updater", L"Updater.ini", L"XarnUpdate.exe"},
    {1166, L"Halvenor Driver Updater", L"Driver Updater", L"Drivers.ini", L"XarnDrivers.exe"},
    {1167, L"Halvenor Duplicate Finder", L"Duplicate Finder", L"Dupes.ini", L"XarnDupes.exe"},
    {1168, L"Halvenor File Shredder", L"File Shredder", L"Shredder.ini", L"XarnShred.exe"},
    {1169, L"Halvenor Uninstaller", L"Uninstaller", L"Uninstall.ini", L"XarnUninstall.exe"},
    {1170, L"Halvenor Service Manager", L"Service Manager", L"Services.ini", L"XarnServices.exe"},
    {1171, L"Halvenor Process Manager", L"Process Manager", L"Process.ini", L"XarnProcess.exe"},
    {1172, L"Halvenor Disk Doctor", L"Disk Doctor", L"DiskDoctor.ini", L"XarnDiskDoctor.exe"},
    {1173, L"Halvenor Shortcut Fixer", L"Shortcut Fixer", L"Shortcuts.ini", L"XarnShortcuts.exe"},
    {1174, L"Halvenor Empty Folders", L"Empty Folders", L"EmptyFolders.ini", L"XarnEmpty.exe"},
    {1175, L"Halvenor Context Menu", L"Context Menu", L"ContextMenu.ini", L"XarnContext.exe"},
    {1176, L"Halvenor Browser Cleaner", L"Browser Cleaner", L"Browser.ini", L"XarnBrowser.exe"},
    {1177, L"Halvenor Scheduler", L"Scheduler", L"Scheduler.ini", L"XarnScheduler.exe"},
    {1178, L"Halvenor System Info", L"System Info", L"SysInfo.ini", L"XarnSysInfo.exe"},
};
static_assert(std::size(kToolRows) == kToolCount);

} // namespace

LPCWSTR GetToolTitle(int tool) {
    return kToolRows[tool].title;
}
LPCWSTR GetToolCaption(int tool) {
    return kToolRows[tool].caption;
}
LPCWSTR GetToolIniName(int tool) {
    return kToolRows[tool].iniName;
}
LPCWSTR GetToolExeName(int tool) {
    return kToolRows[tool].exeName;
}
int GetToolIconId(int tool) {
    return kToolRows[tool].iconId;
}
