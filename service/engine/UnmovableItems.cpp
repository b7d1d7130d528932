#include "UnmovableItems.h"

#include <string>

namespace {

constexpr std::wstring_view kUnmovablePatterns[] = {
    L":\\$ldr$",        L":\\boot\\",       L":\\bootmgr",     L":\\cmdcons",
    L":\\cmldr",        L":\\grldr",        L":\\ntldr",       L":\\ntdetect.com",
    L":\\pagefile.sys", L":\\hiberfil.sys", L"\\safeboot.fs",  L"\\bootwiz.sys",
    L"\\bootwiz\\",     L"\\bootauth",      L"\\gobackio.bin", L"$badclus",
};

} // namespace

bool IsUnmovablePath(std::wstring_view path) {
    // The patterns are ASCII, so lower-casing ASCII letters is enough to compare them. The copy
    // is made in one buffer per thread, since every item of a walk is tested.
    thread_local std::wstring lower;
    lower.assign(path);
    for (wchar_t& unit : lower) {
        if (unit >= L'A' && unit <= L'Z') {
            unit = static_cast<wchar_t>(unit - L'A' + L'a');
        }
    }
    for (const std::wstring_view pattern : kUnmovablePatterns) {
        if (lower.find(pattern) != std::wstring::npos) {
            return true;
        }
    }
    return false;
}
