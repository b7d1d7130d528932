// The skin images the side-panel and launcher buttons share: made empty when the library
// loads, filled by the first button that needs them, freed when the library unloads.
#pragma once

#include "GdiPlusBitmapResource.h"
#include "STBitmap.h"
#include "XarnHelperApi.h"

#include <classlib/Gdi.h>

struct SharedSkinPngs {
    CGdiPlusBitmapResource leftSideIcons;     // 1364: 24 x 24 cells; row 0 normal, 1 selected
    CGdiPlusBitmapResource leftSideHover;     // 1357
    CGdiPlusBitmapResource leftSideSelected;  // 1358
    CGdiPlusBitmapResource launcherHover;     // 1355
    CGdiPlusBitmapResource launcherSelected;  // 1356
    CGdiPlusBitmapResource bigButtonHover;    // 1353
    CGdiPlusBitmapResource bigButtonSelected; // 1354
    CGdiPlusBitmapResource programHover;      // 1353
    CGdiPlusBitmapResource statusAttention;   // 1348, status 0
    CGdiPlusBitmapResource statusProblem;     // 1374, status 1
    CGdiPlusBitmapResource statusGood;        // 1352, status 2
};
SharedSkinPngs& SkinPngs();
// The left panel's background (1096), loaded by the first side button that paints.
CSTBitmap& LeftPanelBitmap();
// Loads `png` from the resource library unless it holds an image.
void LoadSkinPngOnce(CGdiPlusBitmapResource& png, UINT id);
