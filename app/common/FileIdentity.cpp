#include "FileIdentity.h"

bool ReadFileIdentity(HANDLE item, FileIdentity& identity) {
    BY_HANDLE_FILE_INFORMATION info;
    FILE_BASIC_INFO basic;
    if (!GetFileInformationByHandle(item, &info) ||
        !GetFileInformationByHandleEx(item, FileBasicInfo, &basic, sizeof basic))
        return false;
    identity.volumeSerial = info.dwVolumeSerialNumber;
    identity.fileId = (ULONGLONG{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    identity.folder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    // A folder's size says nothing about it (and differs between file systems).
    identity.size = identity.folder ? 0 : (ULONGLONG{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    identity.lastWriteTime = TicksOf(info.ftLastWriteTime);
    identity.changeTime = static_cast<ULONGLONG>(basic.ChangeTime.QuadPart);
    identity.attributes = info.dwFileAttributes;
    identity.creationTime = TicksOf(info.ftCreationTime);
    return true;
}
