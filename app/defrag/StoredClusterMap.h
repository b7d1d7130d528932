// The program's copy of the last cluster map drawn, which a defragmentation of the same drive
// starts from.
#pragma once

#include "DefragRecords.h"

#include <vector>

class CStoredClusterMap {
public:
    bool Exists() const { return !m_cells.empty(); }
    int BlockCount() const { return static_cast<int>(m_cells.size()); }
    const std::vector<ClusterMapBlock>& Cells() const { return m_cells; }
    // Zeroed cells of `count` unless the map already has that many.
    void EnsureBlockCount(int count);
    void Replace(const std::vector<ClusterMapBlock>& cells) { m_cells = cells; }

private:
    std::vector<ClusterMapBlock> m_cells;
};

// The one map of the whole program.
CStoredClusterMap& TheStoredClusterMap();
