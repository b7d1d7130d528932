#include <winsock2.h>

#include "classlib/Resources.h"

#include <ole2.h>
#include <owners/LockGuards.h>

#include <algorithm>
#include <vector>

IMPLEMENT_DYNAMIC(CDynLinkLibrary, CCmdTarget)

namespace {
struct ModuleState {
    SRWLOCK lock = SRWLOCK_INIT;
    HINSTANCE hResource = nullptr;
    std::vector<CDynLinkLibrary*> libraries; // in registration order
};

ModuleState& State() {
    static ModuleState state;
    return state;
}

bool HasResource(HINSTANCE hModule, LPCWSTR lpszName, LPCWSTR lpszType) {
    return hModule != nullptr && ::FindResourceW(hModule, lpszName, lpszType) != nullptr;
}
} // namespace

HINSTANCE AfxGetInstanceHandle() {
    return ::GetModuleHandleW(nullptr);
}

HINSTANCE AfxGetResourceHandle() {
    HINSTANCE h = State().hResource;
    return h != nullptr ? h : AfxGetInstanceHandle();
}

void AfxSetResourceHandle(HINSTANCE hInstResource) {
    State().hResource = hInstResource;
}

AFX_MODULE_STATE* AfxGetModuleState() {
    static AFX_MODULE_STATE state{};
    state.m_hCurrentInstanceHandle = AfxGetInstanceHandle();
    state.m_hCurrentResourceHandle = AfxGetResourceHandle();
    return &state;
}

HINSTANCE AfxFindResourceHandle(LPCWSTR lpszName, LPCWSTR lpszType) {
    HINSTANCE hProgram = AfxGetResourceHandle();
    if (HasResource(hProgram, lpszName, lpszType))
        return hProgram;
    ModuleState& state = State();
    const SharedLockGuard hold(state.lock);
    HINSTANCE found = nullptr;
    // Ordinary extension DLLs before system ones, each group in registration order.
    for (int pass = 0; pass < 2 && found == nullptr; ++pass) {
        for (CDynLinkLibrary* library : state.libraries) {
            if ((library->m_bSystem != 0) == (pass == 1) &&
                HasResource(library->m_hResource, lpszName, lpszType)) {
                found = library->m_hResource;
                break;
            }
        }
    }
    return found != nullptr ? found : hProgram;
}

BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE hModule) {
    if (hModule == nullptr)
        return FALSE;
    state.hModule = hModule;
    state.hResource = hModule;
    state.bInitialized = TRUE;
    return TRUE;
}

void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL bAll) {
    ModuleState& module = State();
    std::vector<CDynLinkLibrary*> doomed;
    {
        const ExclusiveLockGuard hold(module.lock);
        for (CDynLinkLibrary* library : module.libraries) {
            if (bAll || library->m_hModule == state.hModule)
                doomed.push_back(library);
        }
    }
    for (CDynLinkLibrary* library : doomed)
        delete library;
    state.bInitialized = FALSE;
}

CDynLinkLibrary::CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL bSystem)
    : m_hModule(state.hModule), m_hResource(state.hResource), m_bSystem(bSystem) {
    ModuleState& module = State();
    const ExclusiveLockGuard hold(module.lock);
    module.libraries.push_back(this);
}

CDynLinkLibrary::~CDynLinkLibrary() {
    ModuleState& module = State();
    const ExclusiveLockGuard hold(module.lock);
    module.libraries.erase(std::remove(module.libraries.begin(), module.libraries.end(), this),
                           module.libraries.end());
}

BOOL AfxSocketInit(struct WSAData* lpwsaData) {
    WSADATA data{};
    if (WSAStartup(MAKEWORD(2, 2), lpwsaData ? lpwsaData : &data) != 0)
        return FALSE;
    return TRUE;
}

BOOL AfxOleInit() {
    return SUCCEEDED(::OleInitialize(nullptr));
}

void AfxEnableControlContainer() {}

BOOL AfxInitRichEdit2() {
    return ::LoadLibraryW(L"riched20.dll") != nullptr;
}

COleMessageFilter* AfxOleGetMessageFilter() {
    static COleMessageFilter filter;
    return &filter;
}
