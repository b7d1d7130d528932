// The saved last-scan files in a folder: the newest five listed (older ones deleted), one
// loaded into the finder, one removed.
#pragma once

#include <windows.h>

#include <classlib/String.h>

#include "DupeFinder.h"

#include <vector>

constexpr size_t kLastScanFilesKept = 5;

// The names (without ".dat") of the newest five result files in `folder`, newest first by
// creation time; every older result file there is deleted.
std::vector<CString> RefreshLastScanFiles(const CString& folder);

enum class LastScanLoad { kLoaded, kEmpty, kDamaged, kOutsideLocations, kNotOpened };
// Loads the result file `name` (without ".dat") of `folder` into the finder; anything but
// kLoaded leaves the finder as it was.
[[nodiscard]] LastScanLoad LoadLastScanFile(CDupeFinder& finder, const CString& folder,
                                            const CString& name);
// Deletes the result file `name` (without ".dat") of `folder`.
[[nodiscard]] bool RemoveLastScanFile(const CString& folder, const CString& name);
