#include "DefragEngineState.h"

#include "RpcGuard.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

namespace {

// The figures of a statistics block: everything before the current path, and the aborted flag.
constexpr size_t kFiguresBytes = offsetof(DefragStatistics, currentPath);

// Copies between the service's memory and a client's buffer; false when the copy faulted.
[[nodiscard]] bool GuardedCopy(void* to, const void* from, size_t bytes) {
    return RunFaultGuarded([=] {
               std::memcpy(to, from, bytes);
               return 1;
           }) == 1;
}

} // namespace

DefragEngineState g_defragEngineState;

DefragEngineState::DefragEngineState()
    : pauseEvent_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      abortEvent_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

bool DefragEngineState::BeginJob() {
    std::scoped_lock lock(pauseLock_, abortLock_);
    // Only this call leaves the idle state, so it cannot change while both locks are held.
    if (jobState != kJobIdle)
        return false;
    paused = 0;
    ApplyPause();
    abortRequested_.store(false, std::memory_order_release);
    ResetEvent(abortEvent_.Get());
    jobState = kJobRunning;
    return true;
}

void DefragEngineState::SetClientPause(bool pause) {
    std::lock_guard lock(pauseLock_);
    paused = pause ? 1 : 0;
    ApplyPause();
}

void DefragEngineState::SetServicePause(bool pause) {
    std::lock_guard lock(pauseLock_);
    servicePaused_ = pause;
    ApplyPause();
}

bool DefragEngineState::ServicePaused() {
    std::lock_guard lock(pauseLock_);
    return servicePaused_;
}

void DefragEngineState::ApplyPause() {
    const bool pause = paused || servicePaused_;
    pauseRequested_.store(pause, std::memory_order_release);
    if (pause)
        SetEvent(pauseEvent_.Get());
    else
        ResetEvent(pauseEvent_.Get());
}

void DefragEngineState::PublishFigures() {
    std::memcpy(&published_, &statistics, kFiguresBytes);
    published_.aborted = statistics.aborted;
}

void DefragEngineState::PublishStatistics() {
    std::lock_guard lock(statusLock);
    PublishFigures();
}

void DefragEngineState::RequestAbort() {
    std::lock_guard lock(abortLock_);
    abortRequested_.store(true, std::memory_order_release);
    SetEvent(abortEvent_.Get());
}

void DefragEngineState::ClearAbort() {
    std::lock_guard lock(abortLock_);
    abortRequested_.store(false, std::memory_order_release);
    ResetEvent(abortEvent_.Get());
}

void DefragEngineState::SetCurrentPath(const wchar_t* path) {
    SetCurrentPath(path ? std::wstring_view(path) : std::wstring_view());
}

void DefragEngineState::SetCurrentPath(std::wstring_view path) {
    const size_t units = std::min(path.size(), kPathUnits - 1);
    std::lock_guard lock(statusLock);
    PublishFigures();
    if (units != 0)
        std::memcpy(published_.currentPath, path.data(), units * sizeof(wchar_t));
    published_.currentPath[units] = L'\0';
}

bool DefragEngineState::CopyStatistics(DefragStatistics& out) {
    std::lock_guard lock(statusLock);
    return GuardedCopy(&out, &published_, sizeof out);
}

void DefragEngineState::ResetStatusCounters() {
    clustersPerCell = 0;
    std::memset(reinterpret_cast<char*>(&statistics) + kCountersOffset, 0, kCountersBytes);
    statistics.aborted = 0;
    PublishStatistics();
}

bool DefragEngineState::AllocateCells(uint32_t count) {
    std::lock_guard lock(resultsLock_);
    cellCount = count;
    try {
        cells_.assign(count, ClusterMapBlock{});
    } catch (const std::bad_alloc&) {
        std::vector<ClusterMapBlock>().swap(cells_);
        return false;
    } catch (const std::length_error&) { // more cells than a 32-bit process can address
        std::vector<ClusterMapBlock>().swap(cells_);
        return false;
    }
    return true;
}

uint64_t DefragEngineState::CellBytes() {
    std::lock_guard lock(resultsLock_);
    return static_cast<uint64_t>(cells_.size()) * sizeof(ClusterMapBlock);
}

bool DefragEngineState::CopyCellsOut(void* buffer, uint64_t bytes, uint64_t& copied) {
    copied = 0;
    std::lock_guard lock(resultsLock_);
    if (cells_.empty() || bytes / sizeof(ClusterMapBlock) != cells_.size())
        return false;
    const size_t cellBytes = cells_.size() * sizeof(ClusterMapBlock);
    if (!GuardedCopy(buffer, cells_.data(), cellBytes))
        return false;
    copied = cellBytes;
    return true;
}

bool DefragEngineState::CopyCellsIn(const void* buffer, uint64_t bytes) {
    std::lock_guard lock(resultsLock_);
    if (cells_.empty() || bytes / sizeof(ClusterMapBlock) != cells_.size())
        return false;
    return GuardedCopy(cells_.data(), buffer, cells_.size() * sizeof(ClusterMapBlock));
}

void DefragEngineState::AddReport(FileReport report) {
    std::lock_guard lock(resultsLock_);
    reports_.Append(std::move(report));
}

uint32_t DefragEngineState::ReportCount() {
    std::lock_guard lock(resultsLock_);
    return static_cast<uint32_t>(reports_.Size());
}

bool DefragEngineState::GetReportItem(uint32_t index, FileReportRecord& out) {
    FileReport report;
    try {
        std::lock_guard lock(resultsLock_);
        if (index >= reports_.Size())
            return false;
        report = reports_[index];
    } catch (const std::bad_alloc&) {
        return false;
    }
    // The client's record is written with no lock held.
    return RunFaultGuarded([&] {
               std::memset(&out, 0, sizeof out);
               const size_t units = std::min(report.path.size(), kPathUnits - 1);
               std::memcpy(out.path, report.path.data(), units * sizeof(wchar_t));
               out.isDirectory = report.isDirectory;
               out.fragmentsBefore = report.fragmentsBefore;
               out.fragmentsAfter = report.fragmentsAfter;
               out.allocatedClusters = report.allocatedClusters;
               out.totalClusters = report.totalClusters;
               out.size = report.size;
               out.status = report.status;
               return 1;
           }) == 1;
}

void DefragEngineState::FreeDefragResults() {
    std::vector<ClusterMapBlock> cells;
    decltype(reports_) reports;
    {
        std::lock_guard lock(resultsLock_);
        // Swapped out, not cleared: clearing keeps the capacity, gigabytes for a large map.
        cells_.swap(cells);
        reports_.Swap(reports);
    }
}
