// The reports' text, their file and the browser seam. With XARN_REPORT_DIR set, the reports
// built here are also kept there for the XML check outside Wine.
#include "HtmlReport.h"

#include <owners/WinOwners.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

SYSTEMTIME Time(WORD hour, WORD minute, WORD second) {
    SYSTEMTIME time{};
    time.wYear = 2026;
    time.wMonth = 12;
    time.wDay = 9;
    time.wHour = hour;
    time.wMinute = minute;
    time.wSecond = second;
    return time;
}

ReportEntry Entry(const wchar_t* path, uint32_t status) {
    ReportEntry entry;
    entry.path = path;
    entry.fragmentsBefore = 3;
    entry.fragmentsAfter = status == kReportContiguous ? 1 : 3;
    entry.allocatedClusters = 10;
    entry.status = status;
    return entry;
}

RunResults SampleResults() {
    RunResults results;
    results.statisticsRead = true;
    DefragStatistics& s = *results.statistics;
    s.startTime = Time(10, 0, 0);
    s.endTime = Time(11, 2, 3);
    s.files = 1234;
    s.directories = 56;
    s.fragmentedFiles = 3;
    s.filesMadeContiguous = 1;
    s.totalClusters = 262'144;
    s.usedClusters = 100'000;
    s.freeClusters = 162'144;
    s.sectorsPerCluster = 8;
    s.bytesPerSector = 512;
    s.largestFreeRun = 1000;
    s.drive = L'T';
    wcscpy(s.fileSystemName, L"NTFS");
    results.reports = {
        Entry(L"T:\\Tom & Jerry <1>.avi", kReportMoveFailed),
        Entry(L"T:\\ok.txt", kReportContiguous),
        Entry(L"T:\\\"quoted\" & 'apos'.doc", kReportOpenFailed),
        Entry(L"T:\\third.bin", kReportFragmented), // beyond the limit of 3 - 1
    };
    results.reportsComplete = true;
    return results;
}

HtmlReportContent Content(const RunResults& results, bool defragmentation) {
    HtmlReportContent content;
    content.defragmentation = defragmentation;
    content.listFailedFiles = defragmentation;
    content.figures = {12.345, 30.5, 0.5, 1.25};
    content.firstPassFragmentedFiles = 7;
    content.results = &results;
    content.texts = {L"Scan & Report", L"Summary <1>", L"Time: ", L"Halvenor & Sons"};
    return content;
}

void Keep(const std::string& report, const char* name) {
    const char* folder = std::getenv("XARN_REPORT_DIR");
    if (!folder || !*folder)
        return;
    std::ofstream out(std::string(folder) + "\\" + name, std::ios::binary);
    out << report;
}

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

TEST(HtmlReport, EscapesEveryInsertedText) {
    EXPECT_STREQ(L"a &amp; b &lt;c&gt; &quot;d&quot; &apos;e&apos;",
                 EscapeHtml(L"a & b <c> \"d\" 'e'").GetString());
    const RunResults results = SampleResults();
    const std::string report = BuildHtmlReport(Content(results, true));
    Keep(report, "defragreport.html");
    EXPECT_NE(std::string::npos, report.find("Tom &amp; Jerry &lt;1&gt;.avi"));
    EXPECT_NE(std::string::npos, report.find("&quot;quoted&quot; &amp; &apos;apos&apos;.doc"));
    EXPECT_NE(std::string::npos, report.find("<title>Scan &amp; Report</title>"));
    EXPECT_NE(std::string::npos, report.find("&#169; Halvenor &amp; Sons"));
    EXPECT_EQ(std::string::npos, report.find("Tom & Jerry"));
}

TEST(HtmlReport, DefragmentationListsFailedFilesUpToTheLimit) {
    const RunResults results = SampleResults();
    const std::string report = BuildHtmlReport(Content(results, true));
    EXPECT_EQ(1u, Count(report, "List of files which could not be defragmented"));
    EXPECT_NE(std::string::npos, report.find("Can't Move Data"));
    EXPECT_NE(std::string::npos, report.find("Locked"));
    EXPECT_EQ(std::string::npos, report.find("third.bin")) << "limit is fragmented - contiguous";
    EXPECT_EQ(std::string::npos, report.find("ok.txt"));
    // The list's rows start plain; the second carries the colour.
    const size_t first = report.find("Tom &amp;");
    const size_t second = report.find("quoted");
    const size_t colourBetween = report.find("<tr class=\"RowAlternetColor\"><td class=\"foot "
                                             "ColRighBorder\">&quot;quoted",
                                             first);
    EXPECT_NE(std::string::npos, colourBetween);
    EXPECT_LT(first, second);
    EXPECT_NE(std::string::npos, report.find("Fragmented File Count:</td><td class=\"foot\">7*"));
    EXPECT_NE(std::string::npos, report.find("12.35%"));
    EXPECT_NE(std::string::npos, report.find("Disk Fragmentation After"));
    EXPECT_NE(std::string::npos, report.find("Elapsed time:</td><td class=\"foot\">01:02:03"));
    EXPECT_NE(std::string::npos, report.find("2026-12-09  10:00:00"));
    EXPECT_NE(std::string::npos, report.find("<h2>Volume: T, NTFS</h2>"));
    EXPECT_NE(std::string::npos, report.find("Disk Size:</td><td class=\"foot\">1.0 GB"));
}

TEST(HtmlReport, NoListWhenEverythingWasMadeContiguous) {
    RunResults results = SampleResults();
    results.statistics->filesMadeContiguous = 3;
    const std::string report = BuildHtmlReport(Content(results, true));
    EXPECT_EQ(std::string::npos, report.find("List of files"));
    EXPECT_NE(std::string::npos, report.find("* Might differ from the count in last scan"));
    Keep(report, "defragreport-nolist.html");
}

TEST(HtmlReport, AnalysisNeverListsFiles) {
    const RunResults results = SampleResults();
    const std::string report = BuildHtmlReport(Content(results, false));
    Keep(report, "scanreport.html");
    EXPECT_EQ(std::string::npos, report.find("List of files"));
    EXPECT_NE(std::string::npos, report.find("Fragmented File Count:</td><td class=\"foot\">3*"));
    EXPECT_NE(std::string::npos, report.find("Data Fragmentation</strong></strong>:"));
    // The information table starts with the coloured row.
    EXPECT_NE(std::string::npos,
              report.find("<tr class=\"RowAlternetColor\"><td class=\"foot ColRighBorder\" "
                          "width=\"300\">Disk Size:"));
}

TEST(HtmlReport, TimesBefore1900AreEmpty) {
    SYSTEMTIME old = Time(1, 2, 3);
    old.wYear = 1899;
    EXPECT_TRUE(ReportTimeText(old).IsEmpty());
    SYSTEMTIME invalid = Time(1, 2, 3);
    invalid.wMonth = 13;
    EXPECT_TRUE(ReportTimeText(invalid).IsEmpty());
    EXPECT_STREQ(L"Unknown", ReportReasonText(7));
    EXPECT_STREQ(L"Safe File", ReportReasonText(6));
}

class ReportFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        ASSERT_NE(0u, GetTempPathW(MAX_PATH, temp));
        // Two runs of this program may share the prefix (the XML check runs it again).
        folder_.Format(L"%sxarn-report-test-%lu", temp, GetCurrentProcessId());
        CreateDirectoryW(folder_, nullptr);
        opened_.clear();
        SetReportBrowser([this](const CString& path) {
            opened_.push_back(path);
            return true;
        });
    }
    void TearDown() override {
        SetReportBrowser(nullptr);
        DeleteFileW(ReportFilePath(folder_, true));
        DeleteFileW(ReportFilePath(folder_, false));
        RemoveDirectoryW(folder_ + L"\\DefragReport");
        RemoveDirectoryW(folder_);
    }
    std::string ReadReport(bool defragmentation) {
        const KernelHandle file(CreateFileW(ReportFilePath(folder_, defragmentation), GENERIC_READ,
                                            FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        std::string bytes;
        if (!file)
            return bytes;
        char buffer[4096];
        DWORD read = 0;
        while (ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
            bytes.append(buffer, read);
        return bytes;
    }
    CString folder_;
    std::vector<CString> opened_;
};

TEST_F(ReportFileTest, WrittenAsUtf8AndOpened) {
    RunResults results = SampleResults();
    results.reports[0].path = L"T:\\Caf\u00e9 & co.txt";
    EXPECT_EQ(ReportOutcome::kOpened, WriteHtmlReport(folder_, Content(results, true)));
    ASSERT_EQ(1u, opened_.size());
    EXPECT_STREQ(ReportFilePath(folder_, true).GetString(), opened_[0].GetString());
    const std::string report = ReadReport(true);
    EXPECT_EQ(0u, report.find("<!DOCTYPE html")) << "no byte-order mark";
    EXPECT_NE(std::string::npos, report.find("Caf\xc3\xa9 &amp; co.txt"));
}

TEST_F(ReportFileTest, UnwritableReportIsReportedAndNotOpened) {
    RunResults results = SampleResults();
    ASSERT_EQ(ReportOutcome::kOpened, WriteHtmlReport(folder_, Content(results, true)));
    const std::string previous = ReadReport(true);
    opened_.clear();
    // The previous run's file is held open without sharing: it cannot be replaced.
    KernelHandle held(CreateFileW(ReportFilePath(folder_, true), GENERIC_READ, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    results.statistics->files = 999'999;
    const ReportOutcome outcome = WriteHtmlReport(folder_, Content(results, true));
    held.Reset();
    EXPECT_EQ(ReportOutcome::kWriteFailed, outcome);
    EXPECT_TRUE(opened_.empty());
    EXPECT_EQ(previous, ReadReport(true));
}

TEST_F(ReportFileTest, UnusableStatisticsWriteNothing) {
    RunResults results = SampleResults();
    results.statistics->totalClusters = 0;
    EXPECT_EQ(ReportOutcome::kNoResults, WriteHtmlReport(folder_, Content(results, false)));
    results = SampleResults();
    results.statisticsRead = false;
    EXPECT_EQ(ReportOutcome::kNoResults, WriteHtmlReport(folder_, Content(results, false)));
    EXPECT_TRUE(opened_.empty());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(ReportFilePath(folder_, false)));
}

TEST_F(ReportFileTest, SecondRequestWhileWritingDoesNothing) {
    const RunResults results = SampleResults();
    ReportOutcome nested = ReportOutcome::kOpened;
    SetReportBrowser([&](const CString&) {
        nested = WriteHtmlReport(folder_, Content(results, false));
        return true;
    });
    EXPECT_EQ(ReportOutcome::kOpened, WriteHtmlReport(folder_, Content(results, true)));
    EXPECT_EQ(ReportOutcome::kBusy, nested);
}

} // namespace
