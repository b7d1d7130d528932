// CDlgBaseAppDlg: the suite's application window: up to five tab buttons along the top and one
// left panel per tab under them, switched on tab clicks after asking the owner's callback.
#pragma once

#include "DlgLeftDlgBase.h"
#include "DlgMainWnd.h"
#include "TabButton.h"

#include <classlib/Array.h>
#include <classlib/Dialog.h>
#include <classlib/String.h>

#include <memory>

class CDlgBaseAppDlg;

// Asked before each tab switch with 11 + the tab's index (0 refuses the switch); the panels'
// buttons report through it too, with their action codes (0 scan link, 1 update link, 3 + i
// side button i), always with the application window as the first argument.
using AppTabSwitchCallback = int (*)(CDlgBaseAppDlg* window, int code);

// Commands of the five tab buttons, posted to the application window to select a tab.
namespace AppTabCommand {
constexpr UINT kFirst = 1259;
constexpr UINT kLast = 1263;
} // namespace AppTabCommand

// Codes the tab-switch callback receives for a tab: kTabSwitchCode + the tab's index.
constexpr int kTabSwitchCode = 11;

constexpr int kMaxAppTabs = 5;

// The left-panel content of one tab.
struct AppTabRecord {
    int nButtonCount = 0;
    // Not 0: the panel's side buttons carry icons.
    int nPanelStyle = 0;
    CStringArray buttonKeys;
};

// What the main program hands its main window before the modal loop.
struct AppLayout {
    HICON hIcon = nullptr;
    int nLogoBitmapId = 0;
    BYTE bMaximizeAllowed = 0;
    BYTE bShowToolTips = 0;
    // 0 to 5.
    int nTabCount = 0;
    CStringArray tabCaptions;
    // Kept in the window for the derived class.
    BYTE bLayoutFlag = 0;
    CString strAboutText;
    CString strAboutItemText;
    CString strWindowTitle;
    AppTabRecord tabs[kMaxAppTabs];
    AppTabSwitchCallback pTabSwitchCallback = nullptr;
};

// The first application window constructed.
extern XARNHELPER_DATA CDlgBaseAppDlg* g_pMainAppDlg;
// The layout's about text.
extern XARNHELPER_DATA CString g_strAppAbout;

class CDlgBaseAppDlg : public CDlgMainWnd {
    DECLARE_DYNCREATE(CDlgBaseAppDlg)
    DECLARE_MESSAGE_MAP()
public:
    static constexpr UINT kTemplateId = 1284;

    CDlgBaseAppDlg();
    explicit CDlgBaseAppDlg(CWnd* parent);
    ~CDlgBaseAppDlg() override;

    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    // Escape or IDCANCEL: closes only while the close button is enabled.
    void OnCancel() override;
    // The close button: posts WM_CLOSE and ends the process's message loop.
    virtual void OnAppClose();

    // Takes the layout; called once, before the modal loop.
    void SetAppLayout(const AppLayout& layout);
    void CreateTabButton(CTabButton* button, LPCWSTR caption, UINT id, const RECT& rect, int type);
    void CreateTabButtons(int count, const CStringArray& captions);
    void CreatePanels();
    void ShowPanel(CDlgLeftDlgBase* panel);
    void SelectTabButton(CTabButton* button);
    void ResetTabButtons();
    void EnableTabButtons(BOOL tab1, BOOL tab2, BOOL tab3, BOOL tab4, BOOL tab5);
    void EnableCloseControls();
    void DisableCloseControls();
    // Creates a page from its template inside a panel, hidden and disabled, right of the
    // panel's side buttons. False when the page could not be created.
    [[nodiscard]] BOOL CreateLeftSideChild(CWnd* container, CDialog* child, UINT templateId);

    // The left panel of tab 0 to 4; null when the tab has none.
    CDlgLeftDlgBase* GetTabPanel(int tab) const;
    CDlgLeftDlgBase* GetCurrentPanel() const { return m_pCurrentPanel; }
    CTabButton* GetSelectedTabButton() const { return m_pSelectedTabButton; }
    int GetTabCount() const { return m_nTabCount; }

    // One tab's left-panel content and the panel built for it.
    struct TabPanel {
        int nButtonCount = 0;
        int nPanelStyle = 0;
        CStringArray buttonKeys;
        std::unique_ptr<CDlgLeftDlgBase> panel;
    };

    CStringArray m_tabCaptions;
    CString m_strWindowTitle;
    HICON m_hWindowIcon = nullptr;
    AppTabSwitchCallback m_pTabSwitchCallback = nullptr;
    BYTE m_bShowDatabaseDate = 0;
    CString m_strDatabaseDate;
    CTabButton m_tabButtons[kMaxAppTabs];
    CTabButton* m_pSelectedTabButton = &m_tabButtons[kMaxAppTabs - 1];
    TabPanel m_tabs[kMaxAppTabs];
    CDlgLeftDlgBase* m_pCurrentPanel = nullptr;
    int m_nTabCount = 0;
    BYTE m_bLayoutFlag = 0;
    // Set by the derived window before the modal run: every panel shows its update link.
    BYTE m_bShowUpdateLinks = 0;

    void OnPaint();
    void OnSize(UINT type, int cx, int cy);
    void OnTab1();
    void OnTab2();
    void OnTab3();
    void OnTab4();
    void OnTab5();
    int OnCreate(LPCREATESTRUCTW create);

protected:
    void InitAppWindowState();
    void SwitchToTab(int tab);
    void CreateHeaderButton(CHoverButton* button, UINT id, UINT bitmapId, int x);
};
