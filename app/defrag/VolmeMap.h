// CVolmeMap: the volume as a grid of 9-pixel cells, each coloured by what its share of the
// clusters mostly holds, drawn from the last cluster map the page read from the service.
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
    // The cells to draw from now on (fewer than the grid's are drawn free) and a repaint.
    void ShowCells(std::vector<ClusterMapBlock> cells);
    const std::vector<ClusterMapBlock>& Cells() const { return m_cells; }
    void DrawItem(LPDRAWITEMSTRUCT draw) override;

private:
    CBitmap m_cellStrip;
    std::vector<ClusterMapBlock> m_cells;
    int m_columns = 0;
    int m_rows = 0;
};
