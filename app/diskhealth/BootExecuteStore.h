// Where the system's boot-time command lines live: the Session Manager's "BootExecute"
// multi-string value, read and written whole.
#pragma once

#include <string>
#include <vector>

#include <windows.h>

inline constexpr wchar_t kSessionManagerKey[] =
    L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
inline constexpr wchar_t kBootExecuteValue[] = L"BootExecute";
// The most the value may hold to be read.
inline constexpr DWORD kBootExecuteMaxBytes = 16384;

class CBootExecuteStore {
public:
    virtual ~CBootExecuteStore() = default;
    // The value's characters; false when the key does not open, the value cannot be read or
    // holds more than kBootExecuteMaxBytes.
    [[nodiscard]] virtual bool Read(std::vector<wchar_t>& data) = 0;
    // Writes the characters as REG_MULTI_SZ; false when the key or value cannot be written.
    [[nodiscard]] virtual bool Write(const std::vector<wchar_t>& data) = 0;
};
