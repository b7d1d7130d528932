#include "StaticBenchmark.h"

#include <SelectedFont.h>
#include <SkinPaintDC.h>
#include <UiFonts.h>

#include <algorithm>

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kBlue = 0xFF0000;
constexpr COLORREF kGrey = 0x808080;
constexpr COLORREF kLightGrey = 0xC8C8C8;
constexpr COLORREF kBorder = 0xEDDAC5;
constexpr COLORREF kDot = 0x0060D0;
constexpr uint64_t kScaleStep = 10485760; // 10 MiB/s
constexpr uint64_t kGridStep = 5242880;   // 5 MiB/s
constexpr uint64_t kEmptyScale = 52428800;
// Room for four-digit rates on the left and the millisecond labels on the right; the two
// together keep the plot's width, which sets the benchmark's point count.
constexpr int kLeftMargin = 38;
constexpr int kRightMargin = 42;
// More bands than this would run together: the band then spans several grid steps.
constexpr uint64_t kMostBands = 20;
constexpr int kTopMargin = 22;
constexpr int kBottomMargin = 8;

struct PenOf {
    PenOf(CDC& dc, COLORREF colour) : pen(PS_SOLID, 1, colour), dc(dc) {
        previous = dc.SelectObject(&pen);
    }
    ~PenOf() { dc.SelectObject(previous); }
    CPen pen;
    CDC& dc;
    CPen* previous;
};

void Line(CDC& dc, int x1, int y1, int x2, int y2) {
    dc.MoveTo(x1, y1);
    dc.LineTo(x2, y2);
}

} // namespace

BEGIN_MESSAGE_MAP(CStaticBenchmark, CStatic)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

void CStaticBenchmark::SetSource(const BenchmarkResults* results, uint64_t totalSectors) {
    m_results = results;
    m_totalSectors = totalSectors;
}

CRect CStaticBenchmark::PlotRect() const {
    CRect client;
    GetClientRect(&client);
    return CRect(kLeftMargin, kTopMargin, std::max<int>(kLeftMargin, client.right - kRightMargin),
                 std::max<int>(kTopMargin, client.bottom - kBottomMargin));
}

int CStaticBenchmark::PlotWidth() const {
    return PlotRect().Width();
}

void CStaticBenchmark::OnPaint() {
    CSkinPaintDC memory(this);
    const CRect& client = memory.Client();
    Draw(memory, client);
}

void CStaticBenchmark::Draw(CDC& dc, const CRect& client) {
    const CRect plot = PlotRect();
    {
        PenOf border(dc, kBorder);
        dc.SelectStockObject(NULL_BRUSH);
        dc.Rectangle(&client);
    }
    CSelectedFont font(dc.GetSafeHdc(), static_cast<HFONT>(g_fontUI.GetSafeHandle()));
    dc.SetBkMode(TRANSPARENT);

    // The rates up to the first 0 set the scale.
    uint32_t points = 0;
    uint32_t maximum = 0;
    if (m_results && m_results->sequentialRates) {
        for (; points < m_results->sequentialPointCount && m_results->sequentialRates[points] != 0;
             ++points)
            maximum = std::max(maximum, m_results->sequentialRates[points]);
    }
    const uint64_t scale = points > 0 ? (maximum / kScaleStep + 1) * kScaleStep : kEmptyScale;
    const int height = plot.Height();
    auto yOfRate = [&](uint64_t rate) {
        return plot.bottom - static_cast<int>(rate * height / scale);
    };

    // Horizontal grid in the two greys in turn, labelled in MB/s on the left.
    dc.SetTextColor(kGrey);
    const uint64_t bandStep = kGridStep * ((scale / kGridStep + kMostBands - 1) / kMostBands);
    int band = 0;
    for (uint64_t rate = 0; rate <= scale; rate += bandStep, ++band) {
        const int y = yOfRate(rate);
        PenOf pen(dc, band % 2 ? kLightGrey : kGrey);
        Line(dc, plot.left, y, plot.right, y);
        if (band % 2 == 0) {
            CString label;
            label.Format(L"%I64u", rate / 1048576);
            CRect text(0, y - 7, plot.left - 4, y + 7);
            dc.DrawText(label, &text, DT_RIGHT | DT_SINGLELINE | DT_VCENTER);
        }
    }
    CRect unit(3, 0, plot.left + 40, plot.top - 6);
    dc.DrawText(L"MB/s", &unit, DT_LEFT | DT_SINGLELINE | DT_BOTTOM);
    // Vertical grid at every 5 % of the width.
    {
        PenOf pen(dc, kLightGrey);
        for (int step = 0; step <= 20; ++step) {
            const int x = plot.left + plot.Width() * step / 20;
            Line(dc, x, plot.top, x, plot.bottom);
        }
    }
    // One bar per point, one pixel wide.
    if (points > 0) {
        PenOf pen(dc, kBlue);
        for (uint32_t i = 0; i < points && plot.left + static_cast<int>(i) < plot.right; ++i) {
            const int x = plot.left + static_cast<int>(i);
            Line(dc, x, yOfRate(m_results->sequentialRates[i]), x, plot.bottom);
        }
    }
    // Random access times: dots across the disk, on a millisecond scale on the right.
    if (m_results && m_results->randomSamples && m_totalSectors > 0) {
        uint32_t samples = 0;
        double longest = 0;
        for (; samples < m_results->randomSampleCount &&
               m_results->randomSamples[samples].milliseconds != 0;
             ++samples)
            longest = std::max(longest, m_results->randomSamples[samples].milliseconds);
        if (samples > 0) {
            const int msScale = (static_cast<int>(longest) + 1) / 5 * 5 + 5;
            for (uint32_t i = 0; i < samples; ++i) {
                const RandomAccessSample& sample = m_results->randomSamples[i];
                const int x = plot.left + static_cast<int>(static_cast<double>(plot.Width()) *
                                                           static_cast<double>(sample.sector) /
                                                           static_cast<double>(m_totalSectors));
                const int y =
                    plot.bottom - static_cast<int>(sample.milliseconds * height / msScale);
                CRect dot(x, y - 1, x + 2, y + 1);
                dc.FillSolidRect(&dot, kDot);
            }
            dc.SetTextColor(kDot);
            for (int ms = 0; ms <= msScale; ms += std::max(1, msScale / 5)) {
                const int y = plot.bottom - ms * height / msScale;
                CString label;
                label.Format(L"%d ms", ms);
                CRect text(plot.right + 3, y - 7, client.right - 1, y + 7);
                dc.DrawText(label, &text, DT_LEFT | DT_SINGLELINE | DT_VCENTER);
            }
        }
    }
    PenOf frame(dc, kBlack);
    dc.SelectStockObject(NULL_BRUSH);
    dc.Rectangle(plot.left, plot.top, plot.right + 1, plot.bottom + 1);
}
