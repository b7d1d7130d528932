#include "UiFonts.h"

#include "CritSecLock.h"
#include "Paths.h"
#include "SharedGlobals.h"
#include "SystemInfo.h"

int g_nUIFontHeight = -12;
BYTE g_nUICharset = 0;

CFont g_fontUI;
CFont g_fontUIUnderline;
CFont g_fontUIBoldUnderline;
CFont g_fontUIBold;
CFont g_fontUILarge;
CFont g_fontUILargeMedium;
CFont g_fontUILargeRegular;
CFont g_fontUILargeUnderline;
CFont g_fontMinus1;
CFont g_fontMinus1Bold;
CFont g_fontMinus2;
CFont g_fontPlus6Bold;
CFont g_fontPlus6BoldItalic;
CFont g_fontPlus9;
CFont g_fontPlus6;
CFont g_fontPlus4MediumUnderline;
CFont g_fontPlus4Bold;
CFont g_fontPlus4Medium;
CFont g_fontPlus2Medium;
CFont g_fontPlus8Medium;
CFont g_fontPlus8Bold;
CFont g_fontPlus13Medium;
CFont g_fontTitleMedium;
CFont g_fontTitleBold;

namespace {

// Guards the face text, which windows on any thread read through GetDefaultLogFont.
CCritSecLock g_fontLock;

bool IsSegoeFace(const CString& face) {
    CString upper = face;
    upper.MakeUpper();
    return upper.Find(L"SEG") == 0;
}

// How a shared font differs from the default record.
enum class Height { Ui, Offset, Title };
enum class Weight { Normal, Medium, MediumFromVista, Bold, BoldFromVista };
struct SharedFont {
    CFont* font;
    Height height;
    int offset; // units further from zero than the UI height (negative: nearer)
    Weight weight;
    bool italic;
    bool underline;
};

// In the order they are made; from row 12 on, older systems without Segoe UI use Arial.
const SharedFont kSharedFonts[] = {
    {&g_fontUI, Height::Ui, 0, Weight::Normal, false, false},
    {&g_fontUIUnderline, Height::Ui, 0, Weight::Normal, false, true},
    {&g_fontUIBoldUnderline, Height::Ui, 0, Weight::Bold, false, true},
    {&g_fontUIBold, Height::Ui, 0, Weight::Bold, false, false},
    {&g_fontUILarge, Height::Offset, 1, Weight::Bold, false, false},
    {&g_fontUILargeMedium, Height::Offset, 1, Weight::MediumFromVista, false, false},
    {&g_fontUILargeRegular, Height::Offset, 1, Weight::Normal, false, false},
    {&g_fontUILargeUnderline, Height::Offset, 1, Weight::Normal, false, true},
    {&g_fontMinus1, Height::Offset, -1, Weight::Normal, false, false},
    {&g_fontMinus1Bold, Height::Offset, -1, Weight::Bold, false, false},
    {&g_fontMinus2, Height::Offset, -2, Weight::Normal, false, false},
    {&g_fontPlus6Bold, Height::Offset, 6, Weight::Bold, false, false},
    {&g_fontPlus6BoldItalic, Height::Offset, 6, Weight::Bold, true, false},
    {&g_fontPlus9, Height::Offset, 9, Weight::Normal, false, false},
    {&g_fontPlus6, Height::Offset, 6, Weight::Normal, false, false},
    {&g_fontPlus4MediumUnderline, Height::Offset, 4, Weight::MediumFromVista, false, true},
    {&g_fontPlus4Bold, Height::Offset, 4, Weight::BoldFromVista, false, false},
    {&g_fontPlus4Medium, Height::Offset, 4, Weight::MediumFromVista, false, false},
    {&g_fontPlus2Medium, Height::Offset, 2, Weight::MediumFromVista, false, false},
    {&g_fontPlus8Medium, Height::Offset, 8, Weight::MediumFromVista, false, false},
    {&g_fontPlus8Bold, Height::Offset, 8, Weight::Bold, false, false},
    {&g_fontPlus13Medium, Height::Offset, 13, Weight::MediumFromVista, false, false},
    {&g_fontTitleMedium, Height::Title, 0, Weight::Medium, false, false},
    {&g_fontTitleBold, Height::Title, 0, Weight::Bold, false, false},
};
constexpr int kFirstArialRow = 11; // row 12, counted from 0

LONG HeightOf(const SharedFont& row, LONG uiHeight) {
    switch (row.height) {
    case Height::Ui:
        return uiHeight;
    case Height::Title:
        return -15;
    case Height::Offset:
        break;
    }
    return uiHeight < 0 ? uiHeight - row.offset : uiHeight + row.offset;
}

LONG WeightOf(const SharedFont& row, bool vistaOrLater) {
    switch (row.weight) {
    case Weight::Normal:
        return FW_NORMAL;
    case Weight::Medium:
        return FW_MEDIUM;
    case Weight::MediumFromVista:
        return vistaOrLater ? FW_MEDIUM : FW_NORMAL;
    case Weight::Bold:
        return FW_BOLD;
    case Weight::BoldFromVista:
        return vistaOrLater ? FW_BOLD : FW_NORMAL;
    }
    return FW_NORMAL;
}

} // namespace

void SetUIFontFace(bool probe, LPCWSTR face) {
    CString chosen(face);
    wchar_t windowsFolder[MAX_PATH] = {};
    if (probe && GetWindowsDirectoryW(windowsFolder, MAX_PATH) != 0 && windowsFolder[0] != 0) {
        CString fontFile(windowsFolder);
        AppendPath(fontFile, L"FONTS\\SEGOEUI.TTF");
        if (PathExists(fontFile) || GetOsMajorVersion() > 5)
            chosen = L"SEGOE UI";
    }
    CCritSecGuard guard(g_fontLock);
    g_strUIFontFace = chosen;
}

CString GetUIFontFace() {
    CCritSecGuard guard(g_fontLock);
    return g_strUIFontFace;
}

int SetUIFontHeight(int height) {
    return g_nUIFontHeight = height;
}

int GetUIFontHeight() {
    return g_nUIFontHeight;
}

BYTE SetUICharset(BYTE charset) {
    return g_nUICharset = charset;
}

BYTE GetUICharset() {
    return g_nUICharset;
}

void GetDefaultLogFont(LOGFONTW* logFont) {
    CCritSecGuard guard(g_fontLock);
    *logFont = LOGFONTW{};
    logFont->lfCharSet = GetUICharset();
    logFont->lfHeight = GetUIFontHeight();
    logFont->lfWeight = FW_NORMAL;
    logFont->lfQuality = CLEARTYPE_QUALITY;
    // A face longer than the record holds is cut, never written past the record.
    lstrcpynW(logFont->lfFaceName, g_strUIFontFace, LF_FACESIZE);
}

void CreateSharedFonts() {
    LOGFONTW record;
    GetDefaultLogFont(&record);
    const LONG uiHeight = record.lfHeight;
    const DWORD osMajor = GetOsMajorVersion();
    const bool vistaOrLater = osMajor >= 6;
    const bool arialForLargeFonts = osMajor < 6 && !IsSegoeFace(record.lfFaceName);
    int row = 0;
    for (const SharedFont& font : kSharedFonts) {
        record.lfHeight = HeightOf(font, uiHeight);
        record.lfWeight = WeightOf(font, vistaOrLater);
        record.lfItalic = font.italic;
        record.lfUnderline = font.underline;
        if (row++ == kFirstArialRow && arialForLargeFonts)
            lstrcpynW(record.lfFaceName, L"Arial", LF_FACESIZE);
        font.font->DeleteObject();
        font.font->CreateFontIndirect(&record);
    }
}

// The UI font height the application starts with: the larger size for Vista and later and
// for Segoe UI, which is drawn smaller than Tahoma.
int DefaultUIFontHeight() {
    if (GetOsMajorVersion() >= 6)
        return -12;
    return IsSegoeFace(GetUIFontFace()) ? -12 : -11;
}
