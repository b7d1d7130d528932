// Drives the main job through Xarn's own pages, from outside the program as a user would:
// starts the program, picks the drive, analyses, reads the status lines the analysis recorded,
// opens the one-click summary as another program does, takes the report, starts a
// defragmentation that it stops, defragments in two passes, answers the completion message,
// takes the report again; then scans the drive for junk and cleans it, and scans it for
// duplicate files and removes one copy of each, photographing every step into the output
// folder. Throughout, a probe sends the main window WM_NULL every 50 ms and times the answer;
// the longest wait is told at the end.
//   xarn_run_driver <Xarn.exe> <drive letter> <output folder>
// Exit codes: 0 done, 1 bad arguments, 2 a step failed or did not come in its time (the screen
// is photographed as failure.png), 3 the program did not start.
#include "DefragRecords.h"
#include "DiskDefragApp.h"
#include "DiskDefragDlg.h"
#include "HtmlReport.h"
#include "LastScanValues.h"
#include "ScreenPng.h"
#include "XarnWindows.h"
#include "ProductIdentity.h"
#include "SharedGlobals.h"
#include "AppState.h"
#include "ToolsTable.h"

#include "DefragPagesRes.h"
#include "ResultsPagesResource.h"
#include "XarnResource.h"

#include <windows.h>

#include <commctrl.h>

#include "Paths.h"

#include <owners/WinOwners.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cwchar>
#include <cwctype>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

constexpr DWORD kServiceMilliseconds = 60'000;
constexpr DWORD kStartMilliseconds = 60'000;
constexpr DWORD kPageMilliseconds = 30'000;
constexpr DWORD kJobMilliseconds = 120 * 60'000;
constexpr DWORD kProgressMilliseconds = 1'000;
constexpr DWORD kReportMilliseconds = 30'000;
constexpr DWORD kExitMilliseconds = 30'000;
constexpr DWORD kCheckMilliseconds = 50;
constexpr UINT kAnswerMilliseconds = 5'000;
constexpr UINT kQuestionMilliseconds = 200;
constexpr UINT kPaintMilliseconds = 500;
constexpr DWORD kIdleMilliseconds = 10'000;

// The one-click summary's close box, and the duplicate finder's tab (after the junk cleaner's).
constexpr int kSummaryCloseBox = 1184;
constexpr UINT kDupesTabCommand = kJunkTabCommand + 1;

// The step the run is at (its last "== " line), for the probe's account.
std::mutex g_stepLock;
std::wstring g_step = L"the start";

std::wstring CurrentStep() {
    const std::lock_guard<std::mutex> guard(g_stepLock);
    return g_step;
}

// One line of the run's account, with the seconds since the driver started.
void Say(const wchar_t* format, const std::wstring& text = {}) {
    static const ULONGLONG start = ::GetTickCount64();
    std::fwprintf(stdout, L"%6.1f s  ", (::GetTickCount64() - start) / 1000.0);
    std::fwprintf(stdout, format, text.c_str());
    std::fflush(stdout);
    if (std::wcsncmp(format, L"== ", 3) == 0) {
        std::wstring step = format + 3;
        while (!step.empty() && (step.back() == L'\n' || step.back() == L'\r'))
            step.pop_back();
        const std::lock_guard<std::mutex> guard(g_stepLock);
        g_step = step;
    }
}

double Milliseconds() {
    LARGE_INTEGER frequency{};
    LARGE_INTEGER now{};
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Sends the window WM_NULL every 50 ms from a thread of its own, as long as the window exists,
// and keeps the longest time the window took to answer and the step it was at.
class ResponsivenessProbe {
public:
    static constexpr DWORD kIntervalMilliseconds = 50;
    // Waits beyond this are told as they happen.
    static constexpr double kNotedMilliseconds = 250;

    ~ResponsivenessProbe() { Stop(); }

    void Start(HWND window) {
        Stop();
        m_ending = false;
        m_thread = std::thread([this, window] { Probe(window); });
    }
    void Stop() {
        m_ending = true;
        if (m_thread.joinable())
            m_thread.join();
    }
    // The longest wait of each step in the order of the steps, then "longest wait of the main
    // window: ..." once the probe has ended.
    void Tell() const {
        for (const auto& [step, longest] : m_longestOfSteps)
            std::fwprintf(stdout, L"  %6.0f ms  %ls\n", longest, step.c_str());
        std::fwprintf(stdout,
                      L"longest wait of the main window: %.0f ms (during %ls), %lu probes every "
                      L"%lu ms\n",
                      m_longest, m_longestStep.c_str(), m_probes, kIntervalMilliseconds);
        std::fflush(stdout);
    }

private:
    void Probe(HWND window) {
        // Long enough to time any freeze; a window that never answers ends the run anyway.
        constexpr UINT kWaitLimit = 30 * 60'000;
        while (!m_ending && ::IsWindow(window)) {
            const double sent = Milliseconds();
            DWORD_PTR result = 0;
            const bool answered =
                ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, kWaitLimit, &result) != 0;
            const double waited = Milliseconds() - sent;
            // A window destroyed meanwhile never answers: that is no wait.
            if (!answered && !::IsWindow(window))
                break;
            ++m_probes;
            if (waited > kNotedMilliseconds)
                Say(L"(the main window took %ls ms to answer)\n",
                    std::to_wstring(static_cast<long>(waited)));
            const std::wstring step = CurrentStep();
            if (waited > m_longest) {
                m_longest = waited;
                m_longestStep = step;
            }
            if (m_longestOfSteps.empty() || m_longestOfSteps.back().first != step)
                m_longestOfSteps.emplace_back(step, waited);
            else
                m_longestOfSteps.back().second = std::max(m_longestOfSteps.back().second, waited);
            ::Sleep(kIntervalMilliseconds);
        }
    }

    std::thread m_thread;
    std::atomic<bool> m_ending{false};
    double m_longest = 0;
    std::wstring m_longestStep = L"no probe";
    std::vector<std::pair<std::wstring, double>> m_longestOfSteps;
    unsigned long m_probes = 0;
};

// Checks `done` until it answers true or the time is up; answers `done`.
bool WaitFor(const std::function<bool()>& done, DWORD milliseconds) {
    const ULONGLONG end = ::GetTickCount64() + milliseconds;
    while (::GetTickCount64() < end) {
        if (done())
            return true;
        ::Sleep(kCheckMilliseconds);
    }
    return done();
}

// A message sent to the program's window, answered within `milliseconds`; 0 when it was not
// (the program's window thread waits on the service at times).
LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0,
             UINT milliseconds = kAnswerMilliseconds) {
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, milliseconds, &result))
        return 0;
    return static_cast<LRESULT>(result);
}

// The window's thread has handled everything sent before; false when it did not answer.
bool Answers(HWND window, UINT milliseconds) {
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, milliseconds, &result) != 0;
}

// GDI+ for the pictures, for the driver's lifetime.
class GdiPlusSession {
public:
    GdiPlusSession() {
        const Gdiplus::GdiplusStartupInput input;
        m_started = Gdiplus::GdiplusStartup(&m_token, &input, nullptr) == Gdiplus::Ok;
    }
    ~GdiPlusSession() {
        if (m_started)
            Gdiplus::GdiplusShutdown(m_token);
    }
    GdiPlusSession(const GdiPlusSession&) = delete;
    GdiPlusSession& operator=(const GdiPlusSession&) = delete;

private:
    ULONG_PTR m_token = 0;
    bool m_started = false;
};

// Xarn's process, started by the driver; closed as a user closes it when the run ends.
class XarnProcess {
public:
    [[nodiscard]] bool Start(const std::wstring& program) {
        std::wstring folder = program.substr(0, program.find_last_of(L'\\'));
        std::wstring commandLine = L"\"" + program + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started{};
        if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                              nullptr, folder.c_str(), &startup, &started))
            return false;
        const KernelHandle thread(started.hThread);
        m_process.Reset(started.hProcess);
        m_id = started.dwProcessId;
        return true;
    }
    DWORD Id() const { return m_id; }
    bool Running() const { return ::WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT; }

    // WM_CLOSE to the main window, as its close box does; ended by force after the time is up.
    [[nodiscard]] bool Close(HWND mainWindow) {
        if (!m_process)
            return true;
        if (mainWindow != nullptr)
            ::PostMessageW(mainWindow, WM_CLOSE, 0, 0);
        if (::WaitForSingleObject(m_process.Get(), kExitMilliseconds) == WAIT_OBJECT_0)
            return true;
        Say(L"the program did not end within its time: ended\n");
        ::TerminateProcess(m_process.Get(), 1);
        ::WaitForSingleObject(m_process.Get(), kExitMilliseconds);
        return false;
    }

private:
    KernelHandle m_process;
    DWORD m_id = 0;
};

class Driver {
public:
    Driver(wchar_t drive, std::wstring output) : m_drive(drive), m_output(std::move(output)) {}

    int Run(const std::wstring& program) {
        if (!WaitForService()) {
            Fail(L"the defragmentation service does not listen on its pipe");
            return 2;
        }
        if (!ChooseJunkLocation()) {
            Fail(L"the junk cleaner's location could not be chosen");
            return 2;
        }
        if (!m_xarn.Start(program)) {
            Say(L"the program %ls did not start\n", program);
            return 3;
        }
        const bool done = Drive();
        m_probe.Stop();
        if (!done)
            Photograph(L"failure");
        const bool closed = m_xarn.Close(m_main);
        m_probe.Tell();
        return done && closed ? 0 : 2;
    }

private:
    // Every step in order; false at the first that failed (already told).
    bool Drive() {
        return StartProgram() && SelectDrive() && Analyse() && StatusLinesRecorded() &&
               OneClickSummary() && TakeReport(false) && StopDefragmentation() && Defragment() &&
               TakeReport(true) && GoHome() && CleanJunk() && RemoveDuplicates();
    }

    bool StartProgram() {
        Say(L"== Xarn started; waiting for its main window\n");
        if (!WaitFor([this] { return (m_main = FindMainWindow(m_xarn.Id())) != nullptr; },
                     kStartMilliseconds))
            return Fail(L"no main window with the defragmentation home page came");
        if (!WaitForPage(DefragPage::kHome))
            return Fail(L"the home page was not shown");
        m_probe.Start(m_main);
        return true;
    }

    bool SelectDrive() {
        const HWND home = FindDefragPage(m_main, DefragPage::kHome);
        const HWND combo = ::GetDlgItem(home, IDC_CMB_DRIVES);
        int index = -1;
        WaitFor([&] { return (index = DriveEntry(combo)) >= 0; }, kPageMilliseconds);
        if (index < 0)
            return Fail(L"the drive is not in the home page's list: " + ListedDrives(combo));
        if (Send(combo, CB_SETCURSEL, index, 0) != index)
            return Fail(L"the drive could not be selected");
        Send(home, WM_COMMAND, MAKEWPARAM(IDC_CMB_DRIVES, CBN_SELCHANGE),
             reinterpret_cast<LPARAM>(combo));
        // The analysis alone first: the defragmentation starts from its results page.
        Send(::GetDlgItem(home, IDC_CHK_DEFRAG_AFTER), BM_SETCHECK, BST_UNCHECKED, 0);
        Say(L"drive selected: %ls\n", ComboText(combo, index));
        if (!Photograph(L"1-home"))
            return false;
        // What the window's answers take with no job at all, on this machine at this time.
        Say(L"== idle on the home page, 10 s\n");
        ::Sleep(kIdleMilliseconds);
        return true;
    }

    bool Analyse() {
        Say(L"== analysis, started with the home page's button\n");
        PressButton(FindDefragPage(m_main, DefragPage::kHome), IDC_BTN_START_SCAN);
        if (!WaitForJobPage(DefragPage::kAnalysisResults))
            return false;
        if (!PhotographJob(L"2-analysis-running"))
            return false;
        if (!WaitForPage(DefragPage::kAnalysisResults, kJobMilliseconds))
            return Fail(L"the analysis results page did not come");
        return Photograph(L"3-analysis-results");
    }

    bool Defragment() {
        Say(L"== defragmentation, started with the home page's button and its \"defragment "
            L"after analysis\" box\n");
        const HWND home = FindDefragPage(m_main, DefragPage::kHome);
        Send(::GetDlgItem(home, IDC_CHK_DEFRAG_AFTER), BM_SETCHECK, BST_CHECKED, 0);
        PressButton(home, IDC_BTN_START_SCAN);
        if (!WaitForJobPage(DefragPage::kDefragResults))
            return false;
        if (!PhotographJob(L"6-defragmentation-running"))
            return false;
        // Both passes run before the program tells that it has finished.
        HWND box = nullptr;
        if (!WaitFor([&] { return (box = FindMessageBox(m_xarn.Id())) != nullptr; },
                     kJobMilliseconds))
            return Fail(L"the defragmentation did not finish in its time");
        if (!Photograph(L"7-defragmentation-complete"))
            return false;
        AnswerMessageBoxOk(box);
        if (!WaitFor([&] { return !::IsWindow(box); }, kPageMilliseconds))
            return Fail(L"the completion message did not close");
        if (!WaitForPage(DefragPage::kDefragResults))
            return Fail(L"the defragmentation results page did not come");
        const HWND results = ShownDefragPage(m_main, DefragPage::kDefragResults);
        // The page offers its report only when it could read the run's statistics.
        if (!::IsWindowEnabled(::GetDlgItem(results, IDC_REPORT))) {
            Photograph(L"8-defragmentation-results");
            return Fail(L"the results page could not read the run's statistics");
        }
        return Photograph(L"8-defragmentation-results");
    }

    // "View report" on the shown results page, then the report the program wrote, with its
    // images, into the output folder.
    bool TakeReport(bool defragmentation) {
        const HWND page = ShownDefragPage(m_main, defragmentation ? DefragPage::kDefragResults
                                                                  : DefragPage::kAnalysisResults);
        const std::wstring written = ReportPath(defragmentation);
        const std::wstring name = written.substr(written.find_last_of(L'\\') + 1);
        FILETIME pressed{};
        ::GetSystemTimeAsFileTime(&pressed);
        PressButton(page, IDC_REPORT);
        if (!WaitFor([&] { return WrittenSince(written, pressed); }, kReportMilliseconds))
            return Fail(L"the program wrote no report " + name);
        const std::wstring folder = m_output + L"\\report";
        ::CreateDirectoryW(folder.c_str(), nullptr);
        const std::wstring source = written.substr(0, written.size() - name.size() - 1);
        if (!CopyReportImages(source, folder) ||
            !::CopyFileW(written.c_str(), (folder + L"\\" + name).c_str(), FALSE))
            return Fail(L"the report could not be copied from " + source);
        Say(L"report: report\\%ls\n", name);
        // The program may be busy with the browser's start: let it answer before going on.
        return Answers(m_main, kAnswerMilliseconds) ||
               Fail(L"the program does not answer after the report");
    }

    // "Back" on the results page: the service releases the drive and the home page shows the
    // last run's summary.
    bool GoHome() {
        PressButton(ShownDefragPage(m_main, DefragPage::kDefragResults), IDC_BTN_BACK);
        if (!WaitForPage(DefragPage::kHome))
            return Fail(L"the home page did not come back");
        return Photograph(L"9-home-afterwards");
    }

    // A defragmentation started with the analysis results page's "Defragment now" and stopped
    // with the progress page's Stop button once it runs: the stop question is answered Yes, and
    // the home page comes back.
    bool StopDefragmentation() {
        Say(L"== defragmentation, started with \"Defragment now\" and stopped with Stop\n");
        PressButton(FindDefragPage(m_main, DefragPage::kAnalysisResults), IDC_BTN_START_DEFRAG);
        if (!WaitForJobPage(DefragPage::kDefragResults))
            return false;
        const HWND progress = ShownDefragPage(m_main, DefragPage::kProgress);
        const HWND stop = ::GetDlgItem(progress, IDC_BTN_STOPDEFRAG);
        // The button is enabled once a poll found the job running; the map shows it at work.
        // A job too short for that ends with its completion message.
        if (!WaitFor(
                [&] { return BoxShown() || (::IsWindowEnabled(stop) && ::IsWindowVisible(stop)); },
                kPageMilliseconds))
            return Fail(L"the Stop button was not offered");
        if (BoxShown())
            return Fail(L"the defragmentation ended before Stop was offered: a volume of more "
                        L"files gives it time");
        if (!PhotographJob(L"4-defragmentation-running"))
            return false;
        PressButton(progress, IDC_BTN_STOPDEFRAG);
        HWND box = nullptr;
        if (!WaitFor([&] { return (box = FindMessageBox(m_xarn.Id())) != nullptr; },
                     kPageMilliseconds))
            return Fail(L"no question came after Stop");
        if (!Photograph(L"5-stop-question"))
            return false;
        AnswerMessageBoxOk(box); // Yes
        if (!WaitForPage(DefragPage::kHome))
            return Fail(L"the home page did not come back after the stop");
        return true;
    }

    // The junk cleaner scans the drive alone: its drive list, as the cleaner's settings page
    // keeps it in the program's profile ("X: (label)" values "0", "1", ...).
    bool ChooseJunkLocation() {
        CString key = L"Software";
        AppendPath(key, GetCompanyKeyName());
        AppendPath(key, GetProductShortName());
        AppendPath(key, GetToolTitle(kDefragToolNumber));
        AppendPath(key, L"Xarn\\LocationDrives");
        ::RegDeleteTreeW(HKEY_CURRENT_USER, key);
        const std::wstring entry = std::wstring(1, m_drive) + L": (Simulated)";
        return ::RegSetKeyValueW(HKEY_CURRENT_USER, key, L"0", REG_SZ, entry.c_str(),
                                 static_cast<DWORD>((entry.size() + 1) * sizeof(wchar_t))) ==
               ERROR_SUCCESS;
    }

    // The two status lines of the analysis, as the program recorded them under its key.
    bool StatusLinesRecorded() {
        const CString key = LastScanKeyPath();
        CString lines[2];
        const wchar_t* names[2] = {kLastScanStatusLine1, kLastScanStatusLine2};
        for (int i = 0; i < 2; ++i) {
            wchar_t text[512] = {};
            DWORD bytes = sizeof text;
            if (::RegGetValueW(HKEY_CURRENT_USER, key, names[i], RRF_RT_REG_SZ, nullptr, text,
                               &bytes) != ERROR_SUCCESS ||
                text[0] == L'\0')
                return Fail(std::wstring(L"the status line \"") + names[i] + L"\" was not saved");
            lines[i] = text;
        }
        Say(L"status lines saved: \"%ls\"", lines[0].GetString());
        std::fwprintf(stdout, L", \"%ls\"\n", lines[1].GetString());
        return true;
    }

    // The one-click scan summary, as another program asks for it (copy-data code 10): it reads
    // the analysis the service holds and records it again; photographed once filled, closed
    // with its close box.
    bool OneClickSummary() {
        Say(L"== the one-click scan summary, asked for by another program\n");
        // The date is kept to the minute: the analysis's value is taken away, so that the one
        // the summary records tells that it has recorded.
        if (const LSTATUS removed =
                ::RegDeleteKeyValueW(HKEY_CURRENT_USER, LastScanKeyPath(), kLastScanDate);
            removed != ERROR_SUCCESS)
            return Fail(L"the analysis's date could not be taken away");
        std::atomic<LRESULT> answer{-1};
        std::thread asker([&] {
            COPYDATASTRUCT data{kCopyDataOneClickSummary, 0, nullptr};
            DWORD_PTR result = 0;
            if (::SendMessageTimeoutW(m_main, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                                      SMTO_NORMAL, kJobMilliseconds, &result))
                answer = static_cast<LRESULT>(result);
        });
        HWND summary = nullptr;
        const bool shown =
            WaitFor([&] { return (summary = FindOneClickSummary(m_xarn.Id())) != nullptr; },
                    kPageMilliseconds);
        // Filled once it has recorded the analysis again (a date).
        const bool filled =
            shown && WaitFor([&] { return !LastScanDate().empty(); }, kJobMilliseconds);
        if (filled) {
            LetPaint();
            RECT place{};
            ::GetWindowRect(summary, &place);
            if (SaveScreenPng(place, (m_output + L"\\3b-one-click-summary.png").c_str()))
                Say(L"picture: %ls\n", L"3b-one-click-summary.png");
        }
        if (summary != nullptr)
            ::PostMessageW(summary, WM_COMMAND, MAKEWPARAM(kSummaryCloseBox, BN_CLICKED), 0);
        asker.join();
        if (!shown)
            return Fail(L"the one-click summary did not come");
        if (!filled)
            return Fail(L"the one-click summary recorded nothing");
        return answer == kCopyDataSummaryShown ||
               Fail(L"the program did not answer the copy-data code as expected");
    }

    static std::wstring LastScanDate() {
        wchar_t text[256] = {};
        DWORD bytes = sizeof text;
        if (::RegGetValueW(HKEY_CURRENT_USER, LastScanKeyPath(), kLastScanDate, RRF_RT_REG_SZ,
                           nullptr, text, &bytes) != ERROR_SUCCESS)
            return {};
        return text;
    }

    // The junk cleaner's tab: a scan of the drive (the locations were set before the start)
    // and a clean of everything it found, to the Recycle Bin.
    bool CleanJunk() {
        Say(L"== junk scan and clean of the drive\n");
        ::PostMessageW(m_main, WM_COMMAND, kJunkTabCommand, 0);
        HWND home = nullptr;
        if (!WaitFor([&] { return (home = ShownToolPage(m_main, ToolPage::kJunkHome)) != nullptr; },
                     kPageMilliseconds))
            return Fail(L"the junk cleaner's first page did not come");
        PressButton(home, ToolControlId(ToolControl::kJunkStartScan));
        HWND results = nullptr;
        if (!WaitFor(
                [&] {
                    AnswerBoxes();
                    return (results = ShownToolPage(m_main, ToolPage::kJunkResults)) != nullptr;
                },
                kJobMilliseconds))
            return Fail(L"the junk scan did not end on its results");
        if (!Photograph(L"10-junk-results"))
            return false;
        PressButton(results, ToolControlId(ToolControl::kJunkClean));
        // The clean may ask first (a restore point, a removal for good): every question is
        // answered yes.
        if (!WaitFor(
                [&] {
                    AnswerBoxes();
                    return ShownToolPage(m_main, ToolPage::kJunkSummary) != nullptr;
                },
                kJobMilliseconds))
            return Fail(L"the junk clean did not end on its summary");
        return Photograph(L"11-junk-summary");
    }

    // The duplicate finder's tab: the drive as its location, a scan by name, size and time,
    // one copy of each pair chosen and removed to the Recycle Bin.
    bool RemoveDuplicates() {
        Say(L"== duplicate scan of the drive and removal of one copy of each pair\n");
        ::PostMessageW(m_main, WM_COMMAND, kDupesTabCommand, 0);
        HWND welcome = nullptr;
        if (!WaitFor(
                [&] {
                    return (welcome = ShownToolPage(m_main, ToolPage::kDupesWelcome)) != nullptr;
                },
                kPageMilliseconds))
            return Fail(L"the duplicate finder's first page did not come");
        PressButton(welcome, ToolControlId(ToolControl::kDupesChooseLocations));
        HWND locations = nullptr;
        if (!WaitFor(
                [&] {
                    return (locations = ShownToolPage(m_main, ToolPage::kDupesLocations)) !=
                           nullptr;
                },
                kPageMilliseconds))
            return Fail(L"the duplicate finder's locations page did not come");
        const std::wstring root = std::wstring(1, m_drive) + L":\\";
        Send(::GetDlgItem(locations, ToolControlId(ToolControl::kDupesLocationEdit)), WM_SETTEXT, 0,
             reinterpret_cast<LPARAM>(root.c_str()));
        PressButton(locations, ToolControlId(ToolControl::kDupesAddLocation));
        const HWND list = ::GetDlgItem(locations, ToolControlId(ToolControl::kDupesLocationList));
        if (!WaitFor([&] { return Send(list, LVM_GETITEMCOUNT) == 1; }, kPageMilliseconds))
            return Fail(L"the drive " + root + L" was not added as the location");
        PressButton(locations, ToolControlId(ToolControl::kDupesScan));
        HWND results = nullptr;
        if (!WaitFor(
                [&] {
                    if (BoxShown())
                        return true;
                    results = ShownToolPage(m_main, ToolPage::kDupesResults);
                    // Listed and grouped: the page takes the user's choices from then on.
                    return results != nullptr &&
                           ::IsWindowEnabled(::GetDlgItem(
                               results, ToolControlId(ToolControl::kDupesResultsCancel))) &&
                           Send(::GetDlgItem(results, ToolControlId(ToolControl::kDupesResultList)),
                                LVM_GETITEMCOUNT) > 0;
                },
                kJobMilliseconds) ||
            BoxShown())
            return Fail(L"the duplicate scan listed no duplicates");
        const HWND rows = ::GetDlgItem(results, ToolControlId(ToolControl::kDupesResultList));
        const int count = static_cast<int>(Send(rows, LVM_GETITEMCOUNT));
        // The tree holds pairs: every second row is the other copy of the one above it.
        int checked = 0;
        for (int row = 1; row < count; row += 2)
            checked += CheckListRow(rows, row) ? 1 : 0;
        Say(L"duplicates listed: %ls", std::to_wstring(count));
        std::fwprintf(stdout, L", %d chosen for removal\n", checked);
        if (checked == 0)
            return Fail(L"no duplicate could be chosen");
        const HWND remove = ::GetDlgItem(results, ToolControlId(ToolControl::kDupesRemove));
        if (!WaitFor([&] { return ::IsWindowEnabled(remove) != FALSE; }, kPageMilliseconds))
            return Fail(L"the page did not take the chosen duplicates");
        if (!Photograph(L"12-dupes-results"))
            return false;
        PressButton(results, ToolControlId(ToolControl::kDupesRemove));
        if (!WaitFor(
                [&] {
                    AnswerBoxes();
                    return ShownToolPage(m_main, ToolPage::kDupesFinish) != nullptr;
                },
                kJobMilliseconds))
            return Fail(L"the removal did not end on the finish page");
        return Photograph(L"13-dupes-finish");
    }

    // Ticks a row's check box in the program's list: the item record lies in the program's
    // own memory, as the list expects it.
    bool CheckListRow(HWND list, int row) {
        if (!m_remoteItem) {
            m_xarnMemory.Reset(
                ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, m_xarn.Id()));
            if (!m_xarnMemory)
                return false;
            m_remoteItem = ::VirtualAllocEx(m_xarnMemory.Get(), nullptr, sizeof(LVITEMW),
                                            MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
            if (!m_remoteItem)
                return false;
        }
        LVITEMW item{};
        item.stateMask = LVIS_STATEIMAGEMASK;
        item.state = INDEXTOSTATEIMAGEMASK(2);
        SIZE_T written = 0;
        return ::WriteProcessMemory(m_xarnMemory.Get(), m_remoteItem, &item, sizeof item,
                                    &written) &&
               written == sizeof item &&
               Send(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                    reinterpret_cast<LPARAM>(m_remoteItem)) != 0;
    }

    // Answers with its default (yes, OK) the product's message box that is up, if one is, and
    // yes to a question of the system's own (Wine's shell asks before some removals).
    void AnswerBoxes() {
        if (const HWND box = FindMessageBox(m_xarn.Id())) {
            Say(L"(a message was answered)\n");
            AnswerMessageBoxOk(box);
            WaitFor([&] { return !::IsWindow(box); }, kPageMilliseconds);
        }
        if (const HWND question = FindSystemQuestion(m_xarn.Id())) {
            Say(L"(a question of the system was answered yes)\n");
            ::PostMessageW(question, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED),
                           reinterpret_cast<LPARAM>(::GetDlgItem(question, IDYES)));
            WaitFor([&] { return !::IsWindow(question); }, kPageMilliseconds);
        }
    }

    // The progress page once it shows the file at work or its bar has moved, so that the
    // picture shows the job going on; a job that ended before it could be seen is told, and its
    // picture not kept.
    bool PhotographJob(const std::wstring& name) {
        const HWND progress = ShownDefragPage(m_main, DefragPage::kProgress);
        const HWND bar = ::GetDlgItem(progress, IDC_SCAN_PROGRESS);
        const HWND path = ::GetDlgItem(progress, IDC_ST_CURRENT_PATH);
        const auto running = [&] {
            return ShownDefragPage(m_main, DefragPage::kProgress) != nullptr && !BoxShown();
        };
        WaitFor(
            [&] {
                return !running() || Send(bar, PBM_GETPOS, 0, 0, kQuestionMilliseconds) > 0 ||
                       Send(path, WM_GETTEXTLENGTH, 0, 0, kQuestionMilliseconds) > 0;
            },
            kProgressMilliseconds);
        if (!running())
            return Note(L"the job ended before its page could be seen");
        if (!Photograph(name))
            return false;
        if (!running()) {
            ::DeleteFileW((m_output + L"\\" + name + L".png").c_str());
            return Note(L"the job ended while its page was photographed: picture not kept");
        }
        return true;
    }

    // The job's progress page, or already the results page of a job that ended at once; a
    // message box instead is the program telling that the job did not start.
    bool WaitForJobPage(DefragPage resultsPage) {
        const bool shown = WaitFor(
            [&] {
                return BoxShown() || ShownDefragPage(m_main, DefragPage::kProgress) != nullptr ||
                       ShownDefragPage(m_main, resultsPage) != nullptr;
            },
            kPageMilliseconds);
        if (BoxShown())
            return Fail(L"the program showed a message instead of the job's page");
        return shown || Fail(L"the progress page did not come");
    }

    bool WaitForPage(DefragPage page, DWORD milliseconds = kPageMilliseconds) {
        return WaitFor(
                   [&] { return !m_xarn.Running() || ShownDefragPage(m_main, page) != nullptr; },
                   milliseconds) &&
               m_xarn.Running();
    }

    bool BoxShown() const { return FindMessageBox(m_xarn.Id()) != nullptr; }

    bool WaitForService() {
        const std::wstring pipe = std::wstring(L"\\\\.") + kDefragRpcEndpoint;
        return WaitFor(
            [&] {
                return ::WaitNamedPipeW(pipe.c_str(), 0) != FALSE ||
                       ::GetLastError() == ERROR_SEM_TIMEOUT;
            },
            kServiceMilliseconds);
    }

    // The index of the drive's entry, e.g. "(S:)Data"; -1 when it is not listed.
    int DriveEntry(HWND combo) const {
        const int count = static_cast<int>(Send(combo, CB_GETCOUNT, 0, 0));
        for (int index = 0; index < count; ++index) {
            const std::wstring entry = ComboText(combo, index);
            if (entry.size() >= 2 && std::towupper(entry[1]) == m_drive)
                return index;
        }
        return -1;
    }

    static std::wstring ListedDrives(HWND combo) {
        std::wstring listed;
        const int count = static_cast<int>(Send(combo, CB_GETCOUNT, 0, 0));
        for (int index = 0; index < count; ++index)
            listed += (index > 0 ? L", " : L"") + ComboText(combo, index);
        return listed.empty() ? L"none" : listed;
    }

    static std::wstring ComboText(HWND combo, int index) {
        const LRESULT length = Send(combo, CB_GETLBTEXTLEN, index, 0);
        if (length <= 0)
            return {};
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        const LRESULT copied =
            Send(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
        text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
        return text;
    }

    // Where the program writes the report, as it finds its common data folder; empty when that
    // folder cannot be had.
    static std::wstring ReportPath(bool defragmentation) {
        CString folder;
        if (!GetCommonDataSubFolder(folder, kCommonDataSubFolder))
            return {};
        return ReportFilePath(folder, defragmentation).GetString();
    }

    static bool WrittenSince(const std::wstring& path, const FILETIME& since) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
            return false;
        // Some file systems keep times to 2 s.
        ULARGE_INTEGER written{
            {data.ftLastWriteTime.dwLowDateTime, data.ftLastWriteTime.dwHighDateTime}};
        ULARGE_INTEGER start{{since.dwLowDateTime, since.dwHighDateTime}};
        return written.QuadPart + 2 * 10'000'000ull >= start.QuadPart;
    }

    // The images the report shows, beside it.
    static bool CopyReportImages(const std::wstring& source, const std::wstring& folder) {
        WIN32_FIND_DATAW found{};
        const FindHandle search(::FindFirstFileW((source + L"\\*.jpg").c_str(), &found));
        if (!search)
            return false;
        bool copied = true;
        do {
            copied = ::CopyFileW((source + L"\\" + found.cFileName).c_str(),
                                 (folder + L"\\" + found.cFileName).c_str(), FALSE) &&
                     copied;
        } while (::FindNextFileW(search.Get(), &found));
        return copied;
    }

    // The main window as it is on the screen, once the program has painted what it was asked;
    // the whole screen before there is a main window.
    bool Photograph(const std::wstring& name) {
        RECT place{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
        if (m_main != nullptr && ::IsWindow(m_main)) {
            LetPaint();
            ::GetWindowRect(m_main, &place);
        }
        const std::wstring file = name + L".png";
        if (!SaveScreenPng(place, (m_output + L"\\" + file).c_str())) {
            Say(L"the picture %ls could not be saved\n", file);
            return false;
        }
        Say(L"picture: %ls\n", file);
        return true;
    }

    // The program paints when its queue is empty, and Wine puts the pixels on the display a
    // moment later. While the program waits on the service it paints nothing: the picture then
    // shows what the user sees, and the wait is told.
    void LetPaint() {
        bool answered = Answers(m_main, kPaintMilliseconds);
        ::Sleep(400);
        answered = Answers(m_main, kPaintMilliseconds) && answered;
        ::Sleep(100);
        if (!answered)
            Note(L"(the program's window was busy and did not answer)");
    }

    bool Note(const std::wstring& what) {
        Say(L"%ls\n", what);
        return true;
    }

    bool Fail(const std::wstring& why) {
        Say(L"failed: %ls\n", why);
        return false;
    }

    wchar_t m_drive;
    std::wstring m_output;
    XarnProcess m_xarn;
    HWND m_main = nullptr;
    ResponsivenessProbe m_probe;
    // A list item record in the program's memory (the duplicate rows' check boxes).
    KernelHandle m_xarnMemory;
    void* m_remoteItem = nullptr;
};

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4 || !std::iswalpha(argv[2][0]) || argv[2][1] != L'\0') {
        std::fwprintf(stderr,
                      L"usage: xarn_run_driver <Xarn.exe> <drive letter> <output folder>\n");
        return 1;
    }
    const GdiPlusSession gdiPlus;
    // The program's own keys are named after its title.
    g_strAppTitle = GetToolTitle(kDefragToolNumber);
    const std::wstring output = argv[3];
    ::CreateDirectoryW(output.c_str(), nullptr);
    Driver driver(static_cast<wchar_t>(std::towupper(argv[2][0])), output);
    return driver.Run(argv[1]);
}
