#include "BenchmarkRun.h"

#include <DiskHandle.h>

#include <algorithm>
#include <memory>

namespace {

// Page-aligned memory, as reads without the system cache need sector-aligned buffers.
struct VirtualFreeDeleter {
    void operator()(void* block) const { VirtualFree(block, 0, MEM_RELEASE); }
};
using AlignedBlock = std::unique_ptr<BYTE, VirtualFreeDeleter>;

AlignedBlock AllocateAligned(size_t bytes) {
    return AlignedBlock(
        static_cast<BYTE*>(VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)));
}

// Raises the process's priority class for the run and puts the previous class back after it.
class RaisedPriorityClass {
public:
    RaisedPriorityClass() : previous_(GetPriorityClass(GetCurrentProcess())) {
        if (previous_ != 0 && !SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS))
            previous_ = 0;
    }
    ~RaisedPriorityClass() {
        if (previous_ != 0)
            SetPriorityClass(GetCurrentProcess(), previous_);
    }
    RaisedPriorityClass(const RaisedPriorityClass&) = delete;
    RaisedPriorityClass& operator=(const RaisedPriorityClass&) = delete;

private:
    DWORD previous_;
};

// Tells the sink the run ended, however the worker leaves.
struct RunEndNotice {
    CBenchmarkSink& sink;
    ~RunEndNotice() { sink.OnRunEnded(); }
};

LONGLONG Now() {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return counter.QuadPart;
}

FILETIME ThreadKernelTime(HANDLE thread) {
    FILETIME creation{}, exit{}, kernel{}, user{};
    if (!GetThreadTimes(thread, &creation, &exit, &kernel, &user))
        return {};
    return kernel;
}

// Bytes per second; a read too quick for the counter counts as one tick.
double Rate(uint64_t bytes, LONGLONG ticks, LONGLONG frequency) {
    return static_cast<double>(bytes) * static_cast<double>(frequency) /
           static_cast<double>(std::max<LONGLONG>(ticks, 1));
}

uint32_t ClampRate(double rate) {
    return static_cast<uint32_t>(std::min(rate, 4294967295.0));
}

} // namespace

BenchmarkDrive BenchmarkDriveOf(const PhysicalDriveInfo& drive) {
    return {drive.driveNumber, drive.bytesPerSector, drive.totalSectors, drive.bufferSize};
}

CBenchmarkRun::~CBenchmarkRun() {
    Stop();
}

bool CBenchmarkRun::Start(const BenchmarkDrive& drive, BenchmarkResults& results,
                          uint32_t samplePercent) {
    Stop();
    drive_ = drive;
    results_ = &results;
    samplePercent_ = samplePercent;
    stop_ = false;
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    frequency_ = std::max<LONGLONG>(frequency.QuadPart, 1);
    thread_.Reset(CreateThread(nullptr, 0, ThreadProc, this, 0, nullptr));
    return thread_.IsValid();
}

void CBenchmarkRun::Stop() {
    stop_ = true;
    Join();
}

bool CBenchmarkRun::Wait(DWORD timeoutMs) {
    if (!thread_)
        return true;
    if (WaitForSingleObject(thread_.Get(), timeoutMs) != WAIT_OBJECT_0)
        return false;
    Join();
    return true;
}

void CBenchmarkRun::Join() {
    if (!thread_)
        return;
    // The worker may be sending to this thread's windows: deliver those while waiting.
    const HANDLE thread = thread_.Get();
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE) ==
           WAIT_OBJECT_0 + 1) {
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
    }
    thread_.Reset();
}

bool CBenchmarkRun::IsRunning() const {
    return thread_ && WaitForSingleObject(thread_.Get(), 0) == WAIT_TIMEOUT;
}

FILETIME CBenchmarkRun::WorkerKernelTime() const {
    return thread_ ? ThreadKernelTime(thread_.Get()) : FILETIME{};
}

DWORD WINAPI CBenchmarkRun::ThreadProc(void* self) {
    static_cast<CBenchmarkRun*>(self)->Run();
    return 0;
}

void CBenchmarkRun::Run() {
    const RunEndNotice notice{sink_};
    const RaisedPriorityClass priority;
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
    if (drive_.driveNumber < 0 || drive_.driveNumber >= kMaxPhysicalDrives)
        return;
    results_->Clear();
    results_->driveNumber = drive_.driveNumber;
    wchar_t path[32];
    _snwprintf(path, 32, L"\\\\.\\PHYSICALDRIVE%d", drive_.driveNumber);
    const CDiskHandle drive(
        api_, api_.CreateFileW(
                  path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  FILE_FLAG_WRITE_THROUGH | FILE_FLAG_NO_BUFFERING | FILE_FLAG_RANDOM_ACCESS));
    if (!drive.IsValid()) {
        const DWORD error = GetLastError();
        results_->openError = error != 0 ? error : ERROR_OPEN_FAILED;
        return;
    }
    results_->randomSampleCount = kRandomSampleCount;
    sink_.OnRunStarting(*results_);
    // Whole sectors only: without a geometry there is nothing to read.
    if (drive_.bytesPerSector == 0 || drive_.totalSectors == 0)
        return;
    BurstPass(drive.Get());
    SequentialPass(drive.Get());
    RandomPass(drive.Get());
}

bool CBenchmarkRun::TimedRead(HANDLE drive, uint64_t position, void* buffer, DWORD bytes,
                              DWORD& read, LONGLONG& ticks) {
    if (stop_)
        return false;
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(position);
    const LONGLONG start = Now();
    if (!api_.SetFilePointerEx(drive, at, nullptr, FILE_BEGIN) ||
        !api_.ReadFile(drive, buffer, bytes, &read)) {
        results_->failedReadError = GetLastError();
        return false;
    }
    ticks = Now() - start;
    return true;
}

void CBenchmarkRun::BurstPass(HANDLE drive) {
    const uint64_t sector = drive_.bytesPerSector;
    uint64_t block = drive_.bufferSize < 8 ? 1024000 : drive_.bufferSize / 8;
    block = std::max<uint64_t>((block + sector - 1) / sector * sector, sector);
    const AlignedBlock buffer = AllocateAligned(block);
    if (!buffer)
        return;
    sink_.OnProgress();
    Sleep(1000);
    const uint64_t position = drive_.totalSectors / 2 * sector;
    DWORD read = 0;
    LONGLONG ticks = 0;
    if (!TimedRead(drive, position, buffer.get(), static_cast<DWORD>(block), read, ticks))
        return;
    double best = 0;
    for (int i = 0; i < 100; ++i) {
        if (!TimedRead(drive, position, buffer.get(), static_cast<DWORD>(block), read, ticks))
            break;
        best = std::max(best, Rate(read, ticks, frequency_));
    }
    results_->burstRate = ClampRate(best);
    sink_.OnProgress();
}

void CBenchmarkRun::SequentialPass(HANDLE drive) {
    sink_.OnProgress();
    Sleep(100);
    const uint32_t points = results_->sequentialPointCount;
    if (points == 0 || stop_)
        return;
    results_->sequentialRates.reset(new (std::nothrow) uint32_t[points]());
    const AlignedBlock buffer = AllocateAligned(kSequentialReadBytes);
    if (!results_->sequentialRates || !buffer)
        return;
    sink_.OnProgress();
    Sleep(100);
    results_->kernelTimeAtStart = ThreadKernelTime(GetCurrentThread());
    GetSystemTimeAsFileTime(&results_->systemTimeAtStart);

    const uint64_t sector = drive_.bytesPerSector;
    const uint64_t total = drive_.totalSectors;
    const uint64_t step = (total + points - 1) / points;
    // At least one sector per point and per read, so that no span is empty.
    const uint64_t sample = std::max<uint64_t>(step * samplePercent_ / 100, 1);
    const uint64_t unit = std::max<uint64_t>(kSequentialReadBytes / sector, 1);
    bool failed = false;
    for (uint32_t point = 0; point < points && !failed && point * step < total; ++point) {
        const uint64_t first = point * step;
        const uint64_t end = std::min(first + sample, total);
        uint64_t bytes = 0;
        LONGLONG allTicks = 0, previous = 0;
        for (uint64_t at = first; at < end; at += unit) {
            const DWORD length = static_cast<DWORD>(std::min(unit, end - at) * sector);
            DWORD read = 0;
            LONGLONG ticks = 0;
            if (!TimedRead(drive, at * sector, buffer.get(), length, read, ticks)) {
                failed = true;
                break;
            }
            // A read much slower than the one before it was disturbed: count it as that one.
            const LONGLONG counted = at != first && previous * 3 < ticks * 2 ? previous : ticks;
            previous = ticks;
            allTicks += counted;
            bytes += read;
        }
        if (failed)
            break;
        results_->sequentialRates[point] = ClampRate(Rate(bytes, allTicks, frequency_));
        sink_.OnProgress();
    }
    results_->kernelTimeAtEnd = ThreadKernelTime(GetCurrentThread());
    GetSystemTimeAsFileTime(&results_->systemTimeAtEnd);
    sink_.OnProgress();
}

void CBenchmarkRun::RandomPass(HANDLE drive) {
    sink_.OnProgress();
    Sleep(100);
    if (stop_)
        return;
    results_->randomSamples.reset(new (std::nothrow) RandomAccessSample[kRandomSampleCount]());
    const AlignedBlock buffer = AllocateAligned(drive_.bytesPerSector);
    if (!results_->randomSamples || !buffer)
        return;
    const LibraryModule ntdll(LoadLibraryW(L"ntdll.dll"));
    using RtlRandomProc = ULONG(WINAPI*)(ULONG*);
    const auto rtlRandom = ntdll ? reinterpret_cast<RtlRandomProc>(reinterpret_cast<void*>(
                                       GetProcAddress(ntdll.Get(), "RtlRandom")))
                                 : nullptr;
    if (!rtlRandom)
        return;
    sink_.OnProgress();
    Sleep(100);
    ULONG seed = 0;
    for (uint32_t i = 0; i < kRandomSampleCount; ++i) {
        seed = rtlRandom(&seed);
        // In floating point: the product of a large disk's sector count and the number
        // overflows 64 bits.
        const auto sector = static_cast<uint64_t>(static_cast<double>(drive_.totalSectors - 1) *
                                                  seed / 2147483647.0);
        DWORD read = 0;
        LONGLONG ticks = 0;
        if (!TimedRead(drive, sector * drive_.bytesPerSector, buffer.get(), drive_.bytesPerSector,
                       read, ticks))
            break;
        results_->randomSamples[i] = {sector, static_cast<double>(std::max<LONGLONG>(ticks, 1)) /
                                                  frequency_ * 1000.0};
        if (i % 100 != 0)
            sink_.OnProgress();
    }
    sink_.OnProgress();
}
