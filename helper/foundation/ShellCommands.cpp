#include "ShellCommands.h"

#include "ProductIdentity.h"

#include <classlib/App.h>
#include <classlib/Validation.h>
#include <classlib/Window.h>
#include <owners/WinOwners.h>

#include <shellapi.h>

#include <cwchar>

namespace {

constexpr const wchar_t* kHelpPageUrl = L"https://www.halvenor.com/support/help/?product=xarn";

void OpenMaximised(LPCWSTR address) {
    RunShellCommand(GetDesktopWindow(), L"open", address, nullptr, nullptr, SW_SHOWMAXIMIZED);
}

} // namespace

HINSTANCE ShellExecuteSafe(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters,
                           LPCWSTR directory, int show) {
    if (!owner || !IsWindow(owner)) {
        CWnd* mainWindow = AfxGetMainWnd();
        owner = mainWindow ? mainWindow->GetSafeHwnd() : nullptr;
    }
    SHELLEXECUTEINFOW execute{};
    execute.cbSize = sizeof execute;
    execute.fMask = SEE_MASK_NOZONECHECKS | SEE_MASK_NOCLOSEPROCESS;
    execute.hwnd = owner;
    execute.lpVerb = verb;
    execute.lpFile = file;
    execute.lpParameters = parameters;
    execute.lpDirectory = directory;
    execute.nShow = show;
    ShellExecuteExW(&execute);
    // The started process is not waited for; its handle is not kept.
    const KernelHandle started(execute.hProcess);
    return execute.hInstApp;
}

HINSTANCE RunShellCommand(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters,
                          LPCWSTR directory, int show) {
    return ShellExecuteSafe(owner, verb, file, parameters, directory, show);
}

void OpenStoredWebPage() {
    OpenMaximised(GetProductPageUrl());
}

void OpenHelpPage(LPCWSTR anchor) {
    CString address(kHelpPageUrl);
    if (anchor && AfxIsValidString(anchor) && wcslen(anchor) > 1) {
        if (anchor[0] != L'&')
            address += L'&';
        address += anchor;
    }
    OpenMaximised(address);
}

void OpenSupportMail() {
    OpenMaximised(L"mailto:" + GetSupportEmail());
}
