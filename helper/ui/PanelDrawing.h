// The boxed panels of the result and summary pages: bar frames, rounded panels, table boxes,
// label-and-value tables, the summary panel and the action-required panel.
#pragma once

#include <windows.h>

#include <classlib/Array.h>
#include <classlib/Gdi.h>
#include <classlib/String.h>

using CIconArray = CArray<HICON, HICON>;

// One summary panel; rows are drawn while every array has an entry for them.
struct SummaryLayout {
    CDC* dc = nullptr;
    int x = 0;
    int y = 0;
    int height = 0;
    CString title;
    int headerBitmapId = 0;
    const CIconArray* icons = nullptr;
    const CStringArray* labels = nullptr;
    const CStringArray* values = nullptr;
    const CDWordArray* valueColours = nullptr;
    CString footer1;
    CString footer2;
    // 545: the gradient panel; any other width the plain one.
    int width = 545;
};

void DrawPanelFrame(CDC* dc, int x, int y, BOOL highlighted, BOOL piece);
void DrawPanelFrameEx(CDC* dc, int x, int y, BOOL highlighted, int width);
void DrawRoundedPanel(CDC* dc, int x, int y, int bottom, int width);
void DrawRoundedPanelPlain(CDC* dc, int x, int y, int bottom, int width);
void DrawTableBox(CDC* dc, int x, int y, int bottom);
void DrawLabelValueTable(CDC* dc, int x, int y, int rows, CString title, const CStringArray& labels,
                         const CStringArray& values, const CDWordArray& colours);
void DrawSummaryPanel(SummaryLayout layout);
void DrawActionRequiredPanel(CDC* dc, CString message, CString firstDetail, CString secondDetail);
