// The install helper's process walk, program-name matching and command-line switch.
#include "CommandLine.h"
#include "EnumProcess.h"
#include "ProcessKill.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <set>
#include <string>

namespace {

std::wstring FilePart(const std::wstring& path) {
    const size_t separator = path.find_last_of(L'\\');
    return separator == std::wstring::npos ? path : path.substr(separator + 1);
}

std::wstring OwnExecutableName() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return FilePart(path);
}

// Walks every process; fails the test on a walk that does not end or repeats an id.
std::set<DWORD> WalkAndFindOwnProcess(CEnumProcess& processes, std::wstring& ownName) {
    std::set<DWORD> ids;
    CEnumProcess::CProcessEntry entry;
    for (bool found = processes.GetProcessFirst(entry); found;
         found = processes.GetProcessNext(entry)) {
        EXPECT_TRUE(ids.insert(entry.processId).second) << "repeated id " << entry.processId;
        EXPECT_LT(wcslen(entry.name), std::size(entry.name));
        if (entry.processId == GetCurrentProcessId()) {
            ownName = entry.name;
        }
        if (ids.size() > 100000) {
            ADD_FAILURE() << "the walk does not end";
            break;
        }
    }
    EXPECT_FALSE(processes.GetProcessNext(entry)) << "a finished walk stays finished";
    return ids;
}

TEST(EnumProcess, ToolHelpIsPreferredAndNamesBareExecutables) {
    CEnumProcess processes;
    ASSERT_EQ(CEnumProcess::kMethodToolHelp, processes.GetMethod());
    std::wstring ownName;
    const std::set<DWORD> ids = WalkAndFindOwnProcess(processes, ownName);
    EXPECT_GT(ids.size(), 1u);
    EXPECT_TRUE(CompareStringOrdinal(ownName.c_str(), -1, OwnExecutableName().c_str(), -1, TRUE) ==
                CSTR_EQUAL)
        << "own process listed as '" << std::string(ownName.begin(), ownName.end()) << "'";
}

TEST(EnumProcess, PsapiWalkNamesTheProgramFile) {
    CEnumProcess processes;
    if (!(processes.GetAvailableMethods() & CEnumProcess::kMethodPsapi)) {
        GTEST_SKIP() << "no PSAPI on this system";
    }
    ASSERT_EQ(CEnumProcess::kMethodPsapi, processes.SetMethod(CEnumProcess::kMethodPsapi));
    std::wstring ownName;
    const std::set<DWORD> ids = WalkAndFindOwnProcess(processes, ownName);
    EXPECT_GT(ids.size(), 1u);
    EXPECT_TRUE(CompareStringOrdinal(FilePart(ownName).c_str(), -1, OwnExecutableName().c_str(), -1,
                                     TRUE) == CSTR_EQUAL);
    EXPECT_TRUE(IsProductExecutable(L"C:\\Program Files\\Xarn\\Xarn.exe"))
        << "a PSAPI path of a product program must match as well";
}

TEST(EnumProcess, SetMethodRefusesUnavailableOrUnknownMethods) {
    CEnumProcess processes;
    const int method = processes.GetMethod();
    EXPECT_EQ(method, processes.SetMethod(CEnumProcess::kMethodNone));
    EXPECT_EQ(method, processes.SetMethod(4));
    EXPECT_EQ(method,
              processes.SetMethod(CEnumProcess::kMethodPsapi | CEnumProcess::kMethodToolHelp));
}

TEST(EnumProcess, NewChildProcessAppearsInTheWalk) {
    // A suspended child runs nothing yet but is already a process.
    wchar_t commandLine[] = L"cmd.exe";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child{};
    ASSERT_TRUE(CreateProcessW(nullptr, commandLine, nullptr, nullptr, FALSE,
                               CREATE_SUSPENDED | CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                               &child));
    CEnumProcess processes;
    std::wstring ownName;
    const std::set<DWORD> ids = WalkAndFindOwnProcess(processes, ownName);
    EXPECT_TRUE(ids.count(child.dwProcessId));
    TerminateProcess(child.hProcess, 1);
    WaitForSingleObject(child.hProcess, 10000);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
}

TEST(ProductExecutable, MatchesTheProductProgramsIgnoringCase) {
    for (const wchar_t* name :
         {L"Xarn.exe", L"xarn.EXE", L"XARNDEFRAGSRV.EXE", L"XarnDefragSrv64.exe", L"Stellmark.exe",
          L"C:\\Program Files (x86)\\Xarn\\xarndefragsrv64.exe"}) {
        EXPECT_TRUE(IsProductExecutable(name)) << std::string(name, name + wcslen(name));
    }
}

TEST(ProductExecutable, LeavesOtherNamesAlone) {
    for (const wchar_t* name : {L"", L"Xarn", L"Xarn.exe.old", L"NotXarn.exe", L"Xarn.ex",
                                L" Xarn.exe", L"KillXarnProcesses.exe", L"N/A (error)",
                                L"N/A (security restriction)", L"C:\\Xarn.exe\\other.exe"}) {
        EXPECT_FALSE(IsProductExecutable(name)) << std::string(name, name + wcslen(name));
    }
}

TEST(CommandLine, StopOnlySwitchInAnyCaseAndPlace) {
    for (const wchar_t* arguments :
         {L"STOPONLY", L"-stoponly", L"/StopOnly", L"  /stopOnly  ", L"/silent /STOPONLY"}) {
        EXPECT_TRUE(IsStopOnlyRequest(arguments));
    }
}

TEST(CommandLine, AnythingElseMeansTheFullCleanup) {
    EXPECT_FALSE(IsStopOnlyRequest(nullptr));
    for (const wchar_t* arguments : {L"", L"   ", L"/stop", L"stop only", L"/uninstall"}) {
        EXPECT_FALSE(IsStopOnlyRequest(arguments));
    }
}

} // namespace
