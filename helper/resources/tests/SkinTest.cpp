// The skin's resource library: every id the window framework loads is there, the animation
// plays, and a dialog built on the class library paints with the skin's colours.
#include <gtest/gtest.h>

#include "classlib/Classlib.h"

namespace {
constexpr UINT kPreviewDialog = 3001;
constexpr UINT kStartButton = 3002;
constexpr UINT kAttentionIcon = 3003;
constexpr COLORREF kPale = RGB(0xEA, 0xF1, 0xF9);
constexpr COLORREF kBlue = RGB(0x2D, 0x6D, 0xB5);

// Registers the resource library the way the helper library does at load.
class SkinLibrary {
public:
    SkinLibrary() {
        m_module = ::LoadLibraryW(L"xarnres.dll");
        if (m_module != nullptr && AfxInitExtensionModule(m_state, m_module))
            new CDynLinkLibrary(m_state);
    }
    ~SkinLibrary() {
        AfxTermExtensionModule(m_state);
        if (m_module != nullptr)
            ::FreeLibrary(m_module);
    }
    HMODULE Module() const { return m_module; }

private:
    HMODULE m_module = nullptr;
    AFX_EXTENSION_MODULE m_state = {FALSE, nullptr, nullptr};
};

bool Has(UINT id, LPCWSTR type) {
    HINSTANCE module = AfxFindResourceHandle(MAKEINTRESOURCEW(id), type);
    return ::FindResourceW(module, MAKEINTRESOURCEW(id), type) != nullptr;
}

// Paints the first frame (normal) of the blue button strip.
class CStripButton : public CButton {
public:
    void DrawItem(LPDRAWITEMSTRUCT dis) override {
        CBitmap strip;
        if (!strip.LoadBitmap(1074))
            return;
        CDC memory;
        memory.CreateCompatibleDC(CDC::FromHandle(dis->hDC));
        CBitmap* previous = memory.SelectObject(&strip);
        const RECT& r = dis->rcItem;
        ::StretchBlt(dis->hDC, r.left, r.top, r.right - r.left, r.bottom - r.top, memory, 0, 0, 120,
                     28, SRCCOPY);
        memory.SelectObject(previous);
    }
};

class CSkinPreview : public CDialog {
public:
    CSkinPreview() : CDialog(kPreviewDialog) {}
    CStripButton start;
    COLORREF background = 0;
    COLORREF button = 0;
    BOOL animationOpened = FALSE;

    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        // Topmost, so no window of another test can cover the pixels read below.
        ::SetWindowPos(m_hWnd, HWND_TOPMOST, 20, 20, 0, 0, SWP_NOSIZE);
        HICON icon = ::LoadIconW(AfxFindResourceHandle(MAKEINTRESOURCEW(1294), RT_GROUP_ICON),
                                 MAKEINTRESOURCEW(1294));
        SendDlgItemMessage(kAttentionIcon, STM_SETICON, reinterpret_cast<WPARAM>(icon));
        animation.Create(WS_CHILD | WS_VISIBLE | ACS_TRANSPARENT, CRect(60, 40, 194, 53), this,
                         3004);
        animationOpened = animation.Open(1408);
        animation.Play(0, static_cast<UINT>(-1), static_cast<UINT>(-1));
        SetTimer(1, kPollMilliseconds, nullptr);
        return TRUE;
    }

protected:
    CAnimateCtrl animation;
    void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, kStartButton, start); }
    BOOL OnEraseBkgnd(CDC* pDC) {
        CBitmap panel;
        if (!panel.LoadBitmap(1096))
            return FALSE;
        CDC memory;
        memory.CreateCompatibleDC(pDC);
        CBitmap* previous = memory.SelectObject(&panel);
        CRect client;
        GetClientRect(&client);
        pDC->StretchBlt(0, 0, client.Width(), client.Height(), &memory, 0, 0, 180, 600, SRCCOPY);
        memory.SelectObject(previous);
        return TRUE;
    }
    // The X server maps and paints asynchronously: read the screen until the skin's colours
    // show or the time is up, whichever comes first.
    void OnTimer(UINT_PTR) {
        ++m_polls;
        CRect window;
        GetWindowRect(&window);
        CRect buttonRect;
        start.GetWindowRect(&buttonRect);
        HDC screen = ::GetDC(nullptr);
        background = ::GetPixel(screen, window.right - 5, window.bottom - 5);
        button = ::GetPixel(screen, buttonRect.CenterPoint().x, buttonRect.CenterPoint().y);
        ::ReleaseDC(nullptr, screen);
        const bool painted = background == kPale && button == kBlue;
        if (!painted && m_polls < kMaxPolls)
            return;
        if (::GetEnvironmentVariableW(L"XARN_SKIN_PREVIEW_HOLD", nullptr, 0) != 0)
            return;
        KillTimer(1);
        EndDialog(IDOK);
    }
    static constexpr UINT kPollMilliseconds = 200;
    static constexpr int kMaxPolls = 100;
    int m_polls = 0;
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CSkinPreview, CDialog)
ON_WM_ERASEBKGND()
ON_WM_TIMER()
END_MESSAGE_MAP()
} // namespace

TEST(SkinLibrary, HoldsTheFrameworksResources) {
    SkinLibrary skin;
    ASSERT_NE(skin.Module(), nullptr);
    for (UINT id : {1272u, 1273u, 1274u, 1284u, 12560u})
        EXPECT_TRUE(Has(id, RT_DIALOG)) << id;
    for (UINT id : {1019u, 1051u, 1074u, 1076u, 1092u, 1096u, 1104u, 1105u, 1106u, 1107u, 1108u,
                    1109u, 1110u, 1111u, 1170u})
        EXPECT_TRUE(Has(id, RT_BITMAP)) << id;
    for (UINT id : {1353u, 1354u, 1355u, 1364u})
        EXPECT_TRUE(Has(id, L"PNG")) << id;
    for (UINT id : {1113u, 1115u, 1116u, 1287u, 1294u})
        EXPECT_TRUE(Has(id, RT_GROUP_ICON)) << id;
    EXPECT_TRUE(Has(1408, L"AVI"));

    // Strips keep their frames side by side: four 120 x 28 frames.
    CBitmap strip;
    ASSERT_TRUE(strip.LoadBitmap(1074));
    BITMAP bm{};
    strip.GetBitmap(&bm);
    EXPECT_EQ(bm.bmWidth, 480);
    EXPECT_EQ(bm.bmHeight, 28);
}

TEST(SkinLibrary, PreviewDialogPaintsWithTheSkin) {
    ::InitCommonControls();
    SkinLibrary skin;
    ASSERT_NE(skin.Module(), nullptr);
    CSkinPreview preview;
    EXPECT_EQ(preview.DoModal(), IDOK);
    EXPECT_TRUE(preview.animationOpened);
    EXPECT_EQ(preview.background, kPale);
    EXPECT_EQ(preview.button, kBlue);
}
