#include "DupeAppHost.h"

#include "DlgDuppOptions.h"
#include "DupeWizard.h"

#include <DiskDefragApp.h>
#include <DiskDefragDlg.h>
#include <DupeFinder.h>

#include <DlgLeftDlgBase.h>
#include <PanelPageCommands.h>

namespace {
constexpr UINT kDuplicatesTabButton = 1261;
constexpr UINT kOptionsTabButton = 1263;
constexpr int kOptionsTab = 4;
// The duplicate finder's settings are the second page of the options tab.
constexpr UINT kDuplicateSettingsPage = PanelPageCommand(2);

class DupeAppHost : public DupePagesHost {
public:
    CDupeFinder& Finder() override { return *theApp.DupeFinder(); }
    CString DataFolder() override { return theApp.m_strDataFolder; }
    CWnd* MainWindow() override { return g_pDiskDefragDlg; }
    CString Text(LPCWSTR key, LPCWSTR section) override {
        return theApp.GetLangString(key, section);
    }
    void EnableMainControls(bool enable) override {
        if (g_pDiskDefragDlg == nullptr)
            return;
        if (enable)
            g_pDiskDefragDlg->EnableCloseControls();
        else
            g_pDiskDefragDlg->DisableCloseControls();
        const BOOL tabs = enable ? TRUE : FALSE;
        g_pDiskDefragDlg->EnableTabButtons(tabs, tabs, tabs, tabs, tabs);
    }
    void ShowDuplicatesTab() override {
        if (g_pDiskDefragDlg != nullptr)
            g_pDiskDefragDlg->PostMessage(WM_COMMAND, kDuplicatesTabButton);
    }
    void ShowRemovalSettings() override {
        if (g_pDiskDefragDlg == nullptr)
            return;
        g_pDiskDefragDlg->PostMessage(WM_COMMAND, kOptionsTabButton);
        if (CDlgLeftDlgBase* panel = g_pDiskDefragDlg->GetTabPanel(kOptionsTab))
            panel->PostMessage(WM_COMMAND, kDuplicateSettingsPage);
        if (CDlgDuppOptions* options = TheDupePages().options)
            options->SelectTab(CDlgDuppOptions::kRemovalTab);
    }
};
} // namespace

void InstallDupePagesHost() {
    static DupeAppHost host;
    TheDupePages().host = &host;
}
