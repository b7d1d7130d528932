#include "DiskToolsState.h"

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
