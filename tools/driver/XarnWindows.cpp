#include "XarnWindows.h"

#include "DefragPagesRes.h"
#include "ResultsPagesResource.h"
#include "XarnResource.h"

#include <cwchar>
#include <functional>

namespace {

// The product's message box (its template 1273) numbers its buttons from 1185.
constexpr int kMessageBoxFirstButton = 1185;

bool IsHomePage(HWND window) {
    return HasControl(window, IDC_CMB_DRIVES) && HasControl(window, IDC_BTN_START_SCAN);
}

bool IsPage(HWND window, DefragPage page) {
    switch (page) {
    case DefragPage::kHome:
        return IsHomePage(window);
    case DefragPage::kProgress:
        return HasControl(window, IDC_CLUSTER_MAP) && HasControl(window, IDC_SCAN_PROGRESS);
    case DefragPage::kAnalysisResults:
        return HasControl(window, IDC_REPORT) && HasControl(window, IDC_BTN_START_DEFRAG);
    case DefragPage::kDefragResults:
        return HasControl(window, IDC_REPORT) && HasControl(window, IDC_BTN_BACK) &&
               !HasControl(window, IDC_BTN_START_DEFRAG);
    }
    return false;
}

struct Search {
    const WindowTest& test;
    HWND found = nullptr;
};

BOOL CALLBACK StopAtMatch(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    if (!search->test(window))
        return TRUE;
    search->found = window;
    return FALSE;
}

// The first top-level window that passes the test; null when none does.
HWND FirstTopLevel(const WindowTest& test) {
    Search search{test};
    ::EnumWindows(&StopAtMatch, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool OfProcess(HWND window, DWORD processId) {
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    return owner == processId;
}

} // namespace

bool HasControl(HWND dialog, int id) {
    return ::GetDlgItem(dialog, id) != nullptr;
}

HWND FirstDescendant(HWND parent, const WindowTest& test) {
    Search search{test};
    ::EnumChildWindows(parent, &StopAtMatch, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindMainWindow(DWORD processId) {
    return FirstTopLevel([processId](HWND window) {
        return OfProcess(window, processId) && FirstDescendant(window, &IsHomePage) != nullptr;
    });
}

HWND FindDefragPage(HWND mainWindow, DefragPage page) {
    const HWND home = FirstDescendant(mainWindow, &IsHomePage);
    if (home == nullptr || page == DefragPage::kHome)
        return home;
    // The tab's other pages sit beside the home page in its panel; other tabs' pages may use
    // the same control ids.
    const HWND panel = ::GetParent(home);
    for (HWND child = ::GetWindow(panel, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT))
        if (IsPage(child, page))
            return child;
    return nullptr;
}

HWND ShownDefragPage(HWND mainWindow, DefragPage page) {
    const HWND window = FindDefragPage(mainWindow, page);
    return window != nullptr && ::IsWindowVisible(window) ? window : nullptr;
}

HWND FindOneClickSummary(DWORD processId) {
    // The summary's window is 675 x 549 pixels, its own size.
    return FirstTopLevel([processId](HWND window) {
        RECT rect{};
        ::GetWindowRect(window, &rect);
        return OfProcess(window, processId) && ::IsWindowVisible(window) &&
               rect.right - rect.left == 675 && rect.bottom - rect.top == 549;
    });
}

HWND FindSystemQuestion(DWORD processId) {
    return FirstTopLevel([processId](HWND window) {
        wchar_t className[16] = {};
        ::GetClassNameW(window, className, 16);
        return OfProcess(window, processId) && ::IsWindowVisible(window) &&
               std::wcscmp(className, L"#32770") == 0 && HasControl(window, IDYES);
    });
}

HWND FindMessageBox(DWORD processId) {
    return FirstTopLevel([processId](HWND window) {
        return OfProcess(window, processId) && ::IsWindowVisible(window) &&
               HasControl(window, kMessageBoxFirstButton);
    });
}

void AnswerMessageBoxOk(HWND box) {
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
}

void PressButton(HWND dialog, int buttonId) {
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, buttonId)));
}
