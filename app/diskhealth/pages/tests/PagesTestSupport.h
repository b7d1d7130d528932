// What the disk pages' tests share: the application object with the program's language file,
// simulated disks read into the tables the pages show, a host window, and reading lists back.
#pragma once

#include "DiskTestSupport.h"
#include "UiTestSupport.h"

#include <DiskToolsState.h>
#include <PhysicalDiskReader.h>

#include <string>
#include <vector>

// Texts looked up that the language files do not hold.
std::vector<std::wstring>& MissingTexts();

// Simulated disks: 0 a healthy ATA disk with S.M.A.R.T. and two volumes and an unmounted
// partition, 1 an ATA disk without S.M.A.R.T., 2 a USB stick, 3 a disk whose reads fail and
// whose reallocated sector count is past its threshold.
struct SimulatedDisks {
    SimulatedDisks();
    ~SimulatedDisks();
    // Places another disk (or replaces one) and reads the tables again.
    void Add(uint32_t number, const std::string& description);
    void Read();

    CSimDiskApi api;
    std::unique_ptr<PhysicalDiskTables> tables = std::make_unique<PhysicalDiskTables>();
    BenchmarkResults benchmark;
    DriveList drives;
    DiskToolsState state;
    std::wstring backingFile;
};

std::wstring ListText(HWND list, int row, int column);
int ListRows(HWND list);
std::wstring WindowText(HWND window);
// Picks a combo item as the user does (selection change sent to the page), then lets the
// posted refresh run.
void ChooseComboItem(CWnd* page, int comboId, int item);
// Saves the page's window as a picture beside the program.
void Photograph(CWnd* window, LPCWSTR name);
// Pumps until the condition holds or the time is up; whether it held.
bool PumpUntil(const std::function<bool()>& condition, DWORD milliseconds);
