// Writes log lines as the main program does, in a process of its own, so that each run is a
// first start of the log writer: log_probe <title> <on|off> <message>... A message starting
// with "A:" goes through the ANSI entry. Exit code 3: the current directory changed.
// log_probe <title> relaunch: starts itself again through the elevated restart, to log the
// line "relaunched"; exit code 4 when that start failed.
// A window program: started through the shell it needs no console of its own.
#include "AppState.h"
#include "LogFile.h"
#include "ProcessControl.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

int main() {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments || count < 3)
        return 2;
    g_strAppTitle = arguments[1];
    if (std::wstring(arguments[2]) == L"relaunch") {
        const bool started =
            RelaunchElevated(nullptr, CString(arguments[1]) + L" on relaunched", false);
        LocalFree(arguments);
        return started ? 0 : 4;
    }
    g_bLogEnabled = std::wstring(arguments[2]) == L"on" ? 1 : 0;
    wchar_t before[MAX_PATH], after[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, before);
    for (int index = 3; index < count; ++index) {
        const std::wstring message = arguments[index];
        if (message.rfind(L"A:", 0) == 0) {
            char ansi[512] = {};
            WideCharToMultiByte(CP_ACP, 0, message.c_str() + 2, -1, ansi, sizeof ansi - 1, nullptr,
                                nullptr);
            WriteLogA(ansi);
        } else {
            WriteLog(message.c_str());
        }
    }
    GetCurrentDirectoryW(MAX_PATH, after);
    LocalFree(arguments);
    return std::wstring(before) == after ? 0 : 3;
}
