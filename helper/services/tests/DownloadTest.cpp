// The downloader against a scripted server on 127.0.0.1: byte-exact transfers, resuming with
// a range (206 appends, 200 and a restart rewrite and truncate, 416 of a complete file is
// done), redirects and their limits, logins through the prompt, cancelling, silent and
// cut-off servers, and the queue and its options.
// The test server first: it needs Winsock 2 before the Windows headers.
#include "TestHttpServer.h"

#include <gtest/gtest.h>

#include <chrono>

#include "DownloadQueue.h"
#include "DownloadMessages.h"
#include "DownloadTexts.h"
#include "ServicesTestSupport.h"
#include "WinInet.h"
#include "IniReader.h"
#include "TestSupport.h"

namespace {

// Serves `body` with byte ranges: 206 from the first byte asked, 416 past the end.
HttpResponse ServeRanges(const HttpRequest& request, const std::string& body) {
    const std::string range = request.Header("Range");
    if (range.rfind("bytes=", 0) != 0)
        return HttpResponse::Status(200, body);
    const size_t first = std::stoul(range.substr(6));
    if (first >= body.size()) {
        HttpResponse response = HttpResponse::Status(416);
        response.headers.emplace_back("Content-Range", "bytes */" + std::to_string(body.size()));
        return response;
    }
    HttpResponse response = HttpResponse::Status(206, body.substr(first));
    response.headers.emplace_back("Content-Range", "bytes " + std::to_string(first) + "-" +
                                                       std::to_string(body.size() - 1) + "/" +
                                                       std::to_string(body.size()));
    return response;
}

int CountRequests(const CTestHttpServer& server, const std::string& method) {
    int count = 0;
    for (const HttpRequest& request : server.Requests())
        count += request.method == method;
    return count;
}

std::string RangeOfLastGet(const CTestHttpServer& server) {
    std::string range = "(no GET)";
    for (const HttpRequest& request : server.Requests())
        if (request.method == "GET")
            range = request.Header("Range");
    return range;
}

class DownloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearDownloadFiles();
        g_downloader.options = DownloadOptions{};
        g_downloader.timeoutMs = 5000;
    }
    void TearDown() override { ClearDownloadFiles(); }

    void Queue(const std::string& url, const std::wstring& path) {
        ASSERT_TRUE(AddDownloadFile(Wide(url), CString(path.c_str())));
    }

    TempFolder folder_;
    std::wstring target_ = folder_ / L"target.bin";
};

TEST_F(DownloadTest, AFileArrivesByteExactWithItsProgress) {
    const std::string body = PatternBytes(300 * 1024 + 17, 1);
    CTestHttpServer server([&](const HttpRequest&) { return HttpResponse::Status(200, body); });
    ASSERT_TRUE(server.Start());
    Queue(server.Url("/files/big.bin?x=1"), target_);

    RecordingDownload run;
    std::pair<WPARAM, LPARAM> lastFile{}, lastTotal{};
    run.onProgress = [&](UINT message, WPARAM done, LPARAM total) {
        (message == DLM_FILE_PROGRESS ? lastFile : lastTotal) = {done, total};
    };
    ASSERT_TRUE(run.Run(nullptr)) << Narrow(run.GetLastErrorText());
    EXPECT_TRUE(SameBytes(body, ReadBytes(target_)));
    EXPECT_EQ(1, g_downloader.queue[0]->done);
    EXPECT_EQ(static_cast<INT32>(body.size()), g_downloader.queue[0]->size);
    EXPECT_EQ(body.size(), lastFile.first);
    EXPECT_EQ(static_cast<LPARAM>(body.size()), lastFile.second);
    EXPECT_EQ(body.size(), lastTotal.first);
    EXPECT_EQ(static_cast<LPARAM>(body.size()), lastTotal.second);
    // The size was asked first, then the body fetched once.
    EXPECT_EQ(1, CountRequests(server, "HEAD"));
    EXPECT_EQ(1, CountRequests(server, "GET"));
    EXPECT_TRUE(
        run.HasText(kControlFileCount, FormatPelqText(L"IDS_FILECOUNT", L"big.bin", L"1", L"1")));
    EXPECT_FALSE(run.texts[kControlSpeed].empty());
    EXPECT_FALSE(run.texts[kControlElapsed].empty());
    // WinInet's own steps, with the details it gives as 8-bit text.
    EXPECT_TRUE(run.HasText(kControlStatus, FormatPelqText(L"IDS_STATUS_SENDING_REQUEST")));
    EXPECT_TRUE(run.HasText(kControlStatus, FormatPelqText(L"IDS_STATUS_RECEIVING")));
    EXPECT_TRUE(run.HasText(kControlStatus,
                            FormatPelqText(L"IDS_STATUS_CONNECTED_TO_SERVER", L"127.0.0.1")));
}

TEST_F(DownloadTest, AResumeAsksForTheRestAndA206Appends) {
    const std::string body = PatternBytes(20000, 2);
    WriteBytes(target_, body.substr(0, 7000));
    CTestHttpServer server([&](const HttpRequest& request) { return ServeRanges(request, body); });
    ASSERT_TRUE(server.Start());
    Queue(server.Url("/f.bin"), target_);

    RecordingDownload run;
    ASSERT_TRUE(run.Run(nullptr)) << Narrow(run.GetLastErrorText());
    EXPECT_EQ("bytes=7000-", RangeOfLastGet(server));
    EXPECT_TRUE(SameBytes(body, ReadBytes(target_)));
}

TEST_F(DownloadTest, A200AnswerToARangeRewritesFromTheStartAndLeavesNoOldTail) {
    const std::string body = PatternBytes(3000, 3);
    WriteBytes(target_, PatternBytes(9000, 99)); // an older, longer file
    CTestHttpServer server([&](const HttpRequest&) { return HttpResponse::Status(200, body); });
    ASSERT_TRUE(server.Start());
    Queue(server.Url("/f.bin"), target_);

    RecordingDownload run;
    ASSERT_TRUE(run.Run(nullptr)) << Narrow(run.GetLastErrorText());
    EXPECT_EQ("bytes=9000-", RangeOfLastGet(server));
    EXPECT_TRUE(SameBytes(body, ReadBytes(target_)));
}

TEST_F(DownloadTest, WithoutResumeAnOlderLongerFileIsReplacedWhole) {
    const std::string body = PatternBytes(3000, 4);
    WriteBytes(target_, PatternBytes(9000, 98));
    CTestHttpServer server([&](const HttpRequest&) { return HttpResponse::Status(200, body); });
    ASSERT_TRUE(server.Start());
    Queue(server.Url("/f.bin"), target_);
    ASSERT_EQ(1, SetDownloadOption(L"resume", L"false"));

    RecordingDownload run;
    ASSERT_TRUE(run.Run(nullptr)) << Narrow(run.GetLastErrorText());
    EXPECT_EQ("", RangeOfLastGet(server));
    EXPECT_TRUE(SameBytes(body, ReadBytes(target_)));
}

TEST_F(DownloadTest, A416ForACompleteLocalFileEndsAsDone) {
    const std::string body = PatternBytes(5000, 5);
    WriteBytes(target_, body);
    CTestHttpServer server([&](const HttpRequest& request) { return ServeRanges(request, body); });
    ASSERT_TRUE(server.Start());
    Queue(server.Url("/f.bin"), target_);

    RecordingDownload run;
    std::pair<WPARAM, LPARAM> lastFile{};
    run.onProgress = [&](UINT message, WPARAM done, LPARAM total) {
        if (message == DLM_FILE_PROGRESS)
            lastFile = {done, total};
    };
    ASSERT_TRUE(run.Run(nullptr)) << Narrow(run.GetLastErrorText());
    EXPECT_EQ(1, CountRequests(server, "GET"));
    EXPECT_TRUE(SameBytes(body, ReadBytes(target_)));
    EXPECT_EQ(1, g_downloader.queue[0]->done);
    EXPECT_EQ(body.size(), lastFile.first);
    EXPECT_EQ(static_cast<LPARAM>(body.size()), lastFile.second);
}

TEST_F(DownloadTest, A416WithAnotherTotalFetchesTheWholeFileAgain) {
    const std::string body = PatternBytes(3000, 6);
    WriteBytes(target_, PatternBytes(8000, 97)); // longer than the server's file
    CTestHttpServer server([&](const HttpRequest& request) { return ServeRanges(request, body); });
    ASSERT_TRUE(server.Start());
    Queue(server.Url("/f.bin"), target_);

    RecordingDownload run;
    ASSERT_TRUE(run.Run(nullptr)) << Narrow(run.GetLastErrorText());
    EXPECT_EQ(2, CountRequests(server, "GET"));
    EXPECT_EQ("", RangeOfLastGet(server));
    EXPECT_TRUE(SameBytes(body, ReadBytes(target_)));
}

TEST_F(DownloadTest, A206ThatDoesNotContinueTheFileIsFetchedWholeInstead) {
    const std::string body = PatternBytes(6000, 7);
    WriteBytes(target_, body.substr(0, 2000));
    CTestHttpServer server([&](const HttpRequest& request) {
        if (request.Header("Range").empty())
            return HttpResponse::Status(200, body);
        HttpResponse response = HttpResponse::Status(206, body.substr(1000));
        response.headers.emplace_back("Content-Range", "bytes 1000-5999/6000");
        return response;
    });
    ASSERT_TRUE(server.Start());
    Queue(server.Url("/f.bin"), target_);

    RecordingDownload run;
    ASSERT_TRUE(run.Run(nullptr)) << Narrow(run.GetLastErrorText());
    EXPECT_TRUE(SameBytes(body, ReadBytes(target_)));
}

TEST_F(DownloadTest, RedirectsAreFollowedAndShown) {
    const std::string body = PatternBytes(4000, 8);
    CTestHttpServer server([&](const HttpRequest& request) {
        if (request.target == "/a")
            return HttpResponse::Redirect(302, "http://127.0.0.1:" + std::to_string(server.Port()) +
                                                   "/b");
        if (request.target == "/b")
            return HttpResponse::Redirect(301, "http://127.0.0.1:" + std::to_string(server.Port()) +
                                                   "/file.bin");
        return HttpResponse::Status(200, body);
    });
    ASSERT_TRUE(server.Start());
    Queue(server.Url("/a"), target_);

    RecordingDownload run;
    ASSERT_TRUE(run.Run(nullptr)) << Narrow(run.GetLastErrorText());
    EXPECT_TRUE(SameBytes(body, ReadBytes(target_)));
    EXPECT_TRUE(run.HasText(kControlStatus,
                            FormatPelqText(L"IDS_STATUS_REDIRECT", Wide(server.Url("/b")))));
    EXPECT_TRUE(
        run.HasText(kControlFileCount, FormatPelqText(L"IDS_FILECOUNT", L"file.bin", L"1", L"1")));
}

TEST_F(DownloadTest, ARedirectLoopIsRefused) {
    CTestHttpServer server([&](const HttpRequest& request) {
        return HttpResponse::Redirect(302, server.Url(request.target == "/a" ? "/b" : "/a"));
    });
    ASSERT_TRUE(server.Start());
    Queue(server.Url("/a"), target_);

    RecordingDownload run;
    EXPECT_FALSE(run.Run(nullptr));
    EXPECT_EQ(FormatPelqText(L"IDS_ERROR_TOO_MANY_REDIRECTS", Wide(server.Url("/a")),
                             Wide(server.Url("/a"))),
              run.GetLastErrorText());
    EXPECT_EQ(2, CountRequests(server, "GET")); // /a, /b, then /a is recognised
}

TEST_F(DownloadTest, AnEndlessRedirectChainStopsAtTheLimit) {
    CTestHttpServer server([&](const HttpRequest& request) {
        const int step = std::stoi(request.target.substr(1));
        return HttpResponse::Redirect(301, server.Url("/" + std::to_string(step + 1)));
    });
    ASSERT_TRUE(server.Start());
    Queue(server.Url("/0"), target_);

    RecordingDownload run;
    EXPECT_FALSE(run.Run(nullptr));
    EXPECT_EQ(CDownload::kMaxRedirects + 1, CountRequests(server, "GET"));
    EXPECT_LE(CountRequests(server, "HEAD"), CDownload::kMaxRedirects + 1);
    EXPECT_EQ(0, g_downloader.queue[0]->done);
}

// Basic login "user" / "secret".
HttpResponse ServeWithLogin(const HttpRequest& request, const std::string& body, int status) {
    const std::string header = status == 401 ? "Authorization" : "Proxy-Authorization";
    if (request.Header(header) == "Basic dXNlcjpzZWNyZXQ=")
        return HttpResponse::Status(200, body);
    HttpResponse response = HttpResponse::Status(status, "denied");
    response.headers.emplace_back(status == 401 ? "WWW-Authenticate" : "Proxy-Authenticate",
                                  "Basic realm=\"updates\"");
    return response;
}

TEST_F(DownloadTest, ALoginIsAnsweredThroughThePrompt) {
    const std::string body = PatternBytes(2500, 9);
    CTestHttpServer server(
        [&](const HttpRequest& request) { return ServeWithLogin(request, body, 401); });
    ASSERT_TRUE(server.Start());
    Queue(server.Url("/protected.bin"), target_);

    RecordingDownload run;
    run.answerLogin = [](HINTERNET request) {
        return g_winInet.InternetSetOptionW(request, INTERNET_OPTION_USERNAME,
                                            const_cast<wchar_t*>(L"user"), 4) &&
               g_winInet.InternetSetOptionW(request, INTERNET_OPTION_PASSWORD,
                                            const_cast<wchar_t*>(L"secret"), 6);
    };
    ASSERT_TRUE(run.Run(nullptr)) << Narrow(run.GetLastErrorText());
    EXPECT_GE(run.loginPrompts, 1);
    EXPECT_TRUE(SameBytes(body, ReadBytes(target_)));
}

TEST_F(DownloadTest, ADeclinedLoginFailsTheRun) {
    for (int status : {401, 407}) {
        CTestHttpServer server(
            [&](const HttpRequest& request) { return ServeWithLogin(request, "x", status); });
        ASSERT_TRUE(server.Start());
        ClearDownloadFiles();
        Queue(server.Url("/protected.bin"), target_);

        RecordingDownload run;
        EXPECT_FALSE(run.Run(nullptr));
        EXPECT_GE(run.loginPrompts, 1) << status;
        EXPECT_EQ(FormatPelqText(L"IDS_ERROR_REQUESTFILE",
                                 InternetErrorText(ERROR_INTERNET_INCORRECT_PASSWORD)),
                  run.GetLastErrorText());
        EXPECT_EQ(1, run.failureNotices);
    }
}

// A body of 64 KiB sent in 1 KiB pieces 40 ms apart; the owner cancels once bytes arrived.
void RunAndCancel(RecordingDownload& run, const std::string& url, const std::wstring& target) {
    ASSERT_TRUE(AddDownloadFile(Wide(url), CString(target.c_str())));
    bool cancelled = false;
    run.onProgress = [&](UINT message, WPARAM done, LPARAM) {
        if (message == DLM_FILE_PROGRESS && done > 0 && !cancelled) {
            cancelled = true;
            run.Abort();
        }
    };
    EXPECT_FALSE(run.Run(nullptr));
    EXPECT_TRUE(run.IsAborted());
    EXPECT_EQ(0, run.failureNotices); // a cancel is no failure to report
}

HttpResponse SlowBody(const std::string& body) {
    HttpResponse response = HttpResponse::Status(200, body);
    response.chunkBytes = 1024;
    response.chunkDelayMs = 40;
    return response;
}

TEST_F(DownloadTest, ACancelKeepsThePartialFileWhenResuming) {
    const std::string body = PatternBytes(64 * 1024, 10);
    CTestHttpServer server([&](const HttpRequest&) { return SlowBody(body); });
    ASSERT_TRUE(server.Start());
    {
        RecordingDownload run;
        RunAndCancel(run, server.Url("/slow.bin"), target_);
    }
    const std::string kept = ReadBytes(target_);
    EXPECT_GT(kept.size(), 0u);
    EXPECT_LT(kept.size(), body.size());
    EXPECT_TRUE(SameBytes(body.substr(0, kept.size()), kept));
}

TEST_F(DownloadTest, ACancelDeletesThePartialFileWithoutResume) {
    const std::string body = PatternBytes(64 * 1024, 11);
    CTestHttpServer server([&](const HttpRequest&) { return SlowBody(body); });
    ASSERT_TRUE(server.Start());
    ASSERT_EQ(1, SetDownloadOption(L"RESUME", L"no"));
    {
        RecordingDownload run;
        RunAndCancel(run, server.Url("/slow.bin"), target_);
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(target_.c_str()));
    }
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(target_.c_str()));
}

TEST_F(DownloadTest, ASilentServerEndsInAFailureWithinTheTimeout) {
    g_downloader.timeoutMs = 1500;
    CTestHttpServer server([](const HttpRequest&) {
        HttpResponse response;
        response.silent = true;
        return response;
    });
    ASSERT_TRUE(server.Start());
    Queue(server.Url("/never"), target_);

    RecordingDownload run;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(run.Run(nullptr));
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - started)
            .count();
    EXPECT_LT(seconds, 60); // two bounded waits (size and body), not forever
    // Wine reports the timeout as an aborted connection.
    const CString error = run.GetLastErrorText();
    EXPECT_TRUE(
        error == FormatPelqText(L"IDS_ERROR_REQUEST", InternetErrorText(ERROR_INTERNET_TIMEOUT)) ||
        error == FormatPelqText(L"IDS_ERROR_REQUEST",
                                InternetErrorText(ERROR_INTERNET_CONNECTION_ABORTED)))
        << Narrow(error);
    EXPECT_EQ(0, g_downloader.queue[0]->done);
}

TEST_F(DownloadTest, ACutOffBodyFailsAndTheNextRunResumesIt) {
    const std::string body = PatternBytes(10000, 12);
    bool cut = true;
    CTestHttpServer server([&](const HttpRequest& request) {
        if (request.method == "GET" && cut) {
            HttpResponse response = HttpResponse::Status(200, body);
            response.cutAfter = 4000;
            return response;
        }
        return ServeRanges(request, body);
    });
    ASSERT_TRUE(server.Start());
    Queue(server.Url("/cut.bin"), target_);
    {
        RecordingDownload run;
        EXPECT_FALSE(run.Run(nullptr));
        const CString error = run.GetLastErrorText();
        EXPECT_TRUE(error == FormatPelqText(L"IDS_ERROR_INCOMPLETE", CString(target_.c_str()),
                                            L"4000", L"10000") ||
                    error.Find(FormatPelqText(L"IDS_ERROR_READ").Left(10)) == 0)
            << Narrow(error);
        EXPECT_TRUE(SameBytes(body.substr(0, 4000), ReadBytes(target_)));
    }
    cut = false;
    RecordingDownload again;
    ASSERT_TRUE(again.Run(nullptr));
    EXPECT_EQ("bytes=4000-", RangeOfLastGet(server));
    EXPECT_TRUE(SameBytes(body, ReadBytes(target_)));
}

TEST_F(DownloadTest, AFailureAnsweredWithRetryRunsAgain) {
    const std::string body = PatternBytes(1500, 13);
    int gets = 0;
    CTestHttpServer server([&](const HttpRequest& request) {
        if (request.method == "GET" && ++gets == 1)
            return HttpResponse::Status(500, "busy");
        return HttpResponse::Status(200, body);
    });
    ASSERT_TRUE(server.Start());
    Queue(server.Url("/f.bin"), target_);

    RecordingDownload run;
    std::vector<int> styles;
    run.answerFailure = [&](int style) {
        styles.push_back(style);
        return IDRETRY;
    };
    ASSERT_TRUE(run.Run(nullptr)) << Narrow(run.GetLastErrorText());
    EXPECT_EQ(std::vector<int>{MB_ICONERROR | MB_RETRYCANCEL}, styles);
    EXPECT_TRUE(SameBytes(body, ReadBytes(target_)));
}

TEST_F(DownloadTest, UnanswerableAddressesFailWithTheirTexts) {
    Queue("https://127.0.0.1:1/secure.bin", target_);
    {
        RecordingDownload run;
        EXPECT_FALSE(run.Run(nullptr));
        EXPECT_EQ(FormatPelqText(L"IDS_ERROR_PROTOCOL", L"https://127.0.0.1:1/secure.bin"),
                  run.GetLastErrorText());
    }
    CTestHttpServer server([](const HttpRequest&) { return HttpResponse::Status(404, "no"); });
    ASSERT_TRUE(server.Start());
    ClearDownloadFiles();
    Queue(server.Url("/missing.bin"), target_);
    RecordingDownload run;
    EXPECT_FALSE(run.Run(nullptr));
    EXPECT_EQ(FormatPelqText(L"IDS_ERROR_HTTPOPEN", Wide(server.Url("/missing.bin")), L"404"),
              run.GetLastErrorText());
}

TEST_F(DownloadTest, TwoFilesCountTowardsOneOverallSize) {
    const std::string first = PatternBytes(3000, 14);
    const std::string second = PatternBytes(5000, 15);
    CTestHttpServer server([&](const HttpRequest& request) {
        return HttpResponse::Status(200, request.target == "/1" ? first : second);
    });
    ASSERT_TRUE(server.Start());
    const std::wstring secondTarget = folder_ / L"second.bin";
    Queue(server.Url("/1"), target_);
    Queue(server.Url("/2"), secondTarget);

    RecordingDownload run;
    std::pair<WPARAM, LPARAM> lastTotal{};
    run.onProgress = [&](UINT message, WPARAM done, LPARAM total) {
        if (message == DLM_TOTAL_PROGRESS)
            lastTotal = {done, total};
    };
    ASSERT_TRUE(run.Run(nullptr)) << Narrow(run.GetLastErrorText());
    EXPECT_TRUE(SameBytes(first, ReadBytes(target_)));
    EXPECT_TRUE(SameBytes(second, ReadBytes(secondTarget)));
    EXPECT_EQ(8000u, lastTotal.first);
    EXPECT_EQ(8000, lastTotal.second);
    EXPECT_EQ(8000, GetOverallDownloadSize());
    EXPECT_TRUE(run.HasText(kControlFileCount, FormatPelqText(L"IDS_FILECOUNT", L"2", L"2", L"2")));
}

TEST_F(DownloadTest, AMissingEntryPointFailsBeforeAnyCall) {
    CTestHttpServer server([](const HttpRequest&) { return HttpResponse::Status(200, "x"); });
    ASSERT_TRUE(server.Start());
    Queue(server.Url("/f.bin"), target_);
    const auto openRequest = g_winInet.HttpOpenRequestW;
    const auto connectedState = g_winInet.InternetGetConnectedState;
    g_winInet.HttpOpenRequestW = nullptr;
    g_winInet.InternetGetConnectedState = nullptr;
    RecordingDownload run;
    const bool fetched = run.Run(nullptr);
    const bool connected = IsInternetConnected(); // the state cannot be asked: assumed
    g_winInet.HttpOpenRequestW = openRequest;
    g_winInet.InternetGetConnectedState = connectedState;
    EXPECT_FALSE(fetched);
    EXPECT_TRUE(connected);
    CString reason;
    FormatSystemError(reason, ERROR_PROC_NOT_FOUND, nullptr);
    EXPECT_EQ(FormatPelqText(L"IDS_ERROR_CONNECT", reason), run.GetLastErrorText());
    EXPECT_TRUE(server.Requests().empty());
}

TEST_F(DownloadTest, ADoneOrEmptyQueueReturnsAtOnce) {
    EXPECT_EQ(1, RunDownloadDialog(nullptr));
    Queue("http://127.0.0.1:1/never-asked", target_);
    g_downloader.queue[0]->done = 1;
    EXPECT_EQ(1, RunDownloadDialog(nullptr));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(target_.c_str()));
}

TEST(DownloadQueue, TextsThatDoNotFitTheirRecordAreRefused) {
    ClearDownloadFiles();
    const CString longUrl = L"http://127.0.0.1/" + CString(L'a', 482); // 499 characters
    EXPECT_TRUE(AddDownloadFile(longUrl, L"C:\\x"));
    EXPECT_FALSE(AddDownloadFile(longUrl + L"b", L"C:\\x"));
    EXPECT_FALSE(AddDownloadFile(L"http://127.0.0.1/", CString(L'p', 520)));
    ASSERT_EQ(1u, g_downloader.queue.size());
    EXPECT_EQ(longUrl, CString(g_downloader.queue[0]->url));
    EXPECT_EQ(0, g_downloader.queue[0]->size);
    EXPECT_EQ(0, g_downloader.queue[0]->done);
    EXPECT_EQ(-1, GetOverallDownloadSize()); // a size not known yet
    ClearDownloadFiles();
    EXPECT_TRUE(g_downloader.queue.empty());
}

TEST(DownloadQueue, OptionsAreSetByNameInAnyCase) {
    g_downloader.options = DownloadOptions{};
    EXPECT_TRUE(g_downloader.options.resume);
    EXPECT_FALSE(g_downloader.options.ftpSizeQuery);
    EXPECT_EQ(1, SetDownloadOption(L"Hidden", L"true"));
    EXPECT_FALSE(g_downloader.options.hidden); // only "1" hides
    EXPECT_EQ(1, SetDownloadOption(L"HIDDEN", L"1"));
    EXPECT_TRUE(g_downloader.options.hidden);
    EXPECT_EQ(1, SetDownloadOption(L"noftpsize", L"TRUE"));
    EXPECT_FALSE(g_downloader.options.ftpSizeQuery);
    EXPECT_EQ(1, SetDownloadOption(L"noftpsize", L"false"));
    EXPECT_TRUE(g_downloader.options.ftpSizeQuery);
    EXPECT_EQ(1, SetDownloadOption(L"Resume", L"1"));
    EXPECT_FALSE(g_downloader.options.resume); // only "true" resumes
    EXPECT_EQ(1, SetDownloadOption(L"title", L"Updates"));
    EXPECT_EQ(CString(L"Updates"), g_downloader.options.title);
    EXPECT_EQ(1, SetDownloadOption(L"simple", L""));
    EXPECT_EQ(0, SetDownloadOption(L"colour", L"red"));
    g_downloader.options = DownloadOptions{};
}

TEST(DownloadTexts, PlaceholdersAreFilledInOnePass) {
    EXPECT_EQ(CString(L"a%2b (file 2 of 3)"),
              FormatPelqText(L"IDS_FILECOUNT", L"a%2b", L"2", L"3"));
    CString text;
    FormatSystemError(text, ERROR_FILE_NOT_FOUND, L"kernel32.dll");
    EXPECT_FALSE(text.IsEmpty());
    FormatSystemError(text, 0x7FFF0001, nullptr);
    EXPECT_EQ(CString(L"Error 2147418113."), text);
}

} // namespace
