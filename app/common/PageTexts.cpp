#include "PageTexts.h"

#include <VantorixApp.h>

#include <cstdarg>

CString AppText(const wchar_t* key, const wchar_t* section) {
    auto* app = dynamic_cast<CVantorixApp*>(AfxGetApp());
    return app != nullptr ? app->GetLangString(key, section) : CString();
}

CString AppTextFormat(const wchar_t* key, ...) {
    const CString format = AppText(key);
    va_list arguments;
    va_start(arguments, key);
    CString text;
    text.FormatV(format, arguments);
    va_end(arguments);
    return text;
}
