#include "AnalysisSummary.h"

#include "LastScanValues.h"
#include "MainUtilities.h"
#include "PageTexts.h"

namespace {
CString PercentText(double percent) {
    CString text;
    text.Format(L"%0.2f%%", percent);
    return text;
}
} // namespace

AnalysisSummary SummariseAnalysis(const RunResults& results) {
    AnalysisSummary summary;
    FragmentationFigures figures;
    summary.usable = ComputeFragmentation(results, figures);
    if (!summary.usable)
        return summary;
    const DefragStatistics& statistics = *results.statistics;
    summary.disk = RoundAsPrinted(figures.diskBefore);
    summary.data = RoundAsPrinted(figures.dataBefore);
    summary.diskText = PercentText(summary.disk);
    summary.dataText = PercentText(summary.data);
    summary.files = statistics.files;
    summary.fragmentedFiles = statistics.fragmentedFiles;
    summary.filesText = GroupedNumberText(statistics.files);
    summary.fragmentedFilesText = GroupedNumberText(statistics.fragmentedFiles);
    summary.largestFreeText =
        ByteSizeText(statistics.largestFreeRun * statistics.sectorsPerCluster *
                     static_cast<ULONGLONG>(statistics.bytesPerSector));
    summary.recommended = IsDefragmentationRecommended(summary.fragmentedFiles, summary.disk);
    return summary;
}

CString LastDriveText(wchar_t drive) {
    CString text;
    text.Format(L"%c:\\", drive);
    return text;
}

void SaveAnalysisLastScan(ResultsPageServices& services, const AnalysisSummary& summary,
                          wchar_t drive) {
    if (!summary.usable)
        return;
    services.SaveLastScanText(kLastScanStatusLine1,
                              AppTextFormat(L"IDS_STATUS1", drive, summary.diskText.GetString()));
    services.SaveLastScanText(
        kLastScanStatusLine2,
        AppTextFormat(L"IDS_FRAG_FILES_STATUS", summary.fragmentedFilesText.GetString()));
    services.SaveLastScanText(
        kLastScanVolumeResult,
        AppTextFormat(L"IDS_FRAGMENTATION_RES_ONLYSCAN", summary.diskText.GetString()));
    services.SaveLastScanText(kLastScanDrive, LastDriveText(drive));
    CString dataForRegistry;
    dataForRegistry.Format(L"%.2f%% ", summary.data);
    services.SaveLastScanText(kLastScanDataResult, AppTextFormat(L"IDS_FRAGMENTATION_RES_ONLYSCAN",
                                                                 dataForRegistry.GetString()));
}
