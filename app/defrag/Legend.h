// CLegend: one swatch of the cluster map's legend, a bitmap drawn 1:1 from its top-left corner.
#pragma once

#include <classlib/Controls.h>
#include <classlib/Gdi.h>

class CLegend : public CButton {
    DECLARE_DYNAMIC(CLegend)
public:
    [[nodiscard]] BOOL LoadLegendBitmap(UINT id);
    void DrawItem(LPDRAWITEMSTRUCT draw) override;

private:
    CBitmap m_swatch;
};
