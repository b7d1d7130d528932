// The disk-check page: its drive rows and ticks, and a check scheduled through the options
// pop-up and the restart question into the Session Manager's "BootExecute" value, with the
// date of the last scheduling written only when a drive was scheduled.
#include "PagesTestSupport.h"

#include <RegistryBootExecuteStore.h>
#include <DiskPagesResource.h>
#include <DlgBaseMessageBoxWndBase.h>
#include <Page1Dlg.h>

#include <AppLocations.h>
#include <owners/WinOwners.h>

namespace {

// How the options pop-up is left: with a choice, or without one by its command, by the
// Escape key (pressed without a click into the pop-up first) or by its close box.
enum class Leave { kChoose, kCancelCommand, kEscapeKey, kCloseBox };

struct Answers {
    bool yes = true;              // the restart question
    Leave leave = Leave::kChoose; // how the options pop-up is left
    bool focusInPopup = false;    // the pop-up had the keyboard when answered
    int focusWaits = 0;
    bool thorough = false;           // the mode chosen in it
    std::vector<std::wstring> boxes; // the texts of the message boxes shown
    bool sawPopup = false;
    LPCWSTR popupShot = nullptr;
};
Answers g_answers;

void AnswerBox(CDlgBaseMessageBoxWndBase* box) {
    g_answers.boxes.emplace_back(box->m_strMessage.GetString());
    box->PostMessageW(WM_COMMAND, g_answers.yes ? IDOK : IDCANCEL);
}

BOOL CALLBACK FindPopup(HWND window, LPARAM found) {
    const HWND scanNow = ::GetDlgItem(window, IDBTN_SCANNOW_DISKDOC);
    if (scanNow && ::IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

bool IsPopupUp() {
    HWND popup = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &FindPopup, reinterpret_cast<LPARAM>(&popup));
    return popup != nullptr;
}

void CALLBACK AnswerPopup(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND popup = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &FindPopup, reinterpret_cast<LPARAM>(&popup));
    if (!popup)
        return;
    // The keyboard reaches the pop-up once it is up, without a click; a user presses Escape
    // after that (waited for here up to two seconds).
    const HWND focus = ::GetFocus();
    g_answers.focusInPopup = focus == popup || ::IsChild(popup, focus);
    if (!g_answers.focusInPopup && ++g_answers.focusWaits < 20)
        return;
    KillTimer(nullptr, timer);
    g_answers.sawPopup = true;
    EXPECT_EQ(IsDlgButtonChecked(popup, IDC_RADIO_NORMAL), BST_CHECKED) << "normal by default";
    if (g_answers.popupShot) {
        CRect rect;
        ::GetWindowRect(popup, &rect);
        EXPECT_TRUE(SaveScreenPng(rect, BesideProgram(g_answers.popupShot).c_str()));
    }
    if (!g_answers.focusInPopup && g_answers.leave == Leave::kEscapeKey) {
        // The key would go elsewhere and the pop-up stay up: end it, the check has failed.
        ::PostMessageW(popup, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    switch (g_answers.leave) {
    case Leave::kCancelCommand:
        ::PostMessageW(popup, WM_COMMAND, IDCANCEL, 0);
        return;
    case Leave::kEscapeKey:
        // Where the keyboard would deliver it: the window with the focus.
        ::PostMessageW(focus, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        ::PostMessageW(focus, WM_KEYUP, VK_ESCAPE, 0xC0010001);
        return;
    case Leave::kCloseBox: {
        const HWND closeBox = ::GetDlgItem(popup, 1184);
        EXPECT_NE(closeBox, nullptr) << "a close box";
        EXPECT_TRUE(::IsWindowVisible(closeBox));
        ::SendMessageW(closeBox, BM_CLICK, 0, 0);
        return;
    }
    case Leave::kChoose:
        break;
    }
    CheckRadioButton(popup, IDC_RADIO_NORMAL, IDC_RADIO_THOROUGH,
                     g_answers.thorough ? IDC_RADIO_THOROUGH : IDC_RADIO_NORMAL);
    ::SendMessageW(::GetDlgItem(popup, IDBTN_SCANNOW_DISKDOC), BM_CLICK, 0, 0);
}

std::wstring LastScanKey() {
    return std::wstring(GetAppRegistryKey().GetString()) + L"\\LastScanStatusDI";
}

bool LastScanDateExists() {
    return RegGetValueW(HKEY_CURRENT_USER, LastScanKey().c_str(), L"LastScanDate", RRF_RT_REG_SZ,
                        nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::vector<wchar_t> MultiString(std::initializer_list<std::wstring> entries) {
    std::vector<wchar_t> data;
    for (const std::wstring& entry : entries) {
        data.insert(data.end(), entry.begin(), entry.end());
        data.push_back(L'\0');
    }
    data.push_back(L'\0');
    return data;
}

std::vector<std::wstring> BootExecuteEntries() {
    CRegistryBootExecuteStore store;
    std::vector<wchar_t> data;
    EXPECT_TRUE(store.Read(data));
    std::vector<std::wstring> entries;
    for (size_t at = 0; at < data.size() && data[at] != L'\0';) {
        entries.emplace_back(&data[at]);
        at += entries.back().size() + 1;
    }
    return entries;
}

class DiskCheckPage : public ::testing::Test {
protected:
    void SetUp() override {
        CRegistryBootExecuteStore store;
        hadValue_ = store.Read(saved_);
        ASSERT_TRUE(store.Write(MultiString({L"autocheck autochk *"})));
        RegDeleteKeyValueW(HKEY_CURRENT_USER, LastScanKey().c_str(), L"LastScanDate");
        AfxGetApp()->WriteProfileString(L"Settings", L"CheckedDrives", L"");
        g_answers = Answers{};
        SetMessageBoxAnswerHook(&AnswerBox);
    }
    void TearDown() override {
        SetMessageBoxAnswerHook(nullptr);
        CRegistryBootExecuteStore store;
        if (hadValue_) {
            EXPECT_TRUE(store.Write(saved_));
        }
    }
    // The page in a host window, with the drives ticked as given (row order).
    void Open(std::initializer_list<bool> ticks = {}) {
        ASSERT_TRUE(page_.Create(IDD_PAGE1, &host_));
        page_.MoveWindow(0, 0, 591, 473);
        page_.ShowWindow(SW_SHOW);
        PumpFor(100);
        int row = 0;
        for (bool tick : ticks)
            page_.m_driveList.SetCheck(row++, tick);
    }
    void Start() {
        SetTimer(nullptr, 0, 100, &AnswerPopup);
        SendMessageW(::GetDlgItem(page_.m_hWnd, IDC_BTN_START_DISKDOC), BM_CLICK, 0, 0);
        PumpFor(100);
    }

    SimulatedDisks disks_;
    HostWindow host_{RGB(255, 255, 255), 591, 473};
    CPage1Dlg page_;
    std::vector<wchar_t> saved_;
    bool hadValue_ = false;
};

} // namespace

TEST_F(DiskCheckPage, RowsSizesAndTheSystemDriveTickedFirst) {
    Open();
    const HWND list = page_.m_driveList.m_hWnd;
    ASSERT_EQ(ListRows(list), 3);
    EXPECT_EQ(ListText(list, 0, 0), L"System (C:)");
    EXPECT_EQ(ListText(list, 0, 1), L"500 MB");
    EXPECT_EQ(ListText(list, 0, 2), L"191 MB");
    EXPECT_EQ(ListText(list, 1, 1), L"286 102 MB");
    EXPECT_EQ(ListText(list, 2, 2), L"1 177 376 MB");
    // Each drive's summary text, which is also its row's tip.
    const auto* system = reinterpret_cast<const CDrive*>(page_.m_driveList.GetItemData(0));
    ASSERT_NE(system, nullptr);
    EXPECT_EQ(std::wstring(system->SummaryText()),
              L"System (C:); Size: 500 MB; { Free Space: 191 MB }");
    wchar_t tip[256] = L"the row's own text";
    NMLVGETINFOTIPW request{};
    request.hdr.hwndFrom = list;
    request.hdr.idFrom = IDC_LIST_CHECK_DRIVES;
    request.hdr.code = LVN_GETINFOTIPW;
    request.pszText = tip;
    request.cchTextMax = 256;
    request.iItem = 2;
    page_.SendMessageW(WM_NOTIFY, IDC_LIST_CHECK_DRIVES, reinterpret_cast<LPARAM>(&request));
    EXPECT_EQ(std::wstring(tip), ListText(list, 2, 0) + L"; Size: " + ListText(list, 2, 1) +
                                     L"; { Free Space: " + ListText(list, 2, 2) + L" }");
    // Nothing stored: the drive of the Windows folder.
    wchar_t windows[MAX_PATH];
    ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(page_.m_driveList.GetCheck(row) != FALSE, towupper(windows[0]) == L"CDF"[row])
            << row;
    Photograph(&page_, L"disk_check_page.png");
    page_.DestroyWindow();

    // Stored letters win, case-sensitively.
    AfxGetApp()->WriteProfileString(L"Settings", L"CheckedDrives", L"Df");
    CPage1Dlg again;
    ASSERT_TRUE(again.Create(IDD_PAGE1, &host_));
    EXPECT_FALSE(again.m_driveList.GetCheck(0));
    EXPECT_TRUE(again.m_driveList.GetCheck(1));
    EXPECT_FALSE(again.m_driveList.GetCheck(2));
    again.DestroyWindow();
}

TEST_F(DiskCheckPage, NoTickedDriveIsToldAndNothingElse) {
    Open({false, false, false});
    Start();
    EXPECT_FALSE(g_answers.sawPopup);
    ASSERT_EQ(g_answers.boxes.size(), 1u);
    EXPECT_EQ(g_answers.boxes[0], L"Please tick at least one drive to check.");
    EXPECT_EQ(AfxGetApp()->GetProfileString(L"Settings", L"CheckedDrives", L"?"), L"");
    EXPECT_EQ(BootExecuteEntries(), std::vector<std::wstring>{L"autocheck autochk *"});
    EXPECT_FALSE(LastScanDateExists());
}

TEST_F(DiskCheckPage, ThoroughCheckOfOneDriveGoesFirst) {
    Open({true, false, false});
    g_answers.thorough = true;
    g_answers.popupShot = L"disk_check_options.png";
    Start();
    EXPECT_TRUE(g_answers.sawPopup);
    ASSERT_EQ(g_answers.boxes.size(), 1u);
    EXPECT_NE(g_answers.boxes[0].find(L"thorough check of the drive "), std::wstring::npos);
    // Asked before anything is set: the question offers the check, it does not report one.
    EXPECT_EQ(g_answers.boxes[0].find(L"Set "), 0u);
    EXPECT_EQ(g_answers.boxes[0].find(L"is set"), std::wstring::npos);
    EXPECT_EQ(g_answers.boxes[0].find(L"keep"), std::wstring::npos);
    EXPECT_EQ(BootExecuteEntries(), (std::vector<std::wstring>{L"autocheck autochk /r \\??\\C:",
                                                               L"autocheck autochk *"}));
    EXPECT_TRUE(LastScanDateExists());
    EXPECT_EQ(AfxGetApp()->GetProfileString(L"Settings", L"CheckedDrives", L""), L"C");

    // Again normally: the thorough line stays, no second line.
    g_answers = Answers{};
    Start();
    EXPECT_EQ(BootExecuteEntries(), (std::vector<std::wstring>{L"autocheck autochk /r \\??\\C:",
                                                               L"autocheck autochk *"}));
}

TEST_F(DiskCheckPage, TwoDrivesNormallyInRowOrder) {
    Open({false, true, true});
    Start();
    ASSERT_EQ(g_answers.boxes.size(), 1u);
    EXPECT_NE(g_answers.boxes[0].find(L"check of the drives"), std::wstring::npos);
    EXPECT_EQ(g_answers.boxes[0].find(L"thorough"), std::wstring::npos);
    // Each new line goes to the front.
    EXPECT_EQ(BootExecuteEntries(), (std::vector<std::wstring>{L"autocheck autochk /p \\??\\F:",
                                                               L"autocheck autochk /p \\??\\D:",
                                                               L"autocheck autochk *"}));
}

TEST_F(DiskCheckPage, AnsweringNoOrCancellingSchedulesAndRecordsNothing) {
    Open({true, true, false});
    g_answers.yes = false;
    Start();
    EXPECT_TRUE(g_answers.sawPopup);
    EXPECT_EQ(g_answers.boxes.size(), 1u);
    EXPECT_FALSE(LastScanDateExists()) << "no check was scheduled";
    EXPECT_EQ(BootExecuteEntries(), std::vector<std::wstring>{L"autocheck autochk *"});

    // Leaving the options pop-up without a choice, each way a user has.
    for (Leave leave : {Leave::kCancelCommand, Leave::kEscapeKey, Leave::kCloseBox}) {
        g_answers = Answers{};
        g_answers.leave = leave;
        Start();
        EXPECT_TRUE(g_answers.sawPopup) << static_cast<int>(leave);
        EXPECT_TRUE(g_answers.focusInPopup) << "Escape needs no click first";
        EXPECT_TRUE(PumpUntil([] { return !IsPopupUp(); }, 5000)) << static_cast<int>(leave);
        EXPECT_TRUE(g_answers.boxes.empty()) << static_cast<int>(leave);
        EXPECT_FALSE(LastScanDateExists());
        EXPECT_EQ(BootExecuteEntries(), std::vector<std::wstring>{L"autocheck autochk *"});
    }
}

TEST_F(DiskCheckPage, AnOtherToolsLowerCaseEntryBlocksTheDrive) {
    CRegistryBootExecuteStore store;
    ASSERT_TRUE(
        store.Write(MultiString({L"autocheck autochk /p \\??\\c:", L"autocheck autochk *"})));
    Open({true, false, false});
    Start();
    EXPECT_EQ(BootExecuteEntries(), (std::vector<std::wstring>{L"autocheck autochk /p \\??\\c:",
                                                               L"autocheck autochk *"}));
    // Already scheduled counts as scheduled: no complaint, the date recorded.
    EXPECT_EQ(g_answers.boxes.size(), 1u);
    EXPECT_TRUE(LastScanDateExists());
}

TEST_F(DiskCheckPage, AnOversizedValueIsLeftAloneAndTheUserTold) {
    std::vector<wchar_t> big = MultiString({std::wstring(9000, L'x'), L"autocheck autochk *"});
    CRegistryBootExecuteStore store;
    ASSERT_TRUE(store.Write(big));
    Open({true, true, false});
    Start();
    ASSERT_EQ(g_answers.boxes.size(), 2u);
    EXPECT_NE(g_answers.boxes[1].find(L"for C:, D:, because"), std::wstring::npos)
        << "which drives";
    EXPECT_EQ(g_answers.boxes[1].find(L"::"), std::wstring::npos) << "each drive named once";
    EXPECT_FALSE(LastScanDateExists());
    RegistryKey key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManagerKey, 0, KEY_READ, key.Put()),
              ERROR_SUCCESS);
    DWORD bytes = 0;
    EXPECT_EQ(RegQueryValueExW(key.Get(), kBootExecuteValue, nullptr, nullptr, nullptr, &bytes),
              ERROR_SUCCESS);
    EXPECT_EQ(bytes, big.size() * sizeof(wchar_t)) << "untouched";
}
