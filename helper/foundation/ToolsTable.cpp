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
    {1156, L"Xarn Tutorial", L"Tutorial", L"Tutorial.ini", L"XarnTutorial.exe"},
    {1157, L"Xarn System Cleaner", L"System Cleaner", L"SysCleaner.ini", L"XarnClean.exe"},
    {1158, L"Xarn Registry Cleaner", L"Registry Cleaner", L"RegCleaner.ini", L"XarnRegClean.exe"},
    {1159, L"Xarn Privacy Cleaner", L"Privacy Cleaner", L"Privacy.ini", L"XarnPrivacy.exe"},
    {1160, L"Xarn Startup Optimizer", L"Startup Optimizer", L"Startup.ini", L"XarnStartup.exe"},
    {1147, L"Stellmark", L"Stellmark", L"Stellmark.ini", L"Stellmark.exe"},
    {1161, L"Xarn Memory Optimizer", L"Memory Optimizer", L"Memory.ini", L"XarnMemory.exe"},
    {1162, L"Xarn Internet Optimizer", L"Internet Optimizer", L"Internet.ini", L"XarnNet.exe"},
    {1163, L"Xarn Backup", L"Backup", L"Backup.ini", L"XarnBackup.exe"},
    {1164, L"Xarn Restore", L"Restore", L"Restore.ini", L"XarnRestore.exe"},
    {1165, L"Xarn Updater", L"Updater", L"Updater.ini", L"XarnUpdate.exe"},
    {1166, L"Xarn Driver Updater", L"Driver Updater", L"Drivers.ini", L"XarnDrivers.exe"},
    {1167, L"Xarn Duplicate Finder", L"Duplicate Finder", L"Dupes.ini", L"XarnDupes.exe"},
    {1168, L"Xarn File Shredder", L"File Shredder", L"Shredder.ini", L"XarnShred.exe"},
    {1169, L"Xarn Uninstaller", L"Uninstaller", L"Uninstall.ini", L"XarnUninstall.exe"},
    {1170, L"Xarn Service Manager", L"Service Manager", L"Services.ini", L"XarnServices.exe"},
    {1171, L"Xarn Process Manager", L"Process Manager", L"Process.ini", L"XarnProcess.exe"},
    {1172, L"Xarn Disk Doctor", L"Disk Doctor", L"DiskDoctor.ini", L"XarnDiskDoctor.exe"},
    {1173, L"Xarn Shortcut Fixer", L"Shortcut Fixer", L"Shortcuts.ini", L"XarnShortcuts.exe"},
    {1174, L"Xarn Empty Folders", L"Empty Folders", L"EmptyFolders.ini", L"XarnEmpty.exe"},
    {1175, L"Xarn Context Menu", L"Context Menu", L"ContextMenu.ini", L"XarnContext.exe"},
    {1176, L"Xarn Browser Cleaner", L"Browser Cleaner", L"Browser.ini", L"XarnBrowser.exe"},
    {1177, L"Xarn Scheduler", L"Scheduler", L"Scheduler.ini", L"XarnScheduler.exe"},
    {1178, L"Xarn System Info", L"System Info", L"SysInfo.ini", L"XarnSysInfo.exe"},
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
