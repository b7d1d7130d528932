#include "LiteralPath.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Paths are taken apart as views into their text: the cleaners ask about every item they find
// and remove, so nothing is copied that a comparison can read in place.
using PathView = std::wstring_view;

constexpr PathView kLiteralPrefix = L"\\\\?\\";
constexpr PathView kLiteralUncPrefix = L"\\\\?\\UNC\\";

PathView ViewOf(const CString& text) {
    return PathView(text.GetString(), static_cast<size_t>(text.GetLength()));
}

CString StringOf(PathView text) {
    return CString(text.data(), static_cast<int>(text.size()));
}

bool IsDriveLetter(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

// The pieces of text between backslashes, empty ones included, in order.
void SplitComponents(PathView text, std::vector<PathView>& components) {
    components.clear();
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == L'\\') {
            components.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
}

// A component the file system takes as the name it is.
bool IsLiteralName(PathView name) {
    if (name.empty() || name == L"." || name == L"..")
        return false;
    return std::none_of(name.begin(), name.end(), [](wchar_t c) {
        return c < 32 || PathView(L"<>:\"|?*").find(c) != PathView::npos;
    });
}

bool SameName(PathView left, PathView right) {
    const int compared = CompareStringOrdinal(left.data(), static_cast<int>(left.size()),
                                              right.data(), static_cast<int>(right.size()), TRUE);
    // Only bad arguments fail; an exact comparison is then the safe answer.
    return compared == 0 ? left == right : compared == CSTR_EQUAL;
}

// The root of a path in long-path form ("\\?\C:" or "\\?\UNC\server\share", without a final
// backslash) and what follows it; false when the path has no root the cleaners act below.
bool SplitRoot(PathView path, std::wstring& root, PathView& rest) {
    if (path.starts_with(kLiteralUncPrefix) ||
        (path.starts_with(L"\\\\") && path.size() > 2 && path[2] != L'?' && path[2] != L'.')) {
        const size_t start = path.starts_with(kLiteralUncPrefix) ? kLiteralUncPrefix.size() : 2;
        const size_t server = path.find(L'\\', start);
        if (server == PathView::npos)
            return false;
        const size_t share = std::min(path.find(L'\\', server + 1), path.size());
        const PathView serverName = path.substr(start, server - start);
        const PathView shareName = path.substr(server + 1, share - server - 1);
        if (!IsLiteralName(serverName) || !IsLiteralName(shareName))
            return false;
        root.assign(kLiteralUncPrefix).append(serverName).append(1, L'\\').append(shareName);
        rest = path.substr(std::min(share + 1, path.size()));
        return true;
    }
    const size_t start = path.starts_with(kLiteralPrefix) ? kLiteralPrefix.size() : 0;
    if (path.size() < start + 2 || !IsDriveLetter(path[start]) || path[start + 1] != L':')
        return false;
    if (path.size() > start + 2 && path[start + 2] != L'\\')
        return false; // "C:name" is relative to the drive's current folder
    root.assign(kLiteralPrefix).append(path.substr(start, 2));
    rest = path.substr(std::min(start + 3, path.size()));
    return true;
}

// The root and the names below it of a path already in literal form (views into it).
void LiteralParts(PathView literal, PathView& root, std::vector<PathView>& names) {
    std::wstring rootText;
    PathView rest;
    static_cast<void>(SplitRoot(literal, rootText, rest)); // a literal path has its root
    root = literal.substr(0, rootText.size());
    names.clear();
    if (!rest.empty())
        SplitComponents(rest, names);
}

bool IsDeviceName(PathView name) {
    // The system takes "nul", "nul.txt" and "nul .txt" alike for the device.
    name = name.substr(0, name.find(L'.'));
    while (!name.empty() && name.back() == L' ')
        name.remove_suffix(1);
    static constexpr PathView kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
    for (const PathView device : kDevices) {
        if (SameName(name, device))
            return true;
    }
    if (name.size() == 4 &&
        (SameName(name.substr(0, 3), L"COM") || SameName(name.substr(0, 3), L"LPT"))) {
        const wchar_t digit = name[3];
        // The superscript digits count as well.
        return (digit >= L'0' && digit <= L'9') || digit == L'\u00b9' || digit == L'\u00b2' ||
               digit == L'\u00b3';
    }
    return false;
}

} // namespace

CString ToLiteralPath(const CString& path) {
    CString text(path);
    text.Replace(L'/', L'\\');
    std::wstring literal;
    PathView rest;
    if (!SplitRoot(ViewOf(text), literal, rest))
        return CString();
    if (!rest.empty() && rest.back() == L'\\')
        rest.remove_suffix(1);
    literal += L'\\';
    if (!rest.empty()) {
        std::vector<PathView> names;
        SplitComponents(rest, names);
        if (!std::all_of(names.begin(), names.end(), IsLiteralName))
            return CString();
        literal += rest;
    }
    return StringOf(literal);
}

CString ToOrdinaryPath(const CString& path) {
    const PathView text = ViewOf(path);
    if (text.starts_with(kLiteralUncPrefix))
        return L"\\\\" + StringOf(text.substr(kLiteralUncPrefix.size()));
    if (text.starts_with(kLiteralPrefix))
        return StringOf(text.substr(kLiteralPrefix.size()));
    return path;
}

bool IsOrdinaryFormFaithful(const CString& path) {
    const CString literal = ToLiteralPath(path);
    if (literal.IsEmpty() || ToOrdinaryPath(literal).GetLength() >= MAX_PATH)
        return false;
    PathView root;
    std::vector<PathView> names;
    LiteralParts(ViewOf(literal), root, names);
    return std::none_of(names.begin(), names.end(), [](PathView name) {
        return name.back() == L'.' || name.back() == L' ' || IsDeviceName(name);
    });
}

int CompareFileNames(const wchar_t* left, const wchar_t* right) {
    switch (CompareStringOrdinal(left, -1, right, -1, TRUE)) {
    case CSTR_LESS_THAN:
        return -1;
    case CSTR_EQUAL:
        return 0;
    case CSTR_GREATER_THAN:
        return 1;
    default:
        // Only bad arguments fail; an exact comparison is then the safe answer.
        return wcscmp(left, right);
    }
}

namespace {

// True when `path` is `folder` (unless `strictly`) or lies below it.
bool LiesWithin(const CString& path, const CString& folder, bool strictly) {
    const CString inner = ToLiteralPath(path);
    const CString outer = ToLiteralPath(folder);
    if (inner.IsEmpty() || outer.IsEmpty())
        return false;
    PathView innerRoot, outerRoot;
    std::vector<PathView> innerNames, outerNames;
    LiteralParts(ViewOf(inner), innerRoot, innerNames);
    LiteralParts(ViewOf(outer), outerRoot, outerNames);
    const size_t deeper = strictly ? 1 : 0;
    return outerNames.size() + deeper <= innerNames.size() && SameName(innerRoot, outerRoot) &&
           std::equal(outerNames.begin(), outerNames.end(), innerNames.begin(), SameName);
}

} // namespace

bool IsPathWithin(const CString& path, const CString& folder) {
    return LiesWithin(path, folder, false);
}

bool IsPathBelow(const CString& path, const CString& folder) {
    return LiesWithin(path, folder, true);
}

CString ToLongLiteralPath(const CString& path) {
    const CString literalPath = ToLiteralPath(path);
    if (literalPath.Find(L'~') < 0)
        return literalPath;
    // Wine spells out short names only in the ordinary form.
    const CString ordinary = ToOrdinaryPath(literalPath);
    const CString& asked = IsOrdinaryFormFaithful(ordinary) ? ordinary : literalPath;
    std::vector<wchar_t> buffer(static_cast<size_t>(asked.GetLength()) + MAX_PATH);
    DWORD length = GetLongPathNameW(asked, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length >= buffer.size()) {
        buffer.resize(length + 1);
        length = GetLongPathNameW(asked, buffer.data(), static_cast<DWORD>(buffer.size()));
    }
    return length == 0 || length >= buffer.size() ? literalPath : ToLiteralPath(buffer.data());
}
