// The product's message box and the pop-ups over the translucent overlay, run modally and
// answered through the message-box hook or from the pop-up itself: results of every style for
// Enter, Escape, close and each button, the mapping of system box types, layout and height,
// escaping, the "do not show again" value, the overlay's translucency and the pop-ups' keys,
// drag and system close.
#include "UiTestSupport.h"

#include "DlgBaseChildPopUpWndBase.h"
#include "DlgBaseWnd.h"
#include "DlgBaseWndPopupNagBase.h"
#include "STBitmap.h"
#include "DlgParentTransculent.h"
#include "DlgBaseMessageBoxWndBase.h"
#include "PelqMessageBox.h"
#include "PopupServices.h"
#include "AppLocations.h"
#include "UiFonts.h"

#include <owners/WinOwners.h>

#include <pelqview.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
constexpr UINT kPopupTemplate = 9002;
constexpr int kCheckBox = 1231;

const auto* const g_fonts = ::testing::AddGlobalTestEnvironment(new SharedFontsEnvironment);

enum class Answer { kEnter, kEscape, kClose, kButton0, kButton1, kButton2, kCheckThenButton0 };

// What the hook saw of the box once it was up.
struct Seen {
    int style = -1;
    std::vector<std::wstring> captions;
    UINT icon = 0;
    CRect client;
    std::vector<CRect> buttons;
    CString message;
    CRect messageRect;
    bool hasCheckBox = false;
    bool hasCloseBox = false;
};

Answer g_answer = Answer::kEnter;
std::wstring g_shot;
Seen g_seen;
CDlgBaseMessageBoxWndBase* g_box = nullptr;

void PostCommand(HWND box, int id) {
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(box, id)));
}

void CALLBACK AnswerLater(HWND box, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(box, id);
    g_seen.style = g_box->m_nStyle;
    g_seen.icon = g_box->m_nMessageIconId;
    g_seen.message = g_box->m_strMessage;
    g_seen.messageRect = g_box->m_rcMessage;
    ::GetClientRect(box, &g_seen.client);
    g_seen.hasCheckBox = ::GetDlgItem(box, kCheckBox) != nullptr;
    g_seen.hasCloseBox = ::GetDlgItem(box, 1184) != nullptr;
    for (int i = 0; i < 5; ++i) {
        const HWND button = ::GetDlgItem(box, 1185 + i);
        if (button == nullptr)
            break;
        CRect rect;
        ::GetWindowRect(button, &rect);
        ::MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&rect), 2);
        g_seen.buttons.push_back(rect);
        wchar_t text[64] = {};
        ::GetWindowTextW(button, text, 64);
        g_seen.captions.emplace_back(text);
    }
    if (!g_shot.empty()) {
        CRect window;
        ::GetWindowRect(box, &window);
        EXPECT_TRUE(SaveScreenPng(window, BesideProgram(g_shot.c_str()).c_str()));
    }
    switch (g_answer) {
    case Answer::kEnter:
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        break;
    case Answer::kEscape:
        ::PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
        break;
    case Answer::kClose:
        if (g_seen.hasCloseBox)
            PostCommand(box, 1184);
        else
            ::PostMessageW(box, WM_CLOSE, 0, 0);
        break;
    case Answer::kButton0:
    case Answer::kButton1:
    case Answer::kButton2:
        PostCommand(box, 1185 + static_cast<int>(g_answer) - static_cast<int>(Answer::kButton0));
        break;
    case Answer::kCheckThenButton0:
        ::SendDlgItemMessageW(box, kCheckBox, BM_SETCHECK, BST_CHECKED, 0);
        PostCommand(box, 1185);
        break;
    }
}

void Answering(CDlgBaseMessageBoxWndBase* box) {
    g_box = box;
    g_seen = Seen{};
    box->SetTimer(77, 150, &AnswerLater);
}

class MessageBoxes : public ::testing::Test {
protected:
    void SetUp() override {
        SetMessageBoxAnswerHook(&Answering);
        g_shot.clear();
    }
    void TearDown() override { SetMessageBoxAnswerHook(nullptr); }
    static int Ask(UINT type, Answer answer, LPCWSTR text = L"Defragment drive C: now?") {
        g_answer = answer;
        return AppMessageBox(text, type, nullptr, nullptr, true);
    }
};
} // namespace

TEST_F(MessageBoxes, ResultsOfEveryStyleForEachAnswer) {
    struct Case {
        UINT type;
        Answer answer;
        int result;
    };
    const Case cases[] = {
        {MB_OK, Answer::kEnter, IDOK},
        {MB_OK, Answer::kEscape, IDOK},
        {MB_OK, Answer::kClose, IDOK},
        {MB_OK, Answer::kButton0, IDOK},
        {MB_YESNO, Answer::kEnter, IDYES},
        {MB_YESNO, Answer::kEscape, IDNO},
        {MB_YESNO, Answer::kClose, IDNO},
        {MB_YESNO, Answer::kButton0, IDYES},
        {MB_YESNO, Answer::kButton1, IDNO},
        {MB_OKCANCEL, Answer::kEnter, IDOK},
        {MB_OKCANCEL, Answer::kEscape, IDCANCEL},
        {MB_OKCANCEL, Answer::kClose, IDCANCEL},
        {MB_OKCANCEL, Answer::kButton0, IDOK},
        {MB_OKCANCEL, Answer::kButton1, IDCANCEL},
        {MB_YESNOCANCEL, Answer::kEnter, IDYES},
        {MB_YESNOCANCEL, Answer::kEscape, IDCANCEL},
        {MB_YESNOCANCEL, Answer::kClose, IDCANCEL},
        {MB_YESNOCANCEL, Answer::kButton0, IDYES},
        {MB_YESNOCANCEL, Answer::kButton1, IDNO},
        {MB_YESNOCANCEL, Answer::kButton2, IDCANCEL},
        {MB_ABORTRETRYIGNORE, Answer::kEnter, IDABORT},
        {MB_ABORTRETRYIGNORE, Answer::kButton0, IDABORT},
        {MB_ABORTRETRYIGNORE, Answer::kButton1, IDRETRY},
        {MB_ABORTRETRYIGNORE, Answer::kButton2, IDIGNORE},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Ask(c.type, c.answer), c.result)
            << "type " << c.type << " answer " << static_cast<int>(c.answer);
    Ask(MB_ABORTRETRYIGNORE, Answer::kEnter);
    EXPECT_EQ(g_seen.captions, (std::vector<std::wstring>{L"Abort", L"Retry", L"Ignore"}));
}

TEST_F(MessageBoxes, EscapeActsWhileEscapeIsHeld) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = VK_ESCAPE;
    ::SendInput(1, &input, sizeof(input));
    EXPECT_EQ(Ask(MB_YESNO, Answer::kEscape), IDNO);
    input.ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(1, &input, sizeof(input));
}

TEST_F(MessageBoxes, StyleAndIconMappingOfSystemTypes) {
    struct Case {
        UINT type;
        int style;
        UINT icon;
        size_t buttons;
    };
    const Case cases[] = {
        {MB_YESNO | MB_ICONQUESTION, 1, 1116, 2},
        {0, 0, 1115, 1},
        {MB_ICONEXCLAMATION, 0, 1113, 1},
        {MB_ICONHAND | MB_OKCANCEL, 2, 1113, 2},
        {MB_ICONASTERISK, 0, 1115, 1},
        {MB_YESNOCANCEL, 3, 1115, 3},
    };
    for (const Case& c : cases) {
        Ask(c.type, Answer::kEscape);
        EXPECT_EQ(g_seen.style, c.style) << c.type;
        EXPECT_EQ(g_seen.icon, c.icon) << c.type;
        EXPECT_EQ(g_seen.buttons.size(), c.buttons) << c.type;
    }
    Ask(MB_YESNO, Answer::kEscape);
    EXPECT_EQ(g_seen.captions, (std::vector<std::wstring>{L"Yes", L"No"}));
    EXPECT_FALSE(g_seen.hasCloseBox);
    Ask(MB_OK, Answer::kEscape);
    EXPECT_TRUE(g_seen.hasCloseBox);
    EXPECT_FALSE(g_seen.hasCheckBox);
}

TEST_F(MessageBoxes, ButtonsLaidOutFromTheRight) {
    Ask(MB_YESNOCANCEL, Answer::kEscape);
    ASSERT_EQ(g_seen.buttons.size(), 3u);
    const int w = g_seen.client.Width();
    const int y = g_seen.client.Height() - 34;
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(g_seen.buttons[i], CRect(w - 15 - 79 - i * 84, y, w - 15 - i * 84, y + 23)) << i;
    EXPECT_EQ(g_seen.client.Width(), 500);
    EXPECT_EQ(g_seen.client.Height(), 300);
}

TEST_F(MessageBoxes, LongMessagesWrapAndGrowTheBoxByTheirHtmlHeight) {
    CString text;
    for (int i = 0; i < 30; ++i)
        text += L"Fragmented files slow the drive down. ";
    Ask(MB_OK, Answer::kEnter, text);
    const CRect message = g_seen.messageRect;
    EXPECT_EQ(message.left, 53);
    // Wrapped at no more than 351 pixels; the HTML library's height for that width decides
    // the box's height.
    const int width = g_seen.client.Width() - 77;
    EXPECT_LE(width, 351);
    EXPECT_GT(width, 300);
    // Measured as the box measures: with the UI font in the context.
    CClientDC dc(nullptr);
    const HGDIOBJ previous = ::SelectObject(dc.GetSafeHdc(), g_fontUI.GetSafeHandle());
    const int height = PelqHtml_GetHTMLHeight(dc.GetSafeHdc(), g_seen.message,
                                              AfxGetModuleState()->m_hCurrentInstanceHandle, width);
    ::SelectObject(dc.GetSafeHdc(), previous);
    ASSERT_GT(height, 40);
    EXPECT_EQ(g_seen.client.Height(), height + 110);

    Ask(MB_OK, Answer::kEnter, L"Done.");
    EXPECT_EQ(g_seen.client.Height(), 171) << "a short message keeps the given box";
    EXPECT_LT(g_seen.client.Width(), 315 + 1);
}

TEST(MessageBoxText, PlainTextIsEscapedAndWrappedHtmlKept) {
    CPelqMessageBox box;
    box.SetMessageText(L"Tom & \"Jerry\"\nsecond line");
    const CString stored = box.m_strMessage;
    EXPECT_EQ(stored.Left(11), L"<font face=");
    EXPECT_NE(stored.Find(L"Tom &amp; &quot;Jerry&quot;<br>second line"), -1);
    EXPECT_EQ(stored.Right(7), L"</font>");
    box.SetMessageText(L"<b>bold</b> & more");
    EXPECT_EQ(box.m_strMessage, L"<b>bold</b> & more");
    box.m_bHtml = 0;
    box.SetMessageText(L"Tom & Jerry");
    EXPECT_EQ(box.m_strMessage, L"Tom & Jerry");
}

TEST(MessageBoxResult, SetResultOfEachStyle) {
    CPelqMessageBox box;
    box.SetupButtons(0, 0, nullptr, 0, FALSE);
    box.SetResult(2);
    EXPECT_EQ(box.GetResult(), IDOK);
    box.SetupButtons(2, 0, nullptr, 0, FALSE);
    box.SetResult(0);
    EXPECT_EQ(box.GetResult(), 0);
    box.SetResult(7);
    EXPECT_EQ(box.GetResult(), IDOK);
    // Any other style: one OK button not drawn as default, results stay as given.
    box.SetupButtons(9, 0, nullptr, 0, FALSE);
    EXPECT_EQ(box.m_captions.GetSize(), 1);
    EXPECT_EQ(box.m_nDefaultButton, 1);
    box.SetResult(3);
    EXPECT_EQ(box.GetResult(), 3);
}

TEST_F(MessageBoxes, CallersButtonsAndOneDontShowValuePerBox) {
    CString key = GetAppRegistryKey() + L"\\MessageBoxStatus";
    ::RegDeleteTreeW(HKEY_CURRENT_USER, key);
    CStringArray captions;
    captions.Add(L"Clean");
    captions.Add(L"Later");
    for (int round = 0; round < 2; ++round) {
        g_answer = round == 0 ? Answer::kCheckThenButton0 : Answer::kButton1;
        EXPECT_EQ(ShowMessageBox(L"Clean the junk files now?", 1113, 2, &captions,
                                 RECT{0, 0, 400, 200}, TRUE, nullptr),
                  round == 0 ? 0 : 1);
        EXPECT_TRUE(g_seen.hasCheckBox);
    }
    RegistryKey status;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_READ, status.Put()), ERROR_SUCCESS);
    DWORD values = 0;
    ::RegQueryInfoKeyW(status.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                       nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(values, 1u) << "the same box closed twice keeps one value";
    wchar_t name[128] = {};
    DWORD nameLength = 128, data = 9, size = sizeof(data);
    ASSERT_EQ(::RegEnumValueW(status.Get(), 0, name, &nameLength, nullptr, nullptr,
                              reinterpret_cast<BYTE*>(&data), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(name).rfind(L"DontShowMessageBox", 0), 0u);
    EXPECT_EQ(data, 0u) << "the last close left it unchecked";
    status.Reset();

    // Without a check box nothing is written.
    ::RegDeleteTreeW(HKEY_CURRENT_USER, key);
    g_answer = Answer::kButton0;
    EXPECT_EQ(ShowMessageBoxEx(L"Continue?", MB_ICONQUESTION, 2, &captions, RECT{0, 0, 400, 200},
                               FALSE, 1, nullptr),
              0);
    EXPECT_EQ(g_seen.icon, 1116u);
    EXPECT_FALSE(g_seen.hasCheckBox);
    EXPECT_NE(::RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_READ, status.Put()), ERROR_SUCCESS);
    g_answer = Answer::kEnter;
    EXPECT_EQ(ShowMessageBoxEx(L"Continue?", MB_ICONERROR, 2, &captions, RECT{0, 0, 400, 200},
                               FALSE, 1, nullptr),
              1)
        << "Enter presses the default button";
    EXPECT_EQ(g_seen.icon, 1113u);
}

// The bits of a bitmap, to compare two bitmaps pixel by pixel.
std::vector<BYTE> BitmapBits(HBITMAP bitmap) {
    BITMAP info{};
    ::GetObjectW(bitmap, sizeof(info), &info);
    BITMAPINFO request{};
    request.bmiHeader.biSize = sizeof(request.bmiHeader);
    request.bmiHeader.biWidth = info.bmWidth;
    request.bmiHeader.biHeight = info.bmHeight;
    request.bmiHeader.biPlanes = 1;
    request.bmiHeader.biBitCount = 32;
    std::vector<BYTE> bits(static_cast<size_t>(info.bmWidth) * info.bmHeight * 4);
    const HDC screen = ::GetDC(nullptr);
    ::GetDIBits(screen, bitmap, 0, info.bmHeight, bits.data(), &request, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    return bits;
}

struct LargeButtonsSeen {
    std::vector<CRect> buttons;
    bool defaultStrip = false, otherStrip = false, fourFrames = false;
    int hoverGrey = -1, hoverSky = -1;
};
LargeButtonsSeen g_large;

// Looks at the two large buttons of an OK/Cancel box, draws the default one hovered, answers.
void LookAtLargeButtons(CDlgBaseMessageBoxWndBase* box) {
    for (int i = 0; i < 2; ++i) {
        CRect rect;
        box->m_buttons[i].GetWindowRect(&rect);
        g_large.buttons.push_back(rect);
    }
    CSTBitmap light(1074), dark(1076);
    g_large.defaultStrip =
        BitmapBits(static_cast<HBITMAP>(box->m_buttons[0].m_bmpStrip.m_hObject)) ==
        BitmapBits(static_cast<HBITMAP>(light.m_hObject));
    g_large.otherStrip = BitmapBits(static_cast<HBITMAP>(box->m_buttons[1].m_bmpStrip.m_hObject)) ==
                         BitmapBits(static_cast<HBITMAP>(dark.m_hObject));
    g_large.fourFrames = box->m_buttons[0].m_bHasDisabledState &&
                         box->m_buttons[0].m_nFrameWidth == light.GetWidth() / 4;
    // Hovered: the whole button is the strip's hover frame, none of it the grey disabled one.
    Canvas canvas(120, 28);
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_BUTTON;
    item.hwndItem = box->m_buttons[0].m_hWnd;
    item.hDC = canvas.Handle();
    item.rcItem = RECT{0, 0, 120, 28};
    box->m_buttons[0].m_bHovering = true;
    box->m_buttons[0].DrawItem(&item);
    box->m_buttons[0].m_bHovering = false;
    // The strip's own colours of the hover (third) and disabled (fourth) frames.
    Canvas strip(light.GetWidth(), light.GetHeight());
    CDC source;
    source.CreateCompatibleDC(nullptr);
    CBitmap* kept = source.SelectObject(&light);
    ::BitBlt(strip.Handle(), 0, 0, light.GetWidth(), light.GetHeight(), source.m_hDC, 0, 0,
             SRCCOPY);
    source.SelectObject(kept);
    const COLORREF hover = strip.Pixel(2 * 120 + 60, 5);
    const COLORREF grey = strip.Pixel(3 * 120 + 60, 5);
    g_large.hoverSky = canvas.Count(hover, RECT{4, 5, 116, 6});
    g_large.hoverGrey = canvas.Count(grey, RECT{0, 0, 120, 28});
    box->PostMessageW(WM_COMMAND, IDCANCEL);
}

// Large buttons: 120 x 28 each, the default one on strip 1074 (light text), the other on 1076
// (dark text), both cut in four frames so that hovering shows one whole frame.
TEST(MessageBoxLargeButtons, StripsAndWholeHoverFrame) {
    g_large = LargeButtonsSeen{};
    SetMessageBoxAnswerHook(&LookAtLargeButtons);
    CPelqMessageBox box(nullptr);
    box.SetupButtons(CDlgBaseMessageBoxWndBase::kOkCancel, 0, nullptr, 0, TRUE);
    box.SetBoxRect(CRect(0, 0, 315, 171));
    box.SetMessageIcon(1115);
    box.SetMessageText(L"Check the drive now?");
    box.DoModal();
    SetMessageBoxAnswerHook(nullptr);
    ASSERT_EQ(g_large.buttons.size(), 2u);
    for (const CRect& button : g_large.buttons)
        EXPECT_EQ(button.Size(), CSize(120, 28));
    EXPECT_TRUE(g_large.defaultStrip) << "default button on 1074";
    EXPECT_TRUE(g_large.otherStrip) << "other button on 1076";
    EXPECT_TRUE(g_large.fourFrames);
    EXPECT_EQ(g_large.hoverGrey, 0) << "no part of the disabled frame while hovered";
    EXPECT_GE(g_large.hoverSky, 100) << "a row of the hover frame across the button";
}

// Without the update program beside the library, the update command tells the user so in the
// product's own box (never the shell's bare "file not found"), once per quiet time.
TEST_F(MessageBoxes, UpdateCheckWithoutItsProgramAnswersInTheProductsBox) {
    ASSERT_EQ(::GetFileAttributesW(BesideProgram(L"XarnUpdate.exe").c_str()),
              INVALID_FILE_ATTRIBUTES);
    g_answer = Answer::kEnter;
    CDlgBaseWnd::LaunchUpdateCheck();
    EXPECT_EQ(g_seen.style, CDlgBaseMessageBoxWndBase::kOk);
    EXPECT_EQ(g_seen.icon, 1115u);
    EXPECT_NE(g_seen.message.Find(L"cannot check for updates"), -1)
        << static_cast<LPCWSTR>(g_seen.message);
    g_seen = Seen{};
    CDlgBaseWnd::LaunchUpdateCheck();
    EXPECT_EQ(g_seen.style, -1) << "a second call within the quiet time shows nothing";
}

TEST_F(MessageBoxes, ScreenshotOfEveryStyle) {
    struct Shot {
        UINT type;
        LPCWSTR file;
        LPCWSTR text;
    };
    const Shot shots[] = {
        {MB_OK | MB_ICONINFORMATION, L"msgbox_ok.png", L"The analysis of drive C: is finished."},
        {MB_YESNO | MB_ICONQUESTION, L"msgbox_yesno.png",
         L"Do you want to defragment drive C: now? This can take a while on a large drive."},
        {MB_OKCANCEL | MB_ICONEXCLAMATION, L"msgbox_okcancel.png",
         L"Close the other programs before you go on & save your work."},
        {MB_YESNOCANCEL | MB_ICONQUESTION, L"msgbox_yesnocancel.png",
         L"Save the report before you leave?"},
        {MB_ABORTRETRYIGNORE | MB_ICONHAND, L"msgbox_abortretryignore.png",
         L"The file <b>C:\\pagefile.sys</b> could not be moved."},
    };
    for (const Shot& shot : shots) {
        g_shot = shot.file;
        Ask(shot.type, Answer::kEscape, shot.text);
    }
    g_shot.clear();
}

namespace {
// A pop-up over the overlay that records what it sees and answers by a script.
class ScriptedPopup : public CDlgBaseWndPopupNagBase {
public:
    enum class Script { kEnter, kEscape, kDragThenEnter, kSystemClose, kShot };
    explicit ScriptedPopup(Script script)
        : CDlgBaseWndPopupNagBase(kPopupTemplate, nullptr), m_script(script) {}
    BOOL OnInitDialog() override {
        CDlgBaseWndPopupNagBase::OnInitDialog();
        SetWindowText(L"Defragment");
        SetTimer(1, 300, nullptr);
        return TRUE;
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_NCLBUTTONDOWN)
            ++m_captionDrags;
        return CDlgBaseWndPopupNagBase::WindowProc(message, wParam, lParam);
    }
    void OnTimer(UINT_PTR id) {
        KillTimer(id);
        CWnd* overlay = GetParent();
        m_overlay = overlay != nullptr ? overlay->GetSafeHwnd() : nullptr;
        BYTE alpha = 0;
        DWORD flags = 0;
        m_layered = ::GetLayeredWindowAttributes(m_overlay, nullptr, &alpha, &flags) &&
                    (flags & LWA_ALPHA) != 0;
        m_alpha = alpha;
        ::GetWindowRect(m_overlay, &m_overlayRect);
        // Shown before its overlay, the pop-up still lies above it, nearer the top.
        for (HWND window = ::GetTopWindow(nullptr); window != nullptr && window != m_overlay;
             window = ::GetWindow(window, GW_HWNDNEXT))
            m_aboveOverlay = m_aboveOverlay || window == m_hWnd;
        switch (m_script) {
        case Script::kEnter:
            PostMessageW(WM_KEYDOWN, VK_RETURN, 0);
            break;
        case Script::kEscape:
            PostMessageW(WM_KEYDOWN, VK_ESCAPE, 0);
            break;
        case Script::kDragThenEnter:
            GetWindowRect(&m_before);
            SendMessageW(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10));
            SendMessageW(WM_LBUTTONUP, 0, MAKELPARAM(20, 10));
            GetWindowRect(&m_after);
            PostMessageW(WM_COMMAND, IDOK);
            break;
        case Script::kSystemClose:
            m_bCloseCallbackEnabled = 1;
            m_pCloseCallback = &ClosedByCallback;
            PostMessageW(WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
        case Script::kShot: {
            CenterWindow(GetParent());
            UpdateWindow();
            PumpFor(300);
            CRect shot, popup;
            ::GetWindowRect(m_overlay, &shot);
            shot.InflateRect(1, 1);
            GetWindowRect(&popup);
            popup.OffsetRect(-shot.left, -shot.top);
            // The virtual display composes no translucency: the picture blends the overlay's
            // colour at its alpha over what lies under it, as a composing desktop shows it.
            m_shotSaved = SaveScreenPng(shot, BesideProgram(L"popup_over_overlay.png").c_str(),
                                        [&](HDC dc) { DimAround(dc, shot.Size(), popup); });
            PostMessageW(WM_COMMAND, IDCANCEL);
            break;
        }
        }
    }
    static void ClosedByCallback(CDlgBaseChildPopUpWndBase* popup) {
        auto* self = static_cast<ScriptedPopup*>(popup);
        ++self->m_callbackCalls;
        self->SetResultAndClose(5);
    }
    Script m_script;
    HWND m_overlay = nullptr;
    bool m_layered = false;
    bool m_aboveOverlay = false;
    int m_alpha = 0;
    CRect m_overlayRect;
    CRect m_before, m_after;
    int m_captionDrags = 0;
    int m_callbackCalls = 0;
    bool m_shotSaved = false;
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(ScriptedPopup, CDlgBaseWndPopupNagBase)
ON_WM_TIMER()
END_MESSAGE_MAP()
} // namespace

TEST(PopupOverOverlay, EnterAndEscapeOverTheLayeredOverlayThatLiesBelowIt) {
    HostWindow host(RGB(240, 244, 250), 700, 500);
    ScriptedPopup enter(ScriptedPopup::Script::kEnter);
    EXPECT_EQ(RunPopupOverParent(&host, &enter, kPopupTemplate), IDOK);
    EXPECT_TRUE(enter.m_layered);
    EXPECT_TRUE(enter.m_aboveOverlay) << "the pop-up lies under its overlay";
    EXPECT_EQ(enter.m_alpha, CDlgParentTransculent::kAlpha);
    EXPECT_EQ(enter.m_alpha, 171);
    CRect hostRect;
    host.GetWindowRect(&hostRect);
    hostRect.DeflateRect(1, 1);
    EXPECT_EQ(enter.m_overlayRect, hostRect);
    EXPECT_FALSE(::IsWindow(enter.m_overlay)) << "the overlay ended with the pop-up";

    ScriptedPopup escape(ScriptedPopup::Script::kEscape);
    EXPECT_EQ(RunPopupOverParent(&host, &escape, kPopupTemplate), IDCANCEL);
}

TEST(PopupOverOverlay, CaptionDragIsRefused) {
    HostWindow host;
    ScriptedPopup popup(ScriptedPopup::Script::kDragThenEnter);
    EXPECT_EQ(RunPopupOverParent(&host, &popup, kPopupTemplate), IDOK);
    EXPECT_EQ(popup.m_captionDrags, 0);
    EXPECT_EQ(popup.m_before, popup.m_after);
}

TEST(PopupOverOverlay, SystemCloseGoesOnceThroughTheCallback) {
    HostWindow host;
    ScriptedPopup popup(ScriptedPopup::Script::kSystemClose);
    EXPECT_EQ(RunPopupOverParent(&host, &popup, kPopupTemplate), 5);
    EXPECT_EQ(popup.m_callbackCalls, 1);
}

TEST(PopupOverOverlay, Screenshot) {
    HostWindow host(RGB(240, 244, 250), 700, 500);
    ScriptedPopup popup(ScriptedPopup::Script::kShot);
    EXPECT_EQ(RunPopupOverParent(&host, &popup, kPopupTemplate), IDCANCEL);
    EXPECT_TRUE(popup.m_shotSaved);
}

TEST(Popup, WithoutCloseBoxNoMaximiseBoxes) {
    HostWindow host;
    CDlgBaseChildPopUpWndBase popup(kPopupTemplate, &host);
    popup.m_bHasCloseBox = 0;
    popup.m_bMaximizeAllowed = 1;
    popup.SetWindowSize(TRUE, 0, 200);
    ASSERT_TRUE(popup.Create(kPopupTemplate, &host));
    EXPECT_EQ(popup.m_maximizeBox.GetSafeHwnd(), nullptr);
    EXPECT_EQ(popup.m_restoreBox.GetSafeHwnd(), nullptr);
    EXPECT_EQ(popup.m_bMaximizeAllowed, 0);
    CRect window;
    popup.GetWindowRect(&window);
    EXPECT_NE(window.Height(), 200) << "a zero width leaves the template's size";
    popup.DestroyWindow();
}
