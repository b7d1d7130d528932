#include "CommandLine.h"

#include "ProductNames.h"

#include <classlib/Classlib.h>

bool IsStopOnlyRequest(const wchar_t* arguments) {
    CString commandLine(arguments ? arguments : L"");
    commandLine.MakeUpper();
    return commandLine.Find(kStopOnlySwitchWord) >= 0;
}
