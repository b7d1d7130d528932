#include "FragmentationFigures.h"

#include <iterator>
#include <cmath>
#include <cstdio>
#include <cwchar>

bool HasUsableStatistics(const RunResults& results) {
    return results.statisticsRead && results.statistics->totalClusters != 0 &&
           results.statistics->usedClusters != 0;
}

bool ComputeFragmentation(const RunResults& results, FragmentationFigures& figures) {
    figures = {};
    if (!HasUsableStatistics(results))
        return false;
    uint64_t before = 0;
    uint64_t after = 0;
    for (const ReportEntry& entry : results.reports) {
        if (entry.fragmentsBefore > 1)
            before += entry.allocatedClusters;
        if (entry.fragmentsAfter > 1)
            after += entry.allocatedClusters;
    }
    const double total = static_cast<double>(results.statistics->totalClusters);
    const double used = static_cast<double>(results.statistics->usedClusters);
    figures.diskBefore = static_cast<double>(before) * 100.0 / total;
    figures.dataBefore = static_cast<double>(before) * 100.0 / used;
    figures.diskAfter = static_cast<double>(after) * 100.0 / total;
    figures.dataAfter = static_cast<double>(after) * 100.0 / used;
    return true;
}

double RoundAsPrinted(double percent) {
    wchar_t text[64];
    _snwprintf(text, std::size(text), L"%0.2f", percent);
    text[std::size(text) - 1] = L'\0';
    const double printed = std::wcstod(text, nullptr);
    return std::floor(printed * 1e10 + 0.5) / 1e10;
}

bool IsDefragmentationRecommended(uint64_t fragmentedFiles, double diskPercent) {
    return !(fragmentedFiles < 100 && diskPercent < 1.0);
}
