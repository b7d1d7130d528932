#include "DefragServiceClient.h"

#include <utility>

namespace {

// A service this client has started registers its listener a moment after it reports that it
// runs: until a command has reached it, a command is offered again for a bounded while.
constexpr int kListenerRounds = 50;
constexpr DWORD kListenerIntervalMs = 100;

bool IsRunning(SC_HANDLE service) {
    SERVICE_STATUS status{};
    return QueryServiceStatus(service, &status) &&
           (status.dwCurrentState == SERVICE_RUNNING || status.dwCurrentState == SERVICE_PAUSED);
}

} // namespace

DefragServiceClient::DefragServiceClient(ServiceHandles* service, BlockCountSource blockCount)
    : m_service(service), m_blockCount(std::move(blockCount)) {}

bool DefragServiceClient::MakeServiceReady() {
    return OpenRunningService();
}

bool DefragServiceClient::OpenRunningService() {
    if (m_service == nullptr)
        return true;
    if (!m_service->ReopenService())
        return false;
    if (!IsRunning(m_service->Service()))
        m_listenerAwaited = true;
    return EnsureServiceRunning(m_service->Service());
}

bool DefragServiceClient::Send(int32_t code, wchar_t drive, int32_t mode) {
    if (!OpenRunningService())
        return false;
    RpcCommandSender rpc(BlockCount());
    bool sent = rpc.Send(code, drive, mode);
    for (int round = 0; !sent && m_listenerAwaited && round < kListenerRounds; ++round) {
        Sleep(kListenerIntervalMs);
        sent = rpc.Send(code, drive, mode);
    }
    if (sent)
        m_listenerAwaited = false;
    return sent;
}

bool DefragServiceClient::ReadState(int& state, int& priority) {
    return SafeRpcGetDefragState(state, priority) != 0;
}

bool DefragServiceClient::Pause() {
    return SafeRpcPauseDefrag() != 0;
}

bool DefragServiceClient::Resume() {
    return SafeRpcResumeDefrag() != 0;
}

bool DefragServiceClient::Abort() {
    return SafeRpcAbortDefrag() != 0;
}

ServicePoll DefragServiceClient::Poll(int blockCount) {
    return PollService(blockCount);
}

void DefragServiceClient::FetchResults(RunResults& results, const std::function<bool()>& cancelled,
                                       RunResultsProgress* progress) {
    FetchRunResults(results, cancelled, progress);
}

bool DefragServiceClient::UploadClusterMap(const std::vector<ClusterMapBlock>& cells) {
    return !cells.empty() &&
           SafeRpcSetClusterMap(cells.data(), static_cast<int>(cells.size())) == kRpcDone;
}
