// Drives the real KillXarnProcesses.exe against a running stand-in service, programs named like
// the product's, Task Scheduler tasks and autostart values. Runs only in a Wine prefix of its
// own (a test sandbox, see run_integration.sh): the program under test ends processes by name.
#include <windows.h>
#include <mstask.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kServiceName[] = L"XarnStellmark";
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr DWORD kHelperTimeoutMs = 120000;

const std::vector<std::wstring> kProductTasks = {L"Xarn-Optimize", L"Xarn-Clean",
                                                 L"Halvenor - Stellmark"};
const std::vector<std::wstring> kProductRunValues = {L"XarnStellmark", L"Xarn", L"Stellmark"};
constexpr wchar_t kOtherTask[] = L"Other-Maintenance";
constexpr wchar_t kOtherRunValue[] = L"OtherAutostart";

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

std::wstring TestFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L'\\'));
}

// Runs the install helper and returns its full exit code (0xFFFFFFFF when it does not end).
DWORD RunInstallHelper(const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + TestFolder() + L"\\KillXarnProcesses.exe\"";
    if (!arguments.empty()) {
        commandLine += L" " + arguments;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION helper{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &helper)) {
        ADD_FAILURE() << "cannot start the install helper: " << GetLastError();
        return 0xFFFFFFFF;
    }
    DWORD exitCode = 0xFFFFFFFF;
    if (WaitForSingleObject(helper.hProcess, kHelperTimeoutMs) == WAIT_OBJECT_0) {
        GetExitCodeProcess(helper.hProcess, &exitCode);
    } else {
        ADD_FAILURE() << "the install helper does not end";
        TerminateProcess(helper.hProcess, 0xFFFFFFFF);
        WaitForSingleObject(helper.hProcess, 10000);
    }
    CloseHandle(helper.hThread);
    CloseHandle(helper.hProcess);
    return exitCode;
}

struct ServiceHandleCloser {
    void operator()(SC_HANDLE handle) const { CloseServiceHandle(handle); }
};
using ServiceHandle = std::unique_ptr<SC_HANDLE__, ServiceHandleCloser>;

ServiceHandle OpenNamedService(const wchar_t* name) {
    ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    return ServiceHandle(manager ? OpenServiceW(manager.get(), name, SERVICE_ALL_ACCESS) : nullptr);
}

ServiceHandle OpenTestService() {
    return OpenNamedService(kServiceName);
}

// A service's state, or 0 when it is not installed.
DWORD ServiceState(const wchar_t* name = kServiceName) {
    ServiceHandle service = OpenNamedService(name);
    SERVICE_STATUS status{};
    return service && QueryServiceStatus(service.get(), &status) ? status.dwCurrentState : 0;
}

// Services start and stop slowly on a busy machine, so the waits are generous.
bool WaitForServiceState(DWORD state, const wchar_t* name = kServiceName) {
    const ULONGLONG deadline = GetTickCount64() + 120000;
    while (ServiceState(name) != state) {
        if (GetTickCount64() > deadline) {
            return false;
        }
        Sleep(100);
    }
    return true;
}

// Starts a service and waits until it runs. Right after a prefix's boot Wine refuses starts
// while other services are still starting, and a first start of a shared service host can
// time out or fall back to stopped: the start is repeated until the service runs.
bool StartServiceAndWait(const wchar_t* name) {
    const ULONGLONG deadline = GetTickCount64() + 180000;
    for (;;) {
        const DWORD state = ServiceState(name);
        if (state == SERVICE_RUNNING) {
            return true;
        }
        if (GetTickCount64() > deadline) {
            ADD_FAILURE() << "the service does not start; state " << state;
            return false;
        }
        if (state == SERVICE_STOPPED) {
            ServiceHandle service = OpenNamedService(name);
            if (!service) {
                ADD_FAILURE() << "cannot open the service: " << GetLastError();
                return false;
            }
            if (!StartServiceW(service.get(), 0, nullptr)) {
                const DWORD error = GetLastError();
                if (error != ERROR_SERVICE_DATABASE_LOCKED &&
                    error != ERROR_SERVICE_REQUEST_TIMEOUT &&
                    error != ERROR_SERVICE_ALREADY_RUNNING) {
                    ADD_FAILURE() << "StartService: " << error;
                    return false;
                }
            }
        }
        Sleep(500);
    }
}

void InstallAndStartService() {
    ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    ASSERT_TRUE(manager);
    const std::wstring binary = L"\"" + TestFolder() + L"\\test_service.exe\"";
    ServiceHandle service(CreateServiceW(manager.get(), kServiceName, kServiceName,
                                         SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                         SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, binary.c_str(),
                                         nullptr, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(service) << "CreateService: " << GetLastError();
    ASSERT_TRUE(StartServiceAndWait(kServiceName));
}

void StopAndRemoveService() {
    ServiceHandle service = OpenTestService();
    if (!service) {
        return;
    }
    SERVICE_STATUS status{};
    if (QueryServiceStatus(service.get(), &status) && status.dwCurrentState != SERVICE_STOPPED) {
        ControlService(service.get(), SERVICE_CONTROL_STOP, &status);
        EXPECT_TRUE(WaitForServiceState(SERVICE_STOPPED));
    }
    EXPECT_TRUE(DeleteService(service.get()));
}

// A copy of the sleeper program running under a chosen executable name.
class RunningProgram {
public:
    RunningProgram(const std::wstring& subfolder, const std::wstring& name) {
        const std::wstring folder = TestFolder() + L"\\" + subfolder;
        CreateDirectoryW(folder.c_str(), nullptr);
        path_ = folder + L"\\" + name;
        EXPECT_TRUE(CopyFileW((TestFolder() + L"\\sleeper.exe").c_str(), path_.c_str(), FALSE));
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        std::wstring commandLine = L"\"" + path_ + L"\"";
        EXPECT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &startup, &process_))
            << Narrow(name) << ": " << GetLastError();
    }
    ~RunningProgram() {
        if (process_.hProcess) {
            TerminateProcess(process_.hProcess, 1);
            WaitForSingleObject(process_.hProcess, 10000);
            CloseHandle(process_.hThread);
            CloseHandle(process_.hProcess);
        }
        DeleteFileW(path_.c_str());
    }
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    const std::wstring& path() const { return path_; }
    bool Running() const { return WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }
    // True when the program was ended with exit code 0; the helper does not wait for a
    // terminated process to go, so give it a moment.
    bool EndedWithCodeZero() const {
        DWORD exitCode = 1;
        return WaitForSingleObject(process_.hProcess, 5000) == WAIT_OBJECT_0 &&
               GetExitCodeProcess(process_.hProcess, &exitCode) && exitCode == 0;
    }

private:
    std::wstring path_;
    PROCESS_INFORMATION process_{};
};

// Task Scheduler 1.0, as the product's scheduler pages use it.
class TaskScheduler {
public:
    TaskScheduler() {
        EXPECT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_CTaskScheduler, nullptr,
                                                  CLSCTX_INPROC_SERVER, IID_ITaskScheduler,
                                                  reinterpret_cast<void**>(&scheduler_)));
    }
    ~TaskScheduler() {
        if (scheduler_) {
            scheduler_->Release();
        }
    }
    TaskScheduler(const TaskScheduler&) = delete;
    TaskScheduler& operator=(const TaskScheduler&) = delete;

    void Create(const std::wstring& name, const std::wstring& program) {
        ASSERT_TRUE(scheduler_);
        ITask* task = nullptr;
        ASSERT_HRESULT_SUCCEEDED(scheduler_->NewWorkItem(name.c_str(), CLSID_CTask, IID_ITask,
                                                         reinterpret_cast<IUnknown**>(&task)));
        EXPECT_HRESULT_SUCCEEDED(task->SetApplicationName(program.c_str()));
        EXPECT_HRESULT_SUCCEEDED(task->SetParameters(L"-schedule"));
        IPersistFile* file = nullptr;
        EXPECT_HRESULT_SUCCEEDED(
            task->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)));
        if (file) {
            EXPECT_HRESULT_SUCCEEDED(file->Save(nullptr, TRUE));
            file->Release();
        }
        task->Release();
        ASSERT_TRUE(Exists(name)) << Narrow(name);
    }

    bool Exists(const std::wstring& name) {
        ITask* task = nullptr;
        if (!scheduler_ || FAILED(scheduler_->Activate(name.c_str(), IID_ITask,
                                                       reinterpret_cast<IUnknown**>(&task)))) {
            return false;
        }
        task->Release();
        return true;
    }

    void Delete(const std::wstring& name) {
        if (scheduler_) {
            scheduler_->Delete(name.c_str());
        }
    }

private:
    ITaskScheduler* scheduler_ = nullptr;
};

void SetRunValue(HKEY root, const std::wstring& name) {
    const std::wstring program = L"C:\\xarntest\\" + name + L".exe";
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetKeyValueW(root, kRunKey, name.c_str(), REG_SZ, program.c_str(),
                              static_cast<DWORD>((program.size() + 1) * sizeof(wchar_t))));
}

bool RunValueExists(HKEY root, const std::wstring& name) {
    return RegGetValueW(root, kRunKey, name.c_str(), RRF_RT_ANY, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

const wchar_t* RootName(HKEY root) {
    return root == HKEY_CURRENT_USER ? L"HKCU" : L"HKLM";
}

class InstallHelper : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_HRESULT_SUCCEEDED(CoInitialize(nullptr));
        // Task Scheduler 1.0 needs its Windows service, which a fresh Wine prefix does not
        // start; that service hangs in its start while the RPC service is not yet running.
        ASSERT_TRUE(StartServiceAndWait(L"RpcSs"));
        ASSERT_TRUE(StartServiceAndWait(L"Schedule"));
        scheduler_ = std::make_unique<TaskScheduler>();
        ASSERT_EQ(0u, ServiceState()) << "a service is left from an earlier test";
    }

    void TearDown() override {
        programs_.clear();
        StopAndRemoveService();
        if (scheduler_) {
            for (const std::wstring& task : kProductTasks) {
                scheduler_->Delete(task);
            }
            scheduler_->Delete(kOtherTask);
            scheduler_.reset();
        }
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            for (const std::wstring& value : kProductRunValues) {
                RegDeleteKeyValueW(root, kRunKey, value.c_str());
            }
            RegDeleteKeyValueW(root, kRunKey, kOtherRunValue);
        }
        CoUninitialize();
    }

    RunningProgram& Start(const std::wstring& subfolder, const std::wstring& name) {
        programs_.push_back(std::make_unique<RunningProgram>(subfolder, name));
        return *programs_.back();
    }

    // The product's programs, one of them under a name in other letter case.
    std::vector<RunningProgram*> StartProductPrograms() {
        std::vector<RunningProgram*> started;
        for (const wchar_t* name :
             {L"Xarn.exe", L"XarnDefragSrv.exe", L"XarnDefragSrv64.exe", L"Stellmark.exe"}) {
            started.push_back(&Start(L"product", name));
        }
        started.push_back(&Start(L"othercase", L"xarn.EXE"));
        return started;
    }

    // Programs whose names only resemble the product's.
    std::vector<RunningProgram*> StartUnrelatedPrograms() {
        return {&Start(L"unrelated", L"Unrelated.exe"), &Start(L"unrelated", L"XarnTool.exe"),
                &Start(L"unrelated", L"Xarn.exe.exe")};
    }

    void CreateTasks(bool includeProductTasks) {
        const std::wstring program = TestFolder() + L"\\sleeper.exe";
        if (includeProductTasks) {
            for (const std::wstring& task : kProductTasks) {
                scheduler_->Create(task, program);
            }
        }
        scheduler_->Create(kOtherTask, program);
    }

    void SetRunValues(bool includeProductValues) {
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            if (includeProductValues) {
                for (const std::wstring& value : kProductRunValues) {
                    SetRunValue(root, value);
                }
            }
            SetRunValue(root, kOtherRunValue);
        }
    }

    void ExpectUnrelatedThingsKept(const std::vector<RunningProgram*>& unrelated) {
        for (const RunningProgram* program : unrelated) {
            EXPECT_TRUE(program->Running()) << Narrow(program->path());
        }
        EXPECT_TRUE(scheduler_->Exists(kOtherTask));
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            EXPECT_TRUE(RunValueExists(root, kOtherRunValue)) << Narrow(RootName(root));
        }
    }

    // With the service and the product's programs running and the tasks and autostart values
    // in place, runs the helper: everything of the product stops, and its tasks and values are
    // gone exactly when removal is expected; nothing else is touched.
    void RunAgainstInstalledProduct(const std::wstring& arguments, bool removalExpected) {
        ASSERT_NO_FATAL_FAILURE(InstallAndStartService());
        const std::vector<RunningProgram*> product = StartProductPrograms();
        const std::vector<RunningProgram*> unrelated = StartUnrelatedPrograms();
        ASSERT_NO_FATAL_FAILURE(CreateTasks(true));
        ASSERT_NO_FATAL_FAILURE(SetRunValues(true));

        EXPECT_EQ(0u, RunInstallHelper(arguments));

        EXPECT_EQ(static_cast<DWORD>(SERVICE_STOPPED), ServiceState());
        for (const RunningProgram* program : product) {
            EXPECT_TRUE(program->EndedWithCodeZero()) << Narrow(program->path());
        }
        for (const std::wstring& task : kProductTasks) {
            EXPECT_EQ(!removalExpected, scheduler_->Exists(task)) << Narrow(task);
        }
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            for (const std::wstring& value : kProductRunValues) {
                EXPECT_EQ(!removalExpected, RunValueExists(root, value))
                    << Narrow(RootName(root)) << " " << Narrow(value);
            }
        }
        ExpectUnrelatedThingsKept(unrelated);
    }

    std::unique_ptr<TaskScheduler> scheduler_;
    std::vector<std::unique_ptr<RunningProgram>> programs_;
};

TEST_F(InstallHelper, FullCleanupStopsEverythingAndRemovesTasksAndAutostartValues) {
    RunAgainstInstalledProduct(L"", true);
}

TEST_F(InstallHelper, StopOnlySwitchStopsButRemovesNothing) {
    RunAgainstInstalledProduct(L"/StopOnly", false);
}

TEST_F(InstallHelper, NothingInstalledEndsCleanlyAndLeavesEverythingElse) {
    const std::vector<RunningProgram*> unrelated = StartUnrelatedPrograms();
    ASSERT_NO_FATAL_FAILURE(CreateTasks(false));
    ASSERT_NO_FATAL_FAILURE(SetRunValues(false));

    EXPECT_EQ(0u, RunInstallHelper(L""));

    EXPECT_EQ(0u, ServiceState());
    ExpectUnrelatedThingsKept(unrelated);
}

// Another program holding the service's probe mutex makes the helper try the stop control
// again; with no service it still ends cleanly.
TEST_F(InstallHelper, HeldProbeMutexWithoutServiceEndsCleanly) {
    HANDLE probe = CreateMutexA(nullptr, FALSE, "{167622C3-7B07-4895-ADBB-434604E59DFC}");
    ASSERT_TRUE(probe);
    const std::vector<RunningProgram*> unrelated = StartUnrelatedPrograms();
    ASSERT_NO_FATAL_FAILURE(CreateTasks(false));
    ASSERT_NO_FATAL_FAILURE(SetRunValues(false));

    EXPECT_EQ(0u, RunInstallHelper(L"-stoponly"));

    ExpectUnrelatedThingsKept(unrelated);
    CloseHandle(probe);
}

} // namespace
