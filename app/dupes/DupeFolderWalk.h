// The walk of a duplicate scan: every eligible file of the chosen locations, by the chosen
// masks, recorded in the finder with its identity, leaving out ignored folders and never
// entering reparse points. Folders are listed through literal paths, so that names in any
// script, with trailing dots or blanks, and paths over MAX_PATH are found as they are.
#pragma once

#include <windows.h>

#include <classlib/Array.h>
#include <classlib/String.h>

#include "DupeFinder.h"
#include "DupeScanFilter.h"

#include <atomic>
#include <vector>

// What the scan page is told while the walk runs (on the walk's thread).
class DupeWalkObserver {
public:
    virtual ~DupeWalkObserver() = default;
    virtual void OnFolderEntered(const CString& folder) = 0;
    virtual void OnLocationDone(int index) = 0;
};

class CDupeFolderWalk {
public:
    // `ignoreList`: folder texts; a path that holds one (in any letter case) is left out.
    // `masks`: file name patterns; none means "*.*".
    CDupeFolderWalk(CDupeFinder& finder, const CStringArray& ignoreList, const CStringArray& masks,
                    const std::atomic<bool>& stop, DupeWalkObserver* observer);

    // Walks each location in turn (its files, then its subfolders, depth first) and marks it
    // done; false when the stop flag ended the walk.
    bool Walk(const CStringArray& locations);
    // The locations that could not be listed at all (no read rights, a drive that is gone):
    // nothing of them was searched.
    const std::vector<CString>& UnreadLocations() const { return unread_; }

private:
    struct FolderEntry {
        DupeFoundFile file;
        bool isFolder = false;
    };

    // False when the folder cannot be listed.
    bool WalkFolder(const CString& folder, const DWORD* volumeSerial);
    void RecordFiles(const CString& folder, const std::vector<FolderEntry>& entries);
    void RecordFile(const CString& folder, const DupeFoundFile& found);

    CDupeFinder& finder_;
    CDupeScanFilter filter_;
    std::vector<CString> masks_;
    const std::atomic<bool>& stop_;
    DupeWalkObserver* observer_;
    std::vector<CString> unread_;
};
