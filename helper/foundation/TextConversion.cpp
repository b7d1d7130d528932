#include "TextConversion.h"

#include <cwchar>

namespace {

UINT Resolve(int codePage) {
    return codePage == -1 ? GetACP() : static_cast<UINT>(codePage);
}

DWORD WideFlags(UINT codePage) {
    return codePage == CP_UTF8 ? 0 : WC_COMPOSITECHECK | WC_SEPCHARS;
}

} // namespace

UINT GetCurrentLocaleCodePage() {
    wchar_t text[10] = {};
    if (!GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, text, 10))
        return 0;
    return static_cast<UINT>(_wtoi(text));
}

int MultiByteToWide(const char* text, wchar_t* buffer, int bufferChars, int codePage) {
    if (!text || !buffer || bufferChars < 1)
        return 0;
    const UINT page = Resolve(codePage);
    wmemset(buffer, L'\0', static_cast<size_t>(bufferChars));
    const int written = MultiByteToWideChar(page, page == CP_UTF8 ? 0 : MB_PRECOMPOSED, text, -1,
                                            buffer, bufferChars);
    return written > 0 ? written - 1 : 0;
}

int WideToMultiByte(const wchar_t* text, char* buffer, int bufferBytes, int codePage) {
    if (bufferBytes < 1 || !text || !buffer)
        return 0;
    const UINT page = Resolve(codePage);
    memset(buffer, 0, static_cast<size_t>(bufferBytes));
    BOOL usedDefault = FALSE;
    const bool utf8 = page == CP_UTF8;
    const int written = WideCharToMultiByte(page, WideFlags(page), text, -1, buffer, bufferBytes,
                                            utf8 ? nullptr : "#", utf8 ? nullptr : &usedDefault);
    return written > 0 ? written - 1 : 0;
}

int WideToMultiByteSize(const wchar_t* text, int codePage) {
    if (!text)
        return 0;
    const UINT page = Resolve(codePage);
    BOOL usedDefault = FALSE;
    const bool utf8 = page == CP_UTF8;
    const int needed = WideCharToMultiByte(page, WideFlags(page), text, -1, nullptr, 0,
                                           utf8 ? nullptr : "#", utf8 ? nullptr : &usedDefault);
    return needed > 0 ? needed : 0;
}
