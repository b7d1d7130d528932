// Run list rebuilds: a volume rebuilt at the same size takes no fresh memory, and the rebuilt
// list answers exactly as a list built afresh. This program counts every allocation it makes.
#include "RunList.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <random>
#include <vector>

namespace {

std::atomic<size_t> g_allocations{0};

} // namespace

void* operator new(size_t size) {
    ++g_allocations;
    if (void* memory = std::malloc(size != 0 ? size : 1)) {
        return memory;
    }
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept {
    std::free(memory);
}

void operator delete(void* memory, size_t) noexcept {
    std::free(memory);
}

namespace {

// Runs of 1 to 2 * meanRun clusters, alternating from a random first flag.
std::vector<uint8_t> RandomBitmap(uint64_t clusters, uint64_t meanRun, uint32_t seed) {
    std::vector<uint8_t> bitmap((clusters + 7) / 8, 0);
    std::mt19937 random(seed);
    bool used = random() % 2 == 0;
    for (uint64_t lcn = 0; lcn < clusters;) {
        const uint64_t length = std::min<uint64_t>(clusters - lcn, 1 + random() % (2 * meanRun));
        for (uint64_t i = lcn; used && i < lcn + length; ++i) {
            bitmap[i / 8] |= static_cast<uint8_t>(1u << (i % 8));
        }
        lcn += length;
        used = !used;
    }
    return bitmap;
}

struct Run {
    uint64_t start;
    uint64_t end;
    uint32_t used;
    bool operator==(const Run&) const = default;
};

std::vector<Run> RunsOf(const CRunList& list) {
    std::vector<Run> runs;
    for (const RunNode* node = list.Head(); node != nullptr; node = node->next) {
        runs.push_back({node->startLcn, node->endLcn, node->used});
    }
    return runs;
}

void ExpectSameAnswers(const CRunList& rebuilt, const CRunList& fresh) {
    EXPECT_EQ(RunsOf(fresh), RunsOf(rebuilt));
    EXPECT_EQ(fresh.UsedSum(), rebuilt.UsedSum());
    EXPECT_EQ(fresh.FindLargestFreeRun(), rebuilt.FindLargestFreeRun());
    ASSERT_EQ(fresh.BucketCount(), rebuilt.BucketCount());
    for (uint64_t slot = 0; slot < fresh.BucketCount(); ++slot) {
        const RunNode* a = fresh.BucketNode(slot);
        const RunNode* b = rebuilt.BucketNode(slot);
        ASSERT_EQ(a == nullptr, b == nullptr) << "slot " << slot;
        if (a != nullptr) {
            EXPECT_EQ(a->startLcn, b->startLcn) << "slot " << slot;
        }
    }
    for (uint64_t wanted = 1; wanted < 300; wanted += 7) {
        uint64_t lcnA = 0, lengthA = 0, lcnB = 0, lengthB = 0;
        EXPECT_EQ(fresh.FindFreeRun(wanted / 2, wanted, lcnA, lengthA),
                  rebuilt.FindFreeRun(wanted / 2, wanted, lcnB, lengthB));
        EXPECT_EQ(lcnA, lcnB);
        EXPECT_EQ(lengthA, lengthB);
    }
}

TEST(RunListRebuild, TheSameSizeTakesNoFreshMemoryAndAnswersAsAFreshList) {
    const uint64_t clusters = 1'000'003;
    const std::vector<uint8_t> first = RandomBitmap(clusters, 40, 1);
    CRunList list;
    list.Build(first.data(), clusters, clusters);
    // Relabels in between leave nodes on the free chain: a rebuild must not lose them either.
    for (uint64_t lcn = 1000; lcn < 200'000; lcn += 5000) {
        ASSERT_TRUE(list.SetRunRangeState(lcn, lcn + 99, lcn % 2 == 0));
    }
    const size_t reserved = list.ReservedBytes();

    for (const uint32_t seed : {1u, 2u, 3u}) {
        // Longer runs, so never more of them than in the first build.
        const std::vector<uint8_t> again = RandomBitmap(clusters, 40 + seed, seed);
        const size_t before = g_allocations;
        list.Build(again.data(), clusters, clusters);
        EXPECT_EQ(before, g_allocations.load()) << "rebuild " << seed;
        EXPECT_EQ(reserved, list.ReservedBytes());
        CRunList fresh;
        fresh.Build(again.data(), clusters, clusters);
        ExpectSameAnswers(list, fresh);
    }

    // A smaller volume fits in the same memory; a clear gives it all back.
    const std::vector<uint8_t> smaller = RandomBitmap(clusters / 2, 60, 4);
    const size_t before = g_allocations;
    list.Build(smaller.data(), clusters / 2, clusters / 2);
    EXPECT_EQ(before, g_allocations.load());
    CRunList fresh;
    fresh.Build(smaller.data(), clusters / 2, clusters / 2);
    ExpectSameAnswers(list, fresh);
    list.Clear();
    EXPECT_EQ(0u, list.ReservedBytes());
    EXPECT_TRUE(list.Empty());
}

} // namespace
