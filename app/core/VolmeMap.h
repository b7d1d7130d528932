// CVolmeMap: the volume as a grid of 9-pixel cells, each coloured by what its share of the
// clusters mostly holds, drawn from the service's cluster map; and the program's copy of the
// last map drawn, which a defragmentation of the same drive starts from.
#pragma once

#include "DefragRecords.h"

#include <classlib/Controls.h>
#include <classlib/Gdi.h>

#include <vector>

// The looks of the cell strip, in strip order.
enum CellLook {
    kLookFree = 0,
    kLookOtherUsed = 1,
    kLookContiguous = 2,
    kLookFragmented = 3,
    kLookMftZone = 4,
    kLookUnused = 5, // in the strip, drawn by no cell
};

// The look of one cell from its counts; ties go to the earlier look.
CellLook ChooseCellLook(const ClusterMapBlock& cell);

// The last map drawn, kept for the whole program.
class CStoredClusterMap {
public:
    bool Exists() const { return !m_cells.empty(); }
    int BlockCount() const { return static_cast<int>(m_cells.size()); }
    const std::vector<ClusterMapBlock>& Cells() const { return m_cells; }
    // Zeroed cells of `count` unless the map already has that many.
    void EnsureBlockCount(int count);
    void Replace(const std::vector<ClusterMapBlock>& cells) { m_cells = cells; }
    // Hands the map to the service (it starts a defragmentation from it); false when there is
    // none or the service refused it.
    [[nodiscard]] bool Upload() const;

private:
    std::vector<ClusterMapBlock> m_cells;
};

CStoredClusterMap& TheStoredClusterMap();

class CVolmeMap : public CButton {
    DECLARE_DYNAMIC(CVolmeMap)
public:
    static constexpr int kCellPitch = 9; // cells overlap by their shared 1-pixel border
    static constexpr int kCellSize = 10;

    // Columns × rows, fixed by the first call that finds the control with a size: the service
    // computes that many cells.
    int GetBlockCount();
    int Columns() const { return m_columns; }
    int Rows() const { return m_rows; }
    void DrawItem(LPDRAWITEMSTRUCT draw) override;

private:
    CBitmap m_cellStrip;
    int m_columns = 0;
    int m_rows = 0;
};
