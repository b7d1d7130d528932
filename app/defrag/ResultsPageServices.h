// What the results pages and the one-click summary ask of the main window, the service and the
// progress page; the main window gives the real ones, tests their own.
#pragma once

#include <windows.h>

#include <classlib/String.h>

#include "DefragRpcClient.h"
#include "FragmentationFigures.h"
#include "HtmlReport.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

// The defragmentation panel's seven navigation buttons, first to last.
using NavigationPattern = std::array<BOOL, 7>;

// What a report is written from: the figures a results page shows and the results of the pass
// it describes.
struct ReportRequest {
    bool defragmentation = false;
    bool listFailedFiles = false;
    FragmentationFigures figures;
    std::shared_ptr<const RunResults> results;
    // A defragmentation's first pass: its fragmented-file count and its start.
    uint64_t firstPassFragmentedFiles = 0;
    std::optional<SYSTEMTIME> firstPassStart;
};

class ResultsPageServices {
public:
    virtual ~ResultsPageServices() = default;

    // The drive of the current or last job.
    virtual wchar_t CurrentDrive() = 0;
    // What the service holds of the last run; the real one asks the service. Called on a
    // worker thread: it asks `cancelled` between records.
    virtual void ReadServiceResults(RunResults& results,
                                    const std::function<bool()>& cancelled) = 0;

    // The last-scan values: the main window keeps the text and writes it under
    // "LastScanStatus" (value names of LastScanValues.h); the home page's summary follows.
    virtual void SaveLastScanText(const wchar_t* valueName, const CString& text) = 0;
    // The date is the current time; answers its text.
    virtual CString SaveLastScanDate() = 0;

    // Re-enables the main window's close controls, its tab buttons and the defragmentation
    // panel's action buttons, and sets that panel's navigation buttons.
    virtual void UnlockMainWindow(const NavigationPattern& navigation) = 0;

    // Command 5 (release the results) for the drive; true when the service accepted it.
    [[nodiscard]] virtual bool SendReleaseCommand(wchar_t drive) = 0;
    // Opens the service and makes sure it runs; false when it cannot be opened or started.
    [[nodiscard]] virtual bool MakeServiceReady() = 0;
    // Configures the service "XarnStellmark" to start on demand (after a refused command).
    virtual void ConfigureService() = 0;
    // Selects the drive on the home page and shows that page.
    virtual void ShowHomePage(wchar_t drive) = 0;
    // Clears the progress page's stop flag, starts a defragmentation of the drive there and
    // shows it; non-zero when the job was sent.
    virtual int StartDefragmentation(wchar_t drive, const CString& driveText) = 0;

    // Writes the analysis or defragmentation report and opens it; the main window writes it on
    // a thread of its own and tells the user of a failure.
    virtual void WriteReport(const ReportRequest& request) = 0;
};
