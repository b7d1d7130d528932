// Drawing objects, texts and window messages the library makes when it loads.
#pragma once

#include <windows.h>

#include <classlib/String.h>

#include "XarnHelperApi.h"

extern XARNHELPER_DATA HBRUSH g_hbrWhite;    // 0xFFFFFF
extern XARNHELPER_DATA HBRUSH g_hbrOffWhite; // 0xFBFBFB
extern XARNHELPER_DATA HBRUSH g_hbrHollow;
extern XARNHELPER_DATA CString g_strUIFontFace;
// Hands the scheduling switches to a running instance.
extern XARNHELPER_DATA UINT g_msgSchedulerHandOff;
extern XARNHELPER_DATA UINT g_msgTaskbarCreated;
// Places of the launcher buttons' parts.
extern XARNHELPER_DATA const RECT g_rcLauncher[6];
