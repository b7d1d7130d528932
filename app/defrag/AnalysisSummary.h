// The figures of an analysis as its results page and the one-click summary show and record
// them, from what the service holds of the run.
#pragma once

#include <classlib/String.h>

#include "DefragRpcClient.h"
#include "ResultsPageServices.h"

#include <cstdint>

struct AnalysisSummary {
    // False when the service gave no statistics or no clusters: the run failed, and none of
    // the figures below means anything.
    bool usable = false;
    // Percentages kept as their "%0.2f" texts show them.
    double disk = 0;
    double data = 0;
    CString diskText; // "12.34%"
    CString dataText;
    uint64_t files = 0;
    uint64_t fragmentedFiles = 0;
    CString filesText; // with the user's digit grouping
    CString fragmentedFilesText;
    CString largestFreeText;
    bool recommended = false;
};

AnalysisSummary SummariseAnalysis(const RunResults& results);

// "C:\" for drive C.
CString LastDriveText(wchar_t drive);

// Records the analysis's last-scan values (status lines, volume result, drive, data result)
// through the main window. An unusable run records nothing: a failure is never kept as the
// result of a clean disk.
void SaveAnalysisLastScan(ResultsPageServices& services, const AnalysisSummary& summary,
                          wchar_t drive);
