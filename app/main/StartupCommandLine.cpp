#include "StartupCommandLine.h"

#include <windows.h>

#include <shellapi.h>

#include <owners/WinOwners.h>

namespace {
CString WithoutSeparators(const CString& text) {
    CString result = text;
    result.Remove(L'\\');
    result.Remove(L'/');
    result.Remove(L'-');
    return result;
}
} // namespace

CString NormalizeCommandLine(const CString& commandLine) {
    CString text = commandLine;
    text.MakeLower();
    text.Trim();
    text.Replace(L'-', L' ');
    text.Replace(L'/', L' ');
    return text;
}

bool HasSchedulingSwitch(const CString& normalizedCommandLine) {
    return normalizedCommandLine.Find(L" shutdown") >= 0 ||
           normalizedCommandLine.Find(L" autofix") >= 0 ||
           normalizedCommandLine.Find(L" schedule") >= 0;
}

CString CommandLineElement(const wchar_t* commandLine, int index) {
    if (commandLine == nullptr || *commandLine == L'\0')
        return CString();
    int count = 0;
    const LocalMemory<LPWSTR*> elements(CommandLineToArgvW(commandLine, &count));
    if (!elements || index < 0 || index >= count)
        return CString();
    return CString(elements.Get()[index]);
}

CString ScheduleLettersFromElement(const CString& element) {
    CString letters = WithoutSeparators(element);
    letters.MakeUpper();
    return letters;
}

bool IsHiddenScanElement(const CString& element) {
    return WithoutSeparators(element).CompareNoCase(L"runhiddenScan") == 0;
}

StartupSwitches ReadStartupSwitches(const wchar_t* commandLine) {
    StartupSwitches switches;
    switches.hasArguments = !CommandLineElement(commandLine, 1).IsEmpty();
    switches.scheduling = HasSchedulingSwitch(NormalizeCommandLine(commandLine));
    if (switches.scheduling)
        switches.scheduleLetters = ScheduleLettersFromElement(CommandLineElement(commandLine, 2));
    switches.hiddenScan = IsHiddenScanElement(CommandLineElement(commandLine, 1));
    return switches;
}
