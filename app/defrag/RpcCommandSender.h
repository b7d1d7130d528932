// Sends a job's commands over the bound interface without looking at the service manager.
#pragma once

#include "DefragCommandSender.h"

class RpcCommandSender : public DefragCommandSender {
public:
    explicit RpcCommandSender(int32_t mapBlockCount) : mapBlockCount_(mapBlockCount) {}
    [[nodiscard]] bool Send(int32_t code, wchar_t drive, int32_t mode) override;

private:
    int32_t mapBlockCount_;
};
