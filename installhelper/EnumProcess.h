// Walks the running processes through ToolHelp or, where the system lacks it, PSAPI.
#pragma once

#include <owners/WinOwners.h>

#include <windows.h>
#include <tlhelp32.h>

#include <vector>

class CEnumProcess {
public:
    enum Method { kMethodNone = 0, kMethodPsapi = 1, kMethodToolHelp = 2 };

    class CProcessEntry {
    public:
        // The executable's file name (ToolHelp) or full path (PSAPI), or a "N/A (...)" text
        // when PSAPI cannot read the process.
        wchar_t name[256] = {};
        DWORD processId = 0;
    };

    CEnumProcess();
    CEnumProcess(const CEnumProcess&) = delete;
    CEnumProcess& operator=(const CEnumProcess&) = delete;

    // Bit mask of kMethodPsapi and kMethodToolHelp.
    int GetAvailableMethods() const;
    // Switches to an available method; returns the method in force.
    int SetMethod(int method);
    int GetMethod() const { return method_; }

    bool GetProcessFirst(CProcessEntry& entry);
    // False after the last process.
    bool GetProcessNext(CProcessEntry& entry);

private:
    using EnumProcessesFn = BOOL(WINAPI*)(DWORD*, DWORD, DWORD*);
    using EnumProcessModulesFn = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*);
    using GetModuleFileNameExFn = DWORD(WINAPI*)(HANDLE, HMODULE, LPWSTR, DWORD);
    using CreateSnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
    using ProcessWalkFn = BOOL(WINAPI*)(HANDLE, PROCESSENTRY32W*);

    bool PsapiAvailable() const;
    bool ToolHelpAvailable() const;
    bool FillFromSnapshot(BOOL walked, const PROCESSENTRY32W& record, CProcessEntry& entry);
    void DescribePsapiProcess(DWORD processId, CProcessEntry& entry) const;

    int method_ = kMethodNone;

    LibraryModule psapi_;
    EnumProcessesFn enumProcesses_ = nullptr;
    EnumProcessModulesFn enumProcessModules_ = nullptr;
    GetModuleFileNameExFn getModuleFileNameEx_ = nullptr;
    // Grows by 256 entries whenever EnumProcesses fills it completely.
    DWORD idCapacity_ = 256;
    std::vector<DWORD> processIds_;
    size_t nextIdIndex_ = 0;

    CreateSnapshotFn createSnapshot_ = nullptr;
    ProcessWalkFn processFirst_ = nullptr;
    ProcessWalkFn processNext_ = nullptr;
    KernelHandle snapshot_;
};
