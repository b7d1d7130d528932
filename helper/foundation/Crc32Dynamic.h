// CRC-32 (IEEE 802.3) of texts and files with a table allocated on demand.
#pragma once

#include <windows.h>

// Result codes of the text and file operations besides the Windows error codes.
constexpr DWORD kCrcNoTable = 23;     // table missing, or an exception inside
constexpr DWORD kCrcSizeUnknown = 24; // the file's size could not be read

class CCrc32Dynamic {
public:
    CCrc32Dynamic();
    // A copy owns a table of its own, so each object can free what it holds.
    CCrc32Dynamic(const CCrc32Dynamic& other);
    CCrc32Dynamic& operator=(const CCrc32Dynamic& other);
    virtual ~CCrc32Dynamic();

    void Init();
    void Free();

    void UpdateByte(BYTE byte, DWORD& crc) const;
    // TRUE with the size of an open file; FALSE and 0 when the size cannot be read.
    [[nodiscard]] static BOOL GetFileSize64(HANDLE file, ULONGLONG& size);

    // Each returns 0 or an error code and always stores the final CRC in `crc`.
    [[nodiscard]] DWORD TextCrc32(const wchar_t* text, DWORD& crc) const;
    [[nodiscard]] DWORD FileCrc32(const wchar_t* path, DWORD& crc) const;
    [[nodiscard]] DWORD FileCrc32Inline(const wchar_t* path, DWORD& crc) const {
        return FileCrc32(path, crc);
    }
    [[nodiscard]] DWORD FileCrc32Mapped(const wchar_t* path, DWORD& crc) const;

private:
    DWORD* table_ = nullptr;
};
