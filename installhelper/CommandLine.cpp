#include "CommandLine.h"

#include "ProductNames.h"

#include <windows.h>

#include <string>

bool IsStopOnlyRequest(const wchar_t* arguments) {
    std::wstring upper = arguments ? arguments : L"";
    CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
    return upper.find(kStopOnlySwitchWord) != std::wstring::npos;
}
