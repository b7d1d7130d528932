// The program's one client of the defragmentation service: every command, poll, pause, resume,
// abort and read of a run's results goes through it. The main window owns the one the program
// uses; pages reach it through their host.
#pragma once

#include "DefragRpcClient.h"
#include "RpcCommandSender.h"
#include "ServiceControl.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

class DefragServiceClient : public DefragCommandSender {
public:
    // The block count of the cluster map each command carries; 0 while there is no map.
    using BlockCountSource = std::function<int32_t()>;

    // Commands reopen the service through `service` and make sure it runs first. Without a
    // record the commands go straight to the bound interface (a service that answers on its
    // own pipe, outside the service manager).
    explicit DefragServiceClient(ServiceHandles* service, BlockCountSource blockCount = {});

    void SetBlockCountSource(BlockCountSource blockCount) { m_blockCount = std::move(blockCount); }

    // True only when the service accepted the command.
    [[nodiscard]] bool Send(int32_t code, wchar_t drive, int32_t mode) override;
    // Opens the service anew and makes sure it runs; false when it cannot be opened or started.
    [[nodiscard]] virtual bool MakeServiceReady();

    // The job state and worker priority; false (both unchanged) when the call failed.
    [[nodiscard]] virtual bool ReadState(int& state, int& priority);
    // The job's pause, resume and abort; true when the service took the call.
    [[nodiscard]] virtual bool Pause();
    [[nodiscard]] virtual bool Resume();
    [[nodiscard]] virtual bool Abort();
    // One poll of a running job (the map in `blockCount` cells).
    [[nodiscard]] virtual ServicePoll Poll(int blockCount);
    // The statistics and every report of the run the service holds.
    virtual void FetchResults(RunResults& results, const std::function<bool()>& cancelled = {},
                              RunResultsProgress* progress = nullptr);
    // Hands the service a map to start a defragmentation from; false when it refused it.
    [[nodiscard]] virtual bool UploadClusterMap(const std::vector<ClusterMapBlock>& cells);

private:
    // Opens the service anew through the record and makes sure it runs.
    [[nodiscard]] bool OpenRunningService();
    int32_t BlockCount() const { return m_blockCount ? m_blockCount() : 0; }

    ServiceHandles* m_service;
    BlockCountSource m_blockCount;
    // Set when this client started the service, until a command has reached its listener.
    std::atomic<bool> m_listenerAwaited{false};
};
