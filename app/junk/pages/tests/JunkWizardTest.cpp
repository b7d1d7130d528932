// The junk scan wizard driven as a user drives it: a scan of a generated tree with its
// progress, the results' group check boxes, the details pop-up, cleaning to the Recycle Bin
// and for good with the summary's figures checked against the disk, a scheduled clean that
// runs with nobody there, and the pages' pictures.
#include <windows.h>

#include <shlwapi.h>

#include <DlgLeftDlgBase.h>
#include <LauncherStatus.h>
#include <STBitmap.h>

#include "DlgScan1ScanHome.h"
#include "DlgScan2Scanning.h"
#include "DlgScan3Results.h"
#include "DlgScan4Cleanup.h"
#include "DlgScan5Summary.h"
#include "JunkMessages.h"
#include "JunkPagesResource.h"
#include "JunkPagesTestSupport.h"
#include "JunkTestSupport.h"
#include "SafetyTestSupport.h"
#include "UiTestSupport.h"
#include "AppState.h"
#include "VantorixApp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

using namespace junkpages;
using junktest::Exists;
using junktest::MakeFile;
using junktest::MakeFolders;
using junktest::TestDrive;

namespace {
constexpr UINT kPanelTemplate = 1272;
constexpr wchar_t kDriveFolder[] = L"C:\\junkpages-drive";
constexpr wchar_t kTempFolder[] = L"C:\\junkpages-temp";
constexpr double kOld = 24.0 * 30;

// A row of the details list as the list itself gives it back: name, folder, size.
struct ShownRow {
    std::wstring name, folder, size;
    auto operator<=>(const ShownRow&) const = default;
};

void PrintTo(const ShownRow& row, std::ostream* out) {
    *out << "[" << Narrow(row.name) << " | " << Narrow(row.folder) << " | " << Narrow(row.size)
         << "]";
}

std::wstring CellText(HWND list, int row, int column) {
    wchar_t text[MAX_PATH] = {};
    ListView_GetItemText(list, row, column, text, MAX_PATH);
    return text;
}

std::vector<ShownRow> ShownRows(HWND list) {
    std::vector<ShownRow> rows;
    for (int row = 0; row < ListView_GetItemCount(list); ++row)
        rows.push_back({CellText(list, row, 0), CellText(list, row, 1), CellText(list, row, 2)});
    return rows;
}

// The item a row stands for.
const CJunkItem* RowItem(HWND list, int row) {
    LVITEM item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!ListView_GetItem(list, &item))
        return nullptr;
    return reinterpret_cast<const CJunkItem*>(item.lParam);
}

// A group title of the results page stands on the rounded panel's own fill (the skin's list
// bitmap 1128, its top row repeated down from two pixels inside the panel's left edge at 21)
// with no box of its own: right of its text each pixel is the fill's, on its text some are not.
void ExpectTitleOnThePanel(const CWnd& page, const CHyperLinkBtn& title) {
    constexpr int kFillLeft = 23;
    constexpr COLORREF kFlatPanel = RGB(234, 241, 249);
    const CSTBitmap fill(1128);
    const HBITMAP bits = static_cast<HBITMAP>(fill.GetSafeHandle());
    ASSERT_GT(title.m_nTextWidth, 0) << "the title was painted";
    CRect place;
    ::GetWindowRect(title.m_hWnd, &place);
    ::MapWindowPoints(nullptr, page.m_hWnd, reinterpret_cast<POINT*>(&place), 2);
    const int textRight = place.left + title.m_nTextWidth;
    ASSERT_LT(textRight + 8, place.right) << "room right of the text";
    int checked = 0, faded = 0, wrong = 0;
    std::string firstWrong;
    for (int x = textRight + 3; x < place.right; x += 3) {
        const COLORREF expected = BitmapPixel(bits, x - kFillLeft, 0);
        faded += expected != kFlatPanel ? 1 : 0;
        for (const LONG y : {place.top, place.CenterPoint().y, place.bottom - 1}) {
            ++checked;
            const COLORREF shown = ClientPixelOnScreen(page.m_hWnd, x, y);
            if (shown != expected && wrong++ == 0)
                firstWrong = "at " + std::to_string(x) + "," + std::to_string(y) + " shown " +
                             std::to_string(shown) + ", fill " + std::to_string(expected);
        }
    }
    int onText = 0;
    for (int x = place.left; x < textRight; ++x)
        onText += ClientPixelOnScreen(page.m_hWnd, x, place.CenterPoint().y) !=
                          BitmapPixel(bits, x - kFillLeft, 0)
                      ? 1
                      : 0;
    EXPECT_GT(checked, 0);
    EXPECT_EQ(wrong, 0) << wrong << " of " << checked << " pixels off the fill, first "
                        << firstWrong;
    EXPECT_GT(faded, 0) << "the fill differs from a flat colour here, so a box would show";
    EXPECT_GT(onText, 0) << "the title's text is drawn";
}

class JunkWizardTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearStore();
        MessageBoxTexts().clear();
        MissingTexts().clear();
        AnswerMessageBoxes(true);
        g_bScheduleSwitch = g_bAutoFixSwitch = g_bShutdownSwitch = 0;
        g_bJunkRestorePointOffered = false;
        SetJunkPageServices(&services_);
        host_ = std::make_unique<HostWindow>(RGB(255, 255, 255), 790, 480);
        services_.main = host_.get();

        scanning_ = std::make_unique<CDlgScan2Scanning>(host_.get());
        home_ = std::make_unique<CDlgScan1ScanHome>(host_.get());
        results_ = std::make_unique<CDlgScan3Results>(host_.get());
        cleanup_ = std::make_unique<CDlgScan4Cleanup>(host_.get());
        summary_ = std::make_unique<CDlgScan5Summary>(host_.get());
        CDlgLeftSideChild* pages[] = {home_.get(), scanning_.get(), results_.get(), cleanup_.get(),
                                      summary_.get()};
        const UINT templates[] = {IDD_SCANTAB1_SCANHOME, IDD_SCANTAB2_SCANING, IDD_SCANTAB3_RESULTS,
                                  IDD_SCANTAB4_CLEANUP, IDD_SCANTAB5_SUMMARY};
        panel_ = std::make_unique<CDlgLeftDlgBase>(kPanelTemplate, host_.get());
        for (int i = 0; i < 5; ++i) {
            ASSERT_TRUE(pages[i]->Create(templates[i], host_.get())) << templates[i];
            pages[i]->MoveWindow(190, 0, 591, 473);
            pages[i]->ShowWindow(i == 0 ? SW_SHOW : SW_HIDE);
            panel_->SetPage(i, pages[i]);
        }
        ASSERT_TRUE(panel_->Create(kPanelTemplate, host_.get()));
        panel_->MoveWindow(0, 0, 180, 480);
        panel_->ShowWindow(SW_SHOW);
        CStringArray captions;
        for (LPCWSTR caption : {L"Home", L"Scan", L"Results", L"Clean", L"Summary"})
            captions.Add(caption);
        panel_->LayoutSideButtons(5, captions);
        services_.panel = panel_.get();
        ASSERT_NE(g_pJunkFinder, nullptr);
    }

    void TearDown() override {
        if (g_pJunkFinder)
            g_pJunkFinder->WaitForWorker();
        for (int i = 0; i < CDlgLeftDlgBase::kMaxSideButtons; ++i)
            panel_->SetPage(i, nullptr);
        panel_->DestroyWindow();
        for (CWnd* page : std::initializer_list<CWnd*>{home_.get(), scanning_.get(), results_.get(),
                                                       cleanup_.get(), summary_.get()})
            page->DestroyWindow();
        summary_.reset();
        cleanup_.reset();
        results_.reset();
        home_.reset();
        scanning_.reset();
        EXPECT_EQ(g_pJunkFinder, nullptr) << "the scanning page ends the engine";
        panel_.reset();
        host_.reset();
        SetJunkPageServices(nullptr);
        CDlgScan3Results::SetTickSource(nullptr);
        g_bScheduleSwitch = g_bAutoFixSwitch = g_bShutdownSwitch = 0;
        junktest::RemoveTree(kTempFolder);
        for (const std::wstring& missing : MissingTexts())
            ADD_FAILURE() << "language text missing: " << Narrow(missing.c_str());
    }

    // The tree: on the test drive three junk files, a file no enabled mask matches, a disabled
    // mask's file, an empty file and an empty folder; in the temporary folder two old files, a
    // recent one and a program.
    void MakeTree() {
        const std::wstring t = drive_->Root();
        MakeFile(t + L"old.tmp", 1000, kOld);
        MakeFile(t + L"~draft.doc", 2000, kOld);
        MakeFile(t + L"sub\\cache.old", 3000, kOld);
        MakeFile(t + L"sub\\keep.dat", 10, kOld);
        MakeFile(t + L"notes.txt", 10, kOld);
        MakeFile(t + L"backup.bak", 10, kOld);
        MakeFile(t + L"zero.txt", 0, kOld);
        MakeFolders(t + L"emptydir");
        MakeFile(std::wstring(kTempFolder) + L"\\a.dat", 400, kOld);
        MakeFile(std::wstring(kTempFolder) + L"\\b.txt", 500, kOld);
        MakeFile(std::wstring(kTempFolder) + L"\\recent.dat", 600, 1.0);
        MakeFile(std::wstring(kTempFolder) + L"\\tool.exe", 700, kOld);
    }

    void ChooseLocations() {
        SetProfileString(L"LocationDrives", L"0", L"J: (Test)");
        SetProfileString(L"LocationFolders", L"0", kTempFolder);
    }

    bool Shown(CWnd& page) { return page.IsWindowVisible() != FALSE; }
    bool WaitForPage(CWnd& page) {
        return PumpUntil([&] { return Shown(page) && !g_pJunkFinder->IsWorking(); }, 30000);
    }
    void Scan() {
        Click(home_->m_hWnd, IDC_START_SCAN_NOW);
        ASSERT_TRUE(WaitForPage(*results_)) << "the scan ends on the results page";
        PumpFor(100);
    }
    // The clean button answers only once it has been on screen for a while.
    void WaitUntilCleanArms() {
        ASSERT_TRUE(PumpUntil([&] { return results_->IsCleanArmed(); }, 5000));
    }
    void Clean() {
        WaitUntilCleanArms();
        Click(results_->m_hWnd, IDC_BTN_CLEAN_SYSTEM);
        ASSERT_TRUE(WaitForPage(*summary_)) << "the cleaning ends on the summary page";
    }
    std::vector<CJunkItem*> Items() {
        std::vector<CJunkItem*> items;
        for (INT_PTR i = 0; i < g_pJunkFinder->GetFoundCount(); ++i)
            items.push_back(g_pJunkFinder->GetFoundItem(i));
        return items;
    }
    CJunkItem* ItemNamed(const std::wstring& name) {
        for (CJunkItem* item : Items())
            if (std::wstring(item->GetFileName()) == name)
                return item;
        return nullptr;
    }
    bool Checked(int id) { return results_->IsDlgButtonChecked(id) == BST_CHECKED; }
    bool Enabled(CWnd& page, int id) { return ::IsWindowEnabled(::GetDlgItem(page.m_hWnd, id)); }
    void ShowPage(UINT command) {
        panel_->SendMessageW(WM_COMMAND, command);
        PumpFor(100);
    }

    RecordingServices services_;
    std::unique_ptr<HostWindow> host_;
    std::unique_ptr<CDlgLeftDlgBase> panel_;
    std::unique_ptr<CDlgScan1ScanHome> home_;
    std::unique_ptr<CDlgScan2Scanning> scanning_;
    std::unique_ptr<CDlgScan3Results> results_;
    std::unique_ptr<CDlgScan4Cleanup> cleanup_;
    std::unique_ptr<CDlgScan5Summary> summary_;
    std::unique_ptr<TestDrive> drive_ = std::make_unique<TestDrive>(L'J', kDriveFolder);
};
} // namespace

TEST_F(JunkWizardTest, ScanFindsTheTreeAndTheGroupsFollowTheirBoxes) {
    ASSERT_TRUE(drive_->IsMapped());
    MakeTree();
    ChooseLocations();
    SetProfileDword(L"Advanced", L"ChkEmptyFolders", 1);
    Photograph(host_->m_hWnd, L"junk_page1_home.png");
    Scan();

    // Three junk files, two old temporary files and the empty folder (unchecked).
    EXPECT_EQ(g_junkRun.found, 6);
    EXPECT_EQ(g_junkRun.junkTotal, 3);
    EXPECT_EQ(g_junkRun.junkChecked, 3);
    EXPECT_EQ(g_junkRun.tempTotal, 2);
    EXPECT_EQ(g_junkRun.tempChecked, 2);
    EXPECT_EQ(g_junkRun.foldersTotal, 1);
    EXPECT_EQ(g_junkRun.foldersChecked, 0);
    EXPECT_EQ(ItemNamed(L"recent.dat"), nullptr) << "written an hour ago";
    EXPECT_EQ(ItemNamed(L"tool.exe"), nullptr) << "a protected type";
    EXPECT_EQ(ItemNamed(L"backup.bak"), nullptr) << "its mask is off";
    EXPECT_EQ(WindowText(scanning_->m_foundCount.m_hWnd), L"6");
    EXPECT_EQ(scanning_->m_progress.GetPos(), 100);
    ASSERT_EQ(scanning_->m_locationList.GetItemCount(), 2);
    EXPECT_EQ(std::wstring(scanning_->m_locationList.GetItemText(1, 1)), L"Completed");
    EXPECT_TRUE(services_.flags[2]);
    EXPECT_EQ(services_.tabsEnabled, 1);
    EXPECT_EQ(services_.closeEnabled, 1);

    // Statistics and the launcher status.
    CVantorixApp* app = JunkApp();
    EXPECT_EQ(std::wstring(app->GetSettingString(L"PF_2")), L"6");
    EXPECT_EQ(app->GetSettingDword(L"PF_3"), 6u);
    EXPECT_FALSE(std::wstring(app->GetSettingString(L"PF_1")).empty());
    DWORD icon = 9;
    EXPECT_NE(
        std::wstring(ReadLauncherStatus(17, icon, true, false)).find(L"6 junk items detected"),
        std::wstring::npos);
    EXPECT_EQ(icon, 0u);

    EXPECT_TRUE(Checked(IDC_CHK_JUNK));
    EXPECT_TRUE(Checked(IDC_CHK_TEMP));
    EXPECT_FALSE(Checked(IDC_CHK_FOLDERS));
    EXPECT_TRUE(Enabled(*results_, IDC_CHK_FOLDERS));
    EXPECT_TRUE(Enabled(*results_, IDC_BTN_CLEAN_SYSTEM));
    Photograph(host_->m_hWnd, L"junk_page3_results.png");
    for (const CHyperLinkBtn* title :
         {&results_->m_junkLink, &results_->m_tempLink, &results_->m_foldersLink})
        ExpectTitleOnThePanel(*results_, *title);
    ShowPage(kJunkScanningPage);
    Photograph(host_->m_hWnd, L"junk_page2_scanning.png");
    ExpectListOnItsBitmap(scanning_->m_locationList.m_hWnd);
    ShowPage(kJunkResultsPage);

    // Unchecking a group unchecks each of its items; the line reads 0 of its total.
    Click(results_->m_hWnd, IDC_CHK_JUNK);
    for (CJunkItem* item : Items()) {
        if (GroupOf(*item) == JunkGroup::kJunk) {
            EXPECT_FALSE(item->checked) << Narrow(item->path.GetString());
        }
    }
    EXPECT_EQ(g_junkRun.junkChecked, 0);
    EXPECT_EQ(g_junkRun.junkTotal, 3);
    EXPECT_FALSE(Checked(IDC_CHK_JUNK));
    EXPECT_TRUE(Enabled(*results_, IDC_BTN_CLEAN_SYSTEM)) << "the temporary files are checked";
    Click(results_->m_hWnd, IDC_CHK_TEMP);
    EXPECT_FALSE(Enabled(*results_, IDC_BTN_CLEAN_SYSTEM)) << "nothing checked";
    Click(results_->m_hWnd, IDC_CHK_FOLDERS);
    EXPECT_TRUE(ItemNamed(L"")->checked) << "the empty folder";
    EXPECT_TRUE(Enabled(*results_, IDC_BTN_CLEAN_SYSTEM));
    Click(results_->m_hWnd, IDC_CHK_FOLDERS);
    Click(results_->m_hWnd, IDC_CHK_JUNK);
    Click(results_->m_hWnd, IDC_CHK_TEMP);
    EXPECT_EQ(g_junkRun.Checked(), 5);

    // Cancel empties the results and goes home.
    Click(results_->m_hWnd, IDC_BTN_CANCEL_RES);
    EXPECT_TRUE(PumpUntil([&] { return Shown(*home_); }, 5000));
    EXPECT_EQ(g_pJunkFinder->GetFoundCount(), 0);
    for (const wchar_t* name : {L"old.tmp", L"~draft.doc", L"sub\\cache.old"})
        EXPECT_TRUE(Exists(drive_->Root() + name)) << "nothing is removed by a scan";
}

TEST_F(JunkWizardTest, DetailsPopUpChecksItemsOneByOne) {
    ASSERT_TRUE(drive_->IsMapped());
    MakeTree();
    ChooseLocations();
    SetProfileDword(L"Advanced", L"ChkEmptyFolders", 1);
    Scan();

    int rows = -1;
    bool selectAllChecked = false;
    std::vector<ShownRow> shownRows;
    bool rowsInFoundOrder = true;
    std::wstring header;
    // Pairs of (on screen, in the bitmap) for points of the stretched rule.
    std::vector<std::pair<COLORREF, COLORREF>> ruleColours;
    COLORREF ruleColour = 0, aboveRule = 0, barColour = 0, expectedBar = 1;
    DriveWindowWhenUp(IDC_DETAILS_LIST, [&](HWND popup) {
        const HWND list = ::GetDlgItem(popup, IDC_DETAILS_LIST);
        rows = ListView_GetItemCount(list);
        selectAllChecked = ::IsDlgButtonChecked(popup, IDC_CHK_SELECTALL) == BST_CHECKED;
        shownRows = ShownRows(list);
        for (int row = 0; row < rows; ++row)
            rowsInFoundOrder = rowsInFoundOrder && RowItem(list, row) == Items().at(row);
        header = WindowText(::GetDlgItem(popup, IDC_TOP_INFO));
        PhotographPopup(popup, L"junk_details_popup.png");
        // The bottom bar, and the skin's rule stretched over the width right above it.
        CRect client;
        ::GetClientRect(popup, &client);
        const CSTBitmap bar(1019);
        const CSTBitmap rule(1075);
        const int ruleTop = client.bottom - bar.GetHeight() - rule.GetHeight();
        const HBITMAP ruleBits = static_cast<HBITMAP>(rule.GetSafeHandle());
        const int width = client.Width(), sourceWidth = rule.GetWidth();
        // Source columns in the rule's first half, each found at the middle of its stretched
        // span on screen.
        for (int column : {sourceWidth / 6, sourceWidth / 3, sourceWidth / 2}) {
            const int x = (column * width + width / 2) / sourceWidth;
            const int row = rule.GetHeight() / 2;
            ruleColours.emplace_back(ClientPixelOnScreen(popup, x, ruleTop + row),
                                     BitmapPixel(ruleBits, column, row));
        }
        ruleColour = ruleColours.back().second;
        aboveRule = ClientPixelOnScreen(popup, client.right / 2, ruleTop - 1);
        barColour = ClientPixelOnScreen(popup, client.right / 2, client.bottom - 10);
        expectedBar = BitmapPixel(static_cast<HBITMAP>(bar.GetSafeHandle()), 0, 0);
        ::PostMessageW(popup, WM_COMMAND, IDCANCEL, 0);
    });
    Click(results_->m_hWnd, IDC_BTN_CLICK_HERE);
    EXPECT_EQ(rows, 6) << "every item";
    EXPECT_FALSE(selectAllChecked) << "the empty folder is unchecked";
    // Every row names its own item; an empty folder's row shows the clean button's caption and
    // its folder (its actions use the folder column alone).
    const std::wstring root = drive_->Root();
    const std::wstring temp = std::wstring(kTempFolder) + L"\\";
    std::vector<ShownRow> expectedRows = {{L"old.tmp", root, L"1000 bytes"},
                                          {L"~draft.doc", root, L"1.95 KB"},
                                          {L"cache.old", root + L"sub\\", L"2.92 KB"},
                                          {L"Clean Now", root + L"emptydir\\", L"0 bytes"},
                                          {L"a.dat", temp, L"400 bytes"},
                                          {L"b.txt", temp, L"500 bytes"}};
    std::sort(expectedRows.begin(), expectedRows.end());
    std::sort(shownRows.begin(), shownRows.end());
    EXPECT_EQ(shownRows, expectedRows);
    EXPECT_TRUE(rowsInFoundOrder) << "row n stands for the n-th found item";
    EXPECT_FALSE(header.empty());
    ASSERT_EQ(ruleColours.size(), 3u);
    for (const auto& [shown, drawn] : ruleColours)
        EXPECT_EQ(shown, drawn);
    EXPECT_NE(ruleColour, RGB(255, 255, 255)) << "a rule that shows on the white pop-up";
    EXPECT_NE(aboveRule, ruleColour);
    EXPECT_EQ(barColour, expectedBar);

    // Junk only: unchecking a row unchecks its item at once; select all checks every row.
    std::vector<std::wstring> names;
    DriveWindowWhenUp(IDC_DETAILS_LIST, [&](HWND popup) {
        const HWND list = ::GetDlgItem(popup, IDC_DETAILS_LIST);
        wchar_t text[MAX_PATH] = {};
        for (int row = 0; row < ListView_GetItemCount(list); ++row) {
            ListView_GetItemText(list, row, 0, text, MAX_PATH);
            names.emplace_back(text);
        }
        ListView_SetCheckState(list, 0, FALSE);
        PumpFor(50);
        Click(popup, IDC_CHK_SELECTALL);
        PumpFor(50);
        selectAllChecked = ::IsDlgButtonChecked(popup, IDC_CHK_SELECTALL) == BST_CHECKED;
        ListView_SetCheckState(list, 1, FALSE);
        PumpFor(50);
        ::PostMessageW(popup, WM_COMMAND, IDCANCEL, 0);
    });
    Click(results_->m_hWnd, IDC_BTN_JUNK_FILES);
    ASSERT_EQ(names.size(), 3u);
    for (const std::wstring& name : names)
        EXPECT_NE(ItemNamed(name), nullptr) << Narrow(name.c_str());
    EXPECT_TRUE(selectAllChecked);
    EXPECT_FALSE(ItemNamed(names[1])->checked) << "the pop-up writes into the item";
    EXPECT_TRUE(ItemNamed(names[0])->checked);
    EXPECT_EQ(g_junkRun.junkChecked, 2) << "the results recount after the pop-up";

    // The shell actions go to the seam with the row's path; a folder row opens Explorer.
    std::vector<std::wstring> before = services_.shell;
    std::vector<ShownRow> folderRows;
    DriveWindowWhenUp(IDC_DETAILS_LIST, [&](HWND popup) {
        const HWND list = ::GetDlgItem(popup, IDC_DETAILS_LIST);
        folderRows = ShownRows(list);
        ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        Click(popup, IDC_BTN_OPENFILE);
        Click(popup, IDC_BTN_FILE_PROPERTIES);
        ::PostMessageW(popup, WM_COMMAND, IDCANCEL, 0);
    });
    Click(results_->m_hWnd, IDC_BTN_EMPTY_FOLDERS);
    EXPECT_EQ(folderRows,
              (std::vector<ShownRow>{{L"Clean Now", root + L"emptydir\\", L"0 bytes"}}));
    ASSERT_EQ(services_.shell.size(), before.size() + 1);
    EXPECT_NE(services_.shell.back().find(L"explorer.exe"), std::wstring::npos);
    EXPECT_NE(services_.shell.back().find(L"emptydir"), std::wstring::npos);
    EXPECT_TRUE(services_.requests.empty()) << "no properties for a folder";

    // Properties of a file: the shell is asked for the verb of the item's context menu (the
    // plain verb reaches no handler and shows nothing), owned by the pop-up, with the row's
    // full path and no parameters.
    HWND popupWindow = nullptr;
    std::wstring rowPath;
    DriveWindowWhenUp(IDC_DETAILS_LIST, [&](HWND popup) {
        popupWindow = popup;
        const HWND list = ::GetDlgItem(popup, IDC_DETAILS_LIST);
        ListView_SetItemState(list, 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        wchar_t folder[MAX_PATH] = {};
        wchar_t name[MAX_PATH] = {};
        ListView_GetItemText(list, 1, 1, folder, MAX_PATH);
        ListView_GetItemText(list, 1, 0, name, MAX_PATH);
        rowPath = std::wstring(folder) + name;
        Click(popup, IDC_BTN_FILE_PROPERTIES);
        ::PostMessageW(popup, WM_COMMAND, IDCANCEL, 0);
    });
    Click(results_->m_hWnd, IDC_BTN_JUNK_FILES);
    ASSERT_EQ(services_.requests.size(), 1u);
    const RecordedShellRequest& request = services_.requests.back();
    EXPECT_EQ(request.size, sizeof(SHELLEXECUTEINFOW));
    EXPECT_EQ(request.mask, 0x400Cu);
    EXPECT_EQ(request.mask & SEE_MASK_INVOKEIDLIST, static_cast<ULONG>(SEE_MASK_INVOKEIDLIST));
    EXPECT_EQ(request.owner, popupWindow);
    EXPECT_EQ(request.verb, L"Properties");
    EXPECT_EQ(request.file, rowPath);
    EXPECT_TRUE(Exists(rowPath)) << Narrow(rowPath);
    EXPECT_TRUE(request.hasParameters);
    EXPECT_EQ(request.parameters, L"");
    EXPECT_FALSE(request.hasDirectory);
    EXPECT_EQ(request.show, SW_SHOWNORMAL);
    EXPECT_EQ(services_.shell.size(), before.size() + 1) << "nothing else went to the shell";
}

TEST_F(JunkWizardTest, DetailsSelectAllOnManyRowsAndAnEmptyList) {
    for (int i = 0; i < 500; ++i)
        MakeFile(std::wstring(kTempFolder) + L"\\t" + std::to_wstring(i) + L".dat", 1, kOld);
    SetProfileString(L"LocationFolders", L"0", kTempFolder);
    Scan();
    ASSERT_EQ(g_junkRun.found, 500);
    for (CJunkItem* item : Items())
        item->checked = false;

    bool allChecked = false;
    bool clearedByOne = false;
    DriveWindowWhenUp(IDC_DETAILS_LIST, [&](HWND popup) {
        const HWND list = ::GetDlgItem(popup, IDC_DETAILS_LIST);
        Click(popup, IDC_CHK_SELECTALL);
        allChecked = ::IsDlgButtonChecked(popup, IDC_CHK_SELECTALL) == BST_CHECKED;
        ListView_SetCheckState(list, 250, FALSE);
        PumpFor(50);
        clearedByOne = ::IsDlgButtonChecked(popup, IDC_CHK_SELECTALL) == BST_UNCHECKED;
        ::PostMessageW(popup, WM_COMMAND, IDCANCEL, 0);
    });
    Click(results_->m_hWnd, IDC_BTN_TEMP_FILES);
    EXPECT_TRUE(allChecked);
    EXPECT_TRUE(clearedByOne);
    EXPECT_EQ(g_junkRun.tempChecked, 499);

    // No empty folders were looked for: the list is empty and the actions do nothing.
    const size_t actions = services_.shell.size();
    int rows = -1;
    DriveWindowWhenUp(IDC_DETAILS_LIST, [&](HWND popup) {
        const HWND list = ::GetDlgItem(popup, IDC_DETAILS_LIST);
        rows = ListView_GetItemCount(list);
        Click(popup, IDC_BTN_OPENFILE);
        Click(popup, IDC_BTN_EXPLOREFILE);
        Click(popup, IDC_BTN_FILE_PROPERTIES);
        ::PostMessageW(popup, WM_COMMAND, IDCANCEL, 0);
    });
    results_->ShowDetails(2);
    EXPECT_EQ(rows, 0);
    EXPECT_TRUE(services_.requests.empty());
    EXPECT_EQ(services_.shell.size(), actions);
}

TEST_F(JunkWizardTest, CleaningToTheRecycleBinRemovesOnlyTheCheckedItems) {
    ASSERT_TRUE(drive_->IsMapped());
    MakeTree();
    ChooseLocations();
    Scan();
    ASSERT_EQ(g_junkRun.found, 5);
    // The user keeps one temporary file.
    Click(results_->m_hWnd, IDC_CHK_TEMP);
    Click(results_->m_hWnd, IDC_CHK_TEMP);
    ItemNamed(L"b.txt")->checked = false;
    Clean();

    EXPECT_EQ(services_.restorePoints.size(), 1u);
    for (const wchar_t* name : {L"old.tmp", L"~draft.doc", L"sub\\cache.old"})
        EXPECT_FALSE(Exists(drive_->Root() + name)) << Narrow(name);
    EXPECT_FALSE(Exists(std::wstring(kTempFolder) + L"\\a.dat"));
    for (const wchar_t* name : {L"sub\\keep.dat", L"notes.txt", L"backup.bak", L"zero.txt"})
        EXPECT_TRUE(Exists(drive_->Root() + name)) << Narrow(name);
    EXPECT_TRUE(Exists(std::wstring(kTempFolder) + L"\\b.txt")) << "unchecked";
    EXPECT_TRUE(Exists(std::wstring(kTempFolder) + L"\\recent.dat"));
    EXPECT_EQ(g_junkRun.cleaned, 4);
    EXPECT_EQ(g_pJunkFinder->GetFoundCount(), 1) << "what is left stays in the results";
    EXPECT_EQ(JunkApp()->GetSettingDword(L"PF_4"), 4u);
    EXPECT_EQ(cleanup_->m_progress.GetPos(), 100);
    EXPECT_EQ(WindowText(cleanup_->m_currentFile.m_hWnd), L"Cleaning completed.");
    DWORD icon = 9;
    EXPECT_NE(std::wstring(ReadLauncherStatus(17, icon, false, false))
                  .find(L"5 junk items detected, 4 cleaned"),
              std::wstring::npos);
    EXPECT_EQ(icon, 0u) << "an item is left";
    EXPECT_FALSE(cleanup_->m_bDirectRemove);
    Photograph(host_->m_hWnd, L"junk_page5_summary_left.png");
    ShowPage(kJunkCleanupPage);
    Photograph(host_->m_hWnd, L"junk_page4_cleanup.png");
    ShowPage(kJunkSummaryPage);

    // Something is left: Continue goes back to the results, which show it.
    Click(summary_->m_hWnd, IDC_BTN_CONTINUE);
    EXPECT_TRUE(PumpUntil([&] { return Shown(*results_); }, 5000));
    EXPECT_EQ(g_junkRun.Total(), 1);

    // A second cleaning in the same run offers no second restore point.
    ItemNamed(L"b.txt")->checked = true;
    results_->RefreshControls();
    Clean();
    EXPECT_EQ(services_.restorePoints.size(), 1u);
    EXPECT_FALSE(Exists(std::wstring(kTempFolder) + L"\\b.txt"));
    EXPECT_EQ(g_junkRun.found - g_junkRun.cleaned, 0);
    EXPECT_EQ(JunkApp()->GetSettingDword(L"PF_4"), 5u) << "the first cleaning's 4 counted once";
    Photograph(host_->m_hWnd, L"junk_page5_summary_done.png");
    Click(summary_->m_hWnd, IDC_BTN_CONTINUE);
    EXPECT_TRUE(PumpUntil([&] { return Shown(*home_); }, 5000)) << "all cleaned: home";
}

DWORD g_testTick = 0;
DWORD WINAPI TestTick() {
    return g_testTick;
}

// A click of the mouse on the button, as the system delivers it.
void PostClick(CWnd& button) {
    button.PostMessageW(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    button.PostMessageW(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    PumpFor(200);
}

TEST_F(JunkWizardTest, AClickAimedAtStopOrContinueNeverStartsACleaning) {
    ASSERT_TRUE(drive_->IsMapped());
    MakeTree();
    ChooseLocations();
    const TreeSnapshot driveBefore = TakeSnapshot(kDriveFolder);
    const TreeSnapshot tempBefore = TakeSnapshot(kTempFolder);
    g_testTick = 10000;
    CDlgScan3Results::SetTickSource(&TestTick);
    Click(home_->m_hWnd, IDC_START_SCAN_NOW);
    ASSERT_TRUE(PumpUntil([&] { return Shown(*scanning_); }, 5000));
    // Stop, Clean and Continue share one place, so a late click on one lands on the next.
    CRect stop, clean, cont;
    scanning_->m_stopButton.GetWindowRect(&stop);
    results_->m_cleanButton.GetWindowRect(&clean);
    summary_->GetDlgItem(IDC_BTN_CONTINUE)->GetWindowRect(&cont);
    EXPECT_EQ(stop, clean);
    EXPECT_EQ(cont, clean);
    ASSERT_TRUE(WaitForPage(*results_));
    ASSERT_EQ(g_junkRun.found, 5);

    // Aimed at Stop, arriving just after the results appeared.
    g_testTick += CDlgScan3Results::kCleanArmingMs - 1;
    PostClick(results_->m_cleanButton);
    EXPECT_TRUE(Shown(*results_));
    EXPECT_FALSE(Shown(*cleanup_));
    EXPECT_TRUE(services_.restorePoints.empty());
    ExpectOnlyRemoved(driveBefore, TakeSnapshot(kDriveFolder), {});
    ExpectOnlyRemoved(tempBefore, TakeSnapshot(kTempFolder), {});

    // Half a second on, the click is the user's.
    ItemNamed(L"b.txt")->checked = false;
    g_testTick += 1;
    PostClick(results_->m_cleanButton);
    ASSERT_TRUE(WaitForPage(*summary_));
    ExpectOnlyRemoved(driveBefore, TakeSnapshot(kDriveFolder),
                      {L"old.tmp", L"~draft.doc", L"sub\\cache.old"});
    ExpectOnlyRemoved(tempBefore, TakeSnapshot(kTempFolder), {L"a.dat"});

    // Continue leads back to the results (b.txt is left), with Clean under the pointer.
    const TreeSnapshot tempLeft = TakeSnapshot(kTempFolder);
    ItemNamed(L"b.txt")->checked = true;
    Click(summary_->m_hWnd, IDC_BTN_CONTINUE);
    ASSERT_TRUE(PumpUntil([&] { return Shown(*results_); }, 5000));
    PostClick(results_->m_cleanButton);
    EXPECT_TRUE(Shown(*results_));
    ExpectOnlyRemoved(tempLeft, TakeSnapshot(kTempFolder), {});
}

TEST_F(JunkWizardTest, AnItemChangedSinceTheScanIsKeptAndTheSummarySaysSo) {
    ASSERT_TRUE(drive_->IsMapped());
    MakeTree();
    ChooseLocations();
    Scan();
    ASSERT_EQ(g_junkRun.found, 5);
    // The user writes into a found file before cleaning.
    junktest::WriteFileBytes(drive_->Root() + L"old.tmp", "the user's new draft");
    const TreeSnapshot driveBefore = TakeSnapshot(kDriveFolder);
    const TreeSnapshot tempBefore = TakeSnapshot(kTempFolder);
    Clean();
    ExpectOnlyRemoved(driveBefore, TakeSnapshot(kDriveFolder), {L"~draft.doc", L"sub\\cache.old"});
    ExpectOnlyRemoved(tempBefore, TakeSnapshot(kTempFolder), {L"a.dat", L"b.txt"});
    EXPECT_EQ(g_pJunkFinder->GetChangedCount(), 1);
    EXPECT_EQ(g_junkRun.cleaned, 4);
    ASSERT_NE(ItemNamed(L"old.tmp"), nullptr);
    EXPECT_FALSE(ItemNamed(L"old.tmp")->checked);
    Photograph(host_->m_hWnd, L"junk_page5_summary_changed.png");
    // Back on the results, the kept item is there, no longer checked.
    Click(summary_->m_hWnd, IDC_BTN_CONTINUE);
    ASSERT_TRUE(PumpUntil([&] { return Shown(*results_); }, 5000));
    EXPECT_EQ(g_junkRun.Total(), 1);
    EXPECT_EQ(g_junkRun.Checked(), 0);
    EXPECT_FALSE(Enabled(*results_, IDC_BTN_CLEAN_SYSTEM));
}

TEST_F(JunkWizardTest, DirectRemovalAsksFirstAndNeverCountsAFailureAsCleaned) {
    ASSERT_TRUE(drive_->IsMapped());
    MakeTree();
    ChooseLocations();
    SetProfileDword(L"Removal", L"DirectFastRemove", 1);
    Scan();
    ASSERT_EQ(g_junkRun.found, 5);

    // Answered No: nothing changes.
    AnswerMessageBoxes(false);
    WaitUntilCleanArms();
    Click(results_->m_hWnd, IDC_BTN_CLEAN_SYSTEM);
    PumpFor(500);
    ASSERT_EQ(MessageBoxTexts().size(), 1u);
    EXPECT_NE(MessageBoxTexts()[0].find(L"deleted for good"), std::wstring::npos);
    EXPECT_TRUE(Shown(*results_));
    EXPECT_TRUE(Exists(drive_->Root() + L"old.tmp"));

    // A file held open by another program cannot be deleted: it is not counted as cleaned.
    const std::wstring held = drive_->Root() + L"~draft.doc";
    KernelHandle holder(CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(holder);
    AnswerMessageBoxes(true);
    Clean();
    holder.Reset();
    EXPECT_TRUE(cleanup_->m_bDirectRemove);
    EXPECT_TRUE(Exists(held));
    EXPECT_FALSE(Exists(drive_->Root() + L"old.tmp"));
    EXPECT_FALSE(Exists(std::wstring(kTempFolder) + L"\\a.dat"));
    EXPECT_EQ(g_junkRun.cleaned, 4);
    EXPECT_EQ(g_pJunkFinder->GetFoundCount(), 1);
    EXPECT_EQ(std::wstring(g_pJunkFinder->GetFoundItem(0)->path), held);
    Click(summary_->m_hWnd, IDC_BTN_CONTINUE);
    EXPECT_TRUE(PumpUntil([&] { return Shown(*results_); }, 5000));
}

TEST_F(JunkWizardTest, ScheduledCleanRunsWithNobodyThereAndShutsDown) {
    ASSERT_TRUE(drive_->IsMapped());
    MakeTree();
    ChooseLocations();
    // The stored choices an unattended run ignores.
    SetProfileDword(L"Advanced", L"ChkExcludeRecentFiles", 0);
    SetProfileDword(L"Advanced", L"ChkEmptyFolders", 1);
    g_bScheduleSwitch = g_bAutoFixSwitch = g_bShutdownSwitch = 1;
    // As the main window's timer 1127 does.
    scanning_->SetTimer(kStartScanTimer, 252, nullptr);
    panel_->PostMessageW(WM_COMMAND, kJunkScanningPage);
    ASSERT_TRUE(PumpUntil([&] { return !services_.shutdowns.empty(); }, 30000));
    PumpUntil([&] { return Shown(*summary_); }, 5000);

    EXPECT_TRUE(MessageBoxTexts().empty()) << "nobody is there to answer";
    EXPECT_TRUE(g_pJunkFinder->IsUnattended());
    EXPECT_EQ(services_.shutdowns.size(), 1u);
    EXPECT_NE(services_.shutdowns[0].find(L"shut down"), std::wstring::npos);
    EXPECT_FALSE(g_bShutdownSwitch);
    for (const wchar_t* name : {L"old.tmp", L"~draft.doc", L"sub\\cache.old"})
        EXPECT_FALSE(Exists(drive_->Root() + name)) << Narrow(name);
    EXPECT_TRUE(Exists(std::wstring(kTempFolder) + L"\\recent.dat")) << "recent files stay";
    EXPECT_TRUE(Exists(drive_->Root() + L"emptydir")) << "no empty folders when unattended";
    EXPECT_EQ(g_junkRun.found, g_junkRun.cleaned);
    EXPECT_EQ(std::wstring(g_junkRun.savingsText), L"6.74 KB") << "the summary's size";
}

TEST_F(JunkWizardTest, ScheduledRunThatFindsNothingShutsDownAfterTheScan) {
    ASSERT_TRUE(drive_->IsMapped());
    MakeFile(drive_->Root() + L"notes.txt", 10, kOld);
    SetProfileString(L"LocationDrives", L"0", L"J: (Test)");
    g_bScheduleSwitch = g_bAutoFixSwitch = g_bShutdownSwitch = 1;
    scanning_->SetTimer(kStartScanTimer, 1, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return !services_.shutdowns.empty(); }, 30000));
    EXPECT_EQ(g_junkRun.found, 0);
    EXPECT_TRUE(services_.restorePoints.empty()) << "no cleaning";
    EXPECT_TRUE(Exists(drive_->Root() + L"notes.txt"));
}

TEST(JunkItemTexts, EachCategoryNamesItsKindFromTheStringTable) {
    CJunkItem item;
    const struct {
        int category;
        LPCWSTR text;
    } expected[] = {{kJunkFile, L"Junk File"},
                    {kTempFile, L"Temp File"},
                    {kZeroLengthFile, L"Zero-length File"},
                    {kEmptyFolder, L""}};
    for (const auto& entry : expected) {
        item.category = entry.category;
        EXPECT_EQ(std::wstring(item.GetCategoryText()), entry.text) << entry.category;
    }
}

TEST_F(JunkWizardTest, TheScanBarMovesOnWithEachLocation) {
    // Two locations on a large volume: the engine's percent of the volume stays near 0.
    CListCtrl& rows = scanning_->m_locationList;
    rows.InsertItem(0, L"J:\\");
    rows.InsertItem(1, L"C:\\junkpages-temp\\");
    scanning_->m_nCurrentRow = 0;
    const JunkMessageIds& messages = JunkMessages();
    auto report = [&](LPARAM percent) {
        // The page shows every second output report.
        for (int i = 0; i < 2; ++i)
            scanning_->SendMessageW(messages.scanOutput, reinterpret_cast<WPARAM>(L"J:\\sub\\"),
                                    percent);
        return scanning_->m_progress.GetPos();
    };
    EXPECT_EQ(report(0), 0);
    EXPECT_EQ(report(1), 0);
    scanning_->SendMessageW(messages.locationChange, reinterpret_cast<WPARAM>(L"C:\\x\\"), 0);
    EXPECT_EQ(scanning_->m_progress.GetPos(), 50) << "the first location is done";
    EXPECT_EQ(report(40), 70);
    EXPECT_EQ(report(250), 100);
    rows.DeleteAllItems();
}

TEST_F(JunkWizardTest, NoLocationChosenReturnsHome) {
    Click(home_->m_hWnd, IDC_START_SCAN_NOW);
    ASSERT_TRUE(PumpUntil([&] { return !MessageBoxTexts().empty(); }, 5000));
    EXPECT_NE(MessageBoxTexts()[0].find(L"choose at least one drive"), std::wstring::npos);
    EXPECT_TRUE(PumpUntil([&] { return Shown(*home_); }, 5000));
    EXPECT_FALSE(g_pJunkFinder->IsWorking());
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(panel_->SideButton(i).IsWindowEnabled()) << i;
    EXPECT_EQ(services_.tabsEnabled, 1);
}

TEST_F(JunkWizardTest, StoppedScanStillEndsOnTheResults) {
    ASSERT_TRUE(drive_->IsMapped());
    MakeTree();
    ChooseLocations();
    Click(home_->m_hWnd, IDC_START_SCAN_NOW);
    ASSERT_TRUE(PumpUntil([&] { return g_pJunkFinder->IsWorking(); }, 5000));
    Click(scanning_->m_hWnd, IDC_STOP_SCAN);
    ASSERT_TRUE(WaitForPage(*results_));
    EXPECT_LT(g_junkRun.found, 5);
    EXPECT_EQ(g_junkRun.found, static_cast<int>(g_pJunkFinder->GetFoundCount()));
}

TEST_F(JunkWizardTest, SecondStartWhileScanningIsIgnored) {
    ASSERT_TRUE(drive_->IsMapped());
    MakeTree();
    ChooseLocations();
    Click(home_->m_hWnd, IDC_START_SCAN_NOW);
    ASSERT_TRUE(PumpUntil([&] { return g_pJunkFinder->IsWorking(); }, 5000));
    scanning_->StartScan();
    EXPECT_FALSE(Shown(*results_)) << "the running scan is not reported finished";
    Photograph(host_->m_hWnd, L"junk_page2_scanning_running.png");
    EXPECT_TRUE(services_.flags[0]) << "still scanning";
    ASSERT_TRUE(WaitForPage(*results_));
    EXPECT_EQ(g_junkRun.found, 5);
    EXPECT_EQ(scanning_->m_nFound, 5);
}

TEST(JunkScanningPage, TheBarGivesEachLocationAnEqualShare) {
    EXPECT_EQ(CDlgScan2Scanning::OverallScanPercent(0, 2, 0), 0);
    EXPECT_EQ(CDlgScan2Scanning::OverallScanPercent(0, 2, 50), 25);
    EXPECT_EQ(CDlgScan2Scanning::OverallScanPercent(1, 2, 0), 50);
    EXPECT_EQ(CDlgScan2Scanning::OverallScanPercent(1, 2, 100), 100);
    EXPECT_EQ(CDlgScan2Scanning::OverallScanPercent(2, 3, 30), 76);
    // The engine's percent of a volume may pass 100 (files reached twice) or be odd.
    EXPECT_EQ(CDlgScan2Scanning::OverallScanPercent(0, 2, 250), 50);
    EXPECT_EQ(CDlgScan2Scanning::OverallScanPercent(0, 2, -3), 0);
    EXPECT_EQ(CDlgScan2Scanning::OverallScanPercent(5, 2, 0), 100);
    EXPECT_EQ(CDlgScan2Scanning::OverallScanPercent(0, 0, 40), 40) << "no rows: the engine's";
}

TEST(JunkScanningPage, LongPathsWrapInTheCurrentItemLabel) {
    const CString path(L'a', 200);
    const CString wrapped = CDlgScan2Scanning::WrapPathText(path);
    ASSERT_EQ(wrapped.GetLength(), 202);
    EXPECT_EQ(wrapped[90], L' ');
    EXPECT_EQ(wrapped[171], L' ');
    EXPECT_EQ(CDlgScan2Scanning::WrapPathText(L"C:\\short\\"), L"C:\\short\\");
}

// A drive that is not there is not a clean drive: the scan ends on its results and says which
// location it could not read; the readable ones are scanned as usual.
TEST_F(JunkWizardTest, ALocationThatCannotBeReadIsToldNotFoundEmpty) {
    MakeFile(std::wstring(kTempFolder) + L"\\a.dat", 400, kOld);
    wchar_t missing = 0;
    const DWORD drives = GetLogicalDrives();
    for (wchar_t letter = L'Y'; letter > L'E' && missing == 0; --letter)
        if ((drives & (1u << (letter - L'A'))) == 0)
            missing = letter;
    ASSERT_NE(0, missing);
    SetProfileString(L"LocationDrives", L"0", (std::wstring(1, missing) + L": (Gone)").c_str());
    SetProfileString(L"LocationFolders", L"0", kTempFolder);
    Click(home_->m_hWnd, IDC_START_SCAN_NOW);
    ASSERT_TRUE(WaitForPage(*results_));
    ASSERT_TRUE(PumpUntil([&] { return !MessageBoxTexts().empty(); }, 5000));
    ASSERT_EQ(1u, MessageBoxTexts().size());
    const std::wstring& told = MessageBoxTexts()[0];
    EXPECT_NE(told.find(std::wstring(1, missing) + L":\\"), std::wstring::npos);
    EXPECT_NE(told.find(L"could not be read"), std::wstring::npos);
    EXPECT_EQ(told.find(kTempFolder), std::wstring::npos) << "the folder was read";
    EXPECT_EQ(g_junkRun.found, 1) << "the readable folder's junk";
    ASSERT_EQ(1, g_pJunkFinder->GetUnreadLocations().GetSize());
}
