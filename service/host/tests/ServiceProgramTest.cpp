// The real service program under Wine's service manager, driven over its real pipe: command
// line, exit codes and console texts, install, start, calls, pause, removal.
#include "DefragRecords.h"
#include "DefragRpcBinding.h"
#include "RpcGuard.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include <string>
#include <thread>
#include <vector>

namespace {

constexpr wchar_t kServiceName[] = L"XarnStellmark";
// A folder with spaces: the service's command must be quoted to start the right program.
constexpr wchar_t kInstallFolder[] = L"C:\\Program Files\\Xarn Test";

struct ProgramResult {
    DWORD exitCode = 0;
    std::string output;
};

std::wstring InstalledProgram() {
    return std::wstring(kInstallFolder) + L"\\" + XARN_SERVICE_PROGRAM;
}

ProgramResult RunProgram(const std::wstring& arguments) {
    ProgramResult result{~0u, {}};
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return result;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    std::wstring command = L"\"" + InstalledProgram() + L"\" " + arguments;
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &process);
    CloseHandle(writeEnd);
    if (started) {
        char buffer[512];
        DWORD read = 0;
        while (ReadFile(readEnd, buffer, sizeof buffer, &read, nullptr) && read > 0)
            result.output.append(buffer, read);
        if (WaitForSingleObject(process.hProcess, 60'000) == WAIT_OBJECT_0)
            GetExitCodeProcess(process.hProcess, &result.exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(readEnd);
    return result;
}

class ServiceHandle {
public:
    ServiceHandle() {
        manager_ = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
        if (manager_)
            service_ = OpenServiceW(manager_, kServiceName, SERVICE_ALL_ACCESS);
    }
    ~ServiceHandle() {
        if (service_)
            CloseServiceHandle(service_);
        if (manager_)
            CloseServiceHandle(manager_);
    }
    SC_HANDLE get() const { return service_; }

    DWORD State() const {
        SERVICE_STATUS status{};
        return QueryServiceStatus(service_, &status) ? status.dwCurrentState : 0;
    }
    bool WaitForState(DWORD wanted, DWORD milliseconds = 20'000) const {
        for (DWORD waited = 0; waited < milliseconds; waited += 50) {
            if (State() == wanted)
                return true;
            Sleep(50);
        }
        return State() == wanted;
    }

private:
    SC_HANDLE manager_ = nullptr;
    SC_HANDLE service_ = nullptr;
};

int JobState() {
    int state = -1;
    int priority = 0;
    return RunGuarded([&] { return RpcGetDefragState(&state, &priority); }) ? state : -1;
}

int Send(int32_t code, wchar_t drive = L'Q', int32_t blocks = 248, int size = 20) {
    const DefragCommand command{code, drive, blocks, kPriorityNormal, 0};
    return RunGuarded(
        [&] { return RpcSendDefragCommand(size, reinterpret_cast<const byte*>(&command)); });
}

bool WaitForJobState(int wanted) {
    for (int i = 0; i < 400; ++i) {
        if (JobState() == wanted)
            return true;
        Sleep(50);
    }
    return false;
}

class ServiceProgram : public testing::Test {
protected:
    static void SetUpTestSuite() {
        wchar_t own[MAX_PATH];
        const DWORD length = GetModuleFileNameW(nullptr, own, MAX_PATH);
        std::wstring program(own, length);
        program = program.substr(0, program.find_last_of(L'\\') + 1) + XARN_SERVICE_PROGRAM;
        // Wine names a program outside every drive "unix\..."; the file calls want "\\?\unix\...".
        if (program.rfind(L"unix\\", 0) == 0)
            program = L"\\\\?\\" + program;
        CreateDirectoryW(L"C:\\Program Files", nullptr);
        CreateDirectoryW(kInstallFolder, nullptr);
        ASSERT_TRUE(CopyFileW(program.c_str(), InstalledProgram().c_str(), FALSE))
            << GetLastError() << " " << testing::PrintToString(program);
        RunProgram(L"-remove"); // what an earlier, broken run may have left
    }
    static void TearDownTestSuite() { RunProgram(L"-remove"); }
};

} // namespace

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

    auto serviceHandle = std::make_unique<ServiceHandle>();
    const ServiceHandle& service = *serviceHandle;
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

    // Malformed calls from concurrent callers, a bounded number of them.
    std::vector<std::thread> callers;
    for (int c = 0; c < 4; ++c) {
        callers.emplace_back([c] {
            std::vector<byte> buffer(sizeof(FileReportRecord));
            int len = 0;
            for (int i = 0; i < 40; ++i) {
                const int size = (i % 3 == 0) ? -1 : (i % 3 == 1) ? 7 : 2'000'000;
                RunGuarded([&] { return RpcGetReportItem(i - 20, 65'584, &len, buffer.data()); });
                RunGuarded([&] { return RpcGetDefragStatistics(size, &len, buffer.data()); });
                RunGuarded([&] { return RpcGetClusterMap(c * 40, &len, buffer.data()); });
                RunGuarded([&] { return RpcSetClusterMap(7, buffer.data()); });
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
