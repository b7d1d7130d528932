// The version resource of one file.
#pragma once

#include <windows.h>

#include <classlib/String.h>

class FileVersionInfo {
public:
    FileVersionInfo() = default;
    ~FileVersionInfo() { Release(); }
    FileVersionInfo(const FileVersionInfo&) = delete;
    FileVersionInfo& operator=(const FileVersionInfo&) = delete;

    [[nodiscard]] int Load(const wchar_t* path);
    [[nodiscard]] int GetFixedInfo(VS_FIXEDFILEINFO& info) const;
    // "1.2.3.4"; empty when the file has no version.
    CString GetFileVersionText() const;
    void Release();

private:
    BYTE* buffer_ = nullptr;
    DWORD translation_ = 0; // language in the high word, code page in the low word
};
