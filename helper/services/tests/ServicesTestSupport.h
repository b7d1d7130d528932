// Helpers shared by the services' tests: byte texts, URLs and a download run that records
// what its worker reported.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <classlib/String.h>

#include "WindowlessDownload.h"

inline CString Wide(const std::string& text) {
    return CString(text.c_str());
}

inline std::string Narrow(const CString& text) {
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, text, text.GetLength(), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, text.GetLength(), utf8.data(), bytes, nullptr, nullptr);
    return utf8;
}

// Bytes that differ from position to position, so a shifted or mixed copy shows.
inline std::string PatternBytes(size_t length, unsigned seed) {
    std::string bytes(length, '\0');
    unsigned state = seed * 2654435761u + 1;
    for (char& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<char>(state >> 16);
    }
    return bytes;
}

// Equal bytes; otherwise the sizes and the first difference, not the bytes themselves.
inline ::testing::AssertionResult SameBytes(const std::string& expected,
                                            const std::string& actual) {
    if (expected == actual)
        return ::testing::AssertionSuccess();
    size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at])
        ++at;
    return ::testing::AssertionFailure() << "expected " << expected.size() << " bytes, got "
                                         << actual.size() << ", first difference at " << at;
}

// A windowless run whose login prompt and failure answer the test gives, and which keeps
// the texts and progress the worker posted.
class RecordingDownload : public CWindowlessDownload {
public:
    std::function<bool(HINTERNET)> answerLogin;
    std::function<bool(DownloadLogin&)> answerServerLogin;
    std::function<int(int)> answerFailure;
    std::function<void(UINT, WPARAM, LPARAM)> onProgress;
    std::map<int, std::vector<CString>> texts;
    int loginPrompts = 0;
    int failureNotices = 0;

    bool HasText(int control, const CString& text) const {
        const auto found = texts.find(control);
        if (found == texts.end())
            return false;
        for (const CString& posted : found->second)
            if (posted == text)
                return true;
        return false;
    }

protected:
    bool PromptForLogin(HINTERNET request) override {
        ++loginPrompts;
        return answerLogin && answerLogin(request);
    }
    bool PromptForServerLogin(DownloadLogin& login) override {
        ++loginPrompts;
        return answerServerLogin && answerServerLogin(login);
    }
    int AnswerFailureNotice(int style) override {
        ++failureNotices;
        return answerFailure ? answerFailure(style) : 0;
    }
    void OnProgress(UINT message, WPARAM done, LPARAM total) override {
        if (onProgress)
            onProgress(message, done, total);
    }
    void OnText(int control, const CString& text) override { texts[control].push_back(text); }
};
