// What the single-instance tests and the probe program they start agree on.
#pragma once

#include <windows.h>

// Environment of the probe: its application title, a file to write its state into (it then
// exits after start-up), and a flag that keeps it running without any window until the
// event "XarnProbeQuit_" + title is set.
constexpr wchar_t kProbeTitleVariable[] = L"XARN_PROBE_TITLE";
constexpr wchar_t kProbeReportVariable[] = L"XARN_PROBE_REPORT";
constexpr wchar_t kProbeWindowlessVariable[] = L"XARN_PROBE_WINDOWLESS";
constexpr wchar_t kProbeQuitEventPrefix[] = L"XarnProbeQuit_";

// Exit codes of the probe.
constexpr DWORD kExitClosed = IDCANCEL; // its dialog was closed
constexpr DWORD kExitScheduleScan = 21; // it was handed "schedulescan"
constexpr DWORD kExitAutoFix = 22;      // "autofix"
constexpr DWORD kExitShutdown = 23;     // "shutdown"
constexpr DWORD kExitUnknownCommand = 29;
constexpr DWORD kExitNotStarted = 40; // the application's start-up refused to run
constexpr DWORD kExitReported = 41;   // the state report was written
constexpr DWORD kExitWindowless = 42; // the windowless run was told to quit
