#include "LiteralPath.h"

#include <windows.h>

#include <cwchar>
#include <vector>

namespace {

constexpr wchar_t kLiteralPrefix[] = L"\\\\?\\";
constexpr wchar_t kLiteralUncPrefix[] = L"\\\\?\\UNC\\";
constexpr int kLiteralPrefixLength = 4;
constexpr int kLiteralUncPrefixLength = 8;

bool StartsWith(const CString& text, const wchar_t* prefix) {
    return wcsncmp(text.GetString(), prefix, wcslen(prefix)) == 0;
}

bool IsDriveLetter(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

std::vector<CString> SplitComponents(const CString& text) {
    std::vector<CString> components;
    int start = 0;
    for (int i = 0; i <= text.GetLength(); ++i) {
        if (i == text.GetLength() || text[i] == L'\\') {
            components.push_back(text.Mid(start, i - start));
            start = i + 1;
        }
    }
    return components;
}

// A component the file system takes as the name it is.
bool IsLiteralName(const CString& name) {
    if (name.IsEmpty() || name == L"." || name == L"..")
        return false;
    for (int i = 0; i < name.GetLength(); ++i) {
        const wchar_t c = name[i];
        if (c < 32 || wcschr(L"<>:\"|?*", c) != nullptr)
            return false;
    }
    return true;
}

// The root of a path in long-path form ("\\?\C:" or "\\?\UNC\server\share", without a final
// backslash) and what follows it; false when the path has no root the cleaners act below.
bool SplitRoot(const CString& path, CString& root, CString& rest) {
    if (StartsWith(path, kLiteralUncPrefix) ||
        (StartsWith(path, L"\\\\") && path.GetLength() > 2 && path[2] != L'?' && path[2] != L'.')) {
        const int start = StartsWith(path, kLiteralUncPrefix) ? kLiteralUncPrefixLength : 2;
        const int server = path.Find(L'\\', start);
        if (server < 0)
            return false;
        int share = path.Find(L'\\', server + 1);
        if (share < 0)
            share = path.GetLength();
        const CString serverName = path.Mid(start, server - start);
        const CString shareName = path.Mid(server + 1, share - server - 1);
        if (!IsLiteralName(serverName) || !IsLiteralName(shareName))
            return false;
        root = CString(kLiteralUncPrefix) + serverName + L"\\" + shareName;
        rest = path.Mid(share + 1);
        return true;
    }
    const int start = StartsWith(path, kLiteralPrefix) ? kLiteralPrefixLength : 0;
    if (path.GetLength() < start + 2 || !IsDriveLetter(path[start]) || path[start + 1] != L':')
        return false;
    if (path.GetLength() > start + 2 && path[start + 2] != L'\\')
        return false; // "C:name" is relative to the drive's current folder
    root = CString(kLiteralPrefix) + path.Mid(start, 2);
    rest = path.Mid(start + 3);
    return true;
}

// The components below the root of a literal path, or false for a path that has none.
bool LiteralComponents(const CString& path, std::vector<CString>& components) {
    const CString literal = ToLiteralPath(path);
    CString root, rest;
    if (literal.IsEmpty() || !SplitRoot(literal, root, rest))
        return false;
    components.clear();
    components.push_back(root);
    if (!rest.IsEmpty()) {
        for (const CString& name : SplitComponents(rest))
            components.push_back(name);
    }
    return true;
}

bool IsDeviceName(CString name) {
    // The system takes "nul", "nul.txt" and "nul .txt" alike for the device.
    const int dot = name.Find(L'.');
    if (dot >= 0)
        name = name.Left(dot);
    name.TrimRight(L' ');
    static constexpr const wchar_t* kDevices[] = {L"CON", L"PRN",    L"AUX",
                                                  L"NUL", L"CONIN$", L"CONOUT$"};
    for (const wchar_t* device : kDevices) {
        if (SameFileName(name, device))
            return true;
    }
    if (name.GetLength() == 4 &&
        (SameFileName(name.Left(3), L"COM") || SameFileName(name.Left(3), L"LPT"))) {
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
    CString root, rest;
    if (!SplitRoot(text, root, rest))
        return CString();
    if (!rest.IsEmpty() && rest[rest.GetLength() - 1] == L'\\')
        rest.Delete(rest.GetLength() - 1);
    if (rest.IsEmpty())
        return root + L"\\";
    for (const CString& name : SplitComponents(rest)) {
        if (!IsLiteralName(name))
            return CString();
    }
    return root + L"\\" + rest;
}

CString ToOrdinaryPath(const CString& path) {
    if (StartsWith(path, kLiteralUncPrefix))
        return L"\\\\" + path.Mid(kLiteralUncPrefixLength);
    if (StartsWith(path, kLiteralPrefix))
        return path.Mid(kLiteralPrefixLength);
    return path;
}

bool IsOrdinaryFormFaithful(const CString& path) {
    std::vector<CString> components;
    if (!LiteralComponents(path, components) ||
        ToOrdinaryPath(ToLiteralPath(path)).GetLength() >= MAX_PATH)
        return false;
    for (size_t i = 1; i < components.size(); ++i) {
        const CString& name = components[i];
        const wchar_t last = name[name.GetLength() - 1];
        if (last == L'.' || last == L' ' || IsDeviceName(name))
            return false;
    }
    return true;
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

bool IsPathWithin(const CString& path, const CString& folder) {
    std::vector<CString> inner, outer;
    if (!LiteralComponents(path, inner) || !LiteralComponents(folder, outer) ||
        outer.size() > inner.size())
        return false;
    for (size_t i = 0; i < outer.size(); ++i) {
        if (!SameFileName(inner[i], outer[i]))
            return false;
    }
    return true;
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
