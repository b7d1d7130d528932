// The used-cluster runs and the bitmap bits made from them.
#include "SimRunSet.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

TEST(SimRunSet, KeepsMaximalRunsThroughAddsAndRemoves) {
    CSimRunSet set;
    set.Add(10, 5);
    set.Add(15, 5); // touches: one run
    set.Add(30, 2);
    EXPECT_EQ((CSimRunSet::Runs{{10, 20}, {30, 32}}), set.GetRuns());
    set.Remove(12, 3); // splits
    EXPECT_EQ((CSimRunSet::Runs{{10, 12}, {15, 20}, {30, 32}}), set.GetRuns());
    EXPECT_EQ(9u, set.UsedClusters());
    EXPECT_TRUE(set.IsFree(12, 3));
    EXPECT_FALSE(set.IsFree(11, 2));
    EXPECT_FALSE(set.IsFree(0, 11));
    EXPECT_TRUE(set.IsFree(20, 10));
    set.Assign(0, 40, true);
    EXPECT_EQ((CSimRunSet::Runs{{0, 40}}), set.GetRuns());
    EXPECT_EQ(40u, set.UsedClusters());
}

TEST(SimRunSet, MatchesAPlainBitArrayUnderRandomEdits) {
    std::mt19937 random(7);
    std::vector<bool> reference(1000);
    CSimRunSet set;
    for (int step = 0; step < 3000; ++step) {
        const uint64_t lcn = random() % 1000;
        const uint64_t count = 1 + random() % std::min<uint64_t>(40, 1000 - lcn);
        const bool used = random() % 2 == 0;
        set.Assign(lcn, count, used);
        for (uint64_t i = lcn; i < lcn + count; ++i) {
            reference[i] = used;
        }
    }
    uint64_t used = 0;
    std::vector<uint8_t> bits(125);
    set.FillBitmap(0, 1000, bits.data());
    for (uint64_t i = 0; i < 1000; ++i) {
        ASSERT_EQ(reference[i], ((bits[i / 8] >> (i % 8)) & 1) != 0) << "cluster " << i;
        used += reference[i];
    }
    EXPECT_EQ(used, set.UsedClusters());
    for (auto it = set.GetRuns().begin(); it != set.GetRuns().end(); ++it) {
        auto next = std::next(it);
        ASSERT_TRUE(next == set.GetRuns().end() || it->second < next->first) << "runs touch";
    }
}

TEST(SimRunSet, BitmapFromAnOffsetEndsWithZeroPadding) {
    CSimRunSet set;
    set.Add(5, 20); // 5..24
    std::vector<uint8_t> bits(3, 0xAA);
    set.FillBitmap(8, 19, bits.data()); // clusters 8..26
    EXPECT_EQ(0xFF, bits[0]);           // 8..15
    EXPECT_EQ(0xFF, bits[1]);           // 16..23
    EXPECT_EQ(0x01, bits[2]);           // 24 used, 25 and 26 free, the rest padding
}

TEST(SimRunSet, BitmapFromAnOffsetPastARunThatEndsBeforeIt) {
    CSimRunSet set;
    set.Add(1, 3);  // 1..3, wholly before the offset
    set.Add(20, 2); // 20..21
    std::vector<uint8_t> bits(2, 0xAA);
    set.FillBitmap(16, 16, bits.data());
    EXPECT_EQ(0x30, bits[0]);
    EXPECT_EQ(0x00, bits[1]);
}

// A set that keeps its bitmap answers every read as one that walks its runs: a kept bitmap made
// from runs already there, then kept in step through edits inside it, across its end and past
// it, through a copy and through Clear; reads from any offset, inside it or beyond.
TEST(SimRunSet, AKeptBitmapAnswersAsTheRuns) {
    std::mt19937 random(11);
    CSimRunSet plain;
    CSimRunSet kept;
    auto edit = [&] {
        const uint64_t lcn = random() % 1000;
        const uint64_t count = 1 + random() % 60;
        const bool used = random() % 3 != 0;
        plain.Assign(lcn, count, used);
        kept.Assign(lcn, count, used);
    };
    auto expectSameReads = [&](const CSimRunSet& reader) {
        for (uint64_t first = 0; first < 1100; first += 8 * (1 + random() % 5)) {
            const uint64_t count = 1 + random() % (1100 - first);
            std::vector<uint8_t> expected((count + 7) / 8, 0x5A);
            std::vector<uint8_t> actual((count + 7) / 8, 0xA5);
            plain.FillBitmap(first, count, expected.data());
            reader.FillBitmap(first, count, actual.data());
            ASSERT_EQ(expected, actual) << "from " << first << ", " << count << " clusters";
        }
    };
    for (int step = 0; step < 300; ++step) {
        edit();
    }
    kept.KeepBitmap(901); // the runs of the edits so far, and a last byte in part
    EXPECT_TRUE(kept.KeepsBitmap());
    for (int round = 0; round < 20; ++round) {
        for (int step = 0; step < 100; ++step) {
            edit();
        }
        expectSameReads(kept);
    }
    const CSimRunSet copy = kept;
    expectSameReads(copy);
    plain.Clear();
    kept.Clear();
    expectSameReads(kept);
    edit();
    expectSameReads(kept);
}
