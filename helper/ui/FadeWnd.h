// CFadeWnd: covers a window, disables it and fades a snapshot of it into a two-colour
// luminance image on a worker thread.
#pragma once

#include <windows.h>

#include <classlib/App.h>
#include <classlib/MessageMap.h>
#include <classlib/Window.h>
#include <owners/OwnerTraits.h>

#include <atomic>

class CFadeWnd : public CWnd {
    DECLARE_DYNAMIC(CFadeWnd)
    DECLARE_MESSAGE_MAP()
public:
    explicit CFadeWnd(CWnd* cover = nullptr, COLORREF light = RGB(255, 255, 255),
                      COLORREF dark = RGB(0, 0, 0));
    ~CFadeWnd() override;

    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    void PostNcDestroy() override;
    // The luminance ramp from dark (0) to light (255).
    virtual void SetColors(COLORREF light, COLORREF dark);
    virtual BOOL CloseOnLeftClick();
    virtual BOOL CloseOnRightClick();
    // Covers `rect` (the window's own rectangle when empty) and starts fading; FALSE on a dead
    // window, a palette display or a window that cannot be made (deleting itself then when
    // `autoDelete`).
    virtual BOOL Start(CWnd* cover, BOOL autoDelete, RECT rect);

    // The screen pixels of `rect`; null for an empty one.
    static HBITMAP CaptureScreen(const RECT* rect);
    // The snapshot blended `percent` of the way to its luminance image; the caller owns it.
    HBITMAP BlendFrame(HBITMAP snapshot, double percent, HDC dc);
    void Paint(CDC* dc);
    void RunFade();
    // The frame step after a first frame that took `firstFrameMilliseconds`.
    static int FadeStep(DWORD firstFrameMilliseconds);

    CWnd m_wndHiddenOwner;
    bool m_bAutoDelete = false;
    UniqueResource<owner_traits::GdiObject<HBITMAP>> m_snapshot;
    // The frame on show; swapped under m_frameLock.
    UniqueResource<owner_traits::GdiObject<HBITMAP>> m_frame;
    COLORREF m_colours[256] = {};
    CWnd* m_pCovered = nullptr;

protected:
    void OnPaint();
    void OnLButtonDown(UINT flags, CPoint point);
    void OnRButtonDown(UINT flags, CPoint point);
    void OnKillFocus(CWnd* newWnd);

private:
    void StopWorker();

    // Guards the current frame between the worker's swap and the paints.
    SRWLOCK m_frameLock = SRWLOCK_INIT;
    CWinThread* m_pWorker = nullptr;
    std::atomic<bool> m_bStop{false};
};

// Fades `cover` to the two colours; the fade window owns itself. Nothing for a null window.
void FadeWindow(CWnd* cover, COLORREF light, COLORREF dark);
