// The gallery: every button, drawing helper and control of the window framework in each of
// its states on one window, for looking at. With "--shot FILE" it photographs itself into a
// PNG file and ends.
#include "GalleryLayout.h"

#include "FadeWnd.h"
#include "HoverButton.h"
#include "HoverButtonTextPng.h"
#include "HoverButtonWithText.h"
#include "HyperLinkBtn.h"
#include "LauncherBigButtons.h"
#include "LauncherLeftSideBtns.h"
#include "LauncherProgBtns.h"
#include "LeftSideBtns.h"
#include "MyHoverButton.h"
#include "STLogFont.h"
#include "SThtmlStatic.h"
#include "SkinMemDC.h"
#include "TabButton.h"
#include "TextButtonStyle.h"
#include "TransparentCheckRadio.h"
#include "TransparentStatic2.h"
#include "ProductIdentity.h"
#include "UiFonts.h"

#include <windows.h>

#include <objidl.h>

#include <gdiplus.h>

#include <classlib/Classlib.h>
#include <owners/WinOwners.h>

#include <memory>
#include <vector>

using namespace gallery;

namespace {
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlue = RGB(0x2D, 0x6D, 0xB5);
constexpr COLORREF kPale = RGB(0xEA, 0xF1, 0xF9);
constexpr COLORREF kHeading = RGB(72, 81, 90);

enum State { kNormal, kHover, kPressed, kSelected, kDisabled };

template <typename Button> void ApplyState(Button& button, State state) {
    button.m_bHovering = state == kHover;
    button.m_bSelected = state == kSelected;
    if (state == kPressed)
        button.SendMessage(BM_SETSTATE, TRUE);
    if (state == kDisabled)
        button.EnableWindow(FALSE);
}

struct Heading {
    int x, y;
    LPCWSTR text;
};

// A small page to fade: a header band, a line of text and a button's colours.
class CFadeSample : public CWnd {
protected:
    BOOL OnEraseBkgnd(CDC* dc) {
        CRect client;
        GetClientRect(&client);
        dc->FillSolidRect(&client, kWhite);
        dc->FillSolidRect(0, 0, client.Width(), 22, kBlue);
        dc->FillSolidRect(12, 44, 90, 22, RGB(0x00, 0x82, 0x2C));
        dc->FillSolidRect(112, 44, 90, 22, RGB(0xE0, 0x7B, 0x1A));
        dc->SetBkMode(TRANSPARENT);
        dc->SetTextColor(kWhite);
        dc->TextOut(8, 4, L"A page behind a fade window");
        return TRUE;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CFadeSample, CWnd)
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

// The left panel's background.
class CPanelWnd : public CWnd {
protected:
    BOOL OnEraseBkgnd(CDC* dc) {
        CRect client;
        GetClientRect(&client);
        dc->FillSolidRect(&client, kPale);
        return TRUE;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CPanelWnd, CWnd)
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

class CGalleryWnd : public CWnd {
public:
    CGalleryWnd();
    BOOL Build();
    // Photographs the window as the screen shows it into a PNG file.
    [[nodiscard]] bool SaveShot(LPCWSTR path);

protected:
    BOOL OnEraseBkgnd(CDC* dc);
    void OnPaint();
    void OnDestroy();
    HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor);
    DECLARE_MESSAGE_MAP()

private:
    template <typename Button>
    Button& Add(std::vector<std::unique_ptr<Button>>& list, LPCWSTR caption, RECT rect,
                DWORD style = 0) {
        list.push_back(std::make_unique<Button>());
        Button& button = *list.back();
        button.Create(caption, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON | style, rect, this,
                      m_nextId++);
        return button;
    }
    void BuildTextButtons();
    void BuildTabsAndCaptionButtons();
    void BuildImageButtons();
    void BuildLinksAndPanel();
    void BuildTextAndControls();

    UINT m_nextId = 1000;
    std::vector<Heading> m_headings;
    std::vector<std::unique_ptr<CHoverButtonWithText>> m_textButtons;
    std::vector<std::unique_ptr<CTabButton>> m_tabs;
    std::vector<std::unique_ptr<CHoverButton>> m_captionButtons;
    std::vector<std::unique_ptr<CHoverButtonTextPng>> m_startButtons;
    std::vector<std::unique_ptr<CMyHoverButton>> m_iconButtons;
    std::vector<std::unique_ptr<CHyperLinkBtn>> m_links;
    std::vector<std::unique_ptr<CLeftSideBtns>> m_sideButtons;
    std::vector<std::unique_ptr<CLauncherLeftSideBtns>> m_launcherSide;
    std::vector<std::unique_ptr<CLauncherBigButtons>> m_bigButtons;
    std::vector<std::unique_ptr<CLauncherProgBtns>> m_programs;
    CSThtmlStatic m_html;
    CTransparentCheckRadio m_check;
    CTransparentCheckRadio m_radio;
    CTransparentStatic2 m_label;
    CFont m_controlFont;
    CPanelWnd m_panel;
    CFadeSample m_fadeSample;
    CFadeWnd m_fade;
};

BEGIN_MESSAGE_MAP(CGalleryWnd, CWnd)
ON_WM_CTLCOLOR()
ON_WM_ERASEBKGND()
ON_WM_PAINT()
ON_WM_DESTROY()
END_MESSAGE_MAP()

CGalleryWnd::CGalleryWnd() = default;

BOOL CGalleryWnd::Build() {
    if (!CreateEx(0, AfxRegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW)),
                  L"Stellmark widget gallery", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                  kWidth, kHeight, nullptr, nullptr))
        return FALSE;
    BuildTextButtons();
    BuildTabsAndCaptionButtons();
    BuildImageButtons();
    BuildLinksAndPanel();
    BuildTextAndControls();
    m_headings.push_back({kFadeBox.left, kFadeBox.top - 20, L"Fade window"});
    m_fadeSample.CreateEx(0, AfxRegisterWndClass(0), L"", WS_CHILD | WS_VISIBLE, kFadeBox.left,
                          kFadeBox.top, kFadeBox.right - kFadeBox.left,
                          kFadeBox.bottom - kFadeBox.top, m_hWnd, nullptr);
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    m_label.ShowWindow(SW_SHOW);
    // Faded to white and navy once it is on the screen.
    m_fade.SetColors(kWhite, RGB(0x1F, 0x4E, 0x85));
    (void)m_fade.Start(&m_fadeSample, FALSE, RECT{});
    return TRUE;
}

void CGalleryWnd::BuildTextButtons() {
    m_headings.push_back({kLeft, kBlueButtonsTop - 20,
                          L"Text buttons, light text: normal, hover, pressed, selected, disabled"});
    m_headings.push_back({kLeft, kLightButtonsTop - 20, L"Text buttons, dark text"});
    for (int n = 0; n < 5; ++n) {
        for (bool light : {true, false}) {
            const int top = light ? kBlueButtonsTop : kLightButtonsTop;
            auto& button =
                Add(m_textButtons, kStates[n],
                    CRect(kLeft + n * kColumn, top, kLeft + n * kColumn + 120, top + 28));
            button.EnableDisabledColor(true);
            StyleTextButton(&button, true, light, true);
            ApplyState(button, static_cast<State>(n));
        }
    }
}

void CGalleryWnd::BuildTabsAndCaptionButtons() {
    m_headings.push_back(
        {kLeft, kTabsTop - 20, L"Tabs: normal, hover, current, selected, disabled"});
    const wchar_t* tabs[] = {L"Defragment", L"Junk cleaner", L"Duplicates", L"Disk tools",
                             L"Scheduler"};
    for (int n = 0; n < 5; ++n) {
        auto& tab =
            Add(m_tabs, tabs[n],
                CRect(kLeft + n * kColumn, kTabsTop, kLeft + n * kColumn + 110, kTabsTop + 30));
        tab.LoadBitmap(1070);
        tab.m_bHovering = n == kHover;
        tab.m_bPushed = n == kPressed;
        tab.m_bSelected = n == kSelected;
        tab.EnableDisabledColor(n == kDisabled);
    }
    m_headings.push_back({kLeft, kCaptionBand - 20,
                          L"Caption buttons (normal, hover, pressed): close, minimise, maximise, "
                          L"restore, menu, help, message-box close; a disabled close"});
    int x = kLeft;
    for (UINT strip : {1038u, 1042u, 1063u, 1062u, 1061u, 1057u, 1064u}) {
        for (State state : {kNormal, kHover, kPressed}) {
            auto& button = Add(m_captionButtons, L"",
                               CRect(x, kCaptionButtonsTop, x + 10, kCaptionButtonsTop + 10));
            button.LoadBitmap(strip);
            ApplyState(button, state);
            x += button.m_nFrameWidth + 6;
        }
        x += 18;
    }
    auto& disabled =
        Add(m_captionButtons, L"", CRect(x, kCaptionButtonsTop, x + 10, kCaptionButtonsTop + 10));
    disabled.LoadBitmap(1038);
    disabled.EnableWindow(FALSE);
}

void CGalleryWnd::BuildImageButtons() {
    m_headings.push_back(
        {kLeft, kStartButtonsTop - 20, L"Image buttons: normal, hover, pressed, disabled"});
    for (int n = 0; n < 4; ++n) {
        const int left = kLeft + n * 232;
        auto& button = Add(m_startButtons, L"Analyse",
                           CRect(left, kStartButtonsTop, left + 222, kStartButtonsTop + 52));
        button.m_bHasDisabledState = true;
        button.LoadBitmap(1100);
        (void)button.LoadPng(n % 2 == 0 ? 1386 : 1384);
        ApplyState(button, static_cast<State>(n == 3 ? kDisabled : n));
    }
    m_headings.push_back({kLeft, kIconButtonsTop - 20,
                          L"Captioned buttons: normal, hover, pressed, "
                          L"selected, disabled"});
    for (int n = 0; n < 5; ++n) {
        auto& button = Add(m_iconButtons, L"", CRect(kLeft + n * kColumn, kIconButtonsTop, 0, 0));
        button.LoadBitmapAndText(1074, L"Start");
        ApplyState(button, static_cast<State>(n));
    }
}

void CGalleryWnd::BuildLinksAndPanel() {
    m_headings.push_back({kLeft, kLinksTop - 20, L"Links: normal, hover, pressed, bold, disabled"});
    const wchar_t* links[] = {L"View the report", L"Change settings", L"Open the folder",
                              L"Scan again", L"Not available"};
    for (int n = 0; n < 5; ++n) {
        auto& link =
            Add(m_links, links[n],
                CRect(kLeft + n * kColumn, kLinksTop, kLeft + n * kColumn + 130, kLinksTop + 20));
        link.SetTransparent(true);
        link.m_bHovering = n == kHover;
        if (n == kPressed)
            link.SendMessage(BM_SETSTATE, TRUE);
        if (n == 3)
            link.SetBold();
        if (n == 4)
            link.EnableWindow(FALSE);
    }

    // The side buttons take their background from the panel bitmap at their place in the
    // panel, as on the main window's left panel.
    m_headings.push_back({kLeft, kPanelTop - 20, L"Left panel, launcher buttons"});
    m_panel.CreateEx(0, AfxRegisterWndClass(0), L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0,
                     kPanelTop, kPanelWidth, 6 * kSideButtonStep + 16, m_hWnd, nullptr);
    const wchar_t* pages[] = {L"Defragment",  L"Junk cleaner", L"Duplicates",
                              L"Disk health", L"Scheduler",    L"Settings"};
    for (int n = 0; n < 6; ++n) {
        const int top = 8 + n * kSideButtonStep;
        m_sideButtons.push_back(std::make_unique<CLeftSideBtns>());
        CLeftSideBtns& side = *m_sideButtons.back();
        side.Create(pages[n], WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON,
                    CRect(8, top, 8 + 165, top + kSideButtonHeight), &m_panel, m_nextId++);
        side.m_nIconIndex = n == 5 ? 5 : n;
        side.m_bHovering = n == 1 || n == 3;
        side.m_bSelected = n == 2 || n == 3;
    }
    const wchar_t* launcherPages[] = {L"All programs", L"Updates", L"Support"};
    for (int n = 0; n < 3; ++n) {
        const int top = kPanelTop + 8 + n * 36;
        auto& side = Add(m_launcherSide, launcherPages[n],
                         CRect(kLauncherLeft, top, kLauncherLeft + 170, top + 31));
        side.m_bHovering = n == 1;
        side.m_bSelected = n == 2;
    }
    for (int n = 0; n < 2; ++n) {
        const int top = kPanelTop + n * (kBigButtonHeight + 6);
        auto& big = Add(m_bigButtons, n == 0 ? L"Defragment your drives" : L"Clean junk files",
                        CRect(kBigButtonLeft, top, kBigButtonLeft + 560, top + kBigButtonHeight));
        big.SetDescription(n == 0 ? L"Puts the pieces of your files back together."
                                  : L"Finds temporary files and frees disk space.");
        big.m_bHovering = n == 1;
    }
    auto& program =
        Add(m_programs, L"Stellmark Disk Optimizer",
            CRect(kBigButtonLeft, kPanelTop + 2 * (kBigButtonHeight + 6), kBigButtonLeft + 560,
                  kPanelTop + 2 * (kBigButtonHeight + 6) + kBigButtonHeight));
    (void)program.SetProgram(0, GetResourceInstance(), 2, L"Last run: 2 days ago", L"Version 4.2",
                             2, L"Run now");
    program.m_bHovering = true;
}

void CGalleryWnd::BuildTextAndControls() {
    m_headings.push_back({kLeft, kHtmlTop - 20, L"HTML text"});
    m_html.Create(L"<font face=\"Tahoma\" size=9pt><b>Scan finished.</b> Stellmark found "
                  L"<font color=#A90101><b>1,024</b></font> fragmented files on drive C:. "
                  L"Defragmenting them makes your computer faster &amp; quieter.<p><u>Defragment"
                  L"</u> starts now; <i>Close</i> leaves it for later.</p></font>",
                  WS_CHILD | WS_VISIBLE, CRect(kLeft, kHtmlTop, kLeft + 340, kHtmlTop + 72), this,
                  m_nextId++);
    m_html.m_bTransparent = true;
    m_check.Create(L"Include system folders", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX,
                   CRect(kLauncherLeft + 4, kControlsTop, kLauncherLeft + 174, kControlsTop + 20),
                   this, m_nextId++);
    m_check.SetCheck(BST_CHECKED);
    m_radio.Create(
        L"Move to the recycle bin", WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON,
        CRect(kLauncherLeft + 4, kControlsTop + 24, kLauncherLeft + 174, kControlsTop + 44), this,
        m_nextId++);
    m_radio.SetCheck(BST_CHECKED);
    // Shown once the gallery has painted: it keeps a snapshot of what lies behind it.
    m_label.Create(
        L"A transparent label", WS_CHILD,
        CRect(kLauncherLeft + 4, kControlsTop + 48, kLauncherLeft + 174, kControlsTop + 66), this,
        m_nextId++);
    const CSTLogFont record;
    m_controlFont.CreateFontIndirect(&record);
    for (CWnd* control :
         {static_cast<CWnd*>(&m_check), static_cast<CWnd*>(&m_radio), static_cast<CWnd*>(&m_label)})
        control->SetFont(&m_controlFont);
}

BOOL CGalleryWnd::OnEraseBkgnd(CDC* dc) {
    CRect client;
    GetClientRect(&client);
    dc->FillSolidRect(&client, kWhite);
    dc->FillSolidRect(0, kCaptionBand, kWidth, 36, kBlue);
    const CSTLogFont record(GetUIFontFace(), -12, true, FALSE);
    CFont font;
    font.CreateFontIndirect(&record);
    CFont* previous = dc->SelectObject(&font);
    dc->SetBkMode(TRANSPARENT);
    for (const Heading& heading : m_headings) {
        dc->SetTextColor(kHeading);
        dc->TextOut(heading.x, heading.y, heading.text);
    }
    dc->SelectObject(previous);
    return TRUE;
}

// As a skinned page does: the transparent label draws its text over its snapshot.
HBRUSH CGalleryWnd::OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) {
    const HBRUSH brush = CWnd::OnCtlColor(dc, wnd, ctlColor);
    if (wnd == nullptr || wnd->m_hWnd != m_label.m_hWnd)
        return brush;
    dc->SetBkMode(TRANSPARENT);
    return static_cast<HBRUSH>(::GetStockObject(HOLLOW_BRUSH));
}

void CGalleryWnd::OnPaint() {
    CPaintDC dc(this);
}

void CGalleryWnd::OnDestroy() {
    ::PostQuitMessage(0);
}

bool CGalleryWnd::SaveShot(LPCWSTR path) {
    CRect window;
    GetWindowRect(&window);
    // From the screen, so that the fade window over the sample shows too.
    const GdiObject<HBITMAP> bitmap(CFadeWnd::CaptureScreen(&window));
    if (!bitmap)
        return false;
    // The PNG encoder's class id.
    CLSID png{};
    UINT count = 0, size = 0;
    Gdiplus::GetImageEncodersSize(&count, &size);
    std::vector<BYTE> buffer(size);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    Gdiplus::GetImageEncoders(count, size, encoders);
    for (UINT i = 0; i < count; ++i)
        if (lstrcmpW(encoders[i].MimeType, L"image/png") == 0)
            png = encoders[i].Clsid;
    Gdiplus::Bitmap image(bitmap.Get(), nullptr);
    return image.Save(path, &png, nullptr) == Gdiplus::Ok;
}

void PumpFor(DWORD milliseconds) {
    const ULONGLONG end = ::GetTickCount64() + milliseconds;
    MSG msg;
    while (::GetTickCount64() < end) {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::Sleep(10);
    }
}
} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    SetUIFontFace(false, L"Tahoma");
    SetUIFontHeight(-12);
    int result = 0;
    {
        CGalleryWnd gallery;
        if (!gallery.Build())
            return 2;
        int argc = 0;
        const LocalMemory<LPWSTR*> arguments(::CommandLineToArgvW(::GetCommandLineW(), &argc));
        LPWSTR* const argv = arguments.Get();
        if (argc == 3 && lstrcmpW(argv[1], L"--shot") == 0) {
            PumpFor(1500);
            gallery.RedrawWindow(nullptr, nullptr,
                                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            PumpFor(1000);
            result = gallery.SaveShot(argv[2]) ? 0 : 1;
            gallery.DestroyWindow();
        } else {
            MSG msg;
            while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
    }
    Gdiplus::GdiplusShutdown(token);
    return result;
}
