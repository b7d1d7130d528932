#include "MainUtilities.h"

#include "Paths.h"
#include "SizeTexts.h"

#include <iterator>
#include <cstdio>
#include <cstdlib>
#include <cwchar>

int FormatByteSize(ULONGLONG bytes, wchar_t* buffer, int capacity) {
    struct Unit {
        ULONGLONG threshold;
        const wchar_t* format;
    };
    static constexpr Unit kUnits[] = {
        {1ull << 40, L"%0.1f TB"},
        {1ull << 30, L"%0.1f GB"},
        {1ull << 20, L"%0.1f MB"},
        {1ull << 10, L"%0.1f KB"},
    };
    const wchar_t* format = L"%0.0f B";
    double value = static_cast<double>(bytes);
    for (const Unit& unit : kUnits) {
        if (bytes >= unit.threshold) {
            format = unit.format;
            value /= static_cast<double>(unit.threshold);
            break;
        }
    }
    if (capacity > 0) {
        _snwprintf(buffer, capacity, format, value);
        buffer[capacity - 1] = L'\0';
    }
    return 1;
}

CString ByteSizeText(ULONGLONG bytes) {
    wchar_t buffer[64];
    (void)FormatByteSize(bytes, buffer, static_cast<int>(std::size(buffer)));
    return CString(buffer);
}

wchar_t* FormatInt64(LONGLONG value, wchar_t* buffer, int capacity) {
    return FormatNumberGrouped(value, buffer, capacity);
}

CString GroupedNumberText(ULONGLONG value) {
    wchar_t buffer[64];
    return CString(
        FormatInt64(static_cast<LONGLONG>(value), buffer, static_cast<int>(std::size(buffer))));
}

void SplitPathInto(SplitPathRecord& record, const wchar_t* path) {
    if (path == nullptr || *path == L'\0')
        return;
    wcsncpy(record.path, path, std::size(record.path) - 1);
    record.path[std::size(record.path) - 1] = L'\0';
    if (_wsplitpath_s(record.path, record.drive, std::size(record.drive), record.directory,
                      std::size(record.directory), record.fileName, std::size(record.fileName),
                      record.extension, std::size(record.extension)) != 0) {
        record.drive[0] = record.directory[0] = record.fileName[0] = record.extension[0] = L'\0';
    }
}

CString MakeDataSubfolder(const CString& base, const CString& name) {
    CString folder = base;
    AppendPath(folder, name);
    if (folder.IsEmpty() || folder[folder.GetLength() - 1] != L'\\')
        folder += L'\\';
    if (GetFileAttributesW(folder) == INVALID_FILE_ATTRIBUTES)
        (void)CreateDirectoryTree(folder);
    return folder;
}

void PumpWaitingMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Leave the quit for the message loop that owns it.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}
