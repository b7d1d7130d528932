#include "JunkAppHost.h"

#include "JunkWizard.h"

#include <DiskDefragApp.h>
#include <DiskDefragDlg.h>

#include <DlgCreateRestorePoint.h>
#include <DlgLeftDlgBase.h>
#include <PopupServices.h>
#include <ShellCommands.h>

namespace {
constexpr int kJunkTab = 1;

class JunkAppHost : public JunkPageServices {
public:
    bool IsHiddenStart() override { return theApp.m_bHiddenStart; }
    bool IsAutomaticMode() override { return theApp.m_bAutomaticMode; }
    void SetJobFlags(bool scanning, bool cleaning, bool finished) override {
        theApp.m_junkState[0] = scanning;
        theApp.m_junkState[1] = cleaning;
        theApp.m_junkState[2] = finished;
    }
    CDlgLeftDlgBase* Panel() override {
        return g_pDiskDefragDlg != nullptr ? g_pDiskDefragDlg->GetTabPanel(kJunkTab) : nullptr;
    }
    CWnd* MainWindow() override { return g_pDiskDefragDlg; }
    void EnableTabButtons(bool enable) override {
        if (g_pDiskDefragDlg == nullptr)
            return;
        const BOOL tabs = enable ? TRUE : FALSE;
        g_pDiskDefragDlg->EnableTabButtons(tabs, tabs, tabs, tabs, tabs);
    }
    void EnableCloseControls(bool enable) override {
        if (g_pDiskDefragDlg == nullptr)
            return;
        if (enable)
            g_pDiskDefragDlg->EnableCloseControls();
        else
            g_pDiskDefragDlg->DisableCloseControls();
    }
    void ShutDown(const CString& message) override {
        ShowShutdownDialog(g_pDiskDefragDlg, message, 0, false);
        ::PostQuitMessage(0);
    }
    bool CreateRestorePoint(CWnd* parent, const CString& description) override {
        CDlgCreateRestorePoint dialog(parent);
        return dialog.DoModalWithText(description) == IDOK;
    }
    void RunShell(CWnd* owner, const CString& verb, const CString& file,
                  const CString& parameters) override {
        static_cast<void>(ShellExecuteSafe(owner != nullptr ? owner->GetSafeHwnd() : nullptr, verb,
                                           file, parameters, nullptr, SW_SHOWNORMAL));
    }
    void ExecuteShellRequest(SHELLEXECUTEINFOW& request) override {
        // The shell shows its own sheet or nothing; there is no one to tell of a failure.
        static_cast<void>(::ShellExecuteExW(&request));
    }
};
} // namespace

void InstallJunkPagesHost() {
    static JunkAppHost host;
    SetJunkPageServices(&host);
}
