#include "WindowlessDownload.h"

#include "DownloadMessages.h"

#include <owners/WinOwners.h>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

constexpr wchar_t kWindowClass[] = L"XarnDownloadMessages";

// The module that holds this code: its window class is its own.
HINSTANCE CodeModule() {
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

void DispatchWaitingMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

} // namespace

CWindowlessDownload::~CWindowlessDownload() {
    if (window_)
        DestroyWindow(window_);
}

bool CWindowlessDownload::Run(HWND promptOwner) {
    promptOwner_ = promptOwner;
    if (!window_) {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &WindowProc;
        windowClass.hInstance = CodeModule();
        windowClass.lpszClassName = kWindowClass;
        if (!RegisterClassW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            return false;
        window_ = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  CodeModule(), nullptr);
        if (!window_)
            return false;
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    SetOwnerWindow(window_);
    const KernelHandle worker(CreateThread(nullptr, 0, &CDownload::WorkerThread,
                                           static_cast<CDownload*>(this), 0, nullptr));
    if (!worker)
        return false;
    // The worker's waits are bounded, and it ends once it has posted its last message.
    HANDLE waitFor = worker.Get();
    DWORD woken = WAIT_TIMEOUT;
    while (woken != WAIT_OBJECT_0) {
        woken = MsgWaitForMultipleObjects(1, &waitFor, FALSE, INFINITE, QS_ALLINPUT);
        DispatchWaitingMessages();
    }
    return Succeeded();
}

LRESULT CALLBACK CWindowlessDownload::WindowProc(HWND window, UINT message, WPARAM wParam,
                                                 LPARAM lParam) {
    if (message >= DLM_FINISHED && message <= DLM_LOGIN_REQUIRED) {
        auto* download =
            reinterpret_cast<CWindowlessDownload*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (download) {
            download->OnMessage(message, wParam, lParam);
            return 0;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void CWindowlessDownload::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case DLM_FINISHED:
        break;
    case DLM_AUTH_REQUIRED: {
        const HINTERNET request = reinterpret_cast<HINTERNET>(wParam);
        DrainResponse(request);
        AnswerPrompt(PromptForLogin(request));
        break;
    }
    case DLM_FAILED:
        AnswerFailure(AnswerFailureNotice(static_cast<int>(wParam)));
        break;
    case DLM_FILE_PROGRESS:
    case DLM_TOTAL_PROGRESS:
        OnProgress(message, wParam, lParam);
        break;
    case DLM_SET_TEXT:
        OnText(static_cast<int>(wParam), TakePostedText(lParam));
        break;
    case DLM_LOGIN_REQUIRED:
        AnswerPrompt(PromptForServerLogin(*reinterpret_cast<DownloadLogin*>(lParam)));
        break;
    default:
        break;
    }
}

bool CWindowlessDownload::PromptForLogin(HINTERNET request) {
    const DWORD flags = FLAGS_ERROR_UI_FILTER_FOR_ERRORS | FLAGS_ERROR_UI_FLAGS_CHANGE_OPTIONS |
                        FLAGS_ERROR_UI_FLAGS_GENERATE_DATA;
    return g_winInet.InternetErrorDlg(promptOwner_, request, ERROR_INTERNET_INCORRECT_PASSWORD,
                                      flags, nullptr) == ERROR_INTERNET_FORCE_RETRY;
}
