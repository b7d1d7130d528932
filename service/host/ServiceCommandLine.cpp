#include "ServiceCommandLine.h"

#include <cwchar>

ServiceCommand ParseServiceCommandLine(const wchar_t* arguments) {
    if (!arguments || (arguments[0] != L'-' && arguments[0] != L'/'))
        return ServiceCommand::Run;
    const wchar_t* word = arguments + 1;
    if (_wcsicmp(word, L"install") == 0)
        return ServiceCommand::Install;
    if (_wcsicmp(word, L"remove") == 0)
        return ServiceCommand::Remove;
    return ServiceCommand::UnknownSwitch;
}
