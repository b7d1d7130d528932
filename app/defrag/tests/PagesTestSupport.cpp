#include "PagesTestSupport.h"

#include "LastScanValues.h"

#include <AppLocations.h>
#include <IniReader.h>
#include <UiFonts.h>
#include <VantorixApp.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <memory>

namespace {

void RecordMissingText(const CString& message) {
    MissingTexts().emplace_back(message.GetString());
}

// The program's application object as far as the pages use it: its language file and section.
class PagesEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        app_ = std::make_unique<CVantorixApp>(L"XarnPagesTest", L"Stellmark.ini");
        app_->SetLangSection(L"DiskDefrag");
        SetLangTextFailureReporter(&RecordMissingText);
        SetUIFontFace(false, L"Tahoma");
        SetUIFontHeight(-12);
        CreateSharedFonts();
    }
    void TearDown() override {
        SetLangTextFailureReporter(nullptr);
        // The settings the pages wrote under the test's own application key.
        ::RegDeleteTreeW(HKEY_CURRENT_USER, GetAppRegistryKey());
        app_.reset();
    }

private:
    std::unique_ptr<CVantorixApp> app_;
};

const auto* const g_pages = ::testing::AddGlobalTestEnvironment(new PagesEnvironment);

SYSTEMTIME Moment(WORD hour, WORD minute, WORD second) {
    SYSTEMTIME time{};
    time.wYear = 2026;
    time.wMonth = 12;
    time.wDay = 9;
    time.wHour = hour;
    time.wMinute = minute;
    time.wSecond = second;
    return time;
}

CRect WindowSize(HWND window) {
    CRect rect;
    ::GetWindowRect(window, &rect);
    return CRect(0, 0, rect.Width(), rect.Height());
}

} // namespace

std::vector<std::wstring>& MissingTexts() {
    static std::vector<std::wstring> missing;
    return missing;
}

FakeResultsServices::FakeResultsServices() {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    reportFolder = std::wstring(temp) + L"xarn-pages-test";
    ::CreateDirectoryW(reportFolder.c_str(), nullptr);
    SetReportBrowser([this](const CString& path) {
        browserOpened.emplace_back(path.GetString());
        return true;
    });
}

FakeResultsServices::~FakeResultsServices() {
    SetReportBrowser(nullptr);
}

namespace {

void FillScriptedRun(const ScriptedRun& run, wchar_t drive, RunResults& results) {
    DefragStatistics& statistics = *results.statistics;
    statistics = {};
    statistics.startTime = Moment(10, 0, 0);
    statistics.endTime = Moment(10, 4, 30);
    statistics.totalClusters = run.totalClusters;
    statistics.usedClusters = run.usedClusters;
    statistics.freeClusters = run.totalClusters - run.usedClusters;
    statistics.files = run.files;
    statistics.directories = run.files / 10;
    statistics.fragmentedFiles = run.fragmentedFiles;
    statistics.filesMadeContiguous = run.filesMadeContiguous;
    statistics.largestFreeRun = run.largestFreeRun;
    statistics.sectorsPerCluster = 8;
    statistics.bytesPerSector = 512;
    statistics.drive = drive;
    wcscpy(statistics.fileSystemName, L"NTFS");
    results.statisticsRead = run.statisticsRead;
    results.reports.clear();
    for (const ScriptedRun::File& file : run.reports) {
        ReportEntry entry;
        entry.path = file.path;
        entry.fragmentsBefore = file.before;
        entry.fragmentsAfter = file.after;
        entry.allocatedClusters = file.clusters;
        entry.totalClusters = file.clusters;
        entry.fileSize = file.clusters * 4096;
        entry.status = file.status;
        results.reports.push_back(entry);
    }
    results.reportsComplete = true;
}

} // namespace

std::shared_ptr<const RunResults> FakeResultsServices::NextRun() {
    auto results = std::make_shared<RunResults>();
    if (runsFetched < runs.size())
        FillScriptedRun(runs[runsFetched++], drive, *results);
    return results;
}

void FakeResultsServices::ReadServiceResults(RunResults& results,
                                             const std::function<bool()>& /*cancelled*/) {
    ++serviceReads;
    if (runsFetched < runs.size())
        FillScriptedRun(runs[runsFetched++], drive, results);
}

void FakeResultsServices::SaveLastScanText(const wchar_t* valueName, const CString& text) {
    saved[valueName] = text.GetString();
}

CString FakeResultsServices::SaveLastScanDate() {
    ++dateSaves;
    const CString date = L"Wed. December 09, 2026. 10:04 AM";
    saved[kLastScanDate] = date.GetString();
    return date;
}

void FakeResultsServices::UnlockMainWindow(const NavigationPattern& pattern) {
    ++unlocks;
    navigation = pattern;
}

bool FakeResultsServices::SendReleaseCommand(wchar_t releaseDrive) {
    releases.push_back(releaseDrive);
    return true;
}

int FakeResultsServices::StartDefragmentation(wchar_t startDrive, const CString& driveText) {
    defragDrive = startDrive;
    defragDriveText = driveText;
    return 1;
}

void FakeResultsServices::WriteReport(const ReportRequest& request) {
    reportDefragmentation = request.defragmentation;
    reportListsFiles = request.listFailedFiles;
    reportFigures = request.figures;
    reportRequest = request;
    HtmlReportContent content;
    content.defragmentation = request.defragmentation;
    content.listFailedFiles = request.listFailedFiles;
    content.figures = request.figures;
    content.firstPassFragmentedFiles = request.firstPassFragmentedFiles;
    content.jobStart = request.firstPassStart;
    content.results = request.results.get();
    content.texts = {L"Report", L"Summary report", L"Scanned at: ", L"Halvenor"};
    reportOutcome = ::WriteHtmlReport(reportFolder.c_str(), content);
}

WindowPixels::WindowPixels(HWND window)
    : canvas_(WindowSize(window).Width(), WindowSize(window).Height()) {
    CRect rect;
    ::GetWindowRect(window, &rect);
    const HDC screen = ::GetDC(nullptr);
    ::BitBlt(canvas_.Handle(), 0, 0, rect.Width(), rect.Height(), screen, rect.left, rect.top,
             SRCCOPY);
    ::ReleaseDC(nullptr, screen);
}

bool PhotographWindow(HWND window, const wchar_t* fileName) {
    ::RedrawWindow(window, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpFor(200);
    CRect rect;
    ::GetWindowRect(window, &rect);
    return SaveScreenPng(rect, BesideProgram(fileName).c_str());
}
