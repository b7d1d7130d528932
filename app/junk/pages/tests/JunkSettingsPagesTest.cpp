// The junk cleaner's settings page driven as a user drives it: the five tabs with Apply and
// Load defaults and the store read back, the drive choice, the mask list with its select-all
// box, the add pop-up's refusals as the user types, the exclusions with their short and long
// forms, the Recycle Bin warning, and a picture of every tab and of the pop-up.
#include <windows.h>

#include <commctrl.h>

#include "DlgCleanOptions.h"
#include "DlgScan2Scanning.h"
#include "JunkPagesResource.h"
#include "JunkPagesTestSupport.h"
#include "JunkTables.h"
#include "JunkTestSupport.h"
#include "Options2Junk2DlgAdd.h"
#include "UiTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

using namespace junkpages;

namespace {
constexpr wchar_t kAdvanced[] = L"Advanced";

// Colours within 3 of each other in every channel.
bool Near(COLORREF a, COLORREF b) {
    return abs(GetRValue(a) - GetRValue(b)) <= 3 && abs(GetGValue(a) - GetGValue(b)) <= 3 &&
           abs(GetBValue(a) - GetBValue(b)) <= 3;
}

std::set<std::wstring> RegistryValueNames(const CString& path) {
    std::set<std::wstring> names;
    RegistryKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, key.Put()) != ERROR_SUCCESS)
        return names;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        if (RegEnumValueW(key.Get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        names.insert(name);
    }
    return names;
}

class JunkSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearStore();
        MessageBoxTexts().clear();
        MissingTexts().clear();
        AnswerMessageBoxes(true);
        g_bJunkRecycleWarningShown = false;
        SetJunkPageServices(&services_);
        host_ = std::make_unique<HostWindow>(RGB(255, 255, 255), 790, 480);
        services_.main = host_.get();
        // The scanning page owns the engine, whose lists the tabs edit.
        scanning_ = std::make_unique<CDlgScan2Scanning>(host_.get());
        g_pJunkFinder->LoadMasks();
        g_pJunkFinder->LoadIgnoreList();
        options_ = std::make_unique<CDlgCleanOptions>(host_.get());
        ASSERT_TRUE(options_->Create(IDD_CLEAN_OPTIONS, host_.get()));
        options_->MoveWindow(190, 0, 591, 473);
        options_->ShowWindow(SW_SHOW);
        PumpFor(100);
    }

    void TearDown() override {
        options_->DestroyWindow();
        options_.reset();
        scanning_.reset();
        host_.reset();
        SetJunkPageServices(nullptr);
        RegDeleteTreeW(HKEY_CURRENT_USER, kBitBucketVolume);
        for (const std::wstring& missing : MissingTexts())
            ADD_FAILURE() << "language text missing: " << Narrow(missing);
    }

    HWND Tab(int index) { return options_->Tab(index)->m_hWnd; }

    CListCtrl& Masks() { return options_->m_masksTab.m_list; }
    int RowOf(CListCtrl& list, const std::wstring& text) {
        for (int row = 0; row < list.GetItemCount(); ++row)
            if (std::wstring(list.GetItemText(row, 0)) == text)
                return row;
        return -1;
    }
    // Opens the add pop-up of the tab and hands it to `drive`, which must end it.
    void AddThroughPopUp(int tab, const std::function<void(HWND)>& drive) {
        bool driven = false;
        DriveWindowWhenUp(IDC_EDIT_MASK, [&](HWND popup) {
            driven = true;
            drive(popup);
        });
        Click(Tab(tab), IDC_BTN_ADD_EXTENTION);
        EXPECT_TRUE(driven);
    }
    static void Type(HWND popup, int id, LPCWSTR text) {
        ::SetWindowTextW(::GetDlgItem(popup, id), text);
        PumpFor(30);
    }
    static bool OkEnabled(HWND popup) { return ::IsWindowEnabled(::GetDlgItem(popup, IDOK)); }

    static constexpr wchar_t kBitBucketVolume[] =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\BitBucket\\Volume";

    RecordingServices services_;
    std::unique_ptr<HostWindow> host_;
    std::unique_ptr<CDlgScan2Scanning> scanning_;
    std::unique_ptr<CDlgCleanOptions> options_;
};
} // namespace

TEST_F(JunkSettingsTest, TabsShowTheStoreAndApplySavesEveryTab) {
    // Nothing stored: empty folders show checked although scans skip them until saved.
    CDlgSetting4Advanced& advanced = options_->m_advancedTab;
    EXPECT_EQ(advanced.m_zeroLength.GetCheck(), BST_UNCHECKED);
    EXPECT_EQ(advanced.m_emptyFolders.GetCheck(), BST_CHECKED);
    EXPECT_EQ(advanced.m_excludeRecent.GetCheck(), BST_CHECKED);
    EXPECT_EQ(advanced.m_skipSystem.GetCheck(), BST_CHECKED);
    EXPECT_EQ(options_->m_cleanupTab.m_recycleRadio.GetCheck(), BST_CHECKED);
    EXPECT_EQ(options_->CurrentTab(), 1);
    // The drives tab wrote the default folders, as none were stored.
    EXPECT_FALSE(ProfileString(L"LocationFolders", L"0").empty());

    const wchar_t* shots[] = {L"junk_settings_drives.png", L"junk_settings_masks.png",
                              L"junk_settings_exclusions.png", L"junk_settings_advanced.png",
                              L"junk_settings_removal.png"};
    for (int tab = 1; tab <= 5; ++tab) {
        Click(options_->m_hWnd, IDC_SETTINGS_TAB1 + tab - 1);
        EXPECT_EQ(options_->CurrentTab(), tab);
        EXPECT_TRUE(::IsWindowVisible(Tab(tab)));
        Photograph(host_->m_hWnd, shots[tab - 1]);
        if (tab == 1) {
            ExpectListOnItsBitmap(options_->m_drivesTab.m_driveList.m_hWnd);
            ExpectListOnItsBitmap(options_->m_drivesTab.m_folderList.m_hWnd);
        }
    }
    // The removal tab's radio buttons stand on the panel: their corners show the panel (its
    // gradient moves a unit or so over a button's height), not the page's white or grey.
    for (CWnd* radio : std::initializer_list<CWnd*>{&options_->m_cleanupTab.m_directRadio,
                                                    &options_->m_cleanupTab.m_recycleRadio}) {
        CRect place;
        radio->GetWindowRect(&place);
        POINT corner{place.left, place.top};
        ::ScreenToClient(Tab(5), &corner);
        const COLORREF beside = ClientPixelOnScreen(Tab(5), corner.x - 3, corner.y);
        EXPECT_NE(beside, RGB(255, 255, 255)) << "the panel, not the page";
        EXPECT_TRUE(Near(ClientPixelOnScreen(radio->m_hWnd, 0, 0), beside));
        EXPECT_TRUE(Near(ClientPixelOnScreen(radio->m_hWnd, place.Width() - 1, 0), beside));
    }

    Click(Tab(4), IDC_CHK_ZERO_LENGHT);
    Click(Tab(4), IDC_SKIP_READONLY_SYSTEM_FILES);
    Click(Tab(4), IDC_JUNK_BTN_APPLY);
    ASSERT_EQ(MessageBoxTexts().size(), 1u);
    EXPECT_NE(MessageBoxTexts()[0].find(L"were saved"), std::wstring::npos);
    EXPECT_EQ(ProfileDword(kAdvanced, L"ChkZeroLenght", 9), 1u);
    EXPECT_EQ(ProfileDword(kAdvanced, L"ChkEmptyFolders", 9), 1u);
    EXPECT_EQ(ProfileDword(kAdvanced, L"ChkExcludeRecentFiles", 9), 1u);
    EXPECT_EQ(ProfileDword(kAdvanced, L"ChkSkipSystemFiles", 9), 0u);
    EXPECT_EQ(ProfileDword(L"Removal", L"DirectFastRemove", 9), 0u);
    EXPECT_EQ(RegistryValueNames(CJunkFileFinder::MaskListKey()).size(), 41u);
    EXPECT_FALSE(ProfileString(L"LocationDrives", L"0").empty() &&
                 ProfileString(L"LocationFolders", L"0").empty());

    // The removal tab's own Apply saves every tab without the message.
    Click(Tab(5), IDC_RADIO_DIRECT);
    Click(Tab(5), IDC_JUNK_BTN_APPLY);
    EXPECT_EQ(MessageBoxTexts().size(), 1u);
    EXPECT_EQ(ProfileDword(L"Removal", L"DirectFastRemove", 9), 1u);
}

TEST_F(JunkSettingsTest, LoadDefaultsAnsweredNoKeepsAllAndYesResetsAll) {
    Click(Tab(5), IDC_RADIO_DIRECT);
    Click(Tab(4), IDC_CHECK_EMPTY_FOLDERS);
    const int tmp = RowOf(Masks(), L"*.tmp");
    ASSERT_GE(tmp, 0);
    Masks().DeleteItem(tmp);
    Click(Tab(1), IDC_JUNK_BTN_APPLY);
    EXPECT_EQ(RegistryValueNames(CJunkFileFinder::MaskListKey()).size(), 40u);
    EXPECT_EQ(ProfileDword(L"Removal", L"DirectFastRemove", 9), 1u);

    AnswerMessageBoxes(false);
    Click(Tab(2), IDC_BTN_LOAD_DEFAULTS);
    EXPECT_EQ(RegistryValueNames(CJunkFileFinder::MaskListKey()).size(), 40u);
    EXPECT_EQ(Masks().GetItemCount(), 40);
    EXPECT_EQ(ProfileDword(L"Removal", L"DirectFastRemove", 9), 1u);
    EXPECT_EQ(ProfileDword(kAdvanced, L"ChkEmptyFolders", 9), 0u);

    AnswerMessageBoxes(true);
    Click(Tab(3), IDC_BTN_LOAD_DEFAULTS);
    EXPECT_EQ(RegistryValueNames(CJunkFileFinder::MaskListKey()).size(), 41u);
    EXPECT_EQ(Masks().GetItemCount(), 41);
    EXPECT_GE(RowOf(Masks(), L"*.tmp"), 0);
    EXPECT_EQ(ProfileDword(L"Removal", L"DirectFastRemove", 9), 0u);
    EXPECT_EQ(options_->m_cleanupTab.m_recycleRadio.GetCheck(), BST_CHECKED);
    EXPECT_EQ(options_->m_cleanupTab.m_directRadio.GetCheck(), BST_UNCHECKED);
    EXPECT_EQ(ProfileDword(kAdvanced, L"ChkZeroLenght", 9), 0u);
    EXPECT_EQ(ProfileDword(kAdvanced, L"ChkEmptyFolders", 9), 1u);
    EXPECT_EQ(ProfileDword(kAdvanced, L"ChkExcludeRecentFiles", 9), 1u);
    EXPECT_EQ(ProfileDword(kAdvanced, L"ChkSkipSystemFiles", 9), 1u);
    EXPECT_EQ(options_->m_advancedTab.m_emptyFolders.GetCheck(), BST_CHECKED);
    // The built-in exclusions are never stored.
    for (const std::wstring& name : RegistryValueNames(CJunkFileFinder::IgnoreListKey()))
        EXPECT_FALSE(IsBuiltInIgnorePattern(name.c_str())) << Narrow(name);
}

TEST_F(JunkSettingsTest, ApplyingWithoutAnyLocationKeepsTheStoredOnes) {
    CDlgSetting1Drives& drives = options_->m_drivesTab;
    Click(Tab(1), IDC_JUNK_BTN_APPLY);
    const std::wstring storedDrive = ProfileString(L"LocationDrives", L"0");
    const std::wstring storedFolder = ProfileString(L"LocationFolders", L"0");
    MessageBoxTexts().clear();
    for (CListCtrl* list : {&drives.m_driveList, &drives.m_folderList})
        for (int row = 0; row < list->GetItemCount(); ++row)
            list->SetCheck(row, FALSE);
    EXPECT_TRUE(std::wstring(drives.SelectionText()).empty());
    Click(Tab(1), IDC_JUNK_BTN_APPLY);
    ASSERT_EQ(MessageBoxTexts().size(), 2u);
    EXPECT_NE(MessageBoxTexts()[0].find(L"choose at least one drive"), std::wstring::npos);
    EXPECT_NE(MessageBoxTexts()[1].find(L"were saved"), std::wstring::npos);
    EXPECT_EQ(ProfileString(L"LocationDrives", L"0"), storedDrive);
    EXPECT_EQ(ProfileString(L"LocationFolders", L"0"), storedFolder);
    EXPECT_EQ(std::wstring(JunkLocationText(false)), std::wstring(drives.SelectionText()))
        << "the scan asks the tab";
    EXPECT_FALSE(std::wstring(drives.SelectionText()).empty()) << "the lists were reloaded";
}

// The checked rows' texts of a list.
std::vector<std::wstring> CheckedTexts(CListCtrl& list) {
    std::vector<std::wstring> texts;
    for (int row = 0; row < list.GetItemCount(); ++row)
        if (list.GetCheck(row))
            texts.emplace_back(list.GetItemText(row, 0));
    return texts;
}

TEST_F(JunkSettingsTest, UntickedRowsStayUntickedAfterARestart) {
    CDlgSetting1Drives* drives = &options_->m_drivesTab;
    ASSERT_GT(drives->m_driveList.GetItemCount(), 0);
    ASSERT_GT(drives->m_folderList.GetItemCount(), 0);
    ASSERT_FALSE(CheckedTexts(drives->m_driveList).empty()) << "the Windows drive by default";
    const auto restart = [&] {
        options_->DestroyWindow();
        options_ = std::make_unique<CDlgCleanOptions>(host_.get());
        ASSERT_TRUE(options_->Create(IDD_CLEAN_OPTIONS, host_.get()));
        drives = &options_->m_drivesTab;
    };

    // Every drive unticked, the default folders kept.
    for (int row = 0; row < drives->m_driveList.GetItemCount(); ++row)
        drives->m_driveList.SetCheck(row, FALSE);
    const std::vector<std::wstring> folders = CheckedTexts(drives->m_folderList);
    ASSERT_FALSE(folders.empty());
    Click(Tab(1), IDC_JUNK_BTN_APPLY);
    const CString firstChoice = drives->SelectionText();
    restart();
    EXPECT_TRUE(CheckedTexts(drives->m_driveList).empty()) << "no default drive comes back";
    EXPECT_EQ(CheckedTexts(drives->m_folderList), folders);
    EXPECT_EQ(JunkLocationText(true), firstChoice) << "what the next scan walks";

    // One drive ticked, every folder unticked.
    drives->m_driveList.SetCheck(0, TRUE);
    for (int row = 0; row < drives->m_folderList.GetItemCount(); ++row)
        drives->m_folderList.SetCheck(row, FALSE);
    const std::vector<std::wstring> oneDrive = CheckedTexts(drives->m_driveList);
    Click(Tab(1), IDC_JUNK_BTN_APPLY);
    restart();
    EXPECT_EQ(CheckedTexts(drives->m_driveList), oneDrive);
    EXPECT_TRUE(CheckedTexts(drives->m_folderList).empty()) << "no default folder comes back";
    EXPECT_EQ(JunkLocationText(true), CString(oneDrive[0].substr(0, 1).c_str()) + L";");

    // Load defaults brings the defaults back, and they are stored as the choice.
    Click(Tab(1), IDC_BTN_LOAD_DEFAULTS);
    const CString defaults = drives->SelectionText();
    restart();
    EXPECT_EQ(drives->SelectionText(), defaults);
}

TEST_F(JunkSettingsTest, MaskListSelectAllBoxFollowsTheRows) {
    CButton& all = options_->m_masksTab.m_selectAll;
    EXPECT_EQ(all.GetCheck(), BST_INDETERMINATE) << "20 of 41 default masks are on";
    Click(Tab(2), IDC_CHK_ALL);
    EXPECT_EQ(all.GetCheck(), BST_CHECKED);
    for (int row = 0; row < Masks().GetItemCount(); ++row)
        EXPECT_TRUE(Masks().GetCheck(row));
    Click(Tab(2), IDC_CHK_ALL);
    EXPECT_EQ(all.GetCheck(), BST_UNCHECKED);
    Masks().SetCheck(3, TRUE);
    PumpFor(30);
    EXPECT_EQ(all.GetCheck(), BST_INDETERMINATE);

    // A removed row that is not applied leaves the store alone.
    ListView_SetItemState(Masks().m_hWnd, 0, LVIS_SELECTED, LVIS_SELECTED);
    Click(Tab(2), IDC_BTN_REMOVE_EXTENTION);
    EXPECT_EQ(Masks().GetItemCount(), 40);
    EXPECT_EQ(RegistryValueNames(CJunkFileFinder::MaskListKey()).size(), 41u);
}

TEST_F(JunkSettingsTest, AddPopUpRefusesWhatMustNotBeAMask) {
    Click(options_->m_hWnd, IDC_SETTINGS_TAB1 + 1);
    AddThroughPopUp(2, [&](HWND popup) {
        EXPECT_FALSE(OkEnabled(popup)) << "empty";
        Type(popup, IDC_EDIT_MASK, L"*.*");
        EXPECT_FALSE(OkEnabled(popup));
        EXPECT_NE(WindowText(::GetDlgItem(popup, IDC_STATIC_EXPLANATION)).find(L"every file name"),
                  std::wstring::npos);
        // Enter while refused does not add it.
        ::SendMessageW(popup, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(::IsWindowVisible(popup));
        Type(popup, IDC_EDIT_MASK, L"?*");
        EXPECT_FALSE(OkEnabled(popup)) << "matches every name";
        EXPECT_NE(WindowText(::GetDlgItem(popup, IDC_STATIC_EXPLANATION)).find(L"every file name"),
                  std::wstring::npos);
        ::SendMessageW(popup, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(::IsWindowVisible(popup));
        Type(popup, IDC_EDIT_MASK, std::wstring(64, L'a').c_str());
        EXPECT_EQ(WindowText(::GetDlgItem(popup, IDC_EDIT_MASK)).size(), 63u);
        EXPECT_FALSE(OkEnabled(popup));
        Type(popup, IDC_EDIT_MASK, L"*.exe");
        EXPECT_FALSE(OkEnabled(popup)) << "protected type";
        Type(popup, IDC_EDIT_MASK, L"*.TMP");
        EXPECT_FALSE(OkEnabled(popup)) << "already a row";
        Type(popup, IDC_EDIT_MASK, L".TMP");
        EXPECT_TRUE(OkEnabled(popup));
        PhotographPopup(popup, L"junk_settings_add_mask.png");
        Click(popup, IDOK);
    });
    // ".tmp" became "*.tmp", which the tab holds already.
    ASSERT_EQ(MessageBoxTexts().size(), 1u);
    EXPECT_NE(MessageBoxTexts()[0].find(L"in the list already"), std::wstring::npos);
    EXPECT_EQ(Masks().GetItemCount(), 41);

    Masks().DeleteItem(RowOf(Masks(), L"*.tmp"));
    AddThroughPopUp(2, [&](HWND popup) {
        Type(popup, IDC_EDIT_MASK, L".TMP");
        Click(popup, IDOK);
    });
    const int row = RowOf(Masks(), L"*.tmp");
    ASSERT_GE(row, 0);
    EXPECT_EQ(Masks().GetItemData(row), 5u) << "kind 2, enabled";
    EXPECT_TRUE(Masks().GetCheck(row));
    AddThroughPopUp(2, [&](HWND popup) {
        Type(popup, IDC_EDIT_MASK, L"abc.log");
        Click(popup, IDOK);
    });
    EXPECT_GE(RowOf(Masks(), L"abc*.log"), 0);
    Click(Tab(2), IDC_JUNK_BTN_APPLY);
    DWORD flags = 0;
    DWORD size = sizeof flags;
    EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, CJunkFileFinder::MaskListKey(), L"*.tmp",
                           RRF_RT_REG_DWORD, nullptr, &flags, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(flags, 5u);

    EXPECT_EQ(COptions2Junk2DlgAdd::CompleteMask(L"a?c.log"), L"a?c.log");
    EXPECT_EQ(COptions2Junk2DlgAdd::CompleteMask(L"~*.tmp"), L"~*.tmp");
    EXPECT_STREQ(COptions2Junk2DlgAdd::MaskRefusal(L"*.?", nullptr), L"IDS_WRONG_WILDCARDS");
    // Masks without a literal part match every name, listed or not.
    for (const wchar_t* catchAll : {L"?*", L"**", L"*.?*.*", L"?", L"*.tmp;*", L"*.tmp; ?*"})
        EXPECT_STREQ(COptions2Junk2DlgAdd::MaskRefusal(catchAll, nullptr), L"IDS_WRONG_WILDCARDS")
            << Narrow(catchAll);
    EXPECT_EQ(COptions2Junk2DlgAdd::MaskRefusal(L"*.tmp;", nullptr), nullptr);
    EXPECT_STREQ(COptions2Junk2DlgAdd::MaskRefusal(L"setup.msi", nullptr),
                 L"SET2ALREADYTEHREPROTECTED");
    EXPECT_EQ(COptions2Junk2DlgAdd::MaskRefusal(L"*.tmp2", nullptr), nullptr);
}

TEST_F(JunkSettingsTest, ExcludedFolderIsAddedInItsLongAndShortForms) {
    const std::wstring folder = L"C:\\junkpages-exclusions\\A Rather Long Folder Name";
    junktest::MakeFolders(folder);
    Click(options_->m_hWnd, IDC_SETTINGS_TAB1 + 2);
    CListCtrl& list = options_->m_exclusionsTab.m_list;
    const int before = list.GetItemCount();
    for (int row = 0; row < before; ++row)
        EXPECT_FALSE(IsBuiltInIgnorePattern(list.GetItemText(row, 0))) << "built-ins are hidden";
    AddThroughPopUp(3, [&](HWND popup) {
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(popup, IDC_EDIT_MASK)));
        Type(popup, IDC_JUNK_EDIT_FOLDER, L"*.*");
        EXPECT_FALSE(OkEnabled(popup));
        Type(popup, IDC_JUNK_EDIT_FOLDER, (folder + L"\\").c_str());
        EXPECT_TRUE(OkEnabled(popup));
        PhotographPopup(popup, L"junk_settings_add_folder.png");
        Click(popup, IDOK);
    });
    std::set<std::wstring> added;
    for (int row = before; row < list.GetItemCount(); ++row)
        added.insert(std::wstring(list.GetItemText(row, 0)));
    wchar_t shortForm[MAX_PATH] = {};
    GetShortPathNameW(folder.c_str(), shortForm, MAX_PATH);
    CString lowered(folder.c_str());
    lowered.MakeLower();
    EXPECT_TRUE(added.count(std::wstring(lowered))) << "the entered text, lower-cased";
    if (lowered.CompareNoCase(shortForm) != 0) {
        bool hasShortForm = false;
        for (const std::wstring& entry : added)
            hasShortForm = hasShortForm || _wcsicmp(entry.c_str(), shortForm) == 0;
        EXPECT_TRUE(hasShortForm) << Narrow(shortForm);
    }
    EXPECT_EQ(added.size(), static_cast<size_t>(list.GetItemCount() - before)) << "no twins";
    EXPECT_LE(added.size(), 3u);

    // The same folder again adds nothing and says so.
    MessageBoxTexts().clear();
    const int count = list.GetItemCount();
    AddThroughPopUp(3, [&](HWND popup) {
        Type(popup, IDC_JUNK_EDIT_FOLDER, folder.c_str());
        Click(popup, IDOK);
    });
    EXPECT_EQ(list.GetItemCount(), count);
    EXPECT_EQ(MessageBoxTexts().size(), 1u);

    Click(Tab(3), IDC_JUNK_BTN_APPLY);
    const std::set<std::wstring> stored = RegistryValueNames(CJunkFileFinder::IgnoreListKey());
    EXPECT_TRUE(stored.count(std::wstring(lowered)));
    for (const std::wstring& name : stored)
        EXPECT_FALSE(IsBuiltInIgnorePattern(name.c_str())) << Narrow(name);
    junktest::RemoveTree(L"C:\\junkpages-exclusions");
}

TEST_F(JunkSettingsTest, RecycleBinWarningComesOncePerRun) {
    RegistryKey volume;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER,
                              (std::wstring(kBitBucketVolume) + L"\\{test}").c_str(), 0, nullptr, 0,
                              KEY_WRITE, nullptr, volume.Put(), nullptr),
              ERROR_SUCCESS);
    const DWORD nuke = 1;
    RegSetValueExW(volume.Get(), L"NukeOnDelete", 0, REG_DWORD,
                   reinterpret_cast<const BYTE*>(&nuke), sizeof nuke);
    volume.Reset();
    EXPECT_TRUE(CDlgSetting5Cleanup::RecycleBinBypassed());
    Click(Tab(5), IDC_RADIO_DIRECT);
    Click(Tab(5), IDC_RADIO_RECYCLE);
    Click(Tab(5), IDC_RADIO_DIRECT);
    Click(Tab(5), IDC_RADIO_RECYCLE);
    ASSERT_EQ(MessageBoxTexts().size(), 1u);
    EXPECT_NE(MessageBoxTexts()[0].find(L"cannot be restored"), std::wstring::npos);
}
