// MD5 (RFC 1321) of memory buffers, as lower-case hex text.
#pragma once

#include <windows.h>

#include <classlib/String.h>

class CMD5Checksum {
public:
    CMD5Checksum();
    virtual ~CMD5Checksum() = default;

    void Update(const BYTE* data, ULONG length);
    // Pads and returns the digest as 32 hex digits; the object is not reset.
    CString Final();

    static CString GetMD5OfBuffer(const BYTE* data, ULONG length);

private:
    void Transform(const BYTE block[64]);

    BYTE buffer_[64];
    ULONG count_[2]; // bit count, low word first
    ULONG state_[4]; // A, B, C, D
};
