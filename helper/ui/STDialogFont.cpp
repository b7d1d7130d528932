#include "STDialogFont.h"

#include "DialogTemplate.h"

namespace {
constexpr char kBaseUnitLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";

bool LoadTemplate(HINSTANCE module, UINT id, DialogTemplateInfo& info) {
    const HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(id & 0xFFFF), RT_DIALOG);
    if (resource == nullptr)
        return false;
    const HGLOBAL loaded = ::LoadResource(module, resource);
    const auto* bytes = static_cast<const BYTE*>(loaded ? ::LockResource(loaded) : nullptr);
    const bool parsed =
        bytes != nullptr && ParseDialogTemplate(bytes, ::SizeofResource(module, resource), info);
    if (loaded != nullptr)
        ::FreeResource(loaded);
    return parsed;
}

int Round(double value) {
    return static_cast<int>(value + 0.5);
}

// Calls `visit` with the control of each template item, in template order, searching the
// children in z-order after the one found last; stops at the first item without a window.
template <typename Visit>
void ForEachItemWindow(HWND dialog, const DialogTemplateInfo& info, Visit visit) {
    HWND next = ::GetWindow(dialog, GW_CHILD);
    for (const DialogTemplateItem& item : info.items) {
        HWND found = next;
        while (found != nullptr && static_cast<DWORD>(::GetDlgCtrlID(found)) != item.id)
            found = ::GetWindow(found, GW_HWNDNEXT);
        if (found == nullptr)
            return;
        visit(found, item);
        next = ::GetWindow(found, GW_HWNDNEXT);
    }
}
} // namespace

CSTDialogFont::~CSTDialogFont() {
    Restore();
}

bool CSTDialogFont::Apply(HINSTANCE module, HWND dialog, UINT templateId, double pixelsPerInch) {
    if (m_hDialog != nullptr)
        Restore();
    DialogTemplateInfo info;
    if (!::IsWindow(dialog) || !LoadTemplate(module, templateId, info))
        return false;
    const HFONT font =
        ::CreateFontW(-Round(info.points * pixelsPerInch / 72), 0, 0, 0, info.weight, info.italic,
                      0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, info.face.c_str());
    if (font == nullptr)
        return false;
    m_hModule = module;
    m_hDialog = dialog;
    m_nTemplateId = templateId;
    m_font.Reset(font);
    m_hPreviousFont = reinterpret_cast<HFONT>(::SendMessageW(dialog, WM_GETFONT, 0, 0));
    ::SendMessageW(dialog, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);

    // Dialog base units of the new font; a window DC, since this runs outside WM_PAINT.
    int unitX = 0;
    int unitY = 0;
    if (const HDC dc = ::GetDC(dialog); dc != nullptr) {
        const HGDIOBJ previous = ::SelectObject(dc, font);
        TEXTMETRICA metrics{};
        SIZE extent{};
        ::GetTextMetricsA(dc, &metrics);
        ::GetTextExtentPointA(dc, kBaseUnitLetters, 52, &extent);
        ::SelectObject(dc, previous);
        ::ReleaseDC(dialog, dc);
        unitX = (extent.cx / 26 + 1) / 2;
        unitY = metrics.tmHeight;
    }

    RECT client{};
    ::GetClientRect(dialog, &client);
    RECT frame{client.left, client.top, client.left + Round(info.cx * unitX / 4.0),
               client.top + Round(info.cy * unitY / 8.0)};
    ::MapWindowPoints(dialog, nullptr, reinterpret_cast<POINT*>(&frame), 2);
    ::AdjustWindowRectEx(&frame, info.style, info.hasMenu, info.exStyle);
    // A child dialog is placed in its parent's client coordinates.
    if ((::GetWindowLongW(dialog, GWL_STYLE) & WS_CHILD) != 0)
        ::MapWindowPoints(nullptr, ::GetParent(dialog), reinterpret_cast<POINT*>(&frame), 2);
    ::MoveWindow(dialog, frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top,
                 TRUE);

    ForEachItemWindow(dialog, info, [&](HWND control, const DialogTemplateItem& item) {
        ::MoveWindow(control, Round(item.x * unitX / 4.0), Round(item.y * unitY / 8.0),
                     Round(unitX * item.cx / 4.0), Round(unitY * item.cy / 8.0), TRUE);
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    });
    return true;
}

void CSTDialogFont::Restore() {
    if (m_hDialog == nullptr)
        return;
    const WPARAM previous = reinterpret_cast<WPARAM>(m_hPreviousFont);
    if (::IsWindow(m_hDialog)) {
        ::SendMessageW(m_hDialog, WM_SETFONT, previous, TRUE);
        DialogTemplateInfo info;
        if (LoadTemplate(m_hModule, m_nTemplateId, info))
            ForEachItemWindow(m_hDialog, info, [&](HWND control, const DialogTemplateItem&) {
                ::SendMessageW(control, WM_SETFONT, previous, TRUE);
            });
    }
    m_font.Reset();
    m_hDialog = nullptr;
    m_hPreviousFont = nullptr;
}
