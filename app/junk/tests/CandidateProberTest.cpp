// The prober hands back every queued candidate once, in the order queued, whichever of its
// threads finishes first, and its bound on what is left queued holds.
#include "CandidateProber.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

namespace {

std::vector<JunkCandidate> RoundOf(int first, int count) {
    std::vector<JunkCandidate> round(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        round[static_cast<size_t>(i)].locationIndex = first + i;
    return round;
}

// Odd candidates pass; early rounds take longest, so later ones are done first.
bool SlowerEarlier(JunkCandidate& candidate) {
    Sleep(candidate.locationIndex < 40 ? 2 : 0);
    return candidate.locationIndex % 2 == 1;
}

TEST(CandidateProberTest, RoundsComeBackInTheOrderQueuedWithTheirVerdicts) {
    for (unsigned threads : {0u, 1u, 3u}) {
        CCandidateProber prober(threads, SlowerEarlier);
        std::vector<JunkCandidate> probed;
        int queued = 0;
        for (int count : {1, 7, 32, 5, 128, 3}) {
            prober.Queue(RoundOf(queued, count));
            queued += count;
            prober.TakeProbed(SIZE_MAX, probed);
        }
        prober.TakeProbed(0, probed);
        ASSERT_EQ(probed.size(), static_cast<size_t>(queued)) << threads << " threads";
        for (int i = 0; i < queued; ++i) {
            EXPECT_EQ(probed[static_cast<size_t>(i)].locationIndex, i);
            EXPECT_EQ(probed[static_cast<size_t>(i)].passed, i % 2 == 1);
        }
        // Nothing is handed back twice.
        prober.TakeProbed(0, probed);
        EXPECT_EQ(probed.size(), static_cast<size_t>(queued));
    }
}

TEST(CandidateProberTest, ARoundWaitsForTheOnesBeforeItAndTheBoundHolds) {
    std::atomic<bool> release{false};
    CCandidateProber prober(2, [&](JunkCandidate& candidate) {
        // The first round is held until the test lets it go.
        while (candidate.locationIndex == 0 && !release)
            Sleep(1);
        return true;
    });
    std::vector<JunkCandidate> probed;
    prober.Queue(RoundOf(0, 1));
    prober.Queue(RoundOf(1, 4));
    prober.Queue(RoundOf(5, 4));
    for (int i = 0; i < 50; ++i) {
        prober.TakeProbed(SIZE_MAX, probed);
        Sleep(1);
    }
    // The later rounds are probed by now, but wait behind the held one.
    EXPECT_TRUE(probed.empty());
    std::thread releaser([&] {
        Sleep(50);
        release = true;
    });
    // Waiting until at most two rounds are left returns the first one, perhaps more.
    prober.TakeProbed(2, probed);
    ASSERT_FALSE(probed.empty());
    EXPECT_EQ(probed.front().locationIndex, 0);
    releaser.join();
    prober.TakeProbed(0, probed);
    ASSERT_EQ(probed.size(), 9u);
    for (size_t i = 0; i < probed.size(); ++i)
        EXPECT_EQ(probed[i].locationIndex, static_cast<int>(i));
}

TEST(CandidateProberTest, RoundsNeverTakenAreDroppedAndNoProbeOutlivesIt) {
    constexpr int kCandidates = 320;
    std::vector<std::atomic<int>> probes(kCandidates);
    {
        CCandidateProber prober(2, [&](JunkCandidate& candidate) {
            Sleep(1);
            ++probes[static_cast<size_t>(candidate.locationIndex)];
            return true;
        });
        for (int i = 0; i < kCandidates; i += 16)
            prober.Queue(RoundOf(i, 16));
    }
    // Ended without its rounds taken: each candidate was probed once at most, and nothing runs
    // after the end.
    int total = 0;
    for (const std::atomic<int>& count : probes) {
        EXPECT_LE(count.load(), 1);
        total += count.load();
    }
    Sleep(50);
    int later = 0;
    for (const std::atomic<int>& count : probes)
        later += count.load();
    EXPECT_EQ(later, total);
}

} // namespace
