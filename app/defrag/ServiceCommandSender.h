// Sends a job's commands once the service runs: opens the service through the record (keeping
// the new handle there) and waits until it runs.
#pragma once

#include "RpcCommandSender.h"
#include "ServiceControl.h"

class ServiceCommandSender : public RpcCommandSender {
public:
    ServiceCommandSender(ServiceHandles& service, int32_t mapBlockCount)
        : RpcCommandSender(mapBlockCount), service_(service) {}
    [[nodiscard]] bool Send(int32_t code, wchar_t drive, int32_t mode) override;

private:
    ServiceHandles& service_;
};

// 1 when the service accepted the command; 0 when it could not be opened or started, or the
// procedure refused or failed.
[[nodiscard]] int SendDefragCommand(ServiceHandles& service, int32_t mapBlockCount, int32_t code,
                                    wchar_t drive, int32_t mode);
