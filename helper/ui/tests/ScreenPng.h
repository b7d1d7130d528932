// Pictures of the screen saved as PNG files, for the window tests and the run driver (GDI+
// must be started by the program).
#pragma once

#include <windows.h>

#include <objidl.h>

#include <gdiplus.h>

#include <classlib/Gdi.h>

#include <functional>
#include <vector>

// The screen's pixels of `rect` saved as a PNG at `path`, after `retouch` (if any) drew on
// the copy; false when nothing was written.
inline bool SaveScreenPng(const RECT& rect, LPCWSTR path,
                          const std::function<void(HDC)>& retouch = {}) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    CClientDC screen(nullptr);
    CBitmap bitmap;
    if (!bitmap.CreateCompatibleBitmap(&screen, width, height))
        return false;
    {
        CDC memory;
        if (!memory.CreateCompatibleDC(&screen))
            return false;
        const HGDIOBJ previous = ::SelectObject(memory, bitmap);
        const bool copied =
            ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY) != FALSE;
        if (copied && retouch)
            retouch(memory);
        ::SelectObject(memory, previous);
        if (!copied)
            return false;
    }
    CLSID png{};
    UINT count = 0, size = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0)
        return false;
    std::vector<BYTE> buffer(size);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, size, encoders) != Gdiplus::Ok)
        return false;
    for (UINT i = 0; i < count; ++i)
        if (lstrcmpW(encoders[i].MimeType, L"image/png") == 0)
            png = encoders[i].Clsid;
    Gdiplus::Bitmap image(bitmap, nullptr);
    return image.Save(path, &png, nullptr) == Gdiplus::Ok;
}
