#include "FolderListing.h"

#include "LiteralPath.h"

#include <Paths.h>
#include <owners/WinOwners.h>

namespace {

constexpr DWORD kListingBufferBytes = 64 * 1024;

bool IsDotEntry(const CString& name) {
    return name == L"." || name == L"..";
}

KernelHandle OpenFolder(const CString& literalFolder) {
    // Reading its attributes too: its own identity tells the volume's serial.
    return KernelHandle(CreateFileW(literalFolder, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

// The facts every listing gives; a folder's size says nothing about it (as in ReadFileIdentity).
void SetListedFacts(DWORD attributes, ULONGLONG size, ULONGLONG creationTime,
                    ULONGLONG lastWriteTime, ULONGLONG changeTime, FileIdentity& identity) {
    identity.attributes = attributes;
    identity.folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    identity.size = identity.folder ? 0 : size;
    identity.creationTime = creationTime;
    identity.lastWriteTime = lastWriteTime;
    identity.changeTime = changeTime;
}

ULONGLONG TicksOfLarge(const LARGE_INTEGER& value) {
    return static_cast<ULONGLONG>(value.QuadPart);
}

// The folder's entries through a plain find: no file numbers, and no change time (0).
bool ListByFind(const CString& literalFolder, std::vector<ListedItem>& items) {
    CString pattern = literalFolder;
    AppendPath(pattern, L"*");
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileExW(pattern, FindExInfoBasic, &data, FindExSearchNameMatch,
                                     nullptr, FIND_FIRST_EX_LARGE_FETCH));
    // An empty drive lists nothing at all; any other refusal means it cannot be listed.
    if (!find.IsValid())
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    do {
        ListedItem item;
        item.name = data.cFileName;
        if (IsDotEntry(item.name))
            continue;
        SetListedFacts(
            data.dwFileAttributes, (ULONGLONG{data.nFileSizeHigh} << 32) | data.nFileSizeLow,
            TicksOf(data.ftCreationTime), TicksOf(data.ftLastWriteTime), 0, item.identity);
        item.lastAccessTime = TicksOf(data.ftLastAccessTime);
        items.push_back(std::move(item));
    } while (FindNextFileW(find.Get(), &data));
    return true;
}

} // namespace

bool ReadFolderVolumeSerial(const CString& folder, DWORD& serial) {
    const CString literalFolder = ToLiteralPath(folder);
    if (literalFolder.IsEmpty())
        return false;
    const KernelHandle handle = OpenFolder(literalFolder);
    FileIdentity identity;
    if (!handle.IsValid() || !ReadFileIdentity(handle.Get(), literalFolder, identity))
        return false;
    serial = identity.volumeSerial;
    return true;
}

bool ListFolderItems(const CString& folder, const DWORD* volumeSerial,
                     std::vector<ListedItem>& items) {
    items.clear();
    const CString literalFolder = ToLiteralPath(folder);
    if (literalFolder.IsEmpty())
        return false;
    const KernelHandle handle = OpenFolder(literalFolder);
    if (!handle.IsValid())
        return ListByFind(literalFolder, items);
    alignas(8) static thread_local BYTE buffer[kListingBufferBytes];
    FILE_INFO_BY_HANDLE_CLASS request = FileIdBothDirectoryRestartInfo;
    for (;;) {
        if (!GetFileInformationByHandleEx(handle.Get(), request, buffer, sizeof buffer)) {
            if (GetLastError() == ERROR_NO_MORE_FILES)
                return true;
            // A folder this call cannot list is listed by a plain find.
            items.clear();
            return ListByFind(literalFolder, items);
        }
        request = FileIdBothDirectoryInfo;
        for (const BYTE* next = buffer;;) {
            const auto* entry = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(next);
            ListedItem item;
            item.name =
                CString(entry->FileName, static_cast<int>(entry->FileNameLength / sizeof(wchar_t)));
            if (!IsDotEntry(item.name)) {
                SetListedFacts(
                    entry->FileAttributes, static_cast<ULONGLONG>(entry->EndOfFile.QuadPart),
                    TicksOfLarge(entry->CreationTime), TicksOfLarge(entry->LastWriteTime),
                    TicksOfLarge(entry->ChangeTime), item.identity);
                item.lastAccessTime = TicksOfLarge(entry->LastAccessTime);
                // A file system that numbers no items in its listing reports 0.
                if (volumeSerial && entry->FileId.QuadPart != 0) {
                    item.identity.volumeSerial = *volumeSerial;
                    item.identity.fileId = static_cast<ULONGLONG>(entry->FileId.QuadPart);
                    item.identified = true;
                }
                items.push_back(std::move(item));
            }
            if (entry->NextEntryOffset == 0)
                break;
            next += entry->NextEntryOffset;
        }
    }
}
