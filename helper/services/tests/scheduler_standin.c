/* Stand-in of the product's scheduler program for the after-install wizard's tests: records
   its command line in the file named by XARN_STANDIN_LOG. */
#include <windows.h>

#include <stdio.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR narrow, int show) {
    (void)instance;
    (void)previous;
    (void)show;
    (void)narrow;
    const wchar_t* arguments = GetCommandLineW();
    wchar_t path[MAX_PATH];
    if (!GetEnvironmentVariableW(L"XARN_STANDIN_LOG", path, MAX_PATH))
        return 0;
    HANDLE log = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (log == INVALID_HANDLE_VALUE)
        return 1;
    char line[1024];
    const int length = snprintf(line, sizeof line, "scheduler %ls\n", arguments);
    DWORD written = 0;
    if (length > 0)
        WriteFile(log, line, (DWORD)length, &written, NULL);
    CloseHandle(log);
    return 0;
}
