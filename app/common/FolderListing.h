// The entries of one folder with the facts the listing gives for each: name, size, times,
// attributes and, where the file system numbers its items in listings (NTFS, and Wine's drives),
// the file number. With the folder's volume serial that is an item's whole identity, so a walk
// knows what it found without opening each item.
//
// Use: read the serial once per walked location (ReadFolderVolumeSerial; below it the volume
// changes only at a reparse point, which a walk does not enter), then ListFolderItems for each
// folder. An item that is not `identified` has its identity read by opening it
// (ReadItemIdentity) when the caller needs one.
#pragma once

#include <windows.h>

#include <classlib/String.h>

#include "FileIdentity.h"

#include <vector>

struct ListedItem {
    CString name; // as the file system reports it
    // Size (0 for a folder), times, attributes and kind always; the volume serial and the file
    // number only when `identified`, and then the identity equals what an open of it reads.
    FileIdentity identity;
    bool identified = false;
    ULONGLONG lastAccessTime = 0; // FILETIME ticks; not part of the identity
};

// The serial number of the volume that holds `folder` (any form ToLiteralPath takes), as the
// identity of an item opened there records it. False when the folder cannot be opened.
[[nodiscard]] bool ReadFolderVolumeSerial(const CString& folder, DWORD& serial);

// Lists `folder` (any form ToLiteralPath takes) into `items`, without "." and "..". With
// `volumeSerial` (the folder's volume), each item the listing numbers is `identified`; without
// it none is. A folder that cannot be read through a handle is listed by a plain find, whose
// items are never identified. False when the folder cannot be listed at all (`items` empty);
// a drive with nothing on it lists nothing and is true.
[[nodiscard]] bool ListFolderItems(const CString& folder, const DWORD* volumeSerial,
                                   std::vector<ListedItem>& items);
