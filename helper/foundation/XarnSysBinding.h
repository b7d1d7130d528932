// The outside library xarnsys, bound on first use. Each text is widened with the thread's
// ANSI code page; empty when the library or its entry is missing.
#pragma once

#include <classlib/String.h>

CString XarnSysIniSubFolder();
CString XarnSysResourceLibrary();
CString XarnSysLanguageName();
