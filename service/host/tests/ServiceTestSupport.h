// What the tests of the real service program share: the program installed in a test folder,
// run from the command line or through the service manager, and called over its real pipe.
#pragma once

#include "DefragRecords.h"
#include "ProcessMemory.h"

#include "owners/WinOwners.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

inline constexpr wchar_t kTestServiceName[] = L"XarnStellmark";
// A folder with spaces: the service's command must be quoted to start the right program.
inline constexpr wchar_t kInstallFolder[] = L"C:\\Program Files\\Xarn Test";

struct ProgramResult {
    DWORD exitCode = ~0u;
    std::string output; // stdout and stderr
};

// The service program in the install folder.
std::wstring InstalledProgram();
// Copies the service program built beside the test into the install folder.
bool CopyProgramToInstallFolder();
// Runs the installed program with arguments and waits for it (up to a minute).
ProgramResult RunProgram(const std::wstring& arguments);
// Removes what an earlier, broken run may have left installed or running, then installs the
// program built beside the test; a fatal test failure when it cannot.
void InstallServiceAfresh();

// The service, opened with all access through the service manager for the object's lifetime.
class InstalledService {
public:
    InstalledService();

    SC_HANDLE get() const { return service_.Get(); }
    DWORD State() const;
    bool WaitForState(DWORD wanted, DWORD milliseconds = 20'000) const;

private:
    ServiceHandle manager_;
    ServiceHandle service_;
};

// Calls over the bound pipe; each answers 0 (or -1 for the state) when the call fails. Send
// passes size as the command's byte count (up to 64).
int JobState();
int Send(int32_t code, wchar_t drive = L'Q', int32_t blocks = 248, int size = 20, int32_t mode = 0);
bool WaitForJobState(int wanted, DWORD milliseconds = 20'000);
// Waits until the service answers on its pipe (its listener may still be registering).
bool WaitForPipe(DWORD milliseconds = 10'000);

// One request of the interface as raw NDR bytes through the runtime's message calls, as no
// generated stub would send it: status is RPC_S_OK with the reply's bytes, or the fault.
struct RawReply {
    RPC_STATUS status = RPC_S_OK;
    std::vector<unsigned char> bytes;
};
RawReply SendRawRequest(unsigned procNum, const std::vector<unsigned char>& request,
                        unsigned long dataRepresentation = NDR_LOCAL_DATA_REPRESENTATION);

// The running service process's memory counters (ProcessMemory.h); all zero when they cannot
// be read.
PROCESS_MEMORY_COUNTERS ServiceMemoryCounters();
