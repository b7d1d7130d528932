// The downloader over FTP against a local server: a passive binary transfer that replaces an
// older file whole, and a refused login that asks the owner for another.
#include "TestFtpServer.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "DownloadQueue.h"
#include "DownloadTexts.h"
#include "ServicesTestSupport.h"
#include "TestSupport.h"

namespace {

class FtpDownloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearDownloadFiles();
        g_downloader.options = DownloadOptions{};
        g_downloader.timeoutMs = 5000;
        server_.AddFile("/pub/data.bin", body_);
        ASSERT_TRUE(server_.Start());
    }
    void TearDown() override { ClearDownloadFiles(); }

    bool Received(const std::string& command) const {
        const std::vector<std::string> commands = server_.Commands();
        return std::find(commands.begin(), commands.end(), command) != commands.end();
    }
    std::string UrlWithLogin(const std::string& login) const {
        return "ftp://" + login + "@" + server_.Host() + "/pub/data.bin";
    }

    const std::string body_ = PatternBytes(50000, 21);
    CTestFtpServer server_{"tester", "pw"};
    TempFolder folder_;
    std::wstring target_ = folder_ / L"data.bin";
};

TEST_F(FtpDownloadTest, AFileArrivesWholeAndReplacesAnOlderOne) {
    WriteBytes(target_, PatternBytes(80000, 22));
    ASSERT_TRUE(AddDownloadFile(Wide(UrlWithLogin("tester:pw")), target_.c_str()));
    RecordingDownload run;
    ASSERT_TRUE(run.Run(nullptr)) << Narrow(run.GetLastErrorText());
    EXPECT_TRUE(SameBytes(body_, ReadBytes(target_)));
    EXPECT_TRUE(Received("PASV"));
    EXPECT_TRUE(Received("RETR /pub/data.bin"));
    EXPECT_EQ(0, run.loginPrompts);
}

TEST_F(FtpDownloadTest, ARefusedLoginAsksTheOwnerForAnother) {
    ASSERT_TRUE(AddDownloadFile(Wide(UrlWithLogin("guest:wrong")), target_.c_str()));
    RecordingDownload run;
    run.answerServerLogin = [](DownloadLogin& login) {
        login.user = L"tester";
        login.password = L"pw";
        return true;
    };
    ASSERT_TRUE(run.Run(nullptr)) << Narrow(run.GetLastErrorText());
    EXPECT_EQ(1, run.loginPrompts);
    EXPECT_TRUE(Received("USER guest"));
    EXPECT_TRUE(Received("USER tester"));
    EXPECT_TRUE(SameBytes(body_, ReadBytes(target_)));
}

TEST_F(FtpDownloadTest, ARefusedLoginWithoutAnotherFails) {
    ASSERT_TRUE(AddDownloadFile(Wide(UrlWithLogin("guest:wrong")), target_.c_str()));
    RecordingDownload run;
    EXPECT_FALSE(run.Run(nullptr));
    EXPECT_EQ(1, run.loginPrompts);
    EXPECT_EQ(0, run.GetLastErrorText().Find(
                     FormatPelqText(L"IDS_ERROR_CONNECT_SERVER", L"127.0.0.1", L"")))
        << Narrow(run.GetLastErrorText());
    EXPECT_FALSE(Received("RETR /pub/data.bin"));
}

} // namespace
