#include "ServiceCommandSender.h"

bool ServiceCommandSender::Send(int32_t code, wchar_t drive, int32_t mode) {
    if (!service_.ReopenService() || !EnsureServiceRunning(service_.Service()))
        return false;
    return RpcCommandSender::Send(code, drive, mode);
}

int SendDefragCommand(ServiceHandles& service, int32_t mapBlockCount, int32_t code, wchar_t drive,
                      int32_t mode) {
    ServiceCommandSender sender(service, mapBlockCount);
    return sender.Send(code, drive, mode) ? 1 : 0;
}
