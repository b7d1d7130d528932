// Run list: bitmap reading, relabel rules, bucket index and the free-space searches, checked
// against a plain per-cluster model.
#include "RunList.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

std::vector<uint8_t> ToBitmap(const std::vector<bool>& used) {
    std::vector<uint8_t> bitmap((used.size() + 7) / 8, 0);
    for (size_t lcn = 0; lcn < used.size(); ++lcn) {
        if (used[lcn]) {
            bitmap[lcn / 8] |= static_cast<uint8_t>(1u << (lcn % 8));
        }
    }
    return bitmap;
}

void BuildFrom(CRunList& list, const std::vector<bool>& used) {
    const std::vector<uint8_t> bitmap = ToBitmap(used);
    list.Build(bitmap.data(), used.size(), used.size());
}

struct FreeRun {
    uint64_t start;
    uint64_t length;
};

std::vector<FreeRun> FreeRunsOf(const std::vector<bool>& used) {
    std::vector<FreeRun> runs;
    for (uint64_t lcn = 0; lcn < used.size();) {
        uint64_t end = lcn;
        while (end < used.size() && used[end] == used[lcn]) {
            ++end;
        }
        if (!used[lcn]) {
            runs.push_back({lcn, end - lcn});
        }
        lcn = end;
    }
    return runs;
}

// The searches as plain walks over the free runs in LCN order.
bool ModelFindFreeRun(const std::vector<bool>& used, uint64_t minimum, uint64_t wanted,
                      FreeRun& found) {
    FreeRun longest{0, 0};
    for (const FreeRun& run : FreeRunsOf(used)) {
        if (run.length >= wanted) {
            found = run;
            return true;
        }
        if (run.length > longest.length) {
            longest = run;
        }
    }
    if (longest.length == 0 || longest.length < minimum) {
        return false;
    }
    found = longest;
    return true;
}

bool ModelFindFreeRunBelow(const std::vector<bool>& used, uint64_t itemLcn, uint64_t wanted,
                           FreeRun& found) {
    for (const FreeRun& run : FreeRunsOf(used)) {
        if (run.start >= itemLcn) {
            return false;
        }
        if (run.length >= wanted) {
            found = run;
            return true;
        }
    }
    return false;
}

uint64_t ModelFreeRunLengthAt(const std::vector<bool>& used, uint64_t lcn) {
    for (const FreeRun& run : FreeRunsOf(used)) {
        if (lcn >= run.start && lcn < run.start + run.length) {
            return run.length;
        }
    }
    return 0;
}

// Coverage, alternation, labels, used sum and the bucket rule against the model.
void ExpectMatchesModel(const CRunList& list, const std::vector<bool>& used) {
    ASSERT_FALSE(list.Empty());
    ASSERT_EQ(used.size() - 1, list.LastLcn());
    uint64_t expectedStart = 0;
    uint64_t usedSum = 0;
    std::vector<const RunNode*> lowestInBucket(list.BucketCount(), nullptr);
    const RunNode* previous = nullptr;
    for (const RunNode* node = list.Head(); node != nullptr; node = node->next) {
        ASSERT_EQ(previous, node->previous);
        ASSERT_EQ(expectedStart, node->startLcn);
        ASSERT_LE(node->startLcn, node->endLcn);
        if (previous != nullptr) {
            ASSERT_NE(previous->used, node->used)
                << "neighbours with one flag at " << node->startLcn;
        }
        for (uint64_t lcn = node->startLcn; lcn <= node->endLcn; ++lcn) {
            ASSERT_EQ(used[lcn], node->used != 0) << "label of LCN " << lcn;
        }
        if (node->used) {
            usedSum += node->Length();
        }
        const RunNode*& lowest = lowestInBucket[node->startLcn >> CRunList::kBucketShift];
        if (lowest == nullptr) {
            lowest = node;
        }
        expectedStart = node->endLcn + 1;
        previous = node;
    }
    ASSERT_EQ(used.size(), expectedStart);
    ASSERT_EQ(usedSum, list.UsedSum());
    for (uint64_t slot = 0; slot < list.BucketCount(); ++slot) {
        ASSERT_EQ(lowestInBucket[slot], list.BucketNode(slot)) << "bucket slot " << slot;
    }
}

TEST(RunListBuild, ReadsBitsLeastSignificantFirstAndAlternates) {
    // 0b11110001 then 0b00000011: used 0, free 1-3, used 4-9, free 10-15.
    const uint8_t bitmap[] = {0xF1, 0x03};
    CRunList list;
    list.Build(bitmap, 16, 16);
    const RunNode* node = list.Head();
    ASSERT_NE(nullptr, node);
    std::vector<std::pair<uint64_t, uint64_t>> runs;
    std::vector<uint32_t> flags;
    for (; node != nullptr; node = node->next) {
        runs.emplace_back(node->startLcn, node->endLcn);
        flags.push_back(node->used);
    }
    EXPECT_EQ((std::vector<std::pair<uint64_t, uint64_t>>{{0, 0}, {1, 3}, {4, 9}, {10, 15}}), runs);
    EXPECT_EQ((std::vector<uint32_t>{1, 0, 1, 0}), flags);
    EXPECT_EQ(7u, list.UsedSum());
}

TEST(RunListBuild, LastPartialByteIsReadAndTheLastRunEndsAtTheLastCluster) {
    std::vector<bool> used(1003, false);
    for (size_t lcn = 990; lcn < 1001; ++lcn) {
        used[lcn] = true;
    }
    CRunList list;
    BuildFrom(list, used);
    ExpectMatchesModel(list, used);
    EXPECT_EQ(1002u, list.LastLcn());
}

TEST(RunListBuild, LongRunsAcrossWordsAndUnalignedStarts) {
    std::mt19937 random(7);
    for (int round = 0; round < 20; ++round) {
        std::vector<bool> used;
        const size_t total = 500 + random() % 3000;
        bool flag = random() % 2;
        while (used.size() < total) {
            const size_t length = 1 + random() % (random() % 2 ? 5 : 300);
            for (size_t i = 0; i < length && used.size() < total; ++i) {
                used.push_back(flag);
            }
            flag = !flag;
        }
        CRunList list;
        BuildFrom(list, used);
        ExpectMatchesModel(list, used);
    }
}

TEST(RunListBuild, ClustersPastAShortBitmapAreUsed) {
    std::vector<bool> used(100, false);
    const std::vector<uint8_t> bitmap = ToBitmap(used);
    CRunList list;
    list.Build(bitmap.data(), 64, 100);
    std::vector<bool> expected(100, false);
    for (size_t lcn = 64; lcn < 100; ++lcn) {
        expected[lcn] = true;
    }
    ExpectMatchesModel(list, expected);
}

TEST(RunListBuild, EmptyVolumeGivesAnEmptyListThatFindsNothing) {
    CRunList list;
    list.Build(nullptr, 0, 0);
    EXPECT_TRUE(list.Empty());
    uint64_t lcn = 0;
    uint64_t length = 0;
    EXPECT_FALSE(list.FindFreeRun(0, 1, lcn, length));
    EXPECT_FALSE(list.FindFreeRunBelow(100, 1, lcn, length));
    EXPECT_EQ(0u, list.FreeRunLengthAt(0));
    EXPECT_EQ(0u, list.FindLargestFreeRun());
    EXPECT_FALSE(list.SetRunRangeState(0, 0, true));
}

TEST(RunListRelabel, MiddleOfAFreeRunSplitsInThreeAndMergesBack) {
    std::vector<bool> used(1000, false);
    CRunList list;
    BuildFrom(list, used);
    ASSERT_TRUE(list.SetRunRangeState(300, 399, true));
    for (size_t lcn = 300; lcn < 400; ++lcn) {
        used[lcn] = true;
    }
    ExpectMatchesModel(list, used);
    EXPECT_EQ(400u, list.Head()->next->next->startLcn);
    ASSERT_TRUE(list.SetRunRangeState(300, 399, false));
    EXPECT_EQ(nullptr, list.Head()->next);
    EXPECT_EQ(999u, list.Head()->endLcn);
}

TEST(RunListRelabel, WholeFreeRunBetweenUsedRunsBecomesOneUsedRun) {
    std::vector<bool> used(600, true);
    for (size_t lcn = 200; lcn < 400; ++lcn) {
        used[lcn] = false;
    }
    CRunList list;
    BuildFrom(list, used);
    ASSERT_TRUE(list.SetRunRangeState(200, 399, true));
    ASSERT_NE(nullptr, list.Head());
    EXPECT_EQ(nullptr, list.Head()->next);
    EXPECT_EQ(599u, list.Head()->endLcn);
    EXPECT_EQ(600u, list.UsedSum());
    EXPECT_EQ(0u, list.FindLargestFreeRun());
}

TEST(RunListRelabel, RangesThatCannotBeLocatedChangeNothing) {
    std::vector<bool> used(300, false);
    used[10] = true;
    CRunList list;
    BuildFrom(list, used);
    EXPECT_FALSE(list.SetRunRangeState(250, 300, true));
    EXPECT_FALSE(list.SetRunRangeState(400, 410, true));
    EXPECT_FALSE(list.SetRunRangeState(20, 19, true));
    ExpectMatchesModel(list, used);
}

TEST(RunListRelabel, RandomRelabelsKeepEveryInvariantAndTheSearchesMatchTheModel) {
    std::mt19937 random(2026);
    for (int volume = 0; volume < 6; ++volume) {
        const size_t total = 64 + random() % 2500;
        std::vector<bool> used(total);
        for (size_t lcn = 0; lcn < total; ++lcn) {
            used[lcn] = random() % 3 == 0;
        }
        CRunList list;
        BuildFrom(list, used);
        ExpectMatchesModel(list, used);
        for (int step = 0; step < 400; ++step) {
            const uint64_t first = random() % total;
            const uint64_t span = random() % 4 == 0 ? random() % total : random() % 40;
            const uint64_t last = std::min<uint64_t>(total - 1, first + span);
            const bool flag = random() % 2;
            ASSERT_TRUE(list.SetRunRangeState(first, last, flag));
            for (uint64_t lcn = first; lcn <= last; ++lcn) {
                used[lcn] = flag;
            }
            ExpectMatchesModel(list, used);

            const uint64_t wanted = random() % 60;
            const uint64_t minimum = random() % 60;
            FreeRun expected{};
            uint64_t lcn = 0;
            uint64_t length = 0;
            const bool found = list.FindFreeRun(minimum, wanted, lcn, length);
            ASSERT_EQ(ModelFindFreeRun(used, minimum, std::max<uint64_t>(wanted, 1), expected),
                      found);
            if (found) {
                ASSERT_EQ(expected.start, lcn);
                ASSERT_EQ(expected.length, length);
            }
            const uint64_t itemLcn = random() % total;
            FreeRun expectedBelow{};
            const bool foundBelow = list.FindFreeRunBelow(itemLcn, wanted, lcn, length);
            ASSERT_EQ(
                ModelFindFreeRunBelow(used, itemLcn, std::max<uint64_t>(wanted, 1), expectedBelow),
                foundBelow);
            if (foundBelow) {
                ASSERT_EQ(expectedBelow.start, lcn);
                ASSERT_EQ(expectedBelow.length, length);
            }
            ASSERT_EQ(ModelFreeRunLengthAt(used, itemLcn), list.FreeRunLengthAt(itemLcn));
            uint64_t longest = 0;
            for (const FreeRun& run : FreeRunsOf(used)) {
                longest = std::max(longest, run.length);
            }
            ASSERT_EQ(longest, list.FindLargestFreeRun());
        }
    }
}

TEST(RunListSearch, FirstFitThenTheFirstOfTheLongestRuns) {
    // Free runs: [10,14] (5), [20,27] (8), [40,47] (8), [60,62] (3).
    std::vector<bool> used(70, true);
    for (auto [from, to] : {std::pair{10, 14}, {20, 27}, {40, 47}, {60, 62}}) {
        for (int lcn = from; lcn <= to; ++lcn) {
            used[lcn] = false;
        }
    }
    CRunList list;
    BuildFrom(list, used);
    uint64_t lcn = 0;
    uint64_t length = 0;
    ASSERT_TRUE(list.FindFreeRun(1, 3, lcn, length));
    EXPECT_EQ(10u, lcn);
    EXPECT_EQ(5u, length); // returned whole
    ASSERT_TRUE(list.FindFreeRun(1, 6, lcn, length));
    EXPECT_EQ(20u, lcn);
    ASSERT_TRUE(list.FindFreeRun(8, 100, lcn, length));
    EXPECT_EQ(20u, lcn); // the first of the two longest
    EXPECT_EQ(8u, length);
    EXPECT_FALSE(list.FindFreeRun(9, 100, lcn, length));
    ASSERT_TRUE(list.FindFreeRunBelow(41, 6, lcn, length));
    EXPECT_EQ(20u, lcn);
    EXPECT_EQ(8u, length);
    EXPECT_FALSE(list.FindFreeRunBelow(20, 6, lcn, length));
    EXPECT_EQ(5u, list.FreeRunLengthAt(14));
    EXPECT_EQ(0u, list.FreeRunLengthAt(15));
    EXPECT_EQ(0u, list.FreeRunLengthAt(70)); // past the volume
    EXPECT_EQ(8u, list.FindLargestFreeRun());
}

} // namespace
