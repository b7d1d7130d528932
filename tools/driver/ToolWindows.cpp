// The pages of the junk cleaner and the duplicate finder in Xarn's main window, told apart by the
// controls of their dialog templates (apart from the defragmentation pages, whose control ids
// the junk cleaner's partly share).
#include "XarnWindows.h"

#include "DupePageIds.h"
// Both tools name a folder edit box IDC_EDIT_FOLDER, with different ids; this file uses neither.
#undef IDC_EDIT_FOLDER
#include "JunkPagesResource.h"

#include <initializer_list>

namespace {

bool HasControls(HWND window, std::initializer_list<int> ids) {
    for (int id : ids)
        if (!HasControl(window, id))
            return false;
    return true;
}

bool IsToolPage(HWND window, ToolPage page) {
    switch (page) {
    case ToolPage::kJunkHome:
        return HasControls(window, {IDC_START_SCAN_NOW});
    case ToolPage::kJunkResults:
        return HasControls(window, {IDC_BTN_CLEAN_SYSTEM, IDC_BTN_CANCEL_RES});
    case ToolPage::kJunkSummary:
        return HasControls(window, {IDC_BTN_CONTINUE});
    case ToolPage::kDupesWelcome:
        return HasControls(window, {IDC_BTN_SEL_LCOATIONS_TO_SCAN});
    case ToolPage::kDupesLocations:
        return HasControls(window, {IDC_EDIT_LOCATION, IDC_BTN_SCAN});
    case ToolPage::kDupesResults:
        return HasControls(window, {IDC_LIST_RESULTS, IDC_BTN_ALL});
    case ToolPage::kDupesFinish:
        return HasControls(window, {IDC_BTN_ACTION, IDC_BTN_NON_ACTION});
    }
    return false;
}

} // namespace

int ToolControlId(ToolControl control) {
    switch (control) {
    case ToolControl::kJunkStartScan:
        return IDC_START_SCAN_NOW;
    case ToolControl::kJunkClean:
        return IDC_BTN_CLEAN_SYSTEM;
    case ToolControl::kDupesChooseLocations:
        return IDC_BTN_SEL_LCOATIONS_TO_SCAN;
    case ToolControl::kDupesLocationEdit:
        return IDC_EDIT_LOCATION;
    case ToolControl::kDupesAddLocation:
        return IDC_BTN_ADD_LIST_FROM_EDIT;
    case ToolControl::kDupesLocationList:
        return IDC_LIST_LOCATIONS;
    case ToolControl::kDupesScan:
        return IDC_BTN_SCAN;
    case ToolControl::kDupesResultList:
        return IDC_LIST_RESULTS;
    case ToolControl::kDupesResultsCancel:
        return IDC_BTN_CANCEL_DUPP_RES;
    case ToolControl::kDupesRemove:
        return IDC_BTN_CLEAN_SYSTEM_DUPP;
    }
    return 0;
}

HWND ShownToolPage(HWND mainWindow, ToolPage page) {
    return FirstDescendant(mainWindow, [page](HWND window) {
        return ::IsWindowVisible(window) && IsToolPage(window, page);
    });
}
