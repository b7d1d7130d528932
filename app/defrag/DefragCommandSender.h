// What the commands of a job go through, and the commands that start a job.
#pragma once

#include <cstdint>

// The program's one (DefragServiceClient) makes sure the service runs first.
class DefragCommandSender {
public:
    virtual ~DefragCommandSender() = default;
    // True only when the service accepted the command.
    [[nodiscard]] virtual bool Send(int32_t code, wchar_t drive, int32_t mode) = 0;
};

enum class DefragOperation { kAnalysis = 0, kDefragmentation = 1 };

// The commands that start a job: release, release, then analyse (6) or defragment (1, mode 1).
// Stops at the first command the service does not accept.
[[nodiscard]] bool StartDefragJob(DefragCommandSender& sender, DefragOperation operation,
                                  wchar_t drive);
// The second pass of a defragmentation: release, then defragment again.
[[nodiscard]] bool StartSecondPass(DefragCommandSender& sender, wchar_t drive);
