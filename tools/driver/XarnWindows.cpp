#include "XarnWindows.h"

#include "DefragPagesRes.h"
#include "ResultsPagesResource.h"
#include "XarnResource.h"

namespace {

// The product's message box (its template 1273) numbers its buttons from 1185.
constexpr int kMessageBoxFirstButton = 1185;

bool HasControl(HWND dialog, int id) {
    return ::GetDlgItem(dialog, id) != nullptr;
}

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
    DWORD processId = 0;
    DefragPage page = DefragPage::kHome;
    HWND found = nullptr;
};

BOOL CALLBACK FindHomePageIn(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    if (!IsHomePage(window))
        return TRUE;
    search->found = window;
    return FALSE;
}

BOOL CALLBACK FindTopLevelWithHomePage(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    if (processId != search->processId)
        return TRUE;
    Search pages;
    ::EnumChildWindows(window, &FindHomePageIn, reinterpret_cast<LPARAM>(&pages));
    if (pages.found == nullptr)
        return TRUE;
    search->found = window;
    return FALSE;
}

BOOL CALLBACK FindMessageBoxOf(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    if (processId != search->processId || !::IsWindowVisible(window) ||
        !HasControl(window, kMessageBoxFirstButton))
        return TRUE;
    search->found = window;
    return FALSE;
}

} // namespace

HWND FindMainWindow(DWORD processId) {
    Search search;
    search.processId = processId;
    ::EnumWindows(&FindTopLevelWithHomePage, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindDefragPage(HWND mainWindow, DefragPage page) {
    Search search;
    ::EnumChildWindows(mainWindow, &FindHomePageIn, reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr || page == DefragPage::kHome)
        return search.found;
    // The tab's other pages sit beside the home page in its panel; other tabs' pages may use
    // the same control ids.
    const HWND panel = ::GetParent(search.found);
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

HWND FindMessageBox(DWORD processId) {
    Search search;
    search.processId = processId;
    ::EnumWindows(&FindMessageBoxOf, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void AnswerMessageBoxOk(HWND box) {
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
}

void PressButton(HWND dialog, int buttonId) {
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, buttonId)));
}
