#include "BootCheck.h"

#include <algorithm>
#include <cwctype>

std::wstring BootCheckEntry(wchar_t letter, bool thorough) {
    return std::wstring(thorough ? L"autocheck autochk /r \\??\\"
                                 : L"autocheck autochk /p \\??\\") +
           letter + L':';
}

std::vector<std::wstring> SplitMultiString(const std::vector<wchar_t>& data) {
    std::vector<std::wstring> entries;
    size_t start = 0;
    while (start < data.size()) {
        const auto end = std::find(data.begin() + static_cast<ptrdiff_t>(start), data.end(), L'\0');
        if (end == data.begin() + static_cast<ptrdiff_t>(start))
            break;
        entries.emplace_back(data.begin() + static_cast<ptrdiff_t>(start), end);
        start = static_cast<size_t>(end - data.begin()) + 1;
    }
    return entries;
}

std::vector<wchar_t> JoinMultiString(const std::vector<std::wstring>& entries) {
    std::vector<wchar_t> data;
    for (const std::wstring& entry : entries) {
        data.insert(data.end(), entry.begin(), entry.end());
        data.push_back(L'\0');
    }
    data.push_back(L'\0');
    if (entries.empty())
        data.push_back(L'\0');
    return data;
}

bool SchedulesDrive(const std::wstring& existing, const std::wstring& entry, wchar_t letter) {
    if (_wcsicmp(existing.c_str(), entry.c_str()) == 0)
        return true;
    std::wstring lower = existing;
    for (wchar_t& c : lower)
        c = static_cast<wchar_t>(towlower(c));
    if (lower.find(L"autochk ") == std::wstring::npos)
        return false;
    const size_t device = lower.find(L"\\??\\", 7);
    if (device == std::wstring::npos || lower.size() <= 16)
        return false;
    const size_t colon = lower.find(L':', device);
    return colon != std::wstring::npos && colon > 0 &&
           towlower(lower[colon - 1]) == towlower(letter);
}

BootCheckResult ScheduleBootCheck(CBootExecuteStore& store, wchar_t letter, bool thorough) {
    const std::wstring entry = BootCheckEntry(letter, thorough);
    std::vector<wchar_t> data;
    if (!store.Read(data))
        return BootCheckResult::ReadFailed;
    std::vector<std::wstring> entries = SplitMultiString(data);
    for (const std::wstring& existing : entries)
        if (SchedulesDrive(existing, entry, letter))
            return BootCheckResult::AlreadyScheduled;
    entries.insert(entries.begin(), entry);
    return store.Write(JoinMultiString(entries)) ? BootCheckResult::Scheduled
                                                 : BootCheckResult::WriteFailed;
}

const wchar_t* RestartPromptKey(bool thorough, size_t tickedDrives) {
    if (thorough)
        return tickedDrives > 1 ? L"RESTARTMSG_MULTIPLE" : L"RESTARTMSG_SINGLE";
    return tickedDrives > 1 ? L"RESTARTMSG_MULTIPLE_N" : L"RESTARTMSG_SINGLE_N";
}

DiskCheckOutcome StartDiskCheck(const std::vector<wchar_t>& tickedLetters,
                                CDiskCheckDialogs& dialogs, CBootExecuteStore& store,
                                CLastScanDateWriter& lastScanDate) {
    DiskCheckOutcome outcome;
    if (tickedLetters.empty()) {
        dialogs.ShowNoDriveTicked();
        return outcome;
    }
    bool thorough = false;
    if (!dialogs.ChooseMode(thorough))
        return outcome;
    if (!dialogs.ConfirmRestart(RestartPromptKey(thorough, tickedLetters.size())))
        return outcome;
    for (wchar_t letter : tickedLetters) {
        const BootCheckResult result = ScheduleBootCheck(store, letter, thorough);
        if (result == BootCheckResult::Scheduled || result == BootCheckResult::AlreadyScheduled)
            outcome.scheduled.push_back(letter);
        else
            outcome.notScheduled.push_back(letter);
    }
    // The date says when a check was last scheduled: only when one was.
    if (!outcome.scheduled.empty())
        outcome.dateRecorded = lastScanDate.Write();
    if (!outcome.notScheduled.empty())
        dialogs.ShowNotScheduled(outcome.notScheduled);
    return outcome;
}
