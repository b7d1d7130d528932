// What the duplicate finder's pages share: the program around them (the finder, the main
// window and its controls, the language texts) and the pages themselves, so that each page
// reaches the others as the wizard moves on.
#pragma once

#include <windows.h>

#include <classlib/String.h>
#include <classlib/Window.h>

#include <MainUtilities.h>
#include <PanelPageCommands.h>

#include <initializer_list>

class CDupeFinder;
class CDlgDFWelCome;
class CDlgDFSelectLocation;
class CDlgDFScanProgress;
class CDlgDFScanResult;
class CDlgDFCleaning;
class CDlgDFFinish;
class CDlgDuppOptions;

// The main program's side of the pages: the application object owns the finder and the
// main window owns the tabs; the program installs its implementation before the pages are
// created (tests install their own).
class DupePagesHost {
public:
    virtual ~DupePagesHost() = default;
    virtual CDupeFinder& Finder() = 0;
    // The application's per-user data folder, where the last-scan files live.
    virtual CString DataFolder() = 0;
    virtual CWnd* MainWindow() = 0;
    // The text of `key` in `section` of the program's language file.
    virtual CString Text(LPCWSTR key, LPCWSTR section) = 0;
    // The main window's close controls and its five tab buttons, together.
    virtual void EnableMainControls(bool enable) = 0;
    // Shows the main window's duplicate-files tab (command 1261).
    virtual void ShowDuplicatesTab() = 0;
    // Shows the options tab's duplicate-finder settings with its removal tab selected.
    virtual void ShowRemovalSettings() = 0;
};

// The commands that show the wizard's pages on the duplicate-files tab's panel.
enum DupePageCommand : UINT {
    kDupeWelcomePage = PanelPageCommand(1),
    kDupeLocationsPage = PanelPageCommand(2),
    kDupeProgressPage = PanelPageCommand(3),
    kDupeResultsPage = PanelPageCommand(4),
    kDupeCleaningPage = PanelPageCommand(5),
    kDupeFinishPage = PanelPageCommand(6),
};

// The pages of the wizard and the settings host, set as each is created.
struct DupePages {
    DupePagesHost* host = nullptr;
    CDlgDFWelCome* welcome = nullptr;
    CDlgDFSelectLocation* locations = nullptr;
    CDlgDFScanProgress* progress = nullptr;
    CDlgDFScanResult* results = nullptr;
    CDlgDFCleaning* cleaning = nullptr;
    CDlgDFFinish* finish = nullptr;
    CDlgDuppOptions* options = nullptr;
};

DupePages& TheDupePages();
DupePagesHost& DupeHost();

// The language-file section of the finder's texts (control captions have their template's).
inline constexpr wchar_t kDupeTextSection[] = L"DuplicateFiles";

// The text of `key` from the finder's section.
CString DupeText(LPCWSTR key);
// The text of `key` from a dialog template's section ("IDD_...").
CString DupeCaption(LPCWSTR key, LPCWSTR section);
// `format` (a text key) filled with one number shown with the user's digit grouping.
CString FormatGroupedCount(LPCWSTR formatKey, LONGLONG count);
// The number with the user's digit grouping.
CString GroupedNumber(LONGLONG count);
// Sets each listed control's caption from the template section.
struct DupeCaptionEntry {
    int id;
    LPCWSTR key;
};
void SetCaptions(CWnd* dialog, LPCWSTR section, const DupeCaptionEntry* entries, size_t count);
template <size_t N>
void SetCaptions(CWnd* dialog, LPCWSTR section, const DupeCaptionEntry (&entries)[N]) {
    SetCaptions(dialog, section, entries, N);
}
// The left-side panel that hosts a page (its parent), or null.
class CDlgLeftDlgBase;
CDlgLeftDlgBase* PanelOf(CWnd* page);
// Enables or disables every control of the wizard around a running job: the main window's
// close controls and tabs, and the panel's action and navigation buttons.
void EnableWizardControls(CWnd* page, bool enable);
// Draws `text` in the UI font and `colour` into `rect` (word-wrapped unless `format` says).
class CDC;
void DrawPageText(CDC* dc, LPCWSTR text, RECT rect, COLORREF colour, UINT format = DT_WORDBREAK);
// `text` cut to its first 50 characters followed by " ..." when it is longer.
CString CutTo50(const CString& text);

// The fixed size of a page beside the left panel.
inline constexpr int kDupePageWidth = 591;
inline constexpr int kDupePageHeight = 473;

// Colours of the finder's pages (COLORREF).
inline constexpr COLORREF kDupeTextColour = 0x5A5148;
inline constexpr COLORREF kDupeHeadingColour = 0x323232;
inline constexpr COLORREF kDupeGoodColour = RGB(0, 130, 44);
inline constexpr COLORREF kDupeBadColour = RGB(169, 1, 1);
// An icon of the resource library in the size given, and 16 x 16 (the caller destroys them).
HICON LoadIconOfSize(UINT id, int size);
HICON LoadSmallIcon(UINT id);
// The product's message box with the text of `key` and the MB_ style `type`.
int DupeMessage(LPCWSTR key, UINT type);
// The product's message box with `text` as it stands.
int DupeMessageText(const CString& text, UINT type);
// An image list of 16 x 16 icons of the resource library, in order.
class CImageList;
void MakeIconList(CImageList& list, std::initializer_list<UINT> iconIds);
// Shows the first submenu of menu resource `menuId` at `screen`, each listed entry given the
// text of its key; its command goes to `owner`.
struct DupeMenuEntry {
    UINT id;
    LPCWSTR key;
};
void TrackTextMenu(UINT menuId, std::initializer_list<DupeMenuEntry> entries, HWND owner,
                   POINT screen);
// The client area's size of a window.
CSize ClientSizeOf(CWnd* window);
// Loads a button's state strip of four frames (normal, pressed, hover, disabled).
class CHoverButton;
void LoadFourFrameStrip(CHoverButton& button, UINT stripId);
// Centres a pop-up over the main window.
void CentreOverMainWindow(CWnd* popup);
