#include "DefragEngineState.h"

#include <algorithm>
#include <cstring>
#include <new>

DefragEngineState g_defragEngineState;

DefragEngineState::DefragEngineState()
    : pauseEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      abortEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

DefragEngineState::~DefragEngineState() {
    CloseHandle(pauseEvent);
    CloseHandle(abortEvent);
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
    if (paused || servicePaused_)
        SetEvent(pauseEvent);
    else
        ResetEvent(pauseEvent);
}

void DefragEngineState::SetCurrentPath(const wchar_t* path) {
    const size_t units = path ? std::min(wcslen(path), kPathUnits - 1) : 0;
    std::lock_guard lock(statusLock);
    if (units != 0)
        std::memcpy(statistics.currentPath, path, units * sizeof(wchar_t));
    statistics.currentPath[units] = L'\0';
}

void DefragEngineState::CopyStatistics(DefragStatistics& out) {
    std::lock_guard lock(statusLock);
    std::memcpy(&out, &statistics, sizeof out);
}

void DefragEngineState::ResetStatusCounters() {
    clustersPerCell = 0;
    std::memset(reinterpret_cast<char*>(&statistics) + kCountersOffset, 0, kCountersBytes);
    statistics.aborted = 0;
}

bool DefragEngineState::AllocateCells(uint32_t count) {
    std::lock_guard lock(resultsLock_);
    cellCount = count;
    try {
        cells_.assign(count, ClusterMapBlock{});
    } catch (const std::bad_alloc&) {
        cells_ = {};
        return false;
    }
    return true;
}

bool DefragEngineState::CopyCellsOut(void* buffer, uint64_t bytes, uint64_t& copied) {
    copied = 0;
    std::lock_guard lock(resultsLock_);
    if (cells_.empty() || bytes / sizeof(ClusterMapBlock) != cells_.size())
        return false;
    copied = cells_.size() * sizeof(ClusterMapBlock);
    std::memcpy(buffer, cells_.data(), copied);
    return true;
}

bool DefragEngineState::CopyCellsIn(const void* buffer, uint64_t bytes) {
    std::lock_guard lock(resultsLock_);
    if (cells_.empty() || bytes / sizeof(ClusterMapBlock) != cells_.size())
        return false;
    std::memcpy(cells_.data(), buffer, cells_.size() * sizeof(ClusterMapBlock));
    return true;
}

void DefragEngineState::AddReport(FileReport report) {
    std::lock_guard lock(resultsLock_);
    reports_.push_back(std::move(report));
}

uint32_t DefragEngineState::ReportCount() {
    std::lock_guard lock(resultsLock_);
    return static_cast<uint32_t>(reports_.size());
}

bool DefragEngineState::GetReportItem(uint32_t index, FileReportRecord& out) {
    std::lock_guard lock(resultsLock_);
    if (index >= reports_.size())
        return false;
    const FileReport& report = reports_[index];
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
    return true;
}

void DefragEngineState::FreeDefragResults() {
    std::lock_guard lock(resultsLock_);
    cells_ = {};
    reports_ = {};
}
