// Small helpers the main program's pages share: sizes and counts as text, a path split into its
// parts and a data sub-folder made on demand.
#pragma once

#include <windows.h>

#include <classlib/String.h>

// The byte count with the unit its size calls for ("1.0 GB", "1023 B"); always 1.
int FormatByteSize(ULONGLONG bytes, wchar_t* buffer, int capacity);
CString ByteSizeText(ULONGLONG bytes);

// The value with the user's digit grouping; answers the buffer.
wchar_t* FormatInt64(LONGLONG value, wchar_t* buffer, int capacity);
CString GroupedNumberText(ULONGLONG value);

struct SplitPathRecord {
    wchar_t path[520];
    wchar_t drive[3];
    wchar_t directory[260];
    wchar_t fileName[260];
    wchar_t extension[260];
};

// Copies the path (cut at 519 characters) and splits it; an empty path leaves the record alone.
void SplitPathInto(SplitPathRecord& record, const wchar_t* path);

// base\name\ (one backslash between and one at the end), created when missing.
CString MakeDataSubfolder(const CString& base, const CString& name);

// Dispatches every message waiting in the thread's queue.
void PumpWaitingMessages();
