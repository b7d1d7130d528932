#include "JunkPagesTestSupport.h"

#include <commctrl.h>

#include <DlgBaseMessageBoxWndBase.h>
#include <STBitmap.h>

#include "UiTestSupport.h"
#include "ConfigurationManager.h"
#include "IniReader.h"
#include "LauncherStatus.h"
#include "VantorixApp.h"

namespace junkpages {
namespace {

// The application object: texts from the merged language file, settings and profile under a
// test key.
class PagesTestApp : public CVantorixApp {
public:
    PagesTestApp() : CVantorixApp(kTestTitle, L"Stellmark.ini") {
        SetRegistryKey(L"Halvenor\\XarnJunkPagesTest");
        m_pSettings = CreateConfigurationManager(kTestTitle);
    }
};

std::vector<std::wstring> g_boxTexts;
std::vector<std::wstring> g_missing;
bool g_answerYes = true;

void RecordMissing(const CString& message) {
    g_missing.emplace_back(message);
}

void CALLBACK AnswerLater(HWND box, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(box, id);
    ::PostMessageW(box, WM_COMMAND, g_answerYes ? IDOK : IDCANCEL, 0);
}

void Answer(CDlgBaseMessageBoxWndBase* box) {
    g_boxTexts.emplace_back(box->m_strMessage);
    box->SetTimer(78, 50, &AnswerLater);
}

struct Setup {
    Setup() {
        SetLangTextFailureReporter(&RecordMissing);
        SetMessageBoxAnswerHook(&Answer);
    }
};

PagesTestApp g_app;
Setup g_setup;
const auto* const g_gdiPlus = ::testing::AddGlobalTestEnvironment(new GdiPlusEnvironment);
const auto* const g_fonts = ::testing::AddGlobalTestEnvironment(new SharedFontsEnvironment);

struct DriveRequest {
    int controlId;
    std::function<void(HWND)> drive;
    HWND except;
    HWND found = nullptr;
};
DriveRequest* g_request = nullptr;

BOOL CALLBACK FindWindowWithControl(HWND window, LPARAM) {
    if (window != g_request->except && ::IsWindowVisible(window) &&
        ::GetDlgItem(window, g_request->controlId)) {
        g_request->found = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK LookForWindow(HWND, UINT, UINT_PTR id, DWORD) {
    if (!g_request)
        return;
    g_request->found = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), &FindWindowWithControl, 0);
    if (!g_request->found)
        return;
    ::KillTimer(nullptr, id);
    DriveRequest* request = g_request;
    g_request = nullptr;
    PumpFor(150);
    request->drive(request->found);
    delete request;
}
} // namespace

void ClearStore() {
    // Only the tests' own keys: other tests may use the product key beside them.
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Halvenor\\XarnJunkPagesTest");
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Halvenor\\Xarn\\XarnJunkPagesTest");
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Halvenor\\Xarn\\ScanStatusForLauncher\\" +
                                          GetModuleStatusKey(kJunkLauncherModule));
}

DWORD ProfileDword(LPCWSTR section, LPCWSTR name, DWORD fallback) {
    return AfxGetApp()->GetProfileInt(section, name, static_cast<int>(fallback));
}

void SetProfileDword(LPCWSTR section, LPCWSTR name, DWORD value) {
    AfxGetApp()->WriteProfileInt(section, name, static_cast<int>(value));
}

void SetProfileString(LPCWSTR section, LPCWSTR name, LPCWSTR value) {
    AfxGetApp()->WriteProfileString(section, name, value);
}

std::wstring ProfileString(LPCWSTR section, LPCWSTR name) {
    return std::wstring(AfxGetApp()->GetProfileString(section, name, L""));
}

void AnswerMessageBoxes(bool yes) {
    g_answerYes = yes;
}

std::vector<std::wstring>& MessageBoxTexts() {
    return g_boxTexts;
}

std::vector<std::wstring>& MissingTexts() {
    return g_missing;
}

void DriveWindowWhenUp(int controlId, std::function<void(HWND)> drive, HWND except) {
    delete g_request;
    g_request = new DriveRequest{controlId, std::move(drive), except};
    ::SetTimer(nullptr, 0, 50, &LookForWindow);
}

bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds) {
    const ULONGLONG end = ::GetTickCount64() + milliseconds;
    MSG msg;
    while (!done()) {
        if (::GetTickCount64() > end)
            return false;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::Sleep(5);
    }
    return true;
}

void Photograph(HWND window, LPCWSTR name) {
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpFor(200);
    CRect rect;
    ::GetWindowRect(window, &rect);
    EXPECT_TRUE(SaveScreenPng(rect, BesideProgram(name).c_str())) << name;
}

void PhotographPopup(HWND popup, LPCWSTR name) {
    ::SetWindowPos(popup, HWND_TOPMOST, 20, 20, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    Photograph(popup, name);
}

void ExpectListOnItsBitmap(HWND list) {
    const CSTBitmap background(1128);
    ASSERT_GT(background.GetWidth(), 400);
    const HBITMAP bits = static_cast<HBITMAP>(background.GetSafeHandle());
    CRect client;
    ::GetClientRect(list, &client);
    CRect last(0, 0, 0, 0);
    const int rows = ListView_GetItemCount(list);
    if (rows > 0)
        ListView_GetItemRect(list, rows - 1, &last, LVIR_BOUNDS);
    const int y = client.bottom - 3;
    ASSERT_LT(last.bottom, y) << "room below the rows";
    const COLORREF left = ClientPixelOnScreen(list, 4, y);
    const COLORREF right = ClientPixelOnScreen(list, 400, y);
    EXPECT_EQ(left, BitmapPixel(bits, 4, 0));
    EXPECT_EQ(right, BitmapPixel(bits, 400, 0));
    EXPECT_NE(left, right);
}

void Click(HWND dialog, int id) {
    const HWND button = ::GetDlgItem(dialog, id);
    ASSERT_NE(button, nullptr) << id;
    ::SendMessageW(button, BM_CLICK, 0, 0);
}

std::wstring WindowText(HWND window) {
    wchar_t text[1024] = {};
    ::GetWindowTextW(window, text, 1024);
    return text;
}

} // namespace junkpages
