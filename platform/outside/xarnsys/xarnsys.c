// The product's system library as the shared library binds it: three texts, no arguments.
#include <windows.h>

// Sub-folder of the shared library's folder in which the ini files are looked for first.
const char* XarnSysIniSubFolder(void) {
    return "English";
}

// File name of the resource library loaded at start.
const char* XarnSysResourceLibrary(void) {
    return "xarnres.dll";
}

// The current language, also the locale name given to the run-time library.
const char* XarnSysLanguageName(void) {
    return "English";
}
