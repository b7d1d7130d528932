// CStaticBenchmark: the benchmark's graph: the sequential rates as one bar per point over a
// grid in MB/s, and the random access times as dots across the disk.
#pragma once

#include "BenchmarkResults.h"

#include <classlib/Controls.h>

class CStaticBenchmark : public CStatic {
    DECLARE_MESSAGE_MAP()
public:
    // The figures to draw (may be null) and the size of the drive they were measured on.
    void SetSource(const BenchmarkResults* results, uint64_t totalSectors);
    // The number of sequential points the plot has room for: one per pixel column.
    int PlotWidth() const;
    // The plot inside the control's client area (room for the scales' labels).
    CRect PlotRect() const;

protected:
    void OnPaint();
    BOOL OnEraseBkgnd(CDC*) { return TRUE; }
    void Draw(CDC& dc, const CRect& client);

    const BenchmarkResults* m_results = nullptr;
    uint64_t m_totalSectors = 0;
};
