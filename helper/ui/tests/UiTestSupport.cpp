#include "UiTestSupport.h"

#include "DlgParentTransculent.h"

#include "ProductIdentity.h"
#include "UiFonts.h"

BEGIN_MESSAGE_MAP(HostWindow, CWnd)
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

BOOL HostWindow::OnEraseBkgnd(CDC* dc) {
    ++m_erases;
    CRect client;
    GetClientRect(&client);
    dc->FillSolidRect(&client, m_background);
    return TRUE;
}

void SharedFontsEnvironment::SetUp() {
    SetUIFontFace(false, L"Tahoma");
    SetUIFontHeight(-12);
    CreateSharedFonts();
}

namespace {
const auto* const g_gdiPlus = ::testing::AddGlobalTestEnvironment(new GdiPlusEnvironment);
} // namespace

std::wstring BesideProgram(LPCWSTR name) {
    // Under Wine a program started from outside every drive has a relative module name; the
    // library's folder look-up falls back to the command line then.
    CString folder;
    GetModuleFolder(nullptr, folder);
    std::wstring path(folder.GetString());
    if (!path.empty() && path.back() != L'\\')
        path += L'\\';
    return path + name;
}

void DimAround(HDC dc, CSize size, const CRect& keep) {
    constexpr COLORREF kOverlay = RGB(0x40, 0x46, 0x4F);
    constexpr int kAlpha = CDlgParentTransculent::kAlpha;
    auto blend = [](int over, int under) { return (over * kAlpha + under * (255 - kAlpha)) / 255; };
    for (int y = 1; y < size.cy - 1; ++y)
        for (int x = 1; x < size.cx - 1; ++x) {
            if (keep.PtInRect(CPoint(x, y)))
                continue;
            const COLORREF under = ::GetPixel(dc, x, y);
            ::SetPixelV(dc, x, y,
                        RGB(blend(GetRValue(kOverlay), GetRValue(under)),
                            blend(GetGValue(kOverlay), GetGValue(under)),
                            blend(GetBValue(kOverlay), GetBValue(under))));
        }
}
