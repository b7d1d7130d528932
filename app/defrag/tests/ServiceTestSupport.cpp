#include "ServiceTestSupport.h"

#include "DefragRpcClient.h"
#include "DefragServiceClient.h"
#include "ServiceControl.h"
#include "SimVolumeBuilder.h"
#include "SimulatedVolumeConfig.h"
#include "UnixPath.h"

#include <gtest/gtest.h>

std::wstring BuiltServiceProgram() {
    return WindowsPathOfUnixFile(XARN_SERVICE64_PROGRAM);
}

bool CopyBuiltServiceProgram(const wchar_t* folder) {
    CreateDirectoryW(L"C:\\Program Files", nullptr);
    CreateDirectoryW(folder, nullptr);
    const std::wstring target = std::wstring(folder) + L"\\" + DefragServiceProgramName();
    return CopyFileW(BuiltServiceProgram().c_str(), target.c_str(), FALSE) != FALSE;
}

DWORD ServiceState() {
    ServiceHandles handles;
    SERVICE_STATUS status{};
    if (!handles.ReopenService() || !QueryServiceStatus(handles.Service(), &status))
        return 0;
    return status.dwCurrentState;
}

bool WaitForServiceState(DWORD wanted, DWORD milliseconds) {
    for (DWORD waited = 0; waited < milliseconds; waited += 100) {
        if (ServiceState() == wanted)
            return true;
        Sleep(100);
    }
    return false;
}

void ControlDefragService(DWORD control) {
    ServiceHandles handles;
    SERVICE_STATUS status{};
    if (handles.ReopenService())
        ControlService(handles.Service(), control, &status);
}

void RemoveService() {
    if (ServiceState() == 0)
        return; // not installed
    ControlDefragService(SERVICE_CONTROL_STOP);
    WaitForServiceState(SERVICE_STOPPED, 20'000);
    ServiceHandles handles;
    if (handles.ReopenService())
        DeleteService(handles.Service());
}

bool SendWhenListening(ServiceHandles& handles, int32_t blocks, int32_t code, wchar_t drive,
                       int32_t mode) {
    for (int attempt = 0; attempt < 150; ++attempt) {
        if (DefragServiceClient(&handles, [blocks] { return blocks; }).Send(code, drive, mode))
            return true;
        Sleep(200);
    }
    return false;
}

std::string InstallAnsweringService(const wchar_t* folder, int32_t blocks, wchar_t drive) {
    if (!CopyBuiltServiceProgram(folder))
        return "the service program cannot be copied";
    if (!InstallDefragService(folder))
        return "the service cannot be installed and started";
    ServiceHandles handles;
    if (!SendWhenListening(handles, blocks, kCommandRelease, drive, 0))
        return "the service does not answer";
    return {};
}

int JobState() {
    int state = -1;
    int priority = 0;
    return SafeRpcGetDefragState(state, priority) ? state : -1;
}

bool WaitForJobState(int wanted, DWORD milliseconds) {
    for (DWORD waited = 0; waited < milliseconds; waited += 200) {
        if (JobState() == wanted)
            return true;
        Sleep(200);
    }
    return false;
}

void SetImageParameter(wchar_t drive, const std::wstring& image) {
    RegistryKey key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, kServiceParametersKey, 0, nullptr,
                                             0, KEY_SET_VALUE, nullptr, key.Put(), nullptr));
    EXPECT_EQ(ERROR_SUCCESS,
              RegSetValueExW(key.Get(), SimulatedVolumeValueName(drive).c_str(), 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(image.c_str()),
                             static_cast<DWORD>((image.size() + 1) * sizeof(wchar_t))));
}

namespace {

// A file of the volume whose data lies in more than one place.
bool IsFragmented(const SimRecord& record) {
    if (record.IsDirectory() || record.streams.empty())
        return false;
    const std::vector<SimExtent>& extents = record.streams.front().extents;
    for (size_t i = 1; i < extents.size(); ++i)
        if (extents[i].lcn != kSimSparseLcn && extents[i - 1].lcn != kSimSparseLcn &&
            extents[i].lcn != extents[i - 1].lcn + static_cast<int64_t>(extents[i - 1].count))
            return true;
    return false;
}

int FragmentedFiles(const CSimVolume& volume) {
    int count = 0;
    for (const auto& [id, record] : volume.CopyContent().records)
        count += IsFragmented(record) ? 1 : 0;
    return count;
}

} // namespace

void MakeJobVolume(const wchar_t* image, wchar_t drive, uint32_t seed, JobVolume& made) {
    SimBuildSpec spec;
    spec.seed = seed;
    spec.geometry.totalClusters = 65'536;
    spec.fileCount = 600;
    spec.fragmentedShare = 0.5;
    spec.maxFragments = 8;
    DeleteFileW(image);
    DWORD error = 0;
    const std::unique_ptr<CSimVolume> volume = BuildSimVolume(image, spec, &error);
    ASSERT_NE(nullptr, volume) << error;
    made.digests = DigestSimVolume(*volume);
    made.fragmentedFiles = FragmentedFiles(*volume);
    SetImageParameter(drive, image);
}

int ExpectJobVolumeSound(const wchar_t* image, const SimDigests& digests) {
    DWORD error = 0;
    const std::unique_ptr<CSimVolume> volume = CSimVolume::Open(image, &error);
    EXPECT_NE(nullptr, volume) << error;
    if (!volume)
        return -1;
    const std::vector<std::wstring> problems = CheckSimVolume(*volume, &digests);
    EXPECT_TRUE(problems.empty()) << problems.size() << " problems, first "
                                  << ::testing::PrintToString(problems.front());
    return FragmentedFiles(*volume);
}
