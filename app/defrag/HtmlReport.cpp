#include "HtmlReport.h"

#include "MainUtilities.h"
#include "Paths.h"
#include "ShellCommands.h"
#include "XmlDoc.h"

#include <owners/WinOwners.h>
#include <shlobj.h>

#include <atomic>
#include <cstdio>
#include <ctime>
#include <utility>

namespace {

std::atomic<bool> g_reportBeingWritten{false};
ReportBrowser g_reportBrowser;

constexpr wchar_t kHead[] =
    L"<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
    L"\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">\r\n"
    L"<html xmlns=\"http://www.w3.org/1999/xhtml\">\r\n<head>\r\n"
    L"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" />\r\n"
    L"<title>%s</title>\r\n<style type=\"text/css\">\r\n"
    L".foot{font-family:Tahoma;font-size:12px;color:#000000;}\r\n"
    L".RowAlternetColor{background-color:#f7f7f7;}\r\n"
    L".ColRighBorder{border-right:1px solid #eaeaea;}\r\n"
    L".whitetxt{font-family:Tahoma;font-size:11px;color:#ffffff;text-align:center;}\r\n"
    L".pageHeading{font-family:Tahoma;font-size:15px;color:#ffffff;font-weight:bold;}\r\n"
    L".smallHeading{font-family:Tahoma;font-size:13px;font-weight:bold;}\r\n"
    L".BlueSmallTxt{font-family:Tahoma;font-size:11px;color:#1b5da9;}\r\n"
    L".tablegreyborder{border:1px solid #bababa;}\r\n"
    L".note{font-family:Tahoma;font-size:12px;}\r\n"
    L"h2{font-family:Tahoma;font-size:14px;}\r\n"
    L"</style>\r\n</head>\r\n<body style=\"margin-top:20px\">\r\n"
    L"<table width=\"787\" border=\"0\" cellspacing=\"0\" cellpadding=\"0\" align=\"center\">\r\n"
    L"<tr><td colspan=\"3\"><table width=\"787\" border=\"0\" cellspacing=\"0\" "
    L"cellpadding=\"0\"><tr style=\"height:70px\">\r\n"
    L"<td width=\"320\" background=\"Report_header_top_middle.jpg\">"
    L"<img src=\"Report_header_left_image.jpg\" width=\"82\" height=\"70\" alt=\"\" />"
    L"<img src=\"Report_header_leftText.jpg\" width=\"238\" height=\"70\" alt=\"\" /></td>\r\n"
    L"<td width=\"311\" background=\"Report_header_top_middle.jpg\" "
    L"style=\"color:#ffffff;font-family:Tahoma;font-size:15px\">%s</td>\r\n"
    L"<td align=\"right\"><img src=\"Report_header_top_right.jpg\" width=\"156\" height=\"70\" "
    L"alt=\"\" /></td>\r\n</tr></table></td></tr>\r\n"
    L"<tr><td width=\"6\" background=\"left_border.jpg\" "
    L"style=\"background-repeat:repeat-y\">&#160;</td>\r\n"
    L"<td width=\"775\"><div style=\"width:715px;margin-top:10px;margin-left:30px\">"
    L"<div id=\"innerpage\">\r\n";

constexpr wchar_t kRule[] = L"<div style=\"background-image:url(line3px_Blue.jpg);"
                            L"background-repeat:repeat-x;width:100%%;height:3px;"
                            L"margin-top:%dpx;margin-bottom:20px\"></div>\r\n";

constexpr wchar_t kTableStart[] =
    L"<table cellpadding=\"2\" cellspacing=\"0\" width=\"100%\" border=\"0\" "
    L"style=\"border-collapse:collapse;line-height:20px;\"  class=\"infotable\">\r\n";

CString Utf16Format(const wchar_t* format, ...) {
    CString text;
    va_list args;
    va_start(args, format);
    text.FormatV(format, args);
    va_end(args);
    return text;
}

class ReportBuilder {
public:
    void Add(const CString& piece) { text_ += piece; }

    void InfoRow(const wchar_t* label, const CString& value) {
        const bool coloured = (infoRows_++ % 2) == 0;
        Add(Utf16Format(L"<tr%s><td class=\"foot ColRighBorder\"%s>%s</td>"
                        L"<td class=\"foot\">%s</td></tr>\r\n",
                        coloured ? L" class=\"RowAlternetColor\"" : L"",
                        infoRows_ == 1 ? L" width=\"300\"" : L"", label,
                        EscapeHtml(value).GetString()));
    }

    void HighlightRow(const wchar_t* label, const CString& value) {
        Add(Utf16Format(L"<tr style=\"background-color:#f1f1f1\"><td class=\"foot "
                        L"ColRighBorder\"><strong><strong>%s</strong></strong>:</td>"
                        L"<td class=\"foot\">%s</td></tr>\r\n",
                        label, EscapeHtml(value).GetString()));
    }

    void Separator(bool grey) {
        Add(grey ? L"<tr><td colspan=\"2\" style=\"border-top:1px solid #bababa\"></td></tr>\r\n"
                 : L"<tr><td colspan=\"2\" style=\"border-bottom:1px solid #FFFFFF\"></td>"
                   L"</tr>\r\n");
    }

    const CString& Text() const { return text_; }

private:
    CString text_;
    int infoRows_ = 0;
};

CString Percent(double value) {
    return Utf16Format(L"%0.2f%%", value);
}

CString FileNameOf(const CString& path) {
    SplitPathRecord record{};
    SplitPathInto(record, path);
    return CString(record.fileName) + record.extension;
}

std::string ToUtf8(const CString& text) {
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, text, text.GetLength(), nullptr, 0, nullptr, nullptr);
    std::string out(bytes > 0 ? bytes : 0, '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_UTF8, 0, text, text.GetLength(), out.data(), bytes, nullptr,
                            nullptr);
    return out;
}

ULONGLONG ElapsedSeconds(const SYSTEMTIME& start, const SYSTEMTIME& end) {
    FILETIME startFile{};
    FILETIME endFile{};
    if (!SystemTimeToFileTime(&start, &startFile) || !SystemTimeToFileTime(&end, &endFile))
        return 0;
    const ULARGE_INTEGER from{{startFile.dwLowDateTime, startFile.dwHighDateTime}};
    const ULARGE_INTEGER to{{endFile.dwLowDateTime, endFile.dwHighDateTime}};
    return to.QuadPart > from.QuadPart ? (to.QuadPart - from.QuadPart) / 10'000'000 : 0;
}

void AddFailedFileList(ReportBuilder& report, const HtmlReportContent& content) {
    const DefragStatistics& statistics = *content.results->statistics;
    const uint64_t limit = statistics.fragmentedFiles > statistics.filesMadeContiguous
                               ? statistics.fragmentedFiles - statistics.filesMadeContiguous
                               : 0;
    uint64_t rows = 0;
    for (const ReportEntry& entry : content.results->reports) {
        if (entry.status == kReportContiguous || rows >= limit)
            continue;
        if (rows == 0) {
            report.Add(L"<font class=\"foot\"><strong><u>List of files which could not be "
                       L"defragmented</u></strong></font><br /><br />\r\n");
            report.Add(L"<table cellpadding=\"2\" cellspacing=\"0\" width=\"100%\" border=\"0\" "
                       L"style=\"border-collapse:collapse;line-height:20px;\" class=\"infotable\" "
                       L"bordercolor=\"gray\">\r\n<tr style=\"background-color:#ebeaea\">"
                       L"<td class=\"foot tablegreyborder\"><strong>FileName</strong></td>"
                       L"<td class=\"foot tablegreyborder\"><strong>Reason</strong></td></tr>\r\n");
        }
        report.Add(Utf16Format(L"<tr%s><td class=\"foot ColRighBorder\">%s</td> "
                               L"<td class=\"foot\">%s</td></tr>\r\n",
                               rows % 2 == 1 ? L" class=\"RowAlternetColor\"" : L"",
                               EscapeHtml(FileNameOf(entry.path)).GetString(),
                               ReportReasonText(entry.status)));
        ++rows;
    }
    if (rows != 0)
        report.Add(L"</table>\r\n");
}

} // namespace

CString EscapeHtml(const wchar_t* text) {
    return CXmlDoc::EscapeText(text, true);
}

const wchar_t* ReportReasonText(uint32_t status) {
    static const wchar_t* const kReasons[] = {
        L"OK",     L"No Free Space",     L"Can't Move Data", L"Stopped By User",
        L"Locked", L"Can't Move on FAT", L"Safe File"};
    return status < std::size(kReasons) ? kReasons[status] : L"Unknown";
}

CString ReportTimeText(const SYSTEMTIME& time) {
    if (time.wYear < 1900)
        return CString();
    FILETIME probe{};
    if (!SystemTimeToFileTime(&time, &probe))
        return CString();
    return Utf16Format(L"%04u-%02u-%02u  %02u:%02u:%02u", time.wYear, time.wMonth, time.wDay,
                       time.wHour, time.wMinute, time.wSecond);
}

std::string BuildHtmlReport(const HtmlReportContent& content) {
    if (content.results == nullptr)
        return std::string();
    const DefragStatistics& s = *content.results->statistics;
    const ULONGLONG clusterBytes = static_cast<ULONGLONG>(s.sectorsPerCluster) * s.bytesPerSector;
    wchar_t fileSystem[kFileSystemNameUnits + 1]{};
    wcsncpy(fileSystem, s.fileSystemName, kFileSystemNameUnits);
    const wchar_t drive[] = {s.drive, L'\0'};
    // A defragmentation's report covers both passes: from the first pass's start.
    const SYSTEMTIME& start = content.jobStart ? *content.jobStart : s.startTime;
    const CString started = ReportTimeText(start);

    ReportBuilder report;
    report.Add(Utf16Format(kHead, EscapeHtml(content.texts.title).GetString(),
                           EscapeHtml(content.texts.heading).GetString()));
    report.Add(Utf16Format(L"<p><span class=\"note\"><strong >%s</strong>%s<br /></span></p>"
                           L"<h2>Volume: %s, %s</h2>\r\n",
                           EscapeHtml(content.texts.timeLabel).GetString(),
                           EscapeHtml(started).GetString(), EscapeHtml(drive).GetString(),
                           EscapeHtml(fileSystem).GetString()));
    report.Add(Utf16Format(kRule, 0));
    report.Add(kTableStart);

    const ULONGLONG elapsed = ElapsedSeconds(start, s.endTime);
    report.InfoRow(L"Disk Size:", ByteSizeText(clusterBytes * s.totalClusters));
    report.InfoRow(L"Free Size:", ByteSizeText(clusterBytes * s.freeClusters));
    report.InfoRow(L"Clusters:", Utf16Format(L"%I64u", s.totalClusters));
    report.InfoRow(L"Sectors per cluster:", Utf16Format(L"%u", s.sectorsPerCluster));
    report.InfoRow(L"Bytes per sector:", Utf16Format(L"%u", s.bytesPerSector));
    report.InfoRow(L"Started Scanning at:", started);
    report.InfoRow(L"Completed Scanning at:", ReportTimeText(s.endTime));
    report.InfoRow(L"Elapsed time:",
                   Utf16Format(L"%02u:%02u:%02u", static_cast<unsigned>(elapsed / 3600),
                               static_cast<unsigned>(elapsed / 60 % 60),
                               static_cast<unsigned>(elapsed % 60)));
    report.InfoRow(L"Total Files:", Utf16Format(L"%I64u", s.files));
    report.InfoRow(L"Total Directories:", Utf16Format(L"%I64u", s.directories));
    report.InfoRow(L"Fragmented File Count:",
                   Utf16Format(L"%I64u*", content.defragmentation ? content.firstPassFragmentedFiles
                                                                  : s.fragmentedFiles));
    report.Separator(true);
    report.Separator(false);
    const FragmentationFigures& f = content.figures;
    if (content.defragmentation) {
        report.HighlightRow(L"Disk Fragmentation Before", Percent(f.diskBefore));
        report.HighlightRow(L"Disk Fragmentation After", Percent(f.diskAfter));
        report.HighlightRow(L"Data Fragmentation Before", Percent(f.dataBefore));
        report.HighlightRow(L"Data Fragmentation After", Percent(f.dataAfter));
    } else {
        report.HighlightRow(L"Disk Fragmentation", Percent(f.diskBefore));
        report.HighlightRow(L"Data Fragmentation", Percent(f.dataBefore));
    }
    report.HighlightRow(L"Largest Continuous Free Space",
                        ByteSizeText(clusterBytes * s.largestFreeRun));
    report.Separator(false);
    report.Separator(true);
    report.Add(L"</table>\r\n");
    report.Add(Utf16Format(kRule, 10));
    report.Add(L"<table width=\"100%\" border=\"0\"><tr><td class=\"foot\">* Might differ from "
               L"the count in last scan</td></tr></table>\r\n");
    if (content.defragmentation && content.listFailedFiles)
        AddFailedFileList(report, content);
    report.Add(Utf16Format(
        L"</div></div></td>\r\n<td width=\"6\" background=\"right_border.jpg\">&#160;</td></tr>\r\n"
        L"<tr><td colspan=\"3\"><table width=\"787\" border=\"0\" cellspacing=\"0\" "
        L"cellpadding=\"0\" style=\"height:25px\"><tr>"
        L"<td width=\"6\"><img src=\"footer_left.jpg\" width=\"6\" height=\"25\" alt=\"\" /></td>"
        L"<td width=\"775\" background=\"footer_middle.jpg\"><p class=\"whitetxt\"><b>&#169; "
        L"%s</b></p></td>"
        L"<td width=\"6\"><img src=\"footer_right.jpg\" width=\"6\" height=\"25\" alt=\"\" /></td>"
        L"</tr></table></td></tr>\r\n</table>\r\n</body>\r\n</html>\r\n",
        EscapeHtml(content.texts.companyName).GetString()));
    return ToUtf8(report.Text());
}

void SetReportBrowser(ReportBrowser browser) {
    g_reportBrowser = std::move(browser);
}

bool OpenReportInBrowser(HWND owner, const CString& reportPath) {
    CString browser;
    HINSTANCE started;
    if (GetSpecialFolderPath(CSIDL_PROGRAM_FILES, browser)) {
        AppendPath(browser, L"Internet Explorer\\iexplore.exe");
        const CString quoted = L"\"" + reportPath + L"\"";
        started = ShellExecuteSafe(owner, L"open", browser, quoted, nullptr, SW_SHOWDEFAULT);
    } else {
        started = ShellExecuteSafe(owner, L"open", reportPath, nullptr, nullptr, SW_SHOWDEFAULT);
    }
    return reinterpret_cast<INT_PTR>(started) > 32;
}

CString ReportFilePath(const CString& commonDataFolder, bool defragmentation) {
    CString path = commonDataFolder;
    AppendPath(path, defragmentation ? L"DefragReport\\defragreport.html"
                                     : L"DefragReport\\scanreport.html");
    return path;
}

namespace {

// Writes the bytes to a file beside the report and moves it over the report once complete.
bool ReplaceFileWith(const CString& path, const std::string& bytes) {
    const CString partial = path + L".partial";
    KernelHandle file(CreateFileW(partial, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    DWORD written = 0;
    const bool complete =
        WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size();
    const bool closed = file.Close();
    if (!complete || !closed ||
        !MoveFileExW(partial, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(partial);
        return false;
    }
    return true;
}

} // namespace

bool BeginReportWriting() {
    return !g_reportBeingWritten.exchange(true);
}

void EndReportWriting() {
    g_reportBeingWritten = false;
}

ReportOutcome WriteHtmlReportFile(const CString& commonDataFolder, const HtmlReportContent& content,
                                  CString& path) {
    if (content.results == nullptr || !HasUsableStatistics(*content.results))
        return ReportOutcome::kNoResults;
    path = ReportFilePath(commonDataFolder, content.defragmentation);
    (void)MakeDataSubfolder(commonDataFolder, L"DefragReport");
    return ReplaceFileWith(path, BuildHtmlReport(content)) ? ReportOutcome::kWritten
                                                           : ReportOutcome::kWriteFailed;
}

ReportOutcome OpenWrittenReport(HWND owner, const CString& path) {
    const bool opened = g_reportBrowser ? g_reportBrowser(path) : OpenReportInBrowser(owner, path);
    return opened ? ReportOutcome::kOpened : ReportOutcome::kBrowserFailed;
}

ReportOutcome WriteHtmlReport(const CString& commonDataFolder, const HtmlReportContent& content) {
    if (!BeginReportWriting())
        return ReportOutcome::kBusy;
    struct EndWriting {
        ~EndWriting() { EndReportWriting(); }
    } endWriting;
    CString path;
    const ReportOutcome written = WriteHtmlReportFile(commonDataFolder, content, path);
    return written == ReportOutcome::kWritten ? OpenWrittenReport(nullptr, path) : written;
}
