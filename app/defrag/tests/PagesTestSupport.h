// What the page tests share: the application object with the program's language file (a text
// looked up but missing fails the test), the pages' services as tests give them, and pictures
// and pixels of what a window shows.
#pragma once

#include <windows.h>

#include "ResultsPageServices.h"

#include <UiTestSupport.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

// Every language key looked up that the files do not hold, in the order met.
std::vector<std::wstring>& MissingTexts();

// A statistics block of a finished run and its file reports.
struct ScriptedRun {
    bool statisticsRead = true;
    uint64_t totalClusters = 0;
    uint64_t usedClusters = 0;
    uint64_t files = 0;
    uint64_t fragmentedFiles = 0;
    uint64_t filesMadeContiguous = 0;
    uint64_t largestFreeRun = 0;
    struct File {
        const wchar_t* path;
        uint32_t before;
        uint32_t after;
        uint64_t clusters;
        uint32_t status;
    };
    std::vector<File> reports;
};

// The results pages' services: runs handed out in order, calls recorded; reports are written
// by the real writer into a folder of the test and opened through the browser seam.
class FakeResultsServices : public ResultsPageServices {
public:
    FakeResultsServices();
    ~FakeResultsServices() override;

    // The next scripted run as the progress page hands it to a results page.
    std::shared_ptr<const RunResults> NextRun();

    wchar_t CurrentDrive() override { return drive; }
    void ReadServiceResults(RunResults& results, const std::function<bool()>& cancelled) override;
    void SaveLastScanText(const wchar_t* valueName, const CString& text) override;
    CString SaveLastScanDate() override;
    void UnlockMainWindow(const NavigationPattern& navigation) override;
    bool SendReleaseCommand(wchar_t releaseDrive) override;
    bool MakeServiceReady() override {
        ++readyChecks;
        return serviceReady;
    }
    void ConfigureService() override { ++configureCalls; }
    void ShowHomePage(wchar_t homeDrive) override { homePageDrive = homeDrive; }
    int StartDefragmentation(wchar_t defragDrive, const CString& driveText) override;
    // Writes the request's report with the real writer, there and then.
    void WriteReport(const ReportRequest& request) override;

    wchar_t drive = L'C';
    std::vector<ScriptedRun> runs;
    size_t runsFetched = 0;
    std::map<std::wstring, std::wstring> saved;
    int dateSaves = 0;
    int serviceReads = 0;
    int unlocks = 0;
    NavigationPattern navigation{};
    std::vector<wchar_t> releases;
    bool serviceReady = true;
    int readyChecks = 0;
    int configureCalls = 0;
    wchar_t homePageDrive = 0;
    wchar_t defragDrive = 0;
    CString defragDriveText;
    bool reportDefragmentation = false;
    bool reportListsFiles = false;
    FragmentationFigures reportFigures;
    ReportRequest reportRequest;
    ReportOutcome reportOutcome = ReportOutcome::kNoResults;
    std::vector<std::wstring> browserOpened;
    std::wstring reportFolder;
};

// The window's pixels as the screen shows them.
class WindowPixels {
public:
    explicit WindowPixels(HWND window);
    // Pixels of the rectangle (window coordinates) within 40 of the colour in each channel.
    int CountNear(COLORREF colour, const RECT& area) const {
        return canvas_.CountNear(colour, area);
    }
    COLORREF At(int x, int y) const { return canvas_.Pixel(x, y); }

private:
    Canvas canvas_;
};

// Paints the window and what it holds now, then a picture of it beside the test program.
bool PhotographWindow(HWND window, const wchar_t* fileName);
