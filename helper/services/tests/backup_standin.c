/* Stand-in of the product's system-file backup program for the after-install wizard's tests:
   records its command line in the file named by XARN_STANDIN_LOG and, for "runhiddenScan",
   reports a clean finish in the registry unless XARN_BACKUP_STANDIN_FAIL is set. */
#include <windows.h>

#include <stdio.h>
#include <wchar.h>

static void Record(const wchar_t* arguments) {
    wchar_t path[MAX_PATH];
    if (!GetEnvironmentVariableW(L"XARN_STANDIN_LOG", path, MAX_PATH))
        return;
    HANDLE log = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (log == INVALID_HANDLE_VALUE)
        return;
    char line[1024];
    const int length = snprintf(line, sizeof line, "backup %ls\n", arguments);
    DWORD written = 0;
    if (length > 0)
        WriteFile(log, line, (DWORD)length, &written, NULL);
    CloseHandle(log);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR narrow, int show) {
    (void)instance;
    (void)previous;
    (void)show;
    (void)narrow;
    const wchar_t* arguments = GetCommandLineW();
    Record(arguments);
    if (!wcsstr(arguments, L"runhiddenScan") ||
        GetEnvironmentVariableW(L"XARN_BACKUP_STANDIN_FAIL", NULL, 0))
        return 0;
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Halvenor\\Xarn\\OneClickCure\\SysFileBackup",
                        0, NULL, 0, KEY_WRITE, NULL, &key, NULL) != ERROR_SUCCESS)
        return 1;
    const DWORD finished = 1;
    RegSetValueExW(key, L"CLEANFINISHED", 0, REG_DWORD, (const BYTE*)&finished, sizeof finished);
    RegCloseKey(key);
    return 0;
}
