// The benchmark worker on a file-backed simulated disk.
#include "DiskTestSupport.h"

#include <BenchmarkRun.h>
#include <owners/WinOwners.h>

#include <atomic>
#include <fstream>

namespace {

constexpr uint32_t kPoints = 50;

// A 32 MiB disk: 64 cylinders of 16 tracks of 64 sectors.
const std::string kDisk = "geometry 512 64 16 64\nword 21 2048\n";

class BenchmarkRunTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::ofstream file(kBacking, std::ios::binary);
        std::vector<char> block(1 << 20);
        for (size_t i = 0; i < block.size(); ++i)
            block[i] = static_cast<char>(i * 7);
        for (int i = 0; i < 32; ++i)
            file.write(block.data(), static_cast<std::streamsize>(block.size()));
    }
    static void TearDownTestSuite() { DeleteFileA(kBacking); }

    void AddBackedDisk(uint32_t number, const std::string& text) {
        SimDiskDescription disk = DescribeDisk(text);
        disk.backingFile = L"benchmark_disk.bin";
        ASSERT_EQ(api.AddDisk(number, disk), static_cast<DWORD>(ERROR_SUCCESS));
    }
    static BenchmarkDrive DriveOf(uint32_t bufferSize, int32_t number = 0) {
        return {number, 512, 64ull * 16 * 64, bufferSize};
    }

    static constexpr char kBacking[] = "benchmark_disk.bin";
    CSimDiskApi api;
};

// Stands in for the page: sets the point count, records the priority class it sees and can
// signal when a number of sequential points are in.
struct PageSink : CBenchmarkSink {
    BenchmarkResults* results = nullptr;
    std::atomic<int> starts{0}, ends{0}, progress{0};
    std::atomic<DWORD> classDuringRun{0};
    uint32_t signalAfterPoints = 0;
    KernelHandle pointsIn{CreateEventW(nullptr, TRUE, FALSE, nullptr)};

    void OnRunStarting(BenchmarkResults& r) override {
        ++starts;
        r.sequentialPointCount = kPoints;
        results = &r;
        classDuringRun = GetPriorityClass(GetCurrentProcess());
    }
    void OnProgress() override {
        ++progress;
        if (signalAfterPoints && results->sequentialRates &&
            results->sequentialRates[signalAfterPoints - 1] != 0) {
            SetEvent(pointsIn.Get());
            Sleep(50); // the page repaints while the worker waits
        }
    }
    void OnRunEnded() override { ++ends; }
};

TEST_F(BenchmarkRunTest, BurstSequentialAndRandomFiguresFromAFileBackedDisk) {
    AddBackedDisk(0, kDisk);
    PageSink sink;
    BenchmarkResults results;
    CBenchmarkRun run(api, sink);
    ASSERT_TRUE(SetPriorityClass(GetCurrentProcess(), BELOW_NORMAL_PRIORITY_CLASS));
    ASSERT_TRUE(run.Start(DriveOf(2048 * 512), results));
    ASSERT_TRUE(run.Wait(60000));
    EXPECT_EQ(sink.starts, 1);
    EXPECT_EQ(sink.ends, 1);
    EXPECT_EQ(sink.classDuringRun, static_cast<DWORD>(HIGH_PRIORITY_CLASS));
    EXPECT_EQ(GetPriorityClass(GetCurrentProcess()),
              static_cast<DWORD>(BELOW_NORMAL_PRIORITY_CLASS));
    ASSERT_TRUE(SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS));

    EXPECT_EQ(results.failedReadError, 0u);
    EXPECT_GT(results.burstRate, 0u);
    ASSERT_TRUE(results.sequentialRates);
    for (uint32_t i = 0; i < kPoints; ++i)
        EXPECT_GT(results.sequentialRates[i], 0u) << i;
    ASSERT_TRUE(results.randomSamples);
    EXPECT_EQ(results.randomSampleCount, CBenchmarkRun::kRandomSampleCount);
    uint64_t highest = 0;
    for (uint32_t i = 0; i < results.randomSampleCount; ++i) {
        EXPECT_GT(results.randomSamples[i].milliseconds, 0.0);
        highest = std::max(highest, results.randomSamples[i].sector);
    }
    EXPECT_LT(highest, 65536u);
    EXPECT_GT(highest, 32768u); // spread over the disk
    const BenchmarkFigures figures = SummarizeBenchmark(results, {}, {});
    EXPECT_TRUE(figures.hasRates);
    EXPECT_TRUE(figures.hasSamples);
    EXPECT_LE(figures.minimumRate, figures.averageRate);
    EXPECT_LE(figures.averageRate, figures.maximumRate);
    EXPECT_GE(figures.processorPercent, 0.0);
}

TEST_F(BenchmarkRunTest, AStopInTheMiddleKeepsTheMeasuredPoints) {
    AddBackedDisk(0, kDisk);
    PageSink sink;
    sink.signalAfterPoints = 5;
    BenchmarkResults results;
    CBenchmarkRun run(api, sink);
    ASSERT_TRUE(run.Start(DriveOf(2048 * 512), results, 100));
    ASSERT_EQ(WaitForSingleObject(sink.pointsIn.Get(), 60000), WAIT_OBJECT_0);
    run.Stop();
    EXPECT_FALSE(run.IsRunning());
    EXPECT_EQ(sink.ends, 1);
    ASSERT_TRUE(results.sequentialRates);
    for (uint32_t i = 0; i < 5; ++i)
        EXPECT_GT(results.sequentialRates[i], 0u);
    EXPECT_EQ(results.sequentialRates[kPoints - 1], 0u);
    EXPECT_FALSE(results.randomSamples); // the random pass never began
    EXPECT_TRUE(SummarizeBenchmark(results, {}, {}).hasRates);
    EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), static_cast<DWORD>(NORMAL_PRIORITY_CLASS));
    EXPECT_EQ(api.OpenHandleCount(), 0u);

    // The next start clears them.
    sink.signalAfterPoints = 0;
    ASSERT_TRUE(run.Start(DriveOf(2048 * 512, 7), results));
    ASSERT_TRUE(run.Wait(60000));
    EXPECT_EQ(results.driveNumber, 7);
    EXPECT_FALSE(results.sequentialRates);
}

TEST_F(BenchmarkRunTest, AnUnopenableDriveLeavesEveryFigureEmpty) {
    AddBackedDisk(0, kDisk + "fault open\n");
    PageSink sink;
    BenchmarkResults results;
    results.burstRate = 99;
    CBenchmarkRun run(api, sink);
    ASSERT_TRUE(run.Start(DriveOf(2048 * 512), results));
    ASSERT_TRUE(run.Wait(60000));
    EXPECT_EQ(sink.starts, 0);
    EXPECT_EQ(sink.ends, 1);
    EXPECT_EQ(results.burstRate, 0u);
    EXPECT_FALSE(results.sequentialRates);
    EXPECT_FALSE(results.randomSamples);
    EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), static_cast<DWORD>(NORMAL_PRIORITY_CLASS));
    // No drive selected: nothing is touched.
    ASSERT_TRUE(run.Start(DriveOf(2048 * 512, -1), results));
    ASSERT_TRUE(run.Wait(60000));
    EXPECT_EQ(sink.ends, 2);
}

TEST_F(BenchmarkRunTest, ReadsAreWholeSectorsOnAlignedBuffersAndFailuresAreKept) {
    // A buffer of 1,536 bytes gives 192-byte burst blocks: read as one whole sector.
    AddBackedDisk(0, kDisk);
    AddBackedDisk(1, kDisk + "fault read\n");
    PageSink sink;
    BenchmarkResults results;
    CBenchmarkRun run(api, sink);
    ASSERT_TRUE(run.Start(DriveOf(1536), results));
    ASSERT_TRUE(run.Wait(60000));
    EXPECT_EQ(results.failedReadError, 0u);
    EXPECT_GT(results.burstRate, 0u);
    // No buffer size: 1,024,000-byte blocks.
    ASSERT_TRUE(run.Start(DriveOf(0), results));
    ASSERT_TRUE(run.Wait(60000));
    EXPECT_EQ(results.failedReadError, 0u);
    EXPECT_GT(results.burstRate, 0u);

    ASSERT_TRUE(run.Start(DriveOf(2048 * 512, 1), results));
    ASSERT_TRUE(run.Wait(60000));
    EXPECT_EQ(results.failedReadError, static_cast<DWORD>(ERROR_CRC));
    EXPECT_EQ(results.burstRate, 0u);
    EXPECT_FALSE(SummarizeBenchmark(results, {}, {}).hasRates);
}

// Forwards every notice to a window of the test's thread by SendMessage, as the page does.
struct WindowSink : PageSink {
    HWND window = nullptr;
    void OnProgress() override {
        PageSink::OnProgress();
        SendMessageW(window, WM_USER + 1, 0, 0);
    }
};

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER + 1)
        SetWindowLongPtrW(window, GWLP_USERDATA, GetWindowLongPtrW(window, GWLP_USERDATA) + 1);
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(BenchmarkRunTest, StoppingFromTheWindowThreadWhileTheWorkerSendsToIt) {
    AddBackedDisk(0, kDisk);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = CountingProc;
    windowClass.lpszClassName = L"XarnBenchmarkTestPage";
    windowClass.hInstance = GetModuleHandleW(nullptr);
    RegisterClassW(&windowClass);
    WindowSink sink;
    sink.window = CreateWindowW(L"XarnBenchmarkTestPage", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                windowClass.hInstance, nullptr);
    ASSERT_NE(sink.window, nullptr);
    sink.signalAfterPoints = 3;
    BenchmarkResults results;
    CBenchmarkRun run(api, sink);
    ASSERT_TRUE(run.Start(DriveOf(2048 * 512), results, 100));
    // Wait as a window thread does: delivering the worker's messages.
    const DWORD deadline = GetTickCount() + 60000;
    const HANDLE pointsIn = sink.pointsIn.Get();
    while (MsgWaitForMultipleObjects(1, &pointsIn, FALSE, 1000, QS_SENDMESSAGE) != WAIT_OBJECT_0 &&
           GetTickCount() < deadline) {
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
    }
    run.Stop();
    EXPECT_FALSE(run.IsRunning());
    EXPECT_EQ(sink.ends, 1);
    EXPECT_GT(GetWindowLongPtrW(sink.window, GWLP_USERDATA), 3);
    EXPECT_GT(results.sequentialRates[2], 0u);
    DestroyWindow(sink.window);
}

TEST(BenchmarkFiguresTest, SpansOfZeroAndUnfinishedPasses) {
    BenchmarkResults results;
    results.sequentialPointCount = 4;
    results.sequentialRates.reset(new uint32_t[4]{10, 30, 0, 50});
    BenchmarkFigures figures = SummarizeBenchmark(results, {}, {});
    EXPECT_EQ(figures.minimumRate, 10);
    EXPECT_EQ(figures.maximumRate, 30);
    EXPECT_EQ(figures.averageRate, 20);
    EXPECT_EQ(figures.processorPercent, 0); // no span yet
    // While the pass runs the current times stand in for the end.
    results.systemTimeAtStart = {1000, 0};
    results.kernelTimeAtStart = {100, 0};
    figures = SummarizeBenchmark(results, {350, 0}, {2000, 0});
    EXPECT_DOUBLE_EQ(figures.processorPercent, 25.0);
    results.randomSampleCount = 3;
    results.randomSamples.reset(new RandomAccessSample[3]{{1, 2.0}, {2, 4.0}, {3, 0.0}});
    figures = SummarizeBenchmark(results, {}, {});
    EXPECT_DOUBLE_EQ(figures.accessMilliseconds, 3.0);
}

} // namespace
