#include "EnumProcess.h"

#include <cwchar>
#include <iterator>

namespace {

template <typename Fn> Fn BindEntryPoint(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                  : nullptr;
}

void SetEntryName(CEnumProcess::CProcessEntry& entry, const wchar_t* name) {
    wcsncpy_s(entry.name, name, _TRUNCATE);
}

} // namespace

CEnumProcess::CEnumProcess() : psapi_(LoadLibraryW(L"PSAPI")) {
    enumProcesses_ = BindEntryPoint<EnumProcessesFn>(psapi_.Get(), "EnumProcesses");
    enumProcessModules_ = BindEntryPoint<EnumProcessModulesFn>(psapi_.Get(), "EnumProcessModules");
    getModuleFileNameEx_ =
        BindEntryPoint<GetModuleFileNameExFn>(psapi_.Get(), "GetModuleFileNameExW");

    HMODULE kernel = GetModuleHandleW(L"kernel32");
    createSnapshot_ = BindEntryPoint<CreateSnapshotFn>(kernel, "CreateToolhelp32Snapshot");
    processFirst_ = BindEntryPoint<ProcessWalkFn>(kernel, "Process32FirstW");
    processNext_ = BindEntryPoint<ProcessWalkFn>(kernel, "Process32NextW");

    // ToolHelp first: it names every process by its bare executable file, also the 64-bit
    // ones that a 32-bit build cannot read through PSAPI.
    if (ToolHelpAvailable()) {
        method_ = kMethodToolHelp;
    } else if (PsapiAvailable()) {
        method_ = kMethodPsapi;
    }
}

bool CEnumProcess::PsapiAvailable() const {
    return enumProcesses_ && enumProcessModules_ && getModuleFileNameEx_;
}

bool CEnumProcess::ToolHelpAvailable() const {
    return createSnapshot_ && processFirst_ && processNext_;
}

int CEnumProcess::GetAvailableMethods() const {
    return (PsapiAvailable() ? kMethodPsapi : 0) | (ToolHelpAvailable() ? kMethodToolHelp : 0);
}

int CEnumProcess::SetMethod(int method) {
    const bool known = method == kMethodPsapi || method == kMethodToolHelp;
    if (known && (GetAvailableMethods() & method) != 0) {
        method_ = method;
    }
    return method_;
}

bool CEnumProcess::GetProcessFirst(CProcessEntry& entry) {
    if (method_ == kMethodToolHelp) {
        snapshot_.Reset(createSnapshot_(TH32CS_SNAPPROCESS, 0));
        if (!snapshot_) {
            return false;
        }
        PROCESSENTRY32W record{};
        record.dwSize = sizeof(record);
        return FillFromSnapshot(processFirst_(snapshot_.Get(), &record), record, entry);
    }
    if (method_ == kMethodPsapi) {
        for (;;) {
            processIds_.assign(idCapacity_, 0);
            const DWORD bufferBytes = idCapacity_ * sizeof(DWORD);
            DWORD returnedBytes = 0;
            if (!enumProcesses_(processIds_.data(), bufferBytes, &returnedBytes)) {
                processIds_.clear();
                return false;
            }
            if (returnedBytes < bufferBytes) {
                processIds_.resize(returnedBytes / sizeof(DWORD));
                break;
            }
            idCapacity_ += 256;
        }
        nextIdIndex_ = 0;
        return GetProcessNext(entry);
    }
    return false;
}

bool CEnumProcess::GetProcessNext(CProcessEntry& entry) {
    if (method_ == kMethodToolHelp) {
        if (!snapshot_) {
            return false;
        }
        PROCESSENTRY32W record{};
        record.dwSize = sizeof(record);
        return FillFromSnapshot(processNext_(snapshot_.Get(), &record), record, entry);
    }
    if (method_ == kMethodPsapi && nextIdIndex_ < processIds_.size()) {
        DescribePsapiProcess(processIds_[nextIdIndex_++], entry);
        return true;
    }
    return false;
}

bool CEnumProcess::FillFromSnapshot(BOOL walked, const PROCESSENTRY32W& record,
                                    CProcessEntry& entry) {
    if (!walked) {
        snapshot_.Reset();
        return false;
    }
    entry.processId = record.th32ProcessID;
    SetEntryName(entry, record.szExeFile);
    return true;
}

void CEnumProcess::DescribePsapiProcess(DWORD processId, CProcessEntry& entry) const {
    entry.processId = processId;
    const KernelHandle process(
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (!process) {
        SetEntryName(entry, L"N/A (security restriction)");
        return;
    }
    HMODULE firstModule = nullptr;
    DWORD neededBytes = 0;
    if (enumProcessModules_(process.Get(), &firstModule, sizeof(firstModule), &neededBytes) &&
        getModuleFileNameEx_(process.Get(), firstModule, entry.name, std::size(entry.name)) != 0) {
        entry.name[std::size(entry.name) - 1] = L'\0';
    } else {
        SetEntryName(entry, L"N/A (error)");
    }
}
