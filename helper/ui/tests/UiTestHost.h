// Shared pieces of the window tests: a host window that reflects its children's messages, a
// memory canvas for pixel checks, and PNG pictures of what was drawn.
#pragma once

#include <windows.h>

#include <gdiplus.h>

#include <classlib/Classlib.h>

#include <cstdio>
#include <string>

namespace uitest {

// A top-level window on the virtual display whose messages go through the class library. Shown
// only when asked: without a window manager, Wine waits for every shown window to be unmapped.
class HostWindow : public CWnd {
public:
    bool Open(int width, int height, LPCWSTR title = L"UI test", bool visible = false) {
        LPCWSTR windowClass = AfxRegisterWndClass(0, nullptr, ::GetSysColorBrush(COLOR_WINDOW));
        if (windowClass == nullptr) {
            fwprintf(stderr, L"window class not registered: %lu\n", ::GetLastError());
            return false;
        }
        if (CreateEx(0, windowClass, title, WS_POPUP | (visible ? WS_VISIBLE : 0), 20, 20, width,
                     height, nullptr, nullptr))
            return true;
        fwprintf(stderr, L"window not created: %lu\n", ::GetLastError());
        return false;
    }
    ~HostWindow() override {
        if (m_hWnd != nullptr)
            DestroyWindow();
    }
};

// Runs the messages that are waiting, so that the window has painted.
inline void PumpMessages() {
    MSG msg;
    for (int round = 0; round < 3; ++round) {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::Sleep(20);
    }
}

// A 32-bit memory bitmap to draw on and read pixels back from.
class Canvas {
public:
    Canvas(int width, int height) : width_(width), height_(height) {
        HDC screen = ::GetDC(nullptr);
        dc_.CreateCompatibleDC(CDC::FromHandle(screen));
        bitmap_.CreateCompatibleBitmap(CDC::FromHandle(screen), width, height);
        ::ReleaseDC(nullptr, screen);
        previous_ = dc_.SelectObject(&bitmap_);
        dc_.FillSolidRect(0, 0, width, height, RGB(255, 255, 255));
    }
    ~Canvas() { Release(); }
    // Takes the bitmap out of the context (for saving); no drawing after this.
    void Release() {
        if (previous_ != nullptr)
            dc_.SelectObject(previous_);
        previous_ = nullptr;
    }
    CDC* dc() { return &dc_; }
    HBITMAP bitmap() const { return static_cast<HBITMAP>(bitmap_.m_hObject); }
    COLORREF At(int x, int y) const { return ::GetPixel(dc_.m_hDC, x, y); }
    int width() const { return width_; }
    int height() const { return height_; }
    // How many pixels of the rectangle have the colour.
    int Count(const RECT& r, COLORREF colour) const {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                n += At(x, y) == colour;
        return n;
    }
    // How many pixels of the rectangle differ from the colour.
    int CountOther(const RECT& r, COLORREF colour) const {
        return (r.right - r.left) * (r.bottom - r.top) - Count(r, colour);
    }

private:
    int width_;
    int height_;
    CDC dc_;
    CBitmap bitmap_;
    CBitmap* previous_ = nullptr;
};

// GDI+ for the PNG pictures, for the life of the object.
class GdiPlus {
public:
    GdiPlus() {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&token_, &input, nullptr);
    }
    ~GdiPlus() { Gdiplus::GdiplusShutdown(token_); }

private:
    ULONG_PTR token_ = 0;
};

// The pictures go to the folder "shots" under the working folder.
inline std::wstring ShotPath(const wchar_t* name) {
    ::CreateDirectoryW(L"shots", nullptr);
    return std::wstring(L"shots\\") + name + L".png";
}

// The bitmap must not be selected into a device context.
inline bool SavePng(HBITMAP bitmap, const wchar_t* name) {
    static const CLSID kPngEncoder = {
        0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
    Gdiplus::Bitmap image(bitmap, nullptr);
    const Gdiplus::Status status = image.Save(ShotPath(name).c_str(), &kPngEncoder, nullptr);
    if (status != Gdiplus::Ok)
        fwprintf(stderr, L"cannot save %ls: status %d\n", ShotPath(name).c_str(),
                 static_cast<int>(status));
    return status == Gdiplus::Ok;
}

// A picture of the window as it is on the screen.
inline bool SaveWindowPng(HWND window, const wchar_t* name) {
    RECT r{};
    ::GetWindowRect(window, &r);
    Canvas canvas(r.right - r.left, r.bottom - r.top);
    HDC screen = ::GetDC(nullptr);
    ::BitBlt(canvas.dc()->m_hDC, 0, 0, canvas.width(), canvas.height(), screen, r.left, r.top,
             SRCCOPY);
    ::ReleaseDC(nullptr, screen);
    canvas.Release();
    return SavePng(canvas.bitmap(), name);
}

} // namespace uitest
