// Records and values that cross the defragmentation service's RPC interface.
// They travel as opaque byte buffers, so both sides must agree on every byte: the layouts are
// the natural 32-bit Windows layouts and are checked below for both architectures.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

static_assert(sizeof(wchar_t) == 2, "UTF-16 units on the wire");

// Command codes of RpcSendDefragCommand.
enum DefragCommandCode : int32_t {
    kCommandDefragment = 1, // analyse and defragment
    kCommandRelease = 5,    // release a finished run's results
    kCommandAnalyse = 6,    // analyse only
};

// Worker priorities as the command carries them; any other value means normal.
enum DefragPriority : int32_t {
    kPriorityIdle = 0,
    kPriorityLowest = 1,
    kPriorityNormal = 2,
    kPriorityAboveNormal = 3,
    kPriorityHighest = 4,
};

enum DefragJobState : int32_t {
    kJobIdle = 0,     // no run, or results released
    kJobRunning = 1,  // a worker runs
    kJobFinished = 2, // results held until a release command
};

// Status of one file report.
enum ReportStatus : uint32_t {
    kReportContiguous = 0,       // contiguous after processing, or reported by the analysis
    kReportFragmented = 1,       // still fragmented after processing
    kReportMoveFailed = 2,       // a move failed
    kReportAborted = 3,          // the run was aborted during this item
    kReportOpenFailed = 4,       // the item could not be opened
    kReportNonNtfsDirectory = 5, // directory on a volume other than NTFS, skipped
    kReportUnmovable = 6,        // matches an unmovable-item pattern
};

// The service's named pipe (protocol sequence "ncacn_np", this computer).
inline constexpr wchar_t kDefragRpcEndpoint[] = L"\\pipe\\defrag_rpcechoxarn";

// Every procedure answers 1 when it did its work and 0 when it refused.
constexpr int32_t kRpcDone = 1;
constexpr int32_t kRpcRefused = 0;

constexpr int32_t kMaxMapBlockCount = 107'374'182; // cells × 40 stays below 2^32
constexpr size_t kPathUnits = 32'768;
constexpr size_t kFileSystemNameUnits = 64;

struct DefragCommand {
    int32_t code;
    wchar_t drive; // upper case, as the client sends it
    int32_t mapBlockCount;
    int32_t priority;
    int32_t mode; // non-zero: also consolidate contiguous files toward the volume start
};

struct ClusterMapBlock {
    uint64_t freeClusters;
    uint64_t otherUsedClusters; // used, but by no analysed file
    uint64_t contiguousClusters;
    uint64_t fragmentedClusters;
    uint64_t mftZoneClusters; // also counted in one of the four above
};

struct DefragStatistics {
    SYSTEMTIME startTime; // local time
    SYSTEMTIME endTime;   // local time; the previous run's while a run is in progress
    uint64_t files;
    uint64_t directories;
    uint64_t itemsNotDefragmented;
    uint64_t fragmentedFiles;
    uint64_t fragmentedBytes;
    uint64_t filesMadeContiguous;
    uint64_t fragmentsFound;
    uint64_t fragmentsRemaining;
    uint64_t totalClusters;
    uint64_t usedClusters;
    uint64_t freeClusters;
    uint64_t clustersProcessed;
    uint64_t streamClusters;
    uint32_t sectorsPerCluster;
    uint32_t bytesPerSector;
    uint64_t currentItemClusters;
    uint64_t currentItemPosition;
    uint64_t currentItemSize;
    uint64_t largestFreeRun;
    uint32_t streamFlag;
    wchar_t drive;
    wchar_t fileSystemName[kFileSystemNameUnits];
    wchar_t currentPath[kPathUnits]; // written under the status lock only
    uint32_t aborted;
};

// One file's report as it travels; the service keeps its own compact form.
struct FileReportRecord {
    wchar_t path[kPathUnits];
    uint32_t isDirectory;
    uint32_t fragmentsBefore;
    uint32_t fragmentsAfter;
    uint64_t allocatedClusters;
    uint64_t totalClusters; // virtual-cluster span
    uint64_t size;
    uint32_t status; // ReportStatus
};

// The counters a new run or a release zeroes: statistics bytes 32 to 143.
constexpr size_t kCountersOffset = 32;
constexpr size_t kCountersBytes = 112;

static_assert(sizeof(DefragCommand) == 20);
static_assert(offsetof(DefragCommand, code) == 0);
static_assert(offsetof(DefragCommand, drive) == 4);
static_assert(offsetof(DefragCommand, mapBlockCount) == 8);
static_assert(offsetof(DefragCommand, priority) == 12);
static_assert(offsetof(DefragCommand, mode) == 16);

static_assert(sizeof(ClusterMapBlock) == 40);
static_assert(offsetof(ClusterMapBlock, freeClusters) == 0);
static_assert(offsetof(ClusterMapBlock, otherUsedClusters) == 8);
static_assert(offsetof(ClusterMapBlock, contiguousClusters) == 16);
static_assert(offsetof(ClusterMapBlock, fragmentedClusters) == 24);
static_assert(offsetof(ClusterMapBlock, mftZoneClusters) == 32);

static_assert(sizeof(DefragStatistics) == 65'856);
static_assert(offsetof(DefragStatistics, startTime) == 0);
static_assert(offsetof(DefragStatistics, endTime) == 16);
static_assert(offsetof(DefragStatistics, files) == 32);
static_assert(offsetof(DefragStatistics, directories) == 40);
static_assert(offsetof(DefragStatistics, itemsNotDefragmented) == 48);
static_assert(offsetof(DefragStatistics, fragmentedFiles) == 56);
static_assert(offsetof(DefragStatistics, fragmentedBytes) == 64);
static_assert(offsetof(DefragStatistics, filesMadeContiguous) == 72);
static_assert(offsetof(DefragStatistics, fragmentsFound) == 80);
static_assert(offsetof(DefragStatistics, fragmentsRemaining) == 88);
static_assert(offsetof(DefragStatistics, totalClusters) == 96);
static_assert(offsetof(DefragStatistics, usedClusters) == 104);
static_assert(offsetof(DefragStatistics, freeClusters) == 112);
static_assert(offsetof(DefragStatistics, clustersProcessed) == 120);
static_assert(offsetof(DefragStatistics, streamClusters) == 128);
static_assert(offsetof(DefragStatistics, sectorsPerCluster) == 136);
static_assert(offsetof(DefragStatistics, bytesPerSector) == 140);
static_assert(offsetof(DefragStatistics, currentItemClusters) == 144);
static_assert(offsetof(DefragStatistics, currentItemPosition) == 152);
static_assert(offsetof(DefragStatistics, currentItemSize) == 160);
static_assert(offsetof(DefragStatistics, largestFreeRun) == 168);
static_assert(offsetof(DefragStatistics, streamFlag) == 176);
static_assert(offsetof(DefragStatistics, drive) == 180);
static_assert(offsetof(DefragStatistics, fileSystemName) == 182);
static_assert(offsetof(DefragStatistics, currentPath) == 310);
static_assert(offsetof(DefragStatistics, aborted) == 65'848);
static_assert(kCountersOffset + kCountersBytes == offsetof(DefragStatistics, currentItemClusters));

static_assert(sizeof(FileReportRecord) == 65'584);
static_assert(offsetof(FileReportRecord, path) == 0);
static_assert(offsetof(FileReportRecord, isDirectory) == 65'536);
static_assert(offsetof(FileReportRecord, fragmentsBefore) == 65'540);
static_assert(offsetof(FileReportRecord, fragmentsAfter) == 65'544);
static_assert(offsetof(FileReportRecord, allocatedClusters) == 65'552);
static_assert(offsetof(FileReportRecord, totalClusters) == 65'560);
static_assert(offsetof(FileReportRecord, size) == 65'568);
static_assert(offsetof(FileReportRecord, status) == 65'576);
