// Test support for the junk cleaner: generated file trees with controlled names, sizes,
// attributes and times, a drive letter mapped to a test folder, links made by the host, and a
// window that records the engine's registered messages.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include <classlib/String.h>

#include "JunkFileFinder.h"
#include "JunkMessages.h"
#include "LiteralPath.h"
#include "WineHost.h"

namespace junktest {

// The folder and everything below it through the Windows calls.
inline void RemoveTreeByWindows(const std::wstring& folder) {
    WIN32_FIND_DATAW entry;
    const FindHandle search(FindFirstFileW((folder + L"\\*").c_str(), &entry));
    if (search) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring full = folder + L"\\" + name;
            SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
                (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                RemoveDirectoryW(full.c_str());
            else if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTreeByWindows(full);
            else
                DeleteFileW(full.c_str());
        } while (FindNextFileW(search.Get(), &entry));
    }
    RemoveDirectoryW(folder.c_str());
}

inline bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline void MakeFolders(const std::wstring& path) {
    for (size_t at = path.find(L'\\', 3); at != std::wstring::npos; at = path.find(L'\\', at + 1))
        CreateDirectoryW(ToLiteralPath(path.substr(0, at).c_str()), nullptr);
    CreateDirectoryW(ToLiteralPath(path.c_str()), nullptr);
}

// A FILETIME `hoursAgo` hours before now.
inline FILETIME HoursAgo(double hoursAgo) {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER value{{now.dwLowDateTime, now.dwHighDateTime}};
    value.QuadPart -= static_cast<ULONGLONG>(hoursAgo * 3600.0 * 10000000.0);
    return FILETIME{value.LowPart, value.HighPart};
}

// Writes a file of `size` bytes, written `hoursAgo` hours ago, with the given attributes.
inline void MakeFile(const std::wstring& path, DWORD size = 10, double hoursAgo = 24.0 * 30,
                     DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
    MakeFolders(path.substr(0, path.rfind(L'\\')));
    KernelHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file) << "cannot make the test file";
    std::vector<char> bytes(size, 'x');
    DWORD written = 0;
    if (size) {
        ASSERT_TRUE(WriteFile(file.Get(), bytes.data(), size, &written, nullptr));
    }
    const FILETIME time = HoursAgo(hoursAgo);
    ASSERT_TRUE(SetFileTime(file.Get(), &time, &time, &time));
    ASSERT_TRUE(file.Close());
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), attributes));
}

// The folder and everything below it, links removed without following them (Wine deletes
// the file a host link names, so the host removes the tree there).
inline void RemoveTree(const std::wstring& folder) {
    const std::string unixFolder = RunsOnWine() ? UnixPath(folder) : std::string();
    if (!unixFolder.empty() && Exists(folder))
        RunOnHost({"/bin/rm", "-rf", unixFolder});
    else
        RemoveTreeByWindows(folder);
}

// A symbolic link at `link` to the folder or file `target`: the host's link under Wine (Wine
// shows a link to a folder as a reparse point), a Windows symbolic link elsewhere.
inline bool MakeSymbolicLink(const std::wstring& link, const std::wstring& target, bool folder) {
    if (RunsOnWine()) {
        std::string unixLink = UnixPath(link.substr(0, link.rfind(L'\\')));
        const std::string unixTarget = UnixPath(target);
        if (unixLink.empty() || unixTarget.empty())
            return false;
        std::wstring name = link.substr(link.rfind(L'\\') + 1);
        unixLink += "/" + std::string(name.begin(), name.end());
        return RunOnHost({"/bin/ln", "-s", unixTarget, unixLink}) && Exists(link);
    }
    return CreateSymbolicLinkW(link.c_str(), target.c_str(),
                               folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) != FALSE;
}

// A junction (mount point) at the empty folder `link` to `target`; false where the file system
// cannot hold one (Wine 8).
inline bool MakeJunction(const std::wstring& link, const std::wstring& target) {
    if (!CreateDirectoryW(link.c_str(), nullptr))
        return false;
    KernelHandle folder(CreateFileW(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                    nullptr));
    if (!folder)
        return false;
    const std::wstring substitute = L"\\??\\" + target;
    struct {
        DWORD tag;
        WORD dataLength, reserved, substituteOffset, substituteLength, printOffset, printLength;
        wchar_t names[1024];
    } data = {};
    const WORD substituteBytes = static_cast<WORD>(substitute.size() * 2);
    const WORD printBytes = static_cast<WORD>(target.size() * 2);
    data.tag = IO_REPARSE_TAG_MOUNT_POINT;
    data.substituteLength = substituteBytes;
    data.printOffset = static_cast<WORD>(substituteBytes + 2);
    data.printLength = printBytes;
    memcpy(data.names, substitute.c_str(), substituteBytes);
    memcpy(reinterpret_cast<char*>(data.names) + substituteBytes + 2, target.c_str(), printBytes);
    data.dataLength = static_cast<WORD>(8 + substituteBytes + 2 + printBytes + 2);
    DWORD returned = 0;
    const BOOL made = DeviceIoControl(folder.Get(), FSCTL_SET_REPARSE_POINT, &data,
                                      data.dataLength + 8, nullptr, 0, &returned, nullptr);
    folder.Reset();
    if (!made)
        RemoveDirectoryW(link.c_str());
    return made != FALSE;
}

// A drive letter mapped to a fresh test folder under C:\ for the test's lifetime: under Wine a
// link in the prefix's dosdevices folder, elsewhere a DOS device name.
class TestDrive {
public:
    TestDrive(wchar_t letter, const std::wstring& folder) : letter_(letter), folder_(folder) {
        RemoveTree(folder_);
        MakeFolders(folder_);
        if (RunsOnWine()) {
            linkPath_ = DosDevicesFolder() + "/" + char(towlower(letter)) + ":";
            mapped_ = RunOnHost({"/bin/ln", "-sfn", UnixPath(folder_), linkPath_});
        } else {
            mapped_ = DefineDosDeviceW(0, Root().substr(0, 2).c_str(), folder_.c_str()) != FALSE;
        }
    }
    ~TestDrive() {
        if (RunsOnWine())
            RunOnHost({"/bin/rm", "-f", linkPath_});
        else
            DefineDosDeviceW(DDD_REMOVE_DEFINITION, Root().substr(0, 2).c_str(), nullptr);
        RemoveTree(folder_);
    }
    TestDrive(const TestDrive&) = delete;
    TestDrive& operator=(const TestDrive&) = delete;

    bool IsMapped() const { return mapped_ && Exists(Root()); }
    std::wstring Root() const { return std::wstring(1, letter_) + L":\\"; }

private:
    wchar_t letter_;
    std::wstring folder_;
    std::string linkPath_;
    bool mapped_ = false;
};

// A window that records the engine's messages, and pumps until the end message comes.
class MessageRecorder {
public:
    struct Record {
        UINT message;
        std::wstring path;
        LPARAM percent;
        WPARAM value;
    };

    MessageRecorder() {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = &MessageRecorder::WindowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"XarnJunkMessageRecorder";
        RegisterClassW(&windowClass);
        window_ = CreateWindowW(windowClass.lpszClassName, L"recorder", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                nullptr, windowClass.hInstance, nullptr);
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~MessageRecorder() { DestroyWindow(window_); }
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    HWND Window() const { return window_; }
    // Pumps until `message` arrives or the time runs out; false on time-out.
    bool WaitFor(UINT message, DWORD timeoutMs = 120000) {
        const ULONGLONG end = GetTickCount64() + timeoutMs;
        while (Count(message) == 0) {
            const ULONGLONG now = GetTickCount64();
            if (now >= end)
                return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now),
                                      QS_ALLINPUT);
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageW(&msg);
        }
        return true;
    }
    size_t Count(UINT message) const {
        size_t count = 0;
        for (const Record& record : records)
            count += record.message == message;
        return count;
    }
    // The items the scan reported as found: each report carries how many joined the list.
    size_t ReportedFound() const {
        size_t total = 0;
        for (const Record& record : Of(JunkMessages().itemFound))
            total += record.value;
        return total;
    }
    std::vector<Record> Of(UINT message) const {
        std::vector<Record> selected;
        for (const Record& record : records)
            if (record.message == message)
                selected.push_back(record);
        return selected;
    }

    std::vector<Record> records;
    // Called for every recorded message (from the engine's thread, while it waits).
    std::function<void(const Record&)> onRecord;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<MessageRecorder*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        const JunkMessageIds& ids = JunkMessages();
        if (self && message >= 0xC000) {
            Record record{message, L"", lParam, wParam};
            if ((message == ids.scanOutput || message == ids.deleteOutput ||
                 message == ids.locationChange) &&
                wParam)
                record.path = reinterpret_cast<const wchar_t*>(wParam);
            self->records.push_back(record);
            if (self->onRecord)
                self->onRecord(record);
            return 1;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    HWND window_ = nullptr;
};

// Writes `bytes` as the whole content of a file through its literal path (folders made first).
inline void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    MakeFolders(path.substr(0, path.rfind(L'\\')));
    KernelHandle file(CreateFileW(ToLiteralPath(path.c_str()), GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file) << "cannot write the test file";
    DWORD written = 0;
    ASSERT_TRUE(bytes.empty() || WriteFile(file.Get(), bytes.data(),
                                           static_cast<DWORD>(bytes.size()), &written, nullptr));
}

// The found items' paths, in list order.
inline std::vector<std::wstring> FoundPaths(const CJunkFileFinder& finder) {
    std::vector<std::wstring> paths;
    for (INT_PTR i = 0; i < finder.GetFoundCount(); ++i)
        paths.push_back(finder.GetFoundItem(i)->path.GetString());
    return paths;
}

// Runs one scan to its finished message.
inline bool RunScan(CJunkFileFinder& finder, MessageRecorder& recorder) {
    recorder.records.clear();
    finder.SetNotifyWindow(recorder.Window());
    if (!finder.StartScan())
        return false;
    const bool finished = recorder.WaitFor(JunkMessages().scanFinished);
    finder.WaitForWorker();
    return finished;
}

// Runs one deletion of every checked item to its finished message.
inline bool RunDeletion(CJunkFileFinder& finder, MessageRecorder& recorder, CIndexArray& indices) {
    recorder.records.clear();
    indices.RemoveAll();
    for (INT_PTR i = 0; i < finder.GetFoundCount(); ++i)
        if (finder.GetFoundItem(i)->checked)
            indices.Add(static_cast<int>(i));
    finder.SetNotifyWindow(recorder.Window());
    if (!finder.StartDeletion(&indices))
        return false;
    const bool finished = recorder.WaitFor(JunkMessages().deleteFinished);
    finder.WaitForWorker();
    return finished;
}

} // namespace junktest
