// What the progress page derives from the service's figures: the progress bar's position while
// a job runs, and the summary a finished job leaves (last-scan results, the launcher's lines).
#pragma once

#include "DefragRpcClient.h"
#include "FragmentationFigures.h"

#include <classlib/String.h>

#include <functional>

inline constexpr int kProgressEnd = 1'000'000;

// The first pass runs in the lower half (never 0 once polled), the second in the upper half,
// held below 95 % until the end; 0 while the service knows no used clusters.
int ProgressPosition(const DefragStatistics& statistics, int pass);

// A language text by key.
using LangLookup = std::function<CString(const wchar_t* key)>;

struct JobSummary {
    FragmentationFigures figures;
    double result = 0;      // after a defragmentation the disk figure after, else before
    CString volumeResult;   // "IDS_FRAGMENTATION_RES" with the disk figures
    CString dataResult;     // the same with the data figures
    CString line1;          // the launcher's page line
    CString line2;          // the launcher's home line
    int launcherStatus = 0; // 1: no defragmentation needed
};

// Summarises a finished job from what the service holds (statistics of a run the service could
// not do give every figure 0: callers record no summary of them); `dateText` is the saved
// date's text.
JobSummary SummariseJob(const RunResults& results, bool defragmentation, const CString& dateText,
                        const LangLookup& text);

// "%0.2f%%" of a percentage.
CString PercentText(double percent);
