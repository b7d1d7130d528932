#include "Crc32Dynamic.h"

#include "Crc32Table.h"

#include <owners/WinOwners.h>

#include <algorithm>
#include <new>

namespace {

constexpr DWORD kReadFlags = FILE_FLAG_SEQUENTIAL_SCAN | FILE_ATTRIBUTE_READONLY |
                             FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
static_assert(kReadFlags == 0x08000027);

KernelHandle OpenForCrc(const wchar_t* path) {
    return KernelHandle(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    kReadFlags, nullptr));
}

// Opens the file and hands it to `read`, which feeds its bytes into the running CRC and returns
// 0 or an error code; a missing table and a file that cannot be opened answer alike for every
// reader, and the final CRC is stored in every case.
template <typename Read>
DWORD CrcOfFile(bool haveTable, const wchar_t* path, DWORD& crc, Read read) {
    DWORD state = 0xFFFFFFFF;
    DWORD result = kCrcNoTable;
    if (haveTable) {
        const KernelHandle file = OpenForCrc(path);
        result = file ? read(file.Get(), state) : GetLastError();
    }
    crc = ~state;
    return result;
}

} // namespace

CCrc32Dynamic::CCrc32Dynamic() = default;

CCrc32Dynamic::CCrc32Dynamic(const CCrc32Dynamic& other) {
    *this = other;
}

CCrc32Dynamic& CCrc32Dynamic::operator=(const CCrc32Dynamic& other) {
    if (this != &other) {
        Free();
        if (other.table_)
            Init();
    }
    return *this;
}

CCrc32Dynamic::~CCrc32Dynamic() {
    Free();
}

void CCrc32Dynamic::Init() {
    Free();
    table_ = new (std::nothrow) DWORD[256];
    if (table_)
        std::copy(xarn::kCrc32Table.begin(), xarn::kCrc32Table.end(), table_);
}

void CCrc32Dynamic::Free() {
    delete[] table_;
    table_ = nullptr;
}

void CCrc32Dynamic::UpdateByte(BYTE byte, DWORD& crc) const {
    crc = (crc >> 8) ^ table_[(crc ^ byte) & 0xFF];
}

BOOL CCrc32Dynamic::GetFileSize64(HANDLE file, ULONGLONG& size) {
    LARGE_INTEGER value{};
    if (!GetFileSizeEx(file, &value)) {
        size = 0;
        return FALSE;
    }
    size = static_cast<ULONGLONG>(value.QuadPart);
    return TRUE;
}

DWORD CCrc32Dynamic::TextCrc32(const wchar_t* text, DWORD& crc) const {
    DWORD state = 0xFFFFFFFF;
    DWORD result = kCrcNoTable;
    if (table_ && text) {
        for (const wchar_t* unit = text; *unit; ++unit)
            UpdateByte(static_cast<BYTE>(*unit & 0xFF), state);
        result = 0;
    }
    crc = ~state;
    return result;
}

DWORD CCrc32Dynamic::FileCrc32(const wchar_t* path, DWORD& crc) const {
    return CrcOfFile(table_ != nullptr, path, crc, [](HANDLE file, DWORD& state) -> DWORD {
        BYTE block[4096];
        DWORD read = 0;
        for (;;) {
            if (!ReadFile(file, block, sizeof block, &read, nullptr))
                return GetLastError();
            if (read == 0)
                return 0;
            state = xarn::Crc32Update(state, block, read);
        }
    });
}

DWORD CCrc32Dynamic::FileCrc32Mapped(const wchar_t* path, DWORD& crc) const {
    return CrcOfFile(table_ != nullptr, path, crc, [](HANDLE file, DWORD& state) -> DWORD {
        ULONGLONG size = 0;
        if (!GetFileSize64(file, size))
            return kCrcSizeUnknown;
        if (size == 0)
            return 0; // an empty file cannot be mapped
        const KernelHandle mapping(CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr));
        if (!mapping)
            return GetLastError();
        constexpr ULONGLONG kViewBytes = 0xA00000;
        for (ULONGLONG offset = 0; offset < size;) {
            const DWORD length = static_cast<DWORD>(std::min(kViewBytes, size - offset));
            const auto* view = static_cast<const BYTE*>(
                MapViewOfFile(mapping.Get(), FILE_MAP_READ, static_cast<DWORD>(offset >> 32),
                              static_cast<DWORD>(offset), length));
            if (!view)
                return GetLastError();
            state = xarn::Crc32Update(state, view, length);
            UnmapViewOfFile(view);
            offset += length;
        }
        return 0;
    });
}
