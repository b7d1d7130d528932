// Process enumeration: a process of the test's own is found by every lister and ended.
#include "EnumProcess.h"
#include "Paths.h"
#include "ProcessLister.h"
#include "ProductIdentity.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cwchar>

namespace {

constexpr const wchar_t* kTargetName = L"foundation_process_target.exe";

class ProcessEnumeration : public ::testing::Test {
protected:
    void SetUp() override {
        CString path;
        GetModuleFolder(nullptr, path);
        AppendPath(path, kTargetName);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        std::wstring command = L"\"" + std::wstring(path.GetString()) + L"\"";
        ASSERT_TRUE(CreateProcessW(path, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &startup, &target_));
        // Until the new process has loaded, it lists no modules.
        for (int wait = 0; wait < 100 && !ProcessListsModules(target_.dwProcessId); ++wait)
            Sleep(50);
    }
    void TearDown() override {
        TerminateProcess(target_.hProcess, 1);
        WaitForSingleObject(target_.hProcess, 5000);
        CloseHandle(target_.hThread);
        CloseHandle(target_.hProcess);
    }

    PROCESS_INFORMATION target_{};
};

bool ListedByEnumProcess(DWORD processId, CString& name) {
    CEnumProcess walker;
    CEnumProcess::CProcessEntry entry;
    for (BOOL more = walker.GetProcessFirst(entry); more; more = walker.GetProcessNext(entry)) {
        if (entry.processId == processId) {
            name = entry.name;
            return true;
        }
    }
    return false;
}

} // namespace

TEST_F(ProcessEnumeration, SnapshotWalkFindsTheProcessByItsProgramName) {
    CEnumProcess walker;
    EXPECT_EQ(CEnumProcess::kMethodToolHelp, walker.GetMethod());
    EXPECT_EQ(0, walker.GetAvailableMethods() & CEnumProcess::kMethodPsapi);
    EXPECT_EQ(CEnumProcess::kMethodToolHelp, walker.SetMethod(CEnumProcess::kMethodPsapi));
    CString name;
    ASSERT_TRUE(ListedByEnumProcess(target_.dwProcessId, name));
    EXPECT_EQ(0, name.CompareNoCase(kTargetName)); // a bare program name
}

TEST_F(ProcessEnumeration, FirstModuleIsTheProgramWithItsImageBase) {
    CEnumProcess walker;
    CEnumProcess::CModuleEntry module;
    ASSERT_TRUE(walker.GetModuleFirst(target_.dwProcessId, module));
    const CString path = module.pathText;
    EXPECT_EQ(0, path.Right(static_cast<int>(wcslen(kTargetName))).CompareNoCase(kTargetName));
    EXPECT_NE(nullptr, module.baseAddress);
    // The header's preferred address, in the 64-bit form for 64-bit programs.
    EXPECT_NE(0u, module.imageBase);
    EXPECT_EQ(0u, module.imageBase & 0xFFFF);
}

TEST_F(ProcessEnumeration, ListersFindAndCountTheProcess) {
    for (bool preferPsapi : {false, true}) {
        CProcessLister lister;
        ASSERT_TRUE(lister.Init(preferPsapi));
        CProcessLister::ProcessList* list = lister.GetProcessList();
        ASSERT_NE(nullptr, list);
        bool found = false;
        CProcessLister::ProcessRecord record;
        int seen = 0;
        while (lister.GetNextProcess(list, record)) {
            ++seen;
            found = found || record.processId == target_.dwProcessId;
        }
        EXPECT_TRUE(found) << preferPsapi;
        EXPECT_EQ(CProcessLister::kEndOfList, lister.GetLastError());
        EXPECT_EQ(CProcessLister::GetProcessCount(list), seen);
        EXPECT_FALSE(lister.GetNextProcess(list, record, seen + 1));
        EXPECT_EQ(CProcessLister::kBeyondList, lister.GetLastError());
        EXPECT_TRUE(lister.GetNextProcess(list, record, 0));
        CProcessLister::FreeProcessList(list);

        CProcessLister::ModuleList* modules = lister.GetModuleList(target_.dwProcessId);
        ASSERT_NE(nullptr, modules);
        EXPECT_GT(CProcessLister::GetModuleCount(modules), 0) << preferPsapi;
        CProcessLister::FreeModuleList(modules);
    }
}

TEST_F(ProcessEnumeration, FoundByNameInAnyCaseAndGoneWhenEnded) {
    CStringArray names;
    ASSERT_TRUE(FindProcessesByName(L"FOUNDATION_Process_Target.EXE", names));
    EXPECT_GE(names.GetSize(), 1);

    ASSERT_TRUE(TerminateProcess(target_.hProcess, 7));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(target_.hProcess, 10000));
    DWORD code = 0;
    GetExitCodeProcess(target_.hProcess, &code);
    EXPECT_EQ(7u, code);
    CString name;
    EXPECT_FALSE(ListedByEnumProcess(target_.dwProcessId, name));
    EXPECT_FALSE(FindProcessesByName(L"no-such-program.exe", names));
    EXPECT_EQ(0, names.GetSize());
}
