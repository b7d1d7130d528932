// Walks the running processes and the modules of one process, entry by entry.
#pragma once

#include <windows.h>

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
