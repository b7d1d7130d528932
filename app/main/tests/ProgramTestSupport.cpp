#include "ProgramTestSupport.h"

#include <AppState.h>
#include <ProductIdentity.h>

namespace {
constexpr DWORD kCloseButton = 1182;

struct WindowSearch {
    DWORD processId;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectWindowOf(HWND window, LPARAM data) {
    auto* found = reinterpret_cast<WindowSearch*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == found->processId)
        found->windows.push_back(window);
    return TRUE;
}
} // namespace

std::wstring ProgramFolder() {
    CString folder;
    GetModuleFolder(nullptr, folder);
    std::wstring path(folder.GetString());
    if (!path.empty() && path.back() != L'\\')
        path += L'\\';
    return path;
}

Process::Process(const std::wstring& program, const std::wstring& arguments,
                 const std::wstring& workingFolder) {
    std::wstring line = L"\"" + program + L"\"";
    if (!arguments.empty())
        line += L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    started_ = CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup,
                              &info) != FALSE;
    if (started_) {
        id_ = info.dwProcessId;
        process_.Reset(info.hProcess);
        thread_.Reset(info.hThread);
    }
}

Process::~Process() {
    if (started_ && !HasEnded(0))
        TerminateProcess(process_.Get(), 99);
}

bool Process::HasEnded(DWORD milliseconds) const {
    return WaitForSingleObject(process_.Get(), milliseconds) == WAIT_OBJECT_0;
}

std::vector<HWND> TopLevelWindowsOf(DWORD processId) {
    WindowSearch search{processId, {}};
    EnumWindows(&CollectWindowOf, reinterpret_cast<LPARAM>(&search));
    return search.windows;
}

HWND MainWindowOf(const Process& program, DWORD milliseconds) {
    for (DWORD waited = 0; waited <= milliseconds; waited += 100) {
        for (HWND window : TopLevelWindowsOf(program.Id())) {
            wchar_t title[64] = {};
            wchar_t kind[16] = {};
            GetWindowTextW(window, title, 64);
            GetClassNameW(window, kind, 16);
            if (GetAppTitle() == title && lstrcmpW(kind, L"#32770") == 0)
                return window;
        }
        Sleep(100);
    }
    return nullptr;
}

bool CloseProgram(const Process& program) {
    const HWND main = MainWindowOf(program, 0);
    for (int round = 0; round < 100; ++round) {
        for (HWND window : TopLevelWindowsOf(program.Id()))
            if (window != main && IsWindowVisible(window))
                PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
        if (main != nullptr && round % 10 == 0)
            PostMessageW(main, WM_COMMAND, kCloseButton, 0);
        if (program.HasEnded(200))
            return true;
    }
    return false;
}
