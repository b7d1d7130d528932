// The diagnostic log of the "-log" switch: dated files "log_MM-DD-YYYY.log" in the
// application's data folder, the newest five kept, one numbered and timestamped line per call.
#pragma once

#include <windows.h>

#include <classlib/File.h>
#include <classlib/String.h>

#include "CritSecLock.h"

// Nothing while logging is off. The first call of a process prunes the old logs and opens the
// file of the day; a process that runs past midnight stays in the file of its first day.
void WriteLog(CString message);
// WriteLog of an ANSI text.
void WriteLogA(LPCSTR message);

// One log file, UTF-16 without byte-order mark, appended to. Lines:
// "<number>\t<HH:MM:SS>\t<message>\r\n", numbered from 1 for each file opened.
class CLogFile {
public:
    CLogFile();
    // Writes "Closing Log" into an open file.
    ~CLogFile();
    CLogFile(const CLogFile&) = delete;
    CLogFile& operator=(const CLogFile&) = delete;

    // Opens (creating its folders and the file when missing) the absolute path; false when it
    // cannot be opened, and later lines are dropped. The current directory is left alone.
    [[nodiscard]] bool Open(const CString& path);
    // Switches to another file (by case-sensitive name): closes, restarts the numbering, opens.
    void Reopen(const CString& path);
    // One line with the next number; an empty message writes nothing.
    void WriteTimestamped(const CString& message);
    // Writes a last "Closing Log" line, then closes.
    void Close();
    bool IsOpen() const { return open_; }

private:
    CCritSecLock lock_;
    LONG lineNumber_ = 1;
    CFile file_;
    bool open_ = false;
    CString path_;
};
