#include "UiTestSupport.h"

#include "DlgParentTransculent.h"

#include "product_identity.h"
#include "ui_fonts.h"

#include <vector>

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

bool SaveScreenPng(const RECT& rect, LPCWSTR path, const std::function<void(HDC)>& retouch) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const HDC screen = ::GetDC(nullptr);
    const HDC memory = ::CreateCompatibleDC(screen);
    const HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    const HGDIOBJ previous = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    if (retouch)
        retouch(memory);
    ::SelectObject(memory, previous);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    CLSID png{};
    UINT count = 0, size = 0;
    Gdiplus::GetImageEncodersSize(&count, &size);
    std::vector<BYTE> buffer(size);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    Gdiplus::GetImageEncoders(count, size, encoders);
    for (UINT i = 0; i < count; ++i)
        if (lstrcmpW(encoders[i].MimeType, L"image/png") == 0)
            png = encoders[i].Clsid;
    bool saved = false;
    {
        Gdiplus::Bitmap image(bitmap, nullptr);
        saved = image.Save(path, &png, nullptr) == Gdiplus::Ok;
    }
    ::DeleteObject(bitmap);
    return saved;
}

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
