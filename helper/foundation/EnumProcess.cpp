#include "EnumProcess.h"

#include <owners/WinOwners.h>

#include <tlhelp32.h>

#include <cstring>
#include <cwchar>

namespace {

constexpr int kEntryChars = 256;

#if !defined(_WIN64)
static_assert(sizeof(PROCESSENTRY32W) == 556 && sizeof(MODULEENTRY32W) == 1064);
#endif

bool HasEntry(HMODULE module, const char* name) {
    return module && GetProcAddress(module, name);
}

bool ReadRemote(HANDLE process, ULONG_PTR address, void* buffer, SIZE_T bytes) {
    SIZE_T read = 0;
    return ReadProcessMemory(process, reinterpret_cast<const void*>(address), buffer, bytes,
                             &read) &&
           read == bytes;
}

// The preferred load address in the module's header inside the process; 0 when unreadable.
// The 64-bit header form (PE32+) keeps a 64-bit address at another place than the 32-bit one.
ULONG_PTR ReadImageBase(DWORD processId, ULONG_PTR moduleBase) {
    const KernelHandle owner(OpenProcess(PROCESS_VM_READ, FALSE, processId));
    if (!owner)
        return 0;
    const HANDLE process = owner.Get();
    ULONG_PTR imageBase = 0;
    BYTE dosHeader[64];
    BYTE ntHeaders[248];
    if (ReadRemote(process, moduleBase, dosHeader, sizeof dosHeader) && dosHeader[0] == 'M' &&
        dosHeader[1] == 'Z') {
        LONG headerOffset;
        std::memcpy(&headerOffset, dosHeader + 60, sizeof headerOffset);
        if (ReadRemote(process, moduleBase + static_cast<ULONG_PTR>(headerOffset), ntHeaders,
                       sizeof ntHeaders) &&
            ntHeaders[0] == 'P' && ntHeaders[1] == 'E' && ntHeaders[2] == 0 && ntHeaders[3] == 0) {
            WORD magic;
            std::memcpy(&magic, ntHeaders + 24, sizeof magic);
            if (magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
                ULONGLONG base;
                std::memcpy(&base, ntHeaders + 48, sizeof base);
                imageBase = static_cast<ULONG_PTR>(base);
            } else {
                DWORD base;
                std::memcpy(&base, ntHeaders + 52, sizeof base);
                imageBase = base;
            }
        }
    }
    return imageBase;
}

// A module snapshot of a process that is still loading can fail with ERROR_BAD_LENGTH; the
// call is then repeated, as the snapshot functions ask.
HANDLE ModuleSnapshot(DWORD processId) {
    for (int attempt = 0;; ++attempt) {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
        if (snapshot != INVALID_HANDLE_VALUE || GetLastError() != ERROR_BAD_LENGTH || attempt == 20)
            return snapshot;
        Sleep(10);
    }
}

void CopyName(wchar_t* target, const wchar_t* source) {
    wcsncpy(target, source, kEntryChars - 1);
    target[kEntryChars - 1] = L'\0';
}

// Closes the snapshot held so far, takes a new one from `make` and reads its first entry; false
// when there is no new snapshot or it is empty. A later call of the walk's next function
// continues from `held`.
template <typename Entry, typename Make, typename First>
bool FirstOfNewSnapshot(KernelHandle& held, Make make, First first, Entry& entry) {
    held.Reset(make());
    if (!held)
        return false;
    entry = Entry{};
    entry.dwSize = sizeof entry;
    return first(held.Get(), &entry);
}

} // namespace

CEnumProcess::CProcessEntry::CProcessEntry() : name(new wchar_t[kEntryChars]()) {}

CEnumProcess::CProcessEntry::~CProcessEntry() {
    delete[] name;
}

CEnumProcess::CModuleEntry::CModuleEntry() : path(new wchar_t[kEntryChars]()) {}

CEnumProcess::CModuleEntry::~CModuleEntry() {
    delete[] path;
}

CEnumProcess::CEnumProcess() : psapi_(LoadLibraryW(L"PSAPI")), kernel_(LoadLibraryW(L"Kernel32")) {
    // The process-status library counts only with all three entries; its module-name entry
    // exists only in its A and W forms, so the snapshot functions are what is used in practice.
    psapiAvailable_ = HasEntry(psapi_.Get(), "EnumProcesses") &&
                      HasEntry(psapi_.Get(), "EnumProcessModules") &&
                      HasEntry(psapi_.Get(), "GetModuleFileNameEx");
    toolHelpAvailable_ = HasEntry(kernel_.Get(), "CreateToolhelp32Snapshot") &&
                         HasEntry(kernel_.Get(), "Process32Next") &&
                         HasEntry(kernel_.Get(), "Module32First") &&
                         HasEntry(kernel_.Get(), "Module32Next");
    method_ = toolHelpAvailable_ ? kMethodToolHelp : kMethodNone;
}

CEnumProcess::~CEnumProcess() = default;

int CEnumProcess::GetAvailableMethods() const {
    return (psapiAvailable_ ? kMethodPsapi : 0) | (toolHelpAvailable_ ? kMethodToolHelp : 0);
}

int CEnumProcess::SetMethod(int method) {
    if (method == kMethodToolHelp && toolHelpAvailable_)
        method_ = method;
    return method_;
}

BOOL CEnumProcess::GetProcessFirst(CProcessEntry& entry) {
    PROCESSENTRY32W process;
    if (method_ != kMethodToolHelp ||
        !FirstOfNewSnapshot(
            processSnapshot_, [] { return CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0); },
            Process32FirstW, process))
        return FALSE;
    entry.processId = process.th32ProcessID;
    entry.moduleCount = 0;
    CopyName(entry.name, process.szExeFile);
    return TRUE;
}

BOOL CEnumProcess::GetProcessNext(CProcessEntry& entry) {
    entry.moduleCount = 0;
    if (method_ != kMethodToolHelp || !processSnapshot_)
        return FALSE;
    PROCESSENTRY32W process{};
    process.dwSize = sizeof process;
    if (!Process32NextW(processSnapshot_.Get(), &process))
        return FALSE;
    entry.processId = process.th32ProcessID;
    CopyName(entry.name, process.szExeFile);
    return TRUE;
}

BOOL CEnumProcess::GetModuleFirst(DWORD processId, CModuleEntry& entry) {
    MODULEENTRY32W module;
    if (method_ != kMethodToolHelp ||
        !FirstOfNewSnapshot(
            moduleSnapshot_, [processId] { return ModuleSnapshot(processId); }, Module32FirstW,
            module))
        return FALSE;
    entry.baseAddress = module.modBaseAddr;
    CopyName(entry.path, module.szExePath);
    entry.imageBase = ReadImageBase(processId, reinterpret_cast<ULONG_PTR>(module.modBaseAddr));
    entry.pathText = entry.path;
    return TRUE;
}
