#include "FadeWnd.h"

#include "DrawingScopes.h"

#include <classlib/Gdi.h>
#include <owners/LockGuards.h>

#include <mmsystem.h>

#include <algorithm>

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
    if (m_hSnapshot != nullptr)
        ::DeleteObject(m_hSnapshot);
    if (m_hFrame != nullptr)
        ::DeleteObject(m_hFrame);
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
    const HBITMAP snapshot = CaptureScreen(&rect);
    CString title;
    cover->GetWindowText(title);
    if (!CreateEx(0, kClassName, title, WS_POPUP | WS_CHILD | WS_VISIBLE, rect, cover, 0)) {
        if (snapshot != nullptr)
            ::DeleteObject(snapshot);
        return fail();
    }
    if (cover->m_hWnd != ::GetDesktopWindow()) {
        m_pCovered = cover;
        cover->EnableWindow(FALSE);
        if (const HRGN region = ::CreateRectRgn(0, 0, 0, 0); region != nullptr) {
            if (::GetWindowRgn(cover->m_hWnd, region) != ERROR)
                ::SetWindowRgn(m_hWnd, region, FALSE); // the window owns it now
            else
                ::DeleteObject(region);
        }
    }
    m_bAutoDelete = autoDelete != FALSE;
    m_hSnapshot = snapshot;
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
    const HDC screen = ::CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr);
    if (screen == nullptr)
        return nullptr;
    const int left = std::max<int>(rect->left, 0);
    const int top = std::max<int>(rect->top, 0);
    const int width = std::min<int>(::GetDeviceCaps(screen, HORZRES), rect->right) - left;
    const int height = std::min<int>(::GetDeviceCaps(screen, VERTRES), rect->bottom) - top;
    HBITMAP bitmap = nullptr;
    if (width > 0 && height > 0)
        bitmap = ::CreateCompatibleBitmap(screen, width, height);
    if (bitmap != nullptr) {
        const CBitmapSourceDC target(screen, bitmap);
        ::BitBlt(target.Handle(), 0, 0, width, height, screen, left, top, SRCCOPY);
    }
    ::DeleteDC(screen);
    return bitmap;
}

HBITMAP CFadeWnd::BlendFrame(HBITMAP snapshot, double percent, HDC dc) {
    if (snapshot == nullptr)
        return nullptr;
    const HDC memory = ::CreateCompatibleDC(dc);
    if (memory == nullptr)
        return nullptr;
    // A bitmap can be selected into one context only: lend `dc`'s selection a stand-in.
    HBITMAP standIn = nullptr;
    HGDIOBJ lent = nullptr;
    if (dc != nullptr && ::GetCurrentObject(dc, OBJ_BITMAP) == snapshot) {
        standIn = ::CreateBitmap(1, 1, 1, 1, nullptr);
        lent = ::SelectObject(dc, standIn);
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
    HBITMAP frame = ::CreateDIBSection(memory, &header, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (frame != nullptr &&
        ::GetDIBits(memory, snapshot, 0, info.bmHeight, bits, &header, DIB_RGB_COLORS) == 0) {
        ::DeleteObject(frame);
        frame = nullptr;
    }
    if (frame != nullptr) {
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
    if (standIn != nullptr) {
        ::SelectObject(dc, lent);
        ::DeleteObject(standIn);
    }
    ::DeleteDC(memory);
    return frame;
}

void CFadeWnd::Paint(CDC* dc) {
    CRect window;
    GetWindowRect(&window);
    const ExclusiveLockGuard lock(m_frameLock);
    if (m_hFrame == nullptr)
        return;
    const CBitmapSourceDC frame(dc->m_hDC, m_hFrame);
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
        const HBITMAP next = BlendFrame(m_hSnapshot, percent, nullptr);
        HBITMAP old = nullptr;
        {
            const ExclusiveLockGuard lock(m_frameLock);
            old = m_hFrame;
            m_hFrame = next;
        }
        if (old != nullptr)
            ::DeleteObject(old);
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
