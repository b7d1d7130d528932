// SHA-1 (FIPS 180-1) of buffers and files.
#pragma once

#include <windows.h>

class CSHA1 {
public:
    // Forms of ReportHash.
    enum ReportForm { kHexWithSpaces = 0, kDecimalWithSpaces = 1, kHexPlain = 2 };

    CSHA1();
    void Reset();
    void Update(const BYTE* data, UINT32 length);
    // False for a null path, a file that cannot be opened or read, or one of 2 GiB and more.
    [[nodiscard]] bool HashFile(const wchar_t* path);
    void Final();
    // `text` must have room for 80 characters.
    [[nodiscard]] bool ReportHash(wchar_t* text, int form) const;

private:
    void Transform(const BYTE block[64]);

    UINT32 state_[5];
    UINT32 count_[2]; // bit count, low word first
    BYTE buffer_[64];
    BYTE digest_[20];
};
