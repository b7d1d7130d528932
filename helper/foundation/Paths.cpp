#include "Paths.h"

#include "FileVersionInfo.h"
#include "KernelEntry.h"
#include "SystemInfo.h"

#include <owners/WinOwners.h>

#include <shlobj.h>
#include <shlwapi.h>

#include <cstdarg>
#include <cstdlib>
#include <cwchar>
#include <vector>

namespace {

constexpr int kShellPathChars = 521;

// The path in a zeroed buffer ending in two nulls, as the shell's path lists want.
std::vector<wchar_t> DoubleNullPath(const wchar_t* path, int length) {
    std::vector<wchar_t> buffer(kShellPathChars + 1, L'\0');
    if (length > 0 && length < kShellPathChars - 1)
        wmemcpy(buffer.data(), path, static_cast<size_t>(length));
    return buffer;
}

std::vector<wchar_t> DoubleNullPath(const CString& path) {
    return DoubleNullPath(path, path.GetLength());
}

bool AttributesExist(const wchar_t* path, DWORD& attributes) {
    attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES;
}

// What a directory listing says about the path itself.
bool FindAttributes(const wchar_t* path, DWORD& attributes) {
    WIN32_FIND_DATAW found{};
    if (!FindHandle(FindFirstFileW(path, &found)))
        return false;
    attributes = found.dwFileAttributes;
    return true;
}

// One shell file operation on double-null-ended lists; 1 done, 0 failed.
int RunShellOperation(UINT function, const wchar_t* from, const wchar_t* to, FILEOP_FLAGS flags) {
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = function;
    operation.pFrom = from;
    operation.pTo = to;
    operation.fFlags = flags;
    if (SHFileOperationW(&operation) == 0)
        return 1;
    PumpPendingMessages();
    return 0;
}

} // namespace

int AppendPath(CString& path, const CString& name) {
    if (path.IsEmpty() || name.IsEmpty()) {
        path += name;
        return 1;
    }
    const int skip = name[0] == L'\\' ? 1 : 0;
    if (path[path.GetLength() - 1] != L'\\')
        path += L'\\';
    path.Append(name.GetString() + skip, name.GetLength() - skip);
    return 1;
}

CString JoinPaths(const wchar_t* count, const wchar_t* base, ...) {
    CString result;
    va_list parts;
    va_start(parts, base);
    try {
        result = base;
        const int parts_count = count ? _wtoi(count) : 0;
        for (int i = 0; i < parts_count; ++i)
            AppendPath(result, CString(va_arg(parts, const wchar_t*)));
    } catch (CException* error) {
        error->Delete();
    }
    va_end(parts);
    return result;
}

int RemoveTrailingBackslash(CString& path, bool keepShort) {
    const int length = path.GetLength();
    if (length > 0 && (!keepShort || length > 2) && path[length - 1] == L'\\')
        path.Delete(length - 1);
    return 1;
}

BOOL RemoveFileSpec(CString& path) {
    const BOOL result = PathRemoveFileSpecW(path.GetBuffer());
    path.ReleaseBuffer();
    return result;
}

void GetExeFolder(CString& folder) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH - 1);
    wchar_t drive[_MAX_DRIVE] = {}, directory[_MAX_DIR] = {};
    _wsplitpath_s(path, drive, _MAX_DRIVE, directory, _MAX_DIR, nullptr, 0, nullptr, 0);
    folder = drive;
    folder += directory;
}

int GetSpecialFolderPath(int csidl, CString& path) {
    LPITEMIDLIST items = nullptr;
    int result = 0;
    if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, csidl, &items))) {
        wchar_t buffer[520] = {};
        if (SHGetPathFromIDListW(items, buffer)) {
            path = buffer;
            result = 1;
        }
    }
    if (items) {
        IMalloc* shellAllocator = nullptr;
        if (SUCCEEDED(SHGetMalloc(&shellAllocator))) {
            shellAllocator->Free(items);
            shellAllocator->Release();
        }
    }
    return result;
}

void AllocStringCopy(const CString& text, wchar_t** copy) {
    const size_t chars = static_cast<size_t>(text.GetLength()) + 2;
    *copy = new wchar_t[chars]();
    wmemcpy(*copy, text.GetString(), static_cast<size_t>(text.GetLength()));
}

int PathExists(const CString& path) {
    try {
        if (path.IsEmpty())
            return -4;
        DWORD attributes;
        return AttributesExist(path, attributes) || FindAttributes(path, attributes) ? 1 : 0;
    } catch (CException* error) {
        error->Delete();
        return -1;
    }
}

int GetPathKind(const wchar_t* path) {
    if (!path || !*path)
        return 0;
    DWORD attributes;
    if (!AttributesExist(path, attributes))
        return -1;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : 1;
}

int ClassifyFileReference(const wchar_t* text) {
    try {
        if (!text || !*text)
            return 0;
        if (GetPathKind(text) == 1)
            return 1;

        static CString driveRoots;
        if (driveRoots.IsEmpty()) {
            wchar_t buffer[4096] = {};
            const DWORD length = GetLogicalDriveStringsW(4095, buffer);
            for (DWORD i = 0; i < length && i < 4095; ++i)
                if (buffer[i] == L'\0')
                    buffer[i] = L'#';
            driveRoots = buffer;
        }

        CString upper(text);
        upper.MakeUpper();
        int result = 0;
        int start = 0;
        for (CString root = driveRoots.Tokenize(L"#", start); start >= 0;
             root = driveRoots.Tokenize(L"#", start)) {
            const int at = upper.Find(root);
            if (at < 0)
                continue;
            result = -1;
            const CString rest = upper.Mid(at);
            const int kind = GetPathKind(rest);
            if (kind == 1)
                return 1;
            if (kind == 0)
                return 0;
            // A command line: the program path followed by its switches.
            for (int length = rest.GetLength(); length >= 1; --length)
                if (GetPathKind(rest.Left(length)) == 1)
                    return 1;
            const int stop = rest.Find(L'.');
            if (stop < 0)
                return 0;
            for (int i = 3; i < rest.GetLength() && i < 3 + stop; ++i) {
                const wchar_t c = rest[i];
                if (c < L' ' || wcschr(L"*?><:|", c))
                    return 0;
            }
        }
        return result;
    } catch (CException* error) {
        error->Delete();
        return 0;
    }
}

int IsExistingFolder(CString path) {
    try {
        if (path.GetLength() < 3)
            return 0;
        // A drive's root ("K:\\") has no entry that a search could list: its attributes alone
        // tell whether the drive is there.
        if (path.GetLength() == 3 && path[1] == L':' && path[2] == L'\\') {
            const DWORD attributes = GetFileAttributesW(path);
            return attributes != INVALID_FILE_ATTRIBUTES &&
                           (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0
                       ? 1
                       : 0;
        }
        RemoveTrailingBackslash(path, false);
        DWORD attributes, listed;
        return AttributesExist(path, attributes) && FindAttributes(path, listed) &&
                       (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
                       (listed & FILE_ATTRIBUTE_DIRECTORY)
                   ? 1
                   : 0;
    } catch (CException* error) {
        error->Delete();
        return -1;
    }
}

int IsFileLocked(const wchar_t* path) {
    DWORD attributes;
    if (!path || !AttributesExist(path, attributes) || attributes == FILE_ATTRIBUTE_DIRECTORY)
        return -1;
    // Whether the file's metadata may be changed, asked without changing it. Another program
    // holding the file for itself alone refuses even this open: that file is locked.
    {
        const KernelHandle metadata(CreateFileW(
            path, FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!metadata)
            return GetLastError() == ERROR_SHARING_VIOLATION ? 1 : -1;
    }
    // Opened for this caller alone: any other open handle refuses it. A writable file is
    // opened for writing too (a running program's file refuses that); a read-only one is opened
    // for reading, which asks the same of other programs without making it writable first.
    const DWORD access = (attributes & FILE_ATTRIBUTE_READONLY) != 0
                             ? GENERIC_READ | FILE_WRITE_ATTRIBUTES
                             : GENERIC_READ | GENERIC_WRITE;
    const KernelHandle file(
        CreateFileW(path, access, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file ? 0 : 1;
}

int CreateDirectoryTree(CString path) {
    try {
        RemoveTrailingBackslash(path, false);
        DWORD attributes;
        if (FindAttributes(path, attributes) && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return 1;
        // Every prefix that ends before a backslash, then the whole path; the drive is skipped.
        for (int at = path.Find(L'\\'); at >= 0; at = path.Find(L'\\', at + 1)) {
            const CString prefix = path.Left(at);
            if (prefix.Find(L'\\') >= 0 && CreateDirectoryW(prefix, nullptr))
                SetFileAttributesW(prefix, FILE_ATTRIBUTE_NORMAL);
        }
        if (CreateDirectoryW(path, nullptr))
            SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
        return FindAttributes(path, attributes) && (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
    } catch (CException* error) {
        error->Delete();
        return -1;
    }
}

int ShellDeleteFiles(const wchar_t* path, int length, bool toRecycleBin) {
    try {
        std::vector<wchar_t> source = DoubleNullPath(path, length);
        return RunShellOperation(FO_DELETE, source.data(), nullptr,
                                 static_cast<FILEOP_FLAGS>(toRecycleBin ? 0x4454 : 0x4414));
    } catch (...) {
        return -1;
    }
}

int ShellMoveIntoFolder(const CString& file, const CString& folder) {
    wchar_t name[_MAX_FNAME] = {}, extension[_MAX_EXT] = {};
    _wsplitpath_s(file, nullptr, 0, nullptr, 0, name, _MAX_FNAME, extension, _MAX_EXT);
    CString target = folder;
    if (target.IsEmpty() || target[target.GetLength() - 1] != L'\\')
        target += L'\\';
    target += name;
    target += extension;
    std::vector<wchar_t> source = DoubleNullPath(file);
    std::vector<wchar_t> destination = DoubleNullPath(target);
    return RunShellOperation(FO_MOVE, source.data(), destination.data(), 0x465C);
}

int ShellMoveFiles(const CString& source, const CString& target) {
    std::vector<wchar_t> from = DoubleNullPath(source);
    std::vector<wchar_t> to = DoubleNullPath(target);
    SetFileAttributesW(source, FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_ARCHIVE);
    SetFileAttributesW(target, FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_ARCHIVE);
    return RunShellOperation(FO_MOVE, from.data(), to.data(), 0x4614);
}

void PumpPendingMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

BOOL DisableWow64Redirection(void** oldValue) {
    using DisableFn = BOOL(WINAPI*)(void**);
    static const auto disable = KernelEntry<DisableFn>("Wow64DisableWow64FsRedirection");
    return IsWow64Cached() && disable ? disable(oldValue) : FALSE;
}

BOOL RevertWow64Redirection(void* oldValue) {
    using RevertFn = BOOL(WINAPI*)(void*);
    static const auto revert = KernelEntry<RevertFn>("Wow64RevertWow64FsRedirection");
    return IsWow64Cached() && revert ? revert(oldValue) : FALSE;
}

CString GetFileVersionText(const CString& path) {
    if (!PathFileExistsW(path))
        return CString(L"0");
    FileVersionInfo version;
    if (!version.Load(path))
        return CString(); // no version information: no text
    return version.GetFileVersionText();
}

bool MatchesFileSpecA(const char* spec, const char* file) {
    return PathMatchSpecA(file, spec) != FALSE;
}
