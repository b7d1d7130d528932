// The duplicate finder's pages as a user meets them, on a generated tree: locations chosen,
// a scan with its progress, the grouping and filling windows, results by group, removal to
// the Recycle Bin and into a zip backup, the finish figures, the settings tabs read back from
// the registry and a saved result loaded again. Every page and window is photographed.
#include "UiTestSupport.h"

#include "DlgAddOption.h"
#include "DlgDFCleaning.h"
#include "DlgDFFinish.h"
#include "DlgDFScanProgress.h"
#include "DlgDFScanResult.h"
#include "DlgDFSelectLocation.h"
#include "DlgDFWelCome.h"
#include "DlgDuppOptions.h"
#include "DupePageIds.h"
#include "DupeWizard.h"

#include <DupeFinder.h>
#include <DupeFinderOptions.h>

#include <DlgLeftDlgBase.h>
#include <DlgBaseMessageBoxWndBase.h>
#include <STBitmap.h>
#include <AppLocations.h>
#include <AppState.h>
#include <IniReader.h>
#include <LauncherStatus.h>
#include <VantorixApp.h>

#include "SafetyTestSupport.h"
#include "TestSupport.h"

#include <LiteralPath.h>

#include <sddl.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

const auto* const g_fonts = ::testing::AddGlobalTestEnvironment(new SharedFontsEnvironment);

// Every text key the pages looked up and the language file lacks.
std::vector<std::wstring> g_missingTexts;
void RecordMissingText(const CString& message) {
    g_missingTexts.emplace_back(message.GetString());
}

// The message boxes shown, answered with OK.
std::vector<std::wstring> g_messages;
void CALLBACK AnswerBox(HWND box, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(box, id);
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
}
void AnswerWithOk(CDlgBaseMessageBoxWndBase* box) {
    g_messages.emplace_back(box->m_strMessage.GetString());
    box->SetTimer(77, 60, &AnswerBox);
}

// The program around the pages: the finder, a main window and the texts of the language file.
class TestHost : public DupePagesHost {
public:
    CDupeFinder& Finder() override { return finder; }
    CString DataFolder() override { return dataFolder.c_str(); }
    CWnd* MainWindow() override { return mainWindow; }
    CString Text(LPCWSTR key, LPCWSTR section) override {
        return static_cast<CVantorixApp*>(AfxGetApp())->GetLangString(key, section);
    }
    void EnableMainControls(bool enable) override { mainControlsEnabled = enable; }
    void ShowDuplicatesTab() override { ++duplicatesTabShown; }
    void ShowRemovalSettings() override { ++removalSettingsShown; }

    CDupeFinder finder;
    std::wstring dataFolder;
    CWnd* mainWindow = nullptr;
    bool mainControlsEnabled = true;
    int duplicatesTabShown = 0;
    int removalSettingsShown = 0;
};

// The application object, as the program makes it, with the program's language section.
class AppEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        m_app = new CVantorixApp(L"XarnDupesPagesTest", L"Stellmark.ini");
        m_app->SetLangSection(L"DiskDefrag"); // the program's own section
        SetLangTextFailureReporter(&RecordMissingText);
        SetMessageBoxAnswerHook(&AnswerWithOk);
    }
    void TearDown() override {
        SetMessageBoxAnswerHook(nullptr);
        delete m_app;
    }

private:
    CVantorixApp* m_app = nullptr;
};
const auto* const g_app = ::testing::AddGlobalTestEnvironment(new AppEnvironment);

constexpr int kPanelWidth = 180;
constexpr UINT kPanelTemplate = 1272;

// Dispatches messages until `done` holds or `timeoutMs` passed.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    while (!done()) {
        if (::GetTickCount64() > end)
            return false;
        PumpFor(20);
    }
    return true;
}

CString TextOf(CWnd* window) {
    CString text;
    window->GetWindowText(text);
    return text;
}

std::wstring Lower(std::wstring text) {
    ::CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// Gives the key the access list of an SDDL text.
void SetKeyAccess(const std::wstring& path, LPCWSTR sddl) {
    RegistryKey key;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, WRITE_DAC, key.Put()),
              ERROR_SUCCESS);
    LocalMemory<PSECURITY_DESCRIPTOR> descriptor;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1,
                                                                       descriptor.Put(), nullptr));
    EXPECT_EQ(::RegSetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, descriptor.Get()),
              ERROR_SUCCESS);
}

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void Shoot(CWnd* window, LPCWSTR name) {
    window->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpFor(150);
    CRect rect;
    window->GetWindowRect(&rect);
    EXPECT_TRUE(SaveScreenPng(rect, BesideProgram(name).c_str())) << name;
}

void ShootHandle(HWND window, LPCWSTR name) {
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    CRect rect;
    ::GetWindowRect(window, &rect);
    EXPECT_TRUE(SaveScreenPng(rect, BesideProgram(name).c_str())) << name;
}

// The columns of a check box's caption that hold ink on screen (any pixel other than the
// ground at its right end), from the first one after the box and the gap behind it.
std::vector<int> CaptionInkColumns(CWnd& box) {
    // As the control shows itself after a change, with no repaint asked for.
    box.UpdateWindow();
    PumpFor(100);
    CRect place;
    box.GetWindowRect(&place);
    const int width = place.Width(), height = place.Height();
    // The control as the screen shows it, copied once and read as 32-bit rows.
    std::vector<DWORD> pixels(static_cast<size_t>(width) * height);
    {
        const HDC screen = ::GetDC(nullptr);
        const HDC copy = ::CreateCompatibleDC(screen);
        const HBITMAP bits = ::CreateCompatibleBitmap(screen, width, height);
        const HGDIOBJ previous = ::SelectObject(copy, bits);
        ::BitBlt(copy, 0, 0, width, height, screen, place.left, place.top, SRCCOPY);
        ::SelectObject(copy, previous);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        EXPECT_EQ(::GetDIBits(copy, bits, 0, height, pixels.data(), &info, DIB_RGB_COLORS), height);
        ::DeleteObject(bits);
        ::DeleteDC(copy);
        ::ReleaseDC(nullptr, screen);
    }
    const DWORD ground = pixels[static_cast<size_t>(width) - 2];
    std::vector<bool> inked(static_cast<size_t>(width), false);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (pixels[static_cast<size_t>(y) * width + x] != ground)
                inked[static_cast<size_t>(x)] = true;
    size_t x = 0;
    while (x < inked.size() && inked[x])
        ++x;
    std::vector<int> columns;
    for (; x < inked.size(); ++x)
        if (inked[x])
            columns.push_back(static_cast<int>(x));
    return columns;
}

// A check box disabled shows its whole caption where the enabled one shows it, greyed: the
// same columns hold ink, as the control shows itself right after the change. Wine draws a
// disabled caption in single-colour glyphs set wider than the room measured for it, which cuts
// its end off ("128 M" for "128 MB") and moves every letter after the first few.
void ExpectDisabledCaptionAsEnabled(CWnd& box) {
    ASSERT_TRUE(box.IsWindowEnabled());
    const std::vector<int> enabled = CaptionInkColumns(box);
    box.EnableWindow(FALSE);
    const std::vector<int> disabled = CaptionInkColumns(box);
    box.EnableWindow(TRUE);
    ASSERT_GT(enabled.size(), 20u) << "a caption is shown";
    std::vector<int> differing;
    std::set_symmetric_difference(enabled.begin(), enabled.end(), disabled.begin(), disabled.end(),
                                  std::back_inserter(differing));
    // A faint edge pixel of a smoothed letter may match the ground in one colour and not in
    // the other.
    EXPECT_LE(differing.size(), 4u)
        << ::testing::PrintToString(TextOf(&box)) << ": enabled ink " << enabled.front() << "-"
        << enabled.back() << ", disabled ink " << (disabled.empty() ? -1 : disabled.front()) << "-"
        << (disabled.empty() ? -1 : disabled.back()) << ", " << differing.size()
        << " columns differ";
}

// Only the selected one of the settings host's five tab buttons shows the strip's pressed
// frame; the others show its normal frame (sampled inside the button, clear of its caption).
void ExpectOnlyTabSelected(CDlgDuppOptions& options, int selected) {
    const CSTBitmap strip(6053);
    ASSERT_EQ(strip.GetWidth(), 4 * 78);
    const HBITMAP bits = static_cast<HBITMAP>(strip.GetSafeHandle());
    for (int i = 0; i < CDlgDuppOptions::kTabCount; ++i) {
        const int frame = i == selected ? 1 : 0;
        const HWND button = ::GetDlgItem(options.m_hWnd, IDC_TAB_BTN_FIRST + i);
        EXPECT_EQ(ClientPixelOnScreen(button, 6, 6), BitmapPixel(bits, frame * 78 + 6, 6)) << i;
        EXPECT_EQ(ClientPixelOnScreen(button, 70, 24), BitmapPixel(bits, frame * 78 + 70, 24)) << i;
    }
    EXPECT_NE(BitmapPixel(bits, 6, 6), BitmapPixel(bits, 78 + 6, 6)) << "frames that differ";
}

// What runs while the pages' modal windows are up: a thread timer sees each of them.
std::function<void()> g_whileModal;
void CALLBACK WhileModal(HWND, UINT, UINT_PTR, DWORD) {
    if (g_whileModal)
        g_whileModal();
}

// The first visible window of this thread that `matches`.
struct WindowSearch {
    std::function<bool(HWND)> matches;
    HWND found = nullptr;
};
BOOL CALLBACK TestWindow(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<WindowSearch*>(data);
    if (::IsWindowVisible(window) && search->matches(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}
HWND FindOwnWindow(const std::function<bool(HWND)>& matches) {
    WindowSearch search{matches};
    ::EnumThreadWindows(::GetCurrentThreadId(), &TestWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A visible window of this thread whose text is `title`.
HWND FindOwnWindow(const CString& title) {
    return FindOwnWindow([&](HWND window) {
        wchar_t text[128] = {};
        ::GetWindowTextW(window, text, 128);
        return title == text;
    });
}

// A visible window of this thread that holds the control `id`.
HWND FindOwnWindowWith(int id) {
    return FindOwnWindow([&](HWND window) { return ::GetDlgItem(window, id) != nullptr; });
}

// The wizard in a stand-in of the main window: the duplicate-files tab's panel with its six
// pages, and the options tab's settings page beside it.
class DupeWizard : public ::testing::Test {
protected:
    void SetUp() override {
        g_missingTexts.clear();
        g_messages.clear();
        appKey = GetAppRegistryKey().GetString();
        ::RegDeleteTreeW(HKEY_CURRENT_USER, appKey.c_str());
        host.dataFolder = data.Path();
        host.finder.SetLastScanFolder(data.Path().c_str());
        TheDupePages().host = &host;
        mainWindow = std::make_unique<HostWindow>(RGB(255, 255, 255), kPanelWidth + 600, 490);
        host.mainWindow = mainWindow.get();

        panel = new CDlgLeftDlgBase(kPanelTemplate, mainWindow.get());
        welcome = new CDlgDFWelCome(panel);
        locations = new CDlgDFSelectLocation(panel);
        progress = new CDlgDFScanProgress(panel);
        results = new CDlgDFScanResult(panel);
        cleaning = new CDlgDFCleaning(panel);
        finish = new CDlgDFFinish(panel);
        CWnd* pages[] = {welcome, locations, progress, results, cleaning, finish};
        for (int i = 0; i < 6; ++i)
            panel->SetPage(i, pages[i]);
        ASSERT_TRUE(panel->Create(kPanelTemplate, mainWindow.get()));
        panel->MoveWindow(0, 0, kPanelWidth + 600, 490);
        const UINT templates[] = {IDD_DLG_DF_WELCOME,      IDD_DLG_DF_SELECTLOCATION,
                                  IDD_DLG_DF_SCANPROGRESS, IDD_DLG_DF_SCANRESULT,
                                  IDD_DLG_DF_CLEANING,     IDD_DLG_DF_FINISH};
        for (int i = 0; i < 6; ++i) {
            auto* page = static_cast<CDlgBaseWnd*>(pages[i]);
            ASSERT_TRUE(page->Create(templates[i], panel)) << i;
            page->SetWindowPos(nullptr, kPanelWidth, 8, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        }
        CStringArray captions;
        for (LPCWSTR caption :
             {L"Start", L"Locations", L"Search", L"Results", L"Removal", L"Finish"})
            captions.Add(caption);
        panel->LayoutAllSideButtons(6, captions);
        panel->ShowWindow(SW_SHOW);
        welcome->ShowWindow(SW_SHOW);
        welcome->EnableWindow(TRUE);
        panel->SetCurrentPage(welcome);
        PumpFor(200);

        tree = data / L"tree";
        ::CreateDirectoryW(tree.c_str(), nullptr);
        for (LPCWSTR folder : {L"a", L"b", L"c"})
            ::CreateDirectoryW((tree + L"\\" + folder).c_str(), nullptr);
        WriteBytes(tree + L"\\a\\photo.jpg", std::string(3000, 'A'));
        WriteBytes(tree + L"\\b\\photo.jpg", std::string(3000, 'A'));
        // Same name and size, other bytes: never a duplicate while contents are compared.
        WriteBytes(tree + L"\\c\\photo.jpg", std::string(2999, 'A') + "B");
        WriteBytes(tree + L"\\a\\song.mp3", std::string(5000, 'M'));
        WriteBytes(tree + L"\\b\\song.mp3", std::string(5000, 'M'));
        WriteBytes(tree + L"\\a\\notes.txt", "only once");
        WriteBytes(tree + L"\\a\\empty.txt", "");
        WriteBytes(tree + L"\\b\\empty.txt", "");
    }

    void TearDown() override {
        g_whileModal = nullptr;
        ASSERT_TRUE(results->WaitForCleaning(30000));
        ASSERT_TRUE(progress->WaitForWalk(30000));
        host.finder.StopGrouping();
        ASSERT_TRUE(host.finder.WaitForGrouping(30000));
        panel->DestroyWindow();
        delete panel; // deletes its pages
        mainWindow.reset();
        TheDupePages().host = nullptr;
        ::RegDeleteTreeW(HKEY_CURRENT_USER, appKey.c_str());
        ::RegDeleteKeyW(HKEY_CURRENT_USER, appKey.c_str());
        EXPECT_TRUE(g_missingTexts.empty())
            << "missing text: " << testing::PrintToString(g_missingTexts);
    }

    void StoreFindOptions(DWORD name, DWORD size, DWORD time, DWORD content) {
        ASSERT_TRUE(WriteFindOption(L"FILENAME", name));
        ASSERT_TRUE(WriteFindOption(L"FILESIZE", size));
        ASSERT_TRUE(WriteFindOption(L"FILETIME", time));
        ASSERT_TRUE(WriteFindOption(L"FILECRC", content));
    }

    void Click(CWnd* page, int id) {
        page->SendMessageW(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                           reinterpret_cast<LPARAM>(::GetDlgItem(page->m_hWnd, id)));
    }

    void AddLocation(const std::wstring& path) {
        locations->SetDlgItemText(IDC_EDIT_LOCATION, path.c_str());
        Click(locations, IDC_BTN_ADD_LIST_FROM_EDIT);
        PumpFor(50);
    }

    CListCtrl& LocationList() {
        return *static_cast<CListCtrl*>(locations->GetDlgItem(IDC_LIST_LOCATIONS));
    }

    // Starts a scan from the locations page and waits until the results are listed.
    void ScanToResults() {
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 40, &WhileModal);
        Click(locations, IDC_BTN_SCAN);
        EXPECT_TRUE(PumpUntil([&] { return results->IsWindowVisible() != FALSE; }, 60000));
        EXPECT_TRUE(
            PumpUntil([&] { return results->m_nFilter == CDlgDFScanResult::kFilterAll; }, 60000));
        ::KillTimer(nullptr, timer);
        PumpFor(200);
    }

    // The list's rows as "folder\name" (lower case) with their check states.
    std::vector<std::pair<std::wstring, bool>> ResultRows() {
        std::vector<std::pair<std::wstring, bool>> rows;
        for (int row = 0; row < results->m_list.GetItemCount(); ++row) {
            CString path =
                results->m_list.GetItemText(row, 1) + L"\\" + results->m_list.GetItemText(row, 0);
            path.MakeLower();
            rows.emplace_back(path.GetString(), results->m_list.GetCheck(row) != FALSE);
        }
        return rows;
    }

    void SelectRow(int row) {
        results->m_list.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        results->m_list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED,
                                     LVIS_SELECTED | LVIS_FOCUSED);
    }

    bool Said(LPCWSTR key) {
        const std::wstring text = DupeText(key).GetString();
        for (const std::wstring& message : g_messages)
            if (message == text)
                return true;
        return false;
    }

    DWORD StoredDword(LPCWSTR subkey, LPCWSTR name) {
        DWORD value = 0xFFFFFFFF;
        DWORD size = sizeof value;
        ::RegGetValueW(HKEY_CURRENT_USER, (appKey + L"\\" + subkey).c_str(), name, RRF_RT_REG_DWORD,
                       nullptr, &value, &size);
        return value;
    }

    TestHost host;
    TempFolder data;
    std::wstring tree;
    std::wstring appKey;
    std::unique_ptr<HostWindow> mainWindow;
    CDlgLeftDlgBase* panel = nullptr;
    CDlgDFWelCome* welcome = nullptr;
    CDlgDFSelectLocation* locations = nullptr;
    CDlgDFScanProgress* progress = nullptr;
    CDlgDFScanResult* results = nullptr;
    CDlgDFCleaning* cleaning = nullptr;
    CDlgDFFinish* finish = nullptr;
};

} // namespace

TEST_F(DupeWizard, FreshWelcomeAndTheWayToTheLocations) {
    const CString notScanned = DupeText(L"IDS_NOT_SCANNED");
    ASSERT_EQ(welcome->m_values.GetSize(), 4);
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(welcome->m_values[row], notScanned) << row;
    EXPECT_EQ(welcome->m_nCleanedTotal, 0u);
    EXPECT_EQ(TextOf(welcome), DupeText(L"SCANWELCOME_HEADING"));
    for (CWnd* page :
         std::initializer_list<CWnd*>{welcome, locations, progress, results, cleaning, finish}) {
        CRect client;
        page->GetClientRect(&client);
        EXPECT_EQ(client.Size(), CSize(591, 473)) << "a page keeps its size";
    }
    {
        CRect button;
        finish->GetDlgItem(IDC_BTN_ACTION)->GetWindowRect(&button);
        finish->ScreenToClient(&button);
        EXPECT_EQ(button.left, 450);
        EXPECT_EQ(button.top, 433);
    }
    Shoot(welcome, L"dupes_welcome.png");
    {
        // The framework's title bitmap under the description, and the page icon (its attention
        // mark is orange) beside the button.
        const CSTBitmap rule(1075);
        ASSERT_GT(rule.GetWidth(), 0);
        const COLORREF ruleColour =
            BitmapPixel(static_cast<HBITMAP>(rule.GetSafeHandle()), rule.GetWidth() / 2, 1);
        EXPECT_NE(ruleColour, RGB(255, 255, 255));
        EXPECT_EQ(ClientPixelOnScreen(welcome->m_hWnd, kWelcomeRulePlace.x + rule.GetWidth() / 2,
                                      kWelcomeRulePlace.y + 1),
                  ruleColour);
        int orange = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const COLORREF c = ClientPixelOnScreen(welcome->m_hWnd, kWelcomeIconPlace.x + x,
                                                       kWelcomeIconPlace.y + y);
                orange += GetRValue(c) > 200 && GetGValue(c) > 90 && GetGValue(c) < 160 &&
                                  GetBValue(c) < 80
                              ? 1
                              : 0;
            }
        EXPECT_GT(orange, 100) << "the page icon";
    }
    EXPECT_EQ(CutTo50(CString(L'x', 60)), CString(L'x', 50) + L" ...");
    EXPECT_EQ(CutTo50(CString(L'x', 50)), CString(L'x', 50));

    // A cleaning that removed nothing adds nothing and tells the launcher so.
    finish->m_nDuplicatesFound = 4;
    finish->FinishComputation(3, 0);
    EXPECT_EQ(welcome->m_nCleanedTotal, 0u);
    EXPECT_EQ(finish->m_values[3], L"3");
    EXPECT_FALSE(finish->m_bAllRemoved);
    DWORD iconStatus = 0;
    ReadLauncherStatus(9, iconStatus, false, false);
    EXPECT_EQ(iconStatus, 1u);

    Click(welcome, IDC_BTN_SEL_LCOATIONS_TO_SCAN);
    ASSERT_TRUE(PumpUntil([&] { return locations->IsWindowVisible() != FALSE; }, 5000));
    EXPECT_FALSE(welcome->IsWindowVisible());
}

TEST_F(DupeWizard, LocationsRefuseOverlapsAndWindowsFoldersAndFollowTheStore) {
    panel->SendMessageW(WM_COMMAND, kDupeLocationsPage);
    PumpFor(100);
    const std::wstring dataFolder = data / L"Data";
    const std::wstring database = data / L"Database";
    for (const std::wstring& folder : {dataFolder, dataFolder + L"\\Photos", database})
        ::CreateDirectoryW(folder.c_str(), nullptr);

    // The add buttons follow the path box.
    EXPECT_FALSE(locations->GetDlgItem(IDC_BTN_ADD_LIST_FROM_EDIT)->IsWindowEnabled());
    AddLocation(dataFolder);
    ASSERT_EQ(LocationList().GetItemCount(), 1);
    EXPECT_TRUE(locations->GetDlgItem(IDC_BTN_SCAN)->IsWindowEnabled());

    g_messages.clear();
    AddLocation(dataFolder + L"\\Photos");
    EXPECT_TRUE(Said(L"IDS_EXISTS")) << "inside a listed folder";
    g_messages.clear();
    AddLocation(data.Path());
    EXPECT_TRUE(Said(L"IDS_EXISTS")) << "around a listed folder";
    EXPECT_EQ(LocationList().GetItemCount(), 1);
    CString typed;
    locations->GetDlgItemText(IDC_EDIT_LOCATION, typed);
    EXPECT_TRUE(typed.IsEmpty()) << "a refused path leaves the box";
    AddLocation(database);
    EXPECT_EQ(LocationList().GetItemCount(), 2) << "the trailing backslash separates them";

    wchar_t windows[MAX_PATH] = {};
    ::GetWindowsDirectoryW(windows, MAX_PATH);
    g_messages.clear();
    AddLocation(std::wstring(windows) + L"\\system32");
    EXPECT_TRUE(Said(L"IDS_WIN_CANT_ADD"));
    EXPECT_TRUE(CDlgDFSelectLocation::IsInWindowsFolder(CString(windows) + L"2"))
        << "a sibling that begins with the Windows folder's text";
    EXPECT_EQ(LocationList().GetItemCount(), 2);

    // Every change is stored under "Selected"; a stored folder that is gone is dropped.
    CStringArray stored;
    locations->GetItemToScan(stored);
    ASSERT_EQ(stored.GetSize(), 2);
    TempFolder::RemoveTree(database);
    locations->ShowWindow(SW_HIDE);
    locations->ShowWindow(SW_SHOW);
    EXPECT_EQ(LocationList().GetItemCount(), 1);
    Shoot(panel, L"dupes_locations.png");

    LocationList().SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    Click(locations, IDC_BUTTON_REMOVE_SELECTED);
    EXPECT_EQ(LocationList().GetItemCount(), 0);
    EXPECT_FALSE(locations->GetDlgItem(IDC_BTN_SCAN)->IsWindowEnabled())
        << "removing the last row disables the scan";
}

TEST_F(DupeWizard, ScanGroupsListsAndRemovesTheChosenCopiesToTheRecycleBin) {
    StoreFindOptions(1, 1, 0, 1);
    ASSERT_TRUE(WriteRemovalOption(kRemoveToRecycleBin));
    panel->SendMessageW(WM_COMMAND, kDupeLocationsPage);
    PumpFor(100);
    AddLocation(tree);
    ASSERT_EQ(LocationList().GetItemCount(), 1);

    bool groupingSeen = false;
    bool fillingSeen = false;
    g_whileModal = [&] {
        if (!groupingSeen) {
            if (HWND grouping = FindOwnWindow(DupeText(L"IDS_GRP_HEAD"))) {
                groupingSeen = true;
                ShootHandle(grouping, L"dupes_grouping.png");
                CRect rect;
                ::GetWindowRect(grouping, &rect);
                EXPECT_EQ(rect.Height(), 336) << "three steps with contents compared";
            }
        }
        if (!fillingSeen) {
            if (HWND filling = FindOwnWindowWith(IDC_PROGRESS_FILLING)) {
                fillingSeen = true;
                ShootHandle(filling, L"dupes_filling.png");
                EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(filling, IDC_BTN_CANCEL_DUPP)))
                    << "no way to cancel the filling";
                // "100%" fits its figure in the label's font, which ends before "listed".
                const HWND figure = ::GetDlgItem(filling, IDC_ST_PERC);
                const HWND listed = ::GetDlgItem(filling, IDC_ST_GROUPED);
                CRect figureRect, listedRect;
                ::GetWindowRect(figure, &figureRect);
                ::GetWindowRect(listed, &listedRect);
                EXPECT_LE(figureRect.right, listedRect.left);
                const HDC dc = ::GetDC(figure);
                const HGDIOBJ previous = ::SelectObject(
                    dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(figure, WM_GETFONT, 0, 0)));
                SIZE widest{};
                ::GetTextExtentPoint32W(dc, L"100%", 4, &widest);
                ::SelectObject(dc, previous);
                ::ReleaseDC(figure, dc);
                EXPECT_LE(widest.cx, figureRect.Width());
                EXPECT_NE(::GetWindowLongW(figure, GWL_STYLE) & SS_RIGHT, 0)
                    << "the figure ends where its word begins";
            }
        }
    };
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 40, &WhileModal);
    Click(locations, IDC_BTN_SCAN);
    // The search page as the walk begins (photographed before any message is handled).
    panel->SendMessageW(WM_COMMAND, kDupeProgressPage);
    ShootHandle(panel->m_hWnd, L"dupes_progress.png");
    EXPECT_TRUE(
        PumpUntil([&] { return results->m_nFilter == CDlgDFScanResult::kFilterAll; }, 60000));
    ::KillTimer(nullptr, timer);
    PumpFor(200);
    EXPECT_TRUE(groupingSeen);
    EXPECT_TRUE(fillingSeen);
    EXPECT_FALSE(host.finder.KeepRunning());
    EXPECT_TRUE(host.mainControlsEnabled);
    CListCtrl* walked = static_cast<CListCtrl*>(progress->GetDlgItem(IDC_LIST_SCAN_DUPP));
    ASSERT_EQ(walked->GetItemCount(), 1);
    EXPECT_EQ(walked->GetItemText(0, 1), DupeText(L"IDS_ANALYZED"));

    // Two groups: the photos with equal bytes and the songs; the other photo, the single file
    // and the empty files (not recorded while contents are compared) are not listed.
    auto rows = ResultRows();
    ASSERT_EQ(rows.size(), 4u);
    std::set<std::wstring> listed;
    for (const auto& row : rows)
        listed.insert(row.first);
    // Locations are listed in their short form.
    wchar_t shortTree[MAX_PATH] = {};
    ASSERT_NE(::GetShortPathNameW(tree.c_str(), shortTree, MAX_PATH), 0u);
    const std::wstring lowerTree = Lower(shortTree);
    EXPECT_EQ(listed,
              (std::set<std::wstring>{lowerTree + L"\\a\\photo.jpg", lowerTree + L"\\b\\photo.jpg",
                                      lowerTree + L"\\a\\song.mp3", lowerTree + L"\\b\\song.mp3"}));
    EXPECT_EQ(results->m_list.GetItemText(0, 4), results->m_list.GetItemText(1, 4));
    EXPECT_NE(results->m_list.GetItemText(1, 4), results->m_list.GetItemText(2, 4));
    EXPECT_FALSE(results->GetDlgItem(IDC_BTN_CLEAN_SYSTEM_DUPP)->IsWindowEnabled());
    EXPECT_EQ(results->m_strScanStatus, DupeText(L"IDS_SCAN_COMPLETE"));
    EXPECT_FALSE(results->GetDlgItem(IDC_PROGRESS_GROUPING)->IsWindowVisible())
        << "no finished grouping bar beside the selection's size";

    // All but the first of each group.
    SelectRow(0);
    results->SendMessageW(WM_COMMAND, IDM_SELECT_ALL_BUT_FIRST);
    SelectRow(2);
    results->SendMessageW(WM_COMMAND, IDM_SELECT_ALL_BUT_FIRST);
    PumpFor(50);
    rows = ResultRows();
    EXPECT_FALSE(rows[0].second);
    EXPECT_TRUE(rows[1].second);
    EXPECT_FALSE(rows[2].second);
    EXPECT_TRUE(rows[3].second);
    EXPECT_EQ(results->m_nChecked, 2);
    EXPECT_EQ(results->m_nCheckedBytes, 8000u);
    EXPECT_TRUE(results->GetDlgItem(IDC_BTN_CLEAN_SYSTEM_DUPP)->IsWindowEnabled());
    Shoot(panel, L"dupes_results.png");

    // The music filter shows the same records: a check there is a check under "all".
    Click(results, IDC_BTN_MUSIC);
    PumpFor(100);
    ASSERT_EQ(results->m_list.GetItemCount(), 2);
    SelectRow(0);
    results->SendMessageW(WM_COMMAND, IDM_UNSELECT_GROUP);
    EXPECT_EQ(results->m_nChecked, 0);
    SelectRow(0);
    results->SendMessageW(WM_COMMAND, IDM_SELECT_ALL_BUT_LAST);
    EXPECT_TRUE(results->m_list.GetCheck(0));
    EXPECT_FALSE(results->m_list.GetCheck(1));
    results->SendMessageW(WM_COMMAND, IDM_SELECT_ALL_BUT_FIRST);
    Click(results, IDC_BTN_ALL);
    PumpFor(100);
    rows = ResultRows();
    EXPECT_EQ(rows[3].second, true) << "the music filter's check shows under all";

    const std::wstring keptPhoto = rows[0].first, gonePhoto = rows[1].first;
    const std::wstring keptSong = rows[2].first, goneSong = rows[3].first;
    Click(results, IDC_BTN_CLEAN_SYSTEM_DUPP);
    EXPECT_FALSE(host.mainControlsEnabled) << "the main window is held while files go";
    ASSERT_TRUE(results->WaitForCleaning(30000));
    ASSERT_TRUE(PumpUntil([&] { return finish->IsWindowVisible() != FALSE; }, 10000));
    EXPECT_TRUE(host.mainControlsEnabled);

    EXPECT_FALSE(Exists(gonePhoto));
    EXPECT_FALSE(Exists(goneSong));
    EXPECT_TRUE(Exists(keptPhoto));
    EXPECT_TRUE(Exists(keptSong));
    EXPECT_TRUE(Exists(tree + L"\\c\\photo.jpg"));
    ASSERT_EQ(finish->m_values.GetSize(), 5);
    EXPECT_EQ(finish->m_values[0], L"4");
    EXPECT_EQ(finish->m_values[1], L"2");
    EXPECT_EQ(finish->m_values[2], L"2");
    EXPECT_EQ(finish->m_values[3], L"0");
    EXPECT_EQ(finish->m_values[4], ByteSizeText(8000));
    EXPECT_TRUE(finish->m_bAllRemoved);
    EXPECT_EQ(finish->m_strHeading, DupeText(L"IDS_DUPFILE_CLEAN_COMPLETE"));
    EXPECT_EQ(StoredDword(kLastScanStatusKey, L"NumOfFilesCleanedTillDate"), 2u);
    EXPECT_EQ(welcome->m_nCleanedTotal, 2u);
    Shoot(panel, L"dupes_finish.png");

    Click(finish, IDC_BTN_ACTION);
    ASSERT_TRUE(PumpUntil([&] { return welcome->IsWindowVisible() != FALSE; }, 5000));
    Shoot(panel, L"dupes_welcome_after.png");
}

TEST_F(DupeWizard, BackupRemovalKeepsAFileHeldOpenAndRemovesTheRestIntoTheArchive) {
    StoreFindOptions(1, 1, 0, 1);
    const std::wstring backup = data / L"backup";
    ::CreateDirectoryW(backup.c_str(), nullptr);
    ASSERT_TRUE(WriteRemovalOption(kRemoveWithZipBackup));
    ASSERT_TRUE(WriteBackupFolder(backup.c_str()));
    panel->SendMessageW(WM_COMMAND, kDupeLocationsPage);
    PumpFor(100);
    AddLocation(tree);
    ScanToResults();
    ASSERT_EQ(results->m_list.GetItemCount(), 4);
    SelectRow(0);
    results->SendMessageW(WM_COMMAND, IDM_SELECT_ALL_BUT_FIRST);
    SelectRow(2);
    results->SendMessageW(WM_COMMAND, IDM_SELECT_ALL_BUT_FIRST);
    const auto rows = ResultRows();
    ASSERT_TRUE(rows[1].second && rows[3].second);

    // The checked song is held open by another program: it stays and is reported.
    KernelHandle held(
        ::CreateFileW(rows[3].first.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    g_messages.clear();
    g_whileModal = nullptr;
    Click(results, IDC_BTN_CLEAN_SYSTEM_DUPP);
    ASSERT_TRUE(results->WaitForCleaning(30000));
    ASSERT_TRUE(PumpUntil([&] { return finish->IsWindowVisible() != FALSE; }, 10000));
    held.Reset();

    EXPECT_FALSE(Exists(rows[1].first)) << "backed up, then deleted";
    EXPECT_TRUE(Exists(rows[3].first)) << "held open: kept";
    EXPECT_TRUE(Exists(rows[0].first));
    EXPECT_TRUE(Exists(rows[2].first));
    EXPECT_TRUE(Said(L"IDS_SOME_FILES_INUSE"));
    EXPECT_EQ(finish->m_values[1], L"2");
    EXPECT_EQ(finish->m_values[2], L"1");
    EXPECT_EQ(finish->m_values[3], L"1");
    EXPECT_EQ(finish->m_values[4], ByteSizeText(3000));
    EXPECT_FALSE(finish->m_bAllRemoved);
    EXPECT_EQ(finish->m_strHeading, DupeText(L"IDS_DUPFILE_CLEAN_ABORTED"));
    Shoot(panel, L"dupes_finish_aborted.png");

    // The archive holds the removed photo with its folder tree, without the drive.
    ASSERT_FALSE(results->m_strArchivePath.IsEmpty());
    const std::string archive = ReadBytes(results->m_strArchivePath.GetString());
    ASSERT_GT(archive.size(), 22u);
    EXPECT_EQ(archive.substr(0, 4), std::string("PK\x03\x04", 4));
    std::wstring entry = rows[1].first.substr(3);
    std::string narrowEntry(entry.begin(), entry.end());
    for (char& c : narrowEntry)
        if (c == '\\')
            c = '/';
    EXPECT_NE(Lower(std::wstring(archive.begin(), archive.end()))
                  .find(std::wstring(narrowEntry.begin(), narrowEntry.end())),
              std::wstring::npos);
}

TEST_F(DupeWizard, AGroupLeftWithoutACopyIsRefusedAndChangedFilesAreToldAndKept) {
    StoreFindOptions(1, 1, 0, 1);
    ASSERT_TRUE(WriteRemovalOption(kRemoveToRecycleBin));
    panel->SendMessageW(WM_COMMAND, kDupeLocationsPage);
    PumpFor(100);
    AddLocation(tree);
    ScanToResults();
    ASSERT_EQ(results->m_list.GetItemCount(), 4);
    const TreeSnapshot scanned = TakeSnapshot(tree);

    // Every copy of the first group checked: refused, naming the group; nothing goes.
    results->m_list.SetCheck(0, TRUE);
    results->m_list.SetCheck(1, TRUE);
    PumpFor(50);
    ASSERT_EQ(results->m_nChecked, 2);
    const CDupeFile* first = host.finder.Duplicates(kSetAllFiles)[0];
    CString refusal;
    refusal.Format(DupeText(L"IDS_GROUP_KEEPS_NO_COPY"), first->m_nFirstGroup,
                   first->GetFullPath().GetString());
    g_messages.clear();
    Click(results, IDC_BTN_CLEAN_SYSTEM_DUPP);
    PumpFor(200);
    ASSERT_EQ(g_messages.size(), 1u);
    EXPECT_EQ(g_messages[0], refusal.GetString());
    EXPECT_NE(g_messages[0].find(first->GetFullPath().GetString()), std::wstring::npos);
    EXPECT_FALSE(cleaning->IsWindowVisible());
    EXPECT_TRUE(host.mainControlsEnabled);
    ExpectOnlyRemoved(scanned, TakeSnapshot(tree));

    // One photo kept; the checked song rewritten (same size) after the scan: it stays, and the
    // user is told why.
    results->m_list.SetCheck(0, FALSE);
    results->m_list.SetCheck(3, TRUE);
    PumpFor(50);
    const auto rows = ResultRows();
    ASSERT_TRUE(!rows[0].second && rows[1].second && !rows[2].second && rows[3].second);
    ::Sleep(20);
    WriteBytes(rows[3].first, std::string(5000, 'N'));
    const TreeSnapshot before = TakeSnapshot(tree);
    g_messages.clear();
    Click(results, IDC_BTN_CLEAN_SYSTEM_DUPP);
    ASSERT_TRUE(results->WaitForCleaning(30000));
    ASSERT_TRUE(PumpUntil([&] { return finish->IsWindowVisible() != FALSE; }, 10000));
    EXPECT_TRUE(Said(L"IDS_SOME_FILES_CHANGED"));
    EXPECT_FALSE(Said(L"IDS_SOME_FILES_INUSE"));
    EXPECT_EQ(finish->m_strHeading, DupeText(L"IDS_DUPFILE_CLEAN_ABORTED"));
    EXPECT_EQ(finish->m_values[2], L"1");
    // The list shows the location as walked; the snapshot names files below the tree.
    const std::wstring& listed = rows[1].first;
    const std::wstring removed = listed.substr(listed.rfind(L'\\', listed.rfind(L'\\') - 1) + 1);
    std::set<std::wstring> gone;
    for (const auto& [path, bytes] : before) {
        if (SameFileName(path.c_str(), removed.c_str()))
            gone.insert(path);
    }
    ASSERT_EQ(gone.size(), 1u);
    ExpectOnlyRemoved(before, TakeSnapshot(tree), gone);
    Shoot(panel, L"dupes_finish_changed.png");
}

TEST_F(DupeWizard, MissingBackupFolderRemovesNothing) {
    StoreFindOptions(1, 1, 0, 0);
    ASSERT_TRUE(WriteRemovalOption(kRemoveWithZipBackup));
    ASSERT_TRUE(WriteBackupFolder((data / L"no such folder").c_str()));
    panel->SendMessageW(WM_COMMAND, kDupeLocationsPage);
    PumpFor(100);
    AddLocation(tree);
    int twoStepHeight = 0;
    bool fileLineShown = true;
    g_whileModal = [&] {
        if (twoStepHeight != 0)
            return;
        if (HWND grouping = FindOwnWindow(DupeText(L"IDS_GRP_HEAD"))) {
            CRect rect;
            ::GetWindowRect(grouping, &rect);
            twoStepHeight = rect.Height();
            fileLineShown =
                ::IsWindowVisible(::GetDlgItem(grouping, IDC_STATIC_CRC_FILE_NAME)) != FALSE;
            ShootHandle(grouping, L"dupes_grouping_two_steps.png");
        }
    };
    ScanToResults();
    // Without contents compared the photo of other bytes joins its group of name and size, and
    // the two empty files make a group of their own.
    ASSERT_EQ(results->m_list.GetItemCount(), 7);
    EXPECT_EQ(twoStepHeight, 296) << "two steps without contents compared";
    EXPECT_FALSE(fileLineShown) << "no file-name line without contents compared";
    // A group of three: all but the first checks two rows; unselecting clears all three.
    int photo = 0;
    while (photo < 7 && results->m_list.GetItemText(photo, 0) != L"photo.jpg")
        ++photo;
    ASSERT_LT(photo, 5);
    SelectRow(photo);
    results->SendMessageW(WM_COMMAND, IDM_SELECT_ALL_BUT_FIRST);
    EXPECT_EQ(results->m_nChecked, 2);
    results->SendMessageW(WM_COMMAND, IDM_UNSELECT_GROUP);
    EXPECT_EQ(results->m_nChecked, 0);
    results->SendMessageW(WM_COMMAND, IDM_SELECT_ALL_BUT_FIRST);
    ASSERT_EQ(results->m_nChecked, 2);
    g_messages.clear();
    Click(results, IDC_BTN_CLEAN_SYSTEM_DUPP);
    PumpFor(200);
    EXPECT_TRUE(Said(L"IDS_WRONG_PATH"));
    EXPECT_EQ(host.removalSettingsShown, 1);
    EXPECT_FALSE(cleaning->IsWindowVisible());
    for (const auto& row : ResultRows())
        EXPECT_TRUE(Exists(row.first)) << "nothing removed";

    // The cleaning page as the removal shows it.
    cleaning->Prepare(3);
    cleaning->OnFileStarted((tree + L"\\b\\photo.jpg").c_str());
    cleaning->OnFileRemoved(1);
    panel->SendMessageW(WM_COMMAND, kDupeCleaningPage);
    Shoot(panel, L"dupes_cleaning.png");
    EXPECT_EQ(cleaning->m_nRemoved.load(), 1);
}

TEST_F(DupeWizard, StopDuringGroupingThenANewScanAtOnce) {
    StoreFindOptions(1, 1, 0, 1);
    // Enough equal files that the grouping is still reading contents when Stop comes.
    const std::wstring many = data / L"many";
    ::CreateDirectoryW(many.c_str(), nullptr);
    for (int folder = 0; folder < 40; ++folder) {
        const std::wstring path = many + L"\\" + std::to_wstring(folder);
        ::CreateDirectoryW(path.c_str(), nullptr);
        WriteBytes(path + L"\\big.bin", std::string(4 << 20, 'x'));
    }
    panel->SendMessageW(WM_COMMAND, kDupeLocationsPage);
    PumpFor(100);
    AddLocation(many);
    // A watcher presses Stop as soon as the grouping window is up: a posted click comes before
    // the timers, which the grouping's stream of progress messages holds back.
    std::atomic<bool> stopped{false};
    const CString title = DupeText(L"IDS_GRP_HEAD");
    std::thread watcher([&] {
        const ULONGLONG end = ::GetTickCount64() + 60000;
        while (!stopped && ::GetTickCount64() < end) {
            if (HWND grouping = ::FindWindowW(nullptr, title)) {
                ::PostMessageW(grouping, WM_COMMAND, MAKEWPARAM(IDC_BTN_STOP_DUPP, BN_CLICKED), 0);
                stopped = true;
            }
            ::Sleep(1);
        }
    });
    Click(locations, IDC_BTN_SCAN);
    const bool back =
        PumpUntil([&] { return stopped && welcome->IsWindowVisible() != FALSE; }, 60000);
    watcher.join();
    ASSERT_TRUE(back);
    EXPECT_TRUE(host.mainControlsEnabled) << "Stop gives the main window back";
    EXPECT_EQ(results->m_nFilter, CDlgDFScanResult::kFilterNone) << "nothing listed";

    // A new scan at once: the walk resets the finder only after the stopped grouping ended.
    g_whileModal = nullptr;
    panel->SendMessageW(WM_COMMAND, kDupeLocationsPage);
    PumpFor(50);
    LocationList().SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    Click(locations, IDC_BUTTON_REMOVE_SELECTED);
    AddLocation(tree);
    ScanToResults();
    EXPECT_EQ(results->m_list.GetItemCount(), 4);
}

TEST_F(DupeWizard, SavedResultLoadsAgainIntoTheResultsPage) {
    StoreFindOptions(1, 1, 0, 1);
    panel->SendMessageW(WM_COMMAND, kDupeLocationsPage);
    PumpFor(100);
    AddLocation(tree);
    ScanToResults();
    ASSERT_EQ(results->m_list.GetItemCount(), 4);
    Click(results, IDC_BTN_CANCEL_DUPP_RES);
    PumpFor(100);
    EXPECT_EQ(results->m_list.GetItemCount(), 0);

    CDlgDuppOptions options(mainWindow.get());
    ASSERT_TRUE(options.Create(IDD_DLG_DUPP_OPTIONS, mainWindow.get()));
    options.SetWindowPos(nullptr, kPanelWidth, 8, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    options.SelectTab(4);
    PumpFor(100);
    ASSERT_EQ(options.m_lastScans.m_list.GetItemCount(), 1);
    Shoot(&options, L"dupes_settings_saved_results.png");
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 40, &WhileModal);
    results->m_nFilter = CDlgDFScanResult::kFilterNone;
    options.m_lastScans.SendMessageW(WM_COMMAND, MAKEWPARAM(IDC_BUTTON_LOAD, BN_CLICKED));
    EXPECT_TRUE(
        PumpUntil([&] { return results->m_nFilter == CDlgDFScanResult::kFilterAll; }, 30000));
    ::KillTimer(nullptr, timer);
    EXPECT_EQ(results->m_list.GetItemCount(), 4);
    EXPECT_GE(host.duplicatesTabShown, 1);

    // A damaged result file (a count of records that are not there) is refused and said so;
    // the finder keeps what it holds.
    WriteBytes(data / L"LastScan_1_1_1_1_1_2020.dat", std::string("\x09\0\0\0\1\1\0\0\0\1\1", 11));
    options.SelectTab(0);
    options.SelectTab(4);
    ASSERT_EQ(options.m_lastScans.m_list.GetItemCount(), 2);
    int damaged = 0;
    while (damaged < 2 &&
           options.m_lastScans.m_list.GetItemText(damaged, 0) != L"LastScan_1_1_1_1_1_2020")
        ++damaged;
    ASSERT_LT(damaged, 2);
    options.m_lastScans.m_list.SetItemState(-1, 0, LVIS_SELECTED);
    options.m_lastScans.m_list.SetItemState(damaged, LVIS_SELECTED, LVIS_SELECTED);
    g_messages.clear();
    const size_t held = host.finder.Duplicates(kSetAllFiles).size();
    options.m_lastScans.SendMessageW(WM_COMMAND, MAKEWPARAM(IDC_BUTTON_LOAD, BN_CLICKED));
    PumpFor(200);
    EXPECT_TRUE(Said(L"IDS_LAST_SCAN_NOT_LOADED"));
    EXPECT_EQ(host.finder.Duplicates(kSetAllFiles).size(), held);
    EXPECT_EQ(results->m_list.GetItemCount(), 4);
    options.DestroyWindow();
}

TEST_F(DupeWizard, SettingsTabsReadAndWriteTheStore) {
    CDlgDuppOptions options(mainWindow.get());
    ASSERT_TRUE(options.Create(IDD_DLG_DUPP_OPTIONS, mainWindow.get()));
    options.SetWindowPos(nullptr, kPanelWidth, 8, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    PumpFor(150);

    // Match criteria: shown first on a fresh profile, it stores FILETIME as 1.
    CDlgDFileMatchCrit& match = options.m_matchCriteria;
    EXPECT_EQ(StoredDword(kFindOptionsKey, L"FILETIME"), 1u);
    EXPECT_EQ(match.IsDlgButtonChecked(IDC_CHK_TIME), BST_CHECKED);
    Shoot(&options, L"dupes_settings_match.png");
    ExpectOnlyTabSelected(options, 0);
    match.CheckDlgButton(IDC_CHK_BINCOMPARE, BST_CHECKED);
    Click(&match, IDC_CHK_BINCOMPARE);
    EXPECT_TRUE(match.GetDlgItem(IDC_CHK_CRC_FILE_SIZE_LIMIT)->IsWindowEnabled());
    for (int box : {IDC_CHK_BINCOMPARE, IDC_CHK_CRC_FILE_SIZE_LIMIT})
        ExpectDisabledCaptionAsEnabled(*match.GetDlgItem(box));
    match.CheckDlgButton(IDC_CHK_SAMESIZE, BST_UNCHECKED);
    Click(&match, IDC_CHK_SAMESIZE);
    EXPECT_EQ(match.IsDlgButtonChecked(IDC_CHK_BINCOMPARE), BST_UNCHECKED);
    EXPECT_FALSE(match.GetDlgItem(IDC_CHK_BINCOMPARE)->IsWindowEnabled());
    EXPECT_FALSE(match.GetDlgItem(IDC_CHK_CRC_FILE_SIZE_LIMIT)->IsWindowEnabled());
    match.CheckDlgButton(IDC_CHK_NAMES, BST_UNCHECKED);
    Click(&match, IDC_CHK_NAMES);
    EXPECT_TRUE(match.GetDlgItem(IDC_BTN_SAVE)->IsWindowEnabled());
    match.CheckDlgButton(IDC_CHK_TIME, BST_UNCHECKED);
    Click(&match, IDC_CHK_TIME);
    EXPECT_FALSE(match.GetDlgItem(IDC_BTN_SAVE)->IsWindowEnabled()) << "no criterion left";
    match.CheckDlgButton(IDC_CHK_TIME, BST_CHECKED);
    Click(&match, IDC_CHK_TIME);
    g_messages.clear();
    Click(&match, IDC_BTN_SAVE);
    PumpFor(200);
    EXPECT_TRUE(Said(L"IDS_SETTING_APPLIED"));
    EXPECT_EQ(StoredDword(kFindOptionsKey, L"FILENAME"), 0u);
    EXPECT_EQ(StoredDword(kFindOptionsKey, L"FILESIZE"), 0u);
    EXPECT_EQ(StoredDword(kFindOptionsKey, L"FILETIME"), 1u);
    EXPECT_EQ(StoredDword(kFindOptionsKey, L"FILECRC"), 0u);
    EXPECT_EQ(StoredDword(kFindOptionsKey, L"CRCSIZELIMIT"), 0u);

    // File types: saving with nothing checked searches all files.
    options.SelectTab(1);
    PumpFor(100);
    Shoot(&options, L"dupes_settings_types.png");
    CDlgDFTypeofFileSearch& types = options.m_fileTypes;
    types.CheckDlgButton(IDC_CHK_SEARCH_ALL, BST_UNCHECKED);
    Click(&types, IDC_CHK_SEARCH_ALL);
    EXPECT_TRUE(types.GetDlgItem(IDC_CHK_MUSIC_FILES)->IsWindowEnabled());
    for (int id : {IDC_CHK_MUSIC_FILES, IDC_CHK_VIDEO_FILES, IDC_CHK_IMAGE_FILES, IDC_CHK_DOC_FILES,
                   IDC_CHK_COMPRESS_FILES}) {
        ExpectDisabledCaptionAsEnabled(*types.GetDlgItem(id));
        types.CheckDlgButton(id, BST_UNCHECKED);
    }
    Click(&types, IDC_BTN_SAVE);
    PumpFor(200);
    EXPECT_EQ(StoredDword(kFilesToSearchKey, L"SEARCH_ALL_FILES"), 1u);
    EXPECT_EQ(StoredDword(kFilesToSearchKey, L"SEARCH_MUSIC_FILES"), 0u);
    EXPECT_EQ(StoredDword(kFilesToSearchKey, L"SEARCH_COMPRESSED_FILES"), 0u);

    // Ignore list: the built-in folders, a folder listed already, Save writes every row.
    options.SelectTab(2);
    PumpFor(100);
    CDlgDFIgnoreList& ignore = options.m_ignoreList;
    EXPECT_EQ(ignore.m_list.GetItemCount(), 35);
    ignore.AddFolder(L"d:\\temp\\");
    EXPECT_EQ(ignore.m_list.GetItemCount(), 36);
    ignore.AddFolder(L"D:\\Temp");
    EXPECT_EQ(ignore.m_list.GetItemCount(), 36) << "listed in another letter case";
    ignore.m_list.SetCheck(0, FALSE);
    Shoot(&options, L"dupes_settings_ignore.png");
    ExpectOnlyTabSelected(options, 2);
    Click(&ignore, IDC_BTN_SAVE);
    PumpFor(200);
    EXPECT_EQ(StoredDword(kIgnoreListKey, L"d:\\temp\\"), 1u);
    EXPECT_EQ(StoredDword(kIgnoreListKey, L"\\.svn\\"), 0u);
    CStringArray scanned;
    ReadIgnoreListForScan(scanned);
    EXPECT_EQ(scanned.GetSize(), 36);
    Click(&ignore, IDC_BUTTON_DEFAULT);
    EXPECT_EQ(ignore.m_list.GetItemCount(), 35);
    EXPECT_EQ(StoredDword(kIgnoreListKey, L"d:\\temp\\"), 1u) << "nothing stored before Save";

    // Removal: a backup folder that does not exist is refused and stores nothing.
    options.SelectTab(3);
    PumpFor(100);
    CDlgDFRemoval& removal = options.m_removal;
    EXPECT_EQ(removal.IsDlgButtonChecked(IDC_RDO_MOVE_TO_RECYCLEBIN), BST_CHECKED);
    removal.CheckDlgButton(IDC_RDO_MOVE_TO_RECYCLEBIN, BST_UNCHECKED);
    removal.CheckDlgButton(IDC_RDO_BACKUP, BST_CHECKED);
    Click(&removal, IDC_RDO_BACKUP);
    EXPECT_TRUE(removal.m_folder.IsWindowEnabled());
    removal.m_folder.SetWindowText((data / L"missing").c_str());
    g_messages.clear();
    Click(&removal, IDC_BTN_SAVE);
    PumpFor(200);
    EXPECT_TRUE(Said(L"IDS_SPCFY_LOC"));
    EXPECT_EQ(TextOf(&removal.m_folder), L"");
    EXPECT_EQ(StoredDword(kRemovalOptionsKey, L"REMOVAL_OPTIONS"), 1u);
    removal.m_folder.SetWindowText(data.Path().c_str());
    Shoot(&options, L"dupes_settings_removal.png");
    Click(&removal, IDC_BTN_SAVE);
    PumpFor(200);
    EXPECT_EQ(StoredDword(kRemovalOptionsKey, L"REMOVAL_OPTIONS"), 2u);
    EXPECT_EQ(ReadBackupFolder(), CString(data.Path().c_str()));

    // Shown again, the tab reads the store back.
    options.SelectTab(0);
    options.SelectTab(3);
    PumpFor(100);
    EXPECT_EQ(removal.IsDlgButtonChecked(IDC_RDO_BACKUP), BST_CHECKED);
    EXPECT_EQ(TextOf(&removal.m_folder), CString(data.Path().c_str()));

    // The Scan link leads to the locations page.
    Click(&removal, IDC_BTN_SCAN);
    EXPECT_TRUE(PumpUntil([&] { return locations->IsWindowVisible() != FALSE; }, 5000));
    EXPECT_GE(host.duplicatesTabShown, 1);
    options.DestroyWindow();
}

TEST_F(DupeWizard, AnEmptiedIgnoreListStaysEmptyOnTheTabAndInTheScan) {
    // The user removes every row and saves: the key stays, without values.
    {
        CDlgDuppOptions options(mainWindow.get());
        ASSERT_TRUE(options.Create(IDD_DLG_DUPP_OPTIONS, mainWindow.get()));
        PumpFor(100);
        CDlgDFIgnoreList& ignore = options.m_ignoreList;
        ASSERT_EQ(ignore.m_list.GetItemCount(), 35);
        while (ignore.m_list.GetItemCount() > 0) {
            const int before = ignore.m_list.GetItemCount();
            ignore.m_list.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
            Click(&ignore, IDC_BUTTON_REMOVE);
            ASSERT_EQ(ignore.m_list.GetItemCount(), before - 1);
        }
        Click(&ignore, IDC_BTN_SAVE);
        PumpFor(200);
        options.DestroyWindow();
    }
    const std::wstring key = appKey + L"\\" + kIgnoreListKey;
    auto storedValues = [&] {
        RegistryKey opened;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, opened.Put()) !=
            ERROR_SUCCESS)
            return -1;
        DWORD values = 0;
        if (RegQueryInfoKeyW(opened.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             &values, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            return -1;
        return static_cast<int>(values);
    };
    EXPECT_EQ(storedValues(), 0) << "the key is there, empty";
    auto listedOnANewPage = [&] {
        CDlgDuppOptions options(mainWindow.get());
        if (!options.Create(IDD_DLG_DUPP_OPTIONS, mainWindow.get()))
            return -1;
        PumpFor(100);
        const int rows = options.m_ignoreList.m_list.GetItemCount();
        options.DestroyWindow();
        return rows;
    };
    CStringArray scanned;
    scanned.Add(L"left over");
    ReadIgnoreListForScan(scanned);
    EXPECT_EQ(scanned.GetSize(), 0) << "nothing is left out of a scan";
    EXPECT_EQ(listedOnANewPage(), 0) << "the next start shows the emptied list";
    EXPECT_EQ(storedValues(), 0) << "showing the tab stores nothing";

    // Without the key the built-in folders come back, on the tab and in the scan.
    ASSERT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str()), ERROR_SUCCESS);
    EXPECT_EQ(storedValues(), -1) << "the key is gone";
    ReadIgnoreListForScan(scanned);
    EXPECT_EQ(scanned.GetSize(), 35);
    EXPECT_EQ(listedOnANewPage(), 35);
}

TEST_F(DupeWizard, SaveReportsAStoreThatCannotBeWritten) {
    CDlgDuppOptions options(mainWindow.get());
    ASSERT_TRUE(options.Create(IDD_DLG_DUPP_OPTIONS, mainWindow.get()));
    PumpFor(100);
    // The match options' key lets everyone read it and nobody write to it.
    const std::wstring findOptions = appKey + L"\\" + kFindOptionsKey;
    ASSERT_EQ(ReadFindOption(L"FILENAME", 1), 1u);
    SetKeyAccess(findOptions, L"D:P(A;;KR;;;WD)");
    g_messages.clear();
    Click(&options.m_matchCriteria, IDC_BTN_SAVE);
    PumpFor(200);
    SetKeyAccess(findOptions, L"D:P(A;;KA;;;WD)");
    EXPECT_FALSE(Said(L"IDS_SETTING_APPLIED"));
    EXPECT_TRUE(Said(L"IDS_SETTING_NOT_SAVED"));
    options.DestroyWindow();
}

TEST_F(DupeWizard, AddFolderPopUpRefusesAnEmptyPath) {
    CDlgAddOption popup(mainWindow.get());
    bool shot = false;
    g_messages.clear();
    g_whileModal = [&] {
        if (popup.GetSafeHwnd() == nullptr || !popup.IsWindowVisible())
            return;
        if (!shot) {
            shot = true;
            ShootHandle(popup.m_hWnd, L"dupes_add_folder.png");
            popup.SendMessageW(WM_COMMAND, IDOK);
            return;
        }
        if (!g_messages.empty() && popup.m_strResult.IsEmpty()) {
            popup.SetDlgItemText(IDC_DUPE_EDIT_FOLDER, L"  C:\\Temp  ");
            popup.SendMessageW(WM_COMMAND, IDOK);
        }
    };
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 100, &WhileModal);
    EXPECT_EQ(popup.DoModal(), IDOK);
    ::KillTimer(nullptr, timer);
    EXPECT_TRUE(Said(L"IDS_MSG_NO_PATH"));
    EXPECT_EQ(popup.m_strResult, L"C:\\Temp");
}

// A drive's root, typed as "X:\", is a location like any folder.
TEST_F(DupeWizard, ADriveRootIsAddedAsALocation) {
    panel->SendMessageW(WM_COMMAND, 1200);
    PumpFor(100);
    const std::wstring root = data.Path().substr(0, 3);
    ASSERT_EQ(L":\\", root.substr(1));
    g_messages.clear();
    AddLocation(root);
    ASSERT_EQ(LocationList().GetItemCount(), 1) << "the root was added";
    EXPECT_TRUE(g_messages.empty());
    EXPECT_EQ(0, LocationList().GetItemText(0, 0).CompareNoCase(root.c_str()));
    LocationList().SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    Click(locations, IDC_BUTTON_REMOVE_SELECTED);
    EXPECT_EQ(LocationList().GetItemCount(), 0);
}

// A location that cannot be read is told as such, never as a folder without duplicates.
TEST_F(DupeWizard, ALocationThatCannotBeReadIsToldNotFoundWithoutDuplicates) {
    StoreFindOptions(1, 1, 0, 1);
    const std::wstring gone = data / L"gone";
    g_messages.clear();
    CStringArray scanned;
    scanned.Add(gone.c_str());
    panel->SendMessageW(WM_COMMAND, 1201);
    progress->StartScan(scanned, CStringArray(), CStringArray());
    ASSERT_TRUE(PumpUntil([&] { return !g_messages.empty(); }, 60000));
    PumpFor(200);
    ASSERT_EQ(g_messages.size(), 1u);
    EXPECT_NE(g_messages[0].find(L"could not be read"), std::wstring::npos);
    EXPECT_NE(g_messages[0].find(gone), std::wstring::npos);
    EXPECT_FALSE(Said(L"IDS_NO_DUP_FOUND"));
    EXPECT_TRUE(PumpUntil([&] { return welcome->IsWindowVisible() != FALSE; }, 10000))
        << "back to the first page, as without duplicates";
}
