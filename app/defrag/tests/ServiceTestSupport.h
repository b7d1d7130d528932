// What the tests that run the real service program share: the built program installed under
// the service manager, its states waited for, a drive pointed at a simulated volume.
#pragma once

#include <windows.h>

#include "SimVolumeChecker.h"

#include <cstdint>
#include <string>

// The 64-bit service program as built (a path outside every drive).
std::wstring BuiltServiceProgram();
// Copies the built program into `folder` under the name this Windows uses; false on failure.
bool CopyBuiltServiceProgram(const wchar_t* folder);

// The service's state as the manager reports it; 0 when it cannot be queried.
DWORD ServiceState();
bool WaitForServiceState(DWORD wanted, DWORD milliseconds = 30'000);
void ControlDefragService(DWORD control);
// Stops and deletes the service when it exists.
void RemoveService();

class ServiceHandles;
// A command sent once the service's listener answers (it registers just after the service
// reports that it runs); false after 30 s.
bool SendWhenListening(ServiceHandles& handles, int32_t blocks, int32_t code, wchar_t drive,
                       int32_t mode);

// Copies the built program into `folder`, installs and starts it, and waits until it takes a
// release of `drive`: a suite's set-up. Empty when the service answers, else what went wrong.
std::string InstallAnsweringService(const wchar_t* folder, int32_t blocks, wchar_t drive);

// The job state the service answers; -1 when the call failed.
int JobState();
bool WaitForJobState(int wanted, DWORD milliseconds);

// The service reads the drive from the simulated volume image.
void SetImageParameter(wchar_t drive, const std::wstring& image);

// A job's volume: a fresh image of 65,536 clusters and 600 files, half of them in up to 8
// pieces, which the service reads for `drive`. A test failure, and nothing set, when it cannot
// be built.
struct JobVolume {
    SimDigests digests;
    int fragmentedFiles = 0;
};
void MakeJobVolume(const wchar_t* image, wchar_t drive, uint32_t seed, JobVolume& made);
// The image is sound and every file's data as digested (test failures otherwise); answers its
// fragmented files, -1 when it cannot be opened.
int ExpectJobVolumeSound(const wchar_t* image, const SimDigests& digests);
