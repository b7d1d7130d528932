// Volume and data fragmentation of a run, from the service's statistics and file reports.
#pragma once

#include "DefragRpcClient.h"

struct FragmentationFigures {
    double diskBefore = 0;
    double dataBefore = 0;
    double diskAfter = 0;
    double dataAfter = 0;
};

// The service answers a run it could not do with zero clusters: such statistics (or ones that
// could not be read) give no figures, never those of a clean disk.
[[nodiscard]] bool HasUsableStatistics(const RunResults& results);

// Sums the allocated clusters of the reports with more than one fragment before (and after) and
// relates them to the total and used clusters. False, with every figure 0, for unusable
// statistics.
[[nodiscard]] bool ComputeFragmentation(const RunResults& results, FragmentationFigures& figures);

// A percentage as the pages keep it: the value its "%0.2f" text shows.
double RoundAsPrinted(double percent);

// The analysis page's advice: defragment unless fewer than 100 fragmented files and less than
// 1 % disk fragmentation.
bool IsDefragmentationRecommended(uint64_t fragmentedFiles, double diskPercent);
