#include "GlobalFileInfo.h"

#include "Crc32Table.h"

#include <owners/WinOwners.h>

#include <algorithm>
#include <cwchar>

namespace {

constexpr DWORD kContentBlock = 16384;

// A file time as local time; 0 for times before 1900 or that cannot be converted.
CTime LocalTimeOf(const FILETIME& time) {
    FILETIME local;
    SYSTEMTIME parts;
    if (!FileTimeToLocalFileTime(&time, &local) || !FileTimeToSystemTime(&local, &parts) ||
        parts.wYear < 1900)
        return CTime();
    try {
        return CTime(parts);
    } catch (CException* error) {
        error->Delete();
        return CTime();
    }
}

struct PathParts {
    wchar_t drive[_MAX_DRIVE] = {};
    wchar_t directory[_MAX_DIR] = {};
    wchar_t name[256] = {};
    wchar_t extension[256] = {};
};

PathParts Split(const CString& path) {
    PathParts parts;
    if (_wsplitpath_s(path, parts.drive, _MAX_DRIVE, parts.directory, _MAX_DIR, parts.name, 256,
                      parts.extension, 256) != 0)
        return PathParts{};
    return parts;
}

// Feeds the file from `consumed` on to `target` a block at a time; `feed` takes each block.
template <typename Feed>
void ReadContent(const CString& path, DWORD& consumed, ULONGLONG target,
                 const volatile LONG* cancel, Feed feed) {
    if (consumed >= target)
        return;
    const KernelHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file)
        return;
    BYTE block[kContentBlock];
    LARGE_INTEGER at;
    at.QuadPart = consumed;
    if (SetFilePointerEx(file.Get(), at, nullptr, FILE_BEGIN)) {
        while (consumed < target && !(cancel && *cancel)) {
            // The last block stops at the target.
            const DWORD want =
                static_cast<DWORD>(std::min<ULONGLONG>(kContentBlock, target - consumed));
            DWORD read = 0;
            if (!ReadFile(file.Get(), block, want, &read, nullptr) || read == 0)
                break;
            feed(block, read);
            consumed += read;
        }
    }
}

// Calls `word` for each little-endian 32-bit word and its length; a last partial word has its
// missing high bytes as zero.
template <typename Word> void ForEachWord(const BYTE* data, DWORD bytes, Word word) {
    for (DWORD at = 0; at < bytes; at += 4) {
        const DWORD length = std::min<DWORD>(4, bytes - at);
        DWORD value = 0;
        for (DWORD i = 0; i < length; ++i)
            value |= DWORD{data[at + i]} << (8 * i);
        word(value, length);
    }
}

// The consumed counts are 32-bit, so the checks cover at most the first 4 GiB.
ULONGLONG ContentTarget(ULONGLONG limit, ULONGLONG fileSize) {
    const ULONGLONG rounded = (limit + 3) / 4 * 4;
    const ULONGLONG target = (limit == 0 || limit > fileSize) ? fileSize : rounded;
    return std::min<ULONGLONG>(target, 0xFFFFFFFC);
}

void AddProgress(volatile LONG* progress, DWORD units) {
    if (progress)
        InterlockedExchangeAdd(progress, static_cast<LONG>(units));
}

} // namespace

void CGlobalFileInfo::FillFromFindData(const WIN32_FIND_DATAW& found, const CString& folder,
                                       int fillTag) {
    path = folder + found.cFileName;
    attributes = found.dwFileAttributes;
    size = (ULONGLONG{found.nFileSizeHigh} << 32) | found.nFileSizeLow;
    creationTime = LocalTimeOf(found.ftCreationTime);
    lastAccessTime = LocalTimeOf(found.ftLastAccessTime);
    lastWriteTime = LocalTimeOf(found.ftLastWriteTime);
    tag = fillTag;
    crcBytesConsumed = 0;
    sumBytesConsumed = 0;
}

void CGlobalFileInfo::FillFromPath(const CString& fullPath) {
    WIN32_FIND_DATAW found{};
    if (!FindHandle(FindFirstFileW(fullPath, &found)))
        return;
    FillFromFindData(found, fullPath.Left(fullPath.ReverseFind(L'\\') + 1), 0);
}

CString CGlobalFileInfo::GetDrive() const {
    return Split(path).drive;
}

CString CGlobalFileInfo::GetDirectory() const {
    return Split(path).directory;
}

CString CGlobalFileInfo::GetTitle() const {
    return Split(path).name;
}

CString CGlobalFileInfo::GetExtension() const {
    return Split(path).extension;
}

DWORD CGlobalFileInfo::ComputeContentSum(ULONGLONG limit, bool reset, const volatile LONG* cancel,
                                         volatile LONG* progress) {
    if (reset) {
        contentSum = 0;
        sumBytesConsumed = 0;
    }
    const ULONGLONG target = ContentTarget(limit, size);
    ReadContent(path, sumBytesConsumed, target, cancel, [&](const BYTE* data, DWORD bytes) {
        ForEachWord(data, bytes, [&](DWORD word, DWORD length) {
            contentSum += word;
            AddProgress(progress, length);
        });
    });
    return contentSum;
}

DWORD CGlobalFileInfo::ComputeContentCrc(ULONGLONG limit, bool reset, const volatile LONG* cancel,
                                         volatile LONG* progress) {
    if (reset) {
        contentCrc = 0xFFFFFFFF;
        crcBytesConsumed = 0;
    }
    const ULONGLONG target = ContentTarget(limit, size);
    ReadContent(path, crcBytesConsumed, target, cancel, [&](const BYTE* data, DWORD bytes) {
        ForEachWord(data, bytes, [&](DWORD word, DWORD length) {
            contentCrc = xarn::Crc32Step(contentCrc, word);
            AddProgress(progress, length);
        });
    });
    // The stored state stays the running one, so asking again gives the same answer.
    return crcBytesConsumed >= size ? ~contentCrc : contentCrc;
}
