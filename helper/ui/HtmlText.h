// HTML text in dialogs through the outside HTML text library.
#pragma once

#include <windows.h>

#include <classlib/Gdi.h>
#include <classlib/Window.h>

// Renders `html` into `rect`; transparent keeps what `dc` already shows behind the text.
// Returns what the HTML library returns. `owner` is not used.
BOOL DrawHtmlText(CWnd* owner, CDC* dc, const RECT* rect, LPCWSTR html, BOOL transparent);
// The HTML library's mode for a transparent or an opaque rendering.
UINT HtmlRenderMode(bool transparent);
