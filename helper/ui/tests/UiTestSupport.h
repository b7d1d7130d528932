// What the window framework's tests share: GDI+ started for the program, memory canvases
// whose pixels can be read, a visible host window, and pumping messages for a bounded time.
#pragma once

#include <windows.h>

#include <objidl.h>

#include <gdiplus.h>

#include <classlib/Classlib.h>
#include <owners/WinOwners.h>

#include <gtest/gtest.h>

#include "ScreenPng.h"

#include <cstdlib>
#include <functional>
#include <string>

// GDI+ for the whole test program, as the application object starts it.
class GdiPlusEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&m_token, &input, nullptr);
    }
    void TearDown() override { Gdiplus::GdiplusShutdown(m_token); }

private:
    ULONG_PTR m_token = 0;
};

// The shared UI fonts, as the application object makes them at start-up (Tahoma, 12 pixels).
class SharedFontsEnvironment : public ::testing::Environment {
public:
    void SetUp() override;
};

// A 32-bit memory bitmap selected into a memory context, filled with one colour.
class Canvas {
public:
    Canvas(int width, int height, COLORREF fill = RGB(255, 255, 255))
        : m_width(width), m_height(height) {
        const HDC screen = ::GetDC(nullptr);
        m_dc.Attach(::CreateCompatibleDC(screen));
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        m_bitmap.Reset(::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        ::ReleaseDC(nullptr, screen);
        m_previous = ::SelectObject(m_dc.m_hDC, m_bitmap.Get());
        Fill(fill);
    }
    ~Canvas() { ::SelectObject(m_dc.m_hDC, m_previous); }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    CDC* DC() { return &m_dc; }
    HDC Handle() const { return m_dc.m_hDC; }
    COLORREF Pixel(int x, int y) const { return ::GetPixel(m_dc.m_hDC, x, y); }
    void Fill(COLORREF colour) {
        RECT all{0, 0, m_width, m_height};
        m_dc.FillSolidRect(&all, colour);
    }
    // Pixels in the rectangle that differ from `background`.
    int CountNot(COLORREF background, RECT area) const {
        int count = 0;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                count += Pixel(x, y) != background ? 1 : 0;
        return count;
    }
    int CountNot(COLORREF background) const {
        return CountNot(background, RECT{0, 0, m_width, m_height});
    }
    // Pixels in the rectangle of exactly `colour`.
    int Count(COLORREF colour, RECT area) const {
        int count = 0;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                count += Pixel(x, y) == colour ? 1 : 0;
        return count;
    }
    // Pixels in the rectangle within 40 of `colour` in each channel.
    int CountNear(COLORREF colour, RECT area) const {
        int count = 0;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x) {
                const COLORREF c = Pixel(x, y);
                count += abs(GetRValue(c) - GetRValue(colour)) < 40 &&
                                 abs(GetGValue(c) - GetGValue(colour)) < 40 &&
                                 abs(GetBValue(c) - GetBValue(colour)) < 40
                             ? 1
                             : 0;
            }
        return count;
    }
    // The lowest row holding a pixel other than `background`; -1 when none.
    int LowestInkRow(COLORREF background) const {
        for (int y = m_height - 1; y >= 0; --y)
            for (int x = 0; x < m_width; ++x)
                if (Pixel(x, y) != background)
                    return y;
        return -1;
    }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

private:
    int m_width;
    int m_height;
    CDC m_dc;
    GdiObject<HBITMAP> m_bitmap;
    HGDIOBJ m_previous = nullptr;
};

// The colour of a bitmap's pixel.
inline COLORREF BitmapPixel(HBITMAP bitmap, int x, int y) {
    const DeviceContext dc(::CreateCompatibleDC(nullptr));
    const HGDIOBJ previous = ::SelectObject(dc.Get(), bitmap);
    const COLORREF colour = ::GetPixel(dc.Get(), x, y);
    ::SelectObject(dc.Get(), previous);
    return colour;
}

// The colour on screen at a point of the window's client area (after the window has painted).
inline COLORREF ClientPixelOnScreen(HWND window, int x, int y) {
    POINT point{x, y};
    ::ClientToScreen(window, &point);
    const HDC screen = ::GetDC(nullptr);
    const COLORREF colour = ::GetPixel(screen, point.x, point.y);
    ::ReleaseDC(nullptr, screen);
    return colour;
}

// Dispatches the thread's messages for up to `milliseconds`.
inline void PumpFor(DWORD milliseconds) {
    const ULONGLONG end = ::GetTickCount64() + milliseconds;
    MSG msg;
    while (::GetTickCount64() < end) {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::Sleep(5);
    }
}

// Dispatches the thread's messages until `done` answers true, for up to `milliseconds`;
// answers `done`.
template <typename Done> bool PumpUntil(Done done, DWORD milliseconds) {
    const ULONGLONG end = ::GetTickCount64() + milliseconds;
    while (!done() && ::GetTickCount64() < end)
        PumpFor(10);
    return done();
}

// A visible top-level window on which controls are placed; its background is `background`.
class HostWindow : public CWnd {
public:
    explicit HostWindow(COLORREF background = RGB(255, 255, 255), int width = 700, int height = 500)
        : m_background(background) {
        CreateEx(WS_EX_TOPMOST, AfxRegisterWndClass(0), L"host", WS_POPUP | WS_VISIBLE, 10, 10,
                 width, height, nullptr, nullptr);
    }
    ~HostWindow() override { DestroyWindow(); }
    COLORREF m_background;
    int m_erases = 0;

protected:
    BOOL OnEraseBkgnd(CDC* dc);
    DECLARE_MESSAGE_MAP()
};

// The dimming overlay's colour blended at its alpha over everything outside `keep`, as a
// composing desktop shows it (the virtual display composes no translucency).
void DimAround(HDC dc, CSize size, const CRect& keep);
// A file beside the test program.
std::wstring BesideProgram(LPCWSTR name);
