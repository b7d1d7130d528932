#include "DefragCommandQueue.h"

#include <new>

CDefragCommandQueue g_defragCommands;

CDefragCommandQueue::CDefragCommandQueue() : event_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

bool CDefragCommandQueue::Post(const DefragCommand& command) {
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

std::optional<DefragCommand> CDefragCommandQueue::Take() {
    std::lock_guard lock(lock_);
    if (pending_.empty())
        return std::nullopt;
    const DefragCommand command = pending_.front();
    pending_.pop_front();
    return command;
}
