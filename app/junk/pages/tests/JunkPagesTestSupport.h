// What the junk pages' tests share: the application object with its settings and profile in
// a test key, the program's services recorded, the product's message boxes answered and
// recorded, language keys that the files lack recorded, modal pop-ups driven from a timer, and
// pictures of windows.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include <classlib/String.h>

#include "JunkWizard.h"

namespace junkpages {

inline constexpr wchar_t kTestTitle[] = L"XarnJunkPagesTest";
// Removes every value the tests' application, engine and launcher status keep.
void ClearStore();
// The profile values.
DWORD ProfileDword(LPCWSTR section, LPCWSTR name, DWORD fallback);
void SetProfileDword(LPCWSTR section, LPCWSTR name, DWORD value);
void SetProfileString(LPCWSTR section, LPCWSTR name, LPCWSTR value);
std::wstring ProfileString(LPCWSTR section, LPCWSTR name);

// A shell request as the pages made it: every field the shell reads, strings copied.
struct RecordedShellRequest {
    DWORD size = 0;
    ULONG mask = 0;
    HWND owner = nullptr;
    std::wstring verb;
    std::wstring file;
    bool hasParameters = false;
    std::wstring parameters;
    bool hasDirectory = false;
    int show = 0;
};

// The services of the program around the pages, recorded.
class RecordingServices : public JunkPageServices {
public:
    bool IsHiddenStart() override { return hidden; }
    bool IsAutomaticMode() override { return automatic; }
    void SetJobFlags(bool scanning, bool cleaning, bool finished) override {
        flags[0] = scanning;
        flags[1] = cleaning;
        flags[2] = finished;
    }
    CDlgLeftDlgBase* Panel() override { return panel; }
    CWnd* MainWindow() override { return main; }
    void EnableTabButtons(bool enable) override { tabsEnabled = enable ? 1 : 0; }
    void EnableCloseControls(bool enable) override { closeEnabled = enable ? 1 : 0; }
    void ShutDown(const CString& message) override { shutdowns.emplace_back(message); }
    bool CreateRestorePoint(CWnd*, const CString& description) override {
        restorePoints.emplace_back(description);
        return true;
    }
    void RunShell(CWnd*, const CString& verb, const CString& file,
                  const CString& parameters) override {
        shell.push_back(std::wstring(verb) + L"|" + std::wstring(file) + L"|" +
                        std::wstring(parameters));
    }
    void ExecuteShellRequest(SHELLEXECUTEINFOW& request) override {
        RecordedShellRequest copy;
        copy.size = request.cbSize;
        copy.mask = request.fMask;
        copy.owner = request.hwnd;
        copy.verb = request.lpVerb ? request.lpVerb : L"";
        copy.file = request.lpFile ? request.lpFile : L"";
        copy.hasParameters = request.lpParameters != nullptr;
        copy.parameters = request.lpParameters ? request.lpParameters : L"";
        copy.hasDirectory = request.lpDirectory != nullptr;
        copy.show = request.nShow;
        requests.push_back(copy);
    }

    bool hidden = false;
    bool automatic = false;
    bool flags[3] = {};
    int tabsEnabled = -1;
    int closeEnabled = -1;
    CDlgLeftDlgBase* panel = nullptr;
    CWnd* main = nullptr;
    std::vector<std::wstring> shutdowns;
    std::vector<std::wstring> restorePoints;
    std::vector<std::wstring> shell;
    std::vector<RecordedShellRequest> requests;
};

// Message boxes: each one's text is recorded and it is answered Yes/OK (or No/Cancel).
void AnswerMessageBoxes(bool yes);
std::vector<std::wstring>& MessageBoxTexts();
// Keys looked up that the language files lack.
std::vector<std::wstring>& MissingTexts();

// Runs `drive` on the first visible top-level window of this thread (other than `except`)
// that holds a control `controlId`, once it is up; for modal pop-ups.
void DriveWindowWhenUp(int controlId, std::function<void(HWND)> drive, HWND except = nullptr);
// Pumps messages until `done` or the time runs out; false on time-out.
bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds);
// The window's screen rectangle saved as a PNG beside the program.
void Photograph(HWND window, LPCWSTR name);
// A pop-up brought on screen above the (topmost) host first, then photographed.
void PhotographPopup(HWND popup, LPCWSTR name);
// Below its last row a list shows the skin's list bitmap (1128, which fades from left to right)
// where it stands on screen, not a plain colour.
void ExpectListOnItsBitmap(HWND list);
// Clicks a button as the user does (BN_CLICKED through BM_CLICK).
void Click(HWND dialog, int id);
std::wstring WindowText(HWND window);
// A text for test messages.
inline std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

} // namespace junkpages
