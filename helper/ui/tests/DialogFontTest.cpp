// Dialog fonts at 96 pixels per inch from either template form, the layout from the template,
// a missing or damaged template, and the window utilities.
#include "UiTestSupport.h"

#include "DialogTemplate.h"
#include "STDialogFont.h"
#include "STFont.h"
#include "STLogFont.h"
#include "TransparentCheckRadio.h"
#include "TransparentStatic2.h"
#include "WindowUtilities.h"
#include "WndClientRect.h"
#include "ProductIdentity.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
constexpr UINT kExtendedBold = 4001;
constexpr UINT kPlain = 4002;
constexpr UINT kNoFont = 4003;
constexpr UINT kChildPage = 4004;

INT_PTR CALLBACK QuietDialog(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

// A modeless dialog from the test program's template.
class TemplateDialog {
public:
    TemplateDialog(UINT id, HWND parent = nullptr, HMODULE module = ::GetModuleHandleW(nullptr))
        : m_hWnd(::CreateDialogParamW(module, MAKEINTRESOURCEW(id), parent, &QuietDialog, 0)) {}
    ~TemplateDialog() { ::DestroyWindow(m_hWnd); }
    HWND m_hWnd;
    // The font its first control was given (a dialog under Wine keeps answering WM_GETFONT
    // with its creation font).
    LOGFONTW Font() const {
        LOGFONTW font{};
        ::GetObjectW(reinterpret_cast<HFONT>(::SendDlgItemMessageW(m_hWnd, 4011, WM_GETFONT, 0, 0)),
                     sizeof(font), &font);
        return font;
    }
    RECT ItemRect(int id) const {
        RECT rect{};
        const HWND item = ::GetDlgItem(m_hWnd, id);
        ::GetWindowRect(item, &rect);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }
};

// Dialog base units of a font as the layout measures them.
SIZE BaseUnits(HWND wnd, HFONT font) {
    const HDC dc = ::GetDC(wnd);
    const HGDIOBJ previous = ::SelectObject(dc, font);
    TEXTMETRICA metrics{};
    SIZE extent{};
    ::GetTextMetricsA(dc, &metrics);
    ::GetTextExtentPointA(dc, "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ", 52, &extent);
    ::SelectObject(dc, previous);
    ::ReleaseDC(wnd, dc);
    return SIZE{(extent.cx / 26 + 1) / 2, metrics.tmHeight};
}

RECT Expected(SIZE units, int x, int y, int cx, int cy) {
    auto round = [](double v) { return static_cast<int>(v + 0.5); };
    const int left = round(x * units.cx / 4.0), top = round(y * units.cy / 8.0);
    return RECT{left, top, left + round(units.cx * cx / 4.0), top + round(units.cy * cy / 8.0)};
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
} // namespace

TEST(DialogFont, ExtendedTemplateGivesItsFontAndLayout) {
    TemplateDialog dialog(kExtendedBold);
    ASSERT_NE(dialog.m_hWnd, nullptr);
    const HFONT original = reinterpret_cast<HFONT>(::SendMessageW(dialog.m_hWnd, WM_GETFONT, 0, 0));
    CSTDialogFont font;
    ASSERT_TRUE(font.Apply(::GetModuleHandleW(nullptr), dialog.m_hWnd, kExtendedBold, 96.0));
    const LOGFONTW applied = dialog.Font();
    EXPECT_EQ(applied.lfHeight, -11);
    EXPECT_EQ(applied.lfWeight, 700);
    EXPECT_TRUE(applied.lfItalic);
    EXPECT_STREQ(applied.lfFaceName, L"Tahoma");
    EXPECT_EQ(font.m_hPreviousFont, original);

    const SIZE units = BaseUnits(dialog.m_hWnd, font.m_font.Get());
    EXPECT_TRUE(SameRect(dialog.ItemRect(4011), Expected(units, 10, 10, 50, 14)));
    EXPECT_TRUE(SameRect(dialog.ItemRect(4013), Expected(units, 80, 50, 40, 20)));
    RECT client{};
    ::GetClientRect(dialog.m_hWnd, &client);
    EXPECT_EQ(client.right, Expected(units, 0, 0, 200, 100).right);
    EXPECT_EQ(client.bottom, Expected(units, 0, 0, 200, 100).bottom);
    EXPECT_EQ(reinterpret_cast<HFONT>(::SendDlgItemMessageW(dialog.m_hWnd, 4013, WM_GETFONT, 0, 0)),
              font.m_font.Get());

    font.Restore();
    EXPECT_EQ(reinterpret_cast<HFONT>(::SendDlgItemMessageW(dialog.m_hWnd, 4012, WM_GETFONT, 0, 0)),
              original);
    EXPECT_EQ(font.m_hDialog, nullptr);
}

TEST(DialogFont, PlainTemplateIsReadInItsOwnLayout) {
    TemplateDialog dialog(kPlain);
    ASSERT_NE(dialog.m_hWnd, nullptr);
    CSTDialogFont font;
    ASSERT_TRUE(font.Apply(::GetModuleHandleW(nullptr), dialog.m_hWnd, kPlain, 96.0));
    const LOGFONTW applied = dialog.Font();
    EXPECT_EQ(applied.lfHeight, -13) << "10 points at 96 pixels per inch";
    EXPECT_STREQ(applied.lfFaceName, L"Arial");
    EXPECT_FALSE(applied.lfItalic);
    const SIZE units = BaseUnits(dialog.m_hWnd, font.m_font.Get());
    EXPECT_TRUE(SameRect(dialog.ItemRect(4012), Expected(units, 10, 30, 60, 14)));
}

TEST(DialogFont, TemplateWithoutFontGetsTahomaEightPoints) {
    TemplateDialog dialog(kNoFont);
    CSTDialogFont font;
    ASSERT_TRUE(font.Apply(::GetModuleHandleW(nullptr), dialog.m_hWnd, kNoFont, 96.0));
    const LOGFONTW applied = dialog.Font();
    EXPECT_EQ(applied.lfHeight, -11);
    EXPECT_EQ(applied.lfWeight, 400);
    EXPECT_STREQ(applied.lfFaceName, L"Tahoma");
}

TEST(DialogFont, MissingTemplateFailsAndChangesNothing) {
    TemplateDialog dialog(kExtendedBold);
    const HFONT original =
        reinterpret_cast<HFONT>(::SendDlgItemMessageW(dialog.m_hWnd, 4011, WM_GETFONT, 0, 0));
    const RECT before = dialog.ItemRect(4011);
    CSTDialogFont font;
    EXPECT_FALSE(font.Apply(::GetModuleHandleW(nullptr), dialog.m_hWnd, 4999, 96.0));
    EXPECT_EQ(reinterpret_cast<HFONT>(::SendDlgItemMessageW(dialog.m_hWnd, 4011, WM_GETFONT, 0, 0)),
              original);
    EXPECT_TRUE(SameRect(dialog.ItemRect(4011), before));
    EXPECT_EQ(font.m_hDialog, nullptr);
    EXPECT_EQ(font.m_font.Get(), nullptr);
}

TEST(DialogFont, LayoutStopsAtAControlBeforeItsPredecessor) {
    TemplateDialog dialog(kExtendedBold);
    // z-order First, Third, Second: Third lies before Second.
    ::SetWindowPos(::GetDlgItem(dialog.m_hWnd, 4012), HWND_BOTTOM, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    const RECT third = dialog.ItemRect(4013);
    CSTDialogFont font;
    ASSERT_TRUE(font.Apply(::GetModuleHandleW(nullptr), dialog.m_hWnd, kExtendedBold, 96.0));
    const SIZE units = BaseUnits(dialog.m_hWnd, font.m_font.Get());
    EXPECT_TRUE(SameRect(dialog.ItemRect(4012), Expected(units, 10, 30, 60, 14)));
    EXPECT_TRUE(SameRect(dialog.ItemRect(4013), third)) << "not laid out";
}

TEST(DialogFont, ApplyingTwiceRestoresTheFirstFont) {
    TemplateDialog dialog(kExtendedBold);
    const HFONT original = reinterpret_cast<HFONT>(::SendMessageW(dialog.m_hWnd, WM_GETFONT, 0, 0));
    CSTDialogFont font;
    ASSERT_TRUE(font.Apply(::GetModuleHandleW(nullptr), dialog.m_hWnd, kExtendedBold, 96.0));
    const HFONT first = font.m_font.Get();
    ASSERT_TRUE(font.Apply(::GetModuleHandleW(nullptr), dialog.m_hWnd, kExtendedBold, 120.0));
    EXPECT_EQ(font.m_hPreviousFont, original) << "the first font was taken back";
    LOGFONTW gone{};
    EXPECT_EQ(::GetObjectW(first, sizeof(gone), &gone), 0) << "the first font was deleted";
    EXPECT_EQ(dialog.Font().lfHeight, -13) << "8 points at 120 pixels per inch";
}

TEST(DialogFont, MeasuringLeavesThePendingPaint) {
    TemplateDialog dialog(kNoFont);
    ::UpdateWindow(dialog.m_hWnd);
    ::InvalidateRect(dialog.m_hWnd, nullptr, TRUE);
    CSTDialogFont font;
    ASSERT_TRUE(font.Apply(::GetModuleHandleW(nullptr), dialog.m_hWnd, kNoFont, 96.0));
    RECT update{};
    EXPECT_TRUE(::GetUpdateRect(dialog.m_hWnd, &update, FALSE))
        << "the font was measured without validating the window";
}

TEST(DialogFont, ChildPageKeepsItsPlaceInTheParent) {
    HostWindow host;
    TemplateDialog page(kChildPage, host.m_hWnd);
    ASSERT_NE(page.m_hWnd, nullptr);
    ::SetWindowPos(page.m_hWnd, nullptr, 30, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    CSTDialogFont font;
    ASSERT_TRUE(font.Apply(::GetModuleHandleW(nullptr), page.m_hWnd, kChildPage, 96.0));
    RECT rect{};
    ::GetWindowRect(page.m_hWnd, &rect);
    ::MapWindowPoints(nullptr, host.m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(rect.left, 30);
    EXPECT_EQ(rect.top, 40);
}

TEST(DialogFont, ProductPanelTemplateFromTheResourceLibrary) {
    HostWindow host;
    const HMODULE skin = GetResourceInstance();
    TemplateDialog panel(1272, host.m_hWnd, skin);
    ASSERT_NE(panel.m_hWnd, nullptr);
    CSTDialogFont font;
    ASSERT_TRUE(font.Apply(skin, panel.m_hWnd, 1272, 96.0));
    const SIZE units = BaseUnits(panel.m_hWnd, font.m_font.Get());
    EXPECT_TRUE(SameRect(panel.ItemRect(1181), Expected(units, 10, 300, 98, 12)));
    EXPECT_TRUE(SameRect(panel.ItemRect(1197), Expected(units, 10, 280, 98, 12)));
}

TEST(DialogTemplateReading, DamagedTemplatesAreRefused) {
    const HMODULE module = ::GetModuleHandleW(nullptr);
    const HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(kExtendedBold), RT_DIALOG);
    ASSERT_NE(resource, nullptr);
    const auto* bytes = static_cast<const BYTE*>(::LockResource(::LoadResource(module, resource)));
    const DWORD size = ::SizeofResource(module, resource);
    DialogTemplateInfo info;
    ASSERT_TRUE(ParseDialogTemplate(bytes, size, info));
    EXPECT_TRUE(info.extended);
    EXPECT_EQ(info.items.size(), 3u);
    EXPECT_EQ(info.cx, 200);
    for (DWORD cut : {0ul, 3ul, 20ul, size / 2, size - 6})
        EXPECT_FALSE(ParseDialogTemplate(bytes, cut, info)) << cut;
}

TEST(WindowUtilities, TransparencyForegroundAndListSelection) {
    HostWindow host;
    EXPECT_NE(SetWindowTransparency(host.m_hWnd, 255), 0);
    EXPECT_NE(host.GetExStyle() & WS_EX_LAYERED, 0u);
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(::GetLayeredWindowAttributes(host.m_hWnd, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 255);
    EXPECT_EQ(flags & LWA_ALPHA, static_cast<DWORD>(LWA_ALPHA));

    EXPECT_TRUE(ForceForegroundWindow(host.m_hWnd));
    EXPECT_EQ(::GetForegroundWindow(), host.m_hWnd);

    CListCtrl list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 0, 200, 100), &host, 5));
    list.InsertColumn(0, L"Name", LVCFMT_LEFT, 100);
    for (int i = 0; i < 3; ++i)
        list.InsertItem(i, L"row");
    SelectListCtrlItem(&list, 1);
    EXPECT_EQ(list.GetItemState(1, LVIS_SELECTED | LVIS_FOCUSED),
              static_cast<UINT>(LVIS_SELECTED | LVIS_FOCUSED));
}

TEST(FontAndRectangleClasses, RecordsFontsAndClientRectangles) {
    const CSTLogFont record(L"Arial", -15, true, TRUE);
    EXPECT_STREQ(record.lfFaceName, L"Arial");
    EXPECT_EQ(record.lfHeight, -15);
    EXPECT_EQ(record.lfWeight, 700);
    EXPECT_EQ(record.lfUnderline, TRUE);
    const CSTLogFont plain;
    EXPECT_EQ(plain.lfWeight, FW_NORMAL);
    const CSTFont font(&record);
    LOGFONTW made{};
    ASSERT_NE(font.GetLogFont(&made), 0);
    EXPECT_EQ(made.lfHeight, -15);

    HostWindow host(RGB(255, 255, 255), 321, 123);
    const CWndClientRect client(&host);
    EXPECT_EQ(client.Width(), 321);
    EXPECT_EQ(client.Height(), 123);
    CWndClientRect copy(&host);
    copy = client;
    EXPECT_EQ(copy.right, 321);
}

TEST(TransparentControls, CheckBoxColoursAndStaticSnapshot) {
    HostWindow host(RGB(0, 160, 0));
    CTransparentCheckRadio check;
    ASSERT_TRUE(check.Create(L"Include", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX,
                             CRect(10, 10, 150, 30), &host, 7));
    Canvas canvas(10, 10);
    const LRESULT brush =
        host.SendMessage(WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(canvas.Handle()),
                         reinterpret_cast<LPARAM>(check.m_hWnd));
    LOGBRUSH info{};
    ASSERT_NE(::GetObjectW(reinterpret_cast<HBRUSH>(brush), sizeof(info), &info), 0);
    EXPECT_EQ(info.lbColor, RGB(255, 255, 255));
    EXPECT_EQ(::GetTextColor(canvas.Handle()), RGB(45, 54, 72));
    EXPECT_EQ(::GetBkMode(canvas.Handle()), TRANSPARENT);

    CTransparentStatic2 label;
    ASSERT_TRUE(label.Create(L"Files", WS_CHILD | WS_VISIBLE, CRect(10, 40, 150, 60), &host, 8));
    EXPECT_EQ(label.m_bmpBackground.m_hObject, nullptr);
    label.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.Handle()));
    ASSERT_NE(label.m_bmpBackground.m_hObject, nullptr) << "snapshot on the first erase";
    const HGDIOBJ snapshot = label.m_bmpBackground.m_hObject;
    label.SetWindowText(L"More files");
    label.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.Handle()));
    EXPECT_EQ(label.m_bmpBackground.m_hObject, snapshot) << "never taken again";
    CString text;
    label.GetWindowText(text);
    EXPECT_EQ(text, L"More files");
}
