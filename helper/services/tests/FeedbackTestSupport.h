// What the feedback tests share: the stand-in of "Network.dll" as a test reaches it, and the
// report's cipher text decoded back.
#pragma once

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include <classlib/String.h>

#include "FeedbackEncoding.h"
#include "ServicesTestSupport.h"

// Undoes EncodeFeedback's cipher: hexadecimal to bytes, RC4 with the product key, UTF-16.
inline CString DecodeCipherText(const CString& hex) {
    std::vector<BYTE> bytes;
    for (int at = 0; at + 1 < hex.GetLength(); at += 2)
        bytes.push_back(static_cast<BYTE>(std::stoi(Narrow(hex.Mid(at, 2)), nullptr, 16)));
    Rc4Transform(reinterpret_cast<const BYTE*>(FeedbackKey()), strlen(FeedbackKey()), bytes.data(),
                 bytes.size());
    CString text;
    for (size_t at = 0; at + 1 < bytes.size(); at += 2)
        text += static_cast<wchar_t>(bytes[at] | (bytes[at + 1] << 8));
    return text;
}

// The stand-in's own functions, exported by name.
struct NetworkStandIn {
    HMODULE module = GetModuleHandleW(L"Network.dll");
    void (*setAnswer)(int) = reinterpret_cast<void (*)(int)>(
        reinterpret_cast<void*>(GetProcAddress(module, "NetworkStandInSetAnswer")));
    int (*uploadCount)() = reinterpret_cast<int (*)()>(
        reinterpret_cast<void*>(GetProcAddress(module, "NetworkStandInUploadCount")));
    int (*lastUpload)(int, wchar_t*, int) = reinterpret_cast<int (*)(int, wchar_t*, int)>(
        reinterpret_cast<void*>(GetProcAddress(module, "NetworkStandInLastUpload")));

    CString Last(int which) const {
        const int length = lastUpload(which, nullptr, 0);
        if (length < 0)
            return CString();
        std::vector<wchar_t> text(static_cast<size_t>(length) + 1);
        lastUpload(which, text.data(), length + 1);
        return CString(text.data());
    }
};
