// Work a window hands to a thread of its own, so that the window never waits on the service or
// on the disk: the calls run one after another on the worker, and what follows each one runs on
// the window's thread once the window has handled the registered message the worker posts when
// the call is done.
#pragma once

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

// Posted to the window (no parameters) when a call is done; its handler calls DeliverDone.
extern const UINT g_uWorkDoneMessage;
inline constexpr wchar_t kWorkDoneMessageName[] = L"Xarn Work Done";

class CWorkerQueue {
public:
    // True once the call's answer is no longer wanted (cancelled, or the worker is ending).
    using CancelCheck = std::function<bool()>;
    using Call = std::function<void(const CancelCheck& cancelled)>;
    using Continuation = std::function<void()>;

    CWorkerQueue() = default;
    // Cancels everything and waits for the call that runs.
    ~CWorkerQueue();
    CWorkerQueue(const CWorkerQueue&) = delete;
    CWorkerQueue& operator=(const CWorkerQueue&) = delete;

    // The window that is told when a call is done.
    void SetWindow(HWND window) { window_ = window; }

    // Queues the call; `continuation` runs on the window's thread after it, unless the calls
    // were cancelled in between.
    void Run(Call call, Continuation continuation);
    // Runs the continuations of the calls done so far (the window's handler of the message).
    void DeliverDone();
    // Drops queued calls and continuations not yet run; a call that runs is told to stop and its
    // continuation never runs.
    void CancelAll();
    // Nothing queued, running or waiting for its continuation.
    bool Idle();

private:
    struct Pending {
        uint64_t generation;
        Call call;
        Continuation continuation;
    };
    struct Done {
        uint64_t generation;
        Continuation continuation;
    };

    void Work();

    HWND window_ = nullptr;
    std::mutex lock_;
    std::condition_variable wake_;
    std::deque<Pending> queue_;
    std::deque<Done> done_;
    std::atomic<uint64_t> generation_{0};
    bool running_ = false;
    bool ending_ = false;
    std::thread thread_;
};
