#include "DefragCommandQueue.h"

#include <new>

DefragCommandQueue g_defragCommands;

DefragCommandQueue::DefragCommandQueue() : event_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

bool DefragCommandQueue::Post(const DefragCommand& command) {
    {
        std::lock_guard lock(lock_);
        if (pending_.size() >= kCapacity)
            return false;
        try {
            pending_.push_back(command);
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
    SetEvent(event_.Get());
    return true;
}

std::optional<DefragCommand> DefragCommandQueue::Take() {
    std::lock_guard lock(lock_);
    if (pending_.empty())
        return std::nullopt;
    const DefragCommand command = pending_.front();
    pending_.pop_front();
    return command;
}
