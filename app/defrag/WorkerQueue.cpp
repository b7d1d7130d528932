#include "WorkerQueue.h"

#include <utility>

const UINT g_uWorkDoneMessage = RegisterWindowMessageW(kWorkDoneMessageName);

CWorkerQueue::~CWorkerQueue() {
    {
        const std::lock_guard<std::mutex> guard(lock_);
        ending_ = true;
        ++generation_;
        queue_.clear();
        done_.clear();
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void CWorkerQueue::Run(Call call, Continuation continuation) {
    {
        const std::lock_guard<std::mutex> guard(lock_);
        queue_.push_back({generation_.load(), std::move(call), std::move(continuation)});
        if (!thread_.joinable())
            thread_ = std::thread([this] { Work(); });
    }
    wake_.notify_all();
}

void CWorkerQueue::Work() {
    std::unique_lock<std::mutex> guard(lock_);
    for (;;) {
        wake_.wait(guard, [this] { return ending_ || !queue_.empty(); });
        if (ending_)
            return;
        Pending pending = std::move(queue_.front());
        queue_.pop_front();
        if (pending.generation != generation_)
            continue;
        running_ = true;
        guard.unlock();
        const uint64_t generation = pending.generation;
        pending.call([this, generation] { return generation != generation_.load(); });
        guard.lock();
        running_ = false;
        if (generation != generation_ || ending_)
            continue;
        done_.push_back({generation, std::move(pending.continuation)});
        // A window that is gone has no one to tell.
        static_cast<void>(::PostMessageW(window_, g_uWorkDoneMessage, 0, 0));
    }
}

void CWorkerQueue::DeliverDone() {
    std::deque<Done> done;
    {
        const std::lock_guard<std::mutex> guard(lock_);
        done.swap(done_);
    }
    for (Done& entry : done) {
        // A continuation may cancel the calls after it.
        if (entry.generation == generation_ && entry.continuation)
            entry.continuation();
    }
}

void CWorkerQueue::CancelAll() {
    const std::lock_guard<std::mutex> guard(lock_);
    ++generation_;
    queue_.clear();
    done_.clear();
}

bool CWorkerQueue::Idle() {
    const std::lock_guard<std::mutex> guard(lock_);
    return queue_.empty() && done_.empty() && !running_;
}
