// The download dialog against a local server: its progress while a slow file arrives, the
// cancel question answered both ways (the partial file kept or deleted as the resume option
// says), a failure left in sight and reported as one, the login prompt answered by the test, and
// a hidden run that never shows a window. Photographed while it transfers.
// The test server's sockets need winsock2.h before windows.h.
#include <winsock2.h>

#include "DialogTestSupport.h"

#include <gtest/gtest.h>

#include "DownloadDlg.h"
#include "DownloadMessages.h"
#include "DownloadQueue.h"
#include "DownloadTexts.h"
#include "ServicesTestSupport.h"
#include "TestHttpServer.h"
#include "WinInet.h"
#include "IniReader.h"
#include "TestSupport.h"

namespace {

const auto* const g_fonts = ::testing::AddGlobalTestEnvironment(new SharedFontsEnvironment);

// The open download dialog of this thread, or null.
HWND FindDownloadDialog() {
    CDownloadDlg* dialog = FindOpenDialog<CDownloadDlg>();
    return dialog != nullptr ? dialog->m_hWnd : nullptr;
}

// An icon's width and height (zero for none).
SIZE IconSize(HICON icon) {
    ICONINFO info{};
    if (icon == nullptr || !::GetIconInfo(icon, &info))
        return SIZE{};
    BITMAP bitmap{};
    ::GetObjectW(info.hbmMask, sizeof(bitmap), &bitmap);
    const GdiObject<HBITMAP> mask(info.hbmMask);
    const GdiObject<HBITMAP> colour(info.hbmColor);
    // A mask without colour holds both halves one above the other.
    return SIZE{bitmap.bmWidth, colour ? bitmap.bmHeight : bitmap.bmHeight / 2};
}

int BarPosition(HWND dialog, int bar) {
    return static_cast<int>(::SendDlgItemMessageW(dialog, bar, PBM_GETPOS, 0, 0));
}

// A body sent slowly enough that the dialog is seen while it runs (it shows its figures once a
// second).
HttpResponse SlowBody(const std::string& body, int delayMs) {
    HttpResponse response = HttpResponse::Status(200, body);
    response.chunkBytes = 4096;
    response.chunkDelayMs = delayMs;
    return response;
}

class DownloadDialog : public ::testing::Test {
protected:
    void SetUp() override {
        ClearDownloadFiles();
        g_downloader.options = DownloadOptions{};
        g_downloader.timeoutMs = 5000;
    }
    void TearDown() override {
        ClearDownloadFiles();
        g_downloader.options = DownloadOptions{};
    }
    void Queue(const std::string& url) { ASSERT_TRUE(AddDownloadFile(Wide(url), target_.c_str())); }

    HostWindow host_{RGB(240, 244, 250), 700, 500};
    TempFolder folder_;
    std::wstring target_ = folder_ / L"update.bin";
};

TEST_F(DownloadDialog, ShowsTheProgressOfASlowFileAndEndsWhenItArrived) {
    const std::string body = PatternBytes(160 * 1024, 3);
    CTestHttpServer server([&](const HttpRequest&) { return SlowBody(body, 100); });
    ASSERT_TRUE(server.Start());
    Queue(server.Url("/updates/update.bin"));
    int bestFileBar = 0;
    CString fileCount, caption, cancelText, bytesLine;
    bool shot = false;
    SIZE bigIcon{}, smallIcon{};
    APTTYPE apartment = APTTYPE_CURRENT;
    APTTYPEQUALIFIER qualifier{};
    APTTYPE apartmentBefore = APTTYPE_CURRENT;
    const bool hadApartment = SUCCEEDED(CoGetApartmentType(&apartmentBefore, &qualifier));
    ScriptDriver driver([&] {
        const HWND dialog = FindDownloadDialog();
        if (dialog == nullptr)
            return false;
        bigIcon =
            IconSize(reinterpret_cast<HICON>(::SendMessageW(dialog, WM_GETICON, ICON_BIG, 0)));
        smallIcon =
            IconSize(reinterpret_cast<HICON>(::SendMessageW(dialog, WM_GETICON, ICON_SMALL, 0)));
        if (FAILED(CoGetApartmentType(&apartment, &qualifier)))
            apartment = APTTYPE_CURRENT;
        const int position = BarPosition(dialog, 1232);
        bestFileBar = std::max(bestFileBar, position);
        fileCount = ControlText(dialog, kControlFileCount);
        caption = CString();
        wchar_t text[256] = {};
        ::GetWindowTextW(dialog, text, 256);
        caption = text;
        cancelText = ControlText(dialog, IDOK);
        if (position > 40 * 1024 && !shot) {
            bytesLine = ControlText(dialog, kControlFileBytes);
            shot = ShootWindow(dialog, L"download.png");
        }
        return false; // watch until the dialog ends
    });
    EXPECT_EQ(1, RunDownloadDialog(host_.GetSafeHwnd()));
    EXPECT_FALSE(driver.TimedOut());
    EXPECT_TRUE(SameBytes(body, ReadBytes(target_)));
    EXPECT_GT(bestFileBar, 0) << "the file bar moved";
    EXPECT_EQ(FormatPelqText(L"IDS_FILECOUNT", L"update.bin", L"1", L"1"), fileCount);
    EXPECT_NE(-1, caption.Find(L"Update Downloader"));
    EXPECT_EQ(CString(L"Cancel"), cancelText);
    EXPECT_TRUE(shot);
    EXPECT_NE(-1, bytesLine.Find(L"KB of 160 KB")) << Narrow(bytesLine);
    // The application's icon in both sizes, and the dialog's thread in a single-threaded COM
    // apartment while it runs, left again afterwards.
    EXPECT_EQ(bigIcon.cx, GetSystemMetrics(SM_CXICON));
    EXPECT_EQ(smallIcon.cx, GetSystemMetrics(SM_CXSMICON));
    EXPECT_TRUE(apartment == APTTYPE_STA || apartment == APTTYPE_MAINSTA) << apartment;
    APTTYPE apartmentAfter = APTTYPE_CURRENT;
    EXPECT_EQ(SUCCEEDED(CoGetApartmentType(&apartmentAfter, &qualifier)), hadApartment)
        << "entered once, left once";
}

// Cancels once the transfer runs, answering the question with `button` (0 Yes, 1 No).
ScriptDriver CancelWhenRunning(int& questions, int minimumBytes = 8192) {
    return ScriptDriver([&questions, minimumBytes] {
        const HWND dialog = FindDownloadDialog();
        if (dialog == nullptr || BarPosition(dialog, 1232) < minimumBytes)
            return false;
        ++questions;
        Click(dialog, IDOK);
        return true;
    });
}

TEST_F(DownloadDialog, CancelAnsweredYesStopsAndKeepsThePartForAResume) {
    const std::string body = PatternBytes(400 * 1024, 4);
    CTestHttpServer server([&](const HttpRequest&) { return SlowBody(body, 60); });
    ASSERT_TRUE(server.Start());
    Queue(server.Url("/big.bin"));
    MessageBoxAnswers answers(0);
    int questions = 0;
    ScriptDriver driver = CancelWhenRunning(questions);
    EXPECT_EQ(0, RunDownloadDialog(host_.GetSafeHwnd()));
    EXPECT_EQ(1, questions);
    ASSERT_EQ(1u, answers.Texts().size());
    EXPECT_NE(-1, answers.Texts()[0].Find(GetLangString(L"IDS_ABORT", L"Pelq")));
    const std::string part = ReadBytes(target_);
    EXPECT_GT(part.size(), 0u);
    EXPECT_LT(part.size(), body.size());
    EXPECT_EQ(body.substr(0, part.size()), part) << "the part is the body's start";
    server.Stop();
}

TEST_F(DownloadDialog, CancelWithoutResumeDeletesThePart) {
    SetDownloadOption(L"resume", L"false");
    const std::string body = PatternBytes(400 * 1024, 5);
    CTestHttpServer server([&](const HttpRequest&) { return SlowBody(body, 60); });
    ASSERT_TRUE(server.Start());
    Queue(server.Url("/big.bin"));
    MessageBoxAnswers answers(0);
    int questions = 0;
    ScriptDriver driver = CancelWhenRunning(questions);
    EXPECT_EQ(0, RunDownloadDialog(host_.GetSafeHwnd()));
    EXPECT_EQ(1, questions);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(target_.c_str()));
    server.Stop();
}

TEST_F(DownloadDialog, CancelAnsweredNoLetsTheTransferFinish) {
    const std::string body = PatternBytes(120 * 1024, 6);
    CTestHttpServer server([&](const HttpRequest&) { return SlowBody(body, 100); });
    ASSERT_TRUE(server.Start());
    Queue(server.Url("/f.bin"));
    MessageBoxAnswers answers(1);
    int questions = 0;
    ScriptDriver driver = CancelWhenRunning(questions);
    EXPECT_EQ(1, RunDownloadDialog(host_.GetSafeHwnd()));
    EXPECT_EQ(1, questions);
    EXPECT_TRUE(SameBytes(body, ReadBytes(target_)));
}

TEST_F(DownloadDialog, AFailureIsShownAndReportedAsAFailure) {
    CTestHttpServer server([&](const HttpRequest&) { return HttpResponse::Status(404, "gone"); });
    ASSERT_TRUE(server.Start());
    const std::string url = server.Url("/missing.bin");
    Queue(url);
    CString status;
    ScriptDriver driver(
        [&] {
            if (const HWND dialog = FindDownloadDialog())
                status = ControlText(dialog, kControlStatus);
            return false;
        },
        10);
    CDownloadDlg dialog(&host_);
    static_cast<void>(dialog.DoModal());
    EXPECT_FALSE(dialog.Succeeded());
    const CString expected = FormatPelqText(L"IDS_ERROR_HTTPOPEN", Wide(url), L"404");
    EXPECT_EQ(expected, dialog.GetLastErrorText());
    EXPECT_EQ(0, g_downloader.queue[0]->done);
}

// Answers the server's login request with a user and password set on the request.
class LoggingInDialog : public CDownloadDlg {
public:
    using CDownloadDlg::CDownloadDlg;
    int prompts = 0;

protected:
    bool PromptForLogin(HINTERNET request) override {
        ++prompts;
        static const wchar_t user[] = L"ann";
        static const wchar_t password[] = L"secret";
        return g_winInet.InternetSetOptionW(request, INTERNET_OPTION_USERNAME,
                                            const_cast<wchar_t*>(user), 3) &&
               g_winInet.InternetSetOptionW(request, INTERNET_OPTION_PASSWORD,
                                            const_cast<wchar_t*>(password), 6);
    }
};

TEST_F(DownloadDialog, ALoginRequestIsAnsweredThroughTheDialogsPrompt) {
    const std::string body = PatternBytes(5000, 7);
    CTestHttpServer server([&](const HttpRequest& request) {
        if (request.Header("Authorization") != "Basic YW5uOnNlY3JldA==") {
            HttpResponse denied = HttpResponse::Status(401, "login");
            denied.headers.emplace_back("WWW-Authenticate", "Basic realm=\"updates\"");
            return denied;
        }
        return HttpResponse::Status(200, body);
    });
    ASSERT_TRUE(server.Start());
    Queue(server.Url("/private.bin"));
    LoggingInDialog dialog(&host_);
    static_cast<void>(dialog.DoModal());
    EXPECT_TRUE(dialog.Succeeded()) << Narrow(dialog.GetLastErrorText());
    EXPECT_GE(dialog.prompts, 1);
    EXPECT_TRUE(SameBytes(body, ReadBytes(target_)));
}

TEST_F(DownloadDialog, AHiddenRunNeverShowsAWindowAndOnlyOneMeansHidden) {
    const std::string body = PatternBytes(60 * 1024, 8);
    CTestHttpServer server([&](const HttpRequest&) { return SlowBody(body, 20); });
    ASSERT_TRUE(server.Start());
    Queue(server.Url("/hidden.bin"));
    SetDownloadOption(L"hidden", L"1");
    bool seen = false;
    ScriptDriver watch(
        [&] {
            seen = seen || FindDownloadDialog() != nullptr;
            return false;
        },
        10);
    EXPECT_EQ(1, RunDownloadDialog(host_.GetSafeHwnd()));
    EXPECT_FALSE(seen);
    EXPECT_TRUE(SameBytes(body, ReadBytes(target_)));

    SetDownloadOption(L"hidden", L"true");
    EXPECT_FALSE(g_downloader.options.hidden) << "only \"1\" hides the dialog";
}

} // namespace
