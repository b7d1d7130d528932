// Scheduling the system's disk checker for drives at the next start of Windows: one
// "autocheck" line per drive at the front of "BootExecute", and the steps the disk-check page
// takes when the user starts, behind a seam for the page's dialogs.
#pragma once

#include "BootExecuteStore.h"

#include <string>
#include <vector>

enum class BootCheckResult {
    Scheduled,        // the new line was written
    AlreadyScheduled, // the drive already had a check (in either mode); nothing changed
    ReadFailed,       // the value could not be read (or is oversized); nothing written
    WriteFailed,      // the new value could not be written
};

// "autocheck autochk /r \??\C:" (thorough) or "autocheck autochk /p \??\C:".
std::wstring BootCheckEntry(wchar_t letter, bool thorough);
// The value's strings, up to the first empty one or the end of the data.
std::vector<std::wstring> SplitMultiString(const std::vector<wchar_t>& data);
// Each string and a zero, then one more zero.
std::vector<wchar_t> JoinMultiString(const std::vector<std::wstring>& entries);
// Whether an existing line already schedules the drive (the same line ignoring case, or any
// autochk line for the letter).
bool SchedulesDrive(const std::wstring& existing, const std::wstring& entry, wchar_t letter);

BootCheckResult ScheduleBootCheck(CBootExecuteStore& store, wchar_t letter, bool thorough);

// The language key of the restart prompt for the number of ticked drives and the mode.
const wchar_t* RestartPromptKey(bool thorough, size_t tickedDrives);

// What the disk-check page shows and asks while it schedules.
class CDiskCheckDialogs {
public:
    virtual ~CDiskCheckDialogs() = default;
    // "SCANTAB1DRIVE" with an error icon.
    virtual void ShowNoDriveTicked() = 0;
    // The options popup; false when the user cancels, else the chosen mode.
    virtual bool ChooseMode(bool& thorough) = 0;
    // The restart prompt of the key (yes/no); true on yes.
    virtual bool ConfirmRestart(const wchar_t* promptKey) = 0;
    // The drives whose check could not be scheduled.
    virtual void ShowNotScheduled(const std::vector<wchar_t>& letters) = 0;
};

// Records when a check was last scheduled ("LastScanDate").
class CLastScanDateWriter {
public:
    virtual ~CLastScanDateWriter() = default;
    [[nodiscard]] virtual bool Write() = 0;
};

struct DiskCheckOutcome {
    std::vector<wchar_t> scheduled;    // drives that have a check at the next start
    std::vector<wchar_t> notScheduled; // drives whose check could not be scheduled
    bool dateRecorded = false;
};

// The start of a check for the ticked drives (letters in row order): asks for the mode and the
// restart, schedules each drive, tells the user which drives could not be scheduled and records
// the date only when at least one drive has its check.
DiskCheckOutcome StartDiskCheck(const std::vector<wchar_t>& tickedLetters,
                                CDiskCheckDialogs& dialogs, CBootExecuteStore& store,
                                CLastScanDateWriter& lastScanDate);
