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
    // Every pattern begins with ':', '\\' or '$': only those places can start a match.
    const std::wstring_view text = lower;
    for (size_t at = text.find_first_of(L":\\$"); at != std::wstring_view::npos;
         at = text.find_first_of(L":\\$", at + 1)) {
        const std::wstring_view rest = text.substr(at);
        for (const std::wstring_view pattern : kUnmovablePatterns) {
            if (pattern[0] == rest[0] && rest.starts_with(pattern)) {
                return true;
            }
        }
    }
    return false;
}
