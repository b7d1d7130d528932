// What the dialog tests share: a script run on the test thread's messages while a modal
// dialog runs, the product's message boxes answered as the test says, window pictures and
// control texts.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include <classlib/String.h>

#include "DlgBaseMessageBoxWndBase.h"
#include "UiTestSupport.h"

// Runs `step` every `interval` ms on this thread's messages (also inside modal loops) until it
// answers true or `limitMs` passed; a step is never re-entered.
class ScriptDriver {
public:
    explicit ScriptDriver(std::function<bool()> step, UINT interval = 50, DWORD limitMs = 30000)
        : m_step(std::move(step)), m_end(GetTickCount64() + limitMs) {
        s_current = this;
        m_timer = SetTimer(nullptr, 0, interval, &Tick);
    }
    ~ScriptDriver() {
        KillTimer(nullptr, m_timer);
        s_current = nullptr;
    }
    ScriptDriver(const ScriptDriver&) = delete;
    ScriptDriver& operator=(const ScriptDriver&) = delete;

    bool Finished() const { return m_finished; }
    bool TimedOut() const { return m_timedOut; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        ScriptDriver* self = s_current;
        if (self == nullptr || self->m_finished || self->m_running)
            return;
        if (GetTickCount64() > self->m_end) {
            self->m_timedOut = self->m_finished = true;
            return;
        }
        self->m_running = true;
        self->m_finished = self->m_step();
        self->m_running = false;
    }

    static inline ScriptDriver* s_current = nullptr;
    std::function<bool()> m_step;
    ULONGLONG m_end;
    UINT_PTR m_timer = 0;
    bool m_running = false;
    bool m_finished = false;
    bool m_timedOut = false;
};

// Answers each product message box with the button of index `button` (0 = rightmost: OK, Yes)
// once it is up, and keeps the texts the boxes showed.
class MessageBoxAnswers {
public:
    explicit MessageBoxAnswers(int button = 0) {
        s_button = button;
        s_texts.clear();
        SetMessageBoxAnswerHook(&Answer);
    }
    ~MessageBoxAnswers() { SetMessageBoxAnswerHook(nullptr); }
    MessageBoxAnswers(const MessageBoxAnswers&) = delete;
    MessageBoxAnswers& operator=(const MessageBoxAnswers&) = delete;

    static void SetButton(int button) { s_button = button; }
    const std::vector<CString>& Texts() const { return s_texts; }

private:
    static void Answer(CDlgBaseMessageBoxWndBase* box) {
        s_texts.push_back(box->m_strMessage);
        box->SetTimer(77, 100, &Press);
    }
    static void CALLBACK Press(HWND box, UINT, UINT_PTR id, DWORD) {
        ::KillTimer(box, id);
        const int control = 1185 + s_button;
        ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(control, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(box, control)));
    }

    static inline int s_button = 0;
    static inline std::vector<CString> s_texts;
};

inline BOOL CALLBACK CollectVisibleWindow(HWND window, LPARAM windows) {
    if (::IsWindowVisible(window))
        reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
    return TRUE;
}

// The open (visible) dialog of type T of this thread, or null.
template <typename T> T* FindOpenDialog() {
    std::vector<HWND> windows;
    ::EnumThreadWindows(::GetCurrentThreadId(), &CollectVisibleWindow,
                        reinterpret_cast<LPARAM>(&windows));
    for (HWND window : windows)
        if (auto* dialog = dynamic_cast<T*>(CWnd::FromHandlePermanent(window)))
            return dialog;
    return nullptr;
}

inline CString ControlText(HWND dialog, int id) {
    wchar_t text[1024] = {};
    ::GetDlgItemTextW(dialog, id, text, 1024);
    return CString(text);
}

inline void Click(HWND dialog, int id) {
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

// The window's picture as a PNG beside the test program, after it painted.
inline bool ShootWindow(HWND window, LPCWSTR name) {
    ::RedrawWindow(window, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpFor(150);
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return SaveScreenPng(rect, BesideProgram(name).c_str());
}
