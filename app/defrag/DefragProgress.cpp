#include "DefragProgress.h"

namespace {

constexpr int kFirstPassFloor = 250;
constexpr int kSecondPassStart = kProgressEnd / 2;
constexpr int kRunningCeiling = 950'000;

} // namespace

int ProgressPosition(const DefragStatistics& statistics, int pass) {
    if (statistics.usedClusters == 0)
        return 0;
    const double share = static_cast<double>(statistics.clustersProcessed) * kProgressEnd /
                         static_cast<double>(statistics.usedClusters);
    // The service may count more clusters processed than used: the cap holds the bar below
    // the end all the same.
    const int processed = share >= kProgressEnd ? kProgressEnd : static_cast<int>(share);
    int position = processed / 2;
    if (pass == 0) {
        if (position == 0)
            position = kFirstPassFloor;
    } else {
        position += kSecondPassStart;
    }
    return position > kRunningCeiling ? kRunningCeiling : position;
}

CString PercentText(double percent) {
    CString text;
    text.Format(L"%0.2f%%", percent);
    return text;
}

JobSummary SummariseJob(const RunResults& results, bool defragmentation, const CString& dateText,
                        const LangLookup& text) {
    JobSummary summary;
    static_cast<void>(ComputeFragmentation(results, summary.figures));
    const FragmentationFigures& f = summary.figures;
    summary.volumeResult.Format(text(L"IDS_FRAGMENTATION_RES"),
                                PercentText(f.diskBefore).GetString(),
                                PercentText(f.diskAfter).GetString());
    summary.dataResult.Format(text(L"IDS_FRAGMENTATION_RES"), PercentText(f.dataBefore).GetString(),
                              PercentText(f.dataAfter).GetString());
    summary.result = defragmentation ? f.diskAfter : f.diskBefore;
    const CString resultText = PercentText(summary.result);
    if (summary.result >= 1.0) {
        summary.line1.Format(text(L"IDS_DISK_FRG_FOUND"), resultText.GetString(),
                             dateText.GetString());
        summary.line2.Format(text(L"IDS_DISK_FRGFOUND"), resultText.GetString());
    } else {
        summary.line1.Format(text(L"IDS_NODISK_FRG_FOUND"), dateText.GetString());
        summary.line2 = text(L"IDS_NODISK_FRG");
    }
    summary.launcherStatus = summary.result <= 1.0 ? 1 : 0;
    return summary;
}
