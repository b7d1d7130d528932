// The real service program under Wine's service manager, called over its real pipe by a client
// that sends what no generated stub would (lying sizes, short arrays, truncated requests) and
// by one that polls for long: every bad request is refused, the service's memory stays flat,
// no request makes it allocate beyond what it can answer, and a release gives the memory back.
#include "DefragRpcBinding.h"
#include "DefragRpcDispatch.h"
#include "RpcGuard.h"
#include "ServiceTestSupport.h"
#include "SimVolumeBuilder.h"
#include "SimulatedVolumeConfig.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <thread>
#include <vector>

namespace {

constexpr wchar_t kImageFolder[] = L"C:\\xarn-robustness-test";
constexpr wchar_t kImage[] = L"C:\\xarn-robustness-test\\r.img";
constexpr wchar_t kSimulatedDrive = L'R';
constexpr wchar_t kMissingDrive = L'Q'; // no volume: a run fails at once, its cells allocated
constexpr int32_t kBlocks = 248;
constexpr SIZE_T kMegabyte = 1024 * 1024;
// "Flat": what a heap may still move by after thousands of calls.
constexpr SIZE_T kFlatBytes = 8 * kMegabyte;

std::vector<unsigned char> Request(std::initializer_list<int32_t> integers, size_t bytes = 0,
                                   unsigned char fill = 0) {
    std::vector<unsigned char> request(integers.size() * 4 + bytes, fill);
    size_t at = 0;
    for (int32_t value : integers) {
        std::memcpy(request.data() + at, &value, 4);
        at += 4;
    }
    return request;
}

std::vector<unsigned char> Truncated(std::vector<unsigned char> request, size_t length) {
    request.resize(length);
    return request;
}

SIZE_T ServiceMemory() {
    const SIZE_T bytes = ServiceMemoryCounters().PagefileUsage;
    EXPECT_NE(0u, bytes) << "the service's memory cannot be read";
    return bytes;
}

std::vector<ClusterMapBlock> ReadCells(int32_t blocks) {
    std::vector<ClusterMapBlock> cells(blocks);
    int len = 0;
    EXPECT_EQ(kRpcDone, RunGuarded([&] {
                  return RpcGetClusterMap(blocks * 40, &len, reinterpret_cast<byte*>(cells.data()));
              }));
    return cells;
}

int ReportCount() {
    int count = -1;
    static_cast<void>(RunGuarded([&] { return RpcGetReportCount(&count); })); // failed: -1
    return count;
}

// Runs one analysis as the main program does and leaves its results held.
bool Analyse(wchar_t drive, int32_t blocks) {
    return Send(kCommandRelease, drive) == kRpcDone && WaitForJobState(kJobIdle) &&
           Send(kCommandAnalyse, drive, blocks) == kRpcDone &&
           WaitForJobState(kJobFinished, 60'000);
}

bool Release() {
    return Send(kCommandRelease) == kRpcDone && WaitForJobState(kJobIdle, 30'000);
}

class ServiceRobustness : public testing::Test {
protected:
    static void SetUpTestSuite() {
        InstallServiceAfresh();
        if (HasFatalFailure())
            return;
        CreateDirectoryW(kImageFolder, nullptr);
        SimBuildSpec spec;
        spec.seed = 12;
        spec.geometry.bytesPerCluster = 512;
        spec.geometry.totalClusters = 16'384;
        spec.fileCount = 60;
        spec.maxFileBytes = 16 * 1024;
        spec.fragmentedShare = 0.5;
        DeleteFileW(kImage);
        DWORD error = ERROR_SUCCESS;
        ASSERT_NE(nullptr, BuildSimVolume(kImage, spec, &error)) << error;
        RegistryKey key;
        ASSERT_EQ(ERROR_SUCCESS,
                  RegCreateKeyExW(HKEY_LOCAL_MACHINE, kServiceParametersKey, 0, nullptr, 0,
                                  KEY_SET_VALUE, nullptr, key.Put(), nullptr));
        ASSERT_EQ(ERROR_SUCCESS,
                  RegSetValueExW(key.Get(), SimulatedVolumeValueName(kSimulatedDrive).c_str(), 0,
                                 REG_SZ, reinterpret_cast<const BYTE*>(kImage), sizeof kImage));
        binding_ = std::make_unique<DefragRpcBinding>(kDefragRpcEndpoint);
        ASSERT_EQ(RPC_S_OK, binding_->Status());
        InstalledService service;
        ASSERT_NE(nullptr, service.get());
        StartServiceW(service.get(), 0, nullptr);
        ASSERT_TRUE(service.WaitForState(SERVICE_RUNNING));
        ASSERT_TRUE(WaitForPipe());
    }
    static void TearDownTestSuite() {
        binding_.reset();
        RunProgram(L"-remove"); // the service's key goes, and the parameters with it
        DeleteFileW(kImage);
        RemoveDirectoryW(kImageFolder);
    }
    void TearDown() override { Release(); }

    static std::unique_ptr<DefragRpcBinding> binding_;
};

std::unique_ptr<DefragRpcBinding> ServiceRobustness::binding_;

} // namespace

TEST_F(ServiceRobustness, LyingSizesShortArraysAndTruncatedRequestsAreRefused) {
    // The raw client itself: honest requests are answered.
    const RawReply state = SendRawRequest(kGetDefragState, {});
    ASSERT_EQ(RPC_S_OK, state.status);
    EXPECT_EQ(12u, state.bytes.size()) << "state, priority and the result";

    constexpr int32_t kCells = 1'000'000;
    ASSERT_TRUE(Analyse(kMissingDrive, kCells));
    const std::vector<ClusterMapBlock> before = ReadCells(kCells);

    DefragCommand release{kCommandRelease, kMissingDrive, kBlocks, kPriorityNormal, 0};
    std::vector<unsigned char> command = Request({20, 20}, sizeof release);
    std::memcpy(command.data() + 8, &release, sizeof release);
    const std::vector<unsigned char> shortCommand = Request({20, 19}, 19, 1);
    const std::vector<std::vector<unsigned char>> badArrays = {
        shortCommand,
        Truncated(command, 27), // the array's last byte never came
        Request({-1, -1}, 8),
        Request({20, 21}, 21),
    };
    for (const auto& request : badArrays)
        EXPECT_EQ(RPC_X_BAD_STUB_DATA, SendRawRequest(kSendDefragCommand, request).status);
    const std::vector<std::vector<unsigned char>> badMaps = {
        Request({9'920, 1}, 1, 0x5A),
        Request({kCells * 40, 1}, 1, 0x5A),
        Request({kCells * 40, kCells * 40}, 1, 0x5A),
        Request({kCells * 40, kCells * 40}, 40, 0x5A),
    };
    for (const auto& request : badMaps)
        EXPECT_EQ(RPC_X_BAD_STUB_DATA, SendRawRequest(kSetClusterMap, request).status);
    for (size_t length = 0; length < 8; ++length) {
        EXPECT_NE(RPC_S_OK, SendRawRequest(kSendDefragCommand, Truncated(command, length)).status)
            << length;
        EXPECT_NE(RPC_S_OK,
                  SendRawRequest(kGetReportItem, Truncated(Request({0, 65'584}), length)).status)
            << length;
    }
    for (size_t length = 0; length < 4; ++length) {
        for (unsigned procNum : {kGetClusterMap, kGetDefragStatistics})
            EXPECT_NE(RPC_S_OK,
                      SendRawRequest(procNum, Truncated(Request({65'856}), length)).status)
                << procNum << " " << length;
    }
    EXPECT_EQ(RPC_X_BAD_STUB_DATA,
              SendRawRequest(kGetDefragStatistics, Request({65'856}), 0).status)
        << "a big-endian request cannot be checked";

    // Nothing from beyond the requests reached the map, and the results are still held.
    EXPECT_EQ(0, std::memcmp(before.data(), ReadCells(kCells).data(), kCells * 40ull));
    EXPECT_EQ(kJobFinished, JobState());
    // The honest command still goes through the same raw path.
    const RawReply released = SendRawRequest(kSendDefragCommand, command);
    ASSERT_EQ(RPC_S_OK, released.status);
    ASSERT_TRUE(WaitForJobState(kJobIdle));

    // Random requests, a bounded number: each is answered or refused, and the service goes on.
    std::mt19937 random(20'261'209);
    const DWORD start = GetTickCount();
    for (int i = 0; i < 400 && GetTickCount() - start < 60'000; ++i) {
        const unsigned procNum = random() % kProcedureCount;
        std::vector<unsigned char> request(random() % 48);
        for (unsigned char& byte : request)
            byte = static_cast<unsigned char>(random());
        if (request.size() >= 8 && random() % 2) { // sizes that look plausible, often lying
            const int32_t size = static_cast<int32_t>(random() % 64);
            std::memcpy(request.data(), &size, 4);
            std::memcpy(request.data() + 4, &size, 4);
        }
        if (procNum == kSendDefragCommand && request.size() >= 12)
            request[8] = 99; // never a start on whatever drive the bytes name
        const RawReply reply = SendRawRequest(procNum, request);
        EXPECT_TRUE(reply.status == RPC_S_OK || reply.status == RPC_X_BAD_STUB_DATA ||
                    reply.status == RPC_X_INVALID_BOUND)
            << "procedure " << procNum << " answered " << reply.status;
    }
    static_cast<void>(
        RunGuarded([] { return RpcResumeDefrag(); })); // the random bytes may have paused
    EXPECT_EQ(kJobIdle, JobState());

    // And a whole analysis afterwards.
    ASSERT_TRUE(Analyse(kSimulatedDrive, kBlocks));
    int len = 0;
    auto statistics = std::make_unique<DefragStatistics>();
    ASSERT_EQ(kRpcDone, RunGuarded([&] {
                  return RpcGetDefragStatistics(sizeof *statistics, &len,
                                                reinterpret_cast<byte*>(statistics.get()));
              }));
    EXPECT_EQ(16'384u, statistics->totalClusters);
    EXPECT_GT(ReportCount(), 0);
}

TEST_F(ServiceRobustness, MemoryStaysFlatOverManyPolls) {
    ASSERT_TRUE(Analyse(kSimulatedDrive, kBlocks));
    const int count = ReportCount();
    ASSERT_GT(count, 0);
    auto statistics = std::make_unique<DefragStatistics>();
    auto record = std::make_unique<FileReportRecord>();
    std::vector<ClusterMapBlock> cells(kBlocks);
    int failures = 0;
    const auto poll = [&](int i) {
        int len = 0;
        failures += RunGuarded([&] {
                        return RpcGetDefragStatistics(sizeof *statistics, &len,
                                                      reinterpret_cast<byte*>(statistics.get()));
                    }) != kRpcDone;
        failures +=
            RunGuarded([&] {
                return RpcGetClusterMap(kBlocks * 40, &len, reinterpret_cast<byte*>(cells.data()));
            }) != kRpcDone;
        failures += RunGuarded([&] {
                        return RpcGetReportItem(i % count, sizeof *record, &len,
                                                reinterpret_cast<byte*>(record.get()));
                    }) != kRpcDone;
    };
    for (int i = 0; i < 200; ++i) // the heap settles first
        poll(i);
    // Every reply is a record of 55 to 65 KB, so a reply left behind per poll would grow the
    // service by over 100 MB here; the bound also catches anything of 1.1 KB per call or more.
    constexpr int kPolls = 2'500;
    const SIZE_T before = ServiceMemory();
    for (int i = 0; i < kPolls; ++i)
        poll(i);
    const SIZE_T after = ServiceMemory();
    EXPECT_EQ(0, failures);
    EXPECT_LT(after, before + kFlatBytes)
        << "grew by " << (after - before) / kMegabyte << " MB over " << kPolls << " polls of each";
}

TEST_F(ServiceRobustness, OutSizesAreCappedAtWhatTheServiceCanAnswer) {
    ASSERT_TRUE(Analyse(kSimulatedDrive, kBlocks));
    const SIZE_T peakBefore = ServiceMemoryCounters().PeakPagefileUsage;
    ASSERT_NE(0u, peakBefore);
    std::vector<std::thread> callers;
    for (int c = 0; c < 2; ++c) {
        callers.emplace_back([] {
            std::vector<byte> buffer(sizeof(DefragStatistics));
            int len = -1;
            EXPECT_EQ(kRpcRefused, RunGuarded([&] {
                          return RpcGetClusterMap(2'147'483'647, &len, buffer.data());
                      }));
            EXPECT_EQ(0, len);
            // Within the range: the record travels, and only the record is allocated.
            EXPECT_EQ(kRpcDone, RunGuarded([&] {
                          return RpcGetDefragStatistics(1'048'576, &len, buffer.data());
                      }));
            EXPECT_EQ(static_cast<int>(sizeof(DefragStatistics)), len);
            EXPECT_EQ(kRpcDone, RunGuarded([&] {
                          return RpcGetReportItem(0, 1'048'576, &len, buffer.data());
                      }));
            EXPECT_EQ(static_cast<int>(sizeof(FileReportRecord)), len);
        });
    }
    for (auto& caller : callers)
        caller.join();
    EXPECT_LT(ServiceMemoryCounters().PeakPagefileUsage, peakBefore + kFlatBytes)
        << "a request made the service allocate";
    EXPECT_EQ(kBlocks * 40u, ReadCells(kBlocks).size() * sizeof(ClusterMapBlock));
}

TEST_F(ServiceRobustness, ReleasingAMaximumCellRunGivesTheMemoryBack) {
    ASSERT_TRUE(Release());
    const SIZE_T before = ServiceMemory();
    // The run fails at once (no volume), holding its cells, 4 GB, until the release.
    ASSERT_TRUE(Analyse(kMissingDrive, kMaxMapBlockCount));
    const SIZE_T held = ServiceMemory();
    if (sizeof(void*) == 8)
        EXPECT_GT(held, before + 4'000 * kMegabyte) << "the cells were allocated";
    else
        EXPECT_LT(held, before + kFlatBytes) << "no 32-bit process holds them: the run failed";
    ASSERT_TRUE(Release());
    EXPECT_LT(ServiceMemory(), before + kFlatBytes);
    EXPECT_EQ(kJobIdle, JobState());
}
