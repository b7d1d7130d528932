// Checks that a pointer addresses memory this process may read (or write), asked of the
// virtual memory manager, so a stale or foreign pointer gives FALSE instead of a crash.
#pragma once

#include <windows.h>

#include "Export.h"

// TRUE when all nBytes from p are committed and readable (and writable with bReadWrite).
XARN_CLASSLIB_API BOOL AfxIsValidAddress(const void* p, UINT_PTR nBytes, BOOL bReadWrite = TRUE);

// TRUE when psz is readable up to and including its terminator (nLength -1), or for
// nLength characters.
XARN_CLASSLIB_API BOOL AfxIsValidString(LPCWSTR psz, int nLength = -1);
