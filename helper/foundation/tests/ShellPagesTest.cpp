// Web pages and mail open through the shell's handler of their address scheme. The test makes
// the log probe that handler, so each opened address arrives as a line of its log.
#include "AppLocations.h"
#include "AppState.h"
#include "ShellCommands.h"
#include "ProductIdentity.h"
#include "VantorixApp.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Replaces the "open" command of an address scheme for the test's life; the old one returns.
class SchemeHandler {
public:
    SchemeHandler(const wchar_t* scheme, const std::wstring& command)
        : key_(std::wstring(L"Software\\Classes\\") + scheme + L"\\shell\\open\\command") {
        wchar_t old[1024];
        DWORD size = sizeof old;
        hadOld_ = RegGetValueW(HKEY_LOCAL_MACHINE, key_.c_str(), nullptr, RRF_RT_REG_SZ, nullptr,
                               old, &size) == ERROR_SUCCESS;
        if (hadOld_)
            old_ = old;
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, key_.c_str(), nullptr, REG_SZ, command.c_str(),
                        static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    }
    ~SchemeHandler() {
        if (hadOld_)
            RegSetKeyValueW(HKEY_LOCAL_MACHINE, key_.c_str(), nullptr, REG_SZ, old_.c_str(),
                            static_cast<DWORD>((old_.size() + 1) * sizeof(wchar_t)));
        else
            RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, key_.c_str(), nullptr);
    }
    SchemeHandler(const SchemeHandler&) = delete;
    SchemeHandler& operator=(const SchemeHandler&) = delete;

private:
    std::wstring key_;
    std::wstring old_;
    bool hadOld_ = false;
};

// The UTF-16 text of the probe's log of today, as plain ASCII.
std::string TodaysLog(const std::wstring& folder) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t name[32];
    swprintf(name, 32, L"\\log_%02d-%02d-%04d.log", now.wMonth, now.wDay, now.wYear);
    const std::string bytes = ReadBytes(folder + name);
    std::string text;
    for (size_t at = 0; at + 1 < bytes.size(); at += 2)
        text += bytes[at];
    return text;
}

constexpr int kArrivalTenthsOfSeconds = 600;

class ShellPages : public ::testing::Test {
protected:
    void SetUp() override {
        title_ = L"XarnShellTest" + std::to_wstring(GetCurrentProcessId());
        g_strAppTitle = title_.c_str();
        folder_ = GetAppDataFolder().GetString();
        g_strAppTitle.Empty();
    }
    void TearDown() override { TempFolder::RemoveTree(folder_); }

    std::wstring Handler() const {
        return L"\"" + ProgramFolder() + L"\\foundation_log_probe.exe\" " + title_ + L" on \"%1\"";
    }
    // Waits for the address to arrive in the probe's log. The shell starts the probe as a new
    // process, which on a loaded machine (or under the i386 emulation) has taken over 20 s.
    bool Arrived(const std::string& address) const {
        for (int wait = 0; wait < kArrivalTenthsOfSeconds; ++wait) {
            if (TodaysLog(folder_).find("\t" + address + "\r\n") != std::string::npos)
                return true;
            Sleep(100);
        }
        return false;
    }

    std::wstring title_;
    std::wstring folder_;
};

} // namespace

TEST_F(ShellPages, ProductPageAndHelpPageWithAnchors) {
    SchemeHandler https(L"https", Handler());
    OpenStoredWebPage();
    EXPECT_TRUE(Arrived("https://www.halvenor.com/xarn/"));
    OpenHelpPage(L"topic=defrag");
    EXPECT_TRUE(Arrived("https://www.halvenor.com/support/help/?product=xarn&topic=defrag"));
    OpenHelpPage(L"&topic=junk");
    EXPECT_TRUE(Arrived("https://www.halvenor.com/support/help/?product=xarn&topic=junk"));
    // No anchor, or one of a single character: the plain help page.
    OpenHelpPage(L"x");
    OpenHelpPage(nullptr);
    EXPECT_TRUE(Arrived("https://www.halvenor.com/support/help/?product=xarn"));
    EXPECT_EQ(std::string::npos, TodaysLog(folder_).find("&x"));
}

TEST_F(ShellPages, SupportMail) {
    SchemeHandler mail(L"mailto", Handler());
    OpenSupportMail();
    EXPECT_TRUE(Arrived("mailto:support@halvenor.com"));
}

TEST_F(ShellPages, BothHelpEntriesOfTheApplicationOpenTheSupportPage) {
    SchemeHandler https(L"https", Handler());
    const CString page = GetSupportPageUrl();
    const std::string address(page.GetString(), page.GetString() + page.GetLength());
    CVantorixApp app;
    app.WinHelp(0, HELP_CONTEXT);
    EXPECT_TRUE(Arrived(address));
    app.HtmlHelp(0, 0);
    const std::string line = "\t" + address + "\r\n";
    bool twice = false;
    for (int wait = 0; wait < kArrivalTenthsOfSeconds && !twice; ++wait, Sleep(100)) {
        const std::string log = TodaysLog(folder_);
        const size_t first = log.find(line);
        twice = first != std::string::npos && log.find(line, first + 1) != std::string::npos;
    }
    EXPECT_TRUE(twice);
}
