// A message-only window for a benchmark's engine to report to: its class registered under
// `className` with `procedure`, the window destroyed with the object. Get() is null when either
// could not be made.
#pragma once

#include <windows.h>

class BenchMessageWindow {
public:
    BenchMessageWindow(const wchar_t* className, WNDPROC procedure) {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = className;
        if (RegisterClassW(&windowClass) != 0)
            window_ = CreateWindowW(className, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    windowClass.hInstance, nullptr);
    }
    ~BenchMessageWindow() {
        if (window_)
            DestroyWindow(window_);
    }
    BenchMessageWindow(const BenchMessageWindow&) = delete;
    BenchMessageWindow& operator=(const BenchMessageWindow&) = delete;

    HWND Get() const { return window_; }

private:
    HWND window_ = nullptr;
};
