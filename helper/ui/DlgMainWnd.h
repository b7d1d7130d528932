// CDlgMainWnd: the suite's main window base: a borderless skinned dialog with its own caption
// buttons, a caption band that drags it, a rebuilt system menu, the help menu, the header
// commands and the switch between the two user-interface languages.
#pragma once

#include "DlgBaseWnd.h"
#include "HoverButton.h"
#include "HoverButtonWithText.h"

#include <classlib/Gdi.h>
#include <classlib/String.h>

#include <memory>

class CIniReader;

// Commands of the caption buttons, the help menu, the header and the language choice.
namespace MainWndCommand {
constexpr UINT kAboutMenu = 1003;
constexpr UINT kCheckForUpdates = 1004;
constexpr UINT kDemoMenu = 1005;
constexpr UINT kHelpTopics = 1006;
constexpr UINT kReportFeedback = 1008;
constexpr UINT kOnlineHelp = 1009;
constexpr UINT kCompanySite = 1011;
constexpr UINT kClose = 1182;
constexpr UINT kDemoButton = 1218;
constexpr UINT kHelpMenuButton = 1219;
constexpr UINT kMaximize = 1221;
constexpr UINT kMinimize = 1222;
constexpr UINT kHeaderAbout = 1345;
constexpr UINT kLanguageEnglish = 1466;
constexpr UINT kLanguageFrench = 1467;
// The system menu's first item (the about-item text).
constexpr UINT kSystemMenuAbout = 0x10;
} // namespace MainWndCommand

// The version line ("IDS_VERSION_FORMAT" with the product and xarnhelper.dll's version).
extern XARNHELPER_DATA CString g_strVersionText;
// Together with the window's own flag, adds the demonstration item to the help menu.
extern XARNHELPER_DATA BYTE g_bShowDemoMenu;
// The demonstration program's command line; the application window sets it.
extern XARNHELPER_DATA CString g_strDemoArgument;

// Starts a new instance of the program after a language switch and ends this process. The
// default starts the program's own file and exits; tests put a recorder in its place.
using ProgramRestartHook = void (*)(const CString& program);
void SetProgramRestartHook(ProgramRestartHook hook);

class CDlgMainWnd : public CDlgBaseWnd {
    DECLARE_DYNCREATE(CDlgMainWnd)
    DECLARE_MESSAGE_MAP()
public:
    static constexpr int kWindowWidth = 772;
    static constexpr int kWindowHeight = 583;
    // The caption band that drags the window: the client area's top 29 pixels.
    static constexpr int kCaptionBandHeight = 29;

    CDlgMainWnd();
    CDlgMainWnd(UINT templateId, CWnd* parent);
    ~CDlgMainWnd() override;

    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;

    void PlaceCaptionButtons();
    // The help pop-up menu at a screen point; the chosen command arrives as WM_COMMAND.
    void ShowHelpMenu(int x, int y);
    // "LANG1" English, "LANG2" French: asks, writes the choice to "lang.lng" and restarts the
    // program. FALSE when the user declines or the language file is missing.
    BOOL SwitchLanguage(LPCWSTR code);
    void DrawMainFrame(CDC* dc, const RECT& client);

    CHoverButton m_btnClose;
    CHoverButton m_btnMinimize;
    CHoverButton m_btnMaximize;
    CHoverButton m_btnRestore;
    CHoverButtonWithText m_btnHelpMenu;
    CHoverButtonWithText m_btnDemo;
    CHoverButton m_btnHeader;
    // Text of the system menu's first item.
    CString m_strAboutItem;
    CString m_strSecondText;
    BYTE m_bInitialized = 0;
    BYTE m_bMaximized = 0;
    BYTE m_bReserved = 0;
    BYTE m_bSystemMenu = 1;
    // For the derived window; the application window sets the third.
    BYTE m_bDerivedFlags[3] = {};
    BYTE m_bMaximizeAllowed = 0;
    // Menu texts, set by OnInitDialog.
    std::unique_ptr<wchar_t[]> m_pszCompanySite;
    std::unique_ptr<wchar_t[]> m_pszOnlineHelp;
    std::unique_ptr<wchar_t[]> m_pszCheckForUpdates;
    std::unique_ptr<wchar_t[]> m_pszReportFeedback;
    std::unique_ptr<wchar_t[]> m_pszAbout;
    std::unique_ptr<wchar_t[]> m_pszDemo;
    CString m_strLanguageLabel;
    CString m_strEnglishLabel;
    CString m_strFrenchLabel;
    BYTE m_bReserved2 = 0;
    BYTE m_bSysCommandSeen = 0;
    int m_nMinTrackWidth = kWindowWidth;
    int m_nMinTrackHeight = kWindowHeight;
    BYTE m_bDemoItemAllowed = 0;
    CString m_strThirdText;
    CFont m_fontCaption;
    // Drawn at (12, 0) by DrawMainFrame; set by the derived window.
    int m_nLogoBitmapId = 0;

    void OnPaint();
    void OnLButtonDown(UINT flags, CPoint point);
    void OnLButtonDblClk(UINT flags, CPoint point);
    void OnSize(UINT type, int cx, int cy);
    void OnGetMinMaxInfo(MINMAXINFO* info);
    void OnMinimizeButton();
    void OnMaximizeButton();
    void OnSysCommand(UINT command, LPARAM lParam);
    void OnHelpMenuButton();
    void OnDemoButton();
    void OnAbout();
    void OnOnlineHelp();
    void OnCompanySite();
    void OnHelpTopics();
    void OnCheckForUpdates();
    void OnReportFeedback();
    LRESULT OnKickIdle(WPARAM wParam, LPARAM lParam);
    void OnLanguageEnglish();
    void OnLanguageFrench();

protected:
    void InitMainWindowState();
    void BuildSystemMenu(CIniReader* texts);
    void CreateCaptionButtons();
    bool InCaptionBand(CPoint point);
    void SwitchLanguageUnless(LPCWSTR currentName, LPCWSTR code);
};
