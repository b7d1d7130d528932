// One fixed drive of the application's drive list, and the list built once at start.
#pragma once

#include <windows.h>

#include <classlib/String.h>

#include <memory>
#include <vector>

class CDrive {
public:
    CDrive(const CString& displayName, const CString& fileSystem, const CString& rootPath)
        : displayName_(displayName), fileSystem_(fileSystem), rootPath_(rootPath) {}

    const CString& DisplayName() const { return displayName_; } // "System (C:)"
    const CString& FileSystem() const { return fileSystem_; }
    const CString& RootPath() const { return rootPath_; } // "C:\"
    ULONGLONG TotalBytes() const { return totalBytes_; }
    ULONGLONG FreeBytes() const { return freeBytes_; }
    void SetSizes(ULONGLONG total, ULONGLONG free) {
        totalBytes_ = total;
        freeBytes_ = free;
    }
    // "Name; Size: ...; { Free Space: ... }", made by the disk-check page's drive list.
    const CString& SummaryText() const { return summary_; }
    void SetSummaryText(const CString& text) { summary_ = text; }

private:
    CString displayName_;
    CString fileSystem_;
    CString rootPath_;
    ULONGLONG totalBytes_ = 0;
    ULONGLONG freeBytes_ = 0;
    CString summary_;
};

using DriveList = std::vector<std::unique_ptr<CDrive>>;

// The fixed drives C to Z whose volume and sizes can be read, in letter order.
DriveList BuildDriveList();
