#include "XarnSysBinding.h"

#include <windows.h>

#include <vector>

namespace {

using TextEntry = const char* (*)();

// xarnsys stays loaded for the life of the process once bound.
TextEntry BindOrdinal(WORD ordinal) {
    static const HMODULE library = LoadLibraryW(L"xarnsys.dll");
    if (!library)
        return nullptr;
    return reinterpret_cast<TextEntry>(
        reinterpret_cast<void*>(GetProcAddress(library, MAKEINTRESOURCEA(ordinal))));
}

CString Widen(const char* text) {
    if (!text || !*text)
        return CString();
    const int chars = MultiByteToWideChar(CP_THREAD_ACP, 0, text, -1, nullptr, 0);
    if (chars <= 0)
        return CString();
    std::vector<wchar_t> wide(static_cast<size_t>(chars));
    MultiByteToWideChar(CP_THREAD_ACP, 0, text, -1, wide.data(), chars);
    return CString(wide.data());
}

CString CallText(WORD ordinal) {
    const TextEntry entry = BindOrdinal(ordinal);
    return entry ? Widen(entry()) : CString();
}

} // namespace

CString XarnSysIniSubFolder() {
    return CallText(3);
}

CString XarnSysResourceLibrary() {
    return CallText(5);
}

CString XarnSysLanguageName() {
    return CallText(6);
}
