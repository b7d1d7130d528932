// Scratch folders, files and registry keys for the foundation's tests; each removes what it
// made when it goes out of scope.
#pragma once

#include <windows.h>
#include <tlhelp32.h>

#include <classlib/String.h>

#include "ProductIdentity.h"

#include <ostream>
#include <string>

// Lets test failures show texts.
inline void PrintTo(const CString& text, std::ostream* out) {
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, text, text.GetLength(), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, text.GetLength(), utf8.data(), bytes, nullptr, nullptr);
    *out << '"' << utf8 << '"';
}

// The test program's folder without a final backslash. Under Wine a program started from a
// path outside every drive gets a relative module name; GetModuleFolder falls back to the
// command line then.
inline std::wstring ProgramFolder() {
    CString folder;
    GetModuleFolder(nullptr, folder);
    std::wstring path(folder.GetString());
    while (!path.empty() && path.back() == L'\\')
        path.pop_back();
    return path;
}

// Whether the process lists its modules yet: a new process lists none until it has loaded.
inline bool ProcessListsModules(DWORD processId) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
    if (snapshot == INVALID_HANDLE_VALUE)
        return false;
    MODULEENTRY32W module{};
    module.dwSize = sizeof module;
    const bool listed = Module32FirstW(snapshot, &module) != FALSE;
    CloseHandle(snapshot);
    return listed;
}

class TempFolder {
public:
    TempFolder() {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        path_ = std::wstring(base) + L"xarn-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(counter_++);
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~TempFolder() { RemoveTree(path_); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& Path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

    static void RemoveTree(const std::wstring& folder) {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = found.cFileName;
                if (name == L"." || name == L"..")
                    continue;
                const std::wstring child = folder + L"\\" + name;
                SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    RemoveTree(child);
                else
                    DeleteFileW(child.c_str());
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_DIRECTORY);
        RemoveDirectoryW(folder.c_str());
    }

private:
    static inline int counter_ = 0;
    std::wstring path_;
};

inline void WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

// Shares writing and deletion: a log writer in another process must never find its file locked
// because the test is reading it, or it drops the line the test waits for.
inline std::string ReadBytes(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    std::string bytes;
    char block[4096];
    DWORD read = 0;
    while (file != INVALID_HANDLE_VALUE && ReadFile(file, block, sizeof block, &read, nullptr) &&
           read > 0)
        bytes.append(block, read);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return bytes;
}

// A key below HKEY_CURRENT_USER\Software\XarnTest only this test process uses.
class TestRegistryKey {
public:
    TestRegistryKey() {
        path_ = L"Software\\XarnTest\\" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(counter_++);
    }
    ~TestRegistryKey() {
        RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, path_.c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\XarnTest"); // only when empty
    }
    TestRegistryKey(const TestRegistryKey&) = delete;
    TestRegistryKey& operator=(const TestRegistryKey&) = delete;

    const wchar_t* Path() const { return path_.c_str(); }
    bool Exists() const {
        HKEY key;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }

private:
    static inline int counter_ = 0;
    std::wstring path_;
};
