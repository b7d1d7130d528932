#include "FragmentationFigures.h"

#include <gtest/gtest.h>

namespace {

ReportEntry Entry(uint32_t before, uint32_t after, uint64_t clusters) {
    ReportEntry entry;
    entry.path = L"C:\\f.bin";
    entry.fragmentsBefore = before;
    entry.fragmentsAfter = after;
    entry.allocatedClusters = clusters;
    return entry;
}

RunResults Results(uint64_t total, uint64_t used) {
    RunResults results;
    results.statisticsRead = true;
    results.statistics->totalClusters = total;
    results.statistics->usedClusters = used;
    return results;
}

TEST(Fragmentation, SumsOfFilesWithMoreThanOneFragment) {
    RunResults results = Results(1000, 500);
    results.reports = {Entry(5, 1, 100), Entry(1, 3, 50), Entry(1, 1, 400), Entry(2, 2, 10)};
    FragmentationFigures figures;
    ASSERT_TRUE(ComputeFragmentation(results, figures));
    EXPECT_DOUBLE_EQ(11.0, figures.diskBefore); // (100 + 10) of 1000
    EXPECT_DOUBLE_EQ(22.0, figures.dataBefore);
    EXPECT_DOUBLE_EQ(6.0, figures.diskAfter); // (50 + 10) of 1000
    EXPECT_DOUBLE_EQ(12.0, figures.dataAfter);
    EXPECT_GE(figures.dataBefore, figures.diskBefore);
}

TEST(Fragmentation, ZeroClustersIsAFailureNotACleanDisk) {
    FragmentationFigures figures{1, 2, 3, 4};
    RunResults noClusters = Results(0, 0);
    noClusters.reports = {Entry(5, 5, 100)};
    EXPECT_FALSE(ComputeFragmentation(noClusters, figures));
    EXPECT_EQ(0.0, figures.diskBefore);
    EXPECT_FALSE(HasUsableStatistics(noClusters));

    EXPECT_FALSE(ComputeFragmentation(Results(1000, 0), figures)) << "used 0";
    EXPECT_FALSE(ComputeFragmentation(Results(0, 10), figures)) << "total 0";

    RunResults unread = Results(1000, 500);
    unread.statisticsRead = false;
    EXPECT_FALSE(ComputeFragmentation(unread, figures)) << "statistics not read";
}

TEST(Fragmentation, RoundedAsPrinted) {
    EXPECT_DOUBLE_EQ(0.99, RoundAsPrinted(0.994));
    EXPECT_DOUBLE_EQ(1.0, RoundAsPrinted(0.995001));
    EXPECT_DOUBLE_EQ(12.35, RoundAsPrinted(12.3456));
}

TEST(Fragmentation, Recommendation) {
    EXPECT_FALSE(IsDefragmentationRecommended(99, 0.99));
    EXPECT_TRUE(IsDefragmentationRecommended(100, 0.0));
    EXPECT_TRUE(IsDefragmentationRecommended(0, RoundAsPrinted(0.996)));
}

} // namespace
