// The boot-time command lines under a registry key: by default HKEY_LOCAL_MACHINE's Session
// Manager key.
#pragma once

#include "BootExecuteStore.h"

#include <string>
#include <vector>

#include <windows.h>

class CRegistryBootExecuteStore final : public CBootExecuteStore {
public:
    explicit CRegistryBootExecuteStore(HKEY root = HKEY_LOCAL_MACHINE,
                                       std::wstring path = kSessionManagerKey)
        : root_(root), path_(std::move(path)) {}
    [[nodiscard]] bool Read(std::vector<wchar_t>& data) override;
    [[nodiscard]] bool Write(const std::vector<wchar_t>& data) override;

private:
    HKEY root_;
    std::wstring path_;
};
