#include "ServiceTestSupport.h"

#include "DefragRpc.h"
#include "RpcGuard.h"

#include <gtest/gtest.h>

#include <cstring>

std::wstring InstalledProgram() {
    return std::wstring(kInstallFolder) + L"\\" + XARN_SERVICE_PROGRAM;
}

bool CopyProgramToInstallFolder() {
    wchar_t own[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, own, MAX_PATH);
    std::wstring program(own, length);
    program = program.substr(0, program.find_last_of(L'\\') + 1) + XARN_SERVICE_PROGRAM;
    // Wine names a program outside every drive "unix\..."; the file calls want "\\?\unix\...".
    if (program.rfind(L"unix\\", 0) == 0)
        program = L"\\\\?\\" + program;
    CreateDirectoryW(L"C:\\Program Files", nullptr);
    CreateDirectoryW(kInstallFolder, nullptr);
    return CopyFileW(program.c_str(), InstalledProgram().c_str(), FALSE);
}

ProgramResult RunProgram(const std::wstring& arguments) {
    ProgramResult result;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    KernelHandle readEnd;
    KernelHandle writeEnd;
    HANDLE readPipe = nullptr;
    HANDLE writePipe = nullptr;
    if (!CreatePipe(&readPipe, &writePipe, &inherit, 0))
        return result;
    readEnd.Reset(readPipe);
    writeEnd.Reset(writePipe);
    SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd.Get();
    startup.hStdError = writeEnd.Get();
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    std::wstring command = L"\"" + InstalledProgram() + L"\" " + arguments;
    PROCESS_INFORMATION started{};
    const bool running = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &started);
    // Our copy of the write end must go, or the read below never sees the pipe's end.
    writeEnd.Reset();
    if (running) {
        const KernelHandle process(started.hProcess);
        const KernelHandle thread(started.hThread);
        char buffer[512];
        DWORD read = 0;
        while (ReadFile(readEnd.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
            result.output.append(buffer, read);
        if (WaitForSingleObject(process.Get(), 60'000) == WAIT_OBJECT_0)
            GetExitCodeProcess(process.Get(), &result.exitCode);
    }
    return result;
}

void InstallServiceAfresh() {
    RunProgram(L"-remove");
    ASSERT_TRUE(CopyProgramToInstallFolder()) << GetLastError();
    ASSERT_EQ(0u, RunProgram(L"-install").exitCode);
}

InstalledService::InstalledService()
    : manager_(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS)) {
    if (manager_)
        service_.Reset(OpenServiceW(manager_.Get(), kTestServiceName, SERVICE_ALL_ACCESS));
}

DWORD InstalledService::State() const {
    SERVICE_STATUS status{};
    return QueryServiceStatus(service_.Get(), &status) ? status.dwCurrentState : 0;
}

bool InstalledService::WaitForState(DWORD wanted, DWORD milliseconds) const {
    for (DWORD waited = 0; waited < milliseconds; waited += 50) {
        if (State() == wanted)
            return true;
        Sleep(50);
    }
    return State() == wanted;
}

int JobState() {
    int state = -1;
    int priority = 0;
    return RunGuarded([&] { return RpcGetDefragState(&state, &priority); }) ? state : -1;
}

int Send(int32_t code, wchar_t drive, int32_t blocks, int size, int32_t mode) {
    const DefragCommand command{code, drive, blocks, kPriorityNormal, mode};
    // Room for the wrong sizes that tests send.
    byte buffer[64]{};
    std::memcpy(buffer, &command, sizeof command);
    return RunGuarded([&] { return RpcSendDefragCommand(size, buffer); });
}

bool WaitForJobState(int wanted, DWORD milliseconds) {
    for (DWORD waited = 0; waited < milliseconds; waited += 50) {
        if (JobState() == wanted)
            return true;
        Sleep(50);
    }
    return JobState() == wanted;
}

bool WaitForPipe(DWORD milliseconds) {
    for (DWORD waited = 0; waited < milliseconds; waited += 50) {
        if (JobState() >= 0)
            return true;
        Sleep(50);
    }
    return JobState() >= 0;
}

RawReply SendRawRequest(unsigned procNum, const std::vector<unsigned char>& request,
                        unsigned long dataRepresentation) {
    RawReply reply;
    RPC_MESSAGE message{};
    message.Handle = g_defragRpcBinding;
    message.ProcNum = procNum;
    message.RpcInterfaceInformation = DefragRpc_v1_0_c_ifspec;
    message.BufferLength = static_cast<unsigned>(request.size());
    reply.status = I_RpcGetBuffer(&message);
    if (reply.status != RPC_S_OK)
        return reply;
    if (!request.empty())
        std::memcpy(message.Buffer, request.data(), request.size());
    message.DataRepresentation = dataRepresentation;
    reply.status = I_RpcSendReceive(&message);
    if (reply.status == RPC_S_OK) {
        const auto* bytes = static_cast<const unsigned char*>(message.Buffer);
        reply.bytes.assign(bytes, bytes + message.BufferLength);
    }
    // Also gives the connection back, whatever the call's outcome.
    I_RpcFreeBuffer(&message);
    return reply;
}

PROCESS_MEMORY_COUNTERS ServiceMemoryCounters() {
    InstalledService service;
    SERVICE_STATUS_PROCESS status{};
    DWORD needed = 0;
    if (!service.get() ||
        !QueryServiceStatusEx(service.get(), SC_STATUS_PROCESS_INFO,
                              reinterpret_cast<BYTE*>(&status), sizeof status, &needed) ||
        status.dwProcessId == 0)
        return {};
    const KernelHandle process(
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, status.dwProcessId));
    if (!process)
        return {};
    return MemoryCountersOf(process.Get());
}
