// The HTML report of an analysis ("scanreport.html") or a defragmentation
// ("defragreport.html"), written into the "DefragReport" folder and opened in the browser.
#pragma once

#include "DefragRpcClient.h"
#include "FragmentationFigures.h"

#include <classlib/String.h>

#include <functional>
#include <optional>
#include <string>

struct HtmlReportTexts {
    CString title;       // "IDS_SCAN_REPORT" or "IDS_DEFRG_REPORT"
    CString heading;     // "IDS_SCAN_SUMMARY_REPORT" or "IDS_DEFRG_SUMMARY_REPORT"
    CString timeLabel;   // "IDS_SCAN_TIME" or "IDS_LASTDEFRG_TIME"
    CString companyName; // the footer's
};

struct HtmlReportContent {
    bool defragmentation = false;
    bool listFailedFiles = false;
    FragmentationFigures figures;
    // The fragmented-file count at the end of a defragmentation's first pass.
    uint64_t firstPassFragmentedFiles = 0;
    // When the job began, if before the pass `results` describes (a defragmentation's first
    // pass): the report's start and elapsed time cover the whole job.
    std::optional<SYSTEMTIME> jobStart;
    const RunResults* results = nullptr;
    HtmlReportTexts texts;
};

// Text with "&", "<", ">", '"' and "'" replaced by their references (also fit for attributes).
CString EscapeHtml(const wchar_t* text);

// The reason shown for a file report's status.
const wchar_t* ReportReasonText(uint32_t status);

// "%Y-%m-%d  %H:%M:%S" of a local time; empty for a year before 1900 or an invalid time.
CString ReportTimeText(const SYSTEMTIME& time);

// The whole document (well-formed XHTML) as UTF-8 bytes; empty without results.
std::string BuildHtmlReport(const HtmlReportContent& content);

enum class ReportOutcome {
    kOpened,       // written and handed to the browser
    kWritten,      // written, not yet handed to the browser
    kBusy,         // a report is being written already
    kNoResults,    // the service gave no usable statistics: nothing written
    kWriteFailed,  // the file could not be written: nothing opened
    kBrowserFailed // written, but the browser did not start
};

// Starts the browser on a written report; true when it started. Tests replace it.
using ReportBrowser = std::function<bool(const CString& reportPath)>;
void SetReportBrowser(ReportBrowser browser);
// iexplore.exe in the Program Files folder with the report, or the report itself, through
// the shell with `owner` as owner.
bool OpenReportInBrowser(HWND owner, const CString& reportPath);

// The report's path under the program's common data folder.
CString ReportFilePath(const CString& commonDataFolder, bool defragmentation);

// One report at a time in the process: false while another is being written (the caller then
// does nothing); a true answer is ended by EndReportWriting.
[[nodiscard]] bool BeginReportWriting();
void EndReportWriting();

// Writes the report (replacing an older one only once the new text is complete on disk) into
// `path` without opening it: kWritten, kNoResults or kWriteFailed. Safe on any thread.
ReportOutcome WriteHtmlReportFile(const CString& commonDataFolder, const HtmlReportContent& content,
                                  CString& path);
// Hands a written report to the browser (or the tests' seam): kOpened or kBrowserFailed.
ReportOutcome OpenWrittenReport(HWND owner, const CString& path);

// All three in one: writes the report and opens it; kBusy while another is being written.
ReportOutcome WriteHtmlReport(const CString& commonDataFolder, const HtmlReportContent& content);
