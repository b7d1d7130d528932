/* The outside HTML text library the shared library imports. */
#pragma once

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Makes a module's resources available to the HTML text; TRUE for a module handle. */
BOOL WINAPI PelqHtml_Initialize(HINSTANCE module);

#ifdef __cplusplus
}
#endif
