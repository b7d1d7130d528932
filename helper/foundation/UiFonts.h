// The user-interface font: face, height and character set, the default font record every
// window builds its fonts from, and the shared fonts made at start-up.
#pragma once

#include <windows.h>

#include <classlib/Gdi.h>
#include <classlib/String.h>

#include "XarnHelperApi.h"

extern XARNHELPER_DATA int g_nUIFontHeight; // logical units; negative: character height
extern XARNHELPER_DATA BYTE g_nUICharset;

// With probe, the face becomes "SEGOE UI" where that font is installed or the system is
// Windows Vista or later.
void SetUIFontFace(bool probe, LPCWSTR face);
CString GetUIFontFace();
int SetUIFontHeight(int height);
int GetUIFontHeight();
BYTE SetUICharset(BYTE charset);
BYTE GetUICharset();
// The UI font as a record: height, character set and face, normal weight, ClearType.
void GetDefaultLogFont(LOGFONTW* logFont);

// Makes the shared fonts below from the default record (again, when they exist).
void CreateSharedFonts();

extern XARNHELPER_DATA CFont g_fontUI;
extern XARNHELPER_DATA CFont g_fontUIUnderline;
extern XARNHELPER_DATA CFont g_fontUIBoldUnderline;
extern XARNHELPER_DATA CFont g_fontUIBold;
extern XARNHELPER_DATA CFont g_fontUILarge;
extern XARNHELPER_DATA CFont g_fontUILargeMedium;
extern XARNHELPER_DATA CFont g_fontUILargeRegular;
extern XARNHELPER_DATA CFont g_fontUILargeUnderline;
extern XARNHELPER_DATA CFont g_fontMinus1;
extern XARNHELPER_DATA CFont g_fontMinus1Bold;
extern XARNHELPER_DATA CFont g_fontMinus2;
extern XARNHELPER_DATA CFont g_fontPlus6Bold;
extern XARNHELPER_DATA CFont g_fontPlus6BoldItalic;
extern XARNHELPER_DATA CFont g_fontPlus9;
extern XARNHELPER_DATA CFont g_fontPlus6;
extern XARNHELPER_DATA CFont g_fontPlus4MediumUnderline;
extern XARNHELPER_DATA CFont g_fontPlus4Bold;
extern XARNHELPER_DATA CFont g_fontPlus4Medium;
extern XARNHELPER_DATA CFont g_fontPlus2Medium;
extern XARNHELPER_DATA CFont g_fontPlus8Medium;
extern XARNHELPER_DATA CFont g_fontPlus8Bold;
extern XARNHELPER_DATA CFont g_fontPlus13Medium;
extern XARNHELPER_DATA CFont g_fontTitleMedium;
extern XARNHELPER_DATA CFont g_fontTitleBold;

// The UI font height the application starts with for the current face and system.
int DefaultUIFontHeight();
