#include "ProcessLister.h"

#include <owners/WinOwners.h>

#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cwchar>
#include <new>
#include <vector>

namespace {

#if !defined(_WIN64)
static_assert(sizeof(CProcessLister::ProcessRecord) == 524);
static_assert(sizeof(CProcessLister::ModuleRecord) == 528);
#endif

template <typename Fn> bool Bind(HMODULE module, const char* name, Fn& entry) {
    entry = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return entry != nullptr;
}

// Hands each entry of a ToolHelp snapshot to `take` and closes the snapshot; false when there
// is no snapshot.
template <typename Entry, typename Walk, typename Take>
bool WalkSnapshot(KernelHandle snapshot, Walk first, Walk next, Take take) {
    if (!snapshot)
        return false;
    Entry entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = first(snapshot.Get(), &entry); more; more = next(snapshot.Get(), &entry))
        take(entry);
    return true;
}

// A new list filled by `fill`; null only when the list itself cannot be had. A fill that runs
// out of memory leaves what it collected and kNoMemory.
template <typename List, typename Fill> List* NewFilledList(DWORD& error, Fill fill) {
    auto* list = new (std::nothrow) List;
    if (!list) {
        error = CProcessLister::kNoMemory;
        return nullptr;
    }
    error = CProcessLister::kOk;
    try {
        fill(*list);
    } catch (const std::bad_alloc&) {
        error = CProcessLister::kNoMemory;
    }
    return list;
}

} // namespace

struct CProcessLister::ProcessList {
    std::vector<ProcessRecord> records;
    size_t cursor = 0;
};

struct CProcessLister::ModuleList {
    std::vector<ModuleRecord> records;
    size_t cursor = 0;
};

CProcessLister::~CProcessLister() = default;

bool CProcessLister::UsePsapi() {
    psapi_.Reset(LoadLibraryW(L"psapi.dll"));
    const HMODULE psapi = psapi_.Get();
    psapiBound_ = psapi && Bind(psapi, "GetModuleFileNameExW", getModuleFileNameEx_) &&
                  Bind(psapi, "EnumProcessModules", enumProcessModules_) &&
                  Bind(psapi, "EnumProcesses", enumProcesses_) &&
                  Bind(psapi, "GetModuleInformation", getModuleInformation_);
    if (!psapiBound_) {
        psapi_.Reset();
        lastError_ = kEntryMissing;
    }
    return psapiBound_;
}

bool CProcessLister::UseToolhelp() {
    kernel_ = GetModuleHandleW(L"kernel32.dll");
    if (!kernel_) {
        loadedKernel_.Reset(LoadLibraryA("kernel32.dll"));
        kernel_ = loadedKernel_.Get();
    }
    toolhelpBound_ = kernel_ && Bind(kernel_, "CreateToolhelp32Snapshot", createSnapshot_) &&
                     Bind(kernel_, "Process32FirstW", process32First_) &&
                     Bind(kernel_, "Process32NextW", process32Next_) &&
                     Bind(kernel_, "Module32FirstW", module32First_) &&
                     Bind(kernel_, "Module32NextW", module32Next_);
    if (!toolhelpBound_) {
        loadedKernel_.Reset();
        kernel_ = nullptr;
        lastError_ = kEntryMissing;
    }
    return toolhelpBound_;
}

bool CProcessLister::Init(bool preferPsapi) {
    const bool bound = preferPsapi ? (UsePsapi() || UseToolhelp()) : (UseToolhelp() || UsePsapi());
    lastError_ = bound ? kOk : kNoFacility;
    return bound;
}

void CProcessLister::FillProcessesWithPsapi(ProcessList& list) {
    std::vector<DWORD> ids(4096);
    DWORD bytes = 0;
    if (!enumProcesses_(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &bytes)) {
        lastError_ = kEnumerationFailed;
        return;
    }
    for (DWORD i = 0; i < bytes / sizeof(DWORD); ++i) {
        const KernelHandle process(
            OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, ids[i]));
        if (!process)
            continue;
        ProcessRecord record{ids[i], L"-"};
        HMODULE first = nullptr;
        DWORD needed = 0;
        if (!enumProcessModules_(process.Get(), &first, sizeof first, &needed) ||
            !getModuleFileNameEx_(process.Get(), first, record.name, MAX_PATH))
            wcscpy(record.name, L"-");
        list.records.push_back(record);
    }
}

void CProcessLister::FillProcessesWithToolhelp(ProcessList& list) {
    const bool walked = WalkSnapshot<PROCESSENTRY32W>(
        KernelHandle(createSnapshot_(TH32CS_SNAPPROCESS, 0)), process32First_, process32Next_,
        [&](const PROCESSENTRY32W& process) {
            ProcessRecord record{process.th32ProcessID, {}};
            wcsncpy(record.name, process.szExeFile, MAX_PATH - 1);
            list.records.push_back(record);
        });
    if (!walked)
        lastError_ = kEnumerationFailed;
}

void CProcessLister::FillModulesWithPsapi(ModuleList& list, DWORD processId) {
    const KernelHandle owner(
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (!owner) {
        lastError_ = kEnumerationFailed;
        return;
    }
    const HANDLE process = owner.Get();
    std::vector<HMODULE> modules(4096);
    DWORD bytes = 0;
    if (!enumProcessModules_(process, modules.data(),
                             static_cast<DWORD>(modules.size() * sizeof(HMODULE)), &bytes)) {
        lastError_ = kEnumerationFailed;
    } else {
        const DWORD count = std::min<DWORD>(bytes / sizeof(HMODULE), 4096);
        for (DWORD i = 0; i < count; ++i) {
            ModuleRecord record{};
            getModuleFileNameEx_(process, modules[i], record.path, MAX_PATH);
            MODULEINFO info{};
            if (getModuleInformation_(process, modules[i], &info, sizeof info)) {
                record.baseAddress = reinterpret_cast<ULONG_PTR>(info.lpBaseOfDll);
                record.imageSize = info.SizeOfImage;
            }
            list.records.push_back(record);
        }
    }
}

void CProcessLister::FillModulesWithToolhelp(ModuleList& list, DWORD processId) {
    const bool walked = WalkSnapshot<MODULEENTRY32W>(
        KernelHandle(createSnapshot_(TH32CS_SNAPMODULE, processId)), module32First_, module32Next_,
        [&](const MODULEENTRY32W& module) {
            ModuleRecord record{
                reinterpret_cast<ULONG_PTR>(module.modBaseAddr), module.modBaseSize, {}};
            wcsncpy(record.path, module.szExePath, MAX_PATH - 1);
            list.records.push_back(record);
        });
    if (!walked)
        lastError_ = kEnumerationFailed;
}

CProcessLister::ProcessList* CProcessLister::GetProcessList() {
    return NewFilledList<ProcessList>(lastError_, [&](ProcessList& list) {
        if (psapiBound_)
            FillProcessesWithPsapi(list);
        else if (toolhelpBound_)
            FillProcessesWithToolhelp(list);
        else
            lastError_ = kNoFacility;
    });
}

CProcessLister::ModuleList* CProcessLister::GetModuleList(DWORD processId) {
    return NewFilledList<ModuleList>(lastError_, [&](ModuleList& list) {
        if (psapiBound_)
            FillModulesWithPsapi(list, processId);
        else if (toolhelpBound_)
            FillModulesWithToolhelp(list, processId);
        else
            lastError_ = kNoFacility;
    });
}

void CProcessLister::FreeProcessList(ProcessList* list) {
    delete list;
}

void CProcessLister::FreeModuleList(ModuleList* list) {
    delete list;
}

namespace {

template <typename List, typename Record>
bool TakeNext(List* list, Record& record, int index, DWORD& error) {
    if (!list)
        return false;
    const size_t position = index < 0 ? list->cursor : static_cast<size_t>(index);
    if (position == list->records.size()) {
        error = CProcessLister::kEndOfList;
        return false;
    }
    if (position > list->records.size()) {
        error = CProcessLister::kBeyondList;
        return false;
    }
    record = list->records[position];
    list->cursor = position + 1;
    error = CProcessLister::kOk;
    return true;
}

} // namespace

bool CProcessLister::GetNextProcess(ProcessList* list, ProcessRecord& record, int index) {
    return TakeNext(list, record, index, lastError_);
}

bool CProcessLister::GetNextModule(ModuleList* list, ModuleRecord& record, int index) {
    return TakeNext(list, record, index, lastError_);
}

int CProcessLister::GetProcessCount(const ProcessList* list) {
    return list ? static_cast<int>(list->records.size()) : 0;
}

int CProcessLister::GetModuleCount(const ModuleList* list) {
    return list ? static_cast<int>(list->records.size()) : 0;
}

bool FindProcessesByName(const CString& fileName, CStringArray& names) try {
    names.RemoveAll();
    CProcessLister lister;
    if (!lister.Init(false))
        return false;
    CProcessLister::ProcessList* list = lister.GetProcessList();
    if (!list)
        return false;
    CProcessLister::ProcessRecord record;
    while (lister.GetNextProcess(list, record)) {
        const wchar_t* slash = wcsrchr(record.name, L'\\');
        const wchar_t* bare = slash ? slash + 1 : record.name;
        if (_wcsicmp(bare, fileName) == 0)
            names.Add(record.name);
    }
    CProcessLister::FreeProcessList(list);
    return names.GetSize() > 0;
} catch (CException* error) {
    error->Delete();
    return false;
}
