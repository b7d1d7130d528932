/* Stands in for the demonstration program in the application window's tests: writes the
   command line it was started with to "demo_args.txt" in its working folder and ends. */
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR arguments, int show) {
    (void)instance;
    (void)previous;
    (void)show;
    HANDLE file = CreateFileW(L"demo_args.txt.part", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    const BOOL ok =
        WriteFile(file, arguments, (DWORD)(lstrlenW(arguments) * sizeof(WCHAR)), &written, NULL);
    CloseHandle(file);
    /* Appears whole or not at all for the test that waits for it. */
    return ok && MoveFileExW(L"demo_args.txt.part", L"demo_args.txt", MOVEFILE_REPLACE_EXISTING)
               ? 0
               : 1;
}
