#include "UnmovableItems.h"

#include <span>

namespace {

// The patterns by their first unit: those that begin with ":\" match only at the volume root.
constexpr std::wstring_view kRootPatterns[] = {
    L":\\$ldr$",  L":\\boot\\", L":\\bootmgr",     L":\\cmdcons",      L":\\cmldr",
    L":\\grldr",  L":\\ntldr",  L":\\ntdetect.com", L":\\pagefile.sys", L":\\hiberfil.sys",
};
constexpr std::wstring_view kNamePatterns[] = {
    L"\\safeboot.fs", L"\\bootwiz.sys", L"\\bootwiz\\", L"\\bootauth", L"\\gobackio.bin",
};
constexpr std::wstring_view kDollarPatterns[] = {L"$badclus"};

// The patterns are ASCII, so lower-casing ASCII letters is enough to compare them.
wchar_t LowerAscii(wchar_t unit) {
    return unit >= L'A' && unit <= L'Z' ? static_cast<wchar_t>(unit - L'A' + L'a') : unit;
}

// Whether one of the patterns, which share their first unit with text, begins text.
bool OneBegins(std::wstring_view text, std::span<const std::wstring_view> patterns) {
    for (const std::wstring_view pattern : patterns) {
        if (text.size() < pattern.size()) {
            continue;
        }
        size_t i = 1;
        while (i < pattern.size() && LowerAscii(text[i]) == pattern[i]) {
            ++i;
        }
        if (i == pattern.size()) {
            return true;
        }
    }
    return false;
}

} // namespace

bool IsUnmovablePath(std::wstring_view path) {
    // Compared in place, without a lower-cased copy: every item of a walk is tested. Only the
    // places of the patterns' first units can start a match.
    for (size_t at = 0; at < path.size(); ++at) {
        bool found = false;
        switch (path[at]) {
        case L':':
            found = OneBegins(path.substr(at), kRootPatterns);
            break;
        case L'\\':
            found = OneBegins(path.substr(at), kNamePatterns);
            break;
        case L'$':
            found = OneBegins(path.substr(at), kDollarPatterns);
            break;
        default:
            break;
        }
        if (found) {
            return true;
        }
    }
    return false;
}
