// Reads the fields of a last-scan file from its bytes in memory. Every length it meets is
// checked against the bytes that are left before anything is made from it.
#pragma once

#include <windows.h>

#include <classlib/String.h>

#include <cstring>

class CLastScanReader {
public:
    CLastScanReader(const BYTE* data, size_t size) : next_(data), left_(size) {}

    size_t BytesLeft() const { return left_; }

    template <class T> [[nodiscard]] bool Read(T& value) {
        if (left_ < sizeof(T))
            return false;
        std::memcpy(&value, next_, sizeof(T));
        next_ += sizeof(T);
        left_ -= sizeof(T);
        return true;
    }
    [[nodiscard]] bool ReadBytes(void* out, size_t count);
    // An archive string: UTF-16 after the 0xFF 0xFFFE mark, else 8-bit text in the system code
    // page; false when its length runs past the end.
    [[nodiscard]] bool ReadString(CString& text);

private:
    [[nodiscard]] bool ReadLength(bool& wide, ULONGLONG& length);

    const BYTE* next_;
    size_t left_;
};
