// What the disk tools' pages use of the application object: the physical-disk tables, the
// benchmark's figures, the disk layer the tables were read through and the fixed drives. The
// application registers its members once, before the main window creates the pages.
#pragma once

#include "BenchmarkResults.h"
#include "PhysicalDiskTable.h"

#include <DiskApi.h>
#include <Drive.h>

struct DiskToolsState {
    PhysicalDiskTables* tables = nullptr;
    BenchmarkResults* benchmark = nullptr;
    CDiskApi* api = nullptr;
    const DriveList* drives = nullptr;
    // The share of each sequential step of the benchmark that is read, in per cent.
    uint32_t sampleSharePercent = 10;
};

// The state stays the caller's; null unregisters it.
void SetDiskToolsState(DiskToolsState* state);
// The registered state, or an empty one (no tables, no drives) when none is registered.
DiskToolsState& GetDiskToolsState();

// Registers the application's tables and fixed drives with a disk layer configured as the one
// that read the tables (simulated disks when configured) and the benchmark's figures, both kept
// for the rest of the process.
void RegisterApplicationDiskTools(PhysicalDiskTables& tables, const DriveList& drives);
