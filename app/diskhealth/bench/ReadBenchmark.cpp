// Runs the read benchmark's worker on a simulated disk backed by the given file (every byte of
// the disk read sequentially in the worker's 1,024,000-byte units, then 2,000 random sectors)
// and prints the sequential rate and the random access time, for comparison with another
// reader of the same file.
#include <BenchmarkRun.h>
#include <SimDiskApi.h>

#include <cstdio>
#include <cwchar>

namespace {

constexpr uint32_t kPoints = 64;

struct QuietSink : CBenchmarkSink {
    void OnRunStarting(BenchmarkResults& results) override {
        results.sequentialPointCount = kPoints;
    }
    void OnProgress() override {}
    void OnRunEnded() override {}
};

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        fwprintf(stderr, L"usage: diskhealth_read_benchmark BACKING_FILE\n");
        return 2;
    }
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    if (!GetFileAttributesExW(argv[1], GetFileExInfoStandard, &attributes)) {
        fwprintf(stderr, L"cannot read %ls\n", argv[1]);
        return 1;
    }
    const uint64_t bytes = (uint64_t{attributes.nFileSizeHigh} << 32) | attributes.nFileSizeLow;
    SimDiskDescription disk;
    disk.bytesPerSector = 512;
    disk.sectorsPerTrack = 64;
    disk.tracksPerCylinder = 16;
    disk.cylinders = bytes / (512 * 64 * 16);
    disk.backingFile = argv[1];
    CSimDiskApi api;
    if (disk.cylinders == 0 || api.AddDisk(0, disk) != ERROR_SUCCESS) {
        fwprintf(stderr, L"the file must hold at least 512 KiB\n");
        return 1;
    }
    QuietSink sink;
    BenchmarkResults results;
    CBenchmarkRun run(api, sink);
    const BenchmarkDrive drive{0, 512, disk.cylinders * 16 * 64, 0};
    if (!run.Start(drive, results, 100) || !run.Wait(INFINITE) || results.failedReadError) {
        fwprintf(stderr, L"the run failed (%lu)\n", results.failedReadError);
        return 1;
    }
    const BenchmarkFigures figures = SummarizeBenchmark(results, {}, {});
    printf("sequential_mib_s=%.1f random_ms=%.4f burst_mib_s=%.1f\n",
           figures.averageRate / 1048576.0, figures.accessMilliseconds,
           figures.burstRate / 1048576.0);
    return 0;
}
