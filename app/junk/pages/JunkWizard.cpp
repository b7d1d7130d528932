#include "JunkWizard.h"

#include <shlwapi.h>

#include <classlib/Window.h>

#include "DlgLeftDlgBase.h"
#include "HoverButtonWithText.h"
#include "SelectedFont.h"
#include "TextButtonStyle.h"
#include "UiFonts.h"
#include "VantorixApp.h"

CJunkFileFinder* g_pJunkFinder = nullptr;
JunkRunCounters g_junkRun;
JunkPageSet g_junkPages;

namespace {
JunkPageServices* g_services = nullptr;

// Stands in until the program gives its services: nothing to show, nothing to end.
class NoPageServices : public JunkPageServices {
public:
    bool IsHiddenStart() override { return false; }
    bool IsAutomaticMode() override { return false; }
    void SetJobFlags(bool, bool, bool) override {}
    CDlgLeftDlgBase* Panel() override { return nullptr; }
    CWnd* MainWindow() override { return nullptr; }
    void EnableTabButtons(bool) override {}
    void EnableCloseControls(bool) override {}
    void ShutDown(const CString&) override {}
    bool CreateRestorePoint(CWnd*, const CString&) override { return false; }
    void RunShell(CWnd*, const CString&, const CString&, const CString&) override {}
    void ExecuteShellRequest(SHELLEXECUTEINFOW&) override {}
};
} // namespace

void SetJunkPageServices(JunkPageServices* services) {
    g_services = services;
}

JunkPageServices& JunkServices() {
    static NoPageServices none;
    return g_services ? *g_services : none;
}

SHELLEXECUTEINFOW MakePropertiesRequest(HWND owner, const CString& path) {
    SHELLEXECUTEINFOW request{};
    request.cbSize = sizeof(request);
    // Without the item's context menu (SEE_MASK_INVOKEIDLIST) the verb reaches no handler and
    // nothing shows; the texts are UTF-16 (SEE_MASK_UNICODE): together 0x400C.
    request.fMask = SEE_MASK_INVOKEIDLIST | SEE_MASK_UNICODE;
    request.hwnd = owner;
    request.lpVerb = L"Properties";
    request.lpFile = path.GetString();
    request.lpParameters = L"";
    request.nShow = SW_SHOWNORMAL;
    return request;
}

JunkGroup GroupOf(const CJunkItem& item) {
    if (item.category == kTempFile)
        return JunkGroup::kTemp;
    if (item.category == kEmptyFolder)
        return JunkGroup::kFolders;
    return JunkGroup::kJunk;
}

void CountJunkItemsByCategory() {
    JunkRunCounters& run = g_junkRun;
    run.tempTotal = run.tempChecked = run.junkTotal = run.junkChecked = 0;
    run.foldersTotal = run.foldersChecked = 0;
    if (!g_pJunkFinder)
        return;
    for (INT_PTR i = 0; i < g_pJunkFinder->GetFoundCount(); ++i) {
        const CJunkItem* item = g_pJunkFinder->GetFoundItem(i);
        if (!item)
            continue;
        int* total = &run.junkTotal;
        int* checked = &run.junkChecked;
        if (GroupOf(*item) == JunkGroup::kTemp) {
            total = &run.tempTotal;
            checked = &run.tempChecked;
        } else if (GroupOf(*item) == JunkGroup::kFolders) {
            total = &run.foldersTotal;
            checked = &run.foldersChecked;
        }
        ++*total;
        if (item->checked)
            ++*checked;
    }
}

void CountRemainingItems() {
    CountJunkItemsByCategory();
    if (!g_pJunkFinder)
        return;
    JunkRunCounters& run = g_junkRun;
    for (INT_PTR i = 0; i < g_pJunkFinder->GetFoundCount(); ++i) {
        const CJunkItem* item = g_pJunkFinder->GetFoundItem(i);
        if (!item || PathFileExistsW(item->path))
            continue;
        switch (GroupOf(*item)) {
        case JunkGroup::kTemp:
            --run.tempTotal;
            break;
        case JunkGroup::kFolders:
            --run.foldersTotal;
            break;
        case JunkGroup::kJunk:
            if (run.junkChecked > 0)
                --run.junkChecked;
            break;
        }
    }
}

CVantorixApp* JunkApp() {
    return dynamic_cast<CVantorixApp*>(AfxGetApp());
}

CString JunkText(LPCWSTR key) {
    return DialogText(kJunkTextSection, key);
}

CString DialogText(LPCWSTR section, LPCWSTR key) {
    CVantorixApp* app = JunkApp();
    return app ? app->GetLangString(key, section) : CString();
}

void SetControlText(CWnd* dialog, int id, LPCWSTR section, LPCWSTR key) {
    if (CWnd* control = dialog->GetDlgItem(id))
        control->SetWindowText(DialogText(section, key));
}

LPCWSTR ItemWord(int count) {
    return count == 1 ? L"item" : L"items";
}

void StyleJunkButton(CHoverButtonWithText& button, bool light) {
    button.EnableDisabledColor(true);
    StyleTextButton(&button, true, light, true);
}

void ShowJunkPage(UINT command) {
    if (CDlgLeftDlgBase* panel = JunkServices().Panel())
        panel->PostMessage(WM_COMMAND, command, 0);
}

void TakeCurrentClientSize(CWnd* window, int& cx, int& cy) {
    RECT client{};
    if (::GetClientRect(window->GetSafeHwnd(), &client)) {
        cx = client.right;
        cy = client.bottom;
    }
}

void PlaceBottomButton(CWnd& button, int cx, int cy, int fromRight) {
    if (button.GetSafeHwnd())
        button.SetWindowPos(nullptr, cx - fromRight, cy - 40, 120, 28, SWP_NOZORDER);
}

void LayOutNow(CWnd* window) {
    RECT client{};
    ::GetClientRect(window->GetSafeHwnd(), &client);
    window->SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
}

void DrawPageHeading(CDC& dc, const CString& text, COLORREF colour, CRect rect) {
    CSelectedFont font(dc.GetSafeHdc(), static_cast<HFONT>(g_fontPlus6Bold.GetSafeHandle()));
    const COLORREF previous = dc.SetTextColor(colour);
    dc.DrawText(text, &rect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    dc.SetTextColor(previous);
}
