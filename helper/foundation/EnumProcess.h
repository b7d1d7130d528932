// Walks the running processes and the modules of one process.
#pragma once

#include <windows.h>

#include <classlib/Array.h>
#include <classlib/String.h>
#include <owners/OwnerTraits.h>

class CEnumProcess {
public:
    enum Method { kMethodNone = 0, kMethodPsapi = 1, kMethodToolHelp = 2 };

    class CProcessEntry {
    public:
        CProcessEntry();
        virtual ~CProcessEntry();
        CProcessEntry(const CProcessEntry&) = delete;
        CProcessEntry& operator=(const CProcessEntry&) = delete;

        wchar_t* name; // program file name, 256 characters
        DWORD processId = 0;
        DWORD moduleCount = 0;
        CString text;
    };

    class CModuleEntry {
    public:
        CModuleEntry();
        virtual ~CModuleEntry();
        CModuleEntry(const CModuleEntry&) = delete;
        CModuleEntry& operator=(const CModuleEntry&) = delete;

        wchar_t* path; // 256 characters
        void* baseAddress = nullptr;
        // The preferred load address from the module's header; 0 when unreadable.
        ULONG_PTR imageBase = 0;
        CString pathText;
    };

    CEnumProcess();
    virtual ~CEnumProcess();
    CEnumProcess(const CEnumProcess&) = delete;
    CEnumProcess& operator=(const CEnumProcess&) = delete;

    int GetAvailableMethods() const;
    int SetMethod(int method);
    int GetMethod() const { return method_; }

    [[nodiscard]] BOOL GetProcessFirst(CProcessEntry& entry);
    [[nodiscard]] BOOL GetProcessNext(CProcessEntry& entry);
    [[nodiscard]] BOOL GetModuleFirst(DWORD processId, CModuleEntry& entry);

private:
    bool psapiAvailable_ = false;
    bool toolHelpAvailable_ = false;
    int method_ = kMethodNone;
    UniqueResource<owner_traits::Library> psapi_;
    UniqueResource<owner_traits::Library> kernel_;
    UniqueResource<owner_traits::Kernel> processSnapshot_;
    UniqueResource<owner_traits::Kernel> moduleSnapshot_;
};

// Whole lists of processes or modules through PSAPI or ToolHelp.
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
