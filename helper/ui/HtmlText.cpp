#include "HtmlText.h"

#include <classlib/Resources.h>

#include <pelqview.h>

namespace {
constexpr UINT kOpaqueMode = 1;
constexpr UINT kTransparentMode = 5;
} // namespace

UINT HtmlRenderMode(bool transparent) {
    return transparent ? kTransparentMode : kOpaqueMode;
}

BOOL DrawHtmlText(CWnd*, CDC* dc, const RECT* rect, LPCWSTR html, BOOL transparent) {
    return PelqHtml_RenderHTMLRect(dc->m_hDC, html, AfxGetModuleState()->m_hCurrentInstanceHandle,
                                   HtmlRenderMode(transparent != FALSE), rect);
}
