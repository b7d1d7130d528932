// The real service program under Wine's service manager, driven over its real pipe: command
// line, exit codes and console texts, install, start, calls, pause, removal.
#include "DefragRpcBinding.h"
#include "RpcGuard.h"
#include "ServiceTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

class ServiceProgram : public testing::Test {
protected:
    static void SetUpTestSuite() {
        RunProgram(L"-remove"); // what an earlier, broken run may have left running
        ASSERT_TRUE(CopyProgramToInstallFolder()) << GetLastError();
    }
    static void TearDownTestSuite() { RunProgram(L"-remove"); }
};

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The Run value, or nullopt when there is none.
std::optional<std::wstring> RunValue() {
    wchar_t value[MAX_PATH * 2] = {};
    DWORD bytes = sizeof value - sizeof(wchar_t);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kRunKey, kTestServiceName, RRF_RT_REG_SZ, nullptr, value,
                     &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(value);
}

// Wine answers a version per program name: the installed program runs as Windows 98.
class ConsumerWindowsProgram : public ServiceProgram {
protected:
    void SetUp() override {
        ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_CURRENT_USER, versionKey_.c_str(), L"Version",
                                                 REG_SZ, L"win98", sizeof L"win98"));
    }
    void TearDown() override {
        RegDeleteKeyW(HKEY_CURRENT_USER, versionKey_.c_str());
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kRunKey, kTestServiceName);
    }
    const std::wstring versionKey_ =
        std::wstring(L"Software\\Wine\\AppDefaults\\") + XARN_SERVICE_PROGRAM;
};

} // namespace

TEST_F(ConsumerWindowsProgram, TheRunValueIsQuotedAndRemoved) {
    ASSERT_EQ(0u, RunProgram(L"-install").exitCode);
    const std::optional<std::wstring> command = RunValue();
    if (!command)
        GTEST_SKIP() << "the system's version cannot be chosen for one program here";
    EXPECT_EQ(L"\"" + InstalledProgram() + L"\"", *command);
    EXPECT_EQ(0u, RunProgram(L"-remove").exitCode);
    EXPECT_FALSE(RunValue());
    EXPECT_EQ(1005u, RunProgram(L"-remove").exitCode) << "there was no Run value to remove";
}

TEST_F(ServiceProgram, UnknownSwitchesAndRemovingWhatIsNotInstalled) {
    for (const wchar_t* arguments : {L"-x", L"-install now", L"/uninstall"}) {
        const ProgramResult result = RunProgram(arguments);
        EXPECT_EQ(1001u, result.exitCode) << arguments;
        EXPECT_EQ("", result.output);
    }
    EXPECT_EQ(1005u, RunProgram(L"-remove").exitCode);
}

TEST_F(ServiceProgram, InstallStartDriveAndRemove) {
    ProgramResult result = RunProgram(L"/Install");
    ASSERT_EQ(0u, result.exitCode);
    EXPECT_EQ("XarnStellmark service installed.\n", result.output);
    EXPECT_EQ(1003u, RunProgram(L"-INSTALL").exitCode) << "already installed";

    auto serviceHandle = std::make_unique<InstalledService>();
    const InstalledService& service = *serviceHandle;
    ASSERT_NE(nullptr, service.get());
    std::vector<BYTE> configBytes(8192);
    DWORD needed = 0;
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(configBytes.data());
    ASSERT_TRUE(QueryServiceConfigW(service.get(), config, configBytes.size(), &needed));
    EXPECT_EQ(L"\"" + InstalledProgram() + L"\"", std::wstring(config->lpBinaryPathName));
    EXPECT_EQ(static_cast<DWORD>(SERVICE_AUTO_START), config->dwStartType);
    EXPECT_EQ(static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS), config->dwServiceType);

    ASSERT_TRUE(StartServiceW(service.get(), 0, nullptr));
    ASSERT_TRUE(service.WaitForState(SERVICE_RUNNING));

    DefragRpcBinding binding(kDefragRpcEndpoint);
    ASSERT_EQ(RPC_S_OK, binding.Status());
    int state = -1;
    int priority = 0;
    for (int i = 0; i < 100 && !RunGuarded([&] { return RpcGetDefragState(&state, &priority); });
         ++i)
        Sleep(50); // the listener thread may still be registering
    EXPECT_EQ(kJobIdle, state);
    EXPECT_EQ(THREAD_PRIORITY_ERROR_RETURN, priority) << "no worker yet";

    EXPECT_EQ(1, Send(2)) << "accepted, no effect";
    EXPECT_EQ(1, Send(kCommandRelease)) << "no worker: nothing to release";
    EXPECT_EQ(0, Send(kCommandAnalyse, L'Q', 248, 19));
    EXPECT_EQ(0, Send(kCommandAnalyse, L'Q', 0));
    Sleep(300);
    EXPECT_EQ(kJobIdle, JobState());

    // A drive that does not exist: the run ends at once, and no clusters tells the failure.
    ASSERT_EQ(1, Send(kCommandAnalyse));
    ASSERT_TRUE(WaitForJobState(kJobFinished));
    std::vector<byte> statistics(sizeof(DefragStatistics));
    int len = 0;
    ASSERT_EQ(1, RunGuarded([&] {
                  return RpcGetDefragStatistics(sizeof(DefragStatistics), &len, statistics.data());
              }));
    const auto* read = reinterpret_cast<const DefragStatistics*>(statistics.data());
    EXPECT_EQ(0u, read->totalClusters);
    EXPECT_EQ(L'\0', read->currentPath[0]);
    EXPECT_EQ(1, Send(kCommandAnalyse)) << "results held";
    Sleep(300);
    EXPECT_EQ(kJobFinished, JobState());
    ASSERT_EQ(1, Send(kCommandRelease));
    ASSERT_TRUE(WaitForJobState(kJobIdle));

    // Malformed calls from concurrent callers, a bounded number of them: what they answer does
    // not matter, only that the service goes on answering.
    std::vector<std::thread> callers;
    for (int c = 0; c < 4; ++c) {
        callers.emplace_back([c] {
            std::vector<byte> buffer(sizeof(FileReportRecord));
            int len = 0;
            for (int i = 0; i < 40; ++i) {
                const int size = (i % 3 == 0) ? -1 : (i % 3 == 1) ? 7 : 2'000'000;
                static_cast<void>(RunGuarded(
                    [&] { return RpcGetReportItem(i - 20, 65'584, &len, buffer.data()); }));
                static_cast<void>(
                    RunGuarded([&] { return RpcGetDefragStatistics(size, &len, buffer.data()); }));
                static_cast<void>(
                    RunGuarded([&] { return RpcGetClusterMap(c * 40, &len, buffer.data()); }));
                static_cast<void>(RunGuarded([&] { return RpcSetClusterMap(7, buffer.data()); }));
                Send(c % 2 ? 99 : kCommandRelease, L'Q', -5, i % 2 ? 20 : 21);
            }
        });
    }
    for (auto& caller : callers)
        caller.join();
    EXPECT_EQ(kJobIdle, JobState()) << "the service still answers";

    // Pausing through the manager leaves the RPC side answering.
    SERVICE_STATUS status{};
    ASSERT_TRUE(ControlService(service.get(), SERVICE_CONTROL_PAUSE, &status));
    EXPECT_TRUE(service.WaitForState(SERVICE_PAUSED));
    EXPECT_EQ(kJobIdle, JobState());
    ASSERT_TRUE(ControlService(service.get(), SERVICE_CONTROL_CONTINUE, &status));
    EXPECT_TRUE(service.WaitForState(SERVICE_RUNNING));
    EXPECT_TRUE(ControlService(service.get(), SERVICE_CONTROL_INTERROGATE, &status));

    serviceHandle.reset(); // an open handle keeps a deleted service alive
    result = RunProgram(L"-remove");
    EXPECT_EQ(0u, result.exitCode);
    EXPECT_EQ(0u, result.output.find("Stopping XarnStellmark service. Please wait."))
        << result.output;
    EXPECT_NE(std::string::npos, result.output.find(" stopped.\nXarnStellmark service removed.\n"))
        << result.output;
    EXPECT_EQ(1005u, RunProgram(L"-remove").exitCode);
}
