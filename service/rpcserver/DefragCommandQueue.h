// Commands from the RPC procedure to the command loop, in the order they arrived. Each command
// is copied in and out, so a later command never overwrites one not yet handled.
#pragma once

#include "DefragRecords.h"

#include <owners/WinOwners.h>

#include <windows.h>

#include <deque>
#include <mutex>
#include <optional>

class CDefragCommandQueue {
public:
    // Far more than a client sends between two turns of the loop; a flood is refused.
    static constexpr size_t kCapacity = 64;

    CDefragCommandQueue();
    CDefragCommandQueue(const CDefragCommandQueue&) = delete;
    CDefragCommandQueue& operator=(const CDefragCommandQueue&) = delete;

    // Appends a copy and signals the event; false when the queue is full.
    [[nodiscard]] bool Post(const DefragCommand& command);
    // The oldest command, if any.
    [[nodiscard]] std::optional<DefragCommand> Take();
    // Auto-reset event, signalled by every Post.
    HANDLE Event() const { return event_.Get(); }

private:
    std::mutex lock_;
    std::deque<DefragCommand> pending_;
    const KernelHandle event_;
};

extern CDefragCommandQueue g_defragCommands;
