// CVolmeMap: the volume as a grid of 9-pixel cells, each coloured by what its share of the
// clusters mostly holds, drawn from the service's cluster map.
#pragma once

#include "DefragRecords.h"

#include <classlib/Controls.h>
#include <classlib/Gdi.h>

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
    void DrawItem(LPDRAWITEMSTRUCT draw) override;

private:
    CBitmap m_cellStrip;
    int m_columns = 0;
    int m_rows = 0;
};
