#include "UnmovableItems.h"

#include <cstdint>
#include <span>

namespace {

// The patterns by their first unit: those that begin with ":\" match only at the volume root.
constexpr std::wstring_view kRootPatterns[] = {
    L":\\$ldr$", L":\\boot\\", L":\\bootmgr",      L":\\cmdcons",      L":\\cmldr",
    L":\\grldr", L":\\ntldr",  L":\\ntdetect.com", L":\\pagefile.sys", L":\\hiberfil.sys",
};
constexpr std::wstring_view kNamePatterns[] = {
    L"\\safeboot.fs", L"\\bootwiz.sys", L"\\bootwiz\\", L"\\bootauth", L"\\gobackio.bin",
};
constexpr std::wstring_view kDollarPatterns[] = {L"$badclus"};

// The patterns are ASCII, so lower-casing ASCII letters is enough to compare them.
constexpr wchar_t LowerAscii(wchar_t unit) {
    return unit >= L'A' && unit <= L'Z' ? static_cast<wchar_t>(unit - L'A' + L'a') : unit;
}

// A set of ASCII units.
struct UnitSet {
    uint64_t bits[2] = {};
    constexpr void Add(wchar_t unit) { bits[unit / 64] |= uint64_t{1} << (unit % 64); }
    constexpr bool Has(wchar_t unit) const {
        return unit < 128 && ((bits[unit / 64] >> (unit % 64)) & 1) != 0;
    }
};

// A group of patterns with the same first unit, and the units their second and third hold,
// so that most places are passed over after two lookups. Every pattern has three units.
struct PatternGroup {
    std::span<const std::wstring_view> patterns;
    UnitSet second;
    UnitSet third;

    constexpr explicit PatternGroup(std::span<const std::wstring_view> group) : patterns(group) {
        for (const std::wstring_view pattern : group) {
            second.Add(pattern[1]);
            third.Add(pattern[2]);
        }
    }

    // Whether one of the patterns begins text, whose first unit is theirs.
    bool OneBegins(std::wstring_view text) const {
        if (text.size() < 3 || !second.Has(LowerAscii(text[1])) ||
            !third.Has(LowerAscii(text[2]))) {
            return false;
        }
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
};

constexpr PatternGroup kRootGroup{kRootPatterns};
constexpr PatternGroup kNameGroup{kNamePatterns};
constexpr PatternGroup kDollarGroup{kDollarPatterns};

constexpr size_t LongestPattern() {
    size_t longest = 0;
    for (const PatternGroup* group : {&kRootGroup, &kNameGroup, &kDollarGroup}) {
        for (const std::wstring_view pattern : group->patterns) {
            longest = pattern.size() > longest ? pattern.size() : longest;
        }
    }
    return longest;
}

// Whether a pattern begins at a place from first on.
bool OneBeginsFrom(std::wstring_view path, size_t first) {
    // Compared in place, without a lower-cased copy: every item of a walk is tested. Only the
    // places of the patterns' first units can start a match.
    for (size_t at = first; at < path.size(); ++at) {
        const PatternGroup* group = nullptr;
        switch (path[at]) {
        case L':':
            group = &kRootGroup;
            break;
        case L'\\':
            group = &kNameGroup;
            break;
        case L'$':
            group = &kDollarGroup;
            break;
        default:
            continue;
        }
        if (group->OneBegins(path.substr(at))) {
            return true;
        }
    }
    return false;
}

} // namespace

bool IsUnmovablePath(std::wstring_view path) {
    return OneBeginsFrom(path, 0);
}

bool IsUnmovablePathPast(std::wstring_view path, size_t knownUnits) {
    // A match that does not lie wholly inside the known units ends past them, so it begins
    // less than the longest pattern's length before their end.
    constexpr size_t kLongest = LongestPattern();
    return OneBeginsFrom(path, knownUnits + 1 > kLongest ? knownUnits + 1 - kLongest : 0);
}
