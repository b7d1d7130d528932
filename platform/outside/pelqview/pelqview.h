/* The outside HTML text library the shared library imports. */
#pragma once

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Makes a module's resources available to the HTML text; TRUE for a module handle. */
BOOL WINAPI PelqHtml_Initialize(HINSTANCE module);

/* Modes of PelqHtml_RenderHTMLRect. */
#define PELQ_HTML_OPAQUE 1      /* fills the rectangle with the context's background colour */
#define PELQ_HTML_TRANSPARENT 5 /* leaves the background that is already there */

/* Draws the HTML text into the rectangle, wrapped at its width and clipped to it. The text
   starts in the context's font and text colour. Understood: <font face size color>, <b>,
   <strong>, <i>, <em>, <u>, <br>, <p>, <div>, character entities. FALSE for missing
   arguments or an unknown mode. */
BOOL WINAPI PelqHtml_RenderHTMLRect(HDC dc, LPCWSTR html, HINSTANCE module, UINT mode,
                                    LPCRECT rect);

/* The height in pixels the text takes when rendered at this width; -1 for missing arguments
   or a width below 1. */
int WINAPI PelqHtml_GetHTMLHeight(HDC dc, LPCWSTR html, HINSTANCE module, int width);

#ifdef __cplusplus
}
#endif
