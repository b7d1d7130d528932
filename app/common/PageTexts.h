// Language texts of the main program's pages, looked up through the application object.
#pragma once

#include <classlib/String.h>

// The text of `key` in `section`; without a section, in the application's current one.
CString AppText(const wchar_t* key, const wchar_t* section = nullptr);
// The text of `key` used as a format with the given arguments.
CString AppTextFormat(const wchar_t* key, ...);
