#include "StoredClusterMap.h"

#include "DefragRpcClient.h"

void CStoredClusterMap::EnsureBlockCount(int count) {
    if (BlockCount() != count)
        m_cells.assign(static_cast<size_t>(count), ClusterMapBlock{});
}

bool CStoredClusterMap::Upload() const {
    return Exists() && SafeRpcSetClusterMap(m_cells.data(), BlockCount()) == kRpcDone;
}

CStoredClusterMap& TheStoredClusterMap() {
    static CStoredClusterMap map;
    return map;
}
