/* Stands in for the demonstration program in the application window's tests: writes the
   command line it was started with to "demo_args.txt" beside itself and ends. */
#include <windows.h>

static void BesideSelf(const WCHAR* name, WCHAR* path) {
    WCHAR module[MAX_PATH];
    GetModuleFileNameW(NULL, module, MAX_PATH);
    /* Under Wine a program started from outside every drive has a name relative to the root
       of the host's files ("unix\..."). */
    const BOOL relative = module[0] != L'\\' && module[1] != L':';
    lstrcpyW(path, relative ? L"\\\\?\\" : L"");
    lstrcatW(path, module);
    WCHAR* slash = path;
    for (WCHAR* p = path; *p; ++p)
        if (*p == L'\\')
            slash = p + 1;
    lstrcpynW(slash, name, MAX_PATH - (int)(slash - path));
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR arguments, int show) {
    (void)instance;
    (void)previous;
    (void)show;
    WCHAR part[MAX_PATH], done[MAX_PATH];
    BesideSelf(L"demo_args.txt.part", part);
    BesideSelf(L"demo_args.txt", done);
    HANDLE file =
        CreateFileW(part, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    const BOOL ok =
        WriteFile(file, arguments, (DWORD)(lstrlenW(arguments) * sizeof(WCHAR)), &written, NULL);
    CloseHandle(file);
    /* Appears whole or not at all for the test that waits for it. */
    return ok && MoveFileExW(part, done, MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
