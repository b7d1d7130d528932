/* Stand-in for the outside HTML text library: what the shared library calls so far. */
#include "pelqview.h"

BOOL WINAPI PelqHtml_Initialize(HINSTANCE module) {
    return module != NULL;
}
