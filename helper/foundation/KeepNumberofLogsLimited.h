// The pruning of the diagnostic logs.
#pragma once

#include <windows.h>

#include <classlib/String.h>
#include <classlib/Time.h>

#include <vector>

// Keeps the five newest "*.log" files of the application's data folder.
class CKeepNumberofLogsLimited {
public:
    struct ScanResultFile {
        CString name; // without folder
        CTime lastWrite;
    };

    CKeepNumberofLogsLimited();
    ~CKeepNumberofLogsLimited();
    CKeepNumberofLogsLimited(const CKeepNumberofLogsLimited&) = delete;
    CKeepNumberofLogsLimited& operator=(const CKeepNumberofLogsLimited&) = delete;

    void DeleteOldLogs();

private:
    std::vector<ScanResultFile> files_;
};
