// Whole lists of the running processes or of the modules of one process, through PSAPI or
// ToolHelp, and a search of the running processes by program name.
#pragma once

#include <windows.h>

#include <classlib/Array.h>
#include <classlib/String.h>
#include <owners/OwnerTraits.h>

class CProcessLister {
public:
    enum Error {
        kOk = 0,
        kNoFacility = 1,
        kEntryMissing = 2,
        kNoMemory = 3,
        kEnumerationFailed = 4,
        kEndOfList = 5,
        kBeyondList = 6,
    };

    struct ProcessRecord {
        DWORD processId;
        wchar_t name[MAX_PATH];
    };
    struct ModuleRecord {
        ULONG_PTR baseAddress;
        DWORD imageSize;
        wchar_t path[MAX_PATH];
    };
    struct ProcessList;
    struct ModuleList;

    CProcessLister() = default;
    ~CProcessLister();
    CProcessLister(const CProcessLister&) = delete;
    CProcessLister& operator=(const CProcessLister&) = delete;

    [[nodiscard]] bool UsePsapi();
    [[nodiscard]] bool UseToolhelp();
    [[nodiscard]] bool Init(bool preferPsapi);
    DWORD GetLastError() const { return lastError_; }

    ProcessList* GetProcessList();
    ModuleList* GetModuleList(DWORD processId);
    static void FreeProcessList(ProcessList* list);
    static void FreeModuleList(ModuleList* list);
    // `index` -1 takes the list's cursor.
    [[nodiscard]] bool GetNextProcess(ProcessList* list, ProcessRecord& record, int index = -1);
    [[nodiscard]] bool GetNextModule(ModuleList* list, ModuleRecord& record, int index = -1);
    static int GetProcessCount(const ProcessList* list);
    static int GetModuleCount(const ModuleList* list);

private:
    using GetModuleFileNameExFn = DWORD(WINAPI*)(HANDLE, HMODULE, wchar_t*, DWORD);
    using EnumProcessModulesFn = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*);
    using EnumProcessesFn = BOOL(WINAPI*)(DWORD*, DWORD, DWORD*);
    using GetModuleInformationFn = BOOL(WINAPI*)(HANDLE, HMODULE, void*, DWORD);
    using CreateSnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
    using WalkFn = BOOL(WINAPI*)(HANDLE, void*);

    void FillProcessesWithPsapi(ProcessList& list);
    void FillProcessesWithToolhelp(ProcessList& list);
    void FillModulesWithPsapi(ModuleList& list, DWORD processId);
    void FillModulesWithToolhelp(ModuleList& list, DWORD processId);

    GetModuleFileNameExFn getModuleFileNameEx_ = nullptr;
    EnumProcessModulesFn enumProcessModules_ = nullptr;
    EnumProcessesFn enumProcesses_ = nullptr;
    GetModuleInformationFn getModuleInformation_ = nullptr;
    CreateSnapshotFn createSnapshot_ = nullptr;
    WalkFn process32First_ = nullptr;
    WalkFn process32Next_ = nullptr;
    WalkFn module32First_ = nullptr;
    WalkFn module32Next_ = nullptr;
    UniqueResource<owner_traits::Library> psapi_;
    // The system library, loaded here only where it was not loaded already.
    HMODULE kernel_ = nullptr;
    UniqueResource<owner_traits::Library> loadedKernel_;
    bool psapiBound_ = false;
    bool toolhelpBound_ = false;
    DWORD lastError_ = kOk;
};

// Names of the running processes whose program file is `fileName` (any letter case).
[[nodiscard]] bool FindProcessesByName(const CString& fileName, CStringArray& names);
