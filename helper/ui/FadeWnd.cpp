#include "FadeWnd.h"

#include "BitmapSourceDC.h"

#include <classlib/Gdi.h>
#include <owners/LockGuards.h>
#include <owners/WinOwners.h>

#include <mmsystem.h>

#include <algorithm>
#include <utility>

IMPLEMENT_DYNAMIC(CFadeWnd, CWnd)

BEGIN_MESSAGE_MAP(CFadeWnd, CWnd)
ON_WM_PAINT()
ON_WM_LBUTTONDOWN()
ON_WM_RBUTTONDOWN()
ON_WM_KILLFOCUS()
END_MESSAGE_MAP()

namespace {
constexpr wchar_t kClassName[] = L"Fade_Wnd_1";
constexpr DWORD kFadeMilliseconds = 1500;

BYTE Channel(int i, BYTE light, BYTE dark) {
    return static_cast<BYTE>((i * light + (255 - i) * dark) / 256);
}

UINT __cdecl FadeWorker(LPVOID param) {
    static_cast<CFadeWnd*>(param)->RunFade();
    return 0;
}
} // namespace

CFadeWnd::CFadeWnd(CWnd* cover, COLORREF light, COLORREF dark) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSW existing{};
    if (!::GetClassInfoW(instance, kClassName, &existing)) {
        WNDCLASSW wc{};
        wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = instance;
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kClassName;
        // No exception may leave the library: a failed registration shows when Start cannot
        // create the window.
        (void)AfxRegisterClass(&wc);
    }
    SetColors(light, dark);
    if (cover != nullptr && ::IsWindow(cover->m_hWnd))
        Start(cover, FALSE, RECT{});
}

CFadeWnd::~CFadeWnd() {
    StopWorker();
    if (m_pCovered != nullptr) {
        m_pCovered->EnableWindow(TRUE);
        m_pCovered->SetFocus();
    }
    if (m_hWnd != nullptr)
        DestroyWindow();
    m_wndHiddenOwner.DestroyWindow();
}

void CFadeWnd::StopWorker() {
    if (m_pWorker == nullptr)
        return;
    m_bStop = true;
    ::WaitForSingleObject(m_pWorker->m_hThread, INFINITE);
    delete m_pWorker;
    m_pWorker = nullptr;
}

void CFadeWnd::SetColors(COLORREF light, COLORREF dark) {
    for (int i = 0; i < 256; ++i)
        m_colours[i] = RGB(Channel(i, GetRValue(light), GetRValue(dark)),
                           Channel(i, GetGValue(light), GetGValue(dark)),
                           Channel(i, GetBValue(light), GetBValue(dark)));
}

BOOL CFadeWnd::CloseOnLeftClick() {
    return TRUE;
}

BOOL CFadeWnd::CloseOnRightClick() {
    return FALSE;
}

BOOL CFadeWnd::PreCreateWindow(CREATESTRUCTW& cs) {
    if (!CWnd::PreCreateWindow(cs))
        return FALSE;
    if (!::IsWindow(m_wndHiddenOwner.m_hWnd)) {
        CWnd* main = AfxGetMainWnd();
        if (!m_wndHiddenOwner.CreateEx(0, AfxRegisterWndClass(0), L"", WS_POPUP, CW_USEDEFAULT,
                                       CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                       CWnd::HandleOf(main), nullptr))
            return FALSE;
    }
    cs.hwndParent = m_wndHiddenOwner.m_hWnd;
    cs.style &= ~0x30000L;
    cs.dwExStyle &= ~WS_EX_CLIENTEDGE;
    cs.lpszClass = AfxRegisterWndClass(0);
    return TRUE;
}

BOOL CFadeWnd::Start(CWnd* cover, BOOL autoDelete, RECT rect) {
    auto fail = [&] {
        if (autoDelete)
            delete this;
        return FALSE;
    };
    if (cover == nullptr || !::IsWindow(cover->m_hWnd))
        return fail();
    {
        CClientDC dc(cover);
        if ((dc.GetDeviceCaps(RASTERCAPS) & RC_PALETTE) != 0)
            return fail();
    }
    if (rect.left == 0 && rect.top == 0 && rect.right == 0 && rect.bottom == 0)
        cover->GetWindowRect(&rect);
    if (rect.left < 0) {
        rect.right -= rect.left;
        rect.left = 0;
    }
    if (rect.top < 0) {
        rect.bottom -= rect.top;
        rect.top = 0;
    }
    // Taken before the fade window shows, so that it never captures itself.
    GdiObject<HBITMAP> snapshot(CaptureScreen(&rect));
    CString title;
    cover->GetWindowText(title);
    if (!CreateEx(0, kClassName, title, WS_POPUP | WS_CHILD | WS_VISIBLE, rect, cover, 0))
        return fail();
    if (cover->m_hWnd != ::GetDesktopWindow()) {
        m_pCovered = cover;
        cover->EnableWindow(FALSE);
        GdiObject<HRGN> region(::CreateRectRgn(0, 0, 0, 0));
        if (region && ::GetWindowRgn(cover->m_hWnd, region.Get()) != ERROR &&
            ::SetWindowRgn(m_hWnd, region.Get(), FALSE) != 0)
            static_cast<void>(region.Release()); // the window owns it now
    }
    m_bAutoDelete = autoDelete != FALSE;
    m_snapshot = std::move(snapshot);
    m_pWorker = AfxBeginThread(&FadeWorker, this, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    if (m_pWorker != nullptr) {
        m_pWorker->m_bAutoDelete = FALSE; // waited for and deleted by the destructor
        m_pWorker->ResumeThread();
    }
    return TRUE;
}

HBITMAP CFadeWnd::CaptureScreen(const RECT* rect) {
    if (::IsRectEmpty(rect))
        return nullptr;
    const DeviceContext screen(::CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr));
    if (!screen)
        return nullptr;
    const int left = std::max<int>(rect->left, 0);
    const int top = std::max<int>(rect->top, 0);
    const int width = std::min<int>(::GetDeviceCaps(screen.Get(), HORZRES), rect->right) - left;
    const int height = std::min<int>(::GetDeviceCaps(screen.Get(), VERTRES), rect->bottom) - top;
    HBITMAP bitmap = nullptr;
    if (width > 0 && height > 0)
        bitmap = ::CreateCompatibleBitmap(screen.Get(), width, height);
    if (bitmap != nullptr) {
        const CBitmapSourceDC target(screen.Get(), bitmap);
        ::BitBlt(target.Handle(), 0, 0, width, height, screen.Get(), left, top, SRCCOPY);
    }
    return bitmap;
}

HBITMAP CFadeWnd::BlendFrame(HBITMAP snapshot, double percent, HDC dc) {
    if (snapshot == nullptr)
        return nullptr;
    const DeviceContext memory(::CreateCompatibleDC(dc));
    if (!memory)
        return nullptr;
    // A bitmap can be selected into one context only: lend `dc`'s selection a stand-in.
    GdiObject<HBITMAP> standIn;
    HGDIOBJ lent = nullptr;
    if (dc != nullptr && ::GetCurrentObject(dc, OBJ_BITMAP) == snapshot) {
        standIn.Reset(::CreateBitmap(1, 1, 1, 1, nullptr));
        lent = ::SelectObject(dc, standIn.Get());
    }
    BITMAP info{};
    ::GetObjectW(snapshot, sizeof(info), &info);
    BITMAPINFO header{};
    header.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    header.bmiHeader.biWidth = info.bmWidth;
    header.bmiHeader.biHeight = info.bmHeight;
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
    header.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    GdiObject<HBITMAP> frame(
        ::CreateDIBSection(memory.Get(), &header, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (frame &&
        ::GetDIBits(memory.Get(), snapshot, 0, info.bmHeight, bits, &header, DIB_RGB_COLORS) == 0)
        frame.Reset();
    if (frame) {
        const int d = static_cast<int>(percent * 255 / 100);
        auto* pixel = static_cast<BYTE*>(bits);
        const size_t count = static_cast<size_t>(info.bmWidth) * info.bmHeight;
        for (size_t i = 0; i < count; ++i, pixel += 4) {
            const int luminance = (pixel[2] * 54 + pixel[1] * 182 + pixel[0] * 19) >> 8;
            const COLORREF c = m_colours[luminance];
            pixel[0] = static_cast<BYTE>((GetBValue(c) * d + pixel[0] * (255 - d)) / 256);
            pixel[1] = static_cast<BYTE>((GetGValue(c) * d + pixel[1] * (255 - d)) / 256);
            pixel[2] = static_cast<BYTE>((GetRValue(c) * d + pixel[2] * (255 - d)) / 256);
            pixel[3] = 0;
        }
    }
    if (standIn)
        ::SelectObject(dc, lent);
    return frame.Release();
}

void CFadeWnd::Paint(CDC* dc) {
    CRect window;
    GetWindowRect(&window);
    const ExclusiveLockGuard lock(m_frameLock);
    if (!m_frame)
        return;
    const CBitmapSourceDC frame(dc->m_hDC, m_frame.Get());
    if (frame.Handle() != nullptr)
        ::BitBlt(dc->m_hDC, 0, 0, window.Width(), window.Height(), frame.Handle(), 0, 0, SRCCOPY);
}

int CFadeWnd::FadeStep(DWORD firstFrameMilliseconds) {
    // A first frame slower than the whole fade leaves a single further step.
    const DWORD frames = firstFrameMilliseconds > 0
                             ? std::max<DWORD>(1, kFadeMilliseconds / firstFrameMilliseconds)
                             : 20;
    int step = static_cast<int>(100 / frames);
    if (step < 4)
        step = 3;
    if (step > 48)
        step = 49;
    return step;
}

void CFadeWnd::RunFade() {
    CClientDC dc(this);
    int step = 0;
    for (int percent = 0; percent < 100 && !m_bStop; percent += step) {
        const DWORD t0 = ::timeGetTime();
        GdiObject<HBITMAP> frame(BlendFrame(m_snapshot.Get(), percent, nullptr));
        {
            const ExclusiveLockGuard lock(m_frameLock);
            std::swap(m_frame, frame);
        }
        frame.Reset(); // the frame shown before, deleted outside the lock
        Paint(&dc);
        const DWORD t1 = ::timeGetTime();
        if (step == 0)
            step = FadeStep(t1 > t0 ? t1 - t0 : 0);
    }
}

void CFadeWnd::OnPaint() {
    CPaintDC dc(this);
    Paint(&dc);
}

void CFadeWnd::OnLButtonDown(UINT, CPoint) {
    Default();
    if (m_bAutoDelete && CloseOnLeftClick())
        DestroyWindow();
}

void CFadeWnd::OnRButtonDown(UINT, CPoint) {
    Default();
    if (m_bAutoDelete && CloseOnRightClick())
        DestroyWindow();
}

void CFadeWnd::OnKillFocus(CWnd*) {
    Default();
    SetFocus();
}

void CFadeWnd::PostNcDestroy() {
    if (m_bAutoDelete)
        delete this;
    else
        CWnd::PostNcDestroy();
}

void FadeWindow(CWnd* cover, COLORREF light, COLORREF dark) {
    if (cover == nullptr)
        return;
    auto* fade = new CFadeWnd(nullptr, RGB(255, 255, 255), RGB(0, 0, 0));
    fade->SetColors(light, dark);
    fade->Start(cover, TRUE, RECT{});
}
