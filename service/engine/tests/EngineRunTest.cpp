// Whole runs of the engine on simulated volumes: moves, failures, aborts, the strategies' edge
// cases, the walk's special items, and the volume left sound with every byte in place.
#include "EngineTestVolume.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// A volume of 4,096 clusters with an MFT zone at [100, 200) and three files.
void AddThreeFiles(EngineTestVolume& t) {
    t.AddFile(L"\\a.bin", {{1000, 5}, {2000, 5}, {3000, 5}});
    t.AddDirectory(L"\\dir");
    t.AddFile(L"\\dir\\b.bin", {{1500, 8}, {1200, 8}});
    t.AddFile(L"\\c.bin", {{2500, 10}});
}

TEST(EngineRun, DefragmentsFragmentedFilesFirstFitOutsideTheMftZone) {
    EngineTestVolume t(4096, L"NTFS", 10, 200);
    AddThreeFiles(t);
    ASSERT_EQ(1, t.Run(0, true));

    // [0, 10) is too small for a; the zone is never used; b follows a.
    EXPECT_EQ((Layout{{200, 15}}), t.LayoutOf(L"\\a.bin"));
    EXPECT_EQ((Layout{{215, 16}}), t.LayoutOf(L"\\dir\\b.bin"));
    EXPECT_EQ((Layout{{2500, 10}}), t.LayoutOf(L"\\c.bin"));
    t.ExpectSound();

    const DefragStatistics& s = t.Statistics();
    EXPECT_EQ(3u, s.files);
    EXPECT_EQ(1u, s.directories);
    EXPECT_EQ(2u, s.fragmentedFiles);
    EXPECT_EQ(5u, s.fragmentsFound);
    EXPECT_EQ(0u, s.fragmentsRemaining);
    EXPECT_EQ(2u, s.filesMadeContiguous);
    EXPECT_EQ(0u, s.itemsNotDefragmented);
    EXPECT_EQ((15u + 16u) * 512u, s.fragmentedBytes);
    EXPECT_EQ(4096u, s.totalClusters);
    EXPECT_EQ(s.usedClusters, s.clustersProcessed);
    EXPECT_EQ(0u, s.aborted);
    EXPECT_EQ(L'T', s.drive);
    EXPECT_EQ(std::wstring(L"NTFS"), s.fileSystemName);
    EXPECT_EQ(L'\0', s.currentPath[0]);
    EXPECT_EQ(190u, t.CellTotal(&ClusterMapBlock::mftZoneClusters));
    EXPECT_EQ(15u + 16u + 10u, t.CellTotal(&ClusterMapBlock::contiguousClusters));
    EXPECT_EQ(0u, t.CellTotal(&ClusterMapBlock::fragmentedClusters));

    const std::vector<FileReport> reports = t.Reports();
    ASSERT_EQ(2u, reports.size());
    EXPECT_EQ(L"T:\\a.bin", reports[0].path);
    EXPECT_EQ(3u, reports[0].fragmentsBefore);
    EXPECT_EQ(1u, reports[0].fragmentsAfter);
    EXPECT_EQ(15u, reports[0].allocatedClusters);
    EXPECT_EQ(15u * 512u, reports[0].size);
    EXPECT_EQ(static_cast<uint32_t>(kReportContiguous), reports[0].status);
    EXPECT_EQ(L"T:\\dir\\b.bin", reports[1].path);
    // Free after the moves: [0, 10), [231, 2500) and [2510, 4096); the zone counts as used.
    EXPECT_EQ(2500u - 231u, t.Statistics().largestFreeRun);
}

TEST(EngineRun, FailedMovesAreRetriedTwiceThenReportedWithStatus2) {
    EngineTestVolume t(4096, L"NTFS", 10, 200);
    AddThreeFiles(t);
    t.Volume().FailMoves(L"\\a.bin", -1);
    ASSERT_EQ(1, t.Run(0, true));

    EXPECT_EQ(3, t.MovesOf(L"\\a.bin")); // the first try and two retries
    const std::optional<FileReport> a = t.ReportFor(L"T:\\a.bin");
    ASSERT_TRUE(a.has_value());
    EXPECT_EQ(static_cast<uint32_t>(kReportMoveFailed), a->status);
    EXPECT_EQ(3u, a->fragmentsAfter);
    EXPECT_EQ((Layout{{1000, 5}, {2000, 5}, {3000, 5}}), t.LayoutOf(L"\\a.bin"));
    // The others still move.
    EXPECT_EQ(1u, t.LayoutOf(L"\\dir\\b.bin").size());
    EXPECT_EQ(1u, t.Statistics().itemsNotDefragmented);
    EXPECT_EQ(3u, t.Statistics().fragmentsRemaining);
    t.ExpectSound();
}

TEST(EngineRun, AMoveFailingPartWayAccountsTheChunksThatMoved) {
    EngineTestVolume t(4096, L"NTFS", 10, 200);
    t.AddFile(L"\\big.bin", {{1000, 40}, {2000, 40}});
    // Chunks 1 and 2 move; the third fails once; the retry moves the rest.
    int moves = 0;
    t.Volume().SetBeforeMoveHook([&](const SimMoveEvent&) {
        if (++moves == 3) {
            t.Volume().FailMoves(L"\\big.bin", 1);
        }
    });
    ASSERT_EQ(1, t.Run(0, true));
    EXPECT_EQ(1u, t.LayoutOf(L"\\big.bin").size());
    EXPECT_EQ(static_cast<uint32_t>(kReportContiguous), t.ReportFor(L"T:\\big.bin")->status);
    t.ExpectSound();
}

TEST(EngineRun, AbortMidFileReportsStatus3AndEndsTheWalk) {
    EngineTestVolume t(4096, L"NTFS", 10, 200);
    t.AddFile(L"\\a.bin", {{1000, 40}, {2000, 40}, {3000, 40}});
    t.AddFile(L"\\z.bin", {{1100, 5}, {2100, 5}});
    t.AbortAtMove(4); // in the second extent: the first and 24 clusters of the second moved
    ASSERT_EQ(1, t.Run(0, true));

    EXPECT_EQ(1u, t.Statistics().aborted);
    const std::optional<FileReport> a = t.ReportFor(L"T:\\a.bin");
    ASSERT_TRUE(a.has_value());
    EXPECT_EQ(static_cast<uint32_t>(kReportAborted), a->status);
    EXPECT_EQ(0, t.MovesOf(L"\\z.bin"));
    EXPECT_EQ(1u, t.Statistics().files); // the walk ended before z.bin
    EXPECT_FALSE(t.ReportFor(L"T:\\z.bin").has_value());
    EXPECT_EQ(L'\0', t.Statistics().currentPath[0]);
    t.ExpectSound(); // the moved chunks are accounted in the map
}

TEST(EngineRun, AbortDuringTheLastMoveOfAnItemIsStatus3NotFragmented) {
    EngineTestVolume t(4096, L"NTFS", 10, 200);
    t.AddFile(L"\\a.bin", {{1000, 20}, {2000, 20}});
    // Three calls of 16, 16 and 8 clusters move the item; the second ends the first extent and
    // begins the second, and the abort comes with it.
    t.AbortAtMove(2);
    ASSERT_EQ(1, t.Run(0, true));
    EXPECT_EQ(static_cast<uint32_t>(kReportAborted), t.ReportFor(L"T:\\a.bin")->status);
    t.ExpectSound();
}

// An abort inside a move is never taken for a finished one: the item keeps status 3 whether
// the move was a consolidation or the retry of a failed move, counts as not defragmented and
// is not made contiguous.
TEST(EngineRun, AbortDuringAConsolidationIsReportedAbortedNotMoved) {
    EngineTestVolume t(1000);
    t.Occupy({{0, 10}});
    t.AddFile(L"\\c.bin", {{500, 40}});
    t.AbortAtMove(2); // the second of three chunks moves, the third never starts
    ASSERT_EQ(1, t.Run(1, true));
    EXPECT_EQ(1u, t.Statistics().aborted);
    EXPECT_EQ((Layout{{10, 32}, {532, 8}}), t.LayoutOf(L"\\c.bin"));
    const std::optional<FileReport> c = t.ReportFor(L"T:\\c.bin");
    ASSERT_TRUE(c.has_value());
    EXPECT_EQ(static_cast<uint32_t>(kReportAborted), c->status);
    EXPECT_EQ(2u, c->fragmentsAfter);
    EXPECT_EQ(1u, t.Statistics().itemsNotDefragmented);
    EXPECT_EQ(2u, t.Statistics().fragmentsRemaining);
    t.ExpectSound();
}

TEST(EngineRun, AbortDuringTheRetryOfAFailedMoveIsStatus3NotAFailureNorAMove) {
    EngineTestVolume t(4096, L"NTFS", 10, 200);
    t.AddFile(L"\\a.bin", {{1000, 10}, {2000, 10}, {3000, 10}});
    t.AddFile(L"\\z.bin", {{1100, 5}, {2100, 5}});
    t.Volume().FailMoves(L"\\a.bin", 1); // the first try fails at its first chunk
    // The retry's first call moves the first extent and 6 clusters of the second; the rest
    // never moves.
    t.AbortAtMove(2);
    ASSERT_EQ(1, t.Run(0, true));
    EXPECT_EQ(1u, t.Statistics().aborted);
    EXPECT_EQ((Layout{{200, 16}, {2006, 4}, {3000, 10}}), t.LayoutOf(L"\\a.bin"));
    const std::optional<FileReport> a = t.ReportFor(L"T:\\a.bin");
    ASSERT_TRUE(a.has_value());
    EXPECT_EQ(static_cast<uint32_t>(kReportAborted), a->status);
    EXPECT_EQ(3u, a->fragmentsBefore);
    EXPECT_EQ(3u, a->fragmentsAfter);
    EXPECT_EQ(0u, t.Statistics().filesMadeContiguous);
    EXPECT_EQ(1u, t.Statistics().itemsNotDefragmented);
    EXPECT_EQ(3u, t.Statistics().fragmentsRemaining);
    EXPECT_EQ(0, t.MovesOf(L"\\z.bin"));
    t.ExpectSound();
}

// The abort comes while the item's last chunk is on its way: that move is done, so the item is
// contiguous and reported so, and the walk ends before the next item.
TEST(EngineRun, AbortAfterTheLastChunkOfAnItemLeavesItContiguousAndEndsTheWalk) {
    EngineTestVolume t(4096, L"NTFS", 10, 200);
    t.AddFile(L"\\a.bin", {{1000, 5}, {2000, 5}});
    t.AddFile(L"\\z.bin", {{1100, 5}, {2100, 5}});
    t.AbortAtMove(1); // one call moves both extents
    ASSERT_EQ(1, t.Run(0, true));
    EXPECT_EQ(1u, t.Statistics().aborted);
    EXPECT_EQ((Layout{{0, 10}}), t.LayoutOf(L"\\a.bin")); // [0, 10) holds it exactly
    EXPECT_EQ(static_cast<uint32_t>(kReportContiguous), t.ReportFor(L"T:\\a.bin")->status);
    EXPECT_EQ(1u, t.Statistics().filesMadeContiguous);
    EXPECT_EQ(0u, t.Statistics().itemsNotDefragmented);
    EXPECT_EQ(0, t.MovesOf(L"\\z.bin"));
    EXPECT_FALSE(t.ReportFor(L"T:\\z.bin").has_value());
    t.ExpectSound();
}

TEST(EngineRun, AbortOfAPausedRunStopsWithoutWaiting) {
    EngineTestVolume t(4096, L"NTFS", 10, 200);
    AddThreeFiles(t);
    t.State().SetClientPause(true);
    t.State().RequestAbort();
    ASSERT_EQ(1, t.Run(0, true));
    EXPECT_EQ(1u, t.Statistics().aborted);
    EXPECT_EQ(0, t.TotalMoves());
    EXPECT_EQ(0u, t.Statistics().files);
    t.ExpectSound();
}

// The run's own outcome, below the 1 or 0 that RunDefrag answers: aborted while a move was
// under way, done when run again to its end, failed on a drive with no volume.
TEST(EngineRun, TheRunsOutcomeTellsAnAbortedRunFromAFinishedOne) {
    EngineTestVolume t(4096, L"NTFS", 10, 200);
    t.AddFile(L"\\a.bin", {{1000, 40}, {2000, 40}});
    t.AbortAtMove(2);
    DefragEngineState& state = t.State();
    ASSERT_TRUE(state.AllocateCells(EngineTestVolume::kCells));
    {
        CDefragRun run(state, t.Api(), 0, false);
        EXPECT_TRUE(run.DefragVolume(EngineTestVolume::kDrive) == RunOutcome::Aborted);
        EXPECT_EQ(2, t.MovesOf(L"\\a.bin"));
    }
    state.ClearAbort();
    {
        CDefragRun run(state, t.Api(), 0, false);
        EXPECT_TRUE(run.DefragVolume(EngineTestVolume::kDrive) == RunOutcome::Done);
        EXPECT_EQ(0u, state.statistics.aborted);
        EXPECT_EQ(1u, t.LayoutOf(L"\\a.bin").size());
    }
    CDefragRun run(state, t.Api(), 0, false);
    EXPECT_TRUE(run.DefragVolume(L'Q') == RunOutcome::Failed);
    EXPECT_EQ(0u, t.Api().OpenHandleCount());
}

TEST(EngineStrategies, AdjacentExtentsAreOneFragmentAndAreNotMoved) {
    EngineTestVolume t(4096, L"NTFS", 10, 200);
    t.AddFile(L"\\a.bin", {{1000, 4}});
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS),
              t.Volume().ReplaceExtents(L"\\a.bin", L"", {{0, 1000, 2}, {2, 1002, 2}}));
    ASSERT_EQ(1, t.Run(0, true));
    EXPECT_EQ(0, t.TotalMoves());
    EXPECT_EQ(0u, t.Statistics().fragmentedFiles);
    EXPECT_TRUE(t.Reports().empty());
}

TEST(EngineStrategies, WithRoomOnlyForTheFirstTwoFragmentsThoseTwoMove) {
    EngineTestVolume t(300);
    // Free: [10, 18) of 8 clusters and [50, 53) of 3; the rest is used.
    t.Occupy({{0, 10}, {18, 32}, {53, 47}, {104, 16}, {124, 16}, {144, 156}});
    t.AddFile(L"\\x.bin", {{100, 4}, {120, 4}, {140, 4}});
    ASSERT_EQ(1, t.Run(0, true));
    EXPECT_EQ((Layout{{10, 8}, {140, 4}}), t.LayoutOf(L"\\x.bin"));
    const std::optional<FileReport> x = t.ReportFor(L"T:\\x.bin");
    ASSERT_TRUE(x.has_value());
    EXPECT_EQ(static_cast<uint32_t>(kReportFragmented), x->status);
    EXPECT_EQ(2u, x->fragmentsAfter);
    EXPECT_EQ(2u, t.Statistics().fragmentsRemaining);
    EXPECT_EQ(1u, t.Statistics().itemsNotDefragmented);
    t.ExpectSound();
}

TEST(EngineStrategies, WhenTheFirstTwoFragmentsFitNowhereTheFirstIsSkipped) {
    EngineTestVolume t(300);
    // The only free run is [10, 15) of 5 clusters.
    t.Occupy({{0, 10}, {15, 85}, {110, 10}, {122, 8}, {132, 168}});
    t.AddFile(L"\\x.bin", {{100, 10}, {120, 2}, {130, 2}});
    ASSERT_EQ(1, t.Run(0, true));
    EXPECT_EQ((Layout{{100, 10}, {10, 4}}), t.LayoutOf(L"\\x.bin"));
    EXPECT_EQ(2u, t.ReportFor(L"T:\\x.bin")->fragmentsAfter);
    t.ExpectSound();
}

TEST(EngineStrategies, ConsolidationMovesOnlyIntoFreeRunsBelowTheItem) {
    EngineTestVolume t(1000);
    t.Occupy({{0, 5}, {20, 180}});
    t.AddFile(L"\\low.bin", {{5, 5}}); // free space follows it, none lies below
    t.AddFile(L"\\high.bin", {{500, 8}});
    ASSERT_EQ(1, t.Run(1, true));
    EXPECT_EQ((Layout{{5, 5}}), t.LayoutOf(L"\\low.bin"));
    EXPECT_EQ((Layout{{10, 8}}), t.LayoutOf(L"\\high.bin"));
    EXPECT_TRUE(t.Reports().empty()); // both ended contiguous
    EXPECT_EQ(0u, t.Statistics().itemsNotDefragmented);
    t.ExpectSound();
}

// Moving a contiguous item into a hole below it leaves a hole of its size behind; the move is
// made only when the free space ends in better shape.
TEST(EngineStrategies, ConsolidationMovesOnlyWhatImprovesTheFreeSpace) {
    struct Case {
        const char* name;
        std::vector<LayoutRun> occupied;
        LayoutRun item;
        int64_t expectedLcn;
    };
    const Case cases[] = {
        // Used clusters on both sides: the move would only trade one hole for another.
        {"hemmed in", {{0, 10}, {20, 80}, {108, 892}}, {100, 8}, 100},
        // It fills [10, 15) exactly and its place joins the free runs on both sides.
        {"exact fit, free on both sides",
         {{0, 10}, {15, 283}, {307, 493}, {900, 100}},
         {300, 5},
         10},
        {"exact fit, used on one side",
         {{0, 10}, {15, 285}, {307, 493}, {900, 100}},
         {300, 5},
         300},
        {"loose fit", {{0, 10}, {16, 282}, {307, 493}, {900, 100}}, {300, 5}, 300},
        // Its place and the free tail after it make the longest free run longer.
        {"before the longest free run", {{0, 10}, {20, 580}}, {600, 4}, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EngineTestVolume t(1000);
        t.Occupy(c.occupied);
        t.AddFile(L"\\c.bin", {c.item});
        ASSERT_EQ(1, t.Run(1, true));
        EXPECT_EQ((Layout{{c.expectedLcn, c.item.count}}), t.LayoutOf(L"\\c.bin"));
        EXPECT_TRUE(t.Reports().empty()); // contiguous before and after
        t.ExpectSound();
    }
}

// A call moves up to 16 consecutive virtual clusters, across the extents of the item, but never
// across a sparse run.
TEST(EngineStrategies, MoveCallsSpanSmallExtentsButNeverASparseRun) {
    EngineTestVolume t(4096, L"NTFS", 10, 200);
    t.AddFile(
        L"\\many.bin",
        {{1000, 3}, {1010, 3}, {1020, 3}, {1030, 3}, {1040, 3}, {1050, 3}, {1060, 3}, {1070, 3}});
    t.AddFile(L"\\holey.bin", {{2000, 3}, {-1, 2}, {2010, 3}, {2020, 3}});
    std::map<std::wstring, std::vector<std::pair<uint64_t, uint32_t>>> calls;
    t.Volume().SetBeforeMoveHook(
        [&](const SimMoveEvent& move) { calls[move.path].emplace_back(move.vcn, move.count); });
    ASSERT_EQ(1, t.Run(0, true));
    using Calls = std::vector<std::pair<uint64_t, uint32_t>>;
    EXPECT_EQ((Calls{{0, 16}, {16, 8}}), calls[L"\\many.bin"]);
    EXPECT_EQ((Calls{{0, 3}, {5, 6}}), calls[L"\\holey.bin"]);
    // holey.bin comes first in the listing, and its 9 clusters fit below the MFT zone.
    EXPECT_EQ((Layout{{0, 3}, {-1, 2}, {3, 6}}), t.LayoutOf(L"\\holey.bin"));
    EXPECT_EQ((Layout{{200, 24}}), t.LayoutOf(L"\\many.bin"));
    t.ExpectSound();
}

TEST(EngineStrategies, AnalysisReportsWithoutMovingAndContiguousItemsInConsolidationMode) {
    EngineTestVolume t(4096, L"NTFS", 10, 200);
    AddThreeFiles(t);
    ASSERT_EQ(1, t.Run(1, false));
    EXPECT_EQ(0, t.TotalMoves());
    EXPECT_EQ(t.Statistics().usedClusters, t.Statistics().clustersProcessed);
    const std::optional<FileReport> a = t.ReportFor(L"T:\\a.bin");
    ASSERT_TRUE(a.has_value());
    EXPECT_EQ(3u, a->fragmentsBefore);
    EXPECT_EQ(3u, a->fragmentsAfter);
    EXPECT_EQ(static_cast<uint32_t>(kReportContiguous), a->status);
    const std::optional<FileReport> c = t.ReportFor(L"T:\\c.bin");
    ASSERT_TRUE(c.has_value());
    EXPECT_EQ(1u, c->fragmentsBefore);
    EXPECT_EQ(0u, c->fragmentsAfter);
    EXPECT_EQ(5u, t.Statistics().fragmentsRemaining);
    t.ExpectSound();
}

TEST(EngineStrategies, SparseRunsInsideAFileAreNeverMoved) {
    EngineTestVolume t(4096, L"NTFS", 10, 200);
    t.AddFile(L"\\s.bin", {{1000, 20}, {-1, 30}, {2000, 20}});
    std::vector<SimMoveEvent> moves;
    t.Volume().SetBeforeMoveHook([&](const SimMoveEvent& move) { moves.push_back(move); });
    ASSERT_EQ(1, t.Run(0, true));
    for (const SimMoveEvent& move : moves) {
        EXPECT_TRUE(move.vcn + move.count <= 20 || (move.vcn >= 50 && move.vcn + move.count <= 70))
            << "move of VCN " << move.vcn;
    }
    EXPECT_EQ((Layout{{200, 20}, {-1, 30}, {220, 20}}), t.LayoutOf(L"\\s.bin"));
    t.ExpectSound();
}

TEST(EngineWalk, UnmovableItemsAreCountedAndMappedButNeverMoved) {
    EngineTestVolume t(4096, L"NTFS", 10, 200);
    t.AddDirectory(L"\\Boot");
    t.AddFile(L"\\Boot\\BCD", {{1000, 4}, {1100, 4}});
    t.AddFile(L"\\pagefile.sys", {{2000, 4}, {2100, 4}});
    t.AddDirectory(L"\\data");
    t.AddDirectory(L"\\data\\boot");
    t.AddFile(L"\\data\\boot\\x", {{3000, 4}, {3100, 4}});
    ASSERT_EQ(1, t.Run(0, true));
    EXPECT_EQ(0, t.MovesOf(L"\\Boot\\BCD"));
    EXPECT_EQ(0, t.MovesOf(L"\\pagefile.sys"));
    EXPECT_LT(0, t.MovesOf(L"\\data\\boot\\x"));
    EXPECT_EQ(static_cast<uint32_t>(kReportUnmovable), t.ReportFor(L"T:\\Boot\\BCD")->status);
    EXPECT_EQ(static_cast<uint32_t>(kReportUnmovable), t.ReportFor(L"T:\\pagefile.sys")->status);
    EXPECT_EQ(static_cast<uint32_t>(kReportContiguous), t.ReportFor(L"T:\\data\\boot\\x")->status);
    EXPECT_EQ(3u, t.Statistics().fragmentedFiles);
    EXPECT_EQ(2u, t.Statistics().itemsNotDefragmented);
    EXPECT_EQ(16u, t.CellTotal(&ClusterMapBlock::fragmentedClusters));
    t.ExpectSound();
}

TEST(EngineWalk, ReparsePointsAreNeitherCountedNorEntered) {
    EngineTestVolume t(4096, L"NTFS", 10, 200);
    t.AddDirectory(L"\\junction", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT);
    t.AddFile(L"\\junction\\inside.bin", {{1000, 4}, {1100, 4}});
    t.AddFile(L"\\plain.bin", {{2000, 4}});
    ASSERT_EQ(1, t.Run(0, true));
    EXPECT_EQ(0u, t.Statistics().directories);
    EXPECT_EQ(1u, t.Statistics().files);
    EXPECT_EQ(0, t.TotalMoves());
}

TEST(EngineWalk, DirectoryThatCannotBeOpenedAndIsUnmovableGetsTwoReports) {
    EngineTestVolume t(4096, L"NTFS", 10, 200);
    t.AddDirectory(L"\\$LDR$");
    t.Volume().FailOpens(L"\\$LDR$", -1);
    t.AddFile(L"\\locked.bin", {{1000, 4}});
    t.Volume().FailOpens(L"\\locked.bin", -1);
    ASSERT_EQ(1, t.Run(0, true));
    const std::vector<FileReport> reports = t.Reports();
    ASSERT_EQ(3u, reports.size());
    EXPECT_EQ(L"T:\\$LDR$", reports[0].path);
    EXPECT_EQ(static_cast<uint32_t>(kReportOpenFailed), reports[0].status);
    EXPECT_EQ(1u, reports[0].isDirectory);
    EXPECT_EQ(L"T:\\$LDR$", reports[1].path);
    EXPECT_EQ(static_cast<uint32_t>(kReportUnmovable), reports[1].status);
    EXPECT_EQ(L"T:\\locked.bin", reports[2].path);
    EXPECT_EQ(static_cast<uint32_t>(kReportOpenFailed), reports[2].status);
    EXPECT_EQ(0u, reports[2].isDirectory);
    EXPECT_EQ(3u, t.Statistics().itemsNotDefragmented);
}

TEST(EngineWalk, AttributeStreamsAreDefragmentedOnNtfsUnderTheItemsPath) {
    EngineTestVolume t(4096, L"NTFS", 10, 200);
    t.AddDirectory(L"\\big");
    t.SetStream(L"\\big", L"::$BITMAP", {{1000, 3}, {1100, 3}});
    ASSERT_EQ(1, t.Run(0, true));
    EXPECT_EQ(1u, t.LayoutOf(L"\\big", L"::$BITMAP").size());
    EXPECT_EQ(6u, t.Statistics().streamClusters);
    const std::optional<FileReport> big = t.ReportFor(L"T:\\big");
    ASSERT_TRUE(big.has_value());
    EXPECT_EQ(1u, big->isDirectory);
    t.ExpectSound();
}

TEST(EngineWalk, OtherFileSystemsOpenNoStreamsAndSkipFragmentedDirectories) {
    EngineTestVolume t(4096, L"FAT32");
    t.AddDirectory(L"\\big");
    t.SetStream(L"\\big", L"", {{1000, 3}, {1100, 3}});
    t.SetStream(L"\\big", L"::$BITMAP", {{2000, 3}, {2100, 3}});
    t.AddFile(L"\\f.bin", {{3000, 3}, {3100, 3}});
    ASSERT_EQ(1, t.Run(0, true));
    EXPECT_EQ(0u, t.Statistics().streamClusters);
    EXPECT_EQ(0, t.MovesOf(L"\\big"));
    EXPECT_EQ(static_cast<uint32_t>(kReportNonNtfsDirectory), t.ReportFor(L"T:\\big")->status);
    EXPECT_EQ(1u, t.LayoutOf(L"\\f.bin").size());
    EXPECT_EQ(std::wstring(L"FAT32"), t.Statistics().fileSystemName);
    t.ExpectSound();
}

TEST(EngineWalk, DeepTreesAreWalkedAndPathsPastTheLimitAreReportedUnopened) {
    EngineTestVolume t(4096);
    const std::wstring name(250, L'd');
    std::wstring path;
    for (int level = 1; level <= 131; ++level) {
        path += L"\\" + name;
        t.AddDirectory(path);
        if (level == 2) {
            t.AddFile(path + L"\\deep.bin", {{1000, 4}, {1100, 4}}); // past MAX_PATH
        }
    }
    t.AddFile(path + L"\\never.bin", {{2000, 4}});
    ASSERT_EQ(1, t.Run(0, true));
    EXPECT_EQ(131u, t.Statistics().directories);
    EXPECT_EQ(1u, t.Statistics().files);
    const std::vector<FileReport> reports = t.Reports();
    ASSERT_EQ(2u, reports.size()); // the deepest level is walked before deep.bin
    EXPECT_EQ(kPathUnits - 1, reports[0].path.size()); // cut to fit the record
    EXPECT_EQ(static_cast<uint32_t>(kReportOpenFailed), reports[0].status);
    EXPECT_EQ(1u, reports[0].isDirectory);
    EXPECT_EQ(static_cast<uint32_t>(kReportContiguous), reports[1].status);
    EXPECT_EQ(1u, t.LayoutOf(path.substr(0, 2 * 251) + L"\\deep.bin").size());
    EXPECT_EQ(L'\0', t.Statistics().currentPath[0]);
    t.ExpectSound();
}

TEST(EngineWalk, AVolumeThatCannotBeOpenedEndsTheRunWithAnEmptyWalk) {
    EngineTestVolume t(4096);
    DefragEngineState& state = t.State();
    ASSERT_TRUE(state.AllocateCells(EngineTestVolume::kCells));
    state.statistics.totalClusters = 777; // a previous run's figure
    EXPECT_EQ(0, RunDefrag(state, t.Api(), 0, L'Q', true));
    EXPECT_EQ(0u, state.statistics.totalClusters);
    EXPECT_EQ(0u, state.statistics.files);
}

// A file with two names is walked, counted and reported once per name, but its clusters,
// those of its attribute list too, enter the map once: the map matches the bitmap.
TEST(EngineRun, AHardLinkedFileIsMappedOnceAndReportedPerName) {
    for (const bool defragment : {false, true}) {
        SCOPED_TRACE(defragment ? "defragment" : "analyse");
        EngineTestVolume t(4096, L"NTFS", 10, 200);
        t.AddFile(L"\\a.bin", {{1000, 5}, {2000, 5}, {3000, 5}});
        t.SetStream(L"\\a.bin", L"::$ATTRIBUTE_LIST", {{1010, 2}, {3010, 2}});
        ASSERT_EQ(ERROR_SUCCESS, t.Volume().AddHardLink(L"\\a.bin", L"\\b-link.bin"));
        // Shares map cells with a and is walked after the second name.
        t.AddFile(L"\\c.bin", {{1005, 5}});
        ASSERT_EQ(1, t.Run(0, defragment));
        t.ExpectSound();

        const DefragStatistics& s = t.Statistics();
        EXPECT_EQ(3u, s.files);
        const uint64_t clustersOfA = 15 + 4;
        if (defragment) {
            EXPECT_EQ(1u, t.LayoutOf(L"\\a.bin").size());
            EXPECT_EQ(1u, t.LayoutOf(L"\\a.bin", L"::$ATTRIBUTE_LIST").size());
            EXPECT_EQ(clustersOfA + 5, t.CellTotal(&ClusterMapBlock::contiguousClusters));
            EXPECT_EQ(0u, t.CellTotal(&ClusterMapBlock::fragmentedClusters));
        } else {
            EXPECT_EQ(2u * (3 + 2), s.fragmentsFound); // per name: the data and the list
            EXPECT_EQ(4u, s.fragmentedFiles);
            EXPECT_EQ(clustersOfA, t.CellTotal(&ClusterMapBlock::fragmentedClusters));
            EXPECT_EQ(5u, t.CellTotal(&ClusterMapBlock::contiguousClusters));
            EXPECT_EQ(3u, t.ReportFor(L"T:\\b-link.bin")->fragmentsBefore);
        }
        ASSERT_TRUE(t.ReportFor(L"T:\\a.bin").has_value());
        // Made contiguous under its first name, the file needs nothing under its second.
        EXPECT_EQ(!defragment, t.ReportFor(L"T:\\b-link.bin").has_value());
    }
}

TEST(EngineSeeded, HardLinkedFilesKeepEveryByteAndTheMapMatchesTheBitmap) {
    for (uint64_t seed = 1; seed <= 8; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        SimBuildSpec spec;
        spec.seed = seed;
        spec.geometry.totalClusters = 8192;
        spec.geometry.bytesPerCluster = 512;
        spec.fileCount = 80;
        spec.maxFileBytes = 24 * 1024;
        spec.hardLinkCount = 6;
        spec.streamCount = 2;
        EngineTestVolume t(spec);
        ASSERT_EQ(1, t.Run(static_cast<int32_t>(seed % 2), true));
        t.ExpectSound();
    }
}

TEST(EngineSeeded, SeededVolumesKeepEveryByteAndStaySound) {
    for (uint64_t seed = 1; seed <= 6; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        SimBuildSpec spec;
        spec.seed = seed;
        spec.geometry.totalClusters = 8192;
        spec.geometry.bytesPerCluster = 512;
        spec.fileCount = 120;
        spec.maxFileBytes = 24 * 1024;
        spec.bootFileCount = 2;
        spec.immovableCount = 2;
        spec.lockedCount = 2;
        spec.streamCount = 4;
        spec.sparseCount = 3;
        spec.residentCount = 4;
        spec.reparseCount = 1;
        EngineTestVolume t(spec);
        const int32_t mode = seed % 2 == 0 ? 1 : 0;
        ASSERT_EQ(1, t.Run(mode, true));
        t.ExpectSound();
        EXPECT_LE(t.Statistics().fragmentsRemaining, t.Statistics().fragmentsFound);
        EXPECT_LT(0u, t.Statistics().filesMadeContiguous);
        // A second pass as the main program runs it leaves the volume sound too.
        t.State().FreeDefragResults();
        ASSERT_EQ(1, t.Run(mode, true));
        t.ExpectSound();
    }
}

} // namespace
