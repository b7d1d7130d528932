#include "SimDiskApi.h"

#include "SimDiskReplies.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

namespace {

constexpr wchar_t kDrivePrefix[] = L"\\\\.\\PHYSICALDRIVE";
constexpr BYTE kSmartReadValues = 0xD0;
constexpr BYTE kSmartReadThresholds = 0xD1;
constexpr BYTE kSmartEnable = 0xD8;

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

// Copies a reply into the caller's buffer.
BOOL Answer(const void* data, size_t size, void* out, DWORD outSize, DWORD* returned) {
    if (!out || outSize < size)
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    memcpy(out, data, size);
    if (returned)
        *returned = static_cast<DWORD>(size);
    return TRUE;
}

// A SENDCMDOUTPARAMS with `data` behind its driver status.
BOOL AnswerCommand(const std::vector<BYTE>& data, void* out, DWORD outSize, DWORD* returned) {
    std::vector<BYTE> reply(offsetof(SENDCMDOUTPARAMS, bBuffer) + data.size(), 0);
    const DWORD size = static_cast<DWORD>(data.size());
    memcpy(reply.data(), &size, sizeof(size));
    std::copy(data.begin(), data.end(), reply.begin() + offsetof(SENDCMDOUTPARAMS, bBuffer));
    return Answer(reply.data(), reply.size(), out, outSize, returned);
}

bool IsSmartRegisters(const IDEREGS& regs) {
    return regs.bCommandReg == SMART_CMD && regs.bCylLowReg == SMART_CYL_LOW &&
           regs.bCylHighReg == SMART_CYL_HI;
}

} // namespace

DWORD CSimDiskApi::AddDisk(uint32_t driveNumber, SimDiskDescription description) {
    Disk disk{std::move(description), nullptr};
    if (!disk.description.backingFile.empty()) {
        HANDLE file =
            ::CreateFileW(disk.description.backingFile.c_str(), GENERIC_READ,
                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return GetLastError();
        disk.backing.reset(file, ::CloseHandle);
    }
    std::lock_guard lock(mutex_);
    disks_[driveNumber] = std::move(disk);
    return ERROR_SUCCESS;
}

std::wstring CSimDiskApi::VolumeName(uint32_t driveNumber, size_t volumeIndex) {
    wchar_t name[64];
    _snwprintf(name, 64, L"\\\\?\\Volume{5a1d0000-0000-0000-0000-%04x%08x}\\", driveNumber,
               static_cast<unsigned>(volumeIndex));
    return name;
}

size_t CSimDiskApi::OpenHandleCount() const {
    std::lock_guard lock(mutex_);
    return handles_.size();
}

std::vector<CSimDiskApi::VolumeRef> CSimDiskApi::AllVolumes() const {
    std::vector<VolumeRef> volumes;
    for (const auto& [number, disk] : disks_)
        for (size_t i = 0; i < disk.description.volumes.size(); ++i)
            volumes.push_back({number, i});
    return volumes;
}

bool CSimDiskApi::FindVolume(const wchar_t* root, VolumeRef& volume) const {
    if (!root)
        return false;
    std::wstring wanted = root;
    if (!wanted.empty() && wanted.back() != L'\\')
        wanted += L'\\';
    for (const VolumeRef& ref : AllVolumes()) {
        const SimVolume& v = disks_.at(ref.driveNumber).description.volumes[ref.index];
        if (_wcsicmp(wanted.c_str(), VolumeName(ref.driveNumber, ref.index).c_str()) == 0 ||
            (!v.mountPath.empty() && _wcsicmp(wanted.c_str(), v.mountPath.c_str()) == 0)) {
            volume = ref;
            return true;
        }
    }
    return false;
}

HANDLE CSimDiskApi::AddHandle(const OpenHandle& handle) {
    const uintptr_t value = nextHandle_;
    nextHandle_ += 4;
    handles_[value] = handle;
    return reinterpret_cast<HANDLE>(value);
}

CSimDiskApi::OpenHandle* CSimDiskApi::FindHandle(HANDLE handle, HandleKind kind) {
    const auto found = handles_.find(reinterpret_cast<uintptr_t>(handle));
    if (found == handles_.end() || found->second.kind != kind) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return &found->second;
}

HANDLE CSimDiskApi::CreateFileW(const wchar_t* path, DWORD, DWORD, DWORD flagsAndAttributes) {
    std::lock_guard lock(mutex_);
    const size_t prefix = wcslen(kDrivePrefix);
    if (path && _wcsnicmp(path, kDrivePrefix, prefix) == 0) {
        wchar_t* end = nullptr;
        const unsigned long number = wcstoul(path + prefix, &end, 10);
        const auto disk = disks_.find(static_cast<uint32_t>(number));
        if (end == path + prefix || *end || disk == disks_.end()) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return INVALID_HANDLE_VALUE;
        }
        if (disk->second.description.failOpen) {
            SetLastError(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
        OpenHandle handle;
        handle.target.driveNumber = disk->first;
        handle.unbuffered = (flagsAndAttributes & FILE_FLAG_NO_BUFFERING) != 0;
        return AddHandle(handle);
    }
    VolumeRef volume;
    // A volume device is opened by its name without the trailing backslash.
    if (path && *path && path[wcslen(path) - 1] != L'\\' && FindVolume(path, volume)) {
        OpenHandle handle;
        handle.kind = HandleKind::Volume;
        handle.target = volume;
        return AddHandle(handle);
    }
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
}

BOOL CSimDiskApi::CloseHandle(HANDLE handle) {
    std::lock_guard lock(mutex_);
    const auto found = handles_.find(reinterpret_cast<uintptr_t>(handle));
    if (found == handles_.end() || found->second.kind == HandleKind::Find)
        return Fail(ERROR_INVALID_HANDLE);
    handles_.erase(found);
    return TRUE;
}

BOOL CSimDiskApi::DeviceIoControl(HANDLE device, DWORD controlCode, void* inBuffer,
                                  DWORD inBufferSize, void* outBuffer, DWORD outBufferSize,
                                  DWORD* bytesReturned) {
    std::lock_guard lock(mutex_);
    const auto found = handles_.find(reinterpret_cast<uintptr_t>(device));
    if (found == handles_.end() || found->second.kind == HandleKind::Find)
        return Fail(ERROR_INVALID_HANDLE);
    const OpenHandle& handle = found->second;
    if (handle.kind == HandleKind::Volume)
        return VolumeControl(handle.target, controlCode, outBuffer, outBufferSize, bytesReturned);
    return DriveControl(handle.target.driveNumber, disks_.at(handle.target.driveNumber),
                        controlCode, inBuffer, inBufferSize, outBuffer, outBufferSize,
                        bytesReturned);
}

BOOL CSimDiskApi::DriveControl(uint32_t driveNumber, const Disk& disk, DWORD controlCode,
                               const void* in, DWORD inSize, void* out, DWORD outSize,
                               DWORD* returned) {
    const SimDiskDescription& d = disk.description;
    const bool smart = d.smart && !d.usb;
    switch (controlCode) {
    case IOCTL_DISK_GET_DRIVE_GEOMETRY: {
        DISK_GEOMETRY geometry{};
        geometry.Cylinders.QuadPart = static_cast<LONGLONG>(d.cylinders);
        geometry.MediaType = d.usb ? RemovableMedia : FixedMedia;
        geometry.TracksPerCylinder = d.tracksPerCylinder;
        geometry.SectorsPerTrack = d.sectorsPerTrack;
        geometry.BytesPerSector = d.bytesPerSector;
        return Answer(&geometry, sizeof(geometry), out, outSize, returned);
    }
    case IOCTL_STORAGE_QUERY_PROPERTY: {
        STORAGE_PROPERTY_QUERY query{};
        if (!in || inSize < sizeof(query))
            return Fail(ERROR_INVALID_PARAMETER);
        memcpy(&query, in, sizeof(query));
        if (query.PropertyId != StorageDeviceProperty || query.QueryType != PropertyStandardQuery)
            return Fail(ERROR_NOT_SUPPORTED);
        const std::vector<BYTE> descriptor = BuildDeviceDescriptor(d);
        return Answer(descriptor.data(), descriptor.size(), out, outSize, returned);
    }
    case IOCTL_DISK_GET_DRIVE_LAYOUT_EX: {
        const std::vector<BYTE> layout = BuildDriveLayout(d);
        return Answer(layout.data(), layout.size(), out, outSize, returned);
    }
    case SMART_GET_VERSION: {
        if (!smart)
            return Fail(ERROR_NOT_SUPPORTED);
        GETVERSIONINPARAMS version{};
        version.bVersion = 1;
        version.bRevision = 1;
        // Bit n of the device map marks ATA device n, bit n + 4 an ATAPI one (n below 4).
        if (driveNumber < 4)
            version.bIDEDeviceMap = static_cast<BYTE>((d.atapi ? 0x10 : 0x01) << driveNumber);
        version.fCapabilities = d.capabilities;
        return Answer(&version, sizeof(version), out, outSize, returned);
    }
    case SMART_SEND_DRIVE_COMMAND:
    case SMART_RCV_DRIVE_DATA: {
        if (!smart)
            return Fail(ERROR_NOT_SUPPORTED);
        SENDCMDINPARAMS command{};
        if (!in || inSize < offsetof(SENDCMDINPARAMS, bBuffer))
            return Fail(ERROR_INVALID_PARAMETER);
        memcpy(&command, in, offsetof(SENDCMDINPARAMS, bBuffer));
        const IDEREGS& regs = command.irDriveRegs;
        if (controlCode == SMART_SEND_DRIVE_COMMAND) {
            if (!IsSmartRegisters(regs) || regs.bFeaturesReg != kSmartEnable)
                return Fail(ERROR_INVALID_PARAMETER);
            return AnswerCommand({}, out, outSize, returned);
        }
        // A packet device aborts IDENTIFY DEVICE and an ATA one IDENTIFY PACKET DEVICE.
        if (regs.bCommandReg == (d.atapi ? ATAPI_ID_CMD : ID_CMD))
            return AnswerCommand(BuildIdentifyData(d), out, outSize, returned);
        if (IsSmartRegisters(regs) && regs.bFeaturesReg == kSmartReadValues)
            return AnswerCommand(BuildSmartValues(d), out, outSize, returned);
        if (IsSmartRegisters(regs) && regs.bFeaturesReg == kSmartReadThresholds)
            return AnswerCommand(BuildSmartThresholds(d), out, outSize, returned);
        return Fail(ERROR_INVALID_FUNCTION);
    }
    default:
        return Fail(ERROR_INVALID_FUNCTION);
    }
}

BOOL CSimDiskApi::VolumeControl(const VolumeRef& volume, DWORD controlCode, void* out,
                                DWORD outSize, DWORD* returned) {
    const SimDiskDescription& d = disks_.at(volume.driveNumber).description;
    const SimVolume& v = d.volumes[volume.index];
    const auto partition =
        std::find_if(d.partitions.begin(), d.partitions.end(),
                     [&](const SimPartition& p) { return p.number == v.partitionNumber; });
    if (partition == d.partitions.end())
        return Fail(ERROR_INVALID_FUNCTION);
    switch (controlCode) {
    case IOCTL_DISK_GET_PARTITION_INFO_EX: {
        const PARTITION_INFORMATION_EX info = BuildPartitionInfo(d, *partition);
        return Answer(&info, sizeof(info), out, outSize, returned);
    }
    case IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS: {
        VOLUME_DISK_EXTENTS extents{};
        extents.NumberOfDiskExtents = 1;
        extents.Extents[0].DiskNumber = volume.driveNumber;
        extents.Extents[0].StartingOffset.QuadPart = static_cast<LONGLONG>(partition->start);
        extents.Extents[0].ExtentLength.QuadPart = static_cast<LONGLONG>(partition->length);
        return Answer(&extents, sizeof(extents), out, outSize, returned);
    }
    default:
        return Fail(ERROR_INVALID_FUNCTION);
    }
}

BOOL CSimDiskApi::ReadFile(HANDLE file, void* buffer, DWORD bytesToRead, DWORD* bytesRead) {
    std::shared_ptr<void> backing;
    uint64_t position = 0;
    uint64_t diskBytes = 0;
    {
        std::lock_guard lock(mutex_);
        OpenHandle* handle = FindHandle(file, HandleKind::Drive);
        if (!handle)
            return FALSE;
        const Disk& disk = disks_.at(handle->target.driveNumber);
        if (disk.description.failReads)
            return Fail(ERROR_CRC);
        const uint64_t sector = disk.description.bytesPerSector;
        if (handle->unbuffered && (handle->position % sector || bytesToRead % sector ||
                                   reinterpret_cast<uintptr_t>(buffer) % sector))
            return Fail(ERROR_INVALID_PARAMETER);
        diskBytes = disk.description.TotalBytes();
        position = handle->position;
        const uint64_t available = position < diskBytes ? diskBytes - position : 0;
        bytesToRead = static_cast<DWORD>(std::min<uint64_t>(bytesToRead, available));
        handle->position += bytesToRead;
        backing = disk.backing;
    }
    // The backing file is read outside the lock, at its own offset, so that drives read in
    // parallel; past its end the disk reads as zeros.
    DWORD fromFile = 0;
    if (backing && bytesToRead) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(position);
        at.OffsetHigh = static_cast<DWORD>(position >> 32);
        if (!::ReadFile(backing.get(), buffer, bytesToRead, &fromFile, &at) &&
            GetLastError() != ERROR_HANDLE_EOF)
            return FALSE;
    }
    memset(static_cast<BYTE*>(buffer) + fromFile, 0, bytesToRead - fromFile);
    if (bytesRead)
        *bytesRead = bytesToRead;
    return TRUE;
}

BOOL CSimDiskApi::SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, LARGE_INTEGER* newPosition,
                                   DWORD moveMethod) {
    std::lock_guard lock(mutex_);
    OpenHandle* handle = FindHandle(file, HandleKind::Drive);
    if (!handle)
        return FALSE;
    LONGLONG base = 0;
    if (moveMethod == FILE_CURRENT)
        base = static_cast<LONGLONG>(handle->position);
    else if (moveMethod == FILE_END)
        base =
            static_cast<LONGLONG>(disks_.at(handle->target.driveNumber).description.TotalBytes());
    else if (moveMethod != FILE_BEGIN)
        return Fail(ERROR_INVALID_PARAMETER);
    const LONGLONG target = base + distance.QuadPart;
    if (target < 0)
        return Fail(ERROR_NEGATIVE_SEEK);
    handle->position = static_cast<uint64_t>(target);
    if (newPosition)
        newPosition->QuadPart = target;
    return TRUE;
}

HANDLE CSimDiskApi::FindFirstVolumeW(wchar_t* name, DWORD nameChars) {
    HANDLE find;
    {
        std::lock_guard lock(mutex_);
        if (AllVolumes().empty()) {
            SetLastError(ERROR_NO_MORE_FILES);
            return INVALID_HANDLE_VALUE;
        }
        OpenHandle handle;
        handle.kind = HandleKind::Find;
        find = AddHandle(handle);
    }
    if (!FindNextVolumeW(find, name, nameChars)) {
        const DWORD error = GetLastError();
        FindVolumeClose(find);
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    return find;
}

BOOL CSimDiskApi::FindNextVolumeW(HANDLE find, wchar_t* name, DWORD nameChars) {
    std::lock_guard lock(mutex_);
    OpenHandle* handle = FindHandle(find, HandleKind::Find);
    if (!handle)
        return FALSE;
    const std::vector<VolumeRef> volumes = AllVolumes();
    if (handle->nextVolume >= volumes.size())
        return Fail(ERROR_NO_MORE_FILES);
    const VolumeRef& ref = volumes[handle->nextVolume];
    const std::wstring volumeName = VolumeName(ref.driveNumber, ref.index);
    if (!name || nameChars <= volumeName.size())
        return Fail(ERROR_FILENAME_EXCED_RANGE);
    wcscpy(name, volumeName.c_str());
    ++handle->nextVolume;
    return TRUE;
}

BOOL CSimDiskApi::FindVolumeClose(HANDLE find) {
    std::lock_guard lock(mutex_);
    if (!FindHandle(find, HandleKind::Find))
        return FALSE;
    handles_.erase(reinterpret_cast<uintptr_t>(find));
    return TRUE;
}

BOOL CSimDiskApi::GetVolumePathNamesForVolumeNameW(const wchar_t* volumeName, wchar_t* paths,
                                                   DWORD pathChars, DWORD* returnedChars) {
    std::lock_guard lock(mutex_);
    VolumeRef ref;
    if (!FindVolume(volumeName, ref))
        return Fail(ERROR_INVALID_NAME);
    const std::wstring& mount = disks_.at(ref.driveNumber).description.volumes[ref.index].mountPath;
    // The multi-string of mount paths: each path and a zero, then one more zero.
    std::wstring list = mount.empty() ? std::wstring(1, L'\0') : mount + L'\0' + L'\0';
    if (returnedChars)
        *returnedChars = static_cast<DWORD>(list.size());
    if (!paths || pathChars < list.size())
        return Fail(ERROR_MORE_DATA);
    wmemcpy(paths, list.data(), list.size());
    return TRUE;
}

UINT CSimDiskApi::GetDriveTypeW(const wchar_t* root) {
    std::lock_guard lock(mutex_);
    VolumeRef ref;
    if (!FindVolume(root, ref))
        return DRIVE_NO_ROOT_DIR;
    return disks_.at(ref.driveNumber).description.usb ? DRIVE_REMOVABLE : DRIVE_FIXED;
}

BOOL CSimDiskApi::GetVolumeInformationW(const wchar_t* root, wchar_t* label, DWORD labelChars,
                                        wchar_t* fileSystem, DWORD fileSystemChars) {
    std::lock_guard lock(mutex_);
    VolumeRef ref;
    if (!FindVolume(root, ref))
        return Fail(ERROR_PATH_NOT_FOUND);
    const SimVolume& v = disks_.at(ref.driveNumber).description.volumes[ref.index];
    if ((label && labelChars <= v.label.size()) ||
        (fileSystem && fileSystemChars <= v.fileSystem.size()))
        return Fail(ERROR_BAD_LENGTH);
    if (label)
        wcscpy(label, v.label.c_str());
    if (fileSystem)
        wcscpy(fileSystem, v.fileSystem.c_str());
    return TRUE;
}

BOOL CSimDiskApi::GetDiskFreeSpaceExW(const wchar_t* root, ULARGE_INTEGER* freeToCaller,
                                      ULARGE_INTEGER* totalBytes, ULARGE_INTEGER* totalFree) {
    std::lock_guard lock(mutex_);
    VolumeRef ref;
    if (!FindVolume(root, ref))
        return Fail(ERROR_PATH_NOT_FOUND);
    const SimVolume& v = disks_.at(ref.driveNumber).description.volumes[ref.index];
    for (ULARGE_INTEGER* out : {freeToCaller, totalFree})
        if (out)
            out->QuadPart = v.freeBytes;
    if (totalBytes)
        totalBytes->QuadPart = v.totalBytes;
    return TRUE;
}
