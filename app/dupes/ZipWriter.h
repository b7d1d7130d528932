// Writes the backup archive of removed duplicates: a zip file (PKWARE's application note) of
// deflated (level 8) or stored entries, behind a small handle-based interface. Sizes, offsets
// and entry counts beyond the classic fields go into Zip64 records.
#pragma once

#include <windows.h>

// Results of the operations; the last one is also kept module-wide.
enum ZipResult : DWORD {
    kZipOk = 0,
    kZipNoFile = 0x200,        // the archive could not be created, or a source opened or read
    kZipWriteFailed = 0x400,   // a write to the archive failed
    kZipBadArgument = 0x10000, // an empty entry name, or no archive handle
    kZipAlreadyFailed = 0x40000,
    kZipAlreadyClosed = 0x50000,
    kZipSourceChanged = 0x60000, // the source's bytes were not all there (it changed meanwhile)
    kZipWrongHandle = 0x80000,
    kZipSeekFailed = 0x2000000,
    kZipCompressorFailed = 0x5000000,
};

// What ZipAdd adds: a file's content, or a folder entry without data.
enum ZipAddKind : int { kZipAddFile = 2, kZipAddFolder = 4 };

struct ZipHandleRecord;
using HZIP = ZipHandleRecord*;

// Creates a new archive file (never replacing one); null, with the last result 0x200, when
// it cannot be created.
HZIP ZipCreate(LPCWSTR outputPath);
// Adds the file at `sourcePath` (kZipAddFile) or a folder entry (kZipAddFolder, no source)
// under `entryName` ("\" becomes "/"). A failed addition leaves no trace in the archive
// unless the archive itself failed (a write or seek error), which ends every later addition.
[[nodiscard]] DWORD ZipAdd(HZIP zip, LPCWSTR sourcePath, LPCWSTR entryName, int kind);
// Adds the content of the file open as `source` (read from its start; the handle stays the
// caller's) under `entryName`, as ZipAdd adds a file.
[[nodiscard]] DWORD ZipAddOpenFile(HZIP zip, HANDLE source, LPCWSTR entryName);
// Writes the central directory and the end records and closes the file.
[[nodiscard]] DWORD ZipClose(HZIP zip);
// Frees the handle (closing the file without finishing the archive if still open).
void ZipFree(HZIP zip);
DWORD ZipLastResult();
