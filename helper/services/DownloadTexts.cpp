#include "DownloadTexts.h"

#include "WinInet.h"
#include "IniReader.h"

#include <owners/WinOwners.h>

CString FormatPelqText(LPCWSTR key, const CString& first, const CString& second,
                       const CString& third) {
    const CString pattern = GetLangString(key, L"Pelq");
    const CString* arguments[] = {&first, &second, &third};
    CString text;
    for (int at = 0; at < pattern.GetLength(); ++at) {
        const wchar_t c = pattern[at];
        if (c == L'%' && at + 1 < pattern.GetLength() && pattern[at + 1] >= L'1' &&
            pattern[at + 1] <= L'3') {
            text += *arguments[pattern[at + 1] - L'1'];
            ++at;
        } else {
            text += c;
        }
    }
    return text;
}

void FormatSystemError(CString& text, DWORD code, LPCWSTR module) {
    if (code == ERROR_INTERNET_EXTENDED_ERROR && g_winInet.InternetGetLastResponseInfoW) {
        DWORD serverError = 0;
        DWORD length = 0;
        g_winInet.InternetGetLastResponseInfoW(&serverError, nullptr, &length);
        if (length) {
            DWORD room = length + 1;
            const BOOL read =
                g_winInet.InternetGetLastResponseInfoW(&serverError, text.GetBuffer(room), &room);
            text.ReleaseBuffer(read ? static_cast<int>(room) : 0);
            if (read)
                return;
        }
    }
    DWORD flags =
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    const HMODULE source = module ? GetModuleHandleW(module) : nullptr;
    if (source)
        flags |= FORMAT_MESSAGE_FROM_HMODULE;
    LocalMemory<wchar_t*> message;
    const DWORD length =
        FormatMessageW(flags, source, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                       reinterpret_cast<wchar_t*>(message.Put()), 0, nullptr);
    if (length && message) {
        text.SetString(message.Get(), static_cast<int>(length));
        text.TrimRight();
    } else if (module) {
        text.Format(L"Error %d from %s.", static_cast<int>(code), module);
    } else {
        text.Format(L"Error %d.", static_cast<int>(code));
    }
}

CString InternetErrorText(DWORD code) {
    CString text;
    FormatSystemError(text, code, L"wininet.dll");
    return text;
}

CString FileErrorText(DWORD code) {
    CString text;
    FormatSystemError(text, code, L"kernel32.dll");
    return text;
}
