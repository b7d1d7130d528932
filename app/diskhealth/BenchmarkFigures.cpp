#include "BenchmarkResults.h"

#include <algorithm>

namespace {

uint64_t Ticks(FILETIME time) {
    return (uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
}

} // namespace

BenchmarkFigures SummarizeBenchmark(const BenchmarkResults& results, FILETIME currentKernelTime,
                                    FILETIME currentSystemTime) {
    BenchmarkFigures figures;
    figures.burstRate = results.burstRate;
    if (results.sequentialRates) {
        uint32_t count = 0;
        double sum = 0;
        for (; count < results.sequentialPointCount && results.sequentialRates[count] != 0;
             ++count) {
            const double rate = results.sequentialRates[count];
            figures.minimumRate = count == 0 ? rate : std::min(figures.minimumRate, rate);
            figures.maximumRate = std::max(figures.maximumRate, rate);
            sum += rate;
        }
        if (count > 0) {
            figures.hasRates = true;
            figures.averageRate = sum / count;
        }
        const bool ended = Ticks(results.systemTimeAtEnd) != 0;
        const uint64_t kernelEnd = Ticks(ended ? results.kernelTimeAtEnd : currentKernelTime);
        const uint64_t systemEnd = Ticks(ended ? results.systemTimeAtEnd : currentSystemTime);
        const uint64_t kernelStart = Ticks(results.kernelTimeAtStart);
        const uint64_t systemStart = Ticks(results.systemTimeAtStart);
        if (systemEnd > systemStart && kernelEnd >= kernelStart)
            figures.processorPercent = static_cast<double>(kernelEnd - kernelStart) /
                                       static_cast<double>(systemEnd - systemStart) * 100.0;
    }
    if (results.randomSamples) {
        uint32_t count = 0;
        double sum = 0;
        for (; count < results.randomSampleCount && results.randomSamples[count].milliseconds != 0;
             ++count)
            sum += results.randomSamples[count].milliseconds;
        if (count > 0) {
            figures.hasSamples = true;
            figures.accessMilliseconds = sum / count;
        }
    }
    return figures;
}
