#include "VolmeMap.h"

#include "DefragPagesRes.h"

#include <classlib/Resources.h>

#include <utility>

IMPLEMENT_DYNAMIC(CVolmeMap, CButton)

CellLook ChooseCellLook(const ClusterMapBlock& cell) {
    const uint64_t free = cell.freeClusters;
    const uint64_t other = cell.otherUsedClusters;
    const uint64_t contiguous = cell.contiguousClusters;
    const uint64_t fragmented = cell.fragmentedClusters;
    const uint64_t mft = cell.mftZoneClusters;
    const uint64_t files = contiguous + fragmented + mft;
    if (other > 0 && other >= free && other >= files)
        return kLookOtherUsed;
    if (files < free)
        return kLookFree;
    if (contiguous > 0 && contiguous >= fragmented && contiguous >= mft)
        return kLookContiguous;
    if (fragmented > 0 && fragmented >= mft)
        return kLookFragmented;
    if (mft > 0)
        return kLookMftZone;
    return kLookFree;
}

int CVolmeMap::GetBlockCount() {
    if (m_columns == 0 || m_rows == 0) {
        CRect client;
        GetClientRect(&client);
        m_columns = client.Width() / kCellPitch;
        m_rows = client.Height() / kCellPitch;
        // A control not yet laid out fixes nothing: a count of 0 would be refused by the service.
        if (m_columns == 0 || m_rows == 0)
            m_columns = m_rows = 0;
    }
    if (m_cellStrip.GetSafeHandle() == nullptr)
        m_cellStrip.LoadBitmap(IDB_MAP_CELLS);
    return m_columns * m_rows;
}

void CVolmeMap::ShowCells(std::vector<ClusterMapBlock> cells) {
    m_cells = std::move(cells);
    if (GetSafeHwnd() != nullptr)
        Invalidate(FALSE);
}

void CVolmeMap::DrawItem(LPDRAWITEMSTRUCT draw) {
    const int count = GetBlockCount();
    CDC* target = CDC::FromHandle(draw->hDC);
    const CRect item(draw->rcItem);
    // Cells the page has not read (yet) are drawn free.
    std::vector<ClusterMapBlock> cells = m_cells;
    cells.resize(static_cast<size_t>(count));

    // Drawn off screen and copied once, so the grid does not flicker while the job runs.
    CDC canvas;
    CDC strip;
    CBitmap image;
    if (!canvas.CreateCompatibleDC(target) || !strip.CreateCompatibleDC(target) ||
        !image.CreateCompatibleBitmap(target, item.Width(), item.Height()))
        return;
    CBitmap* previousImage = canvas.SelectObject(&image);
    canvas.FillSolidRect(CRect(0, 0, item.Width(), item.Height()), RGB(255, 255, 255));
    CBitmap* previousStrip = strip.SelectObject(&m_cellStrip);
    for (int row = 0; row < m_rows; ++row)
        for (int column = 0; column < m_columns; ++column) {
            const CellLook look =
                ChooseCellLook(cells[static_cast<size_t>(row * m_columns + column)]);
            canvas.BitBlt(column * kCellPitch, row * kCellPitch, kCellSize, kCellSize, &strip,
                          look * kCellPitch, 0, SRCCOPY);
        }
    target->BitBlt(item.left, item.top, item.Width(), item.Height(), &canvas, 0, 0, SRCCOPY);
    strip.SelectObject(previousStrip);
    canvas.SelectObject(previousImage);
}
