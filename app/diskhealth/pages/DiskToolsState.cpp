#include "DiskToolsState.h"

#include "SimulatedDiskConfig.h"

namespace {
DiskToolsState* g_registered = nullptr;
} // namespace

void SetDiskToolsState(DiskToolsState* state) {
    g_registered = state;
}

DiskToolsState& GetDiskToolsState() {
    static DiskToolsState empty;
    return g_registered ? *g_registered : empty;
}

void RegisterApplicationDiskTools(PhysicalDiskTables& tables, const DriveList& drives) {
    static std::unique_ptr<CDiskApi> api;
    static BenchmarkResults benchmark;
    static DiskToolsState state;
    if (!api)
        api = CreateConfiguredDiskApi();
    state.tables = &tables;
    state.drives = &drives;
    state.api = api.get();
    state.benchmark = &benchmark;
    SetDiskToolsState(&state);
}
