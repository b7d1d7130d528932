// The engine state's rules for what clients read: counters reset, the current path bound,
// refusals of the map and reports, and reads racing the worker's appends and a release.
#include "DefragEngineState.h"
#include "ProcessMemory.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <thread>

namespace {

// A fresh state per test; the global one belongs to the program.
std::unique_ptr<DefragEngineState> NewState() {
    return std::make_unique<DefragEngineState>();
}

SIZE_T PrivateBytes() {
    return MemoryCountersOf(GetCurrentProcess()).PagefileUsage;
}

} // namespace

TEST(DefragEngineState, ResetStatusCountersZeroesOnlyTheCounters) {
    auto state = NewState();
    std::memset(&state->statistics, 0x5A, sizeof state->statistics);
    state->clustersPerCell = 9;
    state->ResetStatusCounters();
    const auto* bytes = reinterpret_cast<const unsigned char*>(&state->statistics);
    for (size_t i = 0; i < offsetof(DefragStatistics, aborted); ++i)
        ASSERT_EQ(i >= 32 && i < 144 ? 0 : 0x5A, bytes[i]) << "byte " << i;
    EXPECT_EQ(0u, state->statistics.aborted);
    EXPECT_EQ(0u, state->clustersPerCell);
}

TEST(DefragEngineState, CurrentPathIsBoundAndTerminated) {
    auto state = NewState();
    const std::wstring longPath(40'000, L'a');
    state->SetCurrentPath(longPath.c_str());
    auto copy = std::make_unique<DefragStatistics>();
    ASSERT_TRUE(state->CopyStatistics(*copy));
    EXPECT_EQ(kPathUnits - 1, wcsnlen(copy->currentPath, kPathUnits));
    state->SetCurrentPath(nullptr);
    ASSERT_TRUE(state->CopyStatistics(*copy));
    EXPECT_EQ(L'\0', copy->currentPath[0]);
}

TEST(DefragEngineState, ObjectsLiveWithTheState) {
    auto state = NewState();
    EXPECT_NE(nullptr, state->PauseEvent());
    EXPECT_NE(nullptr, state->AbortEvent());
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(state->PauseEvent(), 0));
    EXPECT_EQ(kJobIdle, state->jobState.load());
}

TEST(DefragEngineState, CellCopiesNeedTheExactCellCount) {
    auto state = NewState();
    std::vector<ClusterMapBlock> buffer(250, ClusterMapBlock{7, 7, 7, 7, 7});
    uint64_t copied = 1;
    EXPECT_FALSE(state->CopyCellsOut(buffer.data(), 248 * 40, copied)) << "no array yet";
    EXPECT_EQ(0u, copied);
    EXPECT_FALSE(state->CopyCellsIn(buffer.data(), 248 * 40));

    ASSERT_TRUE(state->AllocateCells(248));
    ASSERT_NE(nullptr, state->Cells());
    state->Cells()[247].freeClusters = 42;
    EXPECT_FALSE(state->CopyCellsOut(buffer.data(), 247 * 40, copied));
    EXPECT_FALSE(state->CopyCellsOut(buffer.data(), 249 * 40, copied));
    EXPECT_EQ(7u, buffer[0].freeClusters) << "a refusal copies nothing";
    ASSERT_TRUE(state->CopyCellsOut(buffer.data(), 248 * 40 + 39, copied));
    EXPECT_EQ(248u * 40, copied);
    EXPECT_EQ(0u, buffer[0].freeClusters);
    EXPECT_EQ(42u, buffer[247].freeClusters);
    EXPECT_EQ(7u, buffer[248].freeClusters) << "nothing past the cells";

    buffer[3].fragmentedClusters = 99;
    ASSERT_TRUE(state->CopyCellsIn(buffer.data(), 248 * 40));
    EXPECT_EQ(99u, state->Cells()[3].fragmentedClusters);

    state->FreeDefragResults();
    EXPECT_EQ(nullptr, state->Cells());
    EXPECT_EQ(248u, state->cellCount) << "the count stays after a release";
    EXPECT_FALSE(state->CopyCellsOut(buffer.data(), 248 * 40, copied));
}

TEST(DefragEngineState, ReportItemsAreBoundAndRefusedPastTheEnd) {
    auto state = NewState();
    FileReportRecord record;
    EXPECT_FALSE(state->GetReportItem(0, record));
    state->AddReport({L"C:\\a.txt", 0, 3, 1, 10, 12, 4096, kReportFragmented});
    state->AddReport({std::wstring(33'000, L'p'), 1, 0, 0, 0, 0, 0, kReportOpenFailed});
    ASSERT_EQ(2u, state->ReportCount());

    ASSERT_TRUE(state->GetReportItem(0, record));
    EXPECT_STREQ(L"C:\\a.txt", record.path);
    EXPECT_EQ(3u, record.fragmentsBefore);
    EXPECT_EQ(1u, record.fragmentsAfter);
    EXPECT_EQ(10u, record.allocatedClusters);
    EXPECT_EQ(12u, record.totalClusters);
    EXPECT_EQ(4096u, record.size);
    EXPECT_EQ(1u, record.status);

    ASSERT_TRUE(state->GetReportItem(1, record));
    EXPECT_EQ(kPathUnits - 1, wcsnlen(record.path, kPathUnits));
    EXPECT_EQ(1u, record.isDirectory);
    EXPECT_EQ(4u, record.status);

    EXPECT_FALSE(state->GetReportItem(2, record));
    EXPECT_FALSE(state->GetReportItem(0xFFFFFFFFu, record));
    state->FreeDefragResults();
    EXPECT_EQ(0u, state->ReportCount());
}

TEST(DefragEngineState, ReadsRaceAppendsAndReleasesSafely) {
    auto state = NewState();
    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (int run = 0; run < 50; ++run) {
            ASSERT_TRUE(state->AllocateCells(64));
            for (int i = 0; i < 200; ++i)
                state->AddReport({L"C:\\file", 0, 2, 1, 1, 1, 1, kReportContiguous});
            state->FreeDefragResults();
        }
        done = true;
    });
    auto record = std::make_unique<FileReportRecord>();
    std::vector<ClusterMapBlock> cells(64);
    uint64_t copied = 0;
    while (!done) {
        const uint32_t count = state->ReportCount();
        if (count > 0 && state->GetReportItem(count - 1, *record)) {
            ASSERT_STREQ(L"C:\\file", record->path);
        }
        if (state->CopyCellsOut(cells.data(), 64 * 40, copied)) {
            ASSERT_EQ(64u * 40, copied);
        }
    }
    worker.join();
}

TEST(DefragEngineState, ClientsSeeOnlyPublishedFigures) {
    auto state = NewState();
    auto copy = std::make_unique<DefragStatistics>();
    state->statistics.files = 5;
    state->statistics.drive = L'T';
    ASSERT_TRUE(state->CopyStatistics(*copy));
    EXPECT_EQ(0u, copy->files) << "the worker's block is its own until published";
    state->PublishStatistics();
    ASSERT_TRUE(state->CopyStatistics(*copy));
    EXPECT_EQ(5u, copy->files);
    EXPECT_EQ(L'T', copy->drive);

    state->statistics.fragmentsFound = 9;
    state->statistics.aborted = 1;
    state->SetCurrentPath(L"T:\\a");
    ASSERT_TRUE(state->CopyStatistics(*copy));
    EXPECT_EQ(9u, copy->fragmentsFound) << "the path comes with the figures";
    EXPECT_EQ(1u, copy->aborted);
    EXPECT_STREQ(L"T:\\a", copy->currentPath);

    state->ResetStatusCounters();
    ASSERT_TRUE(state->CopyStatistics(*copy));
    EXPECT_EQ(0u, copy->files);
    EXPECT_EQ(0u, copy->aborted);
    EXPECT_EQ(L'T', copy->drive) << "only the counters go";
    EXPECT_STREQ(L"T:\\a", copy->currentPath);
}

// Every copy a client gets holds figures of one publication: two counters the worker always
// keeps equal are equal in every copy, even where a 64-bit counter is two writes (i686).
TEST(DefragEngineState, CopiesNeverShowHalfPublishedFigures) {
    constexpr int kCopies = 2'000;
    auto state = NewState();
    std::atomic<bool> done{false};
    std::atomic<int> copies{0};
    // The worker publishes until the reader has made its copies (bounded in time), so the two
    // overlap however the threads are scheduled on a loaded machine.
    std::thread worker([&] {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        for (uint64_t i = 0; copies < kCopies && std::chrono::steady_clock::now() < until; ++i) {
            const uint64_t value = (i & 1) ? ~0ull - i : i; // both halves change
            state->statistics.files = value;
            state->statistics.directories = value;
            state->PublishStatistics();
        }
        done = true;
    });
    auto copy = std::make_unique<DefragStatistics>();
    bool torn = false;
    while (!done && !torn) {
        EXPECT_TRUE(state->CopyStatistics(*copy));
        torn = copy->files != copy->directories;
        ++copies;
    }
    copies = kCopies; // a torn copy ends the worker too
    worker.join();
    EXPECT_FALSE(torn) << "a copy held " << copy->files << " files and " << copy->directories
                       << " directories";
}

TEST(DefragEngineState, ReleaseGivesTheCellsMemoryBack) {
    auto state = NewState();
    const SIZE_T before = PrivateBytes();
    ASSERT_TRUE(state->AllocateCells(2'500'000)); // 100 MB
    state->AddReport({std::wstring(1'000, L'p'), 0, 2, 1, 1, 1, 1, kReportFragmented});
    EXPECT_GT(PrivateBytes(), before + 90 * 1024 * 1024) << "the cells are zeroed, so taken";
    state->FreeDefragResults();
    EXPECT_LT(PrivateBytes(), before + 8 * 1024 * 1024);
    EXPECT_EQ(nullptr, state->Cells());
    EXPECT_EQ(0u, state->CellBytes());
}

TEST(DefragEngineState, AMapNoProcessCanHoldFailsTheAllocationOnly) {
    auto state = NewState();
    if (sizeof(void*) == 4) {
        // Beyond what a vector may hold here: refused, not thrown past the worker.
        EXPECT_FALSE(state->AllocateCells(kMaxMapBlockCount));
        EXPECT_EQ(nullptr, state->Cells());
        EXPECT_EQ(0u, state->CellBytes());
    }
    ASSERT_TRUE(state->AllocateCells(248));
    EXPECT_EQ(248u * 40, state->CellBytes());
}
