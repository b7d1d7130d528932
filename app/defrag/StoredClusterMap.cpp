#include "StoredClusterMap.h"

void CStoredClusterMap::EnsureBlockCount(int count) {
    if (BlockCount() != count)
        m_cells.assign(static_cast<size_t>(count), ClusterMapBlock{});
}

CStoredClusterMap& TheStoredClusterMap() {
    static CStoredClusterMap map;
    return map;
}
