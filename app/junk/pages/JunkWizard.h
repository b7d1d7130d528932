// What the junk cleaner's pages share: the one engine, the run's counters, the category
// totals, the language texts and the services of the program around them (application
// state, main window, left panel, shut-down and restore point), which the main window gives
// and tests replace.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <classlib/Geometry.h>
#include <classlib/String.h>

#include <PanelPageCommands.h>

#include "JunkFileFinder.h"

class CDC;
class CDlgLeftDlgBase;
class CWnd;
class CHoverButtonWithText;
class CDlgScan1ScanHome;
class CDlgScan2Scanning;
class CDlgScan3Results;
class CDlgScan4Cleanup;
class CDlgSetting1Drives;

// Page commands of the junk tab's panel.
enum JunkPageCommand : UINT {
    kJunkHomePage = PanelPageCommand(1),
    kJunkScanningPage = PanelPageCommand(2),
    kJunkResultsPage = PanelPageCommand(3),
    kJunkCleanupPage = PanelPageCommand(4),
    kJunkSummaryPage = PanelPageCommand(5),
};
// The main window's command that selects the junk tab.
inline constexpr UINT kMainWindowJunkTab = 1260;
// The timer on the scanning page that starts a scan, and on the clean-up page the cleaning.
inline constexpr UINT_PTR kStartScanTimer = 102;
inline constexpr UINT_PTR kStartCleaningTimer = 101;
inline constexpr UINT_PTR kStopCleaningTimer = 102;
// The launcher's module number of the junk cleaner.
inline constexpr int kJunkLauncherModule = 17;
// The language section of the junk cleaner's own texts.
inline constexpr wchar_t kJunkTextSection[] = L"SYSCLEAN";

class JunkPageServices {
public:
    virtual ~JunkPageServices() = default;
    // Run modes of the application object.
    virtual bool IsHiddenStart() = 0;
    virtual bool IsAutomaticMode() = 0;
    // The application's three junk job flags.
    virtual void SetJobFlags(bool scanning, bool cleaning, bool finished) = 0;
    // The junk tab's left panel: page commands, navigation and action buttons.
    virtual CDlgLeftDlgBase* Panel() = 0;
    virtual CWnd* MainWindow() = 0;
    virtual void EnableTabButtons(bool enable) = 0;
    virtual void EnableCloseControls(bool enable) = 0;
    // The shut-down dialog with the message, then the program's end (WM_QUIT).
    virtual void ShutDown(const CString& message) = 0;
    // The restore-point wait dialog, modally; false when no point was made.
    virtual bool CreateRestorePoint(CWnd* parent, const CString& description) = 0;
    // The shell's open and Explorer actions of the details pop-up.
    virtual void RunShell(CWnd* owner, const CString& verb, const CString& file,
                          const CString& parameters) = 0;
    // A request that goes to the shell as it stands (the properties sheet).
    virtual void ExecuteShellRequest(SHELLEXECUTEINFOW& request) = 0;
};

// The shell's properties sheet of a file, owned by `owner`: verb "Properties" through the
// item's context menu (mask 0x400C), no parameters. The request points into `path`, which
// must outlive it.
SHELLEXECUTEINFOW MakePropertiesRequest(HWND owner, const CString& path);

// Set by whoever makes the pages (the main window), before the first page is created.
void SetJunkPageServices(JunkPageServices* services);
JunkPageServices& JunkServices();

// The engine, made by the scanning page and shared with every other junk page.
extern CJunkFileFinder* g_pJunkFinder;

// The wizard's pages once their windows exist (each page sets and clears its own entry).
struct JunkPageSet {
    CDlgScan1ScanHome* home = nullptr;
    CDlgScan2Scanning* scanning = nullptr;
    CDlgScan3Results* results = nullptr;
    // The clean-up page, to which the scanning page forwards the deletion's messages.
    CDlgScan4Cleanup* cleanup = nullptr;
    // The drive settings tab, which holds the chosen locations.
    CDlgSetting1Drives* drives = nullptr;
};
extern JunkPageSet g_junkPages;

// Counters of the wizard's run.
struct JunkRunCounters {
    int found = 0;   // items in the found list when the scan finished
    int cleaned = 0; // items the last cleaning removed
    // Per group: total and checked items.
    int tempTotal = 0, tempChecked = 0;
    int junkTotal = 0, junkChecked = 0;
    int foldersTotal = 0, foldersChecked = 0;
    // The size text of the checked items, shown on the results and summary pages.
    CString savingsText;
    int Total() const { return tempTotal + junkTotal + foldersTotal; }
    int Checked() const { return tempChecked + junkChecked + foldersChecked; }
};
extern JunkRunCounters g_junkRun;

// Groups of the results pages: Junk (junk and zero-length files), Temp, Folders.
enum class JunkGroup { kJunk, kTemp, kFolders };
JunkGroup GroupOf(const CJunkItem& item);
// The category totals counted afresh from the engine's found list.
void CountJunkItemsByCategory();
// As above, less the items whose paths are gone (the Junk group's checked count for a junk
// item, so that the totals line never claims more checked than there are).
void CountRemainingItems();

// Texts: the junk section's, or a dialog section's control captions.
CString JunkText(LPCWSTR key);
CString DialogText(LPCWSTR section, LPCWSTR key);
// Sets a control's caption from a dialog section.
void SetControlText(CWnd* dialog, int id, LPCWSTR section, LPCWSTR key);
// The application object (texts, settings and profile); null outside the program.
class CVantorixApp* JunkApp();
// "item" for one, else "items".
LPCWSTR ItemWord(int count);
// The skin's text button: light (blue strip 1074, light text) or dark (strip 1076).
void StyleJunkButton(CHoverButtonWithText& button, bool light);
// The window's client size now, for WM_SIZE handlers: the dialog base posts a WM_SIZE of the
// template's size, which arrives after the page took its own size.
void TakeCurrentClientSize(CWnd* window, int& cx, int& cy);
// A page's 120 x 28 button in the bottom row, `fromRight` pixels left of the client's right
// edge (141 the rightmost, 268 the one beside it); nothing before the button exists.
void PlaceBottomButton(CWnd& button, int cx, int cy, int fromRight);
// Lays the window out now for its current client size (a WM_SIZE of that size).
void LayOutNow(CWnd* window);
// A page's heading line: the large bold font, one line, in the colour.
void DrawPageHeading(CDC& dc, const CString& text, COLORREF colour, CRect rect);
// Posts a page command to the junk tab's panel.
void ShowJunkPage(UINT command);

// The layout guide of the scan home and scanning pages: six page rectangles, the list area,
// the description's left offset and its number of rows.
struct CDlgBaseUIGuidelines {
    RECT pageRects[6] = {{0, 0, 595, 484}, {0, 0, 595, 484}, {0, 0, 595, 484},
                         {0, 0, 595, 484}, {0, 0, 595, 484}, {0, 0, 595, 484}};
    RECT listArea = {0, 0, 565, 400};
    int descriptionIndent = 130;
    int rows = 3;
};
